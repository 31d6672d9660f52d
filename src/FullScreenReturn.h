#ifndef FULLSCREENRETURN_H
#define FULLSCREENRETURN_H

// Classic SDL 1.2 on X takes its full screen down when the game loses the focus (another window
// comes up) and puts it back once the focus has returned and no X event has come for 1.5 s. A
// caption change is such an event, and the level changes its caption every second: without care
// the game would stay in a framed window, its picture cut off, until it ends.
class FullScreenReturn {
public:
    // Whether classic SDL has set its full screen aside and waits to put it back: the screen is
    // flagged full screen while SDL's window is out of SDL's full-screen window. Until then the
    // caption is left as it is. Always false on sdl12-compat, in the browser and in a window.
    static bool pending();
};

#endif
