#ifndef PLAYBACK_H
#define PLAYBACK_H

#include <SDL/SDL.h>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "FrameClock.h"
#include "Input.h"
#include "Recording.h"
#include "Timer.h"

// Plays a recording back into the level, a pass at a time as it reads it: it is Input's source
// and stands over the clock, so the level reads what the recorded one read; it sets the pace of
// a playback shown on the screen, where the viewer may stop it (the window closed, Escape or the
// right button); at the end it reports how the playback compares with the recorded game. One
// plays at a time, and each plays one recording: a new one is made for the next.
class Playback : public Input::Source, public FrameClock::Pacer {
public:
    Playback();
    ~Playback() override;
    // Plays the recording in path, or from any source of bytes (Recording::Stream::memory);
    // checkData refuses one made with other data files; the clock below is clock (null:
    // Timer::source()). False with a line in error() when it cannot be played.
    bool start(const std::string& path, bool checkData, Timer::Clock clock);
    bool start(Recording::Stream::Source source, bool checkData, Timer::Clock clock);
    void stop();
    const std::string& error() const { return error_; }
    // The one playback now running, or null.
    static Playback* active();
    // Shown on the screen at its recorded pace (or unseen, as fast as it goes); with everyPass,
    // each pass's checksums printed as it is played.
    void show(bool onScreen, bool everyPass);
    bool shown() const { return onScreen; }

    Uint32 seed() const { return stream->header().seed; }
    // The level's set-up starts; stateChecksum gives its state while it lasts.
    void beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen);
    // False when no pass is left: the level must stop.
    bool beginPass();
    void endPass(bool levelQuit);
    // After the game: the checksums on standard output, what went wrong in one line on standard
    // error, and the status the process should exit with.
    int report(int gameStatus);

    // How far it got, and what it ended in.
    bool ended() const { return ended_; }
    bool cutShort() const { return cutShort_; }
    size_t passesPlayed() const { return played; }
    Uint64 finalState() const { return finalState_; }
    Uint64 finalFrame() const { return finalFrame_; }
    // The recording's own closing checksums (0 when the file has none).
    Uint64 recordedState() const { return complete ? recordedState_ : 0; }
    Uint64 recordedFrame() const { return complete ? recordedFrame_ : 0; }

    int pollEvent(SDL_Event* event) override;
    Uint8* keyState() override { return keys; }
    Uint8 mouseState(int* x, int* y) override;
    bool pacePass(Uint32 passTime) override;

private:
    static Uint32 readClock();
    bool begin(bool checkData);
    void loadChunk();
    void readEnd(Recording::Stream::Next next);
    void endPlayback(bool cut);
    void watchViewer();

    std::unique_ptr<Recording::Stream> stream;
    int in; // the file, when played from one
    std::string path, error_, readError;
    Timer::Clock underlying;
    std::function<Uint64()> levelState;
    SDL_Surface* screen = nullptr; // the level's, for the frame checksums
    bool inLevel, levelDone, onScreen, everyPass;
    bool complete, damaged, ended_, cutShort_, viewerQuit, quitHandedOver;
    Uint64 recordedState_, recordedFrame_, finalState_, finalFrame_;
    size_t played;

    // What the level reads in this pass: the chunk, and how far into it the level has read.
    Recording::Pass pass;
    size_t clockRun, nextEvent, nextMouse;
    Uint32 clockUsed, lastClock;
    RecordedPass::MouseReading lastMouse;
    // The held keys stay the recording's after the level, as the level and the player keep the
    // array's address.
    Uint8 keys[SDLK_LAST];

    // The pace on the screen: the first pass's recorded time and when it was played.
    bool paceStarted, behind;
    Uint32 firstRecorded, startedReal, lastShownReal;
};

#endif
