#ifndef CHECKSUM_H
#define CHECKSUM_H

#include <SDL/SDL.h>
#include <cstddef>
#include <string>

// One number for many values (64-bit FNV-1a over their bytes), and the two that do not belong to
// one object: the picture on the screen and the data files. Recordings store these numbers, so
// the order and width of everything added is part of the file format.
class Checksum {
public:
    void add(Uint64 v);
    void add(double d);
    void add(int v);
    void add(const std::string& text);
    void addBytes(const char* data, size_t n);
    Uint64 value() const { return h; }

    // The screen's RGB, whatever its pixel format.
    static Uint64 frame(SDL_Surface* screen);
    // The pictures, sounds and font under the working directory.
    static Uint64 dataFiles();

private:
    Uint64 h = OFFSET;
    static const Uint64 OFFSET = 14695981039346656037ull;
    static const Uint64 PRIME = 1099511628211ull;
};

#endif
