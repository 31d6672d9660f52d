#include "Fit.h"

#include <algorithm>

namespace {

// The largest 3:2 picture within w x h, in whole steps of 3x2 so that the shape is exact.
Fit::Rect largestWithin(int w, int h) {
    int step = std::max(0, std::min(w / 3, h / 2));
    return {0, 0, 3 * step, 2 * step};
}

int onto(int value, int size) { return value < 0 ? 0 : value >= size ? size - 1 : value; }

} // namespace

bool Fit::readScale(const std::string& text, int* scale) {
    if (text == "fit") {
        *scale = FIT;
        return true;
    }
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + MOST_SCALE) {
        return false;
    }
    *scale = text[0] - '0';
    return true;
}

Fit Fit::window(int scale, int desktopW, int desktopH) {
    bool limited = desktopW > 0 && desktopH > 0;
    int whole = scale;
    if (limited) {
        int fits = std::min(desktopW / PICTURE_W, desktopH / PICTURE_H);
        whole = scale == FIT ? 0 : std::min(scale, fits);
    } else if (scale == FIT) {
        whole = 1;
    }
    Fit fit;
    fit.picture = whole >= 1 ? Rect{0, 0, whole * PICTURE_W, whole * PICTURE_H}
                             : largestWithin(desktopW, desktopH);
    if (fit.picture.w == 0) {
        fit.picture = {0, 0, PICTURE_W, PICTURE_H};
    }
    fit.surfaceW = fit.picture.w;
    fit.surfaceH = fit.picture.h;
    fit.shrunk = fit.picture.w < PICTURE_W;
    return fit;
}

Fit Fit::inside(int surfaceW, int surfaceH) {
    Fit fit;
    fit.surfaceW = surfaceW;
    fit.surfaceH = surfaceH;
    fit.picture = largestWithin(surfaceW, surfaceH);
    if (fit.picture.w == 0) {
        // Too small to show anything: the picture keeps its size, cut at the edges.
        fit.picture = {0, 0, PICTURE_W, PICTURE_H};
    }
    fit.picture.x = (surfaceW - fit.picture.w) / 2;
    fit.picture.y = (surfaceH - fit.picture.h) / 2;
    fit.shrunk = fit.picture.w < PICTURE_W;
    return fit;
}

void Fit::toPicture(int* x, int* y) const {
    // Onto the picture first, so that the division never meets a negative number.
    int across = onto(*x - picture.x, picture.w);
    int down = onto(*y - picture.y, picture.h);
    *x = static_cast<int>(static_cast<long>(across) * PICTURE_W / picture.w);
    *y = static_cast<int>(static_cast<long>(down) * PICTURE_H / picture.h);
}

void Fit::toSurface(int* x, int* y) const {
    *x = picture.x + static_cast<int>((2L * onto(*x, PICTURE_W) + 1) * picture.w / (2 * PICTURE_W));
    *y = picture.y + static_cast<int>((2L * onto(*y, PICTURE_H) + 1) * picture.h / (2 * PICTURE_H));
}
