#ifndef TIMER_H
#define TIMER_H

#include <SDL/SDL.h>

// Millisecond stopwatch. Every rate in the game is one of these, restarted when something
// happens and read against a threshold before it may happen again.
class Timer {
public:
    // All timers read time through this one clock. The game uses SDL's tick counter, which the
    // level's frame clock steps in slices while it catches up; tests and the benchmark install
    // their own so that time advances exactly as they script it.
    typedef Uint32 (*Clock)();
    static void setClock(Clock clock); // null restores SDL_GetTicks
    static Clock clock();
    // A recording or a playback stands over that clock: while one is set, timers read it, and it
    // reads the clock below through source().
    static void setOverlay(Clock overlay); // null takes it away
    static Uint32 source();
    static Uint32 now();

    Timer();
    void start();
    void stop();
    int getTime();
    void pause();
    void unpause();
    bool isStarted();
    bool isPaused();

    // Kept unsigned so that elapsed times stay right when the tick counter wraps (after 49.7
    // days); differences are taken modulo 2^32.
    Uint32 startingTime;
    Uint32 pausedTime;
    bool paused;
    bool started;

private:
    static int elapsedSince(Uint32 start);
};

#endif
