#include "Replay.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "Playback.h"
#include "Recorder.h"
#include "Recording.h"

namespace {
// What the command line started; tests and tools start their own.
std::unique_ptr<Recorder> ownRecorder;
std::unique_ptr<Playback> ownPlayback;
} // namespace

int Replay::start(const CommandLine& options) {
    if (!options.record.empty()) {
        ownRecorder.reset(new Recorder());
        if (!ownRecorder->start(options.record, nullptr)) {
            std::fprintf(stderr, "deadacre: %s\n", ownRecorder->error().c_str());
            ownRecorder.reset();
            return 2;
        }
    }
    if (!options.replay.empty()) {
        ownPlayback.reset(new Playback());
        if (!ownPlayback->start(options.replay, true, nullptr)) {
            std::fprintf(stderr, "deadacre: %s: %s\n", options.replay.c_str(),
                         ownPlayback->error().c_str());
            ownPlayback.reset();
            return 2;
        }
        ownPlayback->show(!options.headless, options.frames);
    }
    return -1;
}

int Replay::finish(int gameStatus) {
    int status = gameStatus;
    if (Playback* playback = Playback::active()) {
        status = playback->report(gameStatus);
    }
    ownRecorder.reset();
    ownPlayback.reset();
    return status;
}

void Replay::beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen) {
    Uint32 seed = Recording::LEVEL_SEED;
    if (Recorder* recorder = Recorder::active()) {
        recorder->beginLevel(stateChecksum, screen);
    } else if (Playback* playback = Playback::active()) {
        seed = playback->seed();
        playback->beginLevel(stateChecksum, screen);
    }
    srand(seed);
}

bool Replay::beginPass() {
    if (Recorder* recorder = Recorder::active()) {
        recorder->beginPass();
    } else if (Playback* playback = Playback::active()) {
        return playback->beginPass();
    }
    return true;
}

void Replay::endPass(bool levelQuit) {
    if (Recorder* recorder = Recorder::active()) {
        recorder->endPass(levelQuit);
    } else if (Playback* playback = Playback::active()) {
        playback->endPass(levelQuit);
    }
}

bool Replay::playingBack() { return Playback::active() != nullptr; }

bool Replay::playbackShown() {
    return Playback::active() != nullptr && Playback::active()->shown();
}

FrameClock::Pacer* Replay::pacer() {
    return Playback::active() != nullptr ? Playback::active() : FrameClock::LIVE;
}
