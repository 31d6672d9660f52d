#include "Recording.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

Recording::Stream::Stream(Source source) : source_(std::move(source)), buffer_(1 << 16) {}

bool Recording::Stream::byte(Uint8* out) {
    if (at_ == filled_) {
        at_ = 0;
        filled_ = source_(buffer_.data(), buffer_.size());
        if (filled_ == 0) {
            return false;
        }
    }
    *out = buffer_[at_++];
    consumed_++;
    return true;
}

int Recording::Stream::varint(Uint32* out) {
    Uint64 v = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        Uint8 b = 0;
        if (!byte(&b)) {
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

bool Recording::Stream::bytes(size_t n, std::vector<Uint8>* out) {
    out->resize(n);
    size_t got = 0;
    while (got < n) {
        if (at_ == filled_) {
            Uint8 first = 0;
            if (!byte(&first)) {
                return false;
            }
            (*out)[got++] = first;
            continue;
        }
        size_t take = std::min(n - got, filled_ - at_);
        std::memcpy(out->data() + got, buffer_.data() + at_, take);
        at_ += take;
        consumed_ += take;
        got += take;
    }
    return true;
}

Recording::Stream::Next Recording::Stream::bad(const std::string& why) {
    error_ = why;
    done_ = true;
    return BAD;
}

bool Recording::Stream::readHeader() {
    std::vector<Uint8> head;
    if (!bytes(sizeof(MAGIC), &head) || std::memcmp(head.data(), MAGIC, sizeof(MAGIC)) != 0) {
        error_ = "not a Dead Acre recording (wrong magic)";
        return false;
    }
    bool whole = bytes(3, &head);
    header_.formatVersion = static_cast<Uint16>(head[0] | head[1] << 8);
    if (whole && header_.formatVersion > FORMAT_VERSION) {
        error_ = "recording format " + std::to_string(header_.formatVersion) +
                 " is newer than this game reads (" + std::to_string(FORMAT_VERSION) + ")";
        return false;
    }
    if (whole && header_.formatVersion == 0) {
        error_ = "recording format 0 does not exist";
        return false;
    }
    size_t versionLength = head[2];
    if (whole && versionLength > MAX_VERSION_TEXT) {
        error_ = "the game version text is too long";
        return false;
    }
    if (whole && bytes(versionLength + 12, &head)) {
        header_.gameVersion.assign(reinterpret_cast<const char*>(head.data()), versionLength);
        Reader r(head.data(), versionLength, head.size());
        header_.dataChecksum = r.uint(8);
        header_.seed = static_cast<Uint32>(r.uint(4));
        return true;
    }
    error_ = "the header is cut short";
    return false;
}

Recording::Stream::Next Recording::Stream::next() {
    if (done_) {
        return error_.empty() ? CUT : BAD;
    }
    repeated_ = false;
    Uint64 chunkStart = consumed_;
    Uint8 tag = 0;
    if (!byte(&tag)) {
        done_ = true;
        return CUT;
    }
    if (tag == 'E') {
        std::vector<Uint8> end;
        if (!bytes(20, &end)) {
            done_ = true;
            return CUT; // cut short inside the closing record: the passes are all there
        }
        Reader r(end.data(), 0, end.size());
        Uint32 counted = static_cast<Uint32>(r.uint(4));
        finalState_ = r.uint(8);
        finalFrame_ = r.uint(8);
        if (!setUpSeen_) {
            return bad("the closing record comes before the level's set-up");
        }
        if (counted != passes_) {
            return bad("the closing record counts " + std::to_string(counted) +
                       " passes, the file holds " + std::to_string(passes_));
        }
        Uint8 extra = 0;
        if (byte(&extra)) {
            return bad("data follows the closing record");
        }
        done_ = true;
        return END;
    }
    if (tag == 'R' && header_.formatVersion >= 2) {
        if (!lastWasPass_) {
            return bad("a repeated pass comes before any pass");
        }
        passes_++;
        repeated_ = true;
        chunkOffset_ = lastPassOffset_;
        return PASS;
    }
    if (tag != 'S' && tag != 'P') {
        return bad("unknown record type " + std::to_string(tag) + " after pass " +
                   std::to_string(passes_));
    }
    if ((tag == 'S') == setUpSeen_) {
        return bad(tag == 'S' ? "a second set-up record after pass " + std::to_string(passes_)
                              : "a pass comes before the level's set-up");
    }
    Uint32 length = 0;
    int got = varint(&length);
    if (got == 0) {
        done_ = true;
        return CUT; // the length itself was cut off
    }
    if (got < 0) {
        return bad("unreadable record length after pass " + std::to_string(passes_));
    }
    std::string where =
        tag == 'S' ? std::string("level set-up") : "pass " + std::to_string(passes_ + 1);
    if (length > MAX_CHUNK_BYTES) {
        return bad(where + ": " + std::to_string(length) + " bytes long, more than any pass");
    }
    if (!bytes(length, &payload_)) {
        done_ = true;
        return CUT; // the game stopped while writing this pass
    }
    std::string why;
    if (!decodePayload(payload_.data(), 0, payload_.size(), &pass_, &why)) {
        return bad(where + ": " + why);
    }
    chunkOffset_ = chunkStart;
    if (tag == 'S') {
        setUpSeen_ = true;
        return SET_UP;
    }
    passes_++;
    lastWasPass_ = true;
    lastPassOffset_ = chunkStart;
    return PASS;
}

Recording::Parsed Recording::parse(const std::vector<Uint8>& bytes) {
    Parsed p;
    size_t at = 0;
    Stream stream([&](Uint8* to, size_t n) {
        size_t take = std::min(n, bytes.size() - at);
        if (take > 0) {
            std::memcpy(to, bytes.data() + at, take);
        }
        at += take;
        return take;
    });
    if (!stream.readHeader()) {
        p.error = stream.error();
        return p;
    }
    p.header = stream.header();
    while (true) {
        Stream::Next next = stream.next();
        if (next == Stream::SET_UP || next == Stream::PASS) {
            p.chunks.push_back(static_cast<size_t>(stream.chunkOffset()));
            continue;
        }
        if (next == Stream::BAD) {
            p.error = stream.error();
            return p;
        }
        if (next == Stream::END) {
            p.complete = true;
            p.finalState = stream.finalState();
            p.finalFrame = stream.finalFrame();
        }
        break;
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

void Recording::encodePayload(const Pass& pass, std::vector<Uint8>* out) {
    putVarint(out, static_cast<Uint32>(pass.clock.size()));
    Uint32 clock = 0;
    for (const ClockRun& run : pass.clock) {
        putVarint(out, zigzag(static_cast<Sint32>(run.value - clock)));
        putVarint(out, run.count);
        clock = run.value;
    }
    putVarint(out, static_cast<Uint32>(pass.events.size()));
    for (const SDL_Event& e : pass.events) {
        putU8(out, e.type);
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            putUint(out, e.key.keysym.sym, 2);
            putUint(out, e.key.keysym.mod, 2);
            break;
        case SDL_MOUSEMOTION:
            putU8(out, e.motion.state);
            putUint(out, e.motion.x, 2);
            putUint(out, e.motion.y, 2);
            putUint(out, static_cast<Uint16>(e.motion.xrel), 2);
            putUint(out, static_cast<Uint16>(e.motion.yrel), 2);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            putU8(out, e.button.button);
            putUint(out, e.button.x, 2);
            putUint(out, e.button.y, 2);
            break;
        default:
            break;
        }
    }
    putVarint(out, static_cast<Uint32>(pass.keys.size()));
    for (const KeyChange& k : pass.keys) {
        putUint(out, k.key, 2);
        putU8(out, k.down);
    }
    putVarint(out, static_cast<Uint32>(pass.mouse.size()));
    int x = 0, y = 0;
    for (const MouseReading& m : pass.mouse) {
        putVarint(out, zigzag(m.x - x));
        putVarint(out, zigzag(m.y - y));
        putU8(out, m.buttons);
        x = m.x;
        y = m.y;
    }
}

void Recording::encodeChunkBytes(char tag, const std::vector<Uint8>& payload,
                                 std::vector<Uint8>* out) {
    putU8(out, static_cast<Uint8>(tag));
    putVarint(out, static_cast<Uint32>(payload.size()));
    out->insert(out->end(), payload.begin(), payload.end());
}

void Recording::encodeChunk(char tag, const Pass& pass, std::vector<Uint8>* out) {
    std::vector<Uint8> payload;
    encodePayload(pass, &payload);
    encodeChunkBytes(tag, payload, out);
}

void Recording::encodeRepeat(std::vector<Uint8>* out) { putU8(out, 'R'); }

void Recording::encodeEnd(Uint32 passes, Uint64 state, Uint64 frame, std::vector<Uint8>* out) {
    putU8(out, 'E');
    putUint(out, passes, 4);
    putUint(out, state, 8);
    putUint(out, frame, 8);
}
