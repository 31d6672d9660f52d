#include "ImageLoader.h"

#include <SDL/SDL_image.h>
#include <cstring>

#include "Game.h"

namespace {

const int MAX_RECORDED_AREAS = 128;
SDL_Surface* recordedSurface = NULL;
SDL_Rect recordedAreas[MAX_RECORDED_AREAS];
int recordedCount = 0;
bool recordOverflowed = false;

} // namespace

ImageLoader::ImageLoader() {}

void ImageLoader::recordPaintedAreas(SDL_Surface* surface) {
    recordedSurface = surface;
    recordedCount = 0;
    recordOverflowed = false;
}

void ImageLoader::forgetPaintedAreas() { recordedSurface = NULL; }

// A cursor without a window-manager counterpart is drawn by SDL itself into the screen, on
// every pointer move, and the patch it saved from under it put back later, all behind the
// record: while SDL draws it the record says nothing certain about the screen.
static bool sdlDrawsItsCursor() {
    SDL_Cursor* cursor = SDL_GetCursor();
    return cursor != NULL && cursor->wm_cursor == NULL && SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

bool ImageLoader::paintedAreas(SDL_Surface* surface, const SDL_Rect** areas, int* count) {
    if (surface == NULL || surface != recordedSurface || recordOverflowed || sdlDrawsItsCursor()) {
        return false;
    }
    *areas = recordedAreas;
    *count = recordedCount;
    return true;
}

void ImageLoader::notePainted(SDL_Surface* destination, const SDL_Rect& area) {
    if (destination != recordedSurface || recordOverflowed) {
        return;
    }
    if (recordedCount == MAX_RECORDED_AREAS) {
        recordOverflowed = true;
        return;
    }
    recordedAreas[recordedCount++] = area;
}

SDL_Surface* ImageLoader::optimizeImage(std::string filename) {
    SDL_Surface* loaded = IMG_Load(filename.c_str());
    if (loaded == NULL) {
        return NULL;
    }
    bool png = filename.size() >= 3 && filename.compare(filename.size() - 3, 3, "png") == 0;
    SDL_Surface* converted = png ? SDL_DisplayFormatAlpha(loaded) : SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    if (fastPaths && png && converted != NULL) {
        // Run-length encoding lets SDL skip the transparent runs of a sprite and copy its
        // opaque ones; the colours it blends are the same.
        SDL_SetAlpha(converted, SDL_SRCALPHA | SDL_RLEACCEL, SDL_ALPHA_OPAQUE);
    }
    return converted;
}

bool ImageLoader::copiesRowByRow(SDL_Surface* source, SDL_Surface* destination) {
    return source != NULL && destination != NULL && source != destination &&
           source->format->BytesPerPixel == destination->format->BytesPerPixel &&
           source->format->BytesPerPixel >= 2 &&
           source->format->Rmask == destination->format->Rmask &&
           source->format->Gmask == destination->format->Gmask &&
           source->format->Bmask == destination->format->Bmask && source->format->Amask == 0 &&
           (source->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA | SDL_RLEACCEL)) == 0 &&
           !SDL_MUSTLOCK(source);
}

bool ImageLoader::blitArea(SDL_Surface* source, SDL_Rect* clip, SDL_Surface* destination, int x,
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

void ImageLoader::paintImage(SDL_Surface* source, SDL_Surface* destination, int x, int y,
                             SDL_Rect* clip) {
    bool recording = source != NULL && destination != NULL && destination == recordedSurface;
    // SDL's own copy of an opaque picture moves a pixel at a time; memcpy of whole rows gives
    // the same bytes several times faster.
    bool copying = fastPaths && copiesRowByRow(source, destination);
    if (recording || copying) {
        SDL_Rect area;
        int srcX, srcY;
        bool lands = blitArea(source, clip, destination, x, y, &area, &srcX, &srcY);
        if (recording && lands) {
            notePainted(destination, area);
        }
        if (copying) {
            if (lands) {
                copyRows(source, srcX, srcY, destination, area);
            }
            return;
        }
    }
    SDL_Rect offset;
    offset.x = static_cast<Sint16>(x);
    offset.y = static_cast<Sint16>(y);
    offset.w = 0;
    offset.h = 0;
    // Classic SDL blits a picture without an alpha channel at full surface alpha as an opaque
    // one; sdl12-compat paints nothing of an 8-bit picture (the rendered texts) that way. The
    // plain blit gives classic SDL's pixels on both.
    bool opaqueAlpha = source != NULL && (source->flags & SDL_SRCALPHA) != 0 &&
                       source->format->Amask == 0 && source->format->alpha == SDL_ALPHA_OPAQUE;
    if (opaqueAlpha) {
        SDL_SetAlpha(source, 0, SDL_ALPHA_OPAQUE);
    }
    SDL_UpperBlit(source, clip, destination, &offset);
    if (opaqueAlpha) {
        SDL_SetAlpha(source, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
    }
}

void ImageLoader::copyRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
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
