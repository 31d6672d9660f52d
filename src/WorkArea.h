#ifndef WORKAREA_H
#define WORKAREA_H

// The room a window has on the desktop: the screen less what its panels keep for themselves
// (the window manager's work area) and less the frame the window manager puts around a window.
// A window made this size or smaller is whole on screen, frame and all. Asked of the X server
// named by DISPLAY, which is the one SDL 1.2's own X11 driver talks to.
class WorkArea {
public:
    // The inside size a window may have, width x height, and where its frame then goes, at
    // (x, y): a window asked for there is placed with its frame's corner there (the position X
    // windows give by default). False where nothing is known (no X display), leaving all four
    // untouched.
    static bool roomForWindow(int* x, int* y, int* width, int* height);
};

#endif
