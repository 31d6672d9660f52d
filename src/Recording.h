#ifndef RECORDING_H
#define RECORDING_H

#include <SDL/SDL.h>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "RecordedPass.h"

// The file a recorded game is kept in, and nothing else: turning what the game read from outside
// into bytes and back. There is one reader, Stream, which goes front to back through any source
// of bytes and checks every field as it goes; given bytes in memory (memory()), it lets a damaged
// or hostile file be tried as often as one likes.
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
// From format 2 on, a lone tag 'R' (no length, no payload) is one more pass whose payload is the
// same as the pass before it: an uncapped game plays many passes within one clock tick with
// nothing changed, and each then costs one byte instead of a dozen. Format 1 files have no 'R'.
// Nothing limits the file's length but the closing record's 32-bit pass count.
class Recording {
public:
    static const Uint16 FORMAT_VERSION = 2;
    // No pass the game writes comes near this; a longer one is damage, refused before it is
    // held in memory.
    static const Uint32 MAX_CHUNK_BYTES = 1u << 24;
    // glibc's rand() starts as if seeded with 1; every level starts from there.
    static const Uint32 LEVEL_SEED = 1;

    struct Header {
        Uint16 formatVersion = FORMAT_VERSION;
        std::string gameVersion;
        Uint64 dataChecksum = 0;
        Uint32 seed = LEVEL_SEED;
    };
    // What one pass (or the set-up) read from outside: one chunk's payload.
    using Pass = RecordedPass;

    // Reads a recording front to back, one chunk at a time, from any source of bytes: a
    // recording of any length is read in the memory of one pass.
    class Stream {
    public:
        // Copies up to n bytes to `to` and returns how many; 0 only at the end.
        using Source = std::function<size_t(Uint8* to, size_t n)>;
        enum Next { SET_UP, PASS, END, CUT, BAD };

        explicit Stream(Source source);
        // A source that gives these bytes, then the end.
        static Source memory(std::vector<Uint8> bytes);
        // False with error() set when the header is not a recording's.
        bool readHeader();
        // SET_UP or PASS: pass() holds it (repeated() when it is the same as the one before);
        // END: the closing record was read and agrees; CUT: the file stops early, every whole
        // pass before was given; BAD: error() says what is wrong and where.
        Next next();

        const Header& header() const { return header_; }
        const Pass& pass() const { return pass_; }
        bool repeated() const { return repeated_; }
        // Whole passes given so far (the set-up not counted).
        Uint64 passes() const { return passes_; }
        // Where the last chunk given starts; for a repeat, where the pass it repeats starts.
        Uint64 chunkOffset() const { return chunkOffset_; }
        Uint64 finalState() const { return finalState_; }
        Uint64 finalFrame() const { return finalFrame_; }
        const std::string& error() const { return error_; }

    private:
        bool byte(Uint8* out);
        bool bytes(size_t n, std::vector<Uint8>* out);
        Next bad(const std::string& why);

        Source source_;
        std::vector<Uint8> buffer_;
        size_t at_ = 0, filled_ = 0;
        Uint64 consumed_ = 0;
        Header header_;
        Pass pass_;
        std::vector<Uint8> payload_;
        bool setUpSeen_ = false, lastWasPass_ = false, repeated_ = false, done_ = false;
        Uint64 passes_ = 0, chunkOffset_ = 0, lastPassOffset_ = 0;
        Uint64 finalState_ = 0, finalFrame_ = 0;
        std::string error_;
    };

    static void encodeHeader(const Header& header, std::vector<Uint8>* out);
    // A chunk: tag 'S' for the set-up, 'P' for a pass, its length and the payload
    // (RecordedPass::encode). A writer compares payloads to write a repeated pass as
    // encodeRepeat's one byte.
    static void encodeChunk(char tag, const std::vector<Uint8>& payload, std::vector<Uint8>* out);
    static void encodeRepeat(std::vector<Uint8>* out);
    static void encodeEnd(Uint32 passes, Uint64 state, Uint64 frame, std::vector<Uint8>* out);
};

#endif
