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
#include <memory>

#include "Checksum.h"
#include "ImageLoader.h"
#include "Input.h"
#include "QuitSignal.h"
#include "Recording.h"

namespace {

enum Mode { OFF, RECORDING, REPLAYING };

// glibc's rand() starts as if seeded with 1; every level starts from there.
const Uint32 LEVEL_SEED = 1;

struct State {
    Mode mode = OFF;
    bool inLevel = false; // between the level's set-up and its last pass
    bool levelDone = false;
    std::function<Uint64()> levelState;
    SDL_Surface* screen = nullptr; // the level's, for the frame checksum
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
    Input::Played input;
    bool everyPass = false;
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

// Hears what the level reads while it is recorded.
struct Recorder : Input::Listener {
    void heardEvent(const SDL_Event& event) override {
        if (s.inLevel && Input::isGameEvent(event)) {
            s.current.events.push_back(event);
        }
    }
    void heardMouse(int x, int y, Uint8 buttons) override {
        if (s.inLevel) {
            // SDL keeps the pointer on the screen; the clamp only keeps the file valid if not.
            int cx = std::min(std::max(x, 0), Recording::SCREEN_W - 1);
            int cy = std::min(std::max(y, 0), Recording::SCREEN_H - 1);
            s.current.mouse.push_back({static_cast<Uint16>(cx), static_cast<Uint16>(cy), buttons});
        }
    }
};

Recorder recorder;

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
    const Uint8* live = Input::keyState();
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
    s.input.load(&s.pass);
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

void endPlayback(bool cutShort) {
    s.inLevel = false;
    s.input.endLevel();
    s.levelDone = true;
    s.ended = true;
    s.cutShort = cutShort;
    s.finalState = s.levelState();
    s.finalFrame = Checksum::frame(s.screen);
}

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
    if (checkData && header.dataChecksum != Checksum::dataFiles()) {
        char line[160];
        std::snprintf(line, sizeof(line),
                      "recorded with other data files (checksum %016llx, these are %016llx)",
                      static_cast<unsigned long long>(header.dataChecksum),
                      static_cast<unsigned long long>(Checksum::dataFiles()));
        s.error = line;
        return false;
    }
    return true;
}

} // namespace

bool Replay::playingBack() { return s.mode == REPLAYING; }

bool Replay::playbackShown() { return s.mode == REPLAYING && s.input.onScreen; }

void Replay::beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen) {
    Uint32 seed = LEVEL_SEED;
    s.levelState = stateChecksum;
    s.screen = screen;
    if (s.mode == RECORDING && !s.levelDone && s.out != nullptr) {
        s.inLevel = true;
        s.current.clear();
    } else if (s.mode == REPLAYING && !s.levelDone) {
        seed = s.stream->header().seed;
        s.input.startLevel();
        loadChunk();
        s.inLevel = true;
    }
    srand(seed);
}

bool Replay::beginPass() {
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
        endPlayback(!s.complete && !s.damaged);
        return false;
    }
    loadChunk();
    return true;
}

void Replay::endPass(bool levelQuit) {
    if (s.mode == RECORDING && s.inLevel) {
        flushChunk('P');
        s.passesWritten++;
        // The closing record counts passes in 32 bits: a game longer than that (weeks
        // uncapped) keeps the passes it can count and closes there.
        if (levelQuit || s.passesWritten == UINT_MAX) {
            s.inLevel = false;
            s.levelDone = true;
            Recording::encodeEnd(s.passesWritten, s.levelState(), Checksum::frame(s.screen),
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
                    static_cast<unsigned long long>(Checksum::frame(s.screen)),
                    static_cast<unsigned long long>(s.levelState()));
    }
    if (levelQuit) {
        if (QuitSignal::arrived()) {
            s.input.viewerQuit = true;
        }
        if (!s.input.viewerQuit) {
            // The recorded game may go on: read to its end for the checksums it closed with.
            Recording::Stream::Next next;
            do {
                next = s.stream->next();
            } while (next == Recording::Stream::PASS && s.readError.empty());
            readEnd(next);
        }
        endPlayback(false);
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
    header.gameVersion = CommandLine::version();
    header.dataChecksum = Checksum::dataFiles();
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
    Input::setListener(&recorder);
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
    Input::setSource(&s.input);
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
    Input::setSource(&s.input);
    return true;
}

void Replay::stop() {
    dropTemporary();
    if (s.in >= 0) {
        close(s.in);
    }
    if (s.mode != OFF) {
        Timer::setOverlay(nullptr);
        Input::setSource(nullptr);
        Input::setListener(nullptr);
    }
    std::string error = s.error;
    s = State();
    s.error = error;
}

const std::string& Replay::error() { return s.error; }
bool Replay::replayEnded() { return s.ended; }
bool Replay::replayCutShort() { return s.cutShort; }
size_t Replay::passesPlayed() { return s.played; }
Uint64 Replay::finalStateChecksum() { return s.finalState; }
Uint64 Replay::finalFrameChecksum() { return s.finalFrame; }
Uint64 Replay::recordedStateChecksum() { return s.complete ? s.recordedState : 0; }
Uint64 Replay::recordedFrameChecksum() { return s.complete ? s.recordedFrame : 0; }

int Replay::start(const CommandLine& options) {
    if (!options.record.empty() && !startRecording(options.record, nullptr)) {
        std::fprintf(stderr, "deadacre: %s\n", s.error.c_str());
        return 2;
    }
    if (!options.replay.empty()) {
        if (!startReplayFile(options.replay, true, nullptr)) {
            std::fprintf(stderr, "deadacre: %s: %s\n", options.replay.c_str(), s.error.c_str());
            return 2;
        }
        s.input.onScreen = !options.headless;
        s.everyPass = options.frames;
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
        } else if (s.input.viewerQuit) {
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
