#ifndef IMAGELOADER_H
#define IMAGELOADER_H

#include <SDL/SDL.h>
#include <set>
#include <string>

// The one way pictures are loaded, in the display's format and ready for the faster paths.
// Remembers only the pictures that failed. Painting them is Screen's.
class ImageLoader {
public:
    ImageLoader();
    // Loads a picture into the display format; files whose names end in "png" keep their
    // per-pixel alpha. Returns null when the file cannot be loaded; that is reported once, and
    // the file is not tried again.
    SDL_Surface* optimizeImage(std::string filename);

private:
    std::set<std::string> failed;
};

#endif
