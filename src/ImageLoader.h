#ifndef IMAGELOADER_H
#define IMAGELOADER_H

#include <SDL/SDL.h>
#include <string>

// The one way pictures are loaded and put on a surface. Holds no state.
class ImageLoader {
public:
    ImageLoader();
    // Loads a picture into the display format; files whose names end in "png" keep their
    // per-pixel alpha. Returns null when the file cannot be loaded.
    SDL_Surface* optimizeImage(std::string filename);
    // Blits source (or its clip part) with its top-left corner at (x, y). A null source paints
    // nothing.
    void paintImage(SDL_Surface* source, SDL_Surface* destination, int x, int y, SDL_Rect* clip);

    // True when blitting source onto destination is a plain copy of rows: same pixel format,
    // no colour key, no transparency of any kind.
    static bool copiesRowByRow(SDL_Surface* source, SDL_Surface* destination);
    // The rectangle of destination that a blit of source (or its clip part) to (x, y) fills,
    // clipped exactly as SDL clips, and the source corner it starts from. False when the blit
    // would paint nothing.
    static bool blitArea(SDL_Surface* source, SDL_Rect* clip, SDL_Surface* destination, int x,
                         int y, SDL_Rect* area, int* sourceX, int* sourceY);

    // A record of where pictures were painted on one surface since the record began, so that
    // the level can put the map back only there when its view has not moved. Painting anything
    // onto that surface other than through paintImage must be followed by forgetPaintedAreas.
    static void recordPaintedAreas(SDL_Surface* surface);
    static void forgetPaintedAreas();
    // False when the record is not of this surface. Past a hundred and twenty-eight areas the
    // record merges neighbouring areas into their bounds, so a pass that paints hundreds of small
    // pictures (a long flame) is still recorded whole.
    static bool paintedAreas(SDL_Surface* surface, const SDL_Rect** areas, int* count);

    // Fills area (clipped to the surface's clip rectangle, as SDL_FillRect clips) with colour;
    // the same bytes as SDL_FillRect, written with memset where the colour's bytes are all zero.
    static void fillArea(SDL_Surface* surface, SDL_Rect area, Uint32 colour);

    // True when a blit of source onto destination is SDL's per-pixel alpha blend of 32-bit
    // pixels with the same colour order, for a picture small enough that blending it here costs
    // less than the call into SDL; paintImage then blends it itself, with SDL's arithmetic.
    static bool blendsDirectly(SDL_Surface* source, SDL_Surface* destination);

private:
    static void notePainted(SDL_Surface* destination, const SDL_Rect& area);
    static void copyRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
                         const SDL_Rect& area);
    static void blendRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
                          const SDL_Rect& area);
    static bool directBlendMatchesSdl();
};

#endif
