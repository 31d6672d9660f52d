#include "RateCaption.h"

#include <SDL/SDL.h>

#include <climits>
#include <sstream>

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
        SDL_WM_SetCaption(caption.str().c_str(), NULL);
        captionTimer.start();
    }
}
