#include "VideoMode.h"

#include <SDL/SDL_image.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Fit.h"
#include "Gamepad.h"
#include "KeyBindings.h"
#include "PresentationPath.h"
#include "Scaler.h"
#include "Screen.h"
#include "Settings.h"
#include "WorkArea.h"

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

int VideoMode::scale = Fit::UNSCALED;
bool VideoMode::desktopFullScreen = false;

namespace {
// The desktop's size as it was before the game set any mode: what full screen at the desktop's
// size is measured against. 0x0 where SDL does not tell.
int desktopW = 0, desktopH = 0;
// What a window's inside may take of it: the desktop less its panels and the window's frame,
// where the window manager tells them (else the desktop); the frame's corner from (roomX, roomY).
int roomX = 0, roomY = 0, roomW = 0, roomH = 0;
bool roomKnown = false;

// A window of width x height opens in the middle of the room. SDL2 (under sdl12-compat) puts a
// window in the middle of the screen, frame not counted, which takes a window that fills the
// room past the screen's bottom; classic SDL leaves it to the window manager. A place the player
// gave SDL in the environment stays theirs.
void placeInRoom(int width, int height) {
    static bool placedByUs = false;
    if (!roomKnown || (std::getenv("SDL_VIDEO_WINDOW_POS") != NULL && !placedByUs)) {
        return;
    }
    const std::string at = std::to_string(roomX + std::max(0, (roomW - width) / 2)) + "," +
                           std::to_string(roomY + std::max(0, (roomH - height) / 2));
    setenv("SDL_VIDEO_WINDOW_POS", at.c_str(), 1);
    placedByUs = true;
}

// A scaled window of the size the player asked for (fitted to the desktop), resizable.
SDL_Surface* scaledWindow(int bpp, bool say) {
    // Not asked for: the game's own size, smaller only where the desktop is.
    Fit fit = Fit::window(VideoMode::scale == Fit::UNSCALED ? 1 : VideoMode::scale, roomW, roomH);
    placeInRoom(fit.surfaceW, fit.surfaceH);
    SDL_Surface* window = SDL_SetVideoMode(fit.surfaceW, fit.surfaceH, bpp, SDL_RESIZABLE);
    if (window != NULL && say && fit.shrunk) {
        std::fprintf(stderr,
                     "deadacre: the %dx%d picture does not fit this %dx%d screen: playing in a "
                     "%dx%d window, scaled down\n",
                     Fit::PICTURE_W, Fit::PICTURE_H, desktopW, desktopH, fit.surfaceW,
                     fit.surfaceH);
    } else if (window != NULL && say && VideoMode::scale > 1 &&
               fit.picture.w < VideoMode::scale * Fit::PICTURE_W) {
        std::fprintf(stderr,
                     "deadacre: a window %d times %dx%d does not fit this %dx%d screen: playing "
                     "in a %dx%d window\n",
                     VideoMode::scale, Fit::PICTURE_W, Fit::PICTURE_H, desktopW, desktopH,
                     fit.surfaceW, fit.surfaceH);
    }
    return window;
}

#ifndef __EMSCRIPTEN__
bool fitsDesktop(int width, int height) {
    return roomW <= 0 || roomH <= 0 || (width <= roomW && height <= roomH);
}
#endif
} // namespace
SDL_Surface* VideoMode::open(int width, int height, int bpp, bool windowed) {
    // The desktop's size, asked before any mode is set, for the message should nothing fit.
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    int screenW = info != NULL ? info->current_w : 0;
    int screenH = info != NULL ? info->current_h : 0;
    desktopW = roomW = screenW;
    desktopH = roomH = screenH;
#ifdef __EMSCRIPTEN__
    // The browser's SDL leaves the format out of what it tells (vfmt points nowhere); the page
    // always takes 32-bit pixels.
    int screenBits = 32;
#else
    int screenBits = info != NULL && info->vfmt != NULL ? info->vfmt->BitsPerPixel : 32;
#endif
#ifndef __EMSCRIPTEN__
    // sdl12-compat makes a full screen of another size than the desktop's by scaling every
    // frame whole in SDL2 (several times the cost of scaling what changed here), and without a
    // window manager its window keeps 1080x720 while SDL2 draws for the whole screen, so only a
    // part of the picture is seen. There full screen is the desktop's size, scaled here, which
    // looks the same and is whole everywhere.
    // Only a display has a desktop whose size means anything: sdl12-compat's dummy driver (the
    // tests, a headless playback) tells of a 1024x768 screen nobody sees.
    char driver[16] = "";
    const bool onDisplay =
        SDL_VideoDriverName(driver, sizeof driver) && std::strcmp(driver, "x11") == 0;
    roomKnown = onDisplay && WorkArea::roomForWindow(&roomX, &roomY, &roomW, &roomH);
    const bool compatFullScreen = onDisplay && !windowed && scale == Fit::UNSCALED &&
                                  !desktopFullScreen && PresentationPath::onSdl12Compat() &&
                                  screenW > 0 && screenH > 0 &&
                                  (screenW != width || screenH != height);
    // Scaled as the player asked: full screen at the desktop's size, or a window.
    if (scale != Fit::UNSCALED || desktopFullScreen || compatFullScreen) {
        SDL_Surface* screen = NULL;
        if ((desktopFullScreen || compatFullScreen) && !windowed && screenW > 0 && screenH > 0) {
            screen = SDL_SetVideoMode(screenW, screenH, bpp, SDL_FULLSCREEN);
            if (screen == NULL) {
                std::fprintf(stderr,
                             "deadacre: full screen at the desktop's %dx%d could not be set (%s): "
                             "playing in a window instead\n",
                             screenW, screenH, SDL_GetError());
            }
        }
        screen = screen != NULL ? screen : scaledWindow(bpp, true);
        if (screen != NULL) {
            Scaler::start(screen);
            return Scaler::picture();
        }
    }
#endif
    std::string fullScreenError;
    if (!windowed) {
        SDL_Surface* screen = SDL_SetVideoMode(width, height, bpp, SDL_FULLSCREEN);
        if (screen != NULL) {
            return screen;
        }
        fullScreenError = SDL_GetError();
    }
#ifndef __EMSCRIPTEN__
    // A screen smaller than the picture: a window scaled down to fit it, nothing off screen.
    if (onDisplay && !fitsDesktop(width, height)) {
        SDL_Surface* window = scaledWindow(bpp, windowed);
        if (window != NULL && !windowed) {
            const Fit fit = Fit::inside(window->w, window->h);
            std::fprintf(stderr,
                         "deadacre: full screen at %dx%d could not be set (%s): playing in a %dx%d "
                         "window instead, scaled down to fit this %dx%d screen\n",
                         width, height, fullScreenError.c_str(), fit.surfaceW, fit.surfaceH,
                         screenW, screenH);
        }
        if (window != NULL) {
            Scaler::start(window);
            return Scaler::picture();
        }
    }
#endif
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

namespace {
// Setting a mode lets go of every key SDL knows to be held; the player has not.
struct HeldKeys {
    std::vector<Uint8> held;
    SDLMod mod;
    HeldKeys() {
        int keyCount = 0;
        Uint8* keys = SDL_GetKeyState(&keyCount);
        held.assign(keys, keys + keyCount);
        mod = SDL_GetModState();
    }
    ~HeldKeys() {
        std::copy(held.begin(), held.end(), SDL_GetKeyState(NULL));
#ifndef __EMSCRIPTEN__
        SDL_SetModState(mod); // the browser's SDL has none: its modifiers follow the page's keys
#endif
    }
};

// A scaled picture switches between full screen at the desktop's size and the window the player
// chose; the game's picture stays where it is, only the window it is scaled into changes.
SDL_Surface* toggleScaled(SDL_Surface* screen) {
    HeldKeys keys;
    const bool full = screen->flags & SDL_FULLSCREEN;
    const int bpp = screen->format->BitsPerPixel;
    SDL_Surface* switched = full || desktopW <= 0
                                ? scaledWindow(bpp, false)
                                : SDL_SetVideoMode(desktopW, desktopH, bpp, SDL_FULLSCREEN);
    if (switched == NULL) {
        std::fprintf(stderr, "deadacre: cannot switch to %s: %s\n",
                     full ? "a window" : "full screen", SDL_GetError());
        switched = full ? SDL_SetVideoMode(desktopW, desktopH, bpp, SDL_FULLSCREEN)
                        : scaledWindow(bpp, false);
    }
    Scaler::start(switched);
    return switched != NULL ? Scaler::picture() : NULL;
}
} // namespace

SDL_Surface* VideoMode::toggle() {
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (screen == NULL) {
        return NULL;
    }
    // Whatever the display showed is gone or moved: the record of painted areas says nothing
    // about the new picture, so the next frame is painted and sent whole.
    Screen::invalidate();
    if (Scaler::on()) {
        return toggleScaled(screen);
    }
    if (SDL_WM_ToggleFullScreen(screen)) {
        return screen;
    }
    // The runtime cannot switch in place: set the other mode. The objects of the level keep the
    // screen's address, which SDL 1.2 keeps across modes of the same size and depth.
    Uint32 flags = screen->flags & SDL_FULLSCREEN;
    int w = screen->w, h = screen->h, bpp = screen->format->BitsPerPixel;
    HeldKeys keys;
    SDL_Surface* switched = SDL_SetVideoMode(w, h, bpp, flags ^ SDL_FULLSCREEN);
    if (switched == NULL) {
        std::fprintf(stderr, "deadacre: cannot switch to %s: %s\n",
                     flags ? "a window" : "full screen", SDL_GetError());
        switched = SDL_SetVideoMode(w, h, bpp, flags);
    }
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
    settings.window = !((Scaler::on() ? Scaler::window() : screen)->flags & SDL_FULLSCREEN);
    settings.set("window", settings.window ? "yes" : "no");
    // A scaled picture's full screen is the desktop's size, and stays so at the next start.
    const bool asked = VideoMode::scale != Fit::UNSCALED || VideoMode::desktopFullScreen;
    if (asked && !settings.window && !settings.desktopFullScreen) {
        settings.desktopFullScreen = true;
        settings.set("fullscreen", "desktop");
    }
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

namespace {
// Whether SDL has told where the pointer is: sdl12-compat reads it as (0, 0) until its first
// motion, classic SDL as wherever it entered the window, a browser's not until it enters.
bool pointerKnown = false;

// The player resized the scaled window: the picture refits it.
void resized(const SDL_ResizeEvent& size) {
    SDL_Surface* window = Scaler::window();
    if (window == NULL || (window->flags & SDL_FULLSCREEN) ||
        (size.w == window->w && size.h == window->h)) {
        return;
    }
    HeldKeys keys;
    SDL_Surface* resized =
        SDL_SetVideoMode(size.w, size.h, window->format->BitsPerPixel, SDL_RESIZABLE);
    if (resized != NULL) {
        Scaler::start(resized);
        Screen::invalidate();
        // At once, the last frame refitted: a paused game shows no other until it plays on.
        PresentationPath::flip(Scaler::picture());
    }
}

// Pointer positions on a scaled window in the picture's own coordinates.
void ontoPicture(SDL_Event* event) {
    if (event->type == SDL_MOUSEMOTION) {
        pointerKnown = true;
    }
    if (!Scaler::on()) {
        return;
    }
    const Fit& fit = Scaler::fit();
    int x, y;
    if (event->type == SDL_MOUSEMOTION) {
        x = event->motion.x;
        y = event->motion.y;
        fit.toPicture(&x, &y);
        event->motion.x = static_cast<Uint16>(x);
        event->motion.y = static_cast<Uint16>(y);
    } else if (event->type == SDL_MOUSEBUTTONDOWN || event->type == SDL_MOUSEBUTTONUP) {
        x = event->button.x;
        y = event->button.y;
        fit.toPicture(&x, &y);
        event->button.x = static_cast<Uint16>(x);
        event->button.y = static_cast<Uint16>(y);
    }
}
} // namespace

Uint8 VideoMode::pointer(int* x, int* y) {
    const Uint8 buttons = SDL_GetMouseState(x, y);
    // A position other than the origin is one SDL was told, with or without a motion event (a
    // warp, the pointer where the window opened). Only a display has a pointer to wait for: SDL's
    // dummy driver (the tests, a headless playback) reads what it was last given.
    char driver[16] = "";
    pointerKnown = pointerKnown || *x != 0 || *y != 0 ||
                   !SDL_VideoDriverName(driver, sizeof driver) || std::strcmp(driver, "x11") != 0;
    if (!pointerKnown) {
        *x = Fit::PICTURE_W / 2;
        *y = Fit::PICTURE_H / 2;
    } else if (Scaler::on()) {
        Scaler::fit().toPicture(x, y);
    }
    return buttons;
}

int VideoMode::pollEvent(SDL_Event* event) {
    while (nextEvent(event)) {
        if (event->type == SDL_VIDEORESIZE) {
            resized(event->resize);
        } else if (event->type == SDL_VIDEOEXPOSE) {
            PresentationPath::exposed();
        } else if (isToggle(*event)) {
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
            ontoPicture(event);
            return 1;
        }
    }
    KeyBindings::refresh();
    Gamepad::holdKeys();
    return 0;
}
