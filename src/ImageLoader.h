#ifndef IMAGELOADER_H
#define IMAGELOADER_H

#include <SDL/SDL.h>
#include <cstdio>
#include <set>
#include <string>

// The one way pictures are loaded and put on a surface. Remembers only the pictures that failed;
// each blit is offered to FastDrawing first, which paints it the faster way or notes where it
// landed.
class ImageLoader {
public:
    ImageLoader();
    // Loads a picture into the display format; files whose names end in "png" keep their
    // per-pixel alpha. Returns null when the file cannot be loaded; that is reported once, and
    // the file is not tried again.
    SDL_Surface* optimizeImage(std::string filename);
    // Opens a file of the data folder for reading only when it is a regular file, so a pipe or
    // a device in its place cannot block the game. Null with why set otherwise.
    static FILE* openDataFile(const std::string& path, std::string* why);
    // One line on standard error naming the file, the folder and the reason; outside the data
    // folder, where every file is missing, only the first and a hint.
    static void reportFailure(const std::string& path, const std::string& why,
                              const char* what = "could not load");
    // What a file's mode makes it when it is not a regular file, for messages; null when it is.
    static const char* notAFile(unsigned mode);
    // Blits source (or its clip part) with its top-left corner at (x, y). A null source paints
    // nothing.
    void paintImage(SDL_Surface* source, SDL_Surface* destination, int x, int y, SDL_Rect* clip);

private:
    std::set<std::string> failed;
};

#endif
