#include "Playback.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "Checksum.h"
#include "DataFile.h"
#include "QuitSignal.h"
#include "VideoMode.h"

namespace {

Playback* playing = nullptr; // the one active

// A playback shown on the screen skips showing passes while it runs this far behind its recorded
// pace (a slow flip), but still shows one at least this often.
const Uint32 BEHIND_MS = 20;
const Uint32 SHOW_EVERY_MS = 50;
// A long pause in a recorded game is shown as a second.
const Uint32 LONGEST_WAIT_MS = 1000;

void printHex(const char* label, Uint64 v) {
    std::printf("%s %016llx\n", label, static_cast<unsigned long long>(v));
}

} // namespace

Playback::Playback()
    : in(-1), underlying(nullptr), inLevel(false), levelDone(false), onScreen(false),
      everyPass(false), complete(false), damaged(false), ended_(false), cutShort_(false),
      viewerQuit(false), quitHandedOver(false), recordedState_(0), recordedFrame_(0),
      finalState_(0), finalFrame_(0), played(0), clockRun(0), nextEvent(0), nextMouse(0),
      clockUsed(0), lastClock(0), lastMouse{0, 0, 0}, keys(), paceStarted(false), behind(false),
      firstRecorded(0), startedReal(0), lastShownReal(0) {}

Playback::~Playback() { stop(); }

Playback* Playback::active() { return playing; }

void Playback::show(bool shown, bool printEveryPass) {
    onScreen = shown;
    everyPass = printEveryPass;
}

// Serves the recorded readings in order; a game that asks more often than the recorded one did
// (it has changed since) keeps getting the last reading, and its checksums will tell.
Uint32 Playback::readClock() {
    Playback* p = playing;
    if (!p->inLevel) {
        return p->underlying ? p->underlying() : Timer::source();
    }
    if (p->clockRun < p->pass.clock.size()) {
        const RecordedPass::ClockRun& run = p->pass.clock[p->clockRun];
        p->lastClock = run.value;
        if (++p->clockUsed >= run.count) {
            p->clockRun++;
            p->clockUsed = 0;
        }
    }
    return p->lastClock;
}

bool Playback::start(const std::string& file, bool checkData, Timer::Clock clock) {
    int error = 0;
    in = DataFile::open(file, &error_, &error);
    if (in < 0) {
        if (error != 0) {
            error_ = "cannot open it (" + error_ + ")";
        }
        return false;
    }
    path = file;
    return start(
        [this](Uint8* to, size_t n) {
            long got = DataFile::readSome(in, to, n, &readError);
            if (got < 0) {
                readError = "cannot read it (" + readError + ")";
            }
            return got > 0 ? static_cast<size_t>(got) : 0;
        },
        checkData, clock);
}

bool Playback::start(Recording::Stream::Source source, bool checkData, Timer::Clock clock) {
    if (playing != nullptr) {
        playing->stop();
    }
    stream.reset(new Recording::Stream(std::move(source)));
    underlying = clock;
    return begin(checkData);
}

// Reads the header and the set-up: what must be there before anything is played.
bool Playback::begin(bool checkData) {
    if (!stream->readHeader()) {
        error_ = readError.empty() ? stream->error() : readError;
        return false;
    }
    Recording::Stream::Next first = stream->next();
    if (first != Recording::Stream::SET_UP) {
        error_ = !readError.empty() ? readError
                 : first == Recording::Stream::BAD
                     ? stream->error()
                     : "the recording ends before the level was set up";
        return false;
    }
    const Recording::Header& header = stream->header();
    if (checkData && header.dataChecksum != Checksum::dataFiles()) {
        char line[160];
        std::snprintf(line, sizeof(line),
                      "recorded with other data files (checksum %016llx, these are %016llx)",
                      static_cast<unsigned long long>(header.dataChecksum),
                      static_cast<unsigned long long>(Checksum::dataFiles()));
        error_ = line;
        return false;
    }
    playing = this;
    Timer::setOverlay(readClock);
    Input::setSource(this);
    return true;
}

void Playback::stop() {
    if (playing == this) {
        Timer::setOverlay(nullptr);
        Input::setSource(nullptr);
        playing = nullptr;
    }
    if (in >= 0) {
        close(in);
        in = -1;
    }
}

// The chunk the stream has just read becomes the one the level reads.
void Playback::loadChunk() {
    if (!stream->repeated()) {
        pass = stream->pass();
    }
    clockRun = 0;
    clockUsed = 0;
    nextEvent = 0;
    nextMouse = 0;
    for (const RecordedPass::KeyChange& k : pass.keys) {
        keys[k.key] = k.down;
    }
}

// After the last pass played: whether the file closes here, and with which checksums.
void Playback::readEnd(Recording::Stream::Next next) {
    if (next == Recording::Stream::END) {
        complete = true;
        recordedState_ = stream->finalState();
        recordedFrame_ = stream->finalFrame();
    } else if (next == Recording::Stream::BAD || !readError.empty()) {
        damaged = true;
    }
}

void Playback::endPlayback(bool cut) {
    inLevel = false;
    levelDone = true;
    ended_ = true;
    cutShort_ = cut;
    finalState_ = levelState();
    finalFrame_ = Checksum::frame(screen);
}

void Playback::beginLevel(const std::function<Uint64()>& stateChecksum, SDL_Surface* screen) {
    levelState = stateChecksum;
    this->screen = screen;
    if (levelDone) {
        return;
    }
    std::memset(keys, 0, sizeof(keys)); // nothing held yet
    loadChunk();
    inLevel = true;
}

bool Playback::beginPass() {
    if (!inLevel) {
        return true;
    }
    Recording::Stream::Next next = stream->next();
    if (next != Recording::Stream::PASS || !readError.empty()) {
        readEnd(next);
        endPlayback(!complete && !damaged);
        return false;
    }
    loadChunk();
    return true;
}

void Playback::endPass(bool levelQuit) {
    if (!inLevel) {
        return;
    }
    played++;
    if (everyPass) {
        std::printf("pass %zu frame %016llx state %016llx\n", played,
                    static_cast<unsigned long long>(Checksum::frame(screen)),
                    static_cast<unsigned long long>(levelState()));
    }
    if (!levelQuit) {
        return;
    }
    if (QuitSignal::arrived()) {
        viewerQuit = true;
    }
    if (!viewerQuit) {
        // The recorded game may go on: read to its end for the checksums it closed with.
        Recording::Stream::Next next;
        do {
            next = stream->next();
        } while (next == Recording::Stream::PASS && readError.empty());
        readEnd(next);
    }
    endPlayback(false);
}

// The viewer may only stop the playback: the window closed, Escape or the right button.
void Playback::watchViewer() {
    SDL_Event real;
    while (VideoMode::pollEvent(&real)) {
        if (real.type == SDL_QUIT ||
            (real.type == SDL_KEYDOWN && real.key.keysym.sym == SDLK_ESCAPE) ||
            (real.type == SDL_MOUSEBUTTONDOWN && real.button.button == SDL_BUTTON_RIGHT)) {
            viewerQuit = true;
        }
    }
}

// Outside the recorded level the events and the pointer are SDL's again.
int Playback::pollEvent(SDL_Event* event) {
    if (!inLevel) {
        return VideoMode::pollEvent(event);
    }
    if (onScreen && !viewerQuit) {
        watchViewer();
    }
    if (viewerQuit && !quitHandedOver) {
        quitHandedOver = true;
        std::memset(event, 0, sizeof(*event));
        event->type = SDL_QUIT;
        return 1;
    }
    if (nextEvent < pass.events.size()) {
        *event = pass.events[nextEvent++];
        return 1;
    }
    return 0;
}

Uint8 Playback::mouseState(int* x, int* y) {
    if (!inLevel) {
        return SDL_GetMouseState(x, y);
    }
    if (nextMouse < pass.mouse.size()) {
        lastMouse = pass.mouse[nextMouse++];
    }
    *x = lastMouse.x;
    *y = lastMouse.y;
    return lastMouse.buttons;
}

bool Playback::pacePass(Uint32 passTime) {
    if (!onScreen) {
        return true; // as fast as it goes, every frame painted for its checksum
    }
    Uint32 now = Timer::source();
    if (!paceStarted) {
        paceStarted = true;
        firstRecorded = passTime;
        startedReal = now;
        lastShownReal = now;
    } else {
        // Shown at the pace it was played: wait until as much time has passed as had then.
        Uint32 due = passTime - firstRecorded;
        Uint32 spent = now - startedReal;
        behind = false;
        if (due > spent) {
            Uint32 wait = due - spent;
            if (wait > LONGEST_WAIT_MS) {
                startedReal -= wait - LONGEST_WAIT_MS;
                wait = LONGEST_WAIT_MS;
            }
            FrameClock::sleep(wait);
        } else {
            behind = spent - due > BEHIND_MS;
        }
        now = Timer::source();
    }
    if (behind && now - lastShownReal < SHOW_EVERY_MS) {
        return false;
    }
    lastShownReal = now;
    return true;
}

int Playback::report(int gameStatus) {
    if (gameStatus != 0) {
        return gameStatus;
    }
    printHex("final state", finalState_);
    printHex("last frame", finalFrame_);
    if (complete) {
        printHex("recorded state", recordedState_);
        printHex("recorded frame", recordedFrame_);
    }
    std::printf("passes %zu\n", played);
    std::fflush(stdout);
    const char* name = path.c_str();
    if (damaged) {
        std::fprintf(stderr, "deadacre: %s: the recording is damaged after pass %zu: %s\n", name,
                     played, readError.empty() ? stream->error().c_str() : readError.c_str());
        return 2;
    }
    if (cutShort_) {
        std::fprintf(stderr, "deadacre: %s: the recording is cut short: it ends after pass %zu\n",
                     name, played);
        return 2;
    }
    if (viewerQuit) {
        std::fprintf(stderr, "deadacre: %s: the playback was stopped after pass %zu\n", name,
                     played);
    } else if (complete && finalState_ != recordedState_) {
        // Only the game's state counts here: the last frame may differ in a few blended pixels
        // when the recording was made on the other SDL 1.2 runtime.
        std::fprintf(stderr,
                     "deadacre: %s: warning: this playback ends differently from the recorded "
                     "game (the game changed since it was recorded)\n",
                     name);
    }
    return 0;
}
