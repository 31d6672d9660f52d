#include "Replay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Backpack.h"
#include "Globals.h"
#include "HUD.h"
#include "Item.h"
#include "Level1.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "Recording.h"
#include "SlowZombie.h"
#include "Text.h"
#include "VideoMode.h"
#include "Weapon.h"

#ifndef DEADACRE_VERSION
#define DEADACRE_VERSION "unknown"
#endif

namespace {

enum Mode { OFF, RECORDING, REPLAYING };

// glibc's rand() starts as if seeded with 1; every level starts from there.
const Uint32 LEVEL_SEED = 1;

struct State {
    Mode mode = OFF;
    bool inLevel = false; // between the level's set-up and its last pass
    bool levelDone = false;
    Timer::Clock underlying = nullptr;
    std::string error;
    std::string path;

    // Recording.
    FILE* out = nullptr;
    Recording::Pass current;
    std::vector<Uint8> buffer;
    Uint8 shadowKeys[SDLK_LAST] = {};
    bool setUpWritten = false;
    Uint32 passesWritten = 0;

    // Playback.
    std::vector<Uint8> bytes;
    Recording::Parsed parsed;
    size_t nextChunk = 0;
    Recording::Pass pass;
    size_t clockRun = 0;
    Uint32 clockUsed = 0;
    Uint32 lastClock = 0;
    size_t nextEvent = 0;
    size_t nextMouse = 0;
    Recording::MouseReading lastMouse = {0, 0, 0};
    Uint8 keys[SDLK_LAST] = {};
    bool headless = false;
    bool onScreen = false;
    bool everyPass = false;
    bool viewerQuit = false;
    bool quitHandedOver = false;
    bool ended = false;
    bool cutShort = false;
    size_t played = 0;
    Uint64 finalState = 0, finalFrame = 0;
};

State s;

Uint32 underlyingNow() { return s.underlying ? s.underlying() : Timer::source(); }

Uint32 recordingClock() {
    Uint32 now = underlyingNow();
    if (s.inLevel) {
        std::vector<Recording::ClockRun>& runs = s.current.clock;
        if (!runs.empty() && runs.back().value == now && runs.back().count < 0xffffffffu) {
            runs.back().count++;
        } else {
            runs.push_back({now, 1});
        }
    }
    return now;
}

// Serves the recorded readings in order; a game that asks more often than the recorded one did
// (it has changed since) keeps getting the last reading, and its checksums will tell.
Uint32 replayClock() {
    if (!s.inLevel) {
        return underlyingNow();
    }
    if (s.clockRun < s.pass.clock.size()) {
        const Recording::ClockRun& run = s.pass.clock[s.clockRun];
        s.lastClock = run.value;
        if (++s.clockUsed >= run.count) {
            s.clockRun++;
            s.clockUsed = 0;
        }
    }
    return s.lastClock;
}

const Uint64 FNV_OFFSET = 14695981039346656037ull;
const Uint64 FNV_PRIME = 1099511628211ull;

struct Hash {
    Uint64 h = FNV_OFFSET;
    void add(Uint64 v) {
        for (int i = 0; i < 8; i++) {
            h = (h ^ ((v >> (8 * i)) & 0xff)) * FNV_PRIME;
        }
    }
    void add(double d) {
        Uint64 bits;
        std::memcpy(&bits, &d, sizeof(bits));
        add(bits);
    }
    void add(int v) { add(static_cast<Uint64>(static_cast<Sint64>(v))); }
    void add(const std::string& text) {
        for (unsigned char c : text) {
            h = (h ^ c) * FNV_PRIME;
        }
        add(static_cast<Uint64>(text.size()));
    }
    void addBytes(const char* data, size_t n) {
        for (size_t i = 0; i < n; i++) {
            h = (h ^ static_cast<unsigned char>(data[i])) * FNV_PRIME;
        }
    }
};

void writeBuffer() {
    if (s.out == nullptr || s.buffer.empty()) {
        s.buffer.clear();
        return;
    }
    // Flushed every pass, so a game that is killed loses at most the pass it was in.
    if (std::fwrite(s.buffer.data(), 1, s.buffer.size(), s.out) != s.buffer.size() ||
        std::fflush(s.out) != 0) {
        std::fprintf(stderr, "deadacre: %s: cannot write the recording, it stops here\n",
                     s.path.c_str());
        std::fclose(s.out);
        s.out = nullptr;
    }
    s.buffer.clear();
}

void flushChunk(char tag) {
    Uint8* live = SDL_GetKeyState(NULL);
    if (std::memcmp(live, s.shadowKeys, SDLK_LAST) != 0) {
        for (int k = 0; k < SDLK_LAST; k++) {
            if ((live[k] != 0) != (s.shadowKeys[k] != 0)) {
                s.shadowKeys[k] = live[k] ? 1 : 0;
                s.current.keys.push_back({static_cast<Uint16>(k), s.shadowKeys[k]});
            }
        }
    }
    Recording::encodeChunk(tag, s.current, &s.buffer);
    s.current.clear();
    writeBuffer();
}

void loadChunk(size_t index) {
    Recording::decodeChunk(s.bytes, s.parsed.chunks[index], &s.pass);
    s.clockRun = 0;
    s.clockUsed = 0;
    s.nextEvent = 0;
    s.nextMouse = 0;
    for (const Recording::KeyChange& k : s.pass.keys) {
        s.keys[k.key] = k.down;
    }
}

void endPlayback(Level1* level, bool cutShort) {
    s.inLevel = false;
    s.levelDone = true;
    s.ended = true;
    s.cutShort = cutShort;
    s.finalState = Replay::stateChecksum(level);
    s.finalFrame = Replay::frameChecksum(mainScreen);
}

Level1* currentLevel = nullptr;

void printHex(const char* label, Uint64 v) {
    std::printf("%s %016llx\n", label, static_cast<unsigned long long>(v));
}

bool readFile(const std::string& path, std::vector<Uint8>* bytes, std::string* why) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        *why = "cannot open it";
        return false;
    }
    std::streamoff size = in.tellg();
    if (size < 0 || static_cast<Uint64>(size) > Recording::MAX_FILE_BYTES) {
        *why = "the file is larger than any recording";
        return false;
    }
    bytes->resize(static_cast<size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes->data()), size)) {
        *why = "cannot read it";
        return false;
    }
    return true;
}

} // namespace

int Replay::pollEvent(SDL_Event* event) {
    if (s.mode == RECORDING) {
        int got = VideoMode::pollEvent(event);
        if (got && s.inLevel && Recording::keepsEvent(event->type)) {
            s.current.events.push_back(*event);
        }
        return got;
    }
    if (s.mode != REPLAYING || !s.inLevel) {
        return VideoMode::pollEvent(event);
    }
    if (s.onScreen && !s.viewerQuit) {
        // The viewer may only stop the playback: closing the window, Escape or the right button.
        SDL_Event real;
        while (VideoMode::pollEvent(&real)) {
            if (real.type == SDL_QUIT ||
                (real.type == SDL_KEYDOWN && real.key.keysym.sym == SDLK_ESCAPE) ||
                (real.type == SDL_MOUSEBUTTONDOWN && real.button.button == SDL_BUTTON_RIGHT)) {
                s.viewerQuit = true;
            }
        }
    }
    if (s.viewerQuit && !s.quitHandedOver) {
        s.quitHandedOver = true;
        std::memset(event, 0, sizeof(*event));
        event->type = SDL_QUIT;
        return 1;
    }
    if (s.nextEvent < s.pass.events.size()) {
        *event = s.pass.events[s.nextEvent++];
        return 1;
    }
    return 0;
}

bool Replay::playingBack() { return s.mode == REPLAYING; }

bool Replay::playbackShown() { return s.mode == REPLAYING && s.onScreen; }

Uint8* Replay::keyState() { return s.mode == REPLAYING ? s.keys : SDL_GetKeyState(NULL); }

Uint8 Replay::mouseState(int* x, int* y) {
    if (s.mode == REPLAYING && s.inLevel) {
        if (s.nextMouse < s.pass.mouse.size()) {
            s.lastMouse = s.pass.mouse[s.nextMouse++];
        }
        *x = s.lastMouse.x;
        *y = s.lastMouse.y;
        return s.lastMouse.buttons;
    }
    Uint8 buttons = SDL_GetMouseState(x, y);
    if (s.mode == RECORDING && s.inLevel) {
        // SDL keeps the pointer on the screen; the clamp only keeps the file valid if not.
        int cx = std::min(std::max(*x, 0), Recording::SCREEN_W - 1);
        int cy = std::min(std::max(*y, 0), Recording::SCREEN_H - 1);
        s.current.mouse.push_back({static_cast<Uint16>(cx), static_cast<Uint16>(cy), buttons});
    }
    return buttons;
}

void Replay::beginLevel() {
    Uint32 seed = LEVEL_SEED;
    if (s.mode == RECORDING && !s.levelDone && s.out != nullptr) {
        s.inLevel = true;
        s.current.clear();
    } else if (s.mode == REPLAYING && !s.levelDone) {
        seed = s.parsed.header.seed;
        std::memset(s.keys, 0, sizeof(s.keys));
        loadChunk(0);
        s.nextChunk = 1;
        s.inLevel = true;
    }
    srand(seed);
}

bool Replay::beginPass(Level1* level) {
    currentLevel = level;
    if (s.mode == RECORDING && s.inLevel && !s.setUpWritten) {
        flushChunk('S');
        s.setUpWritten = true;
    }
    if (s.mode != REPLAYING || !s.inLevel) {
        return true;
    }
    if (s.nextChunk >= s.parsed.chunks.size()) {
        endPlayback(level, !s.parsed.complete);
        return false;
    }
    loadChunk(s.nextChunk++);
    return true;
}

void Replay::endPass(Level1* level) {
    currentLevel = level;
    if (s.mode == RECORDING && s.inLevel) {
        flushChunk('P');
        s.passesWritten++;
        if (level->quit) {
            s.inLevel = false;
            s.levelDone = true;
            Recording::encodeEnd(s.passesWritten, stateChecksum(level), frameChecksum(mainScreen),
                                 &s.buffer);
            writeBuffer();
        }
        return;
    }
    if (s.mode != REPLAYING || !s.inLevel) {
        return;
    }
    s.played++;
    if (s.everyPass) {
        std::printf("pass %zu frame %016llx state %016llx\n", s.played,
                    static_cast<unsigned long long>(frameChecksum(mainScreen)),
                    static_cast<unsigned long long>(stateChecksum(level)));
    }
    if (level->quit) {
        endPlayback(level, false);
    }
}

bool Replay::startRecording(const std::string& path, Timer::Clock clock) {
    stop();
    s.path = path;
    s.out = std::fopen(path.c_str(), "wb");
    if (s.out == nullptr) {
        s.error = path + ": cannot create the recording";
        return false;
    }
    Recording::Header header;
    header.gameVersion = gameVersion();
    header.dataChecksum = dataChecksum();
    header.seed = LEVEL_SEED;
    Recording::encodeHeader(header, &s.buffer);
    writeBuffer();
    if (s.out == nullptr) {
        s.error = path + ": cannot write the recording";
        return false;
    }
    s.mode = RECORDING;
    s.underlying = clock;
    Timer::setOverlay(recordingClock);
    return true;
}

bool Replay::startReplay(const std::vector<Uint8>& bytes, bool checkData, Timer::Clock clock) {
    stop();
    s.parsed = Recording::parse(bytes);
    if (!s.parsed.ok) {
        s.error = s.parsed.error;
        return false;
    }
    if (s.parsed.chunks.empty()) {
        s.error = "the recording ends before the level was set up";
        return false;
    }
    if (checkData && s.parsed.header.dataChecksum != dataChecksum()) {
        char line[160];
        std::snprintf(line, sizeof(line),
                      "recorded with other data files (checksum %016llx, these are %016llx)",
                      static_cast<unsigned long long>(s.parsed.header.dataChecksum),
                      static_cast<unsigned long long>(dataChecksum()));
        s.error = line;
        return false;
    }
    s.bytes = bytes;
    s.mode = REPLAYING;
    s.underlying = clock;
    Timer::setOverlay(replayClock);
    return true;
}

void Replay::stop() {
    if (s.out != nullptr) {
        std::fclose(s.out);
    }
    if (s.mode != OFF) {
        Timer::setOverlay(nullptr);
    }
    s = State();
    currentLevel = nullptr;
}

const std::string& Replay::error() { return s.error; }
bool Replay::replayEnded() { return s.ended; }
bool Replay::replayCutShort() { return s.cutShort; }
size_t Replay::passesPlayed() { return s.played; }
Uint64 Replay::finalStateChecksum() { return s.finalState; }
Uint64 Replay::finalFrameChecksum() { return s.finalFrame; }
Uint64 Replay::recordedStateChecksum() { return s.parsed.complete ? s.parsed.finalState : 0; }
Uint64 Replay::recordedFrameChecksum() { return s.parsed.complete ? s.parsed.finalFrame : 0; }

int Replay::fromCommandLine(int argc, char** argv) {
    const char* record = nullptr;
    const char* replay = nullptr;
    bool headless = false, frames = false;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--record" || arg == "--replay") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "deadacre: %s needs a file name\n", arg.c_str());
                return 2;
            }
            (arg == "--record" ? record : replay) = argv[++i];
        } else if (arg == "--headless") {
            headless = true;
        } else if (arg == "--frames") {
            frames = true;
        }
    }
    if (record != nullptr && replay != nullptr) {
        std::fprintf(stderr, "deadacre: --record and --replay cannot be used together\n");
        return 2;
    }
    if ((headless || frames) && replay == nullptr) {
        std::fprintf(stderr, "deadacre: --headless and --frames go with --replay FILE\n");
        return 2;
    }
    if (record != nullptr && !startRecording(record, nullptr)) {
        std::fprintf(stderr, "deadacre: %s\n", s.error.c_str());
        return 2;
    }
    if (replay != nullptr) {
        std::vector<Uint8> bytes;
        std::string why;
        if (!readFile(replay, &bytes, &why) || !startReplay(bytes, true, nullptr)) {
            std::fprintf(stderr, "deadacre: %s: %s\n", replay,
                         why.empty() ? s.error.c_str() : why.c_str());
            return 2;
        }
        s.path = replay;
        s.headless = headless;
        s.onScreen = !headless;
        s.everyPass = frames;
        if (headless) {
            // Played as fast as it goes, with nothing shown and nothing heard.
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
        }
    }
    return -1;
}

int Replay::finish(int gameStatus) {
    int status = gameStatus;
    if (s.mode == REPLAYING && gameStatus == 0) {
        printHex("final state", s.finalState);
        printHex("last frame", s.finalFrame);
        if (s.parsed.complete) {
            printHex("recorded state", s.parsed.finalState);
            printHex("recorded frame", s.parsed.finalFrame);
        }
        std::printf("passes %zu\n", s.played);
        std::fflush(stdout);
        if (s.cutShort) {
            std::fprintf(stderr,
                         "deadacre: %s: the recording is cut short: it ends after pass %zu\n",
                         s.path.c_str(), s.played);
            status = 2;
        } else if (s.parsed.complete && !s.viewerQuit && s.finalState != s.parsed.finalState) {
            // Only the game's state counts here: the last frame may differ in a few blended
            // pixels when the recording was made on the other SDL 1.2 runtime.
            std::fprintf(stderr,
                         "deadacre: %s: warning: this playback ends differently from the recorded "
                         "game (the game changed since it was recorded)\n",
                         s.path.c_str());
        }
    }
    stop();
    return status;
}

Uint64 Replay::frameChecksum(SDL_Surface* screen) {
    Hash hash;
    if (screen == nullptr) {
        return hash.h;
    }
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) < 0) {
        return hash.h;
    }
    hash.add(screen->w);
    hash.add(screen->h);
    const SDL_PixelFormat* f = screen->format;
    bool plain =
        f->BytesPerPixel == 4 && f->Rmask == 0xff0000 && f->Gmask == 0xff00 && f->Bmask == 0xff;
    Uint64 h = hash.h;
    for (int y = 0; y < screen->h; y++) {
        const Uint8* row = static_cast<const Uint8*>(screen->pixels) + y * screen->pitch;
        for (int x = 0; x < screen->w; x++) {
            Uint32 rgb;
            if (plain) {
                std::memcpy(&rgb, row + 4 * x, 4);
                rgb &= 0xffffff;
            } else {
                Uint32 pixel = 0;
                std::memcpy(&pixel, row + f->BytesPerPixel * x, f->BytesPerPixel);
                Uint8 r, g, b;
                SDL_GetRGB(pixel, const_cast<SDL_PixelFormat*>(f), &r, &g, &b);
                rgb = (r << 16) | (g << 8) | b;
            }
            // One multiply per pixel: the whole screen is hashed every pass with --frames.
            h = (h ^ rgb) * FNV_PRIME;
        }
    }
    if (SDL_MUSTLOCK(screen)) {
        SDL_UnlockSurface(screen);
    }
    return h;
}

Uint64 Replay::stateChecksum(Level1* level) {
    Hash hash;
    hash.add(static_cast<int>(camera.x));
    hash.add(static_cast<int>(camera.y));
    hash.add(static_cast<int>(mouseDown));
    if (player != nullptr) {
        hash.add(player->locationX);
        hash.add(player->locationY);
        hash.add(player->health);
        hash.add(player->gold);
        if (player->weapon != nullptr) {
            hash.add(player->weapon->getId());
            hash.add(player->weapon->getClipSize());
            hash.add(player->weapon->getAmmo());
        }
        if (player->backpack != nullptr) {
            hash.add(static_cast<int>(player->backpack->items.size()));
            hash.add(static_cast<int>(player->backpack->weapons.size()));
        }
    }
    if (hud != nullptr) {
        hash.add(static_cast<int>(hud->backpackOpen));
        hash.add(static_cast<int>(hud->goldFade));
        hash.add(hud->alpha);
        hash.add(static_cast<int>(hud->texts.size()));
    }
    if (level != nullptr) {
        std::stack<Unit*> units = level->units;
        hash.add(static_cast<int>(units.size()));
        for (; !units.empty(); units.pop()) {
            SlowZombie* zombie = dynamic_cast<SlowZombie*>(units.top());
            if (zombie != nullptr) {
                hash.add(zombie->locationX);
                hash.add(zombie->locationY);
                hash.add(zombie->health);
                hash.add(zombie->frame);
            }
        }
        std::stack<Item*> items = level->items;
        hash.add(static_cast<int>(items.size()));
        for (; !items.empty(); items.pop()) {
            hash.add(items.top()->getId());
            hash.add(items.top()->getXLocation() + camera.x);
            hash.add(items.top()->getYLocation() + camera.y);
            hash.add(static_cast<int>(items.top()->isDestroyed()));
        }
    }
    if (particleEngine != nullptr) {
        std::queue<Projectile*> flying = particleEngine->projectiles;
        hash.add(static_cast<int>(flying.size()));
        for (; !flying.empty(); flying.pop()) {
            hash.add(flying.front()->getXLocation() + camera.x);
            hash.add(flying.front()->getYLocation() + camera.y);
            hash.add(static_cast<int>(flying.front()->isDestroyed()));
        }
    }
    return hash.h;
}

Uint64 Replay::dataChecksum() {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::error_code ec;
    const char* folders[] = {"images", "menuImages", "sounds"};
    for (const char* folder : folders) {
        fs::recursive_directory_iterator it(folder, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file(ec)) {
                files.push_back(it->path().generic_string());
            }
        }
        ec.clear();
    }
    if (fs::is_regular_file("testFont.ttf", ec)) {
        files.push_back("testFont.ttf");
    }
    std::sort(files.begin(), files.end());
    Hash hash;
    std::vector<char> chunk(1 << 16);
    for (const std::string& name : files) {
        hash.add(name);
        std::ifstream in(name, std::ios::binary);
        while (in) {
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            hash.addBytes(chunk.data(), static_cast<size_t>(in.gcount()));
        }
    }
    return hash.h;
}

std::string Replay::gameVersion() { return DEADACRE_VERSION; }
