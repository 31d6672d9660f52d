#ifndef IMAGELOADER_H
#define IMAGELOADER_H

#include <SDL/SDL.h>
#include <string>

// The one way pictures are loaded and put on a surface. Holds no state; each blit is offered to
// FastDrawing first, which paints it the faster way or notes where it landed.
class ImageLoader {
public:
    ImageLoader();
    // Loads a picture into the display format; files whose names end in "png" keep their
    // per-pixel alpha. Returns null when the file cannot be loaded.
    SDL_Surface* optimizeImage(std::string filename);
    // Blits source (or its clip part) with its top-left corner at (x, y). A null source paints
    // nothing.
    void paintImage(SDL_Surface* source, SDL_Surface* destination, int x, int y, SDL_Rect* clip);
};

#endif
