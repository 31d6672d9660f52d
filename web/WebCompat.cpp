// The few pieces the browser build needs around the unchanged game: a missing SDL call, a flip
// that yields to the browser, and a main that tells the page when the game is over. Compiled
// without WebCompat.h, so SDL_Flip here is the browser SDL's own.
#include <SDL/SDL.h>
#include <cstdlib>
#include <emscripten.h>

#include "FastPaths.h"

int gameMain(int argc, char** argv); // the game's own main, renamed at compile time

// The browser's SDL keeps every surface in a canvas and converts on the way in; a JPEG simply
// comes out opaque.
extern "C" SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
    return SDL_DisplayFormatAlpha(surface);
}

// The desktop SDL answers a blit of a missing picture (no weapon in hand, a sprite that did not
// load) with -1; the browser's would throw and stop the page.
extern "C" int webUpperBlit(SDL_Surface* source, SDL_Rect* sourceArea, SDL_Surface* destination,
                            SDL_Rect* destinationArea) {
    if (source == NULL || destination == NULL) {
        SDL_SetError("SDL_UpperBlit: passed a NULL surface");
        return -1;
    }
    return SDL_UpperBlit(source, sourceArea, destination, destinationArea);
}

// Suspends the whole C++ stack (Asyncify) until the browser is about to paint again, so the frame
// just drawn is shown, input arrives and the loop runs at the display's rate. A hidden tab gets
// no frames, which pauses the game instead of burning the processor.
// Module.framesShown counts the frames, for the page and its tests.
// The count is kept in the frame callback: Asyncify calls this function twice for every frame,
// once to suspend and once more to resume.
EM_JS(void, waitForNextFrame, (), {
    Asyncify.handleSleep(function(wakeUp) {
        requestAnimationFrame(function() {
            Module.framesShown = (Module.framesShown || 0) + 1;
            wakeUp();
        });
    });
});

extern "C" int webFlip(SDL_Surface* screen) {
    int status = SDL_Flip(screen);
    waitForNextFrame();
    return status;
}

// The tab keeps the game's name; what the desktop shows in its title bar ("FPS = ...") goes to the
// page, which shows it in its status line.
EM_JS(void, showCaption, (const char* title), {
    if (Module.onCaption) {
        Module.onCaption(UTF8ToString(title));
    }
});

extern "C" void webSetCaption(const char* title, const char*) {
    if (title != NULL) {
        showCaption(title);
    }
}

int main(int argc, char** argv) {
    // The row copies and run-length sprites of the desktop write surface memory directly, which a
    // canvas-backed surface never shows; SDL's own blits give the same picture.
    FastPaths::enabled = false;
    // The page is the display: without this the game would look for an X display and stop.
    setenv("SDL_VIDEODRIVER", "emscripten", 0);
    int status = gameMain(argc, argv);
    EM_ASM(
        {
            if (Module.onGameEnded) {
                Module.onGameEnded($0);
            }
        },
        status);
    return status;
}
