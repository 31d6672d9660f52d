#ifndef FASTDRAWING_H
#define FASTDRAWING_H

#include <SDL/SDL.h>
#include <vector>

class ImageLoader;

// Everything that makes a frame cheaper to draw than the plain way, leaving every painted pixel
// and every game decision as the plain way does: the switch, rows copied with memcpy, small
// sprites blended here, fills with memset, a record of where pictures were painted on the
// screen, and the level's map put back only under those pictures, with only the changed areas
// sent to the display.
//
// The record is only as good as what reaches it: everything that paints on the recorded surface
// goes through ImageLoader::paintImage or fill here. What SDL paints itself (its software cursor)
// it cannot see, so while SDL draws a cursor paintedAreas says nothing and the level repaints in
// full; code that paints past both (tests) calls forgetPaintedAreas.
class FastDrawing {
public:
    // On in the game; a test switches it off to prove the plain paths give the same frames, the
    // browser build because its display goes through other code.
    static bool enabled;
    // Before each pass of the level: whether it is painted. A pass whose frame nobody will see
    // (a catch-up pass) is not: what paints on the screen then paints nothing, and what is
    // rendered only to be painted need not be rendered.
    static void beginPass(bool painted);
    static bool painting();

    // One level's map view: whether the last one can be put back where it was painted over.
    FastDrawing();
    // Clears the screen to black and paints the part of map under view. Where map is a plain
    // opaque picture the screen is not cleared where the map is about to cover it, and with
    // view where it was and the record whole only the painted-over areas are put back.
    void paintMapView(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                      ImageLoader* loader);
    // Sends the frame to the display: only the areas changed since the last frame shown when
    // the map was put back in every pass since, else all.
    void showFrame(SDL_Surface* screen);
    // The pass's frame is not shown: what it changed is sent with the next frame that is.
    void holdFrame(SDL_Surface* screen);

    // The painting ImageLoader::paintImage hands over: notes the area on the recorded surface
    // and, when on and the blit is a plain copy or a small blend, paints it here. False when SDL
    // must still blit it.
    static bool paint(SDL_Surface* source, SDL_Surface* destination, int x, int y, SDL_Rect* clip);
    // What a freshly loaded picture with an alpha channel needs for the faster paths.
    static void prepareAlphaPicture(SDL_Surface* picture);
    // SDL_FillRect(surface, area, colour) that keeps the record true.
    static void fill(SDL_Surface* surface, SDL_Rect* area, Uint32 colour);

    // True when blitting source onto destination is a plain copy of rows: same pixel format,
    // no colour key, no transparency of any kind.
    static bool copiesRowByRow(SDL_Surface* source, SDL_Surface* destination);
    // The rectangle of destination that a blit of source (or its clip part) to (x, y) fills,
    // clipped exactly as SDL clips, and the source corner it starts from. False when the blit
    // would paint nothing.
    static bool blitArea(SDL_Surface* source, SDL_Rect* clip, SDL_Surface* destination, int x,
                         int y, SDL_Rect* area, int* sourceX, int* sourceY);
    // Fills area (clipped to the surface's clip rectangle, as SDL_FillRect clips) with colour;
    // the same bytes as SDL_FillRect, written with memset where the colour's bytes are all zero.
    // Not recorded.
    static void fillArea(SDL_Surface* surface, SDL_Rect area, Uint32 colour);
    // True when a blit of source onto destination is SDL's per-pixel alpha blend of 32-bit
    // pixels with the same colour order, for a picture small enough that blending it here costs
    // less than the call into SDL.
    static bool blendsDirectly(SDL_Surface* source, SDL_Surface* destination);

    // The record of where pictures were painted on one surface since it began.
    static void recordPaintedAreas(SDL_Surface* surface);
    static void forgetPaintedAreas();
    // False when the record is not of this surface or SDL draws its cursor into it. Past a
    // hundred and twenty-eight areas the record merges neighbouring areas into their bounds, so
    // a pass that paints hundreds of small pictures (a long flame) is still recorded whole.
    static bool paintedAreas(SDL_Surface* surface, const SDL_Rect** areas, int* count);

private:
    bool restoreMapUnderPaintings(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                                  ImageLoader* loader, Uint32 black);
    static void notePainted(SDL_Surface* destination, const SDL_Rect& area);
    static void copyRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
                         const SDL_Rect& area);
    static void blendRows(SDL_Surface* source, int srcX, int srcY, SDL_Surface* destination,
                          const SDL_Rect& area);
    static bool directBlendMatchesSdl();
    static bool sdlDrawsItsCursor();

    // The view the map was last painted with, for putting back only what was painted over it.
    bool mapViewPainted;
    SDL_Rect lastView;
    // Set on passes whose view did not move: the areas of the screen that changed since the
    // last frame was shown, so that only they need to be sent to the display.
    bool partialUpdate;
    std::vector<SDL_Rect> changedAreas;
    // What changed in passes since the last frame shown, unless the whole screen did.
    std::vector<SDL_Rect> unshownAreas;
    bool unshownAll;

    bool collectChanges(SDL_Surface* screen);
};

#endif
