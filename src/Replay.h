#ifndef REPLAY_H
#define REPLAY_H

#include <SDL/SDL.h>
#include <functional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Timer.h"

// A recording or a playback of the level, as a session: its start, the bookkeeping of each pass
// of the level loop, the report at the end. While recording it listens to what the level reads
// through Input and stands over the clock; while playing back it is Input's source and the
// clock's. Otherwise nothing here changes what the game does.
class Replay {
public:
    // The level's set-up starts here: the random numbers are seeded and, when recording or
    // playing, what the set-up reads is a recording's first chunk. stateChecksum gives the
    // level's state as one number while the level lasts; the frame checksums are of screen.
    static void beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen);
    // False when a recording being played has no pass left: the level must stop.
    static bool beginPass();
    static void endPass(bool levelQuit);
    // A recording is being played back, and shown on the screen (at the pace it was played).
    static bool playingBack();
    static bool playbackShown();

    // --record or --replay, as the command line asked. Returns -1 when the game should run,
    // otherwise the status to exit with (a message was printed).
    static int start(const CommandLine& options);
    // After the game: reports a playback and gives the status the process should exit with.
    static int finish(int gameStatus);

    // For code that drives a level itself: record into path, reading time from clock (null: the
    // clock below, Timer::source()), through a temporary file beside it that takes its place when
    // the level starts; or play back bytes, or a file read a pass at a time. All return false
    // with a message in error().
    static bool startRecording(const std::string& path, Timer::Clock clock);
    static bool startReplay(const std::vector<Uint8>& bytes, bool checkData, Timer::Clock clock);
    static bool startReplayFile(const std::string& path, bool checkData, Timer::Clock clock);
    static void stop();
    static const std::string& error();
    // How far a playback got, and what it ended in.
    static bool replayEnded();
    static bool replayCutShort();
    static size_t passesPlayed();
    static Uint64 finalStateChecksum();
    static Uint64 finalFrameChecksum();
    // The recording's own closing checksums (0 when the file has none).
    static Uint64 recordedStateChecksum();
    static Uint64 recordedFrameChecksum();
};

#endif
