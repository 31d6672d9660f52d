#include "FrameClock.h"

#include "QuitSignal.h"

namespace {

// The frame clock whose game time the timers read, while one has taken the clock over.
FrameClock* active = nullptr;

void sleepUnlessQuit(Uint32 ms) {
    while (ms > 0 && !QuitSignal::arrived()) {
        Uint32 part = ms < FrameClock::SLEEP_SLICE_MS ? ms : FrameClock::SLEEP_SLICE_MS;
        SDL_Delay(part);
        ms -= part;
    }
}

FrameClock::Sleep currentSleep = sleepUnlessQuit;

} // namespace

void FrameClock::setSleep(Sleep sleep) { currentSleep = sleep ? sleep : sleepUnlessQuit; }

void FrameClock::sleep(Uint32 ms) { currentSleep(ms); }

FrameClock::FrameClock(int frameMs)
    : frameMs(frameMs), pacer(LIVE), realClock(nullptr), offset(0), held(false), heldAt(0),
      catchUpTarget(0), passRun(false), lastPass(0), passesLeft(0), inFrame(false),
      frameStartedReal(0), showing(true) {}

FrameClock::~FrameClock() { stop(); }

void FrameClock::start(Pacer* passesFrom, int shortestFrameMs) {
    stop();
    *this = FrameClock(shortestFrameMs);
    pacer = passesFrom;
}

Uint32 FrameClock::gameNow() {
    return active->held ? active->heldAt : active->realClock() - active->offset;
}

Uint32 FrameClock::realNow() { return realClock ? realClock() : Timer::source(); }

void FrameClock::beginFrame() {
    inFrame = true;
    held = false;
    passesLeft = 1;
    if (pacer != LIVE) {
        return;
    }
    if (realClock == nullptr) {
        realClock = Timer::clock();
        active = this;
        Timer::setClock(gameNow);
    }
    if (!passRun && frameMs <= 0) {
        return; // nothing to catch up with and nothing to wait for
    }
    frameStartedReal = realNow();
    if (!passRun) {
        return;
    }
    if (frozen) {
        offset = frameStartedReal - lastPass;
        held = true;
        heldAt = catchUpTarget = lastPass;
        return;
    }
    Sint32 gap = static_cast<Sint32>(frameStartedReal - offset - lastPass);
    if (gap <= SLICE_MS) {
        return; // passes come often enough: the pass reads the running clock
    }
    if (gap >= STALL_MS + frameMs) {
        // Resume where the game stood, one slice on.
        offset += static_cast<Uint32>(gap - SLICE_MS);
        return;
    }
    held = true;
    heldAt = lastPass;
    catchUpTarget = lastPass + static_cast<Uint32>(gap);
    passesLeft = (gap + SLICE_MS - 1) / SLICE_MS;
}

void FrameClock::passBegins() {
    if (held) {
        Uint32 next = heldAt + SLICE_MS;
        heldAt = static_cast<Sint32>(catchUpTarget - next) < 0 ? catchUpTarget : next;
    }
    passTimer.start();
    lastPass = passTimer.startingTime;
    passRun = true;
    if (pacer != LIVE) {
        // A pass run by itself, outside a frame, is shown whatever the pacer says.
        showing = pacer->pacePass(lastPass) || !inFrame;
    } else {
        showing = showOrGiveUpCatchingUp();
    }
}

bool FrameClock::showsThisPass() { return showing; }

// Decided as the pass begins, so that a pass nobody will see need not be painted (the browser).
// The frame's last pass is shown; so is one that finds the frame out of time, and then the rest
// of the gap is let go: the game's clock moves on without it.
bool FrameClock::showOrGiveUpCatchingUp() {
    if (!inFrame || passesLeft <= 1) {
        return true;
    }
    int budget = frameMs > CATCH_UP_MS ? frameMs : CATCH_UP_MS;
    if (static_cast<Sint32>(realNow() - frameStartedReal) >= budget) {
        // Too slow to catch up: what is left of the gap after this pass is let go.
        offset += catchUpTarget - heldAt;
        passesLeft = 1;
        return true;
    }
    return false;
}

void FrameClock::passEnds(bool shown) {
    int spent = passTimer.getTime();
    if (inFrame && --passesLeft <= 0) {
        inFrame = false;
        held = false;
        if (pacer == LIVE && frameMs > 0) {
            spent = static_cast<int>(realNow() - frameStartedReal);
        }
    }
    if (shown && !inFrame && pacer == LIVE && spent >= 0 && spent < frameMs) {
        currentSleep(static_cast<Uint32>(frameMs - spent));
    }
}

bool FrameClock::framePending() { return inFrame; }

void FrameClock::freeze(bool freezing) { frozen = freezing; }

void FrameClock::stop() {
    if (realClock != nullptr) {
        Timer::setClock(realClock);
        realClock = nullptr;
    }
    if (active == this) {
        active = nullptr;
    }
    inFrame = false;
    held = false;
    showing = true;
}
