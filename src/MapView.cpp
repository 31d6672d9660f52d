#include "MapView.h"

#include "FastDrawing.h"
#include "FastPaths.h"
#include "Screen.h"

MapView::MapView() { Screen::invalidate(); }

void MapView::paint(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view) {
    // Only a map copied row by row paints the same pixels in parts as in whole.
    bool inParts = FastPaths::enabled && FastDrawing::copiesRowByRow(map, screen);
    Screen::paintBackground(screen, view, inParts, [&](const std::vector<SDL_Rect>* areas) {
        if (areas == NULL) {
            paintWhole(map, screen, view, inParts);
        } else {
            paintAreas(map, screen, view, *areas);
        }
    });
}

void MapView::paintWhole(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                         bool inParts) {
    SDL_Rect camera = view;
    Uint32 black = SDL_MapRGB(screen->format, 0, 0, 0);
    if (!inParts) {
        Screen::fill(screen, NULL, black);
        Screen::paint(map, screen, 0, 0, &camera);
        return;
    }
    SDL_Rect area;
    int srcX, srcY;
    if (!FastDrawing::blitArea(map, &camera, screen, 0, 0, &area, &srcX, &srcY)) {
        Screen::fill(screen, NULL, black);
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
}

// Clearing and painting the map under each area alone gives the screen a fresh view would.
void MapView::paintAreas(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                         const std::vector<SDL_Rect>& areas) {
    Uint32 black = SDL_MapRGB(screen->format, 0, 0, 0);
    for (const SDL_Rect& area : areas) {
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
}
