#include "ImageLoader.h"

#include <SDL/SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "FastDrawing.h"
#include "FastPaths.h"
#include "Globals.h"

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

} // namespace

const char* ImageLoader::notAFile(unsigned mode) {
    if (S_ISREG(mode)) {
        return NULL;
    }
    if (S_ISDIR(mode)) {
        return "it is a folder, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "it is a pipe, not a file";
    }
    if (S_ISSOCK(mode)) {
        return "it is a socket, not a file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "it is a device, not a file";
    }
    return "it is not a regular file";
}

FILE* ImageLoader::openDataFile(const std::string& path, std::string* why) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = std::strerror(errno);
        return NULL;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        *why = std::strerror(errno);
    } else if (const char* what = notAFile(info.st_mode)) {
        *why = what;
    } else {
        FILE* file = fdopen(fd, "rb");
        if (file != NULL) {
            return file;
        }
        *why = std::strerror(errno);
    }
    close(fd);
    return NULL;
}

void ImageLoader::reportFailure(const std::string& path, const std::string& why, const char* what) {
    static bool hinted = false;
    char folder[4096];
    const char* where = getcwd(folder, sizeof folder) ? folder : "?";
    if (inDataFolder()) {
        std::fprintf(stderr, "deadacre: %s %s in %s: %s\n", what, path.c_str(), where, why.c_str());
    } else if (!hinted) {
        // Every other file is missing for the same reason: one line says it.
        hinted = true;
        std::fprintf(stderr,
                     "deadacre: could not load %s in %s: %s (start the game in its data folder, "
                     "or through its launcher)\n",
                     path.c_str(), where, why.c_str());
    }
}

SDL_Surface* ImageLoader::optimizeImage(std::string filename) {
    // Once a quit signal has come the game is on its way out: the level's set-up must not spend
    // another half second decoding pictures nobody will see.
    if (failed.count(filename) != 0 || quitSignal) {
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
    FILE* file = openDataFile(filename, &why);
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
