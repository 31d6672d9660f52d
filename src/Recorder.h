#ifndef RECORDER_H
#define RECORDER_H

#include <SDL/SDL.h>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Input.h"
#include "Recording.h"
#include "Timer.h"

// Writes the level as it is played into a recording: it listens to what the level reads through
// Input, stands over the clock to keep every reading, and writes a chunk a pass. The file is
// written beside its name and takes that name once the level has started, so a game that cannot
// start leaves an earlier recording where it was. One records at a time, and each makes one
// recording: a new one is made for the next.
class Recorder : public Input::Listener {
public:
    Recorder();
    ~Recorder() override;
    // Starts recording into path, reading time from clock (null: the clock below,
    // Timer::source()). False with a line in error() when the file cannot be written.
    bool start(const std::string& path, Timer::Clock clock);
    // Stops listening; a recording not yet in place goes, an earlier one at path stays.
    void stop();
    const std::string& error() const { return error_; }
    // The one recording now being made, or null.
    static Recorder* active();

    // The level's set-up starts; stateChecksum gives its state while it lasts.
    void beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen);
    void beginPass();
    void endPass(bool levelQuit);

    void heardEvent(const SDL_Event& event) override;
    void heardMouse(int x, int y, Uint8 buttons) override;

private:
    static Uint32 readClock();
    void flushChunk(char tag);
    void writeBuffer();
    void putInPlace();
    void dropTemporary();

    std::string path, temporary, error_;
    FILE* out;
    bool inPlace, inLevel, levelDone, setUpWritten, lastWasPass;
    Timer::Clock underlying;
    std::function<Uint64()> levelState;
    SDL_Surface* screen = nullptr; // the level's, for the frame checksums
    Recording::Pass pass;          // being read
    std::vector<Uint8> buffer, payload, lastPayload;
    Uint8 shadowKeys[SDLK_LAST];
    Uint32 passesWritten;
};

#endif
