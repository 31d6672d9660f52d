#include "RateCaption.h"

#include <SDL/SDL.h>

#include <climits>
#include <sstream>

#include "FullScreenReturn.h"

RateCaption::RateCaption() : frameCount(0) {}

void RateCaption::start() {
    frameCount = 0;
    rateTimer.start();
    captionTimer.start();
}

void RateCaption::count(bool shown) {
    bool rateClockFull = rateTimer.getTime() == INT_MAX;
    if (frameCount == INT_MAX || rateClockFull) {
        frameCount = 0;
        rateTimer.start();
        captionTimer.start();
    }
    if (shown) {
        frameCount++;
    }
}

void RateCaption::write() {
    if (captionTimer.getTime() > 1000) {
        std::ostringstream caption;
        caption << "FPS = " << static_cast<float>(frameCount / (rateTimer.getTime() / 1000.0));
        // The clock is read as always, whether or not the caption can be changed now.
        if (!FullScreenReturn::pending()) {
            SDL_WM_SetCaption(caption.str().c_str(), NULL);
        }
        captionTimer.start();
    }
}
