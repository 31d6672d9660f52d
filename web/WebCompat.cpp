// The few pieces the browser build needs around the unchanged game: a missing SDL call, a flip
// that yields to the browser, a main that tells the page when the game is over, and the drawing
// itself. Compiled without WebCompat.h, so SDL_Flip here is the browser SDL's own.
//
// The browser's SDL keeps every surface in a canvas of its own and blits with the canvas's
// drawImage: a frame was a hundred canvas calls and twice the screen's pixels, and the game's own
// pixel routines wrote memory no canvas ever showed. Here every surface is drawn in the wasm heap
// instead, as on the desktop: its picture is read from its canvas once, at its first blit or fill,
// and from then on its pixels in the heap are the picture. The shown frame goes to the page's
// canvas with one putImageData per changed area, straight from a view of the heap. The browser's
// SDL lays pixels out as canvas RGBA (red in the lowest byte), so no byte is converted on the way.
#include <SDL/SDL.h>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <emscripten.h>

int gameMain(int argc, char** argv); // the game's own main, renamed at compile time

Uint32* pixelsOf(SDL_Surface* surface, int* alpha, bool* opaque);

// The browser's SDL keeps every surface in a canvas and converts on the way in; a JPEG comes out
// with an alpha channel that is opaque everywhere. Told as having none, it is a picture the
// game's row copies take, as on the desktop (the map put back only where something was painted).
extern "C" SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
    SDL_Surface* converted = SDL_DisplayFormatAlpha(surface);
    bool opaque = false;
    if (converted != NULL && pixelsOf(converted, NULL, &opaque) != NULL && opaque) {
        converted->format->Amask = 0;
    }
    return converted;
}

// The surface's pixels in the heap, read from its canvas the first time it is drawn from or into
// (the screen starts opaque black, as the desktop's does). *traits gets the surface alpha
// SDL_SetAlpha gave it (0-255) and, in bit 8, whether every pixel is opaque, which makes its blits
// row copies.
EM_JS(Uint8*, heapPixels, (SDL_Surface * surface, int* traits), {
    var s = SDL.surfaces[surface];
    if (!s)
        return 0;
    if (!s.inHeap) {
        if (!s.buffer)
            s.buffer = _malloc(s.width * s.height * 4);
        var words = s.width * s.height;
        if (surface == SDL.screen) {
            HEAPU32.fill(0xff000000, s.buffer >> 2, (s.buffer >> 2) + words);
        } else {
            HEAPU8.set(s.ctx.getImageData(0, 0, s.width, s.height).data, s.buffer);
        }
        var opaque = true;
        for (var i = (s.buffer >> 0) + 3, end = s.buffer + words * 4; i < end && opaque; i += 4) {
            opaque = HEAPU8[i] == 255;
        }
        s.opaque = opaque;
        s.inHeap = true;
    }
    HEAP32[traits >> 2] = s.alpha | (s.opaque ? 256 : 0);
    return s.buffer;
});

// Something was drawn into the surface: it may no longer be opaque everywhere.
EM_JS(void, drawnInto, (SDL_Surface * surface), {
    var s = SDL.surfaces[surface];
    if (s)
        s.opaque = false;
});

// The heap pixels of surface, with surface->pixels pointing at them.
Uint32* pixelsOf(SDL_Surface* surface, int* alpha, bool* opaque) {
    int traits = 0;
    Uint8* pixels = heapPixels(surface, &traits);
    surface->pixels = pixels;
    if (alpha != NULL) {
        *alpha = traits & 255;
    }
    if (opaque != NULL) {
        *opaque = (traits & 256) != 0;
    }
    return reinterpret_cast<Uint32*>(pixels);
}

namespace {

// SDL 1.2's blend of one pixel over an opaque one (d + (s - d) * a / 256, red and blue in one
// step), and over one that is not (the canvas's source-over, which the browser's SDL gave).
inline Uint32 blend(Uint32 s, Uint32 d, Uint32 a) {
    if (a == 255) {
        return s | 0xff000000;
    }
    if (a == 0) {
        return d;
    }
    Uint32 da = d >> 24;
    if (da == 255) {
        Uint32 s1 = s & 0xff00ff, d1 = d & 0xff00ff;
        d1 = (d1 + ((s1 - d1) * a >> 8)) & 0xff00ff;
        Uint32 s2 = s & 0xff00, d2 = d & 0xff00;
        d2 = (d2 + ((s2 - d2) * a >> 8)) & 0xff00;
        return d1 | d2 | 0xff000000;
    }
    Uint32 keep = da * (255 - a) / 255, out = a + keep;
    Uint32 r = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        Uint32 c = (((s >> shift) & 255) * a + ((d >> shift) & 255) * keep) / out;
        r |= c << shift;
    }
    return r | (out << 24);
}

// The blit's rectangle clipped to both surfaces, as SDL clips: false when nothing is left.
bool clipBlit(SDL_Surface* source, const SDL_Rect* sourceArea, SDL_Surface* destination,
              SDL_Rect* destinationArea, SDL_Rect* from, SDL_Rect* to) {
    SDL_Rect s = {0, 0, source->w, source->h};
    if (sourceArea != NULL) {
        s = *sourceArea;
    }
    int dx = destinationArea != NULL ? destinationArea->x : 0;
    int dy = destinationArea != NULL ? destinationArea->y : 0;
    if (s.x < 0) {
        s.w += s.x;
        dx -= s.x;
        s.x = 0;
    }
    if (s.y < 0) {
        s.h += s.y;
        dy -= s.y;
        s.y = 0;
    }
    s.w = std::min(s.w, source->w - s.x);
    s.h = std::min(s.h, source->h - s.y);
    if (dx < 0) {
        s.w += dx;
        s.x -= dx;
        dx = 0;
    }
    if (dy < 0) {
        s.h += dy;
        s.y -= dy;
        dy = 0;
    }
    s.w = std::min(s.w, destination->w - dx);
    s.h = std::min(s.h, destination->h - dy);
    if (destinationArea != NULL) {
        *destinationArea = {dx, dy, std::max(s.w, 0), std::max(s.h, 0)};
    }
    *from = s;
    *to = {dx, dy, s.w, s.h};
    return s.w > 0 && s.h > 0;
}

} // namespace

// The desktop SDL answers a blit of a missing picture (no weapon in hand, a sprite that did not
// load) with -1; the browser's would throw and stop the page.
extern "C" int webUpperBlit(SDL_Surface* source, SDL_Rect* sourceArea, SDL_Surface* destination,
                            SDL_Rect* destinationArea) {
    if (source == NULL || destination == NULL) {
        SDL_SetError("SDL_UpperBlit: passed a NULL surface");
        return -1;
    }
    SDL_Rect from, to;
    if (!clipBlit(source, sourceArea, destination, destinationArea, &from, &to)) {
        return 0;
    }
    int alpha;
    bool opaque;
    const Uint32* s = pixelsOf(source, &alpha, &opaque);
    Uint32* d = pixelsOf(destination, NULL, NULL);
    if (destination != SDL_GetVideoSurface()) {
        drawnInto(destination);
    }
    for (int y = 0; y < to.h; y++) {
        const Uint32* row = s + (from.y + y) * source->w + from.x;
        Uint32* out = d + (to.y + y) * destination->w + to.x;
        if (opaque && alpha == 255) {
            std::memcpy(out, row, to.w * 4);
            continue;
        }
        for (int x = 0; x < to.w; x++) {
            Uint32 a = row[x] >> 24;
            out[x] = blend(row[x], out[x], alpha == 255 ? a : (a * alpha + 127) / 255);
        }
    }
    return 0;
}

extern "C" int webFillRect(SDL_Surface* surface, SDL_Rect* area, Uint32 colour) {
    if (surface == NULL) {
        return -1;
    }
    SDL_Rect whole = {0, 0, surface->w, surface->h};
    const SDL_Rect& want = area != NULL ? *area : whole;
    int left = std::max(want.x, 0), top = std::max(want.y, 0);
    int right = std::min(want.x + want.w, surface->w),
        bottom = std::min(want.y + want.h, surface->h);
    if (right <= left || bottom <= top) {
        return 0;
    }
    Uint32* pixels = pixelsOf(surface, NULL, NULL);
    if (surface != SDL_GetVideoSurface()) {
        drawnInto(surface);
    }
    for (int y = top; y < bottom; y++) {
        std::fill(pixels + y * surface->w + left, pixels + y * surface->w + right, colour);
    }
    return 0;
}

// The screen's pixels are in the heap from the start: the game's row copies write through
// pixels without a lock, and a frame written into the browser SDL's own buffer would be lost to
// the next, which moves the last frame's pixels rather than painting them afresh.
extern "C" SDL_Surface* webSetVideoMode(int width, int height, int bpp, Uint32 flags) {
    SDL_Surface* screen = SDL_SetVideoMode(width, height, bpp, flags);
    if (screen != NULL) {
        pixelsOf(screen, NULL, NULL);
    }
    return screen;
}

// The pixels are in the heap all the time: locking only makes sure they are there.
extern "C" int webLockSurface(SDL_Surface* surface) {
    if (surface == NULL) {
        return -1;
    }
    pixelsOf(surface, NULL, NULL);
    return 0;
}

extern "C" void webUnlockSurface(SDL_Surface*) {}

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

// The areas of the screen's heap pixels put on the page's canvas, through an ImageData over the
// heap itself (made again only when the heap grows, which replaces its buffer).
EM_JS(void, putAreas,
      (const Uint8* pixels, int width, int height, const SDL_Rect* areas, int count), {
          var s = SDL.surfaces[SDL.screen];
          var frame = Module.heapFrame;
          if (!frame || frame.data.buffer != HEAPU8.buffer || frame.pixels != pixels) {
              frame = Module.heapFrame = new ImageData(
                  new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
              frame.pixels = pixels;
          }
          if (!areas) {
              s.ctx.putImageData(frame, 0, 0);
              return;
          }
          for (var i = 0; i < count; i++) {
              var a = (areas >> 2) + i * 4;
              s.ctx.putImageData(frame, 0, 0, HEAP32[a], HEAP32[a + 1], HEAP32[a + 2],
                                 HEAP32[a + 3]);
          }
      });

extern "C" int webFlip(SDL_Surface* screen) {
    if (screen != NULL) {
        putAreas(reinterpret_cast<Uint8*>(pixelsOf(screen, NULL, NULL)), screen->w, screen->h, NULL,
                 0);
    }
    waitForNextFrame();
    return 0;
}

namespace {

// Each putImageData costs about as much as this many pixels besides its pixels (measured in
// headless Chromium): two areas whose bounds cost less than the two calls are sent as one.
const int PIXELS_PER_CALL = 4096;

int areaOf(const SDL_Rect& r) { return r.w * r.h; }

SDL_Rect boundsOf(const SDL_Rect& a, const SDL_Rect& b) {
    int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    int right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
    return {left, top, right - left, bottom - top};
}

// The areas clipped to the screen and merged while merging saves work; count is updated.
void mergeAreas(SDL_Rect* areas, int* count, int width, int height) {
    int kept = 0;
    for (int i = 0; i < *count; i++) {
        SDL_Rect a = areas[i];
        int left = std::max(a.x, 0), top = std::max(a.y, 0);
        int right = std::min(a.x + a.w, width), bottom = std::min(a.y + a.h, height);
        if (right > left && bottom > top) {
            areas[kept++] = {left, top, right - left, bottom - top};
        }
    }
    for (bool merged = true; merged;) {
        merged = false;
        for (int i = 0; i < kept; i++) {
            for (int j = i + 1; j < kept; j++) {
                SDL_Rect both = boundsOf(areas[i], areas[j]);
                if (areaOf(both) <= areaOf(areas[i]) + areaOf(areas[j]) + PIXELS_PER_CALL) {
                    areas[i] = both;
                    areas[j--] = areas[--kept];
                    merged = true;
                }
            }
        }
    }
    *count = kept;
}

} // namespace

// Only what changed since the last frame shown (Screen keeps the record).
extern "C" void webUpdateRects(SDL_Surface* screen, int count, SDL_Rect* areas) {
    static SDL_Rect merged[256];
    if (screen != NULL && count > 256) {
        webFlip(screen); // so many areas are as good as the whole
        return;
    }
    if (screen != NULL && count > 0) {
        std::copy(areas, areas + count, merged);
        mergeAreas(merged, &count, screen->w, screen->h);
        putAreas(reinterpret_cast<Uint8*>(pixelsOf(screen, NULL, NULL)), screen->w, screen->h,
                 merged, count);
    }
    waitForNextFrame();
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

// The browser's SDL makes a key's scancode from its key code, which follows the keyboard's layout.
// A letter key's scancode becomes instead the one of the QWERTY letter in its place on the
// keyboard (KeyboardEvent.code), which is what KeyBindings::placeOf gives in the browser: the
// walking keys can answer by their place (walk_keys = position) while every key keeps its letter.
EM_JS(void, scancodesByPlace, (int scancodeOffset), {
    var plain = SDL.makeCEvent;
    SDL.makeCEvent = function(event, ptr) {
        var made = plain(event, ptr);
        var code = event.code || "";
        var letter = code.length == 4 && code.indexOf('Key') == 0 ? code.charCodeAt(3) - 65 : -1;
        if ((event.type == 'keydown' || event.type == 'keyup') && letter >= 0 && letter < 26) {
            HEAP32[(ptr + scancodeOffset) >> 2] = 4 + letter;
        }
        return made;
    };
});

int main(int argc, char** argv) {
    scancodesByPlace(static_cast<int>(offsetof(SDL_KeyboardEvent, keysym.scancode)));
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
