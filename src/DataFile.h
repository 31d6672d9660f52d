#ifndef DATAFILE_H
#define DATAFILE_H

#include <SDL/SDL.h>
#include <cstdio>
#include <string>
#include <vector>

// How the game opens the files it reads (pictures, sounds, the font, recordings), and the one
// line it prints when one cannot be used. Only regular files are opened, and never in a way that
// waits: a pipe or a device in a data file's place would otherwise block the game in open() or
// read() before its first picture.
class DataFile {
public:
    // A descriptor open for reading, or -1 with why set; error is errno then, or 0 when the file
    // is there but is not a regular file.
    static int open(const std::string& path, std::string* why, int* error = nullptr);
    // The same as a stdio stream, for the libraries that read one.
    static FILE* openStream(const std::string& path, std::string* why);
    // The whole file, refused when it holds more than limit bytes; error as for open.
    static bool readWhole(const std::string& path, size_t limit, std::vector<Uint8>* bytes,
                          std::string* why, int* error = nullptr);
    // Up to n bytes from fd, waiting out interruptions: the count, 0 at the end, or -1 with why
    // set.
    static long readSome(int fd, Uint8* to, size_t n, std::string* why);

    // What a file's mode makes it when it is not a regular file, for messages; null when it is.
    static const char* notAFile(unsigned mode);
    // The failure line on standard error: "deadacre: <lead> <path> in <folder>: <why>", the
    // folder being where the game runs, since every data file is named relative to it.
    static void report(const char* lead, const std::string& path, const std::string& why);
};

#endif
