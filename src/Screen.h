#ifndef SCREEN_H
#define SCREEN_H

#include <SDL/SDL.h>

// The one owner of what is painted on the screen and when it reaches the display: every blit
// and fill of the game, the record of where they landed, and the frame sent to the display.
//
// The record is only as good as what reaches it: everything that paints on the recorded surface
// goes through paint or fill here. What SDL paints itself (its software cursor) it cannot see,
// so while SDL draws a cursor paintedAreas says nothing and the level repaints in full; code that
// paints past both (tests) calls forgetPaintedAreas.
class Screen {
public:
    // Before each pass of the level: whether it is painted. A pass whose frame nobody will see
    // (a catch-up pass) is not: what paints on the screen then paints nothing, and what is
    // rendered only to be painted need not be rendered.
    static void beginPass(bool painted);
    static bool painting();

    // Blits source (or its clip part) with its top-left corner at (x, y): the faster way when
    // FastDrawing is on and can, else SDL's. A null source paints nothing.
    static void paint(SDL_Surface* source, SDL_Surface* destination, int x, int y, SDL_Rect* clip);
    // SDL_FillRect(surface, area, colour), or the same bytes the faster way, keeping the record
    // true. A null area is the whole surface.
    static void fill(SDL_Surface* surface, SDL_Rect* area, Uint32 colour);

    // The record of where pictures were painted on one surface since it began.
    static void recordPaintedAreas(SDL_Surface* surface);
    static void forgetPaintedAreas();
    // False when the record is not of this surface or SDL draws its cursor into it. Past a
    // hundred and twenty-eight areas the record merges neighbouring areas into their bounds, so
    // a pass that paints hundreds of small pictures (a long flame) is still recorded whole.
    static bool paintedAreas(SDL_Surface* surface, const SDL_Rect** areas, int* count);

    // What the pass changes on the screen, for the frame's display update: everything, or only
    // these areas and what is painted on the recorded screen after them. Whoever paints the
    // pass's background says which (the level's map view), before anything else is painted.
    static void changedEverywhere();
    static void changedOnlyIn(const SDL_Rect* areas, int count);
    // Sends the frame to the display: only the areas changed since the last frame shown when
    // every pass since said where its changes were, else all.
    static void showFrame(SDL_Surface* screen);
    // The pass's frame is not shown: what it changed is sent with the next frame that is.
    static void holdFrame(SDL_Surface* screen);
};

#endif
