#include "Recording.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace {

const char MAGIC[8] = {'D', 'A', 'C', 'R', 'E', 'C', '\r', '\n'};
const size_t MAX_VERSION_TEXT = 64;

} // namespace

Recording::Stream::Stream(Source source) : source_(std::move(source)), buffer_(1 << 16) {}

Recording::Stream::Source Recording::Stream::memory(std::vector<Uint8> bytes) {
    auto held = std::make_shared<std::vector<Uint8>>(std::move(bytes));
    auto at = std::make_shared<size_t>(0);
    return [held, at](Uint8* to, size_t n) {
        size_t take = std::min(n, held->size() - *at);
        if (take > 0) {
            std::memcpy(to, held->data() + *at, take);
        }
        *at += take;
        return take;
    };
}

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
        header_.dataChecksum = RecordedPass::getUint(head.data() + versionLength, 8);
        header_.seed =
            static_cast<Uint32>(RecordedPass::getUint(head.data() + versionLength + 8, 4));
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
        Uint32 counted = static_cast<Uint32>(RecordedPass::getUint(end.data(), 4));
        finalState_ = RecordedPass::getUint(end.data() + 4, 8);
        finalFrame_ = RecordedPass::getUint(end.data() + 12, 8);
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
    int got = RecordedPass::readVarint([this](Uint8* b) { return byte(b); }, &length);
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
    if (!pass_.decode(payload_.data(), payload_.size(), &why)) {
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

void Recording::encodeHeader(const Header& header, std::vector<Uint8>* out) {
    out->insert(out->end(), MAGIC, MAGIC + sizeof(MAGIC));
    RecordedPass::putUint(out, header.formatVersion, 2);
    size_t n =
        header.gameVersion.size() < MAX_VERSION_TEXT ? header.gameVersion.size() : MAX_VERSION_TEXT;
    out->push_back(static_cast<Uint8>(n));
    out->insert(out->end(), header.gameVersion.begin(), header.gameVersion.begin() + n);
    RecordedPass::putUint(out, header.dataChecksum, 8);
    RecordedPass::putUint(out, header.seed, 4);
}

void Recording::encodeChunk(char tag, const std::vector<Uint8>& payload, std::vector<Uint8>* out) {
    out->push_back(static_cast<Uint8>(tag));
    RecordedPass::putVarint(out, static_cast<Uint32>(payload.size()));
    out->insert(out->end(), payload.begin(), payload.end());
}

void Recording::encodeRepeat(std::vector<Uint8>* out) { out->push_back('R'); }

void Recording::encodeEnd(Uint32 passes, Uint64 state, Uint64 frame, std::vector<Uint8>* out) {
    out->push_back('E');
    RecordedPass::putUint(out, passes, 4);
    RecordedPass::putUint(out, state, 8);
    RecordedPass::putUint(out, frame, 8);
}
