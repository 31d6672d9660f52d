#include "MapView.h"

#include "FastDrawing.h"
#include "Screen.h"

MapView::MapView() : painted(false), lastView() {}

void MapView::paint(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view) {
    Screen::changedEverywhere();
    if (!Screen::painting()) {
        painted = false; // the screen is left as it was: nothing to put back next time
        Screen::forgetPaintedAreas();
        return;
    }
    SDL_Rect camera = view;
    Uint32 black = SDL_MapRGB(screen->format, 0, 0, 0);
    if (!FastDrawing::enabled || !FastDrawing::copiesRowByRow(map, screen)) {
        Screen::fill(screen, NULL, black);
        Screen::paint(map, screen, 0, 0, &camera);
        painted = false;
        Screen::forgetPaintedAreas();
        return;
    }
    if (restoreUnderPaintings(map, screen, view, black)) {
        Screen::recordPaintedAreas(screen);
        return;
    }
    // From here until the next pass's map, every picture painted on the screen is noted.
    painted = true;
    lastView = view;
    SDL_Rect area;
    int srcX, srcY;
    if (!FastDrawing::blitArea(map, &camera, screen, 0, 0, &area, &srcX, &srcY)) {
        Screen::fill(screen, NULL, black);
        Screen::recordPaintedAreas(screen);
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
            Screen::fill(screen, &strip, black);
        }
    }
    Screen::paint(map, screen, 0, 0, &camera);
    Screen::recordPaintedAreas(screen);
}

// With the view where it was for the last map and nothing but recorded pictures painted since,
// the screen differs from a fresh map view only where those pictures landed: clearing and
// painting the map there alone gives the same screen.
bool MapView::restoreUnderPaintings(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                                    Uint32 black) {
    const SDL_Rect* areas;
    int count;
    if (!painted || lastView.x != view.x || lastView.y != view.y ||
        !Screen::paintedAreas(screen, &areas, &count)) {
        return false;
    }
    // The record's own list is not kept past forgetting it.
    restored.assign(areas, areas + count);
    // What changes on the display this pass: these areas, put back, and what is painted next.
    Screen::changedOnlyIn(areas, count);
    // Painting the map below must not add to the record being read.
    Screen::forgetPaintedAreas();
    for (const SDL_Rect& area : restored) {
        SDL_Rect part = {static_cast<Sint16>(view.x + area.x), static_cast<Sint16>(view.y + area.y),
                         area.w, area.h};
        // Black is needed only where the map does not reach: past its edges.
        SDL_Rect covered;
        int srcX, srcY;
        if (!FastDrawing::blitArea(map, &part, screen, area.x, area.y, &covered, &srcX, &srcY) ||
            covered.x != area.x || covered.y != area.y || covered.w != area.w ||
            covered.h != area.h) {
            SDL_Rect cleared = area;
            Screen::fill(screen, &cleared, black);
        }
        Screen::paint(map, screen, area.x, area.y, &part);
    }
    return true;
}
