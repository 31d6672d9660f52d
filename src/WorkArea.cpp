#include "WorkArea.h"

#ifdef __EMSCRIPTEN__

bool WorkArea::roomForWindow(int*, int*, int*, int*) { return false; }

#else

#include <X11/Xlib.h>
#include <time.h>
#include <vector>

namespace {

// A property of 32-bit items, which Xlib hands over as longs; empty when absent.
std::vector<long> items(Display* display, Window window, const char* name) {
    std::vector<long> values;
    Atom atom = XInternAtom(display, name, True);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    if (atom != None &&
        XGetWindowProperty(display, window, atom, 0, 1024, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data != NULL) {
        if (format == 32) {
            const long* read = reinterpret_cast<const long*>(data);
            values.assign(read, read + count);
        }
        XFree(data);
    }
    return values;
}

// The frame (left, right, top, bottom) the window manager would put around a window, asked for
// on a window of our own that is never shown. A window manager that does not answer within a
// fifth of a second, or none at all, puts none as far as the game can know.
std::vector<long> frameOfAWindow(Display* display) {
    const Window root = DefaultRootWindow(display);
    if (items(display, root, "_NET_SUPPORTING_WM_CHECK").empty()) {
        return {};
    }
    const Window probe = XCreateSimpleWindow(display, root, 0, 0, 100, 100, 0, 0, 0);
    XEvent request = {};
    request.xclient.type = ClientMessage;
    request.xclient.window = probe;
    request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    request.xclient.format = 32;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    std::vector<long> frame;
    for (int tries = 0; tries < 40 && frame.size() < 4; tries++) {
        const struct timespec fiveMs = {0, 5000000};
        nanosleep(&fiveMs, NULL);
        frame = items(display, probe, "_NET_FRAME_EXTENTS");
    }
    XDestroyWindow(display, probe);
    XSync(display, False);
    return frame.size() >= 4 ? frame : std::vector<long>();
}

} // namespace

bool WorkArea::roomForWindow(int* x, int* y, int* width, int* height) {
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        return false;
    }
    const Window root = DefaultRootWindow(display);
    long left = 0, top = 0;
    long w = DisplayWidth(display, DefaultScreen(display));
    long h = DisplayHeight(display, DefaultScreen(display));
    // x, y, width, height for each virtual desktop; the one shown now.
    const std::vector<long> area = items(display, root, "_NET_WORKAREA");
    const std::vector<long> current = items(display, root, "_NET_CURRENT_DESKTOP");
    const size_t at = 4 * static_cast<size_t>(current.empty() || current[0] < 0 ? 0 : current[0]);
    if (area.size() >= at + 4 && area[at + 2] > 0 && area[at + 3] > 0) {
        left = area[at];
        top = area[at + 1];
        w = area[at + 2];
        h = area[at + 3];
    }
    const std::vector<long> frame = frameOfAWindow(display);
    if (!frame.empty()) {
        w -= frame[0] + frame[1];
        h -= frame[2] + frame[3];
    }
    XCloseDisplay(display);
    if (w <= 0 || h <= 0) {
        return false;
    }
    *x = static_cast<int>(left);
    *y = static_cast<int>(top);
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

#endif
