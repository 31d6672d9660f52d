#include "Recorder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "Checksum.h"
#include "CommandLine.h"
#include "DataFile.h"

namespace {
Recorder* recording = nullptr; // the one active
}

Recorder::Recorder()
    : out(nullptr), inPlace(false), inLevel(false), levelDone(false), setUpWritten(false),
      lastWasPass(false), underlying(nullptr), shadowKeys(), passesWritten(0) {}

Recorder::~Recorder() { stop(); }

Recorder* Recorder::active() { return recording; }

Uint32 Recorder::readClock() {
    Recorder* r = recording;
    Uint32 now = r->underlying ? r->underlying() : Timer::source();
    if (r->inLevel) {
        std::vector<Recording::Pass::ClockRun>& runs = r->pass.clock;
        if (!runs.empty() && runs.back().value == now && runs.back().count < 0xffffffffu) {
            runs.back().count++;
        } else {
            runs.push_back({now, 1});
        }
    }
    return now;
}

void Recorder::heardEvent(const SDL_Event& event) {
    if (inLevel && Input::isGameEvent(event)) {
        pass.events.push_back(event);
    }
}

void Recorder::heardMouse(int x, int y, Uint8 buttons) {
    if (inLevel) {
        // SDL keeps the pointer on the screen; the clamp only keeps the file valid if not.
        int cx = std::min(std::max(x, 0), RecordedPass::SCREEN_W - 1);
        int cy = std::min(std::max(y, 0), RecordedPass::SCREEN_H - 1);
        pass.mouse.push_back({static_cast<Uint16>(cx), static_cast<Uint16>(cy), buttons});
    }
}

// The temporary file goes, and whatever was at the path before stays.
void Recorder::dropTemporary() {
    if (out != nullptr) {
        std::fclose(out);
        out = nullptr;
    }
    if (!inPlace && !temporary.empty()) {
        unlink(temporary.c_str());
    }
    temporary.clear();
}

void Recorder::writeBuffer() {
    if (out == nullptr || buffer.empty()) {
        buffer.clear();
        return;
    }
    // Flushed every pass, so a game that is killed loses at most the pass it was in.
    if (std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size() ||
        std::fflush(out) != 0) {
        int why = errno;
        if (inPlace) {
            std::fprintf(stderr,
                         "deadacre: %s: cannot write the recording (%s); it keeps the %u passes "
                         "before\n",
                         path.c_str(), std::strerror(why), passesWritten);
            std::fclose(out);
            out = nullptr;
        } else {
            std::fprintf(stderr,
                         "deadacre: %s: cannot write the recording (%s); the game is not "
                         "recorded\n",
                         path.c_str(), std::strerror(why));
            dropTemporary();
        }
    }
    buffer.clear();
}

// The level has started: the new recording takes the old one's place, written out first so that
// a crash cannot leave an empty file where a recording was.
void Recorder::putInPlace() {
    if (out == nullptr || inPlace) {
        return;
    }
    if (fsync(fileno(out)) != 0 || rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr,
                     "deadacre: %s: cannot put the recording in place (%s); it is recorded in "
                     "%s\n",
                     path.c_str(), std::strerror(errno), temporary.c_str());
        path = temporary;
    }
    inPlace = true;
    temporary.clear();
}

void Recorder::flushChunk(char tag) {
    const Uint8* live = Input::keyState();
    if (std::memcmp(live, shadowKeys, SDLK_LAST) != 0) {
        for (int k = 0; k < SDLK_LAST; k++) {
            if ((live[k] != 0) != (shadowKeys[k] != 0)) {
                shadowKeys[k] = live[k] ? 1 : 0;
                pass.keys.push_back({static_cast<Uint16>(k), shadowKeys[k]});
            }
        }
    }
    payload.clear();
    pass.encode(&payload);
    if (tag == 'P' && lastWasPass && payload == lastPayload) {
        Recording::encodeRepeat(&buffer);
    } else {
        Recording::encodeChunk(tag, payload, &buffer);
        payload.swap(lastPayload);
    }
    lastWasPass = tag == 'P';
    pass.clear();
    writeBuffer();
}

void Recorder::beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen) {
    levelState = stateChecksum;
    this->screen = screen;
    if (!levelDone && out != nullptr) {
        inLevel = true;
        pass.clear();
    }
}

void Recorder::beginPass() {
    if (inLevel && !setUpWritten) {
        flushChunk('S');
        setUpWritten = true;
        putInPlace();
    }
}

void Recorder::endPass(bool levelQuit) {
    if (!inLevel) {
        return;
    }
    flushChunk('P');
    passesWritten++;
    // The closing record counts passes in 32 bits: a game longer than that (weeks uncapped)
    // keeps the passes it can count and closes there.
    if (levelQuit || passesWritten == UINT_MAX) {
        inLevel = false;
        levelDone = true;
        Recording::encodeEnd(passesWritten, levelState(), Checksum::frame(screen), &buffer);
        writeBuffer();
    }
}

bool Recorder::start(const std::string& target, Timer::Clock clock) {
    if (recording != nullptr) {
        recording->stop();
    }
    path = target;
    // A link is followed, so the recording replaces the file it points to, not the link.
    struct stat info;
    bool exists = stat(target.c_str(), &info) == 0;
    if (exists && DataFile::notAFile(info.st_mode) != nullptr) {
        error_ = target + ": cannot record into it: " + DataFile::notAFile(info.st_mode);
        return false;
    }
    if (exists) {
        char* real = realpath(target.c_str(), nullptr);
        if (real != nullptr) {
            path = real;
            free(real);
        }
    }
    std::vector<char> name(path.begin(), path.end());
    const char suffix[] = ".part-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof(suffix));
    path = target;
    int fd = mkstemp(name.data());
    if (fd < 0) {
        error_ = target + ": cannot create the recording (" + std::strerror(errno) + ")";
        return false;
    }
    temporary = name.data();
    // mkstemp makes it private; the recording gets the mode the old one had, or a new file's.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, exists ? (info.st_mode & 07777) : (0666 & ~mask));
    out = fdopen(fd, "wb");
    if (out == nullptr) {
        close(fd);
    }
    Recording::Header header;
    header.gameVersion = CommandLine::version();
    header.dataChecksum = Checksum::dataFiles();
    Recording::encodeHeader(header, &buffer);
    if (out == nullptr || std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size() ||
        std::fflush(out) != 0) {
        error_ = target + ": cannot write the recording (" + std::strerror(errno) + ")";
        dropTemporary();
        return false;
    }
    buffer.clear();
    underlying = clock;
    recording = this;
    Timer::setOverlay(readClock);
    Input::setListener(this);
    return true;
}

void Recorder::stop() {
    dropTemporary();
    if (recording == this) {
        Timer::setOverlay(nullptr);
        Input::setListener(nullptr);
        recording = nullptr;
    }
}
