#ifndef FIT_H
#define FIT_H

#include <string>

// Where the game's 1080x720 picture lands on a screen or window of another size, and how a point
// there maps back: pure arithmetic, so one table says what every size gives. The picture always
// keeps its 3:2 shape; what is left over is black bars on two sides.
class Fit {
public:
    static constexpr int PICTURE_W = 1080;
    static constexpr int PICTURE_H = 720;
    // A scale of FIT: the largest picture the desktop holds. 1..MOST_SCALE: that many times.
    static constexpr int FIT = 0;
    static constexpr int MOST_SCALE = 8;
    // No scale asked for: the picture shown as painted.
    static constexpr int UNSCALED = -1;
    // "fit" or a whole number 1..MOST_SCALE, as the command line and the settings file give it.
    static bool readScale(const std::string& text, int* scale);

    struct Rect {
        int x, y, w, h;
    };
    // The size of the surface the window or screen gives.
    int surfaceW = PICTURE_W, surfaceH = PICTURE_H;
    // The picture on it, centred.
    Rect picture = {0, 0, PICTURE_W, PICTURE_H};
    // The picture is smaller than 1080x720: the desktop cannot hold the game unscaled.
    bool shrunk = false;

    // The window for a scale on a desktop of the size given (0x0: not known, nothing limits
    // it). A whole multiple too large for the desktop gives the largest whole multiple that fits;
    // where not even 1080x720 fits, the largest picture that does. The window is the picture.
    static Fit window(int scale, int desktopW, int desktopH);
    // A surface of the size given (a full screen at the desktop's size, a window the player
    // resized): the largest picture it holds, bars where the shape differs.
    static Fit inside(int surfaceW, int surfaceH);
    // Whether the picture is shown exactly as painted.
    bool unscaled() const { return picture.w == PICTURE_W && picture.h == PICTURE_H; }

    // A point on the surface to the picture's own coordinates; a point on a bar reads as the
    // nearest edge of the picture.
    void toPicture(int* x, int* y) const;
    // A point of the picture to the surface: the middle of the pixels it is shown as.
    void toSurface(int* x, int* y) const;
};

#endif
