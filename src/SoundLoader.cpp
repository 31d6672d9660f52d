#include "SoundLoader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "DataFile.h"

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
    DataFile::report("sound refused, playing silently without it:", path, why);
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
    int error = 0;
    if (!DataFile::readWhole(path, MAX_FILE_SIZE, &bytes, &why, &error)) {
        if (error != ENOENT) {
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
