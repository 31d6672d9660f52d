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
    // Whether the SDL 1.2 running is sdl12-compat (over SDL2) rather than the classic library.
    static bool onSdl12Compat();
    // What the process's environment now asks for and how the screen is shown, for the
    // benchmark's first lines.
    static std::string describe(SDL_Surface* screen);
    // Where a frame goes: the window's own framebuffer when sdl12-compat draws through SDL2's
    // software renderer unscaled into a window whose pixels have the screen's format, else
    // nothing of the game's own (SDL shows the frame). One look at the window per frame shown.
    struct Target {
        void* window;
        void* framebuffer;
        // Whether the display already holds the whole of the last frame, so that the next may
        // be sent in part: always on classic SDL and in the browser; on sdl12-compat only
        // through the direct copy, once a whole frame went through this very framebuffer.
        bool takesAreas;
    };
    static Target target(SDL_Surface* screen);
    // Shows the whole screen through target. Into the framebuffer the frame is copied straight
    // and sent: sdl12-compat's SDL_Flip would convert it into an ARGB texture, clear the
    // framebuffer and convert the texture back into it, three passes over the frame where one
    // copy gives the same pixels. Elsewhere SDL_Flip.
    static void showWhole(SDL_Surface* screen, const Target& target);
    // Shows only the areas given (SDL_UpdateRects, or the copy into the framebuffer) where the
    // target takes areas, else the whole screen.
    static void showAreas(SDL_Surface* screen, const Target& target, const SDL_Rect* areas,
                          int count);
    // The whole screen, through a fresh look at the window.
    static void flip(SDL_Surface* screen);
    // The display lost the window's pixels (a window lay over it and went away): the whole of the
    // last frame is sent again at once where the game keeps it in the window's framebuffer, else
    // by the next frame, sent whole. Classic SDL 1.2 puts its screen back by itself.
    static void exposed();
    // False when the player turned the direct copy off (DEADACRE_DIRECT_COPY=0) or the runtime
    // is classic SDL, which sends the screen to X itself.
    static bool directCopyAllowed();
    // Whether flip() would copy the screen straight into the window's framebuffer.
    static bool copiesDirectly(SDL_Surface* screen);
    // What was sent since the start, for the tests and the benchmark: frames sent whole and in
    // part, the pixels in them (each area in full, overlaps and all), and the looks for the
    // window's framebuffer, each several SDL2 calls.
    struct Tally {
        long wholeFrames;
        long framesInPart;
        long long pixels;
        long framebufferLookUps;
    };
    static const Tally& tally();

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
