#ifndef SCALER_H
#define SCALER_H

#include <SDL/SDL.h>
#include <vector>

#include "Fit.h"

// The game's picture shown larger or smaller than it is painted. The game keeps painting every
// pixel into its own 1080x720 surface (picture), now an off-screen one in the display's format;
// what a frame changed there is scaled into the real screen (window), so recordings and
// checksums never see the scale.
//
// Sharp scaling: a whole multiple repeats pixels; any other size is what repeating each pixel
// to the nearest whole multiple and then smoothing down to the size would give, worked out
// directly: a pixel's colour spreads only into the one row or column of the window that its edge
// crosses, every other pixel of the window is a copy. Smaller than the picture (a small screen)
// it is plain bilinear. Only 32-bit pixels, which is all the game asks of a display.
class Scaler {
public:
    // Shows picture scaled onto window from now on, fitted to the window's size; null window:
    // unscaled again, the picture freed.
    static void start(SDL_Surface* window);
    static void stop();
    static bool on();
    // The game's own surface while on (made at the first start, kept across modes), else null.
    static SDL_Surface* picture();
    // The real screen the picture is shown on, while on.
    static SDL_Surface* window();
    static const Fit& fit();
    // The surface the game paints its frames on: the picture while on, else SDL's screen.
    static SDL_Surface* gameScreen();

    // Scales the areas of the picture given into the window; the window's areas that changed go
    // to changed. All: the whole picture and the bars around it.
    // into: another surface of the window's size and format to scale into (its framebuffer).
    static void scaleAreas(const SDL_Rect* areas, int count, std::vector<SDL_Rect>* changed,
                           SDL_Surface* into = NULL);
    static void scaleAll(std::vector<SDL_Rect>* changed);

    // The pixel work alone, for the tests and the benchmark: one area of from (its size the
    // picture's) scaled into the picture's place in to, the area it changed in to returned.
    static SDL_Rect scaleArea(SDL_Surface* from, SDL_Surface* to, const Fit& fit, SDL_Rect area);
    // Whether the pixel work may use 256-bit instructions where the processor has them (the
    // default); the tests turn them off to check the SSE2 path too. Returns the setting before.
    static bool useWideInstructions(bool on);
};

#endif
