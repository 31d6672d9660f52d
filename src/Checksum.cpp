#include "Checksum.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

void Checksum::add(Uint64 v) {
    for (int i = 0; i < 8; i++) {
        h = (h ^ ((v >> (8 * i)) & 0xff)) * PRIME;
    }
}

void Checksum::add(double d) {
    Uint64 bits;
    std::memcpy(&bits, &d, sizeof(bits));
    add(bits);
}

void Checksum::add(int v) { add(static_cast<Uint64>(static_cast<Sint64>(v))); }

void Checksum::add(const std::string& text) {
    for (unsigned char c : text) {
        h = (h ^ c) * PRIME;
    }
    add(static_cast<Uint64>(text.size()));
}

void Checksum::addBytes(const char* data, size_t n) {
    for (size_t i = 0; i < n; i++) {
        h = (h ^ static_cast<unsigned char>(data[i])) * PRIME;
    }
}

Uint64 Checksum::frame(SDL_Surface* screen) {
    Checksum hash;
    if (screen == nullptr) {
        return hash.h;
    }
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) < 0) {
        return hash.h;
    }
    hash.add(screen->w);
    hash.add(screen->h);
    const SDL_PixelFormat* f = screen->format;
    bool plain =
        f->BytesPerPixel == 4 && f->Rmask == 0xff0000 && f->Gmask == 0xff00 && f->Bmask == 0xff;
    Uint64 h = hash.h;
    for (int y = 0; y < screen->h; y++) {
        const Uint8* row = static_cast<const Uint8*>(screen->pixels) + y * screen->pitch;
        for (int x = 0; x < screen->w; x++) {
            Uint32 rgb;
            if (plain) {
                std::memcpy(&rgb, row + 4 * x, 4);
                rgb &= 0xffffff;
            } else {
                Uint32 pixel = 0;
                std::memcpy(&pixel, row + f->BytesPerPixel * x, f->BytesPerPixel);
                Uint8 r, g, b;
                SDL_GetRGB(pixel, const_cast<SDL_PixelFormat*>(f), &r, &g, &b);
                rgb = (r << 16) | (g << 8) | b;
            }
            // One multiply per pixel: the whole screen is hashed every pass with --frames.
            h = (h ^ rgb) * PRIME;
        }
    }
    if (SDL_MUSTLOCK(screen)) {
        SDL_UnlockSurface(screen);
    }
    return h;
}

Uint64 Checksum::dataFiles() {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::error_code ec;
    const char* folders[] = {"images", "menuImages", "sounds"};
    for (const char* folder : folders) {
        fs::recursive_directory_iterator it(folder, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file(ec)) {
                files.push_back(it->path().generic_string());
            }
        }
        ec.clear();
    }
    if (fs::is_regular_file("testFont.ttf", ec)) {
        files.push_back("testFont.ttf");
    }
    std::sort(files.begin(), files.end());
    Checksum hash;
    std::vector<char> chunk(1 << 16);
    for (const std::string& name : files) {
        hash.add(name);
        std::ifstream in(name, std::ios::binary);
        while (in) {
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            hash.addBytes(chunk.data(), static_cast<size_t>(in.gcount()));
        }
    }
    return hash.h;
}
