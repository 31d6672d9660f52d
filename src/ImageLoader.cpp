#include "ImageLoader.h"

#include <SDL/SDL_image.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "DataFile.h"
#include "FastDrawing.h"
#include "FastPaths.h"
#include "QuitSignal.h"

ImageLoader::ImageLoader() {}

namespace {

// The data folder is where the pictures' folder is.
bool inDataFolder() {
    struct stat info;
    return stat("images", &info) == 0 && S_ISDIR(info.st_mode);
}

#ifndef __EMSCRIPTEN__
// A JPEG cut short decodes without an error (the missing rows come out grey), so its end marker
// is looked for.
bool jpegComplete(FILE* file) {
    unsigned char end[2] = {0, 0};
    bool whole = std::fseek(file, -2, SEEK_END) == 0 && std::fread(end, 1, 2, file) == 2 &&
                 end[0] == 0xff && end[1] == 0xd9;
    std::rewind(file);
    return whole;
}
#endif

// One line naming the file, the folder and the reason; outside the data folder, where every file
// is missing, only the first and a hint.
void reportFailure(const std::string& path, const std::string& why,
                   const char* what = "could not load") {
    static bool hinted = false;
    if (inDataFolder()) {
        DataFile::report(what, path, why);
    } else if (!hinted) {
        // Every other file is missing for the same reason: one line says it.
        hinted = true;
        DataFile::report("could not load", path,
                         why + " (start the game in its data folder, or through its launcher)");
    }
}

} // namespace

SDL_Surface* ImageLoader::optimizeImage(std::string filename) {
    // Once a quit signal has come the game is on its way out: the level's set-up must not spend
    // another half second decoding pictures nobody will see.
    if (failed.count(filename) != 0 || QuitSignal::arrived()) {
        return NULL;
    }
#ifdef __EMSCRIPTEN__
    // The browser's files are preloaded into memory: nothing there can block.
    SDL_Surface* loaded = IMG_Load(filename.c_str());
    if (loaded == NULL) {
        reportFailure(filename, IMG_GetError());
    }
#else
    std::string why;
    FILE* file = DataFile::openStream(filename, &why);
    SDL_Surface* loaded = NULL;
    if (file != NULL) {
        size_t dot = filename.rfind('.');
        std::string type = dot == std::string::npos ? "" : filename.substr(dot + 1);
        bool jpeg = type == "jpg" || type == "jpeg";
        bool whole = !jpeg || jpegComplete(file);
        loaded = IMG_LoadTyped_RW(SDL_RWFromFP(file, 1), 1, const_cast<char*>(type.c_str()));
        if (loaded == NULL) {
            why = IMG_GetError();
        } else if (!whole) {
            reportFailure(filename, "the picture is cut short; it is shown as far as it goes",
                          "damaged picture");
        }
    }
    if (loaded == NULL) {
        reportFailure(filename, why);
    }
#endif
    if (loaded == NULL) {
        failed.insert(filename);
        return NULL;
    }
    bool png = filename.size() >= 3 && filename.compare(filename.size() - 3, 3, "png") == 0;
    SDL_Surface* converted = png ? SDL_DisplayFormatAlpha(loaded) : SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    if (png && converted != NULL && FastPaths::enabled) {
        FastDrawing::prepareAlphaPicture(converted);
    }
    return converted;
}
