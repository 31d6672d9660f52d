#include "PresentationPath.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Scaler.h"
#ifndef __EMSCRIPTEN__
#include <dlfcn.h>
#endif

const char* const PresentationPath::RENDER_DRIVER = "SDL_RENDER_DRIVER";
const char* const PresentationPath::SOFTWARE_RENDERER = "software";
const char* const PresentationPath::FRAMEBUFFER_ACCELERATION = "SDL_FRAMEBUFFER_ACCELERATION";
const char* const PresentationPath::NO_FRAMEBUFFER_ACCELERATION = "false";
const char* const PresentationPath::DIRECT_COPY = "DEADACRE_DIRECT_COPY";

// sdl12-compat numbers itself 1.2.50 and up, past the last classic release (1.2.15), so that
// programs can tell the two apart; there is no other way to ask.
bool PresentationPath::onSdl12Compat() { return SDL_Linked_Version()->patch >= 50; }

static PresentationPath::Tally sent = {0, 0, 0, 0};

const PresentationPath::Tally& PresentationPath::tally() { return sent; }

static void countWhole(const SDL_Surface* screen) {
    sent.wholeFrames++;
    sent.pixels += static_cast<long long>(screen->w) * screen->h;
}

static void countInPart(const SDL_Rect* areas, int count) {
    sent.framesInPart++;
    for (int i = 0; i < count; i++) {
        sent.pixels += static_cast<long long>(areas[i].w) * areas[i].h;
    }
}

bool PresentationPath::choose() {
    // The two go together: a player who named either one has chosen a path, and half of the
    // software pair would make it slower than either whole path.
    if (!onSdl12Compat() || std::getenv(RENDER_DRIVER) != NULL ||
        std::getenv(FRAMEBUFFER_ACCELERATION) != NULL) {
        return false;
    }
    setenv(RENDER_DRIVER, SOFTWARE_RENDERER, 0);
    setenv(FRAMEBUFFER_ACCELERATION, NO_FRAMEBUFFER_ACCELERATION, 0);
    return true;
}

std::string PresentationPath::describe(SDL_Surface* screen) {
    if (!onSdl12Compat()) {
        return "classic SDL 1.2 (its own X output)";
    }
    const char* driver = std::getenv(RENDER_DRIVER);
    const char* acceleration = std::getenv(FRAMEBUFFER_ACCELERATION);
    return std::string(RENDER_DRIVER) + "=" + (driver ? driver : "(SDL2's choice)") + " " +
           FRAMEBUFFER_ACCELERATION + "=" + (acceleration ? acceleration : "(SDL2's choice)") +
           (copiesDirectly(screen) ? ", frames copied straight into the window's framebuffer"
                                   : ", frames through sdl12-compat's flip");
}

bool PresentationPath::directCopyAllowed() {
    const char* setting = std::getenv(DIRECT_COPY);
    return onSdl12Compat() && (setting == NULL || std::strcmp(setting, "0") != 0);
}

#ifdef __EMSCRIPTEN__

PresentationPath::Target PresentationPath::target(SDL_Surface*) { return {NULL, NULL, true}; }

void PresentationPath::showAreas(SDL_Surface* screen, const Target&, const SDL_Rect* areas,
                                 int count) {
    countInPart(areas, count);
    SDL_UpdateRects(screen, count, const_cast<SDL_Rect*>(areas));
}

void PresentationPath::showWhole(SDL_Surface* screen, const Target&) {
    countWhole(screen);
    SDL_Flip(screen);
}

void PresentationPath::exposed() {}

#else

namespace {

// The few SDL2 types the copy reads, laid out as SDL2's headers declare them; SDL2 keeps its ABI
// for the whole of 2.x. The game is built against SDL 1.2's headers, which cannot be mixed with
// SDL2's in one file.
struct Sdl2Surface {
    Uint32 flags;
    void* format;
    int w, h;
    int pitch;
    void* pixels;
};
struct Sdl2RendererInfo {
    const char* name;
    Uint32 flags;
    Uint32 numTextureFormats;
    Uint32 textureFormats[16];
    int maxTextureWidth;
    int maxTextureHeight;
};
struct Sdl2Rect {
    int x, y, w, h;
};
// SDL_PIXELFORMAT_RGB888: 32 bits, XRGB, what a depth-24 X server's windows hold.
const Uint32 SDL2_XRGB8888 = 0x16161804;

struct Sdl2 {
    void* (*getWindow)();
    void* (*getRenderer)(void*);
    int (*getRendererInfo)(void*, Sdl2RendererInfo*);
    Uint32 (*getWindowPixelFormat)(void*);
    void (*getWindowSize)(void*, int*, int*);
    Sdl2Surface* (*getWindowSurface)(void*);
    int (*updateWindowSurfaceRects)(void*, const Sdl2Rect*, int);
    bool found;
};

template <typename F> bool lookUp(void* library, const char* name, F* function) {
    *function = reinterpret_cast<F>(dlsym(library, name));
    return *function != NULL;
}

const Sdl2& sdl2() {
    static Sdl2 calls = []() {
        Sdl2 found = {};
        // sdl12-compat has SDL2 loaded already; this only finds it, never loads it.
        void* library = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
        found.found =
            library != NULL && lookUp(RTLD_DEFAULT, "SDL12COMPAT_GetWindow", &found.getWindow) &&
            lookUp(library, "SDL_GetRenderer", &found.getRenderer) &&
            lookUp(library, "SDL_GetRendererInfo", &found.getRendererInfo) &&
            lookUp(library, "SDL_GetWindowPixelFormat", &found.getWindowPixelFormat) &&
            lookUp(library, "SDL_GetWindowSize", &found.getWindowSize) &&
            lookUp(library, "SDL_GetWindowSurface", &found.getWindowSurface) &&
            // The global scope first: a preloaded library stands over this call as over
            // SDL_Flip (the tests' input script moves its clock with every frame shown).
            (lookUp(RTLD_DEFAULT, "SDL_UpdateWindowSurfaceRects",
                    &found.updateWindowSurfaceRects) ||
             lookUp(library, "SDL_UpdateWindowSurfaceRects", &found.updateWindowSurfaceRects));
        return found;
    }();
    return calls;
}

// The window's own framebuffer when sdl12-compat presents through SDL2's software renderer into
// it, unscaled and in the screen's pixel format; NULL otherwise. Any other renderer owns the
// window in its own way, and a scaled window (full screen on a larger display) needs the
// renderer's scaling.
Sdl2Surface* windowFramebuffer(SDL_Surface* screen, void** window) {
    const Sdl2& calls = sdl2();
    if (!PresentationPath::directCopyAllowed() || !calls.found) {
        return NULL;
    }
    sent.framebufferLookUps++;
    *window = calls.getWindow();
    void* renderer = *window != NULL ? calls.getRenderer(*window) : NULL;
    Sdl2RendererInfo info;
    if (renderer == NULL || calls.getRendererInfo(renderer, &info) != 0 || info.name == NULL ||
        std::strcmp(info.name, PresentationPath::SOFTWARE_RENDERER) != 0) {
        return NULL;
    }
    const SDL_PixelFormat* format = screen->format;
    if (calls.getWindowPixelFormat(*window) != SDL2_XRGB8888 || format->BitsPerPixel != 32 ||
        format->Rmask != 0xFF0000 || format->Gmask != 0xFF00 || format->Bmask != 0xFF) {
        return NULL;
    }
    int width, height;
    calls.getWindowSize(*window, &width, &height);
    if (width != screen->w || height != screen->h) {
        return NULL;
    }
    Sdl2Surface* framebuffer = calls.getWindowSurface(*window);
    if (framebuffer == NULL || framebuffer->w != screen->w || framebuffer->h != screen->h ||
        framebuffer->pixels == NULL) {
        return NULL;
    }
    return framebuffer;
}

// The framebuffer that holds the whole of the last frame shown, so that the next may send only
// what changed; none after a frame shown through SDL_Flip, or when the window made a new one.
void* wholeFrameIn = NULL;

// Copies the areas from the screen into the window's framebuffer and sends them to the display.
bool copyAreas(SDL_Surface* screen, void* window, Sdl2Surface* framebuffer, const Sdl2Rect* areas,
               int count) {
    if (SDL_LockSurface(screen) != 0) {
        return false;
    }
    const Uint8* from = static_cast<const Uint8*>(screen->pixels);
    Uint8* to = static_cast<Uint8*>(framebuffer->pixels);
    for (int i = 0; i < count; i++) {
        const Sdl2Rect& area = areas[i];
        for (int y = area.y; y < area.y + area.h; y++) {
            std::memcpy(to + y * framebuffer->pitch + area.x * 4,
                        from + y * screen->pitch + area.x * 4, static_cast<size_t>(area.w) * 4);
        }
    }
    SDL_UnlockSurface(screen);
    if (sdl2().updateWindowSurfaceRects(window, areas, count) != 0) {
        wholeFrameIn = NULL;
        return false;
    }
    return true;
}

} // namespace

// The game paints into an off-screen picture while it is shown scaled: what reaches the display is
// the window the picture is scaled into.
static bool scaled(SDL_Surface* screen) { return Scaler::on() && screen == Scaler::picture(); }

PresentationPath::Target PresentationPath::target(SDL_Surface* screen) {
    if (scaled(screen)) {
        screen = Scaler::window();
    }
    Target found = {NULL, NULL, !onSdl12Compat()};
    Sdl2Surface* framebuffer = windowFramebuffer(screen, &found.window);
    if (framebuffer != NULL) {
        found.framebuffer = framebuffer;
        found.takesAreas = framebuffer->pixels == wholeFrameIn;
    }
    return found;
}

// A framebuffer's pixels as an SDL 1.2 surface, for the scaler to write straight into.
static SDL_Surface* viewOf(const Sdl2Surface* framebuffer) {
    static SDL_Surface* view = NULL;
    if (view == NULL || view->pixels != framebuffer->pixels || view->w != framebuffer->w ||
        view->h != framebuffer->h || view->pitch != framebuffer->pitch) {
        if (view != NULL) {
            SDL_FreeSurface(view);
        }
        view = SDL_CreateRGBSurfaceFrom(framebuffer->pixels, framebuffer->w, framebuffer->h, 32,
                                        framebuffer->pitch, 0xFF0000, 0xFF00, 0xFF, 0);
    }
    return view;
}

// A scaled frame straight into the window's framebuffer, which holds the whole of the last frame
// (bars and all): one copy of the larger picture fewer. The window's own surface is left behind
// then; whatever is shown another way later is scaled whole into it again first.
static bool scaledIntoFramebuffer(const PresentationPath::Target& target, const SDL_Rect* rects,
                                  int count) {
    Sdl2Surface* framebuffer = static_cast<Sdl2Surface*>(target.framebuffer);
    SDL_Surface* view = framebuffer != NULL && target.takesAreas ? viewOf(framebuffer) : NULL;
    if (view == NULL) {
        return false;
    }
    static std::vector<SDL_Rect> changed;
    static std::vector<Sdl2Rect> areas;
    Scaler::scaleAreas(rects, count, &changed, view);
    areas.clear();
    for (const SDL_Rect& area : changed) {
        areas.push_back({area.x, area.y, area.w, area.h});
    }
    countInPart(changed.data(), static_cast<int>(changed.size()));
    if (!areas.empty() && sdl2().updateWindowSurfaceRects(target.window, areas.data(),
                                                          static_cast<int>(areas.size())) != 0) {
        // The window refused them: the whole frame the runtime's own way, as unscaled.
        wholeFrameIn = NULL;
        Scaler::scaleAll(&changed);
        SDL_Flip(Scaler::window());
    }
    return true;
}

void PresentationPath::showWhole(SDL_Surface* screen, const Target& target) {
    const SDL_Rect picture = {0, 0, static_cast<Uint16>(screen->w), static_cast<Uint16>(screen->h)};
    if (scaled(screen) && scaledIntoFramebuffer(target, &picture, 1)) {
        return;
    }
    if (scaled(screen)) {
        // The picture whole, and the bars around it only when the display has yet to show them.
        static std::vector<SDL_Rect> changed;
        Scaler::scaleAll(&changed);
        screen = Scaler::window();
        const SDL_Rect& sent = changed[0];
        if (target.takesAreas && (sent.w != screen->w || sent.h != screen->h)) {
            showAreas(screen, target, changed.data(), 1);
            return;
        }
    }
    Sdl2Surface* framebuffer = static_cast<Sdl2Surface*>(target.framebuffer);
    const Sdl2Rect whole = {0, 0, screen->w, screen->h};
    countWhole(screen);
    wholeFrameIn = NULL;
    if (framebuffer != NULL && copyAreas(screen, target.window, framebuffer, &whole, 1)) {
        wholeFrameIn = framebuffer->pixels;
        return;
    }
    SDL_Flip(screen);
}

void PresentationPath::showAreas(SDL_Surface* screen, const Target& target, const SDL_Rect* rects,
                                 int count) {
    if (scaled(screen) && scaledIntoFramebuffer(target, rects, count)) {
        return;
    }
    if (scaled(screen)) {
        static std::vector<SDL_Rect> changed;
        Scaler::scaleAreas(rects, count, &changed);
        screen = Scaler::window();
        rects = changed.data();
        count = static_cast<int>(changed.size());
    }
    if (!onSdl12Compat()) {
        countInPart(rects, count);
        SDL_UpdateRects(screen, count, const_cast<SDL_Rect*>(rects));
        return;
    }
    Sdl2Surface* framebuffer = static_cast<Sdl2Surface*>(target.framebuffer);
    if (framebuffer == NULL || !target.takesAreas) {
        showWhole(screen, target);
        return;
    }
    static std::vector<Sdl2Rect> areas;
    areas.clear();
    for (int i = 0; i < count; i++) {
        // Clipped to the screen, as SDL 1.2's own update clips them.
        const int left = std::max(0, static_cast<int>(rects[i].x));
        const int top = std::max(0, static_cast<int>(rects[i].y));
        const int right = std::min(screen->w, rects[i].x + static_cast<int>(rects[i].w));
        const int bottom = std::min(screen->h, rects[i].y + static_cast<int>(rects[i].h));
        if (right > left && bottom > top) {
            areas.push_back({left, top, right - left, bottom - top});
        }
    }
    countInPart(rects, count);
    if (areas.empty()) {
        return;
    }
    // The window refused the areas: its framebuffer may be gone, so the whole frame goes the
    // runtime's own way, and the next through a fresh look at the window.
    if (!copyAreas(screen, target.window, framebuffer, areas.data(),
                   static_cast<int>(areas.size()))) {
        SDL_Flip(screen);
    }
}

void PresentationPath::exposed() {
    if (wholeFrameIn == NULL) {
        return; // every frame goes whole through sdl12-compat's flip, or the next one will
    }
    // SDL2 keeps the framebuffer when X forgets the window's pixels, so it still holds the whole
    // of the last frame, scaled or not, unless the window made itself a new one since.
    const Sdl2& calls = sdl2();
    void* window = calls.getWindow();
    Sdl2Surface* framebuffer = window != NULL ? calls.getWindowSurface(window) : NULL;
    if (framebuffer != NULL && framebuffer->pixels == wholeFrameIn) {
        const Sdl2Rect whole = {0, 0, framebuffer->w, framebuffer->h};
        if (calls.updateWindowSurfaceRects(window, &whole, 1) == 0) {
            return;
        }
    }
    wholeFrameIn = NULL;
}

#endif

void PresentationPath::flip(SDL_Surface* screen) { showWhole(screen, target(screen)); }

bool PresentationPath::copiesDirectly(SDL_Surface* screen) {
    return target(screen).framebuffer != NULL;
}
