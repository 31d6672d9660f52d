#ifndef PRESENTATIONPATH_H
#define PRESENTATIONPATH_H

#include <string>

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
    // What the process's environment now asks for, for the benchmark's first lines.
    static std::string describe();

    // The SDL2 settings, each of which on its own buys little: the software renderer into a
    // window framebuffer that is itself an OpenGL texture, or the direct framebuffer under the
    // OpenGL renderer.
    static const char* const RENDER_DRIVER;
    static const char* const SOFTWARE_RENDERER;
    static const char* const FRAMEBUFFER_ACCELERATION;
    static const char* const NO_FRAMEBUFFER_ACCELERATION;
};

#endif
