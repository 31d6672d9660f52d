#include "Replay.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Backpack.h"
#include "Globals.h"
#include "HUD.h"
#include "ImageLoader.h"
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

    // Recording: written to `temporary` beside `path` and renamed over it once the level has
    // started, so a game that cannot start leaves an earlier recording where it was.
    FILE* out = nullptr;
    std::string temporary;
    bool inPlace = false;
    Recording::Pass current;
    std::vector<Uint8> buffer;
    std::vector<Uint8> payload, lastPayload;
    bool lastWasPass = false;
    Uint8 shadowKeys[SDLK_LAST] = {};
    bool setUpWritten = false;
    Uint32 passesWritten = 0;

    // Playback, read a pass at a time from the file (or from bytes in memory).
    std::unique_ptr<Recording::Stream> stream;
    int in = -1;
    std::string readError;
    std::vector<Uint8> bytes;
    size_t bytesRead = 0;
    bool complete = false;
    bool damaged = false;
    Uint64 recordedState = 0, recordedFrame = 0;
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

const char* notAFile(mode_t mode) { return ImageLoader::notAFile(mode); }

// The temporary file goes, and whatever was at the path before stays.
void dropTemporary() {
    if (s.out != nullptr) {
        std::fclose(s.out);
        s.out = nullptr;
    }
    if (!s.inPlace && !s.temporary.empty()) {
        unlink(s.temporary.c_str());
    }
    s.temporary.clear();
}

void writeBuffer() {
    if (s.out == nullptr || s.buffer.empty()) {
        s.buffer.clear();
        return;
    }
    // Flushed every pass, so a game that is killed loses at most the pass it was in.
    if (std::fwrite(s.buffer.data(), 1, s.buffer.size(), s.out) != s.buffer.size() ||
        std::fflush(s.out) != 0) {
        int why = errno;
        if (s.inPlace) {
            std::fprintf(stderr,
                         "deadacre: %s: cannot write the recording (%s); it keeps the %u passes "
                         "before\n",
                         s.path.c_str(), std::strerror(why), s.passesWritten);
            std::fclose(s.out);
            s.out = nullptr;
        } else {
            std::fprintf(stderr,
                         "deadacre: %s: cannot write the recording (%s); the game is not "
                         "recorded\n",
                         s.path.c_str(), std::strerror(why));
            dropTemporary();
        }
    }
    s.buffer.clear();
}

// The level has started: the new recording takes the old one's place, written out first so that
// a crash cannot leave an empty file where a recording was.
void putInPlace() {
    if (s.out == nullptr || s.inPlace) {
        return;
    }
    if (fsync(fileno(s.out)) != 0 || rename(s.temporary.c_str(), s.path.c_str()) != 0) {
        std::fprintf(stderr,
                     "deadacre: %s: cannot put the recording in place (%s); it is recorded in "
                     "%s\n",
                     s.path.c_str(), std::strerror(errno), s.temporary.c_str());
        s.path = s.temporary;
    }
    s.inPlace = true;
    s.temporary.clear();
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
    s.payload.clear();
    Recording::encodePayload(s.current, &s.payload);
    if (tag == 'P' && s.lastWasPass && s.payload == s.lastPayload) {
        Recording::encodeRepeat(&s.buffer);
    } else {
        Recording::encodeChunkBytes(tag, s.payload, &s.buffer);
        s.payload.swap(s.lastPayload);
    }
    s.lastWasPass = tag == 'P';
    s.current.clear();
    writeBuffer();
}

// The chunk the stream has just read becomes the one the level reads.
void loadChunk() {
    if (!s.stream->repeated()) {
        s.pass = s.stream->pass();
    }
    s.clockRun = 0;
    s.clockUsed = 0;
    s.nextEvent = 0;
    s.nextMouse = 0;
    for (const Recording::KeyChange& k : s.pass.keys) {
        s.keys[k.key] = k.down;
    }
}

// After the last pass played: whether the file closes here, and with which checksums.
void readEnd(Recording::Stream::Next next) {
    if (next == Recording::Stream::END) {
        s.complete = true;
        s.recordedState = s.stream->finalState();
        s.recordedFrame = s.stream->finalFrame();
    } else if (next == Recording::Stream::BAD || !s.readError.empty()) {
        s.damaged = true;
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

size_t readMemory(Uint8* to, size_t n) {
    size_t take = std::min(n, s.bytes.size() - s.bytesRead);
    if (take > 0) {
        std::memcpy(to, s.bytes.data() + s.bytesRead, take);
    }
    s.bytesRead += take;
    return take;
}

size_t readOpenFile(Uint8* to, size_t n) {
    while (true) {
        ssize_t got = read(s.in, to, n);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR) {
            s.readError = std::string("cannot read it (") + std::strerror(errno) + ")";
            return 0;
        }
    }
}

// Opens a recording only when it is a regular file: a pipe or a device in its place could
// block the game before its first picture.
int openRecording(const std::string& path, std::string* why) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = std::string("cannot open it (") + std::strerror(errno) + ")";
        return -1;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        *why = std::string("cannot read it (") + std::strerror(errno) + ")";
    } else if (const char* what = notAFile(info.st_mode)) {
        *why = what;
    } else {
        return fd;
    }
    close(fd);
    return -1;
}

// Reads the header and the set-up: what must be there before anything is played.
bool beginStream(bool checkData) {
    if (!s.stream->readHeader()) {
        s.error = s.readError.empty() ? s.stream->error() : s.readError;
        return false;
    }
    Recording::Stream::Next first = s.stream->next();
    if (first != Recording::Stream::SET_UP) {
        s.error = !s.readError.empty() ? s.readError
                  : first == Recording::Stream::BAD
                      ? s.stream->error()
                      : "the recording ends before the level was set up";
        return false;
    }
    const Recording::Header& header = s.stream->header();
    if (checkData && header.dataChecksum != Replay::dataChecksum()) {
        char line[160];
        std::snprintf(line, sizeof(line),
                      "recorded with other data files (checksum %016llx, these are %016llx)",
                      static_cast<unsigned long long>(header.dataChecksum),
                      static_cast<unsigned long long>(Replay::dataChecksum()));
        s.error = line;
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
        seed = s.stream->header().seed;
        std::memset(s.keys, 0, sizeof(s.keys));
        loadChunk();
        s.inLevel = true;
    }
    srand(seed);
}

bool Replay::beginPass(Level1* level) {
    currentLevel = level;
    if (s.mode == RECORDING && s.inLevel && !s.setUpWritten) {
        flushChunk('S');
        s.setUpWritten = true;
        putInPlace();
    }
    if (s.mode != REPLAYING || !s.inLevel) {
        return true;
    }
    Recording::Stream::Next next = s.stream->next();
    if (next != Recording::Stream::PASS || !s.readError.empty()) {
        readEnd(next);
        endPlayback(level, !s.complete && !s.damaged);
        return false;
    }
    loadChunk();
    return true;
}

void Replay::endPass(Level1* level) {
    currentLevel = level;
    if (s.mode == RECORDING && s.inLevel) {
        flushChunk('P');
        s.passesWritten++;
        // The closing record counts passes in 32 bits: a game longer than that (weeks
        // uncapped) keeps the passes it can count and closes there.
        if (level->quit || s.passesWritten == UINT_MAX) {
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
        if (quitSignal) {
            s.viewerQuit = true;
        }
        if (!s.viewerQuit) {
            // The recorded game may go on: read to its end for the checksums it closed with.
            Recording::Stream::Next next;
            do {
                next = s.stream->next();
            } while (next == Recording::Stream::PASS && s.readError.empty());
            readEnd(next);
        }
        endPlayback(level, false);
    }
}

bool Replay::startRecording(const std::string& path, Timer::Clock clock) {
    stop();
    s.path = path;
    // A link is followed, so the recording replaces the file it points to, not the link.
    struct stat info;
    bool exists = stat(path.c_str(), &info) == 0;
    if (exists && notAFile(info.st_mode) != nullptr) {
        s.error = path + ": cannot record into it: " + notAFile(info.st_mode);
        return false;
    }
    if (exists) {
        char* real = realpath(path.c_str(), nullptr);
        if (real != nullptr) {
            s.path = real;
            free(real);
        }
    }
    std::vector<char> name(s.path.begin(), s.path.end());
    const char suffix[] = ".part-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof(suffix));
    int fd = mkstemp(name.data());
    if (fd < 0) {
        s.error = path + ": cannot create the recording (" + std::strerror(errno) + ")";
        s.path = path;
        return false;
    }
    s.temporary = name.data();
    // mkstemp makes it private; the recording gets the mode the old one had, or a new file's.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, exists ? (info.st_mode & 07777) : (0666 & ~mask));
    s.out = fdopen(fd, "wb");
    if (s.out == nullptr) {
        close(fd);
    }
    Recording::Header header;
    header.gameVersion = gameVersion();
    header.dataChecksum = dataChecksum();
    header.seed = LEVEL_SEED;
    Recording::encodeHeader(header, &s.buffer);
    if (s.out == nullptr ||
        std::fwrite(s.buffer.data(), 1, s.buffer.size(), s.out) != s.buffer.size() ||
        std::fflush(s.out) != 0) {
        s.error = path + ": cannot write the recording (" + std::strerror(errno) + ")";
        dropTemporary();
        s.path = path;
        return false;
    }
    s.buffer.clear();
    s.path = path;
    s.mode = RECORDING;
    s.underlying = clock;
    Timer::setOverlay(recordingClock);
    return true;
}

bool Replay::startReplay(const std::vector<Uint8>& bytes, bool checkData, Timer::Clock clock) {
    stop();
    s.bytes = bytes;
    s.stream.reset(new Recording::Stream(readMemory));
    if (!beginStream(checkData)) {
        stop(); // keeps the error
        return false;
    }
    s.mode = REPLAYING;
    s.underlying = clock;
    Timer::setOverlay(replayClock);
    return true;
}

bool Replay::startReplayFile(const std::string& path, bool checkData, Timer::Clock clock) {
    stop();
    s.in = openRecording(path, &s.error);
    if (s.in < 0) {
        return false;
    }
    s.path = path;
    s.stream.reset(new Recording::Stream(readOpenFile));
    if (!beginStream(checkData)) {
        stop();
        return false;
    }
    s.mode = REPLAYING;
    s.underlying = clock;
    Timer::setOverlay(replayClock);
    return true;
}

void Replay::stop() {
    dropTemporary();
    if (s.in >= 0) {
        close(s.in);
    }
    if (s.mode != OFF) {
        Timer::setOverlay(nullptr);
    }
    std::string error = s.error;
    s = State();
    s.error = error;
    currentLevel = nullptr;
}

const std::string& Replay::error() { return s.error; }
bool Replay::replayEnded() { return s.ended; }
bool Replay::replayCutShort() { return s.cutShort; }
size_t Replay::passesPlayed() { return s.played; }
Uint64 Replay::finalStateChecksum() { return s.finalState; }
Uint64 Replay::finalFrameChecksum() { return s.finalFrame; }
Uint64 Replay::recordedStateChecksum() { return s.complete ? s.recordedState : 0; }
Uint64 Replay::recordedFrameChecksum() { return s.complete ? s.recordedFrame : 0; }

int Replay::fromCommandLine(int argc, char** argv) {
    const char* record = nullptr;
    const char* replay = nullptr;
    bool headless = false, frames = false;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if ((arg == "--record" || arg == "--replay") && i + 1 < argc) {
            (arg == "--record" ? record : replay) = argv[++i];
        } else if (arg == "--headless") {
            headless = true;
        } else if (arg == "--frames") {
            frames = true;
        }
    }
    if (record != nullptr && !startRecording(record, nullptr)) {
        std::fprintf(stderr, "deadacre: %s\n", s.error.c_str());
        return 2;
    }
    if (replay != nullptr) {
        if (!startReplayFile(replay, true, nullptr)) {
            std::fprintf(stderr, "deadacre: %s: %s\n", replay, s.error.c_str());
            return 2;
        }
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
        if (s.complete) {
            printHex("recorded state", s.recordedState);
            printHex("recorded frame", s.recordedFrame);
        }
        std::printf("passes %zu\n", s.played);
        std::fflush(stdout);
        if (s.damaged) {
            std::fprintf(stderr, "deadacre: %s: the recording is damaged after pass %zu: %s\n",
                         s.path.c_str(), s.played,
                         s.readError.empty() ? s.stream->error().c_str() : s.readError.c_str());
            status = 2;
        } else if (s.cutShort) {
            std::fprintf(stderr,
                         "deadacre: %s: the recording is cut short: it ends after pass %zu\n",
                         s.path.c_str(), s.played);
            status = 2;
        } else if (s.viewerQuit) {
            std::fprintf(stderr, "deadacre: %s: the playback was stopped after pass %zu\n",
                         s.path.c_str(), s.played);
        } else if (s.complete && s.finalState != s.recordedState) {
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
