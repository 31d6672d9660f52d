#include "VideoMode.h"

#include <SDL/SDL_image.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Gamepad.h"
#include "KeyBindings.h"
#include "Screen.h"
#include "Settings.h"

const char* const VideoMode::ICON_PATHS[2] = {"../../icons/hicolor/48x48/apps/deadacre.png",
                                              "../packaging/icons/deadacre-48.png"};
const char* const VideoMode::ICON_NAME = "Dead Acre";

void VideoMode::setIdentity() {
    // The title is left to the menu and the level; only the icon's name is the game's own.
    SDL_WM_SetCaption(NULL, ICON_NAME);
#ifdef __EMSCRIPTEN__
    // A page has no window to put an icon on (its own come with the page), and the icon files
    // are not in its data: looking for them only fills the console with warnings.
    return;
#endif
    std::string tried;
    for (const char* path : ICON_PATHS) {
        SDL_Surface* icon = IMG_Load(path);
        if (icon != NULL) {
            // SDL keeps its own copy; the alpha channel becomes the icon's mask.
            SDL_WM_SetIcon(icon, NULL);
            SDL_FreeSurface(icon);
            return;
        }
        tried += tried.empty() ? path : std::string(" nor ") + path;
    }
    std::fprintf(stderr, "deadacre: the window has no icon: found neither %s\n", tried.c_str());
}

SDL_Surface* VideoMode::open(int width, int height, int bpp, bool windowed) {
    // The desktop's size, asked before any mode is set, for the message should nothing fit.
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    int screenW = info != NULL ? info->current_w : 0;
    int screenH = info != NULL ? info->current_h : 0;
#ifdef __EMSCRIPTEN__
    // The browser's SDL leaves the format out of what it tells (vfmt points nowhere); the page
    // always takes 32-bit pixels.
    int screenBits = 32;
#else
    int screenBits = info != NULL && info->vfmt != NULL ? info->vfmt->BitsPerPixel : 32;
#endif
    std::string fullScreenError;
    if (!windowed) {
        SDL_Surface* screen = SDL_SetVideoMode(width, height, bpp, SDL_FULLSCREEN);
        if (screen != NULL) {
            return screen;
        }
        fullScreenError = SDL_GetError();
    }
    SDL_Surface* screen = SDL_SetVideoMode(width, height, bpp, 0);
    // One line either way: the window the game fell back to, or why there is none.
    if (screen != NULL && !windowed) {
        std::fprintf(stderr,
                     "deadacre: full screen at %dx%d could not be set (%s): playing in a %dx%d "
                     "window instead\n",
                     width, height, fullScreenError.c_str(), width, height);
    } else if (screen == NULL && info != NULL && screenBits < 24) {
        // sdl12-compat sets no mode on a display of fewer bits (and gives 0 bits for an 8-bit
        // one); the size is not what is wrong.
        std::string bits = screenBits > 0 ? "is " + std::to_string(screenBits) + "-bit" : "is not";
        std::fprintf(stderr,
                     "deadacre: cannot start: the game needs a 24- or 32-bit display; this one "
                     "%s (%s)\n",
                     bits.c_str(), SDL_GetError());
    } else if (screen == NULL) {
        std::fprintf(stderr,
                     "deadacre: cannot start: neither full screen nor a %dx%d window could be "
                     "set on this %dx%d screen (%s); --windowed plays in a window on a screen "
                     "of at least %dx%d\n",
                     width, height, screenW, screenH, SDL_GetError(), width, height);
    }
    return screen;
}

bool VideoMode::isToggle(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN) {
        return false;
    }
    SDLKey key = event.key.keysym.sym;
    return key == SDLK_F11 ||
           ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && (event.key.keysym.mod & KMOD_ALT));
}

namespace {
VideoMode::ScreenChanged screenChanged = nullptr;
} // namespace

void VideoMode::onScreenChanged(ScreenChanged hear) { screenChanged = hear; }

SDL_Surface* VideoMode::toggle() {
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (screen == NULL) {
        return NULL;
    }
    // Whatever the display showed is gone or moved: the record of painted areas says nothing
    // about the new picture, so the next frame is painted and sent whole.
    Screen::invalidate();
    if (SDL_WM_ToggleFullScreen(screen)) {
        return screen;
    }
    // The runtime cannot switch in place: set the other mode. The objects of the level keep the
    // screen's address, which SDL 1.2 keeps across modes of the same size and depth.
    Uint32 flags = screen->flags & SDL_FULLSCREEN;
    int w = screen->w, h = screen->h, bpp = screen->format->BitsPerPixel;
    // Setting a mode lets go of every key SDL knows to be held; the player has not.
    int keyCount = 0;
    Uint8* keys = SDL_GetKeyState(&keyCount);
    std::vector<Uint8> held(keys, keys + keyCount);
    SDLMod mod = SDL_GetModState();
    SDL_Surface* switched = SDL_SetVideoMode(w, h, bpp, flags ^ SDL_FULLSCREEN);
    if (switched == NULL) {
        std::fprintf(stderr, "deadacre: cannot switch to %s: %s\n",
                     flags ? "a window" : "full screen", SDL_GetError());
        switched = SDL_SetVideoMode(w, h, bpp, flags);
    }
    std::copy(held.begin(), held.end(), SDL_GetKeyState(NULL));
#ifndef __EMSCRIPTEN__
    SDL_SetModState(mod); // the browser's SDL has none: its modifiers follow the page's keys
#else
    (void)mod;
#endif
    return switched;
}

bool VideoMode::keepPointerInWindow = false;
bool VideoMode::reportFocus = false;

namespace {
bool pointerWanted = false;

void grabAsWanted() {
    SDL_Surface* screen = SDL_GetVideoSurface();
    bool inWindow = screen != NULL && !(screen->flags & SDL_FULLSCREEN);
    if (VideoMode::keepPointerInWindow) {
        SDL_WM_GrabInput(pointerWanted && inWindow ? SDL_GRAB_ON : SDL_GRAB_OFF);
    }
}

// The switch is the player's choice of full screen or a window, kept for the next game.
void keepWindowChoice(SDL_Surface* screen) {
    Settings& settings = Settings::game();
    settings.window = !(screen->flags & SDL_FULLSCREEN);
    settings.set("window", settings.window ? "yes" : "no");
    std::string error;
    if (!settings.save(&error)) {
        std::fprintf(stderr, "deadacre: %s\n", error.c_str());
    }
}

// Focus comes as a key press of its own, which the level hears and a recording keeps.
bool focusAsKey(SDL_Event* event) {
#ifdef __EMSCRIPTEN__
    // A hidden tab is never played: the game stands still until the tab is shown again, and then
    // waits paused for the player to come back to it.
    if (event->type == SDL_WINDOWEVENT && event->window.event == SDL_WINDOWEVENT_HIDDEN) {
        std::memset(event, 0, sizeof *event);
        event->type = SDL_KEYDOWN;
        event->key.state = SDL_PRESSED;
        event->key.keysym.sym = KeyBindings::FOCUS_LOST;
        return true;
    }
#endif
    if (event->type != SDL_ACTIVEEVENT || !(event->active.state & SDL_APPINPUTFOCUS)) {
        return false;
    }
    bool gained = event->active.gain != 0;
    KeyBindings::focusChanged(gained);
    if (!VideoMode::reportFocus) {
        return false;
    }
    std::memset(event, 0, sizeof *event);
    event->type = SDL_KEYDOWN;
    event->key.state = SDL_PRESSED;
    event->key.keysym.sym = gained ? KeyBindings::FOCUS_BACK : KeyBindings::FOCUS_LOST;
    return true;
}
} // namespace

void VideoMode::holdPointer(bool playing) {
    pointerWanted = playing;
    grabAsWanted();
}

// The next event, looking at the display for new ones at most once per millisecond of real time:
// a frame's catch-up passes come microseconds apart, and each look (a read of the X connection,
// more on sdl12-compat) cost more than the rest of a still frame's passes. Events already queued
// (pushed by the game or a test) are read at once either way.
static int nextEvent(SDL_Event* event) {
#ifdef __EMSCRIPTEN__
    return SDL_PollEvent(event); // the page's events arrive between frames
#else
    static bool looked = false;
    static Uint32 lastLook = 0;
    Uint32 now = SDL_GetTicks();
    if (!looked || now != lastLook) {
        SDL_PumpEvents();
        looked = true;
        lastLook = now;
    }
    return SDL_PeepEvents(event, 1, SDL_GETEVENT, SDL_ALLEVENTS) > 0;
#endif
}

int VideoMode::pollEvent(SDL_Event* event) {
    while (nextEvent(event)) {
        if (isToggle(*event)) {
            SDL_Surface* screen = toggle();
            if (screen != NULL && screenChanged != nullptr) {
                screenChanged(screen);
            }
            if (screen != NULL) {
                grabAsWanted();
                keepWindowChoice(screen);
            }
        } else if (focusAsKey(event)) {
            return 1;
        } else if (!Gamepad::translate(*event) && KeyBindings::translate(event)) {
            return 1;
        }
    }
    KeyBindings::refresh();
    Gamepad::holdKeys();
    return 0;
}
