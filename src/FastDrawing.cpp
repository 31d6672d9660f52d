#include "FastDrawing.h"

#include <algorithm>
#include <cstring>

#include "ImageLoader.h"
#include "PresentationPath.h"

bool FastDrawing::enabled = true;

static bool passPainted = true;

void FastDrawing::beginPass(bool painted) { passPainted = painted; }

bool FastDrawing::painting() { return passPainted; }

namespace {

const int MAX_RECORDED_AREAS = 128;
SDL_Surface* recordedSurface = NULL;
SDL_Rect recordedAreas[MAX_RECORDED_AREAS];
int recordedCount = 0;

// Once the list is full, areas are gathered instead by the cell of the screen their centre lies
// in, each cell keeping the bounds of its areas: constant work per area, however many there are.
const int CELL_SIZE = 120;
const int CELL_COLUMNS = 16;
const int CELL_ROWS = 16;
const int CELL_COUNT = CELL_COLUMNS * CELL_ROWS;
bool gathering = false;
bool cellUsed[CELL_COUNT];
SDL_Rect cellAreas[CELL_COUNT];
SDL_Rect gatheredAreas[CELL_COUNT];

// Pictures of at most this many pixels (flame particles, bullets) are blended here rather than
// by SDL; they are kept without run-length encoding so their pixels stay readable.
const int MAX_DIRECT_BLEND_PIXELS = 256;

SDL_Rect bounds(const SDL_Rect& a, const SDL_Rect& b) {
    int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    int right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
    SDL_Rect r = {static_cast<Sint16>(left), static_cast<Sint16>(top),
                  static_cast<Uint16>(right - left), static_cast<Uint16>(bottom - top)};
    return r;
}

void gather(const SDL_Rect& area) {
    int column = std::min(std::max((area.x + area.w / 2) / CELL_SIZE, 0), CELL_COLUMNS - 1);
    int row = std::min(std::max((area.y + area.h / 2) / CELL_SIZE, 0), CELL_ROWS - 1);
    int cell = row * CELL_COLUMNS + column;
    cellAreas[cell] = cellUsed[cell] ? bounds(cellAreas[cell], area) : area;
    cellUsed[cell] = true;
}

// SDL's blend of one 32-bit pixel with per-pixel alpha over another of the same colour order:
// red and blue in one step, green in another, each d + (s - d) * a / 256 truncated, and the
// destination's fourth byte kept.
inline Uint32 blendPixel(Uint32 s, Uint32 d) {
    Uint32 alpha = s >> 24;
    if (alpha == SDL_ALPHA_OPAQUE) {
        return (s & 0xffffff) | (d & 0xff000000);
    }
    if (alpha == SDL_ALPHA_TRANSPARENT) {
        return d;
    }
    Uint32 s1 = s & 0xff00ff, d1 = d & 0xff00ff;
    d1 = (d1 + ((s1 - d1) * alpha >> 8)) & 0xff00ff;
    Uint32 s2 = s & 0xff00, d2 = d & 0xff00;
    d2 = (d2 + ((s2 - d2) * alpha >> 8)) & 0xff00;
    return d1 | d2 | (d & 0xff000000);
}

} // namespace

void FastDrawing::recordPaintedAreas(SDL_Surface* surface) {
    recordedSurface = surface;
    recordedCount = 0;
    if (gathering) {
        gathering = false;
        std::fill(cellUsed, cellUsed + CELL_COUNT, false);
    }
}

void FastDrawing::forgetPaintedAreas() { recordedSurface = NULL; }

// A cursor without a window-manager counterpart is drawn by SDL itself into the screen, on
// every pointer move, and the patch it saved from under it put back later, all behind the
// record: while SDL draws it the record says nothing certain about the screen.
bool FastDrawing::sdlDrawsItsCursor() {
#ifdef __EMSCRIPTEN__
    return false; // the browser draws the pointer, over the canvas
#else
    SDL_Cursor* cursor = SDL_GetCursor();
    return cursor != NULL && cursor->wm_cursor == NULL && SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
#endif
}

bool FastDrawing::paintedAreas(SDL_Surface* surface, const SDL_Rect** areas, int* count) {
    if (surface == NULL || surface != recordedSurface || sdlDrawsItsCursor()) {
        return false;
    }
    if (!gathering) {
        *areas = recordedAreas;
        *count = recordedCount;
        return true;
    }
    int gathered = 0;
    for (int cell = 0; cell < CELL_COUNT; cell++) {
        if (cellUsed[cell]) {
            gatheredAreas[gathered++] = cellAreas[cell];
        }
    }
    *areas = gatheredAreas;
    *count = gathered;
    return true;
}

void FastDrawing::notePainted(SDL_Surface* destination, const SDL_Rect& area) {
    if (destination != recordedSurface) {
        return;
    }
    if (!gathering && recordedCount < MAX_RECORDED_AREAS) {
        recordedAreas[recordedCount++] = area;
        return;
    }
    if (!gathering) {
        gathering = true;
        for (int i = 0; i < recordedCount; i++) {
            gather(recordedAreas[i]);
        }
    }
    gather(area);
}

void FastDrawing::fillArea(SDL_Surface* surface, SDL_Rect area, Uint32 colour) {
    const SDL_Rect& clip = surface->clip_rect;
    int left = std::max<int>(area.x, clip.x), top = std::max<int>(area.y, clip.y);
    int right = std::min<int>(area.x + area.w, clip.x + clip.w);
    int bottom = std::min<int>(area.y + area.h, clip.y + clip.h);
    if (right <= left || bottom <= top) {
        return;
    }
    if (colour != 0 || (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0)) {
        SDL_FillRect(surface, &area, colour);
        return;
    }
    int bpp = surface->format->BytesPerPixel;
    Uint8* row = static_cast<Uint8*>(surface->pixels) + top * surface->pitch + left * bpp;
    for (int y = top; y < bottom; y++) {
        memset(row, 0, static_cast<size_t>(right - left) * bpp);
        row += surface->pitch;
    }
    if (SDL_MUSTLOCK(surface)) {
        SDL_UnlockSurface(surface);
    }
}

bool FastDrawing::blendsDirectly(SDL_Surface* source, SDL_Surface* destination) {
    if (source == NULL || destination == NULL || source == destination ||
        source->w * source->h > MAX_DIRECT_BLEND_PIXELS) {
        return false;
    }
    const SDL_PixelFormat* from = source->format;
    const SDL_PixelFormat* to = destination->format;
    return (source->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY | SDL_RLEACCEL | SDL_RLEACCELOK)) ==
               SDL_SRCALPHA &&
           from->BytesPerPixel == 4 && to->BytesPerPixel == 4 && from->Amask == 0xff000000 &&
           from->Rmask == 0xff0000 && from->Gmask == 0xff00 && from->Bmask == 0xff &&
           to->Rmask == 0xff0000 && to->Gmask == 0xff00 && to->Bmask == 0xff && to->Amask == 0 &&
           !SDL_MUSTLOCK(source) && directBlendMatchesSdl();
}

// Blends a test picture holding every alpha value over a busy background both ways, once: where
// the SDL underneath blends differently (another build or runtime), SDL keeps blending.
bool FastDrawing::directBlendMatchesSdl() {
    static int verdict = -1;
    if (verdict >= 0) {
        return verdict == 1;
    }
    verdict = 0;
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 16, 16, 32, 0xff0000, 0xff00, 0xff, 0xff000000);
    SDL_Surface* sdlResult =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 16, 16, 32, 0xff0000, 0xff00, 0xff, 0);
    SDL_Surface* ownResult =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 16, 16, 32, 0xff0000, 0xff00, 0xff, 0);
    if (picture != NULL && sdlResult != NULL && ownResult != NULL &&
        SDL_SetAlpha(picture, SDL_SRCALPHA, SDL_ALPHA_OPAQUE) == 0 && !SDL_MUSTLOCK(picture) &&
        !SDL_MUSTLOCK(sdlResult) && !SDL_MUSTLOCK(ownResult)) {
        bool same = true;
        Uint32 seed = 12345;
        for (int round = 0; round < 4 && same; round++) {
            for (int i = 0; i < 256; i++) {
                seed = seed * 1103515245u + 12345u;
                Uint32 colour = seed >> 8;
                seed = seed * 1103515245u + 12345u;
                Uint32 under = seed ^ (seed << 13);
                int x = i % 16, y = i / 16;
                *reinterpret_cast<Uint32*>(static_cast<Uint8*>(picture->pixels) +
                                           y * picture->pitch + x * 4) =
                    (static_cast<Uint32>(i) << 24) | (colour & 0xffffff);
                for (SDL_Surface* s : {sdlResult, ownResult}) {
                    *reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch +
                                               x * 4) = under;
                }
            }
            SDL_Rect at = {0, 0, 0, 0};
            SDL_Rect whole = {0, 0, 16, 16};
            same = SDL_UpperBlit(picture, NULL, sdlResult, &at) == 0;
            blendRows(picture, 0, 0, ownResult, whole);
            for (int y = 0; y < 16 && same; y++) {
                same = memcmp(static_cast<Uint8*>(sdlResult->pixels) + y * sdlResult->pitch,
                              static_cast<Uint8*>(ownResult->pixels) + y * ownResult->pitch,
                              16 * 4) == 0;
            }
        }
        verdict = same ? 1 : 0;
    }
    SDL_FreeSurface(picture);
    SDL_FreeSurface(sdlResult);
    SDL_FreeSurface(ownResult);
    return verdict == 1;
}

// The game plays on without a picture it cannot load, so a game started outside its data folder
bool FastDrawing::copiesRowByRow(SDL_Surface* source, SDL_Surface* destination) {
    return source != NULL && destination != NULL && source != destination &&
           source->format->BytesPerPixel == destination->format->BytesPerPixel &&
           source->format->BytesPerPixel >= 2 &&
           source->format->Rmask == destination->format->Rmask &&
           source->format->Gmask == destination->format->Gmask &&
           source->format->Bmask == destination->format->Bmask && source->format->Amask == 0 &&
           (source->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA | SDL_RLEACCEL)) == 0 &&
           !SDL_MUSTLOCK(source);
}

bool FastDrawing::blitArea(SDL_Surface* source, SDL_Rect* clip, SDL_Surface* destination, int x,
                           int y, SDL_Rect* area, int* sourceX, int* sourceY) {
    // The destination corner passes through SDL's 16-bit rectangle, as in paintImage.
    int dstX = static_cast<Sint16>(x), dstY = static_cast<Sint16>(y);
    int srcX = 0, srcY = 0, w = source->w, h = source->h;
    if (clip != NULL) {
        srcX = clip->x;
        w = clip->w;
        if (srcX < 0) {
            w += srcX;
            dstX -= srcX;
            srcX = 0;
        }
        if (source->w - srcX < w) {
            w = source->w - srcX;
        }
        srcY = clip->y;
        h = clip->h;
        if (srcY < 0) {
            h += srcY;
            dstY -= srcY;
            srcY = 0;
        }
        if (source->h - srcY < h) {
            h = source->h - srcY;
        }
    }
    // SDL keeps the shifted corner in 16 bits too.
    dstX = static_cast<Sint16>(dstX);
    dstY = static_cast<Sint16>(dstY);
    const SDL_Rect& bounds = destination->clip_rect;
    int d = bounds.x - dstX;
    if (d > 0) {
        w -= d;
        dstX += d;
        srcX += d;
    }
    d = dstX + w - bounds.x - bounds.w;
    if (d > 0) {
        w -= d;
    }
    d = bounds.y - dstY;
    if (d > 0) {
        h -= d;
        dstY += d;
        srcY += d;
    }
    d = dstY + h - bounds.y - bounds.h;
    if (d > 0) {
        h -= d;
    }
    if (w <= 0 || h <= 0) {
        return false;
    }
    area->x = static_cast<Sint16>(dstX);
    area->y = static_cast<Sint16>(dstY);
    area->w = static_cast<Uint16>(w);
    area->h = static_cast<Uint16>(h);
    *sourceX = srcX;
    *sourceY = srcY;
    return true;
}

void FastDrawing::copyRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
                           const SDL_Rect& area) {
    if (SDL_MUSTLOCK(destination) && SDL_LockSurface(destination) < 0) {
        return;
    }
    int bpp = source->format->BytesPerPixel;
    const Uint8* from =
        static_cast<const Uint8*>(source->pixels) + srcY * source->pitch + srcX * bpp;
    Uint8* to =
        static_cast<Uint8*>(destination->pixels) + area.y * destination->pitch + area.x * bpp;
    for (int row = 0; row < area.h; row++) {
        memcpy(to, from, static_cast<size_t>(area.w) * bpp);
        from += source->pitch;
        to += destination->pitch;
    }
    if (SDL_MUSTLOCK(destination)) {
        SDL_UnlockSurface(destination);
    }
}

void FastDrawing::blendRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
                            const SDL_Rect& area) {
    if (SDL_MUSTLOCK(destination) && SDL_LockSurface(destination) < 0) {
        return;
    }
    const Uint8* from = static_cast<const Uint8*>(source->pixels) + srcY * source->pitch + srcX * 4;
    Uint8* to = static_cast<Uint8*>(destination->pixels) + area.y * destination->pitch + area.x * 4;
    for (int row = 0; row < area.h; row++) {
        const Uint32* s = reinterpret_cast<const Uint32*>(from);
        Uint32* d = reinterpret_cast<Uint32*>(to);
        for (int x = 0; x < area.w; x++) {
            d[x] = blendPixel(s[x], d[x]);
        }
        from += source->pitch;
        to += destination->pitch;
    }
    if (SDL_MUSTLOCK(destination)) {
        SDL_UnlockSurface(destination);
    }
}

FastDrawing::FastDrawing()
    : mapViewPainted(false), lastView(), partialUpdate(false), unshownAll(false) {}

void FastDrawing::prepareAlphaPicture(SDL_Surface* picture) {
    if (enabled && picture->w * picture->h > MAX_DIRECT_BLEND_PIXELS) {
        // Run-length encoding lets SDL skip the transparent runs of a sprite and copy its
        // opaque ones; the colours it blends are the same.
        SDL_SetAlpha(picture, SDL_SRCALPHA | SDL_RLEACCEL, SDL_ALPHA_OPAQUE);
    }
}

bool FastDrawing::paint(SDL_Surface* source, SDL_Surface* destination, int x, int y,
                        SDL_Rect* clip) {
    if (!painting() && destination == SDL_GetVideoSurface()) {
        return true;
    }
    bool recording = source != NULL && destination != NULL && destination == recordedSurface;
    // SDL's own copy of an opaque picture moves a pixel at a time; memcpy of whole rows gives
    // the same bytes several times faster.
    bool copying = enabled && copiesRowByRow(source, destination);
    // A small sprite costs SDL more in setting up its blit than in blending its pixels.
    bool blending = enabled && !copying && blendsDirectly(source, destination);
    if (!recording && !copying && !blending) {
        return false;
    }
    SDL_Rect area;
    int srcX, srcY;
    bool lands = blitArea(source, clip, destination, x, y, &area, &srcX, &srcY);
    if (recording && lands) {
        notePainted(destination, area);
    }
    if (lands && copying) {
        copyRows(source, srcX, srcY, destination, area);
    } else if (lands && blending) {
        blendRows(source, srcX, srcY, destination, area);
    }
    return copying || blending;
}

void FastDrawing::fill(SDL_Surface* surface, SDL_Rect* area, Uint32 colour) {
    if (!painting() && surface == SDL_GetVideoSurface()) {
        return;
    }
    if (surface != NULL && surface == recordedSurface) {
        // What SDL_FillRect fills: the area, or the whole surface, within its clip rectangle.
        const SDL_Rect& clip = surface->clip_rect;
        SDL_Rect whole = {0, 0, static_cast<Uint16>(surface->w), static_cast<Uint16>(surface->h)};
        const SDL_Rect& want = area != NULL ? *area : whole;
        int left = std::max<int>(want.x, clip.x), top = std::max<int>(want.y, clip.y);
        int right = std::min<int>(want.x + want.w, clip.x + clip.w);
        int bottom = std::min<int>(want.y + want.h, clip.y + clip.h);
        if (right > left && bottom > top) {
            SDL_Rect filled = {static_cast<Sint16>(left), static_cast<Sint16>(top),
                               static_cast<Uint16>(right - left),
                               static_cast<Uint16>(bottom - top)};
            notePainted(surface, filled);
        }
    }
    SDL_FillRect(surface, area, colour);
}

void FastDrawing::paintMapView(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                               ImageLoader* loader) {
    partialUpdate = false;
    if (!painting()) {
        mapViewPainted = false; // the screen is left as it was: nothing to put back next time
        forgetPaintedAreas();
        return;
    }
    SDL_Rect camera = view;
    Uint32 black = SDL_MapRGB(screen->format, 0, 0, 0);
    if (!enabled || !copiesRowByRow(map, screen)) {
        SDL_FillRect(screen, NULL, black);
        loader->paintImage(map, screen, 0, 0, &camera);
        mapViewPainted = false;
        forgetPaintedAreas();
        return;
    }
    if (restoreMapUnderPaintings(map, screen, view, loader, black)) {
        recordPaintedAreas(screen);
        return;
    }
    // From here until the next pass's map, every picture painted on the screen is noted.
    mapViewPainted = true;
    lastView = view;
    SDL_Rect area;
    int srcX, srcY;
    if (!blitArea(map, &camera, screen, 0, 0, &area, &srcX, &srcY)) {
        SDL_FillRect(screen, NULL, black);
        recordPaintedAreas(screen);
        return;
    }
    int screenW = screen->w, screenH = screen->h;
    int right = area.x + area.w, bottom = area.y + area.h;
    SDL_Rect strips[4] = {
        {0, 0, static_cast<Uint16>(screenW), static_cast<Uint16>(area.y)},
        {0, static_cast<Sint16>(bottom), static_cast<Uint16>(screenW),
         static_cast<Uint16>(screenH - bottom)},
        {0, area.y, static_cast<Uint16>(area.x), area.h},
        {static_cast<Sint16>(right), area.y, static_cast<Uint16>(screenW - right), area.h}};
    for (SDL_Rect& strip : strips) {
        if (strip.w > 0 && strip.h > 0) {
            fillArea(screen, strip, black);
        }
    }
    loader->paintImage(map, screen, 0, 0, &camera);
    recordPaintedAreas(screen);
}

// With the view where it was for the last map and nothing but recorded pictures painted since,
// the screen differs from a fresh map view only where those pictures landed: clearing and
// painting the map there alone gives the same screen.
bool FastDrawing::restoreMapUnderPaintings(SDL_Surface* map, SDL_Surface* screen,
                                           const SDL_Rect& view, ImageLoader* loader,
                                           Uint32 black) {
    const SDL_Rect* areas;
    int count;
    if (!mapViewPainted || lastView.x != view.x || lastView.y != view.y ||
        !paintedAreas(screen, &areas, &count)) {
        return false;
    }
    // What changes on the display this pass: these areas, put back, and what is painted next.
    changedAreas.assign(areas, areas + count);
    // Painting the map below must not add to the record being read.
    forgetPaintedAreas();
    for (const SDL_Rect& area : changedAreas) {
        SDL_Rect part = {static_cast<Sint16>(view.x + area.x), static_cast<Sint16>(view.y + area.y),
                         area.w, area.h};
        // Black is needed only where the map does not reach: past its edges.
        SDL_Rect covered;
        int srcX, srcY;
        if (!blitArea(map, &part, screen, area.x, area.y, &covered, &srcX, &srcY) ||
            covered.x != area.x || covered.y != area.y || covered.w != area.w ||
            covered.h != area.h) {
            fillArea(screen, area, black);
        }
        loader->paintImage(map, screen, area.x, area.y, &part);
    }
    partialUpdate = true;
    return true;
}

// With the view where it was, the screen differs from what the display shows only in the areas
// put back this pass and those painted since, so only they are sent; otherwise the whole screen.
// sdl12-compat's own partial update goes through SDL2's renderer, where it was seen to leave the
// display showing an earlier frame; PresentationPath says where areas alone can be sent.

// Adds the pass's changes to those not shown yet; false when the whole screen must be shown.
bool FastDrawing::collectChanges(SDL_Surface* screen) {
    const SDL_Rect* painted;
    int count;
    if (!enabled || !partialUpdate || !PresentationPath::showsPartialUpdates(screen) ||
        !paintedAreas(screen, &painted, &count)) {
        unshownAll = true;
    }
    if (!unshownAll) {
        unshownAreas.insert(unshownAreas.end(), changedAreas.begin(), changedAreas.end());
        unshownAreas.insert(unshownAreas.end(), painted, painted + count);
    }
    return !unshownAll;
}

void FastDrawing::showFrame(SDL_Surface* screen) {
    if (collectChanges(screen)) {
        PresentationPath::update(screen, static_cast<int>(unshownAreas.size()),
                                 unshownAreas.data());
    } else {
        PresentationPath::flip(screen);
    }
    unshownAreas.clear();
    unshownAll = false;
}

void FastDrawing::holdFrame(SDL_Surface* screen) { collectChanges(screen); }
