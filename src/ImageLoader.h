#ifndef IMAGELOADER_H
#define IMAGELOADER_H

#include <SDL/SDL.h>
#include <cstdio>
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
    // Opens a file of the data folder for reading only when it is a regular file, so a pipe or
    // a device in its place cannot block the game. Null with why set otherwise.
    static FILE* openDataFile(const std::string& path, std::string* why);
    // One line on standard error naming the file, the folder and the reason; outside the data
    // folder, where every file is missing, only the first and a hint.
    static void reportFailure(const std::string& path, const std::string& why,
                              const char* what = "could not load");
    // What a file's mode makes it when it is not a regular file, for messages; null when it is.
    static const char* notAFile(unsigned mode);

private:
    std::set<std::string> failed;
};

#endif
