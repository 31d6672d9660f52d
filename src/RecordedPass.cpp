#include "RecordedPass.h"

#include <cstring>

namespace {

const Uint16 KEY_LIMIT = SDLK_LAST; // key fields are 16 bits; SDL 1.2 has fewer keys than that
const Uint8 MAX_BUTTON = 7;

// Reads a payload in memory, [pos, end); any read past end clears ok and yields 0,
// so callers check once.
struct Cursor {
    const Uint8* data;
    size_t pos, end;
    bool ok;
    Cursor(const Uint8* d, size_t size) : data(d), pos(0), end(size), ok(true) {}
    size_t left() const { return end - pos; }
    bool byte(Uint8* out) {
        if (!ok || pos == end) {
            ok = false;
            return false;
        }
        *out = data[pos++];
        return true;
    }
    Uint8 u8() {
        Uint8 b = 0;
        byte(&b);
        return b;
    }
    Uint64 uint(int bytes) {
        Uint64 v = 0;
        for (int i = 0; i < bytes; i++) {
            v |= static_cast<Uint64>(u8()) << (8 * i);
        }
        return ok ? v : 0;
    }
    Uint16 u16() { return static_cast<Uint16>(uint(2)); }
    bool varint(Uint32* out) {
        ok = ok && RecordedPass::readVarint([this](Uint8* b) { return byte(b); }, out) == 1;
        return ok;
    }
};

Sint32 unzigzag(Uint32 v) { return static_cast<Sint32>((v >> 1) ^ (~(v & 1) + 1)); }
Uint32 zigzag(Sint32 v) {
    return (static_cast<Uint32>(v) << 1) ^ static_cast<Uint32>(v < 0 ? -1 : 0);
}

bool onScreen(int x, int y) {
    return x >= 0 && x < RecordedPass::SCREEN_W && y >= 0 && y < RecordedPass::SCREEN_H;
}

// Reads a count and checks that the bytes left can hold that many items of at least minBytes
// each, so no count can make the reader reserve more than the file itself.
bool readCount(Cursor& r, size_t minBytes, Uint32* count, std::string* why, const char* what) {
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

} // namespace

bool RecordedPass::decode(const Uint8* data, size_t size, std::string* why) {
    clear();
    Cursor r(data, size);
    Uint32 count = 0;

    if (!readCount(r, 2, &count, why, "clock reading")) {
        return false;
    }
    clock.reserve(count);
    Uint32 reading = 0;
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
        reading += static_cast<Uint32>(unzigzag(delta));
        clock.push_back({reading, repeat});
    }

    if (!readCount(r, 1, &count, why, "event")) {
        return false;
    }
    events.reserve(count);
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
        events.push_back(e);
    }

    if (!readCount(r, 3, &count, why, "key change")) {
        return false;
    }
    keys.reserve(count);
    for (Uint32 i = 0; i < count; i++) {
        KeyChange k;
        k.key = r.u16();
        k.down = r.u8();
        if (k.key >= KEY_LIMIT || k.down > 1) {
            *why = "a key change names key " + std::to_string(k.key) + " state " +
                   std::to_string(k.down);
            return false;
        }
        keys.push_back(k);
    }

    if (!readCount(r, 3, &count, why, "mouse reading")) {
        return false;
    }
    mouse.reserve(count);
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
        if (!r.ok || sx < -RecordedPass::SCREEN_W || sx > RecordedPass::SCREEN_W ||
            sy < -RecordedPass::SCREEN_H || sy > RecordedPass::SCREEN_H ||
            !onScreen(x + sx, y + sy)) {
            *why = "a mouse reading lies off the screen";
            return false;
        }
        x += sx;
        y += sy;
        mouse.push_back({static_cast<Uint16>(x), static_cast<Uint16>(y), buttons});
    }
    if (r.left() != 0) {
        *why = "a pass holds " + std::to_string(r.left()) + " bytes more than it uses";
        return false;
    }
    return true;
}

void RecordedPass::clear() {
    clock.clear();
    events.clear();
    keys.clear();
    mouse.clear();
}

void RecordedPass::encode(std::vector<Uint8>* out) const {
    putVarint(out, static_cast<Uint32>(clock.size()));
    Uint32 reading = 0;
    for (const ClockRun& run : clock) {
        putVarint(out, zigzag(static_cast<Sint32>(run.value - reading)));
        putVarint(out, run.count);
        reading = run.value;
    }
    putVarint(out, static_cast<Uint32>(events.size()));
    for (const SDL_Event& e : events) {
        out->push_back(e.type);
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            putUint(out, e.key.keysym.sym, 2);
            putUint(out, e.key.keysym.mod, 2);
            break;
        case SDL_MOUSEMOTION:
            out->push_back(e.motion.state);
            putUint(out, e.motion.x, 2);
            putUint(out, e.motion.y, 2);
            putUint(out, static_cast<Uint16>(e.motion.xrel), 2);
            putUint(out, static_cast<Uint16>(e.motion.yrel), 2);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            out->push_back(e.button.button);
            putUint(out, e.button.x, 2);
            putUint(out, e.button.y, 2);
            break;
        default:
            break;
        }
    }
    putVarint(out, static_cast<Uint32>(keys.size()));
    for (const KeyChange& k : keys) {
        putUint(out, k.key, 2);
        out->push_back(k.down);
    }
    putVarint(out, static_cast<Uint32>(mouse.size()));
    int x = 0, y = 0;
    for (const MouseReading& m : mouse) {
        putVarint(out, zigzag(m.x - x));
        putVarint(out, zigzag(m.y - y));
        out->push_back(m.buttons);
        x = m.x;
        y = m.y;
    }
}

void RecordedPass::putUint(std::vector<Uint8>* out, Uint64 v, int bytes) {
    for (int i = 0; i < bytes; i++) {
        out->push_back(static_cast<Uint8>(v >> (8 * i)));
    }
}
void RecordedPass::putVarint(std::vector<Uint8>* out, Uint32 v) {
    while (v >= 0x80) {
        out->push_back(static_cast<Uint8>(v | 0x80));
        v >>= 7;
    }
    out->push_back(static_cast<Uint8>(v));
}

Uint64 RecordedPass::getUint(const Uint8* at, int bytes) {
    Uint64 v = 0;
    for (int i = bytes - 1; i >= 0; i--) {
        v = (v << 8) | at[i];
    }
    return v;
}
