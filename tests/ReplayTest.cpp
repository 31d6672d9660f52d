// Recording and playback: the file format against damaged and hostile bytes, a recorded level
// played back pass for pass to the same pictures and decisions, and the committed recordings
// doing what they were made to show.
//
//   REPLAY_FUZZ_INPUTS=1000000 ./game_tests --gtest_filter='Replay*Fuzz*'   (a longer fuzz run)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Backpack.h"
#include "Checksum.h"
#include "Game.h"
#include "HUD.h"
#include "Input.h"
#include "KeyBindings.h"
#include "Level1.h"
#include "ParticleEngine.h"
#include "Playback.h"
#include "Player.h"
#include "PresentationPath.h"
#include "Recorder.h"
#include "Recording.h"
#include "Replay.h"
#include "Settings.h"
#include "VideoMode.h"
#include "support/TestSupport.h"

using testsupport::FakeClock;

namespace {

std::vector<Uint8> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<Uint8>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

SDL_Event keyEvent(Uint8 type, SDLKey sym) {
    SDL_Event e = {};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = KMOD_LSHIFT;
    return e;
}

SDL_Event buttonEvent(Uint8 type, Uint8 button, Uint16 x, Uint16 y) {
    SDL_Event e = {};
    e.type = type;
    e.button.type = type;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event motionEvent(Uint16 x, Uint16 y, Sint16 xrel, Sint16 yrel) {
    SDL_Event e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.state = 1;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = xrel;
    e.motion.yrel = yrel;
    return e;
}

void putChunk(char tag, const Recording::Pass& pass, std::vector<Uint8>* out) {
    std::vector<Uint8> payload;
    pass.encode(&payload);
    Recording::encodeChunk(tag, payload, out);
}

// A recording read to its end by the one reader, as a playback reads it.
struct Parsed {
    bool ok = false;
    std::string error; // one line, when not ok
    Recording::Header header;
    // Where each chunk given starts ([0] the set-up, then one per whole pass) and what it holds.
    std::vector<size_t> chunks;
    std::vector<Recording::Pass> read;
    bool complete = false; // the closing record was there
    Uint64 finalState = 0, finalFrame = 0;
    size_t passes() const { return chunks.empty() ? 0 : chunks.size() - 1; }
};

Parsed parse(const std::vector<Uint8>& bytes) {
    Parsed p;
    Recording::Stream stream(Recording::Stream::memory(bytes));
    if (!stream.readHeader()) {
        p.error = stream.error();
        return p;
    }
    p.header = stream.header();
    Recording::Stream::Next next;
    while ((next = stream.next()) == Recording::Stream::SET_UP || next == Recording::Stream::PASS) {
        p.chunks.push_back(static_cast<size_t>(stream.chunkOffset()));
        p.read.push_back(stream.pass());
    }
    p.ok = next != Recording::Stream::BAD;
    p.error = p.ok ? "" : stream.error();
    p.complete = next == Recording::Stream::END;
    if (p.complete) {
        p.finalState = stream.finalState();
        p.finalFrame = stream.finalFrame();
    }
    return p;
}

// A recording built straight from the format, every kind of field in it.
Recording::Pass samplePass(int i) {
    Recording::Pass p;
    p.clock = {{static_cast<Uint32>(1000 + 7 * i), 3}, {static_cast<Uint32>(1001 + 7 * i), 40}};
    if (i == 0) {
        p.clock.push_back({0xfffffff0u, 1}); // the tick counter wrapping is only a change
        p.clock.push_back({5, 2});
    }
    p.events.push_back(keyEvent(SDL_KEYDOWN, SDLK_r));
    p.events.push_back(keyEvent(SDL_KEYUP, SDLK_UNDO));
    p.events.push_back(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1079, 719));
    p.events.push_back(buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 0, 0));
    p.events.push_back(motionEvent(500, 300, -20, 7));
    p.keys.push_back({static_cast<Uint16>(SDLK_w), static_cast<Uint8>(i % 2)});
    p.mouse.push_back({static_cast<Uint16>(i % 1080), 719, 1});
    p.mouse.push_back({0, 0, 0});
    p.mouse.push_back({1079, static_cast<Uint16>(i % 720), 4});
    return p;
}

std::vector<Uint8> sampleRecording(int passes, bool closed) {
    std::vector<Uint8> out;
    Recording::Header header;
    header.gameVersion = "9.9";
    header.dataChecksum = 0x0123456789abcdefull;
    header.seed = 77;
    Recording::encodeHeader(header, &out);
    putChunk('S', samplePass(0), &out);
    for (int i = 1; i <= passes; i++) {
        putChunk('P', samplePass(i), &out);
    }
    if (closed) {
        Recording::encodeEnd(static_cast<Uint32>(passes), 11, 22, &out);
    }
    return out;
}

void expectSamePass(const Recording::Pass& want, const Recording::Pass& got, int index) {
    SCOPED_TRACE("chunk " + std::to_string(index));
    ASSERT_EQ(want.clock.size(), got.clock.size());
    for (size_t i = 0; i < want.clock.size(); i++) {
        EXPECT_EQ(want.clock[i].value, got.clock[i].value);
        EXPECT_EQ(want.clock[i].count, got.clock[i].count);
    }
    ASSERT_EQ(want.events.size(), got.events.size());
    for (size_t i = 0; i < want.events.size(); i++) {
        EXPECT_EQ(0, std::memcmp(&want.events[i], &got.events[i], sizeof(SDL_Event)))
            << "event " << i << " of type " << int(want.events[i].type);
    }
    ASSERT_EQ(want.keys.size(), got.keys.size());
    for (size_t i = 0; i < want.keys.size(); i++) {
        EXPECT_EQ(want.keys[i].key, got.keys[i].key);
        EXPECT_EQ(want.keys[i].down, got.keys[i].down);
    }
    ASSERT_EQ(want.mouse.size(), got.mouse.size());
    for (size_t i = 0; i < want.mouse.size(); i++) {
        EXPECT_EQ(want.mouse[i].x, got.mouse[i].x);
        EXPECT_EQ(want.mouse[i].y, got.mouse[i].y);
        EXPECT_EQ(want.mouse[i].buttons, got.mouse[i].buttons);
    }
}

// The checks every input must pass, whatever its bytes: one line of error, or chunks, each read
// whole, that are no more than the bytes can hold.
void checkParse(const std::vector<Uint8>& bytes, const char* what, long input, long* accepted) {
    Parsed p = parse(bytes);
    if (!p.ok) {
        ASSERT_FALSE(p.error.empty()) << what << " input " << input;
        ASSERT_EQ(std::string::npos, p.error.find('\n')) << what << " input " << input;
        return;
    }
    ASSERT_TRUE(p.error.empty());
    ASSERT_LE(p.chunks.size() * 3, bytes.size()) << what << " input " << input;
    ASSERT_EQ(p.chunks.size(), p.read.size());
    ++*accepted;
}

} // namespace

TEST(ReplayFormat, WhatIsWrittenIsReadBackFieldForField) {
    std::vector<Uint8> bytes = sampleRecording(5, true);
    Parsed p = parse(bytes);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(5u, p.passes());
    EXPECT_EQ("9.9", p.header.gameVersion);
    EXPECT_EQ(0x0123456789abcdefull, p.header.dataChecksum);
    EXPECT_EQ(77u, p.header.seed);
    EXPECT_EQ(11u, p.finalState);
    EXPECT_EQ(22u, p.finalFrame);
    ASSERT_EQ(6u, p.read.size());
    for (size_t i = 0; i < p.read.size(); i++) {
        expectSamePass(samplePass(static_cast<int>(i)), p.read[i], static_cast<int>(i));
    }
}

// A game killed at any moment: the file stops at any byte. Every whole pass before the cut is
// there, the file is not complete, and nothing is an error once the header is whole.
TEST(ReplayFormat, ACutAtAnyByteKeepsTheWholePassesBeforeIt) {
    std::vector<Uint8> full = sampleRecording(6, true);
    Parsed whole = parse(full);
    ASSERT_TRUE(whole.ok);
    size_t headerEnd = whole.chunks[0];
    for (size_t cut = 0; cut < full.size(); cut++) {
        std::vector<Uint8> bytes(full.begin(), full.begin() + cut);
        Parsed p = parse(bytes);
        if (cut < headerEnd) {
            EXPECT_FALSE(p.ok) << "cut at " << cut;
            continue;
        }
        ASSERT_TRUE(p.ok) << "cut at " << cut << ": " << p.error;
        EXPECT_FALSE(p.complete) << "cut at " << cut;
        size_t wholeChunks = 0;
        while (wholeChunks < whole.chunks.size() &&
               (wholeChunks + 1 < whole.chunks.size() ? whole.chunks[wholeChunks + 1]
                                                      : full.size() - 21) <= cut) {
            wholeChunks++;
        }
        EXPECT_EQ(wholeChunks, p.chunks.size()) << "cut at " << cut;
    }
}

TEST(ReplayFormat, DamagedRecordingsAreRefusedWithOneClearLine) {
    std::vector<Uint8> good = sampleRecording(3, true);
    Parsed p = parse(good);
    ASSERT_TRUE(p.ok);
    size_t setUp = p.chunks[0];
    // The set-up chunk: tag, one-byte length, then the clock run count.
    ASSERT_EQ('S', good[setUp]);
    ASSERT_LT(good[setUp + 1], 0x80);
    size_t clockCount = setUp + 2;

    struct Case {
        const char* name;
        std::function<void(std::vector<Uint8>&)> damage;
        const char* expected;
    };
    std::vector<Case> cases = {
        {"magic", [](std::vector<Uint8>& b) { b[0] = 'X'; }, "wrong magic"},
        {"newer format", [](std::vector<Uint8>& b) { b[8] = Recording::FORMAT_VERSION + 1; },
         "newer than this game reads"},
        {"format 0", [](std::vector<Uint8>& b) { b[8] = 0; }, "format 0"},
        {"clock count beyond the pass", [&](std::vector<Uint8>& b) { b[clockCount] = 0x7f; },
         "clock reading count 127 is more than the pass holds"},
        {"five-byte count",
         [&](std::vector<Uint8>& b) {
             b[clockCount] = 0xff;
             b.insert(b.begin() + clockCount + 1, {0xff, 0xff, 0xff, 0x0f});
             b[setUp + 1] += 4;
         },
         "more than the pass holds"},
        {"unknown record", [&](std::vector<Uint8>& b) { b[setUp] = 'Q'; }, "unknown record type"},
        {"pass before the set-up", [&](std::vector<Uint8>& b) { b[setUp] = 'P'; },
         "before the level's set-up"},
        {"data after the end", [](std::vector<Uint8>& b) { b.push_back(0); },
         "data follows the closing record"},
        {"pass count in the closing record", [](std::vector<Uint8>& b) { b[b.size() - 20] = 9; },
         "counts 9 passes"},
    };
    for (const Case& c : cases) {
        std::vector<Uint8> bytes = good;
        c.damage(bytes);
        Parsed bad = parse(bytes);
        EXPECT_FALSE(bad.ok) << c.name;
        EXPECT_NE(std::string::npos, bad.error.find(c.expected))
            << c.name << ": got \"" << bad.error << "\"";
    }

    // Fields inside a pass, each made absurd in a pass of its own; and what older recorders
    // wrote and the reader once refused (a side button, the pointer in the bars of a scaled full
    // screen), which now reads as the recorder writes it today (asRead).
    using Change = std::function<void(Recording::Pass&)>;
    struct PassCase {
        const char* name;
        Change damage;
        const char* expected;
        Change asRead = nullptr;
    };
    std::vector<PassCase> passCases = {
        {"unknown event type", [](Recording::Pass& q) { q.events[0].type = SDL_ACTIVEEVENT; },
         "unknown event type"},
        {"key beyond SDL's keys",
         [](Recording::Pass& q) { q.events[0].key.keysym.sym = static_cast<SDLKey>(SDLK_LAST); },
         "does not exist"},
        {"button 0", [](Recording::Pass& q) { q.events[2].button.button = 0; }, "mouse button 0"},
        {"side button", [](Recording::Pass& q) { q.events[2].button.button = 8; }, nullptr,
         [](Recording::Pass& q) { q.events[2].button.button = 8; }},
        {"button 255", [](Recording::Pass& q) { q.events[3].button.button = 255; }, nullptr,
         [](Recording::Pass& q) { q.events[3].button.button = 255; }},
        {"button in the bars",
         [](Recording::Pass& q) {
             q.events[2].button.x = 1080;
             q.events[2].button.y = 65535;
         },
         nullptr,
         [](Recording::Pass& q) {
             q.events[2].button.x = 1079;
             q.events[2].button.y = 719;
         }},
        {"motion in the bars", [](Recording::Pass& q) { q.events[4].motion.x = 1500; }, nullptr,
         [](Recording::Pass& q) { q.events[4].motion.x = 1079; }},
        {"key change state 2", [](Recording::Pass& q) { q.keys[0].down = 2; }, "state 2"},
        {"key change beyond SDL's keys", [](Recording::Pass& q) { q.keys[0].key = SDLK_LAST; },
         "key change names key"},
        {"mouse reading off the screen", [](Recording::Pass& q) { q.mouse[0].x = 5000; },
         "off the screen"},
        {"clock repeated zero times", [](Recording::Pass& q) { q.clock[0].count = 0; },
         "zero times"},
    };
    for (const PassCase& c : passCases) {
        std::vector<Uint8> bytes;
        Recording::Header header;
        Recording::encodeHeader(header, &bytes);
        putChunk('S', samplePass(0), &bytes);
        Recording::Pass pass = samplePass(1);
        c.damage(pass);
        putChunk('P', pass, &bytes);
        Parsed bad = parse(bytes);
        if (c.asRead) {
            ASSERT_TRUE(bad.ok) << c.name << ": " << bad.error;
            Recording::Pass want = samplePass(1);
            c.asRead(want);
            expectSamePass(want, bad.read[1], 1);
            continue;
        }
        EXPECT_FALSE(bad.ok) << c.name;
        EXPECT_EQ(0u, bad.error.find("pass 1: ")) << c.name << ": got \"" << bad.error << "\"";
        EXPECT_NE(std::string::npos, bad.error.find(c.expected))
            << c.name << ": got \"" << bad.error << "\"";
    }
}

// Whatever SDL hands the game, the recording holds as the game read it, and nothing it holds is
// refused: random events of every kind a recording keeps (every button number, positions far off
// the picture) go through SDL's own queue, Input and the recorder, with pointer readings far off
// the picture too, and the file read back gives what the game read, pass for pass.
TEST(ReplayFormat, WhateverTheRecorderHearsIsReadBack) {
    long wanted = 100000;
    if (const char* n = std::getenv("RECORD_PROPERTY_EVENTS")) {
        wanted = std::atol(n);
    }
    std::mt19937 rng(20261208);
    // SDL keeps its own pointer on the screen; this one goes anywhere.
    struct WildPointer : Input::Live {
        std::mt19937* rng = nullptr;
        Uint8 mouseState(int* x, int* y) override {
            *x = static_cast<int>((*rng)() % 200000) - 100000;
            *y = static_cast<int>((*rng)() % 200000) - 100000;
            return static_cast<Uint8>((*rng)());
        }
    } source;
    source.rng = &rng;
    const Uint8 types[] = {SDL_KEYDOWN,         SDL_KEYUP,         SDL_MOUSEMOTION,
                           SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_QUIT};
    auto randomEvent = [&]() {
        Uint8 type = types[rng() % sizeof(types)];
        Uint16 x = static_cast<Uint16>(rng()), y = static_cast<Uint16>(rng());
        if (rng() % 2) {
            x %= 1200; // around the picture's edge as often as far off it
            y %= 800;
        }
        SDL_Event e;
        if (type == SDL_MOUSEMOTION) {
            e = motionEvent(x, y, static_cast<Sint16>(rng()), static_cast<Sint16>(rng()));
            e.motion.state = static_cast<Uint8>(rng());
        } else if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) {
            e = buttonEvent(type, static_cast<Uint8>(rng()), x, y);
        } else if (type == SDL_QUIT) {
            e = SDL_Event();
            e.type = e.quit.type = SDL_QUIT;
        } else {
            e = keyEvent(type, static_cast<SDLKey>(rng() % SDLK_LAST));
            e.key.keysym.mod = static_cast<SDLMod>(rng() & 0xffff);
            if (VideoMode::isToggle(e)) {
                e.key.keysym.sym = SDLK_a; // the window's switch never reaches the game
            }
        }
        return e;
    };

    std::string path = ::testing::TempDir() + "heard-" + std::to_string(getpid()) + ".dacrec";
    testsupport::drainEvents();
    Input::setSource(&source);
    Recorder recorder;
    ASSERT_TRUE(recorder.start(path, FakeClock::read)) << recorder.error();
    recorder.beginLevel([] { return Uint64(7); }, mainScreen);
    std::vector<Recording::Pass> read(1); // the set-up read nothing
    long sent = 0, sideButtons = 0, clamped = 0;
    while (sent < wanted) {
        recorder.beginPass();
        Recording::Pass pass;
        for (int n = static_cast<int>(rng() % 24); n > 0; n--, sent++) {
            SDL_Event e = randomEvent();
            ASSERT_EQ(0, SDL_PushEvent(&e)) << SDL_GetError();
        }
        SDL_Event got;
        while (Input::pollEvent(&got)) {
            if (Input::isGameEvent(got)) {
                pass.events.push_back(got);
                bool button = got.type == SDL_MOUSEBUTTONDOWN || got.type == SDL_MOUSEBUTTONUP;
                sideButtons += button && got.button.button > 7;
                clamped += (button && got.button.x == Input::PICTURE_W - 1) ||
                           (got.type == SDL_MOUSEMOTION && got.motion.x == Input::PICTURE_W - 1);
            }
        }
        for (int n = static_cast<int>(rng() % 3); n > 0; n--) {
            int x = 0, y = 0;
            Uint8 buttons = Input::mouseState(&x, &y);
            pass.mouse.push_back({static_cast<Uint16>(x), static_cast<Uint16>(y), buttons});
        }
        read.push_back(pass);
        recorder.endPass(sent >= wanted);
    }
    recorder.stop();
    Input::setSource(nullptr);

    Parsed p = parse(readBytes(path));
    std::remove(path.c_str());
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_TRUE(p.complete);
    ASSERT_EQ(read.size(), p.read.size());
    size_t events = 0;
    for (size_t i = 0; i < read.size(); i++) {
        expectSamePass(read[i], p.read[i], static_cast<int>(i));
        events += read[i].events.size();
        if (HasFatalFailure()) {
            return;
        }
    }
    std::printf("recorded: %ld events sent, %zu kept in %zu passes (%ld side buttons, %ld "
                "clamped to the picture's edge), 0 refused\n",
                sent, events, read.size() - 1, sideButtons, clamped);
    EXPECT_GT(events, static_cast<size_t>(wanted) * 9 / 10);
    EXPECT_GT(sideButtons, wanted / 20);
    EXPECT_GT(clamped, wanted / 20);
}

// Resident memory of this process, in bytes.
long residentBytes() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm != nullptr) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Format 2 writes a pass like the one before as one byte; it reads back as that pass, and
// nowhere else: not before the first pass, not in a format 1 file.
TEST(ReplayFormat, ARepeatedPassIsTheOneBeforeIt) {
    std::vector<Uint8> bytes;
    Recording::encodeHeader(Recording::Header(), &bytes);
    putChunk('S', samplePass(0), &bytes);
    putChunk('P', samplePass(1), &bytes);
    Recording::encodeRepeat(&bytes);
    Recording::encodeRepeat(&bytes);
    putChunk('P', samplePass(2), &bytes);
    Recording::encodeEnd(4, 1, 2, &bytes);
    Parsed p = parse(bytes);
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_TRUE(p.complete);
    ASSERT_EQ(4u, p.passes());
    const int want[] = {0, 1, 1, 1, 2};
    for (int i = 0; i < 5; i++) {
        expectSamePass(samplePass(want[i]), p.read[i], i);
    }

    std::vector<Uint8> formatOne = bytes;
    formatOne[8] = 1;
    EXPECT_NE(std::string::npos, parse(formatOne).error.find("unknown record type 82"));
    std::vector<Uint8> first;
    Recording::encodeHeader(Recording::Header(), &first);
    putChunk('S', samplePass(0), &first);
    Recording::encodeRepeat(&first);
    EXPECT_NE(std::string::npos, parse(first).error.find("before any pass"));
}

// Three hours of an uncapped game on classic SDL, about 16 passes a millisecond (2.4 GB in
// format 1), made up as it is read: the reader gets through it in the memory of one pass. The
// sanitizer build, several times slower and looking for overreach rather than growth, reads
// twenty minutes of it.
TEST(ReplayFormat, AThreeHourGameIsReadInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
    const Uint32 millis = 20 * 60 * 1000, perMilli = 16;
#else
    const Uint32 millis = 3 * 3600 * 1000, perMilli = 16;
#endif
    const Uint64 total = static_cast<Uint64>(millis) * perMilli;
    std::vector<Uint8> pending;
    Recording::encodeHeader(Recording::Header(), &pending);
    putChunk('S', samplePass(0), &pending);
    size_t pendingAt = 0;
    Uint32 milli = 0;
    bool ended = false;
    Uint64 produced = 0;
    Recording::Pass pass;
    pass.clock = {{0, 9}};
    pass.mouse = {{540, 360, 0}, {540, 360, 0}};
    std::vector<Uint8> payload;
    auto source = [&](Uint8* to, size_t n) {
        size_t written = 0;
        while (written < n) {
            if (pendingAt == pending.size()) {
                pending.clear();
                pendingAt = 0;
                if (milli < millis) {
                    // One pass sees the clock tick, the rest of the millisecond repeat it.
                    pass.clock[0].value = milli;
                    payload.clear();
                    pass.encode(&payload);
                    Recording::encodeChunk('P', payload, &pending);
                    for (Uint32 k = 1; k < perMilli; k++) {
                        Recording::encodeRepeat(&pending);
                    }
                    milli++;
                } else if (!ended) {
                    Recording::encodeEnd(static_cast<Uint32>(total), 11, 22, &pending);
                    ended = true;
                } else {
                    break;
                }
            }
            size_t take = std::min(n - written, pending.size() - pendingAt);
            std::memcpy(to + written, pending.data() + pendingAt, take);
            pendingAt += take;
            written += take;
        }
        produced += written;
        return written;
    };

    long before = residentBytes(), most = before;
    Recording::Stream stream(source);
    ASSERT_TRUE(stream.readHeader()) << stream.error();
    ASSERT_EQ(Recording::Stream::SET_UP, stream.next());
    Recording::Stream::Next next;
    Uint64 passes = 0;
    while ((next = stream.next()) == Recording::Stream::PASS) {
        passes++;
        if ((passes & 0x3fffff) == 0) {
            most = std::max(most, residentBytes());
            ASSERT_EQ((passes - 1) / perMilli, stream.pass().clock[0].value) << "pass " << passes;
        }
    }
    ASSERT_EQ(Recording::Stream::END, next) << stream.error();
    EXPECT_EQ(total, passes);
    EXPECT_EQ(11u, stream.finalState());
    EXPECT_GT(produced, millis * 28ull);
    EXPECT_LE(most - before, 64l << 20) << "a long game took " << (most - before) << " bytes more";
}

// Random bytes and mutations of a real recording: the parser answers every one with an error
// line or chunks that decode, within the bytes it was given (the sanitizer build watches).
TEST(ReplayFormat, FuzzedRecordingsNeverCrashHangOrOverreach) {
    long inputs = 100000;
    if (const char* n = std::getenv("REPLAY_FUZZ_INPUTS")) {
        inputs = std::atol(n);
    }
    std::vector<Uint8> seedFile = readBytes(GAME_DATA_DIR "/../tests/replays/backpack.dacrec");
    ASSERT_GT(seedFile.size(), 1000u) << "the committed recording is missing";
    // A short real one keeps each input cheap: its header and first passes, closed again.
    Parsed real = parse(seedFile);
    ASSERT_TRUE(real.ok) << real.error;
    std::vector<Uint8> shortReal(seedFile.begin(), seedFile.begin() + real.chunks[40]);
    Recording::encodeEnd(39, 1, 2, &shortReal);
    ASSERT_TRUE(parse(shortReal).complete);
    std::vector<std::vector<Uint8>> seeds = {shortReal, sampleRecording(4, true),
                                             sampleRecording(2, false)};

    std::mt19937 rng(20261207);
    auto pick = [&](size_t n) { return n == 0 ? 0 : static_cast<size_t>(rng() % n); };
    const Uint8 interesting[] = {0x00, 0x01, 0x7f, 0x80, 0xff, 'S', 'P', 'E', 2, 3, 4, 5, 6, 12};
    long accepted = 0;
    for (long input = 0; input < inputs; input++) {
        std::vector<Uint8> bytes;
        if (input % 10 == 0) {
            // Pure noise, half of it behind a good magic and format so the chunks get read.
            bytes.resize(pick(200));
            for (Uint8& b : bytes) {
                b = static_cast<Uint8>(rng());
            }
            if (input % 20 == 0) {
                std::vector<Uint8> head(seeds[1].begin(), seeds[1].begin() + 10);
                bytes.insert(bytes.begin(), head.begin(), head.end());
            }
        } else {
            bytes = seeds[pick(seeds.size())];
            int mutations = 1 + static_cast<int>(pick(4));
            for (int m = 0; m < mutations && !bytes.empty(); m++) {
                size_t at = pick(bytes.size());
                switch (pick(6)) {
                case 0:
                    bytes[at] ^= static_cast<Uint8>(1u << pick(8));
                    break;
                case 1:
                    bytes[at] = interesting[pick(sizeof(interesting))];
                    break;
                case 2:
                    bytes.erase(bytes.begin() + at,
                                bytes.begin() + std::min(bytes.size(), at + 1 + pick(8)));
                    break;
                case 3:
                    bytes.insert(bytes.begin() + at, 1 + pick(8),
                                 interesting[pick(sizeof(interesting))]);
                    break;
                case 4:
                    bytes.resize(at);
                    break;
                default: {
                    // A large varint dropped in where a count or length may be read.
                    const Uint8 big[] = {0xff, 0xff, 0xff, 0xff, 0x0f};
                    bytes.insert(bytes.begin() + at, big, big + 1 + pick(5));
                }
                }
            }
        }
        checkParse(bytes, input % 10 == 0 ? "random" : "mutated", input, &accepted);
        if (HasFatalFailure()) {
            return;
        }
    }
    // Both ways out must be well trodden, or the mutations only scratch the surface.
    std::printf("fuzz: %ld inputs, %ld accepted, %ld refused\n", inputs, accepted,
                inputs - accepted);
    EXPECT_GT(accepted, inputs / 20);
    EXPECT_GT(inputs - accepted, inputs / 5);
}

// A level recorded while a scripted player walks to the weapons and fires all of them (the
// flamethrower and the Uzi draw random numbers), then played back from the file: every pass
// gives the same picture and the same game state, whatever the clock does during playback;
// and recording changed nothing: the same script without recording gives the same passes.
class ReplayLevel : public ::testing::Test {
protected:
    struct Pass {
        Uint64 frame, state;
    };

    void SetUp() override {
        // SDL's software cursor is drawn into the screen when a test moves the pointer, and put
        // back from what it saved, which may be another test's screen; the game never moves it.
        SDL_ShowCursor(SDL_DISABLE);
        path = ::testing::TempDir() + "replay-level-" + std::to_string(getpid()) + ".dacrec";
    }
    void TearDown() override {
        SDL_ShowCursor(SDL_ENABLE);
        stop();
        std::remove(path.c_str());
        testsupport::releaseAllKeys();
        testsupport::drainEvents();
        testsupport::resetGameGlobals();
        KeyBindings::use(KeyBindings::Map());
    }

    // A new recording into path, or a new playback of bytes; either ends the one before.
    ::testing::AssertionResult record(Timer::Clock clock) {
        stop();
        recorder.reset(new Recorder());
        if (recorder->start(path, clock)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << recorder->error();
    }
    ::testing::AssertionResult replay(const std::vector<Uint8>& bytes, bool checkData = true) {
        stop();
        playback.reset(new Playback());
        if (playback->start(Recording::Stream::memory(bytes), checkData, FakeClock::read)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << playback->error();
    }
    void stop() {
        recorder.reset();
        playback.reset();
    }

    // Runs a fresh level to its end; before each pass, script(pass) may drive input and the
    // clock. after(level) looks at each finished pass.
    // The game as recorded and as played back, pass for pass the same as played plainly.
    static void expectAsPlain(const std::vector<Pass>& plain, const std::vector<Pass>& recorded,
                              const std::vector<Pass>& replayed) {
        ASSERT_EQ(plain.size(), recorded.size());
        ASSERT_EQ(plain.size(), replayed.size());
        for (size_t i = 0; i < plain.size(); i++) {
            ASSERT_EQ(plain[i].state, recorded[i].state) << "recording changed pass " << i + 1;
            ASSERT_EQ(plain[i].frame, recorded[i].frame) << "recording changed pass " << i + 1;
            ASSERT_EQ(plain[i].frame, replayed[i].frame) << "playback differs at pass " << i + 1;
            ASSERT_EQ(plain[i].state, replayed[i].state) << "playback differs at pass " << i + 1;
        }
    }
    std::vector<Pass> play(const std::function<void(int)>& script,
                           const std::function<void(Level1*)>& after = nullptr,
                           bool checksums = true, bool framed = false) {
        testsupport::resetGameGlobals();
        testsupport::releaseAllKeys();
        testsupport::drainEvents();
        testsupport::moveMouse(540, 360);
        std::vector<Pass> passes;
        Level1* level = new Level1(imageHandler, mainScreen, Level1::Manual());
        level->setUpWorld();
        for (int i = 0; !level->quit && i < 20000; i++) {
            script(i);
            size_t before = playback ? playback->passesPlayed() : 0;
            if (framed) {
                level->runFrame(); // the script runs once a frame, not once a pass
            } else {
                level->runPass();
            }
            if (level->quit && playback && playback->ended() &&
                playback->passesPlayed() == before) {
                break; // the recording ran out before this pass
            }
            passes.push_back({checksums ? Checksum::frame(mainScreen) : 0,
                              checksums ? level->stateChecksum() : 0});
            if (after) {
                after(level);
            }
        }
        level->cleanup();
        delete level;
        return passes;
    }

    // Walk onto the three weapons, take each in turn and fire it, then quit.
    static void weaponsScript(int pass) {
        using namespace testsupport;
        FakeClock::advance(pass % 3 == 0 ? 21 : 4);
        struct Leg {
            int until;
            SDLKey key;
        };
        const Leg legs[] = {{150, SDLK_d}, {290, SDLK_w}, {510, SDLK_s}};
        releaseAllKeys();
        for (const Leg& leg : legs) {
            if (pass < leg.until) {
                holdKey(leg.key);
                moveMouse(600, 400);
                return;
            }
        }
        if (pass == 520) {
            holdKey(SDLK_3);
            moveMouse(350, 250);
            pushMouseButton(SDL_BUTTON_LEFT, true);
        } else if (pass > 520 && pass < 700) {
            moveMouse(350 + (pass % 40) * 5, 250);
        } else if (pass == 700) {
            pushMouseButton(SDL_BUTTON_LEFT, false);
            holdKey(SDLK_2);
        } else if (pass == 705) {
            pushMouseButton(SDL_BUTTON_LEFT, true);
        } else if (pass == 800) {
            pushMouseButton(SDL_BUTTON_LEFT, false);
            pushKeyDown(SDLK_r);
            pushKeyDown(SDLK_t);
        } else if (pass == 830) {
            pushQuit();
        }
    }

    // The weapons' round again, played on the gamepad: sticks, d-pad, trigger, shoulder, buttons.
    static void gamepadScript(int pass) {
        using namespace testsupport;
        FakeClock::advance(pass % 3 == 0 ? 21 : 4);
        const Uint8 AXIS = SDL_JOYAXISMOTION;
        switch (pass) {
        case 0:
            pushJoystick(AXIS, 0, 32767);
            pushJoystick(AXIS, 3, 12000);
            pushJoystick(AXIS, 4, 9000);
            break;
        case 150:
            pushJoystick(AXIS, 0, 0);
            pushJoystick(AXIS, 1, -32768);
            break;
        case 290:
            pushJoystick(AXIS, 1, 30000);
            break;
        case 510:
            pushJoystick(AXIS, 1, 0);
            break;
        case 515: // on the flamethrower by now
            pushJoystick(SDL_JOYHATMOTION, 0, SDL_HAT_RIGHT);
            break;
        case 520:
            pushJoystick(AXIS, 3, -20000);
            pushJoystick(AXIS, 5, 32767);
            break;
        case 700:
            pushJoystick(AXIS, 5, -32768);
            pushJoystick(SDL_JOYHATMOTION, 0, SDL_HAT_UP);
            break;
        case 705:
            pushJoystick(SDL_JOYBUTTONDOWN, 5, 0);
            break;
        case 800:
            pushJoystick(SDL_JOYBUTTONUP, 5, 0);
            pushJoystick(SDL_JOYHATMOTION, 0, SDL_HAT_CENTERED);
            pushJoystick(SDL_JOYBUTTONDOWN, 2, 0);
            pushJoystick(SDL_JOYBUTTONDOWN, 3, 0);
            break;
        case 830:
            pushJoystick(SDL_JOYBUTTONDOWN, 6, 0);
            break;
        default:
            if (pass > 520 && pass < 700) {
                pushJoystick(AXIS, 4, static_cast<Sint16>((pass % 40) * 800 - 16000));
            }
        }
    }

    std::string path;
    std::unique_ptr<Recorder> recorder;
    std::unique_ptr<Playback> playback;
};

TEST_F(ReplayLevel, APlaybackRepeatsEveryPassOfTheRecordedGame) {
    FakeClock::set(50000);
    int mostProjectiles = 0;
    std::vector<Pass> plain = play(weaponsScript, [&](Level1*) {
        mostProjectiles =
            std::max(mostProjectiles, static_cast<int>(particleEngine->projectiles.size()));
    });
    ASSERT_EQ(831u, plain.size());
    ASSERT_GT(mostProjectiles, 20) << "the script never got the weapons firing";

    FakeClock::set(50000);
    ASSERT_TRUE(record(FakeClock::read));
    std::vector<Pass> recorded = play(weaponsScript);
    stop();
    ASSERT_EQ(plain.size(), recorded.size());
    for (size_t i = 0; i < plain.size(); i++) {
        ASSERT_EQ(plain[i].frame, recorded[i].frame) << "recording changed pass " << i + 1;
        ASSERT_EQ(plain[i].state, recorded[i].state) << "recording changed pass " << i + 1;
    }

    std::vector<Uint8> bytes = readBytes(path);
    Parsed parsed = parse(bytes);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ASSERT_TRUE(parsed.complete);
    EXPECT_EQ(plain.size(), parsed.passes());
    EXPECT_EQ(plain.back().state, parsed.finalState);
    EXPECT_EQ(plain.back().frame, parsed.finalFrame);

    // Played back with a clock that runs quite differently, and no input at all.
    FakeClock::set(7);
    ASSERT_TRUE(replay(bytes));
    std::vector<Pass> replayed = play([](int) { FakeClock::advance(1000); });
    EXPECT_TRUE(playback->ended());
    EXPECT_FALSE(playback->cutShort());
    ASSERT_EQ(plain.size(), replayed.size());
    for (size_t i = 0; i < plain.size(); i++) {
        ASSERT_EQ(plain[i].frame, replayed[i].frame) << "playback differs at pass " << i + 1;
        ASSERT_EQ(plain[i].state, replayed[i].state) << "playback differs at pass " << i + 1;
    }
    EXPECT_EQ(parsed.finalState, playback->finalState());
    EXPECT_EQ(parsed.finalFrame, playback->finalFrame());
    stop();

    // Cut in the middle of pass 401: 400 passes play as recorded, then the level stops.
    std::vector<Uint8> cut(bytes.begin(), bytes.begin() + parsed.chunks[401] + 3);
    ASSERT_TRUE(replay(cut));
    std::vector<Pass> partial = play([](int) {});
    EXPECT_TRUE(playback->cutShort());
    EXPECT_EQ(400u, playback->passesPlayed());
    ASSERT_EQ(400u, partial.size());
    EXPECT_EQ(plain[399].state, partial.back().state);
    EXPECT_EQ(plain[399].frame, playback->finalFrame());
}

void sleepOnScriptedClock(Uint32 ms) { testsupport::FakeClock::advance(ms); }

// Where --record writes: through a link to the file it names (existing, dangling, or on another
// file system), the link staying a link; onto a read-only file, nowhere, refused before the
// level with the file kept; and a start that never reaches the level leaves nothing at all.
TEST_F(ReplayLevel, ARecordingGoesWhereItsNameLeadsAndLeavesNothingElse) {
    std::string dir = ::testing::TempDir() + "where-" + std::to_string(getpid());
    // /dev/shm is a file system of its own here; without it, a second folder stands in.
    std::string far = "/dev/shm/deadacre-where-" + std::to_string(getpid());
    if (mkdir(far.c_str(), 0700) != 0) {
        far = dir + "-far";
        ASSERT_EQ(0, mkdir(far.c_str(), 0700));
    }
    ASSERT_EQ(0, mkdir(dir.c_str(), 0700));
    auto write = [](const std::string& file, const char* text) { std::ofstream(file) << text; };
    write(dir + "/old.dacrec", "old");
    write(far + "/far.dacrec", "old");
    write(dir + "/kept.dacrec", "kept");
    chmod((dir + "/kept.dacrec").c_str(), 0444);
    ASSERT_EQ(0, symlink("old.dacrec", (dir + "/link").c_str()));
    ASSERT_EQ(0, symlink("new.dacrec", (dir + "/dangling").c_str()));
    ASSERT_EQ(0, symlink((far + "/far.dacrec").c_str(), (dir + "/farlink").c_str()));
    struct Case {
        const char* recordAs;
        const char* refusal; // null: recorded
        std::string lands;   // where the recording is (or what stays)
        bool playsLevel;
    };
    const Case cases[] = {
        {"link", nullptr, dir + "/old.dacrec", true},
        {"dangling", nullptr, dir + "/new.dacrec", true},
        {"farlink", nullptr, far + "/far.dacrec", true},
        {"kept.dacrec", "it is read-only", dir + "/kept.dacrec", false},
        {"never.dacrec", nullptr, dir + "/never.dacrec", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recordAs);
        path = dir + "/" + c.recordAs;
        ::testing::AssertionResult started = record(FakeClock::read);
        if (c.refusal != nullptr) {
            ASSERT_FALSE(started);
            EXPECT_NE(std::string::npos, recorder->error().find(c.refusal)) << recorder->error();
        } else {
            ASSERT_TRUE(started);
        }
        if (c.playsLevel) {
            play([](int pass) {
                FakeClock::advance(5);
                if (pass == 20) {
                    testsupport::pushQuit();
                }
            });
        }
        stop();
        Parsed recorded = parse(readBytes(c.lands));
        if (c.playsLevel) {
            EXPECT_TRUE(recorded.complete) << recorded.error;
            EXPECT_EQ(21u, recorded.passes());
        } else {
            std::vector<Uint8> stays = readBytes(c.lands);
            EXPECT_EQ(c.refusal != nullptr ? "kept" : "", std::string(stays.begin(), stays.end()));
        }
        struct stat info;
        if (std::string(c.recordAs).find("link") != std::string::npos ||
            std::string(c.recordAs) == "dangling") {
            EXPECT_EQ(0, lstat(path.c_str(), &info));
            EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link was replaced";
        }
    }
    path.clear();
    // Nothing else in either folder: no temporary file left behind.
    for (const std::string& folder : {dir, far}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            EXPECT_EQ(std::string::npos, entry.path().string().find(".part-")) << entry.path();
        }
        std::filesystem::remove_all(folder);
    }
}

TEST_F(ReplayLevel, AGamepadGameIsRecordedAndPlayedBackExactly) {
    FakeClock::set(50000);
    int mostProjectiles = 0;
    std::vector<Pass> plain = play(gamepadScript, [&](Level1*) {
        mostProjectiles =
            std::max(mostProjectiles, static_cast<int>(particleEngine->projectiles.size()));
    });
    ASSERT_EQ(831u, plain.size()) << "Back on the pad did not leave the level at pass 831";
    ASSERT_GT(mostProjectiles, 20) << "the pad never got the weapons firing";

    FakeClock::set(50000);
    ASSERT_TRUE(record(FakeClock::read));
    std::vector<Pass> recorded = play(gamepadScript);
    stop();
    FakeClock::set(7);
    ASSERT_TRUE(replay(readBytes(path)));
    std::vector<Pass> replayed = play([](int) { FakeClock::advance(1000); });
    expectAsPlain(plain, recorded, replayed);
}

TEST_F(ReplayLevel, AGameRecordedAtSixtyFramesASecondPlaysBackExactly) {
    FakeClock::set(50000);
    Level1::chosenFPS = 60;
    FrameClock::setSleep(sleepOnScriptedClock);
    ASSERT_TRUE(record(nullptr));
    std::vector<Pass> frames = play(
        [](int frame) {
            if (frame == 60) {
                testsupport::pushQuit();
            } else {
                weaponsScript(frame * 3); // along the walk, firing on the way
            }
        },
        nullptr, true, true);
    stop();
    Level1::chosenFPS = FrameClock::MOST_FPS;
    FrameClock::setSleep(nullptr);

    std::vector<Uint8> bytes = readBytes(path);
    Parsed parsed = parse(bytes);
    ASSERT_TRUE(parsed.ok && parsed.complete) << parsed.error;
    EXPECT_EQ(61u, frames.size());
    EXPECT_GT(parsed.passes(), 61u * 15) << "frames 16 ms apart or more catch up in 1 ms passes";
    EXPECT_EQ(frames.back().state, parsed.finalState);

    FakeClock::set(7);
    ASSERT_TRUE(replay(bytes));
    std::vector<Pass> replayed = play([](int) { FakeClock::advance(1000); });
    EXPECT_FALSE(playback->cutShort());
    EXPECT_EQ(parsed.passes(), replayed.size());
    EXPECT_EQ(parsed.finalState, playback->finalState());
    EXPECT_EQ(parsed.finalFrame, playback->finalFrame());
}

// Accepted mutants of a real recording (odd clocks, events, keys and pointer readings, each
// within its limits) are played through the real level: it runs to the end of the file.
TEST_F(ReplayLevel, OddButValidRecordingsPlayThroughTheRealLevel) {
    std::vector<Uint8> seedFile = readBytes(GAME_DATA_DIR "/../tests/replays/weapons.dacrec");
    Parsed real = parse(seedFile);
    ASSERT_TRUE(real.ok) << real.error;
    ASSERT_GT(real.passes(), 30u);
    std::vector<Uint8> head(seedFile.begin(), seedFile.begin() + real.chunks[30]);
    std::mt19937 rng(16);
    int played = 0;
    for (int tries = 0; tries < 3000 && played < 25; tries++) {
        std::vector<Uint8> bytes = head;
        for (int m = 0; m < 3; m++) {
            size_t at = real.chunks[0] + rng() % (bytes.size() - real.chunks[0]);
            bytes[at] ^= static_cast<Uint8>(1u << (rng() % 8));
        }
        if (!replay(bytes, false)) {
            continue;
        }
        Parsed parsed = parse(bytes);
        std::vector<Pass> passes = play([](int) { FakeClock::advance(3); }, nullptr, false);
        EXPECT_LE(passes.size(), parsed.passes());
        EXPECT_TRUE(playback->ended());
        stop();
        played++;
    }
    EXPECT_EQ(25, played);
}

// The committed recordings, played here, end as they did when recorded, and each shows what it
// was made for.
TEST_F(ReplayLevel, TheCommittedRecordingsShowWhatTheyWereMadeFor) {
    struct Seen {
        double furthest = 0;
        int weapons = 0, mostProjectiles = 0, mostPotions = 0, gold = 0;
        double lowestHealth = 100;
        bool goldLit = false, goldFadedOut = false, backpackOpened = false;
    };
    auto watch = [](Seen* seen) {
        return [seen](Level1*) {
            double dx = player->locationX - 540, dy = player->locationY - 600;
            seen->furthest = std::max(seen->furthest, std::sqrt(dx * dx + dy * dy));
            seen->weapons = static_cast<int>(player->backpack->weapons.size());
            seen->mostProjectiles = std::max(seen->mostProjectiles,
                                             static_cast<int>(particleEngine->projectiles.size()));
            seen->mostPotions =
                std::max(seen->mostPotions, static_cast<int>(player->backpack->items.size()));
            seen->gold = player->getGold();
            seen->lowestHealth = std::min(seen->lowestHealth, player->getHealth());
            seen->goldLit = seen->goldLit || hud->alpha >= 255;
            seen->goldFadedOut = seen->goldFadedOut || (seen->goldLit && hud->alpha <= 0);
            seen->backpackOpened = seen->backpackOpened || hud->backpackOpen;
        };
    };
    std::map<std::string, Seen> seen;
    for (const char* name : {"walk", "weapons", "backpack", "zombies"}) {
        SCOPED_TRACE(name);
        std::vector<Uint8> bytes =
            readBytes(std::string(GAME_DATA_DIR "/../tests/replays/") + name + ".dacrec");
        ASSERT_TRUE(replay(bytes));
        play([](int) {}, watch(&seen[name]), false);
        EXPECT_TRUE(playback->ended());
        EXPECT_FALSE(playback->cutShort());
        EXPECT_EQ(playback->recordedState(), playback->finalState());
        // Recorded on classic SDL; SDL2 under sdl12-compat rounds blended pixels differently.
        if (!PresentationPath::onSdl12Compat()) {
            EXPECT_EQ(playback->recordedFrame(), playback->finalFrame());
        }
        stop();
    }
    EXPECT_GT(seen["walk"].furthest, 400);
    EXPECT_EQ(3, seen["weapons"].weapons);
    EXPECT_GT(seen["weapons"].mostProjectiles, 20);
    EXPECT_GE(seen["backpack"].mostPotions, 2);
    EXPECT_TRUE(seen["backpack"].backpackOpened);
    EXPECT_GT(seen["backpack"].gold, 0);
    EXPECT_TRUE(seen["backpack"].goldFadedOut);
    EXPECT_LT(seen["zombies"].lowestHealth, 100);
}

namespace {

// A key as a keyboard sends it: with a scancode, which the player's choice of keys reads.
void pushKeyboard(bool down, SDLKey sym, Uint8 scancode) {
    SDL_Event e = keyEvent(down ? SDL_KEYDOWN : SDL_KEYUP, sym);
    e.key.keysym.scancode = scancode;
    e.key.keysym.mod = KMOD_NONE;
    SDL_PushEvent(&e);
}

} // namespace

// The same game played on the game's own keys and on keys of the player's choosing (walking by
// the keys' places, with letters an odd layout gives them) decides the same, pass for pass; a
// long pause in it changes nothing, and its recording plays back on the game's own keys.
TEST_F(ReplayLevel, PausesAndChosenKeysPlayBackOnTheGameOwnKeys) {
    using namespace testsupport;
    Settings chosen;
    std::vector<std::string> warnings;
    chosen.parse("walk_keys = position\nkey_walk_up = i\nkey_walk_left = j\nkey_walk_down = k\n"
                 "key_walk_right = l\nkey_reload = f\nkey_damage = g\nkey_mute = n\n",
                 "chosen.ini", &warnings);
    ASSERT_TRUE(warnings.empty()) << warnings[0];
    bool rebound = false;
    // What each hand does, as (the game's key, the chosen key, what an odd layout calls it).
    auto press = [&](bool down, SDLKey game, SDLKey mine, SDLKey layoutSays) {
        bool walking = game == SDLK_w || game == SDLK_a || game == SDLK_s || game == SDLK_d;
        Uint8 place = KeyBindings::placeOf(rebound ? mine : game);
        pushKeyboard(down,
                     rebound && walking ? layoutSays
                     : rebound          ? mine
                                        : game,
                     place != 0 ? place : 200);
        if (!rebound || !walking) {
            SDL_GetKeyState(NULL)[rebound ? mine : game] = down; // held by letter
        }
    };
    auto script = [&](int pass) {
        FakeClock::advance(pass > 200 && pass < 260 ? 300 : 4);
        switch (pass) {
        case 0:
            press(true, SDLK_d, SDLK_l, SDLK_x);
            break;
        case 120:
            press(false, SDLK_d, SDLK_l, SDLK_x);
            press(true, SDLK_w, SDLK_i, SDLK_q);
            break;
        case 200: // 17.7 s of pause, in which reloading and firing do nothing
        case 260:
            pushKeyboard(true, SDLK_p, 200);
            break;
        case 230:
            press(true, SDLK_r, SDLK_f, SDLK_f);
            pushMouseButton(SDL_BUTTON_LEFT, true);
            pushMouseButton(SDL_BUTTON_LEFT, false);
            break;
        case 240:
            press(true, SDLK_m, SDLK_n, SDLK_n); // mute and unmute, while paused and not
            break;
        case 300:
            press(false, SDLK_w, SDLK_i, SDLK_q);
            press(true, SDLK_m, SDLK_n, SDLK_n);
            if (rebound) {
                pushKeyboard(true, SDLK_r, 27); // keys given away do nothing
                pushKeyboard(true, SDLK_w, 200);
            }
            break;
        case 330:
            press(true, SDLK_SPACE, SDLK_g, SDLK_g);
            break;
        case 340:
            press(false, SDLK_SPACE, SDLK_g, SDLK_g);
            pushQuit();
            break;
        }
    };
    std::vector<double> x, y, health;
    auto where = [&](Level1*) {
        x.push_back(player->locationX);
        y.push_back(player->locationY);
        health.push_back(player->health);
    };
    FakeClock::set(50000);
    std::vector<Pass> plain = play(script, where);
    ASSERT_EQ(341u, plain.size());
    EXPECT_GT(x[119], x[0] + 50) << "never walked right";
    EXPECT_LT(y[199], y[120] - 30) << "never walked up";
    EXPECT_LT(health[339], health[329]) << "the damage key did nothing";
    for (int pass = 201; pass <= 260; pass++) {
        ASSERT_EQ(plain[200].state, plain[pass].state) << "moved while paused, pass " << pass;
    }
    EXPECT_NE(plain[200].state, plain[262].state) << "did not play on after the pause";

    rebound = true;
    KeyBindings::use(chosen.keys);
    FakeClock::set(50000);
    ASSERT_TRUE(record(FakeClock::read));
    std::vector<Pass> recorded = play(script);
    stop();
    releaseAllKeys();
    KeyBindings::use(KeyBindings::Map());
    FakeClock::set(7);
    ASSERT_TRUE(replay(readBytes(path)));
    std::vector<Pass> replayed = play([](int) { FakeClock::advance(1000); });
    expectAsPlain(plain, recorded, replayed);
}

// Frames of the live loop: ten seconds paused read no game time, and the game goes on exactly
// as if the pause had never been.
TEST_F(ReplayLevel, TenSecondsOfPauseTakeNoGameTime) {
    using namespace testsupport;
    auto script = [](int pauseAt) {
        return [pauseAt](int frame) {
            FakeClock::advance(1); // one pass a frame
            holdKey(SDLK_d);
            if (frame == pauseAt || frame == pauseAt + 11) {
                pushKeyDown(SDLK_p);
            } else if (frame > pauseAt && frame < pauseAt + 11) {
                FakeClock::advance(1000);
                SDL_Event wake = motionEvent(540, 360, 0, 0); // for the loop waiting for input
                SDL_PushEvent(&wake);
            }
            if (frame == 160 + (pauseAt > 0 ? 11 : 0)) {
                pushQuit();
            }
        };
    };
    FakeClock::set(50000);
    std::vector<Pass> straight = play(script(-100), nullptr, true, true);
    FakeClock::set(50000);
    std::vector<Pass> paused = play(script(100), nullptr, true, true);
    ASSERT_EQ(161u, straight.size());
    ASSERT_EQ(172u, paused.size());
    for (int frame = 0; frame <= 100; frame++) {
        ASSERT_EQ(straight[frame].state, paused[frame].state) << frame;
    }
    for (int frame = 101; frame <= 111; frame++) {
        ASSERT_EQ(paused[100].state, paused[frame].state) << "moved while paused " << frame;
    }
    for (int frame = 101; frame <= 160; frame++) {
        ASSERT_EQ(straight[frame].state, paused[frame + 11].state) << frame;
    }
}
