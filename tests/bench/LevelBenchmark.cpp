// Frame-rate benchmark of the real level against the bare frame (clear, map under the camera,
// flip) on the same surface, headless on SDL's dummy drivers. The clock behind every Timer is
// stepped by a fixed amount per pass, so every run does the same work.
//
//   build/level_benchmark                       # the table
//   build/level_benchmark --scenario flame --count 2000   # one scenario, untimed (callgrind)
//   build/level_benchmark --memory              # flamethrower memory after 10k vs 100k passes
//   build/level_benchmark --plain               # the same table with the game's faster paths off
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "Backpack.h"
#include "Collision.h"
#include "Flamethrower.h"
#include "Game.h"
#include "Glock.h"
#include "HUD.h"
#include "HealthPotion.h"
#include "Level1.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "Uzi.h"

namespace {

const Uint32 kStepMs = 1; // game time per pass: a nominal 1000 passes a second
Uint32 ticks = 1000;
Uint32 readTicks() { return ticks; }

void pushButton(Uint8 button, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    SDL_PushEvent(&event);
}

void pushKey(SDLKey key) {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void warp(int x, int y) {
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
    SDL_Event dropped;
    SDL_PumpEvents();
    while (SDL_PeepEvents(&dropped, 1, SDL_GETEVENT, SDL_MOUSEMOTIONMASK) > 0) {
    }
}

void releaseKeys() {
    int count = 0;
    Uint8* keys = SDL_GetKeyState(&count);
    std::fill(keys, keys + count, 0);
}

// A scenario prepares a fresh level, then scripts input before each pass.
struct Scenario {
    std::string name;
    int warmup;
    std::function<void(Level1&)> prepare;
    std::function<void(Level1&, int)> beforePass;
};

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
                        releaseKeys();
                        const SDLKey keys[4] = {SDLK_w, SDLK_a, SDLK_s, SDLK_d};
                        SDL_GetKeyState(NULL)[keys[(pass / 150) % 4]] = 1;
                        warp(100 + (pass * 7) % 880, 100 + (pass * 3) % 520);
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
                            pushKey(SDLK_r);
                        }
                        if (pistol) {
                            pushButton(SDL_BUTTON_LEFT, pass % 250 == 0);
                        } else if (!mouseDown) {
                            pushButton(SDL_BUTTON_LEFT, true);
                        }
                    }});
    list.push_back({"flame", 3000,
                    [](Level1&) {
                        player->backpack->weapons[0] = new Flamethrower();
                        player->setWeapon(3);
                        warp(300, 200);
                        pushButton(SDL_BUTTON_LEFT, true);
                    },
                    [](Level1&, int pass) {
                        // Sweep the flame slowly so it reaches the zombies now and then.
                        warp(250 + (pass / 4) % 300, 200);
                    }});
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

void resetPeakRss() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

Level1* freshLevel() {
    releaseKeys();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
    warp(540, 360);
    Level1* level = new Level1(imageHandler, mainScreen, Level1::Manual());
    level->setUpWorld();
    return level;
}

void endLevel(Level1* level) {
    level->cleanup();
    delete level;
    releaseKeys();
}

typedef std::chrono::steady_clock Clock;

struct Timing {
    std::vector<double> passesPerSecond; // one per repetition
    std::vector<double> passMicros;      // every pass of every repetition
    size_t liveProjectiles = 0;
    long peakKb = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double percentile99(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, v.size() * 99 / 100)];
}

Timing runScenario(const Scenario& s, int passes, int reps, bool timed) {
    Timing t;
    for (int rep = 0; rep < reps; rep++) {
        Level1* level = freshLevel();
        s.prepare(*level);
        for (int i = 0; i < s.warmup; i++) {
            ticks += kStepMs;
            s.beforePass(*level, i);
            level->runPass();
        }
        resetPeakRss();
        // Only the passes themselves are timed, not the scripting of input between them.
        double seconds = 0;
        for (int i = 0; i < passes; i++) {
            ticks += kStepMs;
            s.beforePass(*level, s.warmup + i);
            if (!timed) {
                level->runPass();
                continue;
            }
            Clock::time_point before = Clock::now();
            level->runPass();
            double micros =
                std::chrono::duration<double, std::micro>(Clock::now() - before).count();
            t.passMicros.push_back(micros);
            seconds += micros / 1e6;
        }
        t.passesPerSecond.push_back(timed ? passes / seconds : 0);
        t.liveProjectiles = particleEngine->projectiles.size();
        t.peakKb = std::max(t.peakKb, residentKb("VmHWM:"));
        endLevel(level);
    }
    return t;
}

Timing runBareFrame(int passes, int reps) {
    Timing t;
    SDL_Surface* map = imageHandler->optimizeImage("images/level1Images/backgroundLevel.jpg");
    SDL_Rect view = {200, 300, 1080, 720};
    for (int rep = 0; rep < reps; rep++) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < passes; i++) {
            Clock::time_point before = Clock::now();
            // Plain SDL calls, so the yardstick does not move with the game's own faster paths.
            SDL_Rect at = {0, 0, 0, 0};
            SDL_FillRect(mainScreen, NULL, SDL_MapRGB(mainScreen->format, 0, 0, 0));
            SDL_UpperBlit(map, &view, mainScreen, &at);
            SDL_Flip(mainScreen);
            t.passMicros.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - before).count());
        }
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        t.passesPerSecond.push_back(passes / seconds);
    }
    SDL_FreeSurface(map);
    return t;
}

int memoryCheck() {
    Scenario flame = scenarios()[3];
    Level1* level = freshLevel();
    flame.prepare(*level);
    long after10k = 0;
    for (int i = 1; i <= 100000; i++) {
        ticks += kStepMs;
        flame.beforePass(*level, i);
        // Bursts: the button goes up for a moment every 2000 passes.
        if (i % 2000 == 0) {
            pushButton(SDL_BUTTON_LEFT, false);
        } else if (i % 2000 == 100) {
            pushButton(SDL_BUTTON_LEFT, true);
        }
        level->runPass();
        if (i == 10000) {
            after10k = residentKb("VmRSS:");
        }
    }
    long after100k = residentKb("VmRSS:");
    size_t live = particleEngine->projectiles.size();
    endLevel(level);
    double growth = 100.0 * (after100k - after10k) / after10k;
    printf("flamethrower memory: %ld kB after 10,000 passes, %ld kB after 100,000 (%+.2f%%), "
           "%zu live particles at the end\n",
           after10k, after100k, growth, live);
    return growth <= 5.0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string only;
    int count = 0;
    bool memory = false;
    int passes = 2000;
    int reps = 5;
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
        } else if (arg == "--memory") {
            memory = true;
        } else if (arg == "--plain") {
            fastPaths = false; // the straightforward paths, for comparison
        } else {
            fprintf(stderr,
                    "usage: %s [--passes N] [--reps N] [--scenario NAME --count N] "
                    "[--memory] [--plain]\n",
                    argv[0]);
            return 2;
        }
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (chdir(GAME_DATA_DIR) != 0 || SDL_Init(SDL_INIT_EVERYTHING) != 0) {
        fprintf(stderr, "cannot start: %s\n", SDL_GetError());
        return 1;
    }
    TTF_Init();
    Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512);
    // A window, as in the tests: full screen, sdl12-compat would also scale every flip to
    // SDL2's 1024 x 768 dummy display. Classic SDL's dummy surface is the same either way.
    mainScreen = SDL_SetVideoMode(1080, 720, 32, 0);
    // A player's cursor is the window manager's; SDL's own, drawn by the dummy driver into the
    // screen, would turn the faster repaint of a still view off.
    SDL_ShowCursor(SDL_DISABLE);
    const SDL_version* runtime = SDL_Linked_Version();
    printf("SDL runtime %d.%d.%d\n", runtime->major, runtime->minor, runtime->patch);
    Mix_AllocateChannels(1000);
    imageHandler = new ImageLoader();
    camera.w = 1080;
    camera.h = 720;
    Timer::setClock(readTicks);
    srand(1);

    int status = 0;
    if (memory) {
        status = memoryCheck();
    } else if (count > 0) {
        for (const Scenario& s : scenarios()) {
            if (s.name == only) {
                runScenario(s, count, 1, false);
            }
        }
    } else {
        Timing bare = runBareFrame(passes, reps);
        double bareRate = median(bare.passesPerSecond);
        printf("%-10s %12s %12s %10s %9s %10s\n", "scenario", "passes/s", "p99 us", "ratio",
               "peak MB", "live proj");
        printf("%-10s %12.0f %12.1f %10s %9s %10s\n", "bare", bareRate,
               percentile99(bare.passMicros), "1.00", "-", "-");
        for (const Scenario& s : scenarios()) {
            if (!only.empty() && s.name != only) {
                continue;
            }
            Timing t = runScenario(s, passes, reps, true);
            double rate = median(t.passesPerSecond);
            printf("%-10s %12.0f %12.1f %10.2f %9.1f %10zu\n", s.name.c_str(), rate,
                   percentile99(t.passMicros), rate / bareRate, t.peakKb / 1024.0,
                   t.liveProjectiles);
            fflush(stdout);
        }
    }
    delete imageHandler;
    Mix_CloseAudio();
    TTF_Quit();
    SDL_Quit();
    return status;
}
