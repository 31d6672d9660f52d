#include "FrameClock.h"

#include <climits>
#include <sstream>

#include "QuitSignal.h"

namespace {

// A playback shown on the screen skips showing passes while it runs this far behind its recorded
// pace (a slow flip), but still shows one at least this often.
const Uint32 PLAYBACK_BEHIND_MS = 20;
const Uint32 PLAYBACK_SHOW_EVERY_MS = 50;
// A long pause in a recorded game is shown as a second.
const Uint32 PLAYBACK_LONGEST_WAIT_MS = 1000;

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

FrameClock::FrameClock(int frameMs)
    : frameCount(0), frameMs(frameMs), mode(LIVE), realClock(nullptr), offset(0), held(false),
      heldAt(0), catchUpTarget(0), passRun(false), lastPass(0), passesLeft(0), inFrame(false),
      frameStartedReal(0), playbackStarted(false), firstRecorded(0), playbackStartedReal(0),
      lastShownReal(0), behind(false), showing(true) {}

FrameClock::~FrameClock() { stop(); }

void FrameClock::start(Mode how, int shortestFrameMs) {
    stop();
    *this = FrameClock(shortestFrameMs);
    mode = how;
    rateTimer.start();
    captionTimer.start();
}

Uint32 FrameClock::gameNow() {
    return active->held ? active->heldAt : active->realClock() - active->offset;
}

Uint32 FrameClock::realNow() { return realClock ? realClock() : Timer::source(); }

void FrameClock::beginFrame() {
    inFrame = true;
    held = false;
    passesLeft = 1;
    if (mode != LIVE) {
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
    if (mode == PLAYBACK_SHOWN) {
        paceShownPlayback(lastPass);
    }
    showing = decideShowing();
}

void FrameClock::paceShownPlayback(Uint32 passTime) {
    Uint32 now = realNow();
    if (!playbackStarted) {
        playbackStarted = true;
        firstRecorded = passTime;
        playbackStartedReal = now;
        lastShownReal = now;
        return;
    }
    // Shown at the pace it was played: wait until as much time has passed as had then.
    Uint32 due = passTime - firstRecorded;
    Uint32 spent = now - playbackStartedReal;
    behind = false;
    if (due > spent) {
        Uint32 wait = due - spent;
        if (wait > PLAYBACK_LONGEST_WAIT_MS) {
            playbackStartedReal -= wait - PLAYBACK_LONGEST_WAIT_MS;
            wait = PLAYBACK_LONGEST_WAIT_MS;
        }
        currentSleep(wait);
    } else {
        behind = spent - due > PLAYBACK_BEHIND_MS;
    }
}

bool FrameClock::showsThisPass() { return showing; }

// Decided as the pass begins, so that a pass nobody will see need not be painted (the browser).
bool FrameClock::decideShowing() {
    if (!inFrame || mode == PLAYBACK_HEADLESS) {
        return true;
    }
    if (mode == PLAYBACK_SHOWN) {
        Uint32 now = realNow();
        if (behind && now - lastShownReal < PLAYBACK_SHOW_EVERY_MS) {
            return false;
        }
        lastShownReal = now;
        return true;
    }
    if (passesLeft <= 1) {
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
    // Before the frame count or the rate clock runs out of range (2^31 frames, 24.8 days), both
    // start again: the caption goes on showing a true mean rate.
    bool rateClockFull = rateTimer.getTime() == INT_MAX;
    if (frameCount == INT_MAX || rateClockFull) {
        frameCount = 0;
        rateTimer.start();
        captionTimer.start();
    }
    if (shown) {
        frameCount++;
    }
    int spent = passTimer.getTime();
    if (inFrame && --passesLeft <= 0) {
        inFrame = false;
        held = false;
        if (mode == LIVE && frameMs > 0) {
            spent = static_cast<int>(realNow() - frameStartedReal);
        }
    }
    if (shown && !inFrame && mode == LIVE && spent >= 0 && spent < frameMs) {
        currentSleep(static_cast<Uint32>(frameMs - spent));
    }
    if (captionTimer.getTime() > 1000) {
        std::ostringstream caption;
        caption << "FPS = " << static_cast<float>(frameCount / (rateTimer.getTime() / 1000.0));
        SDL_WM_SetCaption(caption.str().c_str(), NULL);
        captionTimer.start();
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
