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
// SDL_image decodes a picture by what it holds, whatever its name; the checks below go by the
// same.
enum Kind { PNG, JPEG, OTHER };

Kind kindOf(FILE* file) {
    unsigned char head[8] = {0};
    size_t got = std::fread(head, 1, sizeof head, file);
    std::rewind(file);
    if (got == 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) {
        return PNG;
    }
    return got >= 3 && head[0] == 0xff && head[1] == 0xd8 && head[2] == 0xff ? JPEG : OTHER;
}

// A JPEG cut short decodes without an error (the missing rows come out grey), so its end marker
// is looked for.
bool jpegComplete(FILE* file) {
    unsigned char end[2] = {0, 0};
    bool whole = std::fseek(file, -2, SEEK_END) == 0 && std::fread(end, 1, 2, file) == 2 &&
                 end[0] == 0xff && end[1] == 0xd9;
    std::rewind(file);
    return whole;
}

Uint32 bigEndian32(const unsigned char* p) {
    return static_cast<Uint32>(p[0]) << 24 | static_cast<Uint32>(p[1]) << 16 |
           static_cast<Uint32>(p[2]) << 8 | p[3];
}

// What is wrong with a PNG's chunks, or null when every one up to the end chunk is whole and
// passes its checksum. libpng, which SDL_image decodes with, prints a line of its own on standard
// error for a cut or damaged file before failing; such a file is refused here instead, in the
// game's one line.
const char* pngDamage(FILE* file) {
    static Uint32 table[256];
    if (table[1] == 0) {
        for (Uint32 n = 0; n < 256; n++) {
            Uint32 c = n;
            for (int k = 0; k < 8; k++) {
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            }
            table[n] = c;
        }
    }
    const char* damage = "the picture is cut short";
    unsigned char block[4096];
    std::fseek(file, 8, SEEK_SET);
    while (true) {
        if (std::fread(block, 1, 8, file) != 8) {
            break;
        }
        Uint32 left = bigEndian32(block);
        bool end = std::memcmp(block + 4, "IEND", 4) == 0;
        Uint32 crc = 0xffffffffu;
        for (int i = 4; i < 8; i++) {
            crc = table[(crc ^ block[i]) & 0xff] ^ (crc >> 8);
        }
        while (left > 0) {
            size_t got = std::fread(block, 1, left < sizeof block ? left : sizeof block, file);
            if (got == 0) {
                break;
            }
            for (size_t i = 0; i < got; i++) {
                crc = table[(crc ^ block[i]) & 0xff] ^ (crc >> 8);
            }
            left -= static_cast<Uint32>(got);
        }
        if (left > 0 || std::fread(block, 1, 4, file) != 4) {
            break;
        }
        if (bigEndian32(block) != (crc ^ 0xffffffffu)) {
            damage = "the picture is damaged (a part of it fails its checksum)";
            break;
        }
        if (end) {
            damage = nullptr;
            break;
        }
    }
    std::rewind(file);
    return damage;
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
    Kind kind = file != NULL ? kindOf(file) : OTHER;
    const char* damage = kind == PNG ? pngDamage(file) : NULL;
    if (damage != NULL) {
        std::fclose(file);
        why = damage;
    } else if (file != NULL) {
        size_t dot = filename.rfind('.');
        std::string type = dot == std::string::npos ? "" : filename.substr(dot + 1);
        bool whole = kind != JPEG || jpegComplete(file);
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
