#ifndef VIDEOMODE_H
#define VIDEOMODE_H

#include <SDL/SDL.h>

// The game's window as the desktop sees it: its icon and icon name, full screen or a window, and
// the switch between the two while playing.
class VideoMode {
public:
    // The icon and the icon name of the window about to open; before the first SDL_SetVideoMode,
    // which is where SDL 1.2 takes the icon from. A missing icon costs one line on stderr.
    static void setIdentity();
    // The screen to play on: full screen unless windowed, else (or where full screen cannot be
    // set) a window, saying so in one line. NULL, after one "cannot start" line naming the
    // screen's size and --windowed, when neither opens.
    static SDL_Surface* open(int width, int height, int bpp, bool windowed);
    // The player's choice of how the picture is shown. Fit::UNSCALED: as painted, full screen the
    // 1080x720 mode. Otherwise the picture is scaled (Scaler): a window at scale (Fit::FIT or a
    // whole multiple), and, with desktopFullScreen, full screen at the desktop's own size. Where
    // 1080x720 does not fit the desktop, the window is scaled down to fit whatever was chosen.
    static int scale;
    static bool desktopFullScreen;
    // Alt+Enter or F11 pressed.
    static bool isToggle(const SDL_Event& event);
    // Full screen to window or back, keeping the game as it is; the next frame is painted and
    // shown in full. Returns the screen now shown: the other mode's, or where that cannot be set
    // the mode it was in (null only when there is no screen left at all).
    static SDL_Surface* toggle();
    // Whoever keeps the screen's address hears here of the screen after a switch (SDL 1.2 keeps
    // the address across modes of one size, but nothing promises it).
    typedef void (*ScreenChanged)(SDL_Surface* screen);
    static void onScreenChanged(ScreenChanged hear);
    // SDL_PollEvent as the game reads the outside world: the switch taken out and done (it
    // changes nothing the game decides, so neither the game nor a recording sees it), and the
    // gamepad's events turned into the keyboard and mouse input they stand for.
    static int pollEvent(SDL_Event* event);

    // SDL's pointer in the picture's coordinates, and its buttons; the middle of the picture
    // until SDL knows where the pointer is (sdl12-compat reads (0, 0) until its first motion).
    static Uint8 pointer(int* x, int* y);

    // The player's wishes: the pointer kept in the window while playing in one
    // (SDL_WM_GrabInput), and the window's focus told to the game as the keys
    // KeyBindings::FOCUS_LOST and FOCUS_BACK.
    static bool keepPointerInWindow;
    static bool reportFocus;
    // Playing (true) or not (paused, between levels, leaving): the pointer is held in a window
    // only while playing and only when the player asked for it.
    static void holdPointer(bool playing);

    // Where the icon is looked for, relative to the data folder the game runs in: the installed
    // icon set, then the source tree's.
    static const char* const ICON_PATHS[2];
    static const char* const ICON_NAME;
};

#endif
