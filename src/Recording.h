#ifndef RECORDING_H
#define RECORDING_H

#include <SDL/SDL.h>
#include <cstddef>
#include <string>
#include <vector>

// The file a recorded game is kept in, and nothing else: turning what the game read from outside
// into bytes and back. Reading is a pure function over bytes, so a damaged or hostile file can
// be tried in memory as often as one likes.
//
// Layout (integers little-endian, "varint" = unsigned LEB128 of at most 5 bytes, signed values
// zigzag-coded first):
//   magic "DACREC\r\n", u16 format version, u8 length + game version text,
//   u64 checksum of the data files, u32 random seed of the level;
//   one 'S' chunk (what the level's set-up read), then one 'P' chunk per pass of the level loop,
//   each: tag, varint payload length, payload;
//   a closing 'E': u32 number of passes, u64 state checksum, u64 frame checksum, end of file.
// A pass payload: clock readings as runs (varint count; each zigzag varint change from the
// previous reading and varint repeat count), events (varint count; each a type byte and its
// fields), key-state changes (varint count; each u16 key, u8 0 or 1), mouse readings (varint
// count; each zigzag varint dx, dy from the previous reading and u8 buttons). Every chunk starts
// from clock 0 and mouse (0, 0), so each can be read on its own.
class Recording {
public:
    static const Uint16 FORMAT_VERSION = 1;
    static const int SCREEN_W = 1080;
    static const int SCREEN_H = 720;
    // Beyond this a file is not a recording anyone made: refused before it is read.
    static const size_t MAX_FILE_BYTES = 1u << 30;

    struct Header {
        Uint16 formatVersion = FORMAT_VERSION;
        std::string gameVersion;
        Uint64 dataChecksum = 0;
        Uint32 seed = 1;
    };
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
    // What one pass (or the set-up) read from outside, in the order it was read.
    struct Pass {
        std::vector<ClockRun> clock;
        std::vector<SDL_Event> events;
        std::vector<KeyChange> keys;
        std::vector<MouseReading> mouse;
        void clear();
    };
    struct Parsed {
        bool ok = false;
        std::string error; // one line, when not ok
        Header header;
        // Offsets of the chunks: [0] the set-up, then one per whole pass.
        std::vector<size_t> chunks;
        bool complete = false; // the closing record was there
        Uint64 finalState = 0, finalFrame = 0;
        size_t passes() const { return chunks.empty() ? 0 : chunks.size() - 1; }
    };

    // Checks every byte of a recording. A file that merely stops early (a killed game) is ok
    // and not complete; anything else amiss is an error.
    static Parsed parse(const std::vector<Uint8>& bytes);
    // Reads one chunk found by parse; false only for bytes parse did not accept.
    static bool decodeChunk(const std::vector<Uint8>& bytes, size_t offset, Pass* out);

    static void encodeHeader(const Header& header, std::vector<Uint8>* out);
    // tag 'S' for the set-up, 'P' for a pass.
    static void encodeChunk(char tag, const Pass& pass, std::vector<Uint8>* out);
    static void encodeEnd(Uint32 passes, Uint64 state, Uint64 frame, std::vector<Uint8>* out);

    // The event types a recording keeps; the level reads no others.
    static bool keepsEvent(Uint8 type);
};

#endif
