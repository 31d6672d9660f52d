#ifndef RECORDEDPASS_H
#define RECORDEDPASS_H

#include <SDL/SDL.h>
#include <cstddef>
#include <string>
#include <vector>

// What one pass of the level loop (or the level's set-up) read from outside, in the order it was
// read, and its bytes in a recording: a chunk's payload (the layout is in Recording.h). Every
// payload starts from clock 0 and mouse (0, 0), so each can be read on its own.
class RecordedPass {
public:
    // The picture the recorded mouse positions lie on.
    static const int SCREEN_W = 1080;
    static const int SCREEN_H = 720;

    struct ClockRun {
        Uint32 value;
        Uint32 count;
    };
    struct KeyChange {
        Uint16 key;
        Uint8 down;
    };
    struct MouseReading {
        Uint16 x, y;
        Uint8 buttons;
    };
    std::vector<ClockRun> clock;
    std::vector<SDL_Event> events;
    std::vector<KeyChange> keys;
    std::vector<MouseReading> mouse;

    void clear();
    // Appends the payload.
    void encode(std::vector<Uint8>* out) const;
    // Reads a whole payload, checking every field; false with one line in why when it is not one.
    bool decode(const Uint8* data, size_t size, std::string* why);

    // The format's integers, shared with the recording's header and framing: little-endian, and
    // "varint" = unsigned LEB128 of at most 5 bytes that must fit 32 bits. readVarint is the one
    // decoder of them, whatever the bytes come from: 1 read, 0 the bytes ended first, -1 not a
    // varint.
    template <typename NextByte> static int readVarint(NextByte nextByte, Uint32* out) {
        Uint64 v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            Uint8 b = 0;
            if (!nextByte(&b)) {
                return 0;
            }
            v |= static_cast<Uint64>(b & 0x7f) << shift;
            if (!(b & 0x80)) {
                if (v > 0xffffffffu) {
                    return -1;
                }
                *out = static_cast<Uint32>(v);
                return 1;
            }
        }
        return -1;
    }
    static void putVarint(std::vector<Uint8>* out, Uint32 v);
    static void putUint(std::vector<Uint8>* out, Uint64 v, int bytes);
    static Uint64 getUint(const Uint8* at, int bytes);
};

#endif
