#include "Timer.h"

#include <climits>

static Uint32 sdlTicks() { return SDL_GetTicks(); }

static Timer::Clock currentClock = sdlTicks;
static Timer::Clock overlayClock = nullptr;

void Timer::setClock(Clock clock) { currentClock = clock ? clock : sdlTicks; }

Timer::Clock Timer::clock() { return currentClock; }

void Timer::setOverlay(Clock overlay) { overlayClock = overlay; }

Uint32 Timer::source() { return currentClock(); }

Uint32 Timer::now() { return overlayClock ? overlayClock() : currentClock(); }

int Timer::elapsedSince(Uint32 start) {
    Uint32 elapsed = now() - start;
    // Past 24.8 days a signed millisecond count no longer fits; saturate rather than go negative.
    return elapsed > static_cast<Uint32>(INT_MAX) ? INT_MAX : static_cast<int>(elapsed);
}

Timer::Timer() : startingTime(0), pausedTime(0), paused(false), started(false) {}

void Timer::start() {
    started = true;
    paused = false;
    startingTime = now();
}

void Timer::stop() {
    started = false;
    paused = false;
}

int Timer::getTime() {
    if (!started) {
        return 0;
    }
    if (paused) {
        return static_cast<int>(pausedTime);
    }
    return elapsedSince(startingTime);
}

void Timer::pause() {
    if (started && !paused) {
        paused = true;
        pausedTime = static_cast<Uint32>(elapsedSince(startingTime));
    }
}

void Timer::unpause() {
    if (paused) {
        paused = false;
        startingTime = now() - pausedTime;
        pausedTime = 0;
    }
}

bool Timer::isStarted() { return started; }

bool Timer::isPaused() { return paused; }
