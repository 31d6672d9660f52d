#ifndef REPLAY_H
#define REPLAY_H

#include <SDL/SDL.h>
#include <string>
#include <vector>

#include "Timer.h"

class Level1;

// Records a game or plays one back. The level reads the outside world (events, held keys, the
// mouse, the clock) only through the few calls below; when neither recording nor playing they
// are SDL's own calls and the game behaves as it always did.
class Replay {
public:
    // The seam the level and the player read through.
    static int pollEvent(SDL_Event* event);
    static Uint8* keyState();
    static Uint8 mouseState(int* x, int* y);
    // The level's set-up starts here: the random numbers are seeded and, when recording or
    // playing, what the set-up reads is a recording's first chunk.
    static void beginLevel();
    // False when a recording being played has no pass left: the level must stop.
    static bool beginPass(Level1* level);
    static void endPass(Level1* level);
    // A recording is being played back, and shown on the screen (at the pace it was played).
    static bool playingBack();
    static bool playbackShown();

    // The command line: --record FILE, --replay FILE [--headless] [--frames], already checked
    // for their use. Returns -1 when the game should run, otherwise the status to exit with (a
    // message was printed). Other options are left alone.
    static int fromCommandLine(int argc, char** argv);
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

    // What a player sees and what the game decided, each as one number.
    static Uint64 frameChecksum(SDL_Surface* screen);
    static Uint64 stateChecksum(Level1* level);
    // The pictures, sounds and font under the working directory.
    static Uint64 dataChecksum();
    static std::string gameVersion();
};

#endif
