#ifndef FRAMECLOCK_H
#define FRAMECLOCK_H

#include <SDL/SDL.h>

#include "Timer.h"

// The loop's time: how many passes a frame runs and which game time each reads, which pass shows
// its frame and the frame limiter (--fps). A playback brings its own pace
// (a Pacer) instead of the schedule.
//
// Every object steps on its own millisecond timer, at most once a pass, so the game keeps its
// pace only while passes come at least a millisecond apart in game time. The uncapped desktop
// loop runs them far closer than that. Where frames come further apart (--fps, the browser's one
// frame per refresh, a slow flip), a frame runs one pass per millisecond of game time it has to
// make up, with the clock held at that millisecond, and shows only the last. A gap too long to be
// play (a stall: a hidden tab, a debugger, a suspended machine) is not made up at all.
//
// All of it is only a schedule of passes and of the clock they read: a recording keeps each pass
// and its readings, so a playback runs them as they were without this schedule.
class FrameClock {
public:
    // Game time per catch-up pass. The objects' periods (11, 16, 21, 71 ms ...) are whole
    // milliseconds with nothing in common, so a coarser slice would stretch some of them.
    static const int SLICE_MS = 1;
    // The most frames a second the limiter can be asked for, and the game's own choice: a frame
    // period of 1000 / 6000 ms rounds to none, so the limiter never waits.
    static const int MOST_FPS = 6000;
    // A gap this much longer than the frame period is a stall.
    static const int STALL_MS = 250;
    // Catching up stops after this long in one frame, or the frame period if longer: a machine
    // too slow for the game's pace then plays slower instead of showing ever fewer frames.
    static const int CATCH_UP_MS = 50;
    // How long the frame limiter sleeps at a time, so that a quit signal is seen soon.
    static const int SLEEP_SLICE_MS = 10;

    // Where the passes come from a recording: they and the clock they read are the recorded
    // ones, so there is no schedule to keep and no limiter; before each pass the pacer may wait
    // (a playback shown at the pace it was played) and says whether the pass's frame is shown.
    class Pacer {
    public:
        virtual ~Pacer() {}
        virtual bool pacePass(Uint32 passTime) = 0;
    };
    // The game's own schedule: no pacer.
    static constexpr Pacer* LIVE = nullptr;

    explicit FrameClock(int frameMs = 0);
    ~FrameClock();

    // Before the first pass: where the passes come from and the shortest frame (0: the limiter
    // never waits).
    void start(Pacer* pacer, int frameMs);
    // Starts a frame of one pass or more; framePending() is true until its last pass has ended.
    // In the live game the first frame takes the timers' clock over (Timer::setClock) until
    // stop().
    void beginFrame();
    bool framePending();
    // At the start of each pass: sets the game time a catch-up pass reads, reads the pass's time
    // (every pass reads the clock in the same places, shown or not, so a playback reads the
    // recorded readings in order), and lets a pacer hold the pass.
    void passBegins();
    // Whether this pass's frame will be shown, decided by passBegins. A pass run by itself,
    // outside a frame, always is.
    bool showsThisPass();
    // At the end of each pass, after its frame was shown or held: after a shown frame, the
    // limiter's wait.
    void passEnds(bool shown);
    // Gives the level's clock back.
    void stop();
    // While frozen (the game paused) a live frame reads the game time the last pass read, however
    // long it waited; once thawed, the game goes on from there.
    void freeze(bool frozen);

    // How the limiter waits; tests put a scripted clock forward instead. Null restores the real
    // one, which sleeps in short slices and stops early for a quit signal.
    typedef void (*Sleep)(Uint32 ms);
    static void setSleep(Sleep sleep);
    // Waits that way, for a pacer too.
    static void sleep(Uint32 ms);

    // The pass's start, in game time: every pass reads it first.
    Timer passTimer;

private:
    static Uint32 gameNow();
    Uint32 realNow();
    bool showOrGiveUpCatchingUp();
    void waitOut(Uint32 ms);

    int frameMs;
    Pacer* pacer;
    // The clock below the game's while this takes it over; null when not.
    Timer::Clock realClock;
    // Game time = real time - offset, except in a catch-up pass, which reads heldAt.
    Uint32 offset;
    bool held;
    Uint32 heldAt;
    Uint32 catchUpTarget;
    bool passRun;    // a pass has run since start()
    Uint32 lastPass; // the game time of its start
    // The frame being run.
    int passesLeft;
    bool inFrame;
    Uint32 frameStartedReal;
    bool showing;
    bool frozen = false;
};

#endif
