#ifndef MAPVIEW_H
#define MAPVIEW_H

#include <SDL/SDL.h>
#include <vector>

// The part of the level's map under view, as the background of each frame: painted whole, or
// only where the screen says it differs from the map seen from there.
class MapView {
public:
    // The screen holds nothing of this view yet: its first frame is painted whole.
    MapView();
    // Clears the screen to black and paints the part of map under view, or only the areas the
    // screen asks for. Where map is a plain opaque picture the screen is not cleared where the
    // map is about to cover it.
    void paint(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view);
    // A picture that stands at (x, y) of the map for the whole level (a building), painted by
    // paint right after the map. Where the map is copied row by row it is painted into the map
    // itself, once: it is then background, put back with the map and never sent again while the
    // view stands; only what of it lies past the map's edges is still painted every frame.
    void addStanding(SDL_Surface* map, SDL_Surface* screen, SDL_Surface* picture, int x, int y);

private:
    struct Standing {
        SDL_Surface* picture;
        int x, y;
        bool inMap;
    };
    std::vector<Standing> standing;

    static void paintStanding(const Standing& one, SDL_Surface* map, SDL_Surface* screen,
                              const SDL_Rect& view);
    static void paintWhole(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                           bool inParts);
    static void paintAreas(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                           const std::vector<SDL_Rect>& areas);
};

#endif
