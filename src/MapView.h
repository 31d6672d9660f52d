#ifndef MAPVIEW_H
#define MAPVIEW_H

#include <SDL/SDL.h>
#include <vector>

// The part of the level's map under view, as the background of each frame. With the view where
// it was and the screen's record whole, it puts the map back only where pictures were painted
// over it, and tells the screen that only those areas changed.
class MapView {
public:
    MapView();
    // Clears the screen to black and paints the part of map under view. Where map is a plain
    // opaque picture the screen is not cleared where the map is about to cover it.
    void paint(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view);

private:
    bool restoreUnderPaintings(SDL_Surface* map, SDL_Surface* screen, const SDL_Rect& view,
                               Uint32 black);

    // The view the map was last painted with, for putting back only what was painted over it.
    bool painted;
    SDL_Rect lastView;
    std::vector<SDL_Rect> restored;
};

#endif
