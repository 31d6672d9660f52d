#include "FullScreenReturn.h"

#ifdef __EMSCRIPTEN__

bool FullScreenReturn::pending() { return false; }

#else

#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>

#include "PresentationPath.h"

bool FullScreenReturn::pending() {
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (screen == NULL || !(screen->flags & SDL_FULLSCREEN) || PresentationPath::onSdl12Compat()) {
        return false;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 ||
        info.info.x11.fswindow == None) {
        return false;
    }
    Window root, parent;
    Window* children = NULL;
    unsigned int count = 0;
    info.info.x11.lock_func();
    Status known =
        XQueryTree(info.info.x11.display, info.info.x11.window, &root, &parent, &children, &count);
    info.info.x11.unlock_func();
    if (children != NULL) {
        XFree(children);
    }
    return known != 0 && parent != info.info.x11.fswindow;
}

#endif
