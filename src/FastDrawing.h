#ifndef FASTDRAWING_H
#define FASTDRAWING_H

#include <SDL/SDL.h>

// The pixel routines that make a frame cheaper to draw than SDL's own calls, leaving every
// painted pixel as SDL paints it: rows copied with memcpy, small sprites blended here, fills with
// memset, and the rectangle a blit lands on, clipped as SDL clips it. They know nothing of the
// screen or the game; Screen decides when to use them.
class FastDrawing {
public:
    // What a freshly loaded picture with an alpha channel needs for the faster paths.
    static void prepareAlphaPicture(SDL_Surface* picture);

    // True when blitting source onto destination is a plain copy of rows: same pixel format,
    // no colour key, no transparency of any kind.
    static bool copiesRowByRow(SDL_Surface* source, SDL_Surface* destination);
    // True when a blit of source onto destination is SDL's per-pixel alpha blend of 32-bit
    // pixels with the same colour order, for a picture small enough that blending it here costs
    // less than the call into SDL.
    static bool blendsDirectly(SDL_Surface* source, SDL_Surface* destination);
    // The rectangle of destination that a blit of source (or its clip part) to (x, y) fills,
    // clipped exactly as SDL clips, and the source corner it starts from. False when the blit
    // would paint nothing.
    static bool blitArea(SDL_Surface* source, SDL_Rect* clip, SDL_Surface* destination, int x,
                         int y, SDL_Rect* area, int* sourceX, int* sourceY);
    // The blit of the rows of source from (srcX, srcY) onto area of destination (from blitArea),
    // as a copy (copiesRowByRow) or a blend (blendsDirectly).
    static void copyRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
                         const SDL_Rect& area);
    static void blendRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
                          const SDL_Rect& area);
    // The part of area (the whole surface when null) within the surface's clip rectangle, as
    // SDL_FillRect clips it. False when nothing is left.
    static bool fillClip(const SDL_Surface* surface, const SDL_Rect* area, SDL_Rect* clipped);
    // Fills area (clipped to the surface's clip rectangle, as SDL_FillRect clips) with colour;
    // the same bytes as SDL_FillRect, written with memset where the colour's bytes are all zero.
    static void fillArea(SDL_Surface* surface, SDL_Rect area, Uint32 colour);
    // Moves the surface's pixels so that what stood at (x + dx, y + dy) stands at (x, y), where
    // both lie on it; the band that nothing moves into keeps its old pixels. False, and nothing
    // moved, when the surface cannot be locked or the shift leaves nothing of it in place.
    static bool shift(SDL_Surface* surface, int dx, int dy);

private:
    static bool directBlendMatchesSdl();
};

#endif
