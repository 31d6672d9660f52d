#ifndef SCREEN_H
#define SCREEN_H

#include <SDL/SDL.h>
#include <functional>
#include <vector>

// The one owner of what is painted on the screen and when it reaches the display: every blit
// and fill of the game, the record of where they landed, and the frame sent to the display.
//
// The record is what lets a pass put back only part of its background and send only part of its
// frame: with the background seen from where it was, the screen differs from a fresh frame only
// where pictures were painted since. It is only as good as what reaches it: everything that
// paints on the screen goes through paint or fill here. What SDL paints itself (its software
// cursor) it cannot see, so while SDL draws a cursor the level repaints in full; whatever writes
// pixels past both (a test, the benchmark's floors) or replaces the display (a mode switch) calls
// invalidate.
class Screen {
public:
    // Before each pass of the level: whether it is painted. A pass whose frame nobody will see
    // (a catch-up pass) is not: what paints on the screen then paints nothing, and what is
    // rendered only to be painted need not be rendered.
    static bool painting();
    static void beginPass(bool painted);

    // Blits source (or its clip part) with its top-left corner at (x, y): the faster way when
    // the fast paths are on and FastDrawing can, else SDL's. A null source paints nothing.
    static void paint(SDL_Surface* source, SDL_Surface* destination, int x, int y, SDL_Rect* clip);
    // SDL_FillRect(surface, area, colour), or the same bytes the faster way, keeping the record
    // true. A null area is the whole surface.
    static void fill(SDL_Surface* surface, SDL_Rect* area, Uint32 colour);

    // The pass's background, first thing painted: putBack paints it (through paint and fill)
    // where the screen differs from the background seen at view. When inParts says the
    // background can be painted in parts exactly as in whole and the record is known, it is
    // given areas: with the view where the last painted pass saw it, the areas painted over
    // since; with the view moved by less than the screen, the screen is first shifted with it,
    // and the areas are those moved along and the bands uncovered. Otherwise null, and the whole
    // screen is to be painted. What putBack paints is not recorded; everything painted after it
    // is. A pass that is not painted leaves screen and record as they were.
    typedef std::function<void(const std::vector<SDL_Rect>* areas)> PutBack;
    static void paintBackground(SDL_Surface* screen, const SDL_Rect& view, bool inParts,
                                const PutBack& putBack);
    // Sends the frame to the display: only the areas changed since the last frame shown when
    // every pass since knew where its changes were, else all.
    static void showFrame(SDL_Surface* screen);
    // The pass's frame is not shown: what it changed is sent with the next frame that is.
    static void holdFrame(SDL_Surface* screen);
    // The screen or the display no longer holds what the record says: the next frame is painted
    // and sent whole.
    static void invalidate();
    // Passes since the start whose background was shifted with the view, for the tests.
    static long passesScrolled();
};

#endif
