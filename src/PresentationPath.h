#ifndef PRESENTATIONPATH_H
#define PRESENTATIONPATH_H

#include <string>

struct SDL_Surface;
struct SDL_Rect;

// How a finished frame reaches the display. Classic SDL 1.2 writes the screen surface to X
// itself. sdl12-compat hands it to an SDL2 renderer, by default OpenGL, which on a machine
// without a GPU is drawn by Mesa on the processor at several times the cost of the whole frame.
// The game paints every pixel into one unscaled surface, so it asks SDL2 for its software
// renderer drawing straight into the window's own framebuffer; the player's own choice in the
// environment always wins (see README.md and docs/PERFORMANCE.md).
class PresentationPath {
public:
    // Must run before SDL_Init. Returns true when it set the variables itself.
    static bool choose();
    // What the process's environment now asks for and how the screen is shown, for the
    // benchmark's first lines.
    static std::string describe(SDL_Surface* screen);
    // Shows the whole screen. On sdl12-compat with SDL2's software renderer drawing unscaled into
    // a window whose pixels have the screen's format, the frame is copied straight into the
    // window's framebuffer and sent to the display: sdl12-compat's SDL_Flip would convert it
    // into an ARGB texture, clear the framebuffer and convert the texture back into it, three
    // passes over the frame where one copy gives the same pixels. Anywhere else, SDL_Flip.
    static void flip(SDL_Surface* screen);
    // Shows only the areas given, where the display is known to hold the rest of the screen
    // already (classic SDL; the direct copy after a whole frame went through it); elsewhere the
    // whole screen.
    static void update(SDL_Surface* screen, int count, SDL_Rect* rects);
    // Whether update() would send the areas alone.
    static bool showsPartialUpdates(SDL_Surface* screen);
    // False when the player turned the direct copy off (DEADACRE_DIRECT_COPY=0) or the runtime
    // is classic SDL, which sends the screen to X itself.
    static bool directCopyAllowed();
    // Whether flip() would copy the screen straight into the window's framebuffer.
    static bool copiesDirectly(SDL_Surface* screen);
    // The direct copy alone: false, with nothing shown, where it does not apply.
    static bool copyToWindow(SDL_Surface* screen);

    // The SDL2 settings, each of which on its own buys little: the software renderer into a
    // window framebuffer that is itself an OpenGL texture, or the direct framebuffer under the
    // OpenGL renderer.
    static const char* const RENDER_DRIVER;
    static const char* const SOFTWARE_RENDERER;
    static const char* const FRAMEBUFFER_ACCELERATION;
    static const char* const NO_FRAMEBUFFER_ACCELERATION;
    static const char* const DIRECT_COPY;
};

#endif
