#include "Recording.h"

#include <cstring>

namespace {

const char MAGIC[8] = {'D', 'A', 'C', 'R', 'E', 'C', '\r', '\n'};
const size_t MAX_VERSION_TEXT = 64;
// Key fields are kept in 16 bits; SDL 1.2 has fewer keys than that.
const Uint16 KEY_LIMIT = SDLK_LAST;
const Uint8 MAX_BUTTON = 7;

// Reads within [pos, end); any read past end clears ok and yields 0, so callers check once.
struct Reader {
    const Uint8* data;
    size_t pos, end;
    bool ok;
    Reader(const Uint8* d, size_t p, size_t e) : data(d), pos(p), end(e), ok(true) {}
    size_t left() const { return end - pos; }
    bool take(size_t n) {
        if (!ok || left() < n) {
            ok = false;
            return false;
        }
        pos += n;
        return true;
    }
    Uint8 u8() { return take(1) ? data[pos - 1] : 0; }
    Uint16 u16() {
        if (!take(2)) {
            return 0;
        }
        return static_cast<Uint16>(data[pos - 2] | (data[pos - 1] << 8));
    }
    Uint64 uint(int bytes) {
        if (!take(static_cast<size_t>(bytes))) {
            return 0;
        }
        Uint64 v = 0;
        for (int i = bytes - 1; i >= 0; i--) {
            v = (v << 8) | data[pos - bytes + i];
        }
        return v;
    }
    // At most 5 bytes, and the value must fit 32 bits.
    bool varint(Uint32* out) {
        Uint64 v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            Uint8 b = u8();
            if (!ok) {
                return false;
            }
            v |= static_cast<Uint64>(b & 0x7f) << shift;
            if (!(b & 0x80)) {
                if (v > 0xffffffffu) {
                    ok = false;
                    return false;
                }
                *out = static_cast<Uint32>(v);
                return true;
            }
        }
        ok = false;
        return false;
    }
};

Sint32 unzigzag(Uint32 v) { return static_cast<Sint32>((v >> 1) ^ (~(v & 1) + 1)); }
Uint32 zigzag(Sint32 v) {
    return (static_cast<Uint32>(v) << 1) ^ static_cast<Uint32>(v < 0 ? -1 : 0);
}

void putU8(std::vector<Uint8>* out, Uint8 v) { out->push_back(v); }
void putUint(std::vector<Uint8>* out, Uint64 v, int bytes) {
    for (int i = 0; i < bytes; i++) {
        out->push_back(static_cast<Uint8>(v >> (8 * i)));
    }
}
void putVarint(std::vector<Uint8>* out, Uint32 v) {
    while (v >= 0x80) {
        out->push_back(static_cast<Uint8>(v | 0x80));
        v >>= 7;
    }
    out->push_back(static_cast<Uint8>(v));
}

bool onScreen(int x, int y) {
    return x >= 0 && x < Recording::SCREEN_W && y >= 0 && y < Recording::SCREEN_H;
}

// Reads a count and checks that the bytes left can hold that many items of at least minBytes
// each, so no count can make the reader reserve more than the file itself.
bool readCount(Reader& r, size_t minBytes, Uint32* count, std::string* why, const char* what) {
    if (!r.varint(count)) {
        *why = std::string("the ") + what + " count is unreadable";
        return false;
    }
    if (static_cast<Uint64>(*count) * minBytes > r.left()) {
        *why = std::string("the ") + what + " count " + std::to_string(*count) +
               " is more than the pass holds";
        return false;
    }
    return true;
}

// Decodes one chunk's payload [pos, end) into out. why says what is wrong when it fails.
bool decodePayload(const Uint8* data, size_t pos, size_t end, Recording::Pass* out,
                   std::string* why) {
    out->clear();
    Reader r(data, pos, end);
    Uint32 count = 0;

    if (!readCount(r, 2, &count, why, "clock reading")) {
        return false;
    }
    out->clock.reserve(count);
    Uint32 clock = 0;
    for (Uint32 i = 0; i < count; i++) {
        Uint32 delta = 0, repeat = 0;
        if (!r.varint(&delta) || !r.varint(&repeat)) {
            *why = "a clock reading runs past its pass";
            return false;
        }
        if (repeat == 0) {
            *why = "a clock reading is repeated zero times";
            return false;
        }
        clock += static_cast<Uint32>(unzigzag(delta));
        out->clock.push_back({clock, repeat});
    }

    if (!readCount(r, 1, &count, why, "event")) {
        return false;
    }
    out->events.reserve(count);
    for (Uint32 i = 0; i < count; i++) {
        SDL_Event e;
        std::memset(&e, 0, sizeof(e));
        e.type = r.u8();
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            e.key.type = e.type;
            e.key.state = e.type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            {
                // Checked before it becomes an SDLKey: the enumeration cannot hold any 16 bits.
                Uint16 sym = r.u16();
                e.key.keysym.mod = static_cast<SDLMod>(r.u16());
                if (r.ok && sym >= KEY_LIMIT) {
                    *why = "an event names key " + std::to_string(sym) + ", which does not exist";
                    return false;
                }
                e.key.keysym.sym = static_cast<SDLKey>(sym);
            }
            break;
        case SDL_MOUSEMOTION:
            e.motion.type = e.type;
            e.motion.state = r.u8();
            e.motion.x = r.u16();
            e.motion.y = r.u16();
            e.motion.xrel = static_cast<Sint16>(r.u16());
            e.motion.yrel = static_cast<Sint16>(r.u16());
            if (r.ok && !onScreen(e.motion.x, e.motion.y)) {
                *why = "a mouse motion event lies off the screen";
                return false;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            e.button.type = e.type;
            e.button.state = e.type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.button = r.u8();
            e.button.x = r.u16();
            e.button.y = r.u16();
            if (r.ok && (e.button.button == 0 || e.button.button > MAX_BUTTON)) {
                *why = "an event names mouse button " + std::to_string(e.button.button);
                return false;
            }
            if (r.ok && !onScreen(e.button.x, e.button.y)) {
                *why = "a mouse button event lies off the screen";
                return false;
            }
            break;
        case SDL_QUIT:
            e.quit.type = e.type;
            break;
        default:
            if (r.ok) {
                *why = "unknown event type " + std::to_string(e.type);
                return false;
            }
        }
        if (!r.ok) {
            *why = "an event runs past its pass";
            return false;
        }
        out->events.push_back(e);
    }

    if (!readCount(r, 3, &count, why, "key change")) {
        return false;
    }
    out->keys.reserve(count);
    for (Uint32 i = 0; i < count; i++) {
        Recording::KeyChange k;
        k.key = r.u16();
        k.down = r.u8();
        if (k.key >= KEY_LIMIT || k.down > 1) {
            *why = "a key change names key " + std::to_string(k.key) + " state " +
                   std::to_string(k.down);
            return false;
        }
        out->keys.push_back(k);
    }

    if (!readCount(r, 3, &count, why, "mouse reading")) {
        return false;
    }
    out->mouse.reserve(count);
    int x = 0, y = 0;
    for (Uint32 i = 0; i < count; i++) {
        Uint32 dx = 0, dy = 0;
        if (!r.varint(&dx) || !r.varint(&dy)) {
            *why = "a mouse reading runs past its pass";
            return false;
        }
        Uint8 buttons = r.u8();
        // Deltas beyond the screen are refused before they are added, so nothing overflows.
        Sint32 sx = unzigzag(dx), sy = unzigzag(dy);
        if (!r.ok || sx < -Recording::SCREEN_W || sx > Recording::SCREEN_W ||
            sy < -Recording::SCREEN_H || sy > Recording::SCREEN_H || !onScreen(x + sx, y + sy)) {
            *why = "a mouse reading lies off the screen";
            return false;
        }
        x += sx;
        y += sy;
        out->mouse.push_back({static_cast<Uint16>(x), static_cast<Uint16>(y), buttons});
    }
    if (r.left() != 0) {
        *why = "a pass holds " + std::to_string(r.left()) + " bytes more than it uses";
        return false;
    }
    return true;
}

} // namespace

void Recording::Pass::clear() {
    clock.clear();
    events.clear();
    keys.clear();
    mouse.clear();
}

bool Recording::keepsEvent(Uint8 type) {
    return type == SDL_KEYDOWN || type == SDL_KEYUP || type == SDL_MOUSEMOTION ||
           type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP || type == SDL_QUIT;
}

Recording::Parsed Recording::parse(const std::vector<Uint8>& bytes) {
    Parsed p;
    if (bytes.size() > MAX_FILE_BYTES) {
        p.error =
            "the file is larger than any recording (" + std::to_string(bytes.size()) + " bytes)";
        return p;
    }
    Reader r(bytes.data(), 0, bytes.size());
    if (bytes.size() < sizeof(MAGIC) || std::memcmp(bytes.data(), MAGIC, sizeof(MAGIC)) != 0) {
        p.error = "not a Dead Acre recording (wrong magic)";
        return p;
    }
    r.take(sizeof(MAGIC));
    p.header.formatVersion = r.u16();
    if (r.ok && p.header.formatVersion > FORMAT_VERSION) {
        p.error = "recording format " + std::to_string(p.header.formatVersion) +
                  " is newer than this game reads (" + std::to_string(FORMAT_VERSION) + ")";
        return p;
    }
    if (r.ok && p.header.formatVersion == 0) {
        p.error = "recording format 0 does not exist";
        return p;
    }
    size_t versionLength = r.u8();
    if (r.ok && versionLength > MAX_VERSION_TEXT) {
        p.error = "the game version text is too long";
        return p;
    }
    if (r.ok && r.left() >= versionLength) {
        p.header.gameVersion.assign(reinterpret_cast<const char*>(bytes.data() + r.pos),
                                    versionLength);
    }
    r.take(versionLength);
    p.header.dataChecksum = r.uint(8);
    p.header.seed = static_cast<Uint32>(r.uint(4));
    if (!r.ok) {
        p.error = "the header is cut short";
        return p;
    }

    Pass scratch;
    std::string why;
    while (r.left() > 0) {
        size_t chunkStart = r.pos;
        Uint8 tag = r.u8();
        if (tag == 'E') {
            Uint32 passes = static_cast<Uint32>(r.uint(4));
            p.finalState = r.uint(8);
            p.finalFrame = r.uint(8);
            if (!r.ok) {
                break; // cut short inside the closing record: the passes are all there
            }
            if (p.chunks.empty()) {
                p.error = "the closing record comes before the level's set-up";
                return p;
            }
            if (passes != p.passes()) {
                p.error = "the closing record counts " + std::to_string(passes) +
                          " passes, the file holds " + std::to_string(p.passes());
                return p;
            }
            if (r.left() != 0) {
                p.error = "data follows the closing record";
                return p;
            }
            p.complete = true;
            break;
        }
        if (tag != 'S' && tag != 'P') {
            p.error = "unknown record type " + std::to_string(tag) + " after pass " +
                      std::to_string(p.passes());
            return p;
        }
        if ((tag == 'S') != p.chunks.empty()) {
            p.error = tag == 'S' ? "a second set-up record after pass " + std::to_string(p.passes())
                                 : "a pass comes before the level's set-up";
            return p;
        }
        Uint32 length = 0;
        if (!r.varint(&length)) {
            if (r.pos >= bytes.size()) {
                break; // the length itself was cut off
            }
            p.error = "unreadable record length after pass " + std::to_string(p.passes());
            return p;
        }
        if (length > r.left()) {
            break; // the game stopped while writing this pass
        }
        if (!decodePayload(bytes.data(), r.pos, r.pos + length, &scratch, &why)) {
            p.error = (p.chunks.empty() ? std::string("level set-up")
                                        : "pass " + std::to_string(p.passes() + 1)) +
                      ": " + why;
            return p;
        }
        p.chunks.push_back(chunkStart);
        r.take(length);
    }
    p.ok = true;
    return p;
}

bool Recording::decodeChunk(const std::vector<Uint8>& bytes, size_t offset, Pass* out) {
    Reader r(bytes.data(), offset, bytes.size());
    Uint8 tag = r.u8();
    Uint32 length = 0;
    if ((tag != 'S' && tag != 'P') || !r.varint(&length) || length > r.left()) {
        return false;
    }
    std::string why;
    return decodePayload(bytes.data(), r.pos, r.pos + length, out, &why);
}

void Recording::encodeHeader(const Header& header, std::vector<Uint8>* out) {
    out->insert(out->end(), MAGIC, MAGIC + sizeof(MAGIC));
    putUint(out, header.formatVersion, 2);
    size_t n =
        header.gameVersion.size() < MAX_VERSION_TEXT ? header.gameVersion.size() : MAX_VERSION_TEXT;
    putU8(out, static_cast<Uint8>(n));
    out->insert(out->end(), header.gameVersion.begin(), header.gameVersion.begin() + n);
    putUint(out, header.dataChecksum, 8);
    putUint(out, header.seed, 4);
}

void Recording::encodeChunk(char tag, const Pass& pass, std::vector<Uint8>* out) {
    std::vector<Uint8> body;
    putVarint(&body, static_cast<Uint32>(pass.clock.size()));
    Uint32 clock = 0;
    for (const ClockRun& run : pass.clock) {
        putVarint(&body, zigzag(static_cast<Sint32>(run.value - clock)));
        putVarint(&body, run.count);
        clock = run.value;
    }
    putVarint(&body, static_cast<Uint32>(pass.events.size()));
    for (const SDL_Event& e : pass.events) {
        putU8(&body, e.type);
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            putUint(&body, e.key.keysym.sym, 2);
            putUint(&body, e.key.keysym.mod, 2);
            break;
        case SDL_MOUSEMOTION:
            putU8(&body, e.motion.state);
            putUint(&body, e.motion.x, 2);
            putUint(&body, e.motion.y, 2);
            putUint(&body, static_cast<Uint16>(e.motion.xrel), 2);
            putUint(&body, static_cast<Uint16>(e.motion.yrel), 2);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            putU8(&body, e.button.button);
            putUint(&body, e.button.x, 2);
            putUint(&body, e.button.y, 2);
            break;
        default:
            break;
        }
    }
    putVarint(&body, static_cast<Uint32>(pass.keys.size()));
    for (const KeyChange& k : pass.keys) {
        putUint(&body, k.key, 2);
        putU8(&body, k.down);
    }
    putVarint(&body, static_cast<Uint32>(pass.mouse.size()));
    int x = 0, y = 0;
    for (const MouseReading& m : pass.mouse) {
        putVarint(&body, zigzag(m.x - x));
        putVarint(&body, zigzag(m.y - y));
        putU8(&body, m.buttons);
        x = m.x;
        y = m.y;
    }
    putU8(out, static_cast<Uint8>(tag));
    putVarint(out, static_cast<Uint32>(body.size()));
    out->insert(out->end(), body.begin(), body.end());
}

void Recording::encodeEnd(Uint32 passes, Uint64 state, Uint64 frame, std::vector<Uint8>* out) {
    putU8(out, 'E');
    putUint(out, passes, 4);
    putUint(out, state, 8);
    putUint(out, frame, 8);
}
