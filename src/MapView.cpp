#include "MapView.h"

#include <algorithm>

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
    for (Standing& one : standing) {
        paintStanding(one, map, screen, view);
    }
}

void MapView::addStanding(SDL_Surface* map, SDL_Surface* screen, SDL_Surface* picture, int x,
                          int y) {
    Standing one = {picture, x, y, false};
    // Painted over the map's own pixels, the picture gives the same pixels in the map as it
    // would on a screen of the same format freshly painted with that part of the map.
    if (picture != NULL && FastPaths::enabled && FastDrawing::copiesRowByRow(map, screen)) {
        Screen::paint(picture, map, x, y, NULL);
        one.inMap = true;
    }
    standing.push_back(one);
}

// The whole picture, or, once it is in the map, its parts past the map's edges, over the black
// there.
void MapView::paintStanding(const Standing& one, SDL_Surface* map, SDL_Surface* screen,
                            const SDL_Rect& view) {
    int screenX = one.x - view.x, screenY = one.y - view.y;
    if (!one.inMap) {
        Screen::paint(one.picture, screen, screenX, screenY, NULL);
        return;
    }
    // In the picture's own coordinates: the columns left and right of the map, then the rows
    // above and below it between those columns.
    int w = one.picture->w, h = one.picture->h;
    int left = std::min(std::max(-one.x, 0), w),
        right = std::max(std::min(map->w - one.x, w), left);
    int top = std::min(std::max(-one.y, 0), h), bottom = std::max(std::min(map->h - one.y, h), top);
    SDL_Rect parts[4] = {
        {0, 0, static_cast<Uint16>(left), static_cast<Uint16>(h)},
        {static_cast<Sint16>(right), 0, static_cast<Uint16>(w - right), static_cast<Uint16>(h)},
        {static_cast<Sint16>(left), 0, static_cast<Uint16>(right - left), static_cast<Uint16>(top)},
        {static_cast<Sint16>(left), static_cast<Sint16>(bottom), static_cast<Uint16>(right - left),
         static_cast<Uint16>(h - bottom)}};
    for (SDL_Rect& part : parts) {
        if (part.w > 0 && part.h > 0) {
            Screen::paint(one.picture, screen, screenX + part.x, screenY + part.y, &part);
        }
    }
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
