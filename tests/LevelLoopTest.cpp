#include <array>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <queue>
#include <string>
#include <vector>

#include "Backpack.h"
#include "Collision.h"
#include "FlamethrowerItem.h"
#include "Game.h"
#include "Gamepad.h"
#include "HUD.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "QuitSignal.h"
#include "SlowZombie.h"
#include "Uzi.h"
#include "UziItem.h"
#include "VideoMode.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

// Counts what the level asks of the weapon in hand.
struct CountingWeapon : Weapon {
    int getClipSize() override { return 0; }
    int getAmmo() override { return 0; }
    void fire(int, int, int, int) override { fired++; }
    void reload() override { reloads++; }
    std::string getId() override { return "Counting"; }
    void update() override {}
    SDL_Surface* getWeaponPic() override { return NULL; }
    int fired = 0;
    int reloads = 0;
};

template <typename T> std::vector<T> contents(std::stack<T> s) {
    std::vector<T> out;
    for (; !s.empty(); s.pop()) {
        out.push_back(s.top());
    }
    return out;
}

class LevelLoop : public LevelFixture {};

} // namespace

TEST_F(LevelLoop, SetUpPlacesTheWorldInItsFixedOrder) {
    std::vector<Item*> items = contents(level->items);
    ASSERT_EQ(8u, items.size());
    EXPECT_EQ("Flame", items.front()->getId());
    EXPECT_EQ("Gold", items.back()->getId());
    EXPECT_EQ(700, items.back()->getXLocation());
    EXPECT_EQ(400, items.back()->getYLocation());
    EXPECT_EQ(50, items.back()->getValue());

    std::vector<Unit*> units = contents(level->units);
    ASSERT_EQ(3u, units.size());
    EXPECT_EQ(2, units[0]->getId());
    EXPECT_EQ(300, units[0]->getXLocation());
    EXPECT_EQ(0, units[2]->getId());

    EXPECT_EQ(0, camera.x);
    EXPECT_EQ(0, camera.y);
    EXPECT_FALSE(mouseDown);
    EXPECT_EQ(2916, mapWidth);
    EXPECT_EQ(1712, mapHeight);
    EXPECT_EQ(-10, level->pathingBlockers[0]->getXLocation());
    EXPECT_EQ(300, level->pathingBlockers[1]->getXLocation());
    EXPECT_EQ(collisionDetection, player->collisionDetection);
    EXPECT_EQ(player, hud->player);
}

TEST_F(LevelLoop, ASecondLevelNumbersItsZombiesFromZeroAgain) {
    Collision* firstService = collisionDetection;
    Player* firstPlayer = player;
    HUD* firstHud = hud;
    ParticleEngine* firstEngine = particleEngine;
    Level1* second = new Level1(imageHandler, mainScreen, Level1::Manual());
    second->setUpWorld();
    EXPECT_EQ(2, second->units.top()->getId());
    EXPECT_EQ(3, unitIdCounter);
    EXPECT_NE(firstPlayer, player);
    second->cleanup();
    delete second;
    collisionDetection = firstService;
    player = firstPlayer;
    hud = firstHud;
    particleEngine = firstEngine;
}

TEST_F(LevelLoop, TheListsFlipEveryPass) {
    std::vector<Item*> before = contents(level->items);
    std::vector<Unit*> unitsBefore = contents(level->units);
    runPasses(1);
    std::vector<Item*> after = contents(level->items);
    EXPECT_EQ(std::vector<Item*>(before.rbegin(), before.rend()), after);
    EXPECT_EQ(std::vector<Unit*>(unitsBefore.rbegin(), unitsBefore.rend()), contents(level->units));
    runPasses(1);
    EXPECT_EQ(before, contents(level->items));
}

TEST_F(LevelLoop, DestroyedPickupsAndZombiesLeaveAtTheStartOfTheNextPass) {
    Item* gold = contents(level->items).back();
    gold->destroy();
    SlowZombie* zombie = static_cast<SlowZombie*>(level->units.top());
    zombie->health = 0; // its next update marks it destroyed
    runPasses(1);
    EXPECT_EQ(7u, level->items.size());
    EXPECT_TRUE(zombie->isDestroyed());
    EXPECT_EQ(3u, level->units.size()); // still painted in the pass that killed it
    runPasses(1);
    EXPECT_EQ(2u, level->units.size());
}

TEST_F(LevelLoop, MouseButtonsFireQuitAndStopContinuousFire) {
    CountingWeapon weapon;
    player->weapon = &weapon;
    pushMouseButton(SDL_BUTTON_LEFT, true);
    runPasses(1);
    EXPECT_TRUE(mouseDown);
    EXPECT_EQ(2, weapon.fired); // once for the press, once for the held button
    runPasses(3);
    EXPECT_EQ(5, weapon.fired);
    pushMouseButton(SDL_BUTTON_MIDDLE, false); // any release stops it
    runPasses(2);
    EXPECT_FALSE(mouseDown);
    EXPECT_EQ(5, weapon.fired);

    pushKeyDown(SDLK_r);
    pushKeyDown(SDLK_t);
    runPasses(1);
    EXPECT_EQ(1, weapon.reloads);
    EXPECT_TRUE(hud->backpackOpen);

    // A right click ends the level only after the current pass has been drawn.
    int frames = level->rateCaption.frameCount;
    pushMouseButton(SDL_BUTTON_RIGHT, true);
    runPasses(1);
    EXPECT_TRUE(level->quit);
    EXPECT_EQ(frames + 1, level->rateCaption.frameCount);
    player->weapon = NULL;
}

TEST_F(LevelLoop, CloseEventEndsTheLevel) {
    pushQuit();
    runPasses(1);
    EXPECT_TRUE(level->quit);
}

TEST_F(LevelLoop, ANotedSignalEndsTheLevelAfterThePass) {
    runPasses(1);
    EXPECT_FALSE(level->quit);
    QuitSignal::note(SIGHUP);
    runPasses(1);
    QuitSignal::note(0);
    EXPECT_TRUE(level->quit);
}

TEST_F(LevelLoop, HeldKeysActEveryPass) {
    holdKey(SDLK_SPACE);
    runPasses(5);
    EXPECT_DOUBLE_EQ(95.0, player->getHealth());
    releaseKey(SDLK_SPACE);
    runPasses(1);
    EXPECT_DOUBLE_EQ(95.0, player->getHealth());
}

TEST_F(LevelLoop, MapUnderTheCameraThenBuildingsAreDrawn) {
    SDL_Surface* map = level->images[0];
    ASSERT_NE(nullptr, map) << "the map picture must be in data/";
    moveMouse(300, 100); // the camera leans towards the pointer: (-240, -20)
    runPasses(2);        // the map is painted under the camera the previous pass left
    ASSERT_NE(0, camera.x);
    // A point clear of the buildings, the pickups, the zombies, the player and the HUD.
    int sx = 600, sy = 40;
    EXPECT_EQ(pixelAt(map, sx + camera.x, sy + camera.y), screenPixel(sx, sy));
    // The first building's picture sits on its footprint.
    SDL_Surface* building = level->images[1];
    ASSERT_NE(nullptr, building);
    int bx = level->pathingBlockers[0]->getXLocation() + 50;
    int by = level->pathingBlockers[0]->getYLocation() + 50;
    EXPECT_EQ(280, bx);
    EXPECT_EQ(170, by);
    EXPECT_EQ(pixelAt(building, 50, 50), screenPixel(bx, by));
}

// Alt+Enter and F11 switch between full screen and a window in the middle of play: the level goes
// on where it stood, and the frame after the switch is painted whole although the view has not
// moved (setting a mode again clears the screen). Enter alone reaches the game as before.
TEST_F(LevelLoop, AltEnterAndF11SwitchFullScreenAndTheLevelGoesOn) {
    const struct {
        SDLKey key;
        SDLMod mod;
        bool switches;
    } presses[] = {{SDLK_F11, KMOD_NONE, true},
                   {SDLK_RETURN, KMOD_LALT, true},
                   {SDLK_RETURN, KMOD_NONE, false},
                   {SDLK_KP_ENTER, KMOD_RALT, true},
                   {SDLK_F11, KMOD_NONE, true}};
    SDL_Surface* map = level->images[0];
    ASSERT_NE(nullptr, map);
    int sx = 600, sy = 40;       // clear of everything painted over the map
    SDL_ShowCursor(SDL_DISABLE); // with SDL's own cursor shown every frame is painted whole
    for (const auto& press : presses) {
        runPasses(3);
        double health = player->getHealth();
        Uint32 before = SDL_GetVideoSurface()->flags & SDL_FULLSCREEN;
        SDL_Event event = {};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = press.key;
        event.key.keysym.mod = press.mod;
        SDL_PushEvent(&event);
        SDL_Surface* screen = mainScreen; // the level's objects keep this address
        holdKey(SDLK_q);                  // a key the game does not read: the view must not move
        double x = player->locationX;
        runPasses(1);
        SCOPED_TRACE(SDL_GetKeyName(press.key));
        EXPECT_EQ(press.switches, (SDL_GetVideoSurface()->flags & SDL_FULLSCREEN) != before);
        EXPECT_EQ(screen, SDL_GetVideoSurface());
        EXPECT_EQ(screen, mainScreen);
        EXPECT_EQ(1080, mainScreen->w);
        EXPECT_TRUE(SDL_GetKeyState(NULL)[SDLK_q]) << "a key held through the switch was let go";
        releaseKey(SDLK_q);
        EXPECT_EQ(pixelAt(map, sx + camera.x, sy + camera.y), screenPixel(sx, sy));
        EXPECT_DOUBLE_EQ(x, player->locationX);
        EXPECT_DOUBLE_EQ(health, player->getHealth());
        holdKey(SDLK_SPACE);
        runPasses(1);
        releaseKey(SDLK_SPACE);
        EXPECT_DOUBLE_EQ(health - 1, player->getHealth()) << "the level did not go on";
    }
    SDL_ShowCursor(SDL_ENABLE);
    EXPECT_EQ(0u, SDL_GetVideoSurface()->flags & SDL_FULLSCREEN) << "four switches end windowed";
    // sdl12-compat's dummy display (1024 x 768) keeps the pointer inside it after a full screen;
    // the window the other tests expect is set again.
    moveMouse(1079, 719);
    int x, y;
    SDL_GetMouseState(&x, &y);
    if (x != 1079) {
        mainScreen = SDL_SetVideoMode(1080, 720, 32, 0);
        ASSERT_NE(nullptr, mainScreen);
    }
}

// Every control of the pad on both layouts, as the game's input seam hands it on: pushed joystick
// events in, the keys held, the pointer's place and the key and button events out.
// The window's focus pauses and plays on only when the player asked for it; a pause the player
// chose outlasts the focus coming back.
TEST_F(LevelLoop, LosingFocusPausesOnlyWhenAskedAndNeverEndsThePlayersPause) {
    auto focus = [](bool gained) {
        SDL_Event event = {};
        event.type = SDL_ACTIVEEVENT;
        event.active.gain = gained;
        event.active.state = SDL_APPINPUTFOCUS;
        SDL_PushEvent(&event);
    };
    const struct {
        bool asked;
        std::function<void()> act;
        bool paused;
    } steps[] = {
        {false, [&] { focus(false); }, false},
        {true, [&] { focus(false); }, true},
        {true, [&] { focus(true); }, false},
        {true, [] { pushKeyDown(SDLK_p); }, true},
        {true, [&] { focus(false); }, true},
        {true, [&] { focus(true); }, true},
        {true, [] { pushKeyDown(SDLK_PAUSE); }, false},
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; i++) {
        VideoMode::reportFocus = steps[i].asked;
        steps[i].act();
        runPasses(1);
        EXPECT_EQ(steps[i].paused, level->isPaused()) << "step " << i;
    }
    VideoMode::reportFocus = false;
}

TEST_F(LevelLoop, GamepadPlaysAsTheKeyboardAndMouse) {
    const Uint8 AXIS = SDL_JOYAXISMOTION, DOWN = SDL_JOYBUTTONDOWN, HAT = SDL_JOYHATMOTION;
    const struct {
        Gamepad::Layout layout;
        Uint8 type, index;
        Sint16 value;
        SDLKey held;     // held in the key-state array afterwards
        int heading;     // the player's picture index after aiming, or -1
        Uint8 sees;      // the event handed on, or 0
        int keyOrButton; // its key or mouse button, or -1 for the pointer's motion
    } rows[] = {
        {Gamepad::XPAD, AXIS, 0, 32767, SDLK_d, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 0, -20000, SDLK_a, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 0, 7000, SDLK_UNKNOWN, -1, 0, 0}, // inside the dead zone
        {Gamepad::XPAD, AXIS, 1, -32768, SDLK_w, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 1, 32767, SDLK_s, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 1, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 3, 32767, SDLK_UNKNOWN, 9, SDL_MOUSEMOTION, -1},
        {Gamepad::XPAD, AXIS, 3, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 4, 32767, SDLK_UNKNOWN, 18, SDL_MOUSEMOTION, -1},
        {Gamepad::XPAD, AXIS, 4, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 3, -32768, SDLK_UNKNOWN, 27, SDL_MOUSEMOTION, -1},
        {Gamepad::XPAD, AXIS, 3, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 4, -32768, SDLK_UNKNOWN, 0, SDL_MOUSEMOTION, -1},
        {Gamepad::XPAD, AXIS, 4, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::XPAD, AXIS, 5, 32767, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT},
        {Gamepad::XPAD, AXIS, 5, -32768, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT},
        {Gamepad::XPAD, DOWN, 5, 0, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT},
        {Gamepad::XPAD, SDL_JOYBUTTONUP, 5, 0, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONUP,
         SDL_BUTTON_LEFT},
        {Gamepad::XPAD, DOWN, 2, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_r},
        {Gamepad::XPAD, DOWN, 3, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_t},
        {Gamepad::XPAD, DOWN, 1, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_c},
        {Gamepad::XPAD, HAT, 0, SDL_HAT_LEFT, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_1},
        {Gamepad::XPAD, HAT, 0, SDL_HAT_UP, SDLK_UNKNOWN, -1, SDL_KEYUP, SDLK_1},
        {Gamepad::XPAD, HAT, 0, SDL_HAT_RIGHT, SDLK_UNKNOWN, -1, SDL_KEYUP, SDLK_2},
        {Gamepad::XPAD, HAT, 0, SDL_HAT_CENTERED, SDLK_UNKNOWN, -1, SDL_KEYUP, SDLK_3},
        {Gamepad::XPAD, DOWN, 6, 0, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT},
        {Gamepad::GAME_CONTROLLER, AXIS, 0, 32767, SDLK_d, -1, 0, 0},
        {Gamepad::GAME_CONTROLLER, AXIS, 0, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::GAME_CONTROLLER, AXIS, 1, -32768, SDLK_w, -1, 0, 0},
        {Gamepad::GAME_CONTROLLER, AXIS, 1, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::GAME_CONTROLLER, AXIS, 2, 32767, SDLK_UNKNOWN, 9, SDL_MOUSEMOTION, -1},
        {Gamepad::GAME_CONTROLLER, AXIS, 2, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::GAME_CONTROLLER, AXIS, 3, 32767, SDLK_UNKNOWN, 18, SDL_MOUSEMOTION, -1},
        {Gamepad::GAME_CONTROLLER, AXIS, 3, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::GAME_CONTROLLER, AXIS, 2, -32768, SDLK_UNKNOWN, 27, SDL_MOUSEMOTION, -1},
        {Gamepad::GAME_CONTROLLER, AXIS, 2, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::GAME_CONTROLLER, AXIS, 3, -32768, SDLK_UNKNOWN, 0, SDL_MOUSEMOTION, -1},
        {Gamepad::GAME_CONTROLLER, AXIS, 3, 0, SDLK_UNKNOWN, -1, 0, 0},
        {Gamepad::GAME_CONTROLLER, AXIS, 5, 32767, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONDOWN,
         SDL_BUTTON_LEFT},
        {Gamepad::GAME_CONTROLLER, AXIS, 5, 0, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONUP,
         SDL_BUTTON_LEFT},
        {Gamepad::GAME_CONTROLLER, DOWN, 10, 0, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONDOWN,
         SDL_BUTTON_LEFT},
        {Gamepad::GAME_CONTROLLER, SDL_JOYBUTTONUP, 10, 0, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONUP,
         SDL_BUTTON_LEFT},
        {Gamepad::GAME_CONTROLLER, DOWN, 2, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_r},
        {Gamepad::GAME_CONTROLLER, DOWN, 3, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_t},
        {Gamepad::GAME_CONTROLLER, DOWN, 1, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_c},
        {Gamepad::GAME_CONTROLLER, DOWN, 13, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_1},
        {Gamepad::GAME_CONTROLLER, DOWN, 11, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_2},
        {Gamepad::GAME_CONTROLLER, DOWN, 14, 0, SDLK_UNKNOWN, -1, SDL_KEYDOWN, SDLK_3},
        {Gamepad::GAME_CONTROLLER, DOWN, 4, 0, SDLK_UNKNOWN, -1, SDL_MOUSEBUTTONDOWN,
         SDL_BUTTON_RIGHT},
    };
    const SDLKey walkKeys[] = {SDLK_w, SDLK_a, SDLK_s, SDLK_d};
    Uint8* keys = SDL_GetKeyState(NULL);
    int row = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(row++));
        Gamepad::layout = r.layout;
        pushJoystick(r.type, r.index, r.value);
        SDL_Event seen = {};
        bool handedOn = VideoMode::pollEvent(&seen) != 0;
        for (SDLKey key : walkKeys) {
            EXPECT_EQ(key == r.held, keys[key] != 0) << SDL_GetKeyName(key);
        }
        if (r.sees == 0) {
            EXPECT_FALSE(handedOn) << "a joystick event reached the game, type " << int(seen.type);
        } else {
            ASSERT_TRUE(handedOn);
            EXPECT_EQ(r.sees, seen.type);
            bool key = r.sees == SDL_KEYDOWN || r.sees == SDL_KEYUP;
            int got = key ? static_cast<int>(seen.key.keysym.sym) : seen.button.button;
            EXPECT_TRUE(r.keyOrButton < 0 || r.keyOrButton == got) << got;
        }
        drainEvents();
        if (r.heading >= 0) {
            runPasses(1); // the camera, and so the player's place, follows the pointer
            int x, y;
            SDL_GetMouseState(&x, &y);
            int heading = player->degreeCalc(x, y);
            // The player's centre lies half a pixel off the screen's grid: a straight aim may
            // fall on the edge of the neighbouring picture.
            int off = (heading - r.heading + 36) % 36;
            EXPECT_TRUE(off <= 1 || off == 35)
                << "aimed at picture " << heading << ", want " << r.heading;
        }
    }
    Gamepad::layout = Gamepad::XPAD;
}

// The aiming distance reaches every one of the player's pictures, and the camera follows the
// pointer the stick places as it follows the mouse.
TEST_F(LevelLoop, GamepadAimReachesAllThirtySixHeadings) {
    bool reached[36] = {};
    for (int degrees = 5; degrees < 360; degrees += 10) {
        double radians = degrees * M_PI / 180;
        pushJoystick(SDL_JOYAXISMOTION, 3,
                     static_cast<Sint16>(std::lround(30000 * std::sin(radians))));
        pushJoystick(SDL_JOYAXISMOTION, 4,
                     static_cast<Sint16>(std::lround(-30000 * std::cos(radians))));
        runPasses(1);
        int x, y;
        SDL_GetMouseState(&x, &y);
        EXPECT_EQ(static_cast<Sint16>(x + player->locationX - 1080), camera.x);
        reached[player->degreeCalc(x, y)] = true;
    }
    for (int k = 0; k < 36; k++) {
        EXPECT_TRUE(reached[k]) << "picture " << k << " cannot be aimed at with the stick";
    }
}

TEST_F(LevelLoop, CaptionShowsTheMeanRateAboutOnceASecond) {
    SDL_WM_SetCaption("Main Menu", NULL);
    runPasses(500, 2); // 1000 ms: not yet
    char* title = nullptr;
    SDL_WM_GetCaption(&title, nullptr);
    EXPECT_STREQ("Main Menu", title);
    runPasses(1, 2);
    SDL_WM_GetCaption(&title, nullptr);
    // 501 passes in 1002 ms
    EXPECT_STREQ("FPS = 500", title);
}

// Days of uncapped play bring the pass count, and weeks the clock of the mean rate, to the ends of
// their ranges; the caption goes on showing the mean rate since they started again.
TEST_F(LevelLoop, CaptionKeepsAMeanRateWhenItsCountersReachTheirLimits) {
    char* title = nullptr;
    level->rateCaption.frameCount = INT_MAX - 3;
    runPasses(10);      // the count starts again in the fourth of these
    runPasses(1, 1001); // 8 passes in 1007 ms since then
    SDL_WM_GetCaption(&title, nullptr);
    EXPECT_STREQ("FPS = 7.94439", title);

    level->rateCaption.rateTimer.startingTime = FakeClock::ticks + 1 - INT_MAX;
    runPasses(5);       // the clock reads INT_MAX ms in the first of these and starts again
    runPasses(1, 1001); // 6 passes in 1005 ms
    SDL_WM_GetCaption(&title, nullptr);
    EXPECT_STREQ("FPS = 5.97015", title);
}

TEST_F(LevelLoop, HealthUnderHeldSpaceHasNoLowerLimit) {
    player->health = -9007199254740000.0; // about -2^53, where a double still counts in ones
    holdKey(SDLK_SPACE);
    runPasses(5);
    releaseKey(SDLK_SPACE);
    EXPECT_DOUBLE_EQ(-9007199254740005.0, player->getHealth());
}

// Frames far apart are caught up a millisecond of game time a pass; a stall is not: the game
// resumes where it stood.
TEST_F(LevelLoop, FramesCatchUpInMillisecondPassesButAStallIsNotMadeUp) {
    FrameClock& clock = level->frameClock;
    holdKey(SDLK_d);
    level->runFrame();
    Uint32 start = clock.passTimer.startingTime;
    double x = player->locationX;
    FakeClock::advance(42);
    level->runFrame(); // 42 passes, 1 ms apart: two steps of the player
    EXPECT_EQ(start + 42, clock.passTimer.startingTime);
    EXPECT_DOUBLE_EQ(x + 6, player->locationX);

    x = player->locationX;
    FakeClock::advance(5000);
    level->runFrame();
    EXPECT_EQ(start + 43, clock.passTimer.startingTime) << "the stall moved game time on";
    EXPECT_LE(player->locationX - x, 3) << "more than one step for the stall";
    FakeClock::advance(21);
    level->runFrame();
    EXPECT_EQ(start + 64, clock.passTimer.startingTime) << "the pace after the stall";
    releaseKey(SDLK_d);
}

namespace {

// How a frame's real time passes: frames held by --fps (the limiter's waits move the scripted
// clock), or frames that simply take msPerFrame (a slow flip, the browser's refresh).
struct Presentation {
    const char* name;
    int fps;
    double msPerFrame;
};

// The figures compared, in this order, and the flame's size, printed only.
const char* const FIGURES[] = {"player", "bullet", "flame", "zombie", "shots/s", "particles"};
enum { PLAYER, BULLET, PARTICLE, ZOMBIE, SHOTS, PARTICLES_ALIVE, FIGURE_COUNT };
typedef std::array<double, FIGURE_COUNT> Pace;

void sleepOnScriptedClock(Uint32 ms) { FakeClock::advance(ms); }

// Moving projectiles: their distance covered and time alive.
struct ProjectileTrack {
    std::map<Projectile*, std::pair<double, double>> last;
    double distance = 0, time = 0, aliveSum = 0;
    void sample(double passMs) {
        std::map<Projectile*, std::pair<double, double>> now;
        for (std::queue<Projectile*> q = particleEngine->projectiles; !q.empty(); q.pop()) {
            Projectile* p = q.front();
            std::pair<double, double> at(p->getXLocation() + camera.x,
                                         p->getYLocation() + camera.y);
            auto before = last.find(p);
            double moved = before == last.end() ? -1
                                                : std::hypot(at.first - before->second.first,
                                                             at.second - before->second.second);
            if (moved >= 0 && !p->isDestroyed()) {
                distance += moved;
                time += passMs;
            }
            now[p] = at;
        }
        aliveSum += now.size() * passMs;
        last.swap(now);
    }
    double speed() const { return time > 0 ? distance * 1000 / time : 0; }
};

// Runs frames as Level1::runFrame does until `ms` of game time have passed, calling `sample`
// after each pass with the game time it covered: projectiles are followed from pass to pass, as a
// freed one's address may be taken by a new one within a frame.
void playFor(Level1* level, const Presentation& how, Uint32 ms,
             const std::function<void(double)>& sample) {
    FrameClock& clock = level->frameClock;
    Uint32 start = clock.passTimer.startingTime;
    Uint32 previous = start;
    double owed = 0;
    while (clock.passTimer.startingTime - start < ms) {
        owed += how.msPerFrame;
        FakeClock::advance(static_cast<Uint32>(owed));
        owed -= static_cast<Uint32>(owed);
        clock.beginFrame();
        do {
            level->runPass();
            sample(clock.passTimer.startingTime - previous);
            previous = clock.passTimer.startingTime;
        } while (clock.framePending());
    }
}

Pace measurePace(const Presentation& how) {
    Pace pace{};
    Level1::chosenFPS = how.fps;
    FrameClock::setSleep(sleepOnScriptedClock);

    // The submachine gun with a clip that never runs out, walking right and firing right.
    Level1* level = startLevel();
    UziItem uziItem(0, 0);
    player->backpack->addWeapon(&uziItem);
    player->setWeapon(2);
    Uzi* uzi = static_cast<Uzi*>(player->weapon);
    uzi->clip = 1000000;
    moveMouse(1070, 600);
    holdKey(SDLK_d);
    pushMouseButton(SDL_BUTTON_LEFT, true);
    level->runFrame();
    double startX = player->locationX;
    int startClip = uzi->clip;
    ProjectileTrack bullets;
    playFor(level, how, 10000, [&](double ms) { bullets.sample(ms); });
    pace[PLAYER] = (player->locationX - startX) / 10;
    pace[SHOTS] = (startClip - uzi->clip) / 10.0;
    pace[BULLET] = bullets.speed();
    releaseKey(SDLK_d);
    endLevel(level);
    resetGameGlobals();

    // The flamethrower fired away from a zombie that chases the player standing in its range.
    level = startLevel();
    FlamethrowerItem flameItem(0, 0);
    player->backpack->addWeapon(&flameItem);
    player->setWeapon(3);
    player->locationY = 450;
    moveMouse(1070, 450);
    pushMouseButton(SDL_BUTTON_LEFT, true);
    level->runFrame();
    SlowZombie* chaser = nullptr; // the one at x 300, in range
    for (std::stack<Unit*> u = level->units; !u.empty(); u.pop()) {
        chaser = u.top()->getId() == 2 ? static_cast<SlowZombie*>(u.top()) : chaser;
    }
    double path = 0, zombieTime = 0, zx = chaser->locationX, zy = chaser->locationY;
    ProjectileTrack flame;
    // 3 s: the zombie reaches the player after about 4, and the flame's particles live well
    // under a second.
    playFor(level, how, 3000, [&](double ms) {
        flame.sample(ms);
        path += std::hypot(chaser->locationX - zx, chaser->locationY - zy);
        zombieTime += ms;
        zx = chaser->locationX;
        zy = chaser->locationY;
    });
    pace[PARTICLE] = flame.speed();
    pace[PARTICLES_ALIVE] = flame.aliveSum / zombieTime;
    pace[ZOMBIE] = path * 1000 / zombieTime;
    endLevel(level);

    Level1::chosenFPS = FrameClock::MOST_FPS;
    FrameClock::setSleep(nullptr);
    return pace;
}

} // namespace

// Whatever the rate frames are shown at, the world moves at the pace of the uncapped loop.
TEST(LevelPace, EveryPresentationRatePlaysAtTheUncappedPace) {
    const Presentation uncapped = {"uncapped, 1 ms passes", 6000, 1};
    const Presentation table[] = {{"--fps 30", 30, 0},
                                  {"--fps 60", 60, 0},
                                  {"--fps 144", 144, 0},
                                  {"6 ms flip", 6000, 6},
                                  {"browser, 60 Hz", 6000, 1000.0 / 60}};
    auto print = [](const char* name, const Pace& pace) {
        std::printf("%-22s", name);
        for (double figure : pace) {
            std::printf(" %9.1f", figure);
        }
        std::printf("\n");
    };
    std::printf("%-22s", "presentation");
    for (const char* figure : FIGURES) {
        std::printf(" %9s", figure);
    }
    std::printf("\n");
    resetGameGlobals();
    Pace reference = measurePace(uncapped);
    print(uncapped.name, reference);
    for (int i = 0; i < PARTICLES_ALIVE; i++) {
        ASSERT_GT(reference[i], 10) << FIGURES[i] << ": the scenario did not play";
    }
    for (const Presentation& how : table) {
        resetGameGlobals();
        Pace pace = measurePace(how);
        print(how.name, pace);
        for (int i = 0; i < PARTICLES_ALIVE; i++) {
            EXPECT_NEAR(reference[i], pace[i], 0.03 * reference[i])
                << how.name << ": " << FIGURES[i];
        }
    }
    resetGameGlobals();
}
