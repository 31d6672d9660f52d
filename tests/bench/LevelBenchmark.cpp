// Frame benchmark of the real level, in processor time of every thread of the process (and of the
// X server on X), against floors measured in the same run: the bare frame in plain SDL calls
// (clear, the map under the camera, flip) and the same bytes written with memset and memcpy, the
// cheapest way the game itself paints a view. Floor and scenario are measured in turns, so that a
// change of load on the machine touches both alike. The clock behind every Timer is stepped by a
// fixed amount per pass, so every run does the same work, except in flame-real, where it moves
// by what the pass before cost, as the uncapped game's clock does.
//
//   build/level_benchmark                       # the table, on SDL's dummy drivers
//   build/level_benchmark --x11                 # the same on a private Xvfb, X server included
//   build/level_benchmark --scenario flame --count 2000   # one scenario, untimed (callgrind)
//   build/level_benchmark --x11 --scenario walking,flame  # only these scenarios in the table
//   build/level_benchmark --memory              # flamethrower memory after 10k vs 100k passes
//   build/level_benchmark --plain               # the same table with the game's faster paths off
//   build/level_benchmark --record FILE         # the same table while every pass is recorded
//   build/level_benchmark --check-display       # Xvfb's screen against the surface, every pass
//   build/level_benchmark --x11 --paced 60      # the game's own loop on the real clock at --fps
//                                               # 60: share of a core, game and X server
//   build/level_benchmark --x11 --paced 60 --screen 1920x1080 --scale desktop
//                                               # the same shown scaled: desktop (full screen at
//                                               # the screen's size), fit or 1..8 (a window), or
//                                               # sdl2 (sdl12-compat's own scaling of a 1080x720
//                                               # full screen)
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "Backpack.h"
#include "Collision.h"
#include "FastDrawing.h"
#include "FastPaths.h"
#include "Fit.h"
#include "Flamethrower.h"
#include "FrameClock.h"
#include "Game.h"
#include "Glock.h"
#include "HUD.h"
#include "HealthPotion.h"
#include "Level1.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "PresentationPath.h"
#include "Recorder.h"
#include "Scaler.h"
#include "Screen.h"
#include "Timer.h"
#include "Uzi.h"
#include "support/TestSupport.h"

namespace {

using testsupport::FakeClock;
using testsupport::pushKeyDown;
using testsupport::pushMouseButton;
using testsupport::releaseAllKeys;

const Uint32 kStepMs = 1; // game time per pass: a nominal 1000 passes a second

// The pointer is moved only when it goes somewhere new: on X every warp is work for the server.
int pointerX = -1, pointerY = -1;

void warp(int x, int y) {
    if (x == pointerX && y == pointerY) {
        return;
    }
    pointerX = x;
    pointerY = y;
    testsupport::moveMouse(x, y);
}

// A scenario prepares a fresh level, then scripts input before each pass.
struct Scenario {
    std::string name;
    int warmup;
    std::function<void(Level1&)> prepare;
    std::function<void(Level1&, int)> beforePass;
    // The clock moves by the processor time the pass before took rather than by kStepMs: how
    // many particles a flame holds depends on how many passes fit in its lifetime.
    bool realPace = false;
};

// Moves the scripted clock before a pass. The game's clock counts whole milliseconds, so at the
// real pace the fractions are carried over.
void advanceClock(const Scenario& s, double lastPassMicros) {
    static double carriedMicros = 0;
    if (!s.realPace) {
        FakeClock::advance(kStepMs);
        return;
    }
    carriedMicros += lastPassMicros;
    Uint32 ms = static_cast<Uint32>(carriedMicros / 1000);
    FakeClock::advance(ms);
    carriedMicros -= ms * 1000.0;
}

void aimAtNearestZombie(Level1& level) {
    if (level.units.empty()) {
        warp(540, 200);
        return;
    }
    Unit* target = level.units.top();
    warp(std::max(0, std::min(1079, target->getXLocation() + 25)),
         std::max(0, std::min(719, target->getYLocation() + 25)));
}

std::vector<Scenario> scenarios() {
    std::vector<Scenario> list;
    list.push_back({"idle", 0, [](Level1&) { warp(540, 360); }, [](Level1&, int) {}});
    list.push_back({"walking", 0, [](Level1&) {},
                    [](Level1&, int pass) {
                        releaseAllKeys();
                        const SDLKey keys[4] = {SDLK_w, SDLK_a, SDLK_s, SDLK_d};
                        SDL_GetKeyState(NULL)[keys[(pass / 150) % 4]] = 1;
                        warp(100 + (pass * 7) % 880, 100 + (pass * 3) % 520);
                    }});
    list.push_back({"walk-still", 0, [](Level1&) { warp(700, 500); },
                    [](Level1&, int pass) {
                        releaseAllKeys();
                        const SDLKey keys[4] = {SDLK_w, SDLK_a, SDLK_s, SDLK_d};
                        SDL_GetKeyState(NULL)[keys[(pass / 150) % 4]] = 1;
                    }});
    list.push_back({"guns", 0,
                    [](Level1&) {
                        player->backpack->weapons[0] = new Glock();
                        player->backpack->weapons[1] = new Uzi();
                    },
                    [](Level1& level, int pass) {
                        aimAtNearestZombie(level);
                        bool pistol = (pass / 1000) % 2 == 0;
                        player->setWeapon(pistol ? 1 : 2);
                        if (player->getClipSize() == 0) {
                            pushKeyDown(SDLK_r);
                        }
                        if (pistol) {
                            pushMouseButton(SDL_BUTTON_LEFT, pass % 250 == 0);
                        } else if (!mouseDown) {
                            pushMouseButton(SDL_BUTTON_LEFT, true);
                        }
                    }});
    Scenario flame = {"flame", 3000,
                      [](Level1&) {
                          player->backpack->weapons[0] = new Flamethrower();
                          player->setWeapon(3);
                          warp(300, 200);
                          pushMouseButton(SDL_BUTTON_LEFT, true);
                      },
                      [](Level1&, int pass) {
                          // Sweep the flame slowly so it reaches the zombies now and then.
                          warp(250 + (pass / 4) % 300, 200);
                      }};
    list.push_back(flame);
    flame.name = "flame-real";
    flame.realPace = true;
    list.push_back(flame);
    list.push_back({"heavy-hud", 0,
                    [](Level1&) {
                        for (int i = 0; i < 24; i++) {
                            player->backpack->items.push(new HealthPotion(0, 0));
                        }
                        hud->toggleBackpack();
                        for (int i = 0; i < 3; i++) {
                            hud->drawText("Health Potion Added to Backpack", 420, 650, 1 << 30, 22,
                                          255, 50, 50);
                        }
                        player->modifyGold(10);
                        warp(700, 500);
                    },
                    [](Level1&, int) {}});
    return list;
}

long residentKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, strlen(field), field) == 0) {
            return atol(line.c_str() + strlen(field) + 1);
        }
    }
    return -1;
}

// The kernel folds the current size into its high-water mark only now and then, so a reading
// can be lower than an earlier one: the peak is the largest reading so far.
long peakSinceStartKb() {
    static long peak = 0;
    peak = std::max(peak, residentKb("VmHWM:"));
    return peak;
}

Level1* freshLevel() {
    Level1* level = testsupport::startLevel();
    pointerX = 540; // where startLevel puts it
    pointerY = 360;
    return level;
}

double clockMicros(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// The thread that runs the passes.
double threadMicros() { return clockMicros(CLOCK_THREAD_CPUTIME_ID); }

// Every thread of the process: sdl12-compat's renderer (Mesa's llvmpipe) and the audio mixer
// work in threads of their own, and a player pays for them too.
double processMicros() { return clockMicros(CLOCK_PROCESS_CPUTIME_ID); }

// The X server this run started, if any, and the processor time it has used so far.
pid_t xServer = 0;

double serverMicros() {
    if (xServer == 0) {
        return 0;
    }
    std::ifstream stat("/proc/" + std::to_string(xServer) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    // After the command name: state is field 3, utime and stime are fields 14
    // and 15.
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < text.size() && fields.size() < 13) {
        size_t space = text.find(' ', at);
        fields.push_back(text.substr(at, space - at));
        at = space == std::string::npos ? text.size() : space + 1;
    }
    if (fields.size() < 13) {
        return 0;
    }
    double ticks = atof(fields[11].c_str()) + atof(fields[12].c_str());
    return ticks * 1e6 / sysconf(_SC_CLK_TCK);
}

// Starts Xvfb on a free display of its own choosing and points SDL at it. With a folder, the
// server keeps its screen there as a memory-mapped XWD file.
std::string screenSize = "1080x720";

bool startXServer(const std::string& frameBufferDir) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, 2); // its complaints about displays in use while it picks one
        }
        std::string fd = std::to_string(pipeFds[1]);
        std::string screen = screenSize + "x24";
        std::vector<const char*> args = {"Xvfb",         "-displayfd", fd.c_str(), "-screen", "0",
                                         screen.c_str(), "-nolisten",  "tcp",      "-noreset"};
        if (!frameBufferDir.empty()) {
            args.push_back("-fbdir");
            args.push_back(frameBufferDir.c_str());
        }
        args.push_back(NULL);
        execvp("Xvfb", const_cast<char* const*>(args.data()));
        _exit(127);
    }
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return false;
    }
    xServer = pid;
    std::string display;
    char c;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n') {
        display += c;
    }
    close(pipeFds[0]);
    if (display.empty()) {
        return false;
    }
    setenv("DISPLAY", (":" + display).c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    return true;
}

void stopXServer() {
    if (xServer != 0) {
        kill(xServer, SIGTERM);
        waitpid(xServer, NULL, 0);
        xServer = 0;
    }
}

// The floors: whole frames that do no more than any frame must.
struct Floor {
    std::string name;
    std::function<void()> frame;
};

SDL_Surface* floorMap = NULL;
const SDL_Rect floorView = {200, 300, 1080, 720};

void sdlFrame() {
    // Plain SDL calls, so the yardstick does not move with the game's own faster
    // paths.
    SDL_Rect at = {0, 0, 0, 0};
    SDL_Rect view = floorView;
    SDL_FillRect(mainScreen, NULL, SDL_MapRGB(mainScreen->format, 0, 0, 0));
    SDL_UpperBlit(floorMap, &view, mainScreen, &at);
    SDL_Flip(mainScreen);
}

void libcFrame() {
    // The same bytes: black where the map does not reach, the map's rows where it
    // does.
    SDL_Rect view = floorView, area;
    int srcX, srcY;
    SDL_LockSurface(mainScreen);
    Uint8* pixels = static_cast<Uint8*>(mainScreen->pixels);
    int pitch = mainScreen->pitch, bpp = mainScreen->format->BytesPerPixel;
    if (!FastDrawing::blitArea(floorMap, &view, mainScreen, 0, 0, &area, &srcX, &srcY)) {
        area = {0, 0, 0, 0};
    }
    for (int y = 0; y < mainScreen->h; y++) {
        Uint8* row = pixels + y * pitch;
        if (y < area.y || y >= area.y + area.h) {
            memset(row, 0, static_cast<size_t>(mainScreen->w) * bpp);
            continue;
        }
        memset(row, 0, static_cast<size_t>(area.x) * bpp);
        memcpy(row + area.x * bpp,
               static_cast<Uint8*>(floorMap->pixels) + (srcY + y - area.y) * floorMap->pitch +
                   srcX * bpp,
               static_cast<size_t>(area.w) * bpp);
        memset(row + (area.x + area.w) * bpp, 0,
               static_cast<size_t>(mainScreen->w - area.x - area.w) * bpp);
    }
    SDL_UnlockSurface(mainScreen);
    PresentationPath::flip(mainScreen);
}

void flipFrame() { PresentationPath::flip(mainScreen); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double percentile99(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, v.size() * 99 / 100)];
}

// Processor time per pass over a stretch of passes: every thread of the process in the passes
// plus the X server, the thread that ran them (over the whole stretch, the scripting of input
// between passes included), and the X server alone.
struct Chunk {
    double totalMicros = 0;
    double threadMicros = 0;
    double serverMicros = 0;
};

// passTime times one pass and returns the whole process's time it took.
template <typename Pass> Chunk timeChunk(int passes, Pass passTime) {
    double server = serverMicros(), thread = threadMicros();
    double process = 0;
    for (int i = 0; i < passes; i++) {
        process += passTime(i);
    }
    Chunk c;
    c.serverMicros = (serverMicros() - server) / passes;
    c.threadMicros = (threadMicros() - thread) / passes;
    c.totalMicros = process / passes + c.serverMicros;
    return c;
}

struct Result {
    std::vector<Chunk> turns;                           // per repetition, per pass
    std::map<std::string, std::vector<double>> against; // floor / scenario per repetition
    std::vector<double> passMicros;                     // every timed pass (whole process)
    size_t liveProjectiles = 0;
    long peakKb = 0;
};

double medianOf(const std::vector<Chunk>& turns, double Chunk::*field) {
    std::vector<double> values;
    for (const Chunk& c : turns) {
        values.push_back(c.*field);
    }
    return median(values);
}

// Floors and the scenario in turns on one level. Painting a floor on the screen
// goes behind Screen's back, so the level is told and gets one untimed pass to
// paint its whole view.
Result runInterleaved(const Scenario& s, const std::vector<Floor>& floors, int passes,
                      int floorPasses, int reps,
                      std::map<std::string, std::vector<double>>* floorMicros) {
    Result r;
    Level1* level = freshLevel();
    s.prepare(*level);
    int pass = 0;
    double lastPass = 0;
    // Only the passes themselves are timed, not the scripting of input between them.
    auto step = [&](int) {
        advanceClock(s, lastPass);
        s.beforePass(*level, pass++);
        double before = processMicros();
        level->runPass();
        lastPass = processMicros() - before;
        return lastPass;
    };
    for (int i = 0; i < s.warmup + 200; i++) {
        step(i);
    }
    for (int rep = 0; rep < reps; rep++) {
        std::map<std::string, double> floorCost;
        for (const Floor& f : floors) {
            Chunk c = timeChunk(floorPasses, [&](int) {
                double before = processMicros();
                f.frame();
                return processMicros() - before;
            });
            floorCost[f.name] = c.totalMicros;
            (*floorMicros)[f.name].push_back(floorCost[f.name]);
        }
        Screen::invalidate();
        step(0);
        Chunk c = timeChunk(passes, [&](int i) {
            double spent = step(i);
            r.passMicros.push_back(spent);
            return spent;
        });
        r.turns.push_back(c);
        for (const Floor& f : floors) {
            r.against[f.name].push_back(floorCost[f.name] / c.totalMicros);
        }
    }
    r.liveProjectiles = particleEngine->projectiles.size();
    r.peakKb = peakSinceStartKb();
    testsupport::endLevel(level);
    return r;
}

void runUntimed(const Scenario& s, int passes) {
    Level1* level = freshLevel();
    s.prepare(*level);
    double lastPass = 0;
    for (int i = 0; i < s.warmup + passes; i++) {
        advanceClock(s, lastPass);
        s.beforePass(*level, i);
        double before = processMicros();
        level->runPass();
        lastPass = processMicros() - before;
    }
    testsupport::endLevel(level);
}

// The game's own loop (Level1::runFrame) on the real clock, with the frame limiter at fps, for
// seconds of each scenario: the processor time of every thread (and of the X server) as a share
// of the time that passed, the frames shown, how many of them were sent to the display whole and
// how many in part, and the pixels a frame sent on average. The scenario scripts each frame; the
// script's own time (warping the pointer waits for the X server's answer) is shown apart and not
// counted in the game's, as a player's hand costs the game nothing but the events it reads.
// On a loaded machine frames come late: the gaps of more than FrameClock::STALL_MS between two
// frames shown, the longest gap, and the game time that passed as a share of the real time, which
// falls below 100% where a stall is let go rather than made up.
void runPaced(const std::string& only, int fps, double seconds) {
    printf("the game's loop at --fps %d on the real clock, %.0f s per scenario\n", fps, seconds);
    printf("%-10s %8s %8s %8s %9s %7s %7s %10s %8s %6s %8s %7s\n", "scenario", "game %", "X %",
           "total %", "frames/s", "whole", "in part", "px/frame", "script %", "stalls", "worst ms",
           "pace %");
    Level1::chosenFPS = fps;
    for (const Scenario& s : scenarios()) {
        if ((only.empty() && s.realPace) ||
            (!only.empty() && ("," + only + ",").find("," + s.name + ",") == std::string::npos)) {
            continue;
        }
        Timer::setClock(nullptr);
        Level1* level = freshLevel();
        s.prepare(*level);
        const PresentationPath::Tally sent0 = PresentationPath::tally();
        double wall0 = clockMicros(CLOCK_MONOTONIC), game0 = processMicros();
        double server0 = serverMicros();
        int frames = 0, stalls = 0;
        double scripting = 0, lastShown = wall0, worstGap = 0, firstShown = 0;
        Uint32 gameAtFirst = 0;
        while (clockMicros(CLOCK_MONOTONIC) - wall0 < seconds * 1e6) {
            double before = clockMicros(CLOCK_THREAD_CPUTIME_ID);
            s.beforePass(*level, frames++);
            scripting += clockMicros(CLOCK_THREAD_CPUTIME_ID) - before;
            level->runFrame();
            double shown = clockMicros(CLOCK_MONOTONIC);
            if (frames == 1) {
                firstShown = shown;
                gameAtFirst = Timer::now();
            }
            stalls += shown - lastShown > FrameClock::STALL_MS * 1e3;
            worstGap = std::max(worstGap, shown - lastShown);
            lastShown = shown;
        }
        double pace = (Timer::now() - gameAtFirst) / ((lastShown - firstShown) / 1e3) * 100;
        double wall = clockMicros(CLOCK_MONOTONIC) - wall0;
        double game = (processMicros() - game0 - scripting) / wall * 100;
        double server = (serverMicros() - server0) / wall * 100;
        const PresentationPath::Tally& sent = PresentationPath::tally();
        long whole = sent.wholeFrames - sent0.wholeFrames;
        long inPart = sent.framesInPart - sent0.framesInPart;
        printf("%-10s %8.1f %8.1f %8.1f %9.1f %7ld %7ld %10.0f %8.1f %6d %8.0f %7.1f\n",
               s.name.c_str(), game, server, game + server, frames / (wall / 1e6), whole, inPart,
               static_cast<double>(sent.pixels - sent0.pixels) / std::max(1L, whole + inPart),
               scripting / wall * 100, stalls, worstGap / 1e3, pace);
        fflush(stdout);
        testsupport::endLevel(level);
        Timer::setClock(FakeClock::read);
    }
    Level1::chosenFPS = 6000;
}

// Plays every scenario on the X server and after every pass compares what the server shows (its
// screen file) with the game's own surface: what the partial updates leave out would show here.
int displayCheck(const std::string& frameBufferFile, int passes) {
    int fd = open(frameBufferFile.c_str(), O_RDONLY);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size < 100) {
        fprintf(stderr, "no screen file %s\n", frameBufferFile.c_str());
        return 1;
    }
    const Uint8* file = static_cast<const Uint8*>(
        mmap(NULL, static_cast<size_t>(info.st_size), PROT_READ, MAP_SHARED, fd, 0));
    close(fd);
    if (file == MAP_FAILED) {
        return 1;
    }
    // The XWD header's numbers are big-endian 32-bit words.
    auto word = [&](int index) {
        const Uint8* p = file + index * 4;
        return static_cast<Uint32>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    };
    Uint32 headerSize = word(0), bitsPerPixel = word(11), bytesPerLine = word(12);
    Uint32 width = word(4), height = word(5), colours = word(19);
    const Uint8* image = file + headerSize + colours * 12;
    if (bitsPerPixel != 32 || width != 1080 || height != 720 ||
        image + static_cast<size_t>(bytesPerLine) * height > file + info.st_size) {
        fprintf(stderr, "unexpected screen file: %u bpp, %u x %u\n", bitsPerPixel, width, height);
        return 1;
    }
    SDL_ShowCursor(SDL_DISABLE); // the server would draw its pointer into the picture
    auto shownAsPainted = [&]() {
        for (int y = 0; y < 720; y++) {
            const Uint32* shown = reinterpret_cast<const Uint32*>(image + y * bytesPerLine);
            const Uint32* painted = reinterpret_cast<const Uint32*>(
                static_cast<Uint8*>(mainScreen->pixels) + y * mainScreen->pitch);
            for (int x = 0; x < 1080; x++) {
                if ((shown[x] ^ painted[x]) & 0xffffff) {
                    return false;
                }
            }
        }
        return true;
    };
    int failures = 0;
    // Every pass shown, then the game's own frames at --fps 60: about seventeen passes a frame,
    // caught up a millisecond apart, of which only the last is painted and shown.
    for (bool framed : {false, true}) {
        printf("%s\n", framed ? "frames 16.7 ms apart, the last of each frame's passes shown:"
                              : "every pass shown:");
        for (const Scenario& s : scenarios()) {
            Level1* level = freshLevel();
            s.prepare(*level);
            int still = 0, differing = 0, firstDiffering = -1;
            SDL_Rect last = camera;
            double lastPass = 0;
            const int steps = framed ? s.warmup / 170 + passes / 2 : s.warmup / 10 + passes;
            const long inPart0 = PresentationPath::tally().framesInPart;
            for (int i = 0; i < steps; i++) {
                if (framed) {
                    FakeClock::advance(i % 3 == 2 ? 16 : 17);
                    s.beforePass(*level, i);
                    level->runFrame();
                } else {
                    advanceClock(s, lastPass);
                    s.beforePass(*level, i);
                    double before = processMicros();
                    level->runPass();
                    lastPass = processMicros() - before;
                }
                still += camera.x == last.x && camera.y == last.y;
                last = camera;
                if (!shownAsPainted() && differing++ == 0) {
                    firstDiffering = i;
                }
            }
            long inPart = PresentationPath::tally().framesInPart - inPart0;
            printf("%-10s %5d %s, %5d with the view still, %5ld sent in part, %d shown "
                   "differently%s\n",
                   s.name.c_str(), steps, framed ? "frames" : "passes", still, inPart, differing,
                   differing ? (" (first: " + std::to_string(firstDiffering) + ")").c_str() : "");
            failures += differing > 0;
            // A still view is sent in part, whatever passes went unshown before it; but for the
            // level's second frame: its first painted the map before placing the camera.
            if (inPart < still - 1) {
                printf("%-10s only %ld of %d frames with the view still sent in part\n",
                       s.name.c_str(), inPart, still);
                failures++;
            }
            testsupport::endLevel(level);
        }
    }
    munmap(const_cast<Uint8*>(file), static_cast<size_t>(info.st_size));
    return failures == 0 ? 0 : 1;
}

// The machine's memory speed, so that a reader can tell a faster game from a faster machine: the
// libc floor is mostly one screen's copy. Median of five rounds, processor time.
void printMemcpyBandwidth() {
    static volatile char copied = 0; // read back, so that no copy can be left out
    const size_t sizes[2] = {1080 * 720 * 4, 64 << 20};
    printf("memcpy, this machine:");
    for (size_t size : sizes) {
        std::vector<char> from(size, 1), to(size, 0);
        int copies = static_cast<int>(std::max<size_t>(1, (256u << 20) / size));
        std::vector<double> rates;
        for (int round = 0; round < 5; round++) {
            double before = processMicros();
            for (int i = 0; i < copies; i++) {
                from[i % size]++; // each copy differs from the one before
                memcpy(to.data(), from.data(), size);
            }
            rates.push_back(static_cast<double>(size) * copies / (processMicros() - before) / 1e3);
        }
        printf(" %.1f GB/s in %.1f MB blocks%s", median(rates), size / 1048576.0,
               size == sizes[0] ? " (one screen)," : "");
        copied = copied + to[size - 1];
    }
    printf("\n");
}

int memoryCheck() {
    Scenario flame;
    for (const Scenario& s : scenarios()) {
        if (s.name == "flame") {
            flame = s;
        }
    }
    Level1* level = freshLevel();
    flame.prepare(*level);
    long after10k = 0;
    for (int i = 1; i <= 100000; i++) {
        FakeClock::advance(kStepMs);
        flame.beforePass(*level, i);
        // Bursts: the button goes up for a moment every 2000 passes.
        if (i % 2000 == 0) {
            pushMouseButton(SDL_BUTTON_LEFT, false);
        } else if (i % 2000 == 100) {
            pushMouseButton(SDL_BUTTON_LEFT, true);
        }
        level->runPass();
        if (i == 10000) {
            after10k = residentKb("VmRSS:");
        }
    }
    long after100k = residentKb("VmRSS:");
    size_t live = particleEngine->projectiles.size();
    testsupport::endLevel(level);
    double growth = 100.0 * (after100k - after10k) / after10k;
    printf("flamethrower memory: %ld kB after 10,000 passes, %ld kB after 100,000 (%+.2f%%), "
           "%zu live particles at the end\n",
           after10k, after100k, growth, live);
    return growth <= 5.0 ? 0 : 1;
}

} // namespace

// Shows the game as a player who asked for a scale sees it: the level paints into the off-screen
// picture, which each frame shown is scaled into the real screen. False when that cannot be set.
bool showScaled(const std::string& how) {
    // The screen's size as the server was started with it: SDL tells the desktop's only before
    // the first mode, which the harness has set.
    int desktopW = 0, desktopH = 0, scale = Fit::FIT;
    if (sscanf(screenSize.c_str(), "%dx%d", &desktopW, &desktopH) != 2) {
        return false;
    }
    SDL_Surface* screen = NULL;
    if (how == "sdl2") {
        // sdl12-compat scales a full screen of the game's own size to the screen itself.
        screen = SDL_SetVideoMode(1080, 720, 32, SDL_FULLSCREEN);
        mainScreen = screen;
        return screen != NULL;
    }
    if (how == "desktop") {
        screen = SDL_SetVideoMode(desktopW, desktopH, 32, SDL_FULLSCREEN);
    } else if (Fit::readScale(how, &scale)) {
        Fit fit = Fit::window(scale, desktopW, desktopH);
        screen = SDL_SetVideoMode(fit.surfaceW, fit.surfaceH, 32, SDL_RESIZABLE);
    }
    if (screen == NULL) {
        return false;
    }
    Scaler::start(screen);
    mainScreen = Scaler::picture();
    printf("shown scaled on a %dx%d %s: the picture at %dx%d+%d+%d\n", screen->w, screen->h,
           screen->flags & SDL_FULLSCREEN ? "full screen" : "window", Scaler::fit().picture.w,
           Scaler::fit().picture.h, Scaler::fit().picture.x, Scaler::fit().picture.y);
    return true;
}

int main(int argc, char** argv) {
    std::string only, scaled;
    int count = 0;
    bool memory = false, x11 = false, checkDisplay = false;
    int passes = 0, reps = 7, paced = 0;
    const char* record = nullptr;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--scenario" && i + 1 < argc) {
            only = argv[++i];
        } else if (arg == "--count" && i + 1 < argc) {
            count = atoi(argv[++i]);
        } else if (arg == "--passes" && i + 1 < argc) {
            passes = atoi(argv[++i]);
        } else if (arg == "--reps" && i + 1 < argc) {
            reps = atoi(argv[++i]);
        } else if (arg == "--paced" && i + 1 < argc) {
            paced = atoi(argv[++i]);
        } else if (arg == "--memory") {
            memory = true;
        } else if (arg == "--x11") {
            x11 = true;
        } else if (arg == "--check-display") {
            checkDisplay = true;
        } else if (arg == "--plain") {
            FastPaths::enabled = false; // the straightforward paths, for comparison
        } else if (arg == "--record" && i + 1 < argc) {
            record = argv[++i]; // what recording a game costs
        } else if (arg == "--screen" && i + 1 < argc) {
            screenSize = argv[++i];
        } else if (arg == "--scale" && i + 1 < argc) {
            scaled = argv[++i];
        } else {
            fprintf(stderr,
                    "usage: %s [--x11] [--check-display] [--passes N] [--reps N] [--scenario "
                    "NAME[,NAME...] | --scenario NAME --count N] "
                    "[--memory] [--plain] [--record FILE] [--paced FPS [--screen WxH] "
                    "[--scale desktop|fit|N|sdl2]]\n",
                    argv[0]);
            return 2;
        }
    }
    // On X the server's time is read in clock ticks, so its stretches must be long.
    if (passes <= 0) {
        passes = checkDisplay ? 400 : x11 ? 2000 : 500;
    }
    testsupport::chooseDummyDrivers();
    // The presentation the game itself would choose, unless the environment names one.
    bool chosen = PresentationPath::choose();
    char screenDir[] = "/tmp/level-benchmark-XXXXXX";
    std::string frameBufferDir;
    if (checkDisplay) {
        x11 = true;
        if (mkdtemp(screenDir) == NULL) {
            return 1;
        }
        frameBufferDir = screenDir;
    }
    if (x11 && !startXServer(frameBufferDir)) {
        fprintf(stderr, "cannot start Xvfb\n");
        stopXServer();
        return 1;
    }
    std::string failed = testsupport::startSdl();
    if (!failed.empty()) {
        fprintf(stderr, "cannot start: %s\n", failed.c_str());
        stopXServer();
        return 1;
    }
    if (!scaled.empty() && (paced <= 0 || !showScaled(scaled))) {
        fprintf(stderr, "cannot show the level scaled (%s): --scale goes with --paced\n",
                paced <= 0 ? "not paced" : SDL_GetError());
        stopXServer();
        return 1;
    }
    // A player's cursor is the window manager's; SDL's own, drawn by the dummy driver into the
    // screen, would turn the faster repaint of a still view off.
    SDL_ShowCursor(SDL_DISABLE);
    const SDL_version* runtime = SDL_Linked_Version();
    printf("SDL runtime %d.%d.%d, presentation %s%s\n", runtime->major, runtime->minor,
           runtime->patch, PresentationPath::describe(mainScreen).c_str(),
           chosen ? " (the game's choice)" : "");
    srand(1);
    Recorder recorder;
    if (record != nullptr && !recorder.start(record, FakeClock::read)) {
        fprintf(stderr, "%s\n", recorder.error().c_str());
        return 1;
    }

    int status = 0;
    if (checkDisplay) {
        status = displayCheck(frameBufferDir + "/Xvfb_screen0", passes);
    } else if (memory) {
        status = memoryCheck();
    } else if (paced > 0) {
        runPaced(only, paced, 5);
    } else if (count > 0) {
        for (const Scenario& s : scenarios()) {
            if (s.name == only) {
                runUntimed(s, count);
            }
        }
    } else {
        floorMap = imageHandler->optimizeImage("images/level1Images/backgroundLevel.jpg");
        std::vector<Floor> floors;
        if (x11) {
            floors = {{"flip", flipFrame}, {"sdl", sdlFrame}, {"libc", libcFrame}};
        } else {
            floors = {{"sdl", sdlFrame}, {"libc", libcFrame}};
        }
        const char* cost = x11 ? "game+X us" : "cpu us";
        printf("%s, %d passes x %d turns per scenario, processor time of every thread%s\n",
               x11 ? "Xvfb" : "dummy driver", passes, reps, x11 ? " and of the X server" : "");
        printf("%-10s %9s %10s %9s", "scenario", cost, "passes/s", "thread us");
        if (x11) {
            printf(" %9s", "X us");
        }
        printf(" %9s", "p99 us");
        for (const Floor& f : floors) {
            printf(" %9s", (x11 && f.name == "flip" ? "/flip" : f.name + "/it").c_str());
        }
        printf(" %8s %9s\n", "peak MB", "live proj");
        std::map<std::string, std::vector<double>> floorMicros;
        for (const Scenario& s : scenarios()) {
            if (!only.empty() && ("," + only + ",").find("," + s.name + ",") == std::string::npos) {
                continue;
            }
            Result r =
                runInterleaved(s, floors, passes, std::max(50, passes / 4), reps, &floorMicros);
            double micros = medianOf(r.turns, &Chunk::totalMicros);
            printf("%-10s %9.1f %10.0f %9.1f", s.name.c_str(), micros, 1e6 / micros,
                   medianOf(r.turns, &Chunk::threadMicros));
            if (x11) {
                printf(" %9.1f", medianOf(r.turns, &Chunk::serverMicros));
            }
            printf(" %9.1f", percentile99(r.passMicros));
            for (const Floor& f : floors) {
                // Against the flip the cost is stated as a share of it; against the others as
                // how many of the scenario's passes fit in one floor frame.
                double ratio = median(r.against[f.name]);
                printf(" %9.2f", x11 && f.name == "flip" ? 1 / ratio : ratio);
            }
            printf(" %8.1f %9zu\n", r.peakKb / 1024.0, r.liveProjectiles);
            fflush(stdout);
        }
        for (const Floor& f : floors) {
            double micros = median(floorMicros[f.name]);
            printf("floor %-4s %9.1f %10.0f\n", f.name.c_str(), micros, 1e6 / micros);
        }
        printf("peak resident since start: %.1f MB\n", peakSinceStartKb() / 1024.0);
        SDL_FreeSurface(floorMap);
        // After the peak is read: the copies' buffers would raise it.
        printMemcpyBandwidth();
    }
    recorder.stop();
    testsupport::stopSdl();
    stopXServer();
    if (!frameBufferDir.empty()) {
        unlink((frameBufferDir + "/Xvfb_screen0").c_str());
        rmdir(frameBufferDir.c_str());
    }
    return status;
}
