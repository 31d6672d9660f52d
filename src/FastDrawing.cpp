#include "FastDrawing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Pictures of at most this many pixels (flame particles, bullets) are blended here rather than
// by SDL; they are kept without run-length encoding so their pixels stay readable.
const int MAX_DIRECT_BLEND_PIXELS = 256;

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

bool FastDrawing::fillClip(const SDL_Surface* surface, const SDL_Rect* area, SDL_Rect* clipped) {
    SDL_Rect whole = {0, 0, static_cast<Uint16>(surface->w), static_cast<Uint16>(surface->h)};
    const SDL_Rect& want = area != NULL ? *area : whole;
    const SDL_Rect& clip = surface->clip_rect;
    int left = std::max<int>(want.x, clip.x), top = std::max<int>(want.y, clip.y);
    int right = std::min<int>(want.x + want.w, clip.x + clip.w);
    int bottom = std::min<int>(want.y + want.h, clip.y + clip.h);
    if (right <= left || bottom <= top) {
        return false;
    }
    *clipped = {static_cast<Sint16>(left), static_cast<Sint16>(top),
                static_cast<Uint16>(right - left), static_cast<Uint16>(bottom - top)};
    return true;
}

void FastDrawing::fillArea(SDL_Surface* surface, SDL_Rect area, Uint32 colour) {
    SDL_Rect filled;
    if (!fillClip(surface, &area, &filled)) {
        return;
    }
    int left = filled.x, top = filled.y, right = left + filled.w, bottom = top + filled.h;
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

bool FastDrawing::shift(SDL_Surface* surface, int dx, int dy) {
    int width = surface->w - std::abs(dx), height = surface->h - std::abs(dy);
    if (width <= 0 || height <= 0 || (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0)) {
        return false;
    }
    int bpp = surface->format->BytesPerPixel;
    Uint8* pixels = static_cast<Uint8*>(surface->pixels);
    Uint8* to = pixels + std::max(0, -dy) * surface->pitch + std::max(0, -dx) * bpp;
    const Uint8* from = pixels + std::max(0, dy) * surface->pitch + std::max(0, dx) * bpp;
    // Rows are taken in the order that reads each before it is written over.
    int step = surface->pitch;
    if (dy < 0) {
        to += (height - 1) * step;
        from += (height - 1) * step;
        step = -step;
    }
    for (int row = 0; row < height; row++) {
        memmove(to, from, static_cast<size_t>(width) * bpp);
        to += step;
        from += step;
    }
    if (SDL_MUSTLOCK(surface)) {
        SDL_UnlockSurface(surface);
    }
    return true;
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
    // The destination corner passes through SDL's 16-bit rectangle, as in Screen's SDL blit.
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

void FastDrawing::prepareAlphaPicture(SDL_Surface* picture) {
    if (picture->w * picture->h > MAX_DIRECT_BLEND_PIXELS) {
        // Run-length encoding lets SDL skip the transparent runs of a sprite and copy its
        // opaque ones; the colours it blends are the same.
        SDL_SetAlpha(picture, SDL_SRCALPHA | SDL_RLEACCEL, SDL_ALPHA_OPAQUE);
    }
}
