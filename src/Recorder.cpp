#include "Recorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "Checksum.h"
#include "CommandLine.h"
#include "DataFile.h"

namespace {

Recorder* recording = nullptr; // the one active

// The file a recording named `name` is written to: name itself or, where name is a symbolic
// link, the file it names, followed link by link as open() would, whether it exists or not: the
// link stays a link to the new recording.
bool followLinks(std::string name, std::string* file, std::string* why) {
    for (int hops = 0; hops < 40; hops++) {
        struct stat info;
        if (lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            *file = name;
            return true;
        }
        std::vector<char> to(PATH_MAX);
        ssize_t length = readlink(name.c_str(), to.data(), to.size());
        if (length < 0 || static_cast<size_t>(length) >= to.size()) {
            *why = length < 0 ? std::strerror(errno) : "its link is too long";
            return false;
        }
        std::string next(to.data(), static_cast<size_t>(length));
        size_t slash = name.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) {
            next = name.substr(0, slash + 1) + next;
        }
        name = next;
    }
    *why = std::strerror(ELOOP);
    return false;
}

} // namespace

Recorder::Recorder()
    : mode(0), out(nullptr), inPlace(false), inLevel(false), levelDone(false), setUpWritten(false),
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

// Input has brought the event within what a recording holds (Input::conform).
void Recorder::heardEvent(const SDL_Event& event) {
    if (inLevel && Input::isGameEvent(event)) {
        pass.events.push_back(event);
    }
}

void Recorder::heardMouse(int x, int y, Uint8 buttons) {
    if (inLevel) {
        pass.mouse.push_back({static_cast<Uint16>(x), static_cast<Uint16>(y), buttons});
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

// The level has begun: the recording is made in the folder of the file it replaces (so that the
// rename cannot cross file systems), written out and renamed over it at once, so that a crash
// cannot leave an empty file where a recording was. Where the file system allows, it has no name
// until it is whole (O_TMPFILE), so a game killed meanwhile leaves nothing behind; elsewhere it
// is a named temporary file. False when the game is not recorded.
bool Recorder::create() {
    size_t slash = file.rfind('/');
    std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    std::vector<char> name(file.begin(), file.end());
    const char suffix[] = ".part-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof(suffix));
    int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && (fd = mkstemp(name.data())) >= 0) {
        temporary = name.data();
    }
    out = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (out == nullptr) {
        std::fprintf(stderr,
                     "deadacre: %s: cannot create the recording (%s); the game is not "
                     "recorded\n",
                     path.c_str(), std::strerror(errno));
        if (fd >= 0) {
            close(fd);
        }
        dropTemporary();
        return false;
    }
    fchmod(fd, mode); // private until now
    buffer.insert(buffer.begin(), header.begin(), header.end());
    writeBuffer();
    if (out == nullptr) {
        return false; // said so
    }
    int failed = fsync(fd) == 0 ? 0 : errno;
    for (int tries = 0; failed == 0 && temporary.empty() && tries < 100; tries++) {
        std::string name = file + ".part-" + std::to_string(getpid()) + "-" + std::to_string(tries);
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        if (linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0 ||
            linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary = name;
        } else if (errno != EEXIST) {
            failed = errno;
        }
    }
    if (failed == 0 && rename(temporary.c_str(), file.c_str()) != 0) {
        failed = errno;
    }
    if (failed != 0 && temporary.empty()) {
        std::fprintf(stderr,
                     "deadacre: %s: cannot put the recording in place (%s); the game is not "
                     "recorded\n",
                     path.c_str(), std::strerror(failed));
        dropTemporary();
        return false;
    }
    if (failed != 0) {
        std::fprintf(stderr,
                     "deadacre: %s: cannot put the recording in place (%s); it is recorded in "
                     "%s\n",
                     path.c_str(), std::strerror(failed), temporary.c_str());
        path = temporary;
    }
    inPlace = true;
    temporary.clear();
    return true;
}

void Recorder::flushChunk(char tag, bool write) {
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
    if (write) {
        writeBuffer();
    }
}

void Recorder::beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen) {
    levelState = stateChecksum;
    this->screen = screen;
    if (!levelDone && recording == this) {
        inLevel = true;
        pass.clear();
    }
}

void Recorder::beginPass() {
    if (inLevel && !setUpWritten) {
        setUpWritten = true;
        flushChunk('S', false);
        if (!create()) {
            inLevel = false;
            levelDone = true;
        }
    }
}

void Recorder::endPass(bool levelQuit) {
    if (!inLevel) {
        return;
    }
    flushChunk('P', true);
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
    // Whatever stops the recording is found here, before the game starts; the file itself is
    // made as the level begins, so a start that dies on the way leaves nothing behind.
    std::string why;
    if (!followLinks(target, &file, &why)) {
        error_ = target + ": cannot record into it (" + why + ")";
        return false;
    }
    struct stat info;
    bool exists = stat(file.c_str(), &info) == 0;
    if (exists && DataFile::notAFile(info.st_mode) != nullptr) {
        error_ = target + ": cannot record into it: " + DataFile::notAFile(info.st_mode);
        return false;
    }
    // Root may write over any file: its write bits say what the player meant.
    if (exists && ((info.st_mode & 0222) == 0 || access(file.c_str(), W_OK) != 0)) {
        error_ = target + ": cannot record into it: it is read-only";
        return false;
    }
    size_t slash = file.rfind('/');
    std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        error_ = target + ": cannot create the recording (" + std::strerror(errno) + ")";
        return false;
    }
    // The recording gets the mode the old one had, or a new file's.
    mode_t mask = umask(0);
    umask(mask);
    mode = exists ? (info.st_mode & 07777) : (0666 & ~mask);
    // Worked out now, so that the temporary file lives no longer than it takes to write.
    Recording::Header fields;
    fields.gameVersion = CommandLine::version();
    fields.dataChecksum = Checksum::dataFiles();
    Recording::encodeHeader(fields, &header);
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
