#include "SoundLoader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "ImageLoader.h"

namespace {

Uint32 le32(const Uint8* p) {
    return static_cast<Uint32>(p[0]) | static_cast<Uint32>(p[1]) << 8 |
           static_cast<Uint32>(p[2]) << 16 | static_cast<Uint32>(p[3]) << 24;
}

Uint16 le16(const Uint8* p) { return static_cast<Uint16>(p[0] | p[1] << 8); }

bool refuse(std::string* why, const char* format, unsigned long value = 0) {
    if (why != NULL) {
        char text[160];
        std::snprintf(text, sizeof text, format, value);
        *why = text;
    }
    return false;
}

// Once per file: the weapons share sounds, and each loads its own.
void report(const char* path, const std::string& why) {
    static std::set<std::string> reported;
    if (!reported.insert(path).second) {
        return;
    }
    char folder[4096];
    std::fprintf(stderr, "deadacre: sound refused, playing silently without it: %s in %s: %s\n",
                 path, getcwd(folder, sizeof folder) ? folder : "?", why.c_str());
}

// Reads the whole of a regular file, at most `limit` + 1 bytes of it. A directory, a device or a
// pipe is refused before anything is read from it, so nothing can block.
bool readFile(const char* path, size_t limit, std::vector<Uint8>* bytes, std::string* why,
              bool* missing) {
    *missing = false;
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *missing = errno == ENOENT;
        *why = std::strerror(errno);
        return false;
    }
    struct stat info;
    bool ok = false;
    if (fstat(fd, &info) != 0) {
        *why = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        *why = ImageLoader::notAFile(info.st_mode);
    } else if (static_cast<unsigned long long>(info.st_size) > limit) {
        refuse(why, "larger than %lu bytes", static_cast<unsigned long>(limit));
    } else {
        bytes->resize(static_cast<size_t>(info.st_size) + 1);
        size_t got = 0;
        ok = true;
        while (got < bytes->size()) {
            ssize_t n = read(fd, bytes->data() + got, bytes->size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                *why = std::strerror(errno);
                ok = false;
                break;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<size_t>(n);
        }
        if (ok && got > limit) {
            ok = refuse(why, "larger than %lu bytes", static_cast<unsigned long>(limit));
        }
        bytes->resize(got);
    }
    close(fd);
    return ok;
}

} // namespace

// Chunks are walked the way SDL's own WAV reader walks them: "fact" and "LIST" may come before
// the format, anything may come between it and the sound data, and no pad byte follows an odd
// chunk, so an odd chunk before the data is refused (a reader that pads would see other chunks).
bool SoundLoader::acceptable(const Uint8* data, size_t size, std::string* why) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
        return refuse(why, "not a RIFF WAVE file");
    }
    if (le32(data + 4) > size - 8) {
        return refuse(why, "the RIFF chunk claims %lu bytes, more than the file holds",
                      le32(data + 4));
    }
    size_t at = 12;
    const Uint8* format = NULL;
    while (true) {
        if (size - at < 8) {
            return refuse(why, format == NULL ? "no format chunk" : "no sound data chunk");
        }
        const Uint8* chunk = data + at;
        Uint32 length = le32(chunk + 4);
        if (length > size - at - 8) {
            return refuse(why, "a chunk claims %lu bytes, more than the file holds", length);
        }
        bool isData = std::memcmp(chunk, "data", 4) == 0;
        if (format != NULL && isData) {
            break;
        }
        if (length % 2 != 0) {
            return refuse(why, "an odd-sized chunk (%lu bytes) before the sound data", length);
        }
        if (format == NULL) {
            bool skipped = std::memcmp(chunk, "fact", 4) == 0 || std::memcmp(chunk, "LIST", 4) == 0;
            if (!skipped && std::memcmp(chunk, "fmt ", 4) != 0) {
                return refuse(why, "the format chunk does not come first");
            }
            if (!skipped) {
                if (length < 16) {
                    return refuse(why, "a format chunk of %lu bytes", length);
                }
                format = chunk + 8;
            }
        }
        at += 8 + length;
    }

    Uint16 encoding = le16(format);
    Uint16 channels = le16(format + 2);
    Uint32 rate = le32(format + 4);
    Uint16 blockAlign = le16(format + 12);
    Uint16 bits = le16(format + 14);
    if (encoding != 1) {
        return refuse(why, "encoding %lu, not plain PCM", encoding);
    }
    if (channels < 1 || channels > MAX_CHANNELS) {
        return refuse(why, "%lu channels", channels);
    }
    if (rate < MIN_RATE || rate > MAX_RATE) {
        return refuse(why, "a rate of %lu Hz", rate);
    }
    if (bits == 0 || bits % 8 != 0 || bits > 32) {
        return refuse(why, "%lu-bit samples", bits);
    }
    if (blockAlign != channels * (bits / 8)) {
        return refuse(why, "a block alignment of %lu bytes that does not match its samples",
                      blockAlign);
    }
    return true;
}

Mix_Chunk* SoundLoader::load(const char* path) {
    std::vector<Uint8> bytes;
    std::string why;
    bool missing = false;
    if (!readFile(path, MAX_FILE_SIZE, &bytes, &why, &missing)) {
        if (!missing) {
            report(path, why);
        }
        return NULL;
    }
    if (!acceptable(bytes.data(), bytes.size(), &why)) {
        report(path, why);
        return NULL;
    }
    // The mixer makes its own copy, so the bytes it was checked on are the bytes it gets.
    return Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
}
