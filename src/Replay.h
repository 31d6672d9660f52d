#ifndef REPLAY_H
#define REPLAY_H

#include <SDL/SDL.h>
#include <functional>

#include "CommandLine.h"
#include "FrameClock.h"

// What the level and main ask of a recording or a playback, handed to whichever is running
// (Recorder, Playback). With neither, nothing here changes what the game does.
class Replay {
public:
    // --record or --replay, as the command line asked. Returns -1 when the game should run,
    // otherwise the status to exit with (a message was printed).
    static int start(const CommandLine& options);
    // After the game: reports a playback and gives the status the process should exit with.
    static int finish(int gameStatus);

    // The level's set-up starts here: the random numbers are seeded and, when recording or
    // playing, what the set-up reads is a recording's first chunk. stateChecksum gives the
    // level's state as one number while the level lasts; the frame checksums are of screen.
    static void beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen);
    // False when a recording being played has no pass left: the level must stop.
    static bool beginPass();
    static void endPass(bool levelQuit);
    // A recording is being played back; shown on the screen (at the pace it was played).
    static bool playingBack();
    static bool playbackShown();
    // Where the level's passes come from: the playback's pace, or the game's own schedule
    // (FrameClock::LIVE).
    static FrameClock::Pacer* pacer();
};

#endif
