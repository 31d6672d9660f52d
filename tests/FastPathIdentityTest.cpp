#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "Backpack.h"
#include "FastPaths.h"
#include "FlamethrowerItem.h"
#include "FrameClock.h"
#include "Game.h"
#include "GlockItem.h"
#include "HUD.h"
#include "HealthPotion.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "PresentationPath.h"
#include "Screen.h"
#include "SlowZombie.h"
#include "UziItem.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

Uint64 mix(Uint64 hash, Uint64 value) { return (hash ^ value) * 0x100000001B3ull; }

Uint64 frameHash() {
    SDL_LockSurface(mainScreen);
    Uint64 hash = 0xCBF29CE484222325ull;
    for (int y = 0; y < mainScreen->h; y++) {
        const Uint32* row = reinterpret_cast<const Uint32*>(
            static_cast<Uint8*>(mainScreen->pixels) + y * mainScreen->pitch);
        for (int x = 0; x < mainScreen->w; x++) {
            hash = mix(hash, row[x] & 0xFFFFFF); // the fourth byte is never shown
        }
    }
    SDL_UnlockSurface(mainScreen);
    return hash;
}

Uint64 stateHash(Level1& level) {
    Uint64 hash = 0xCBF29CE484222325ull;
    hash = mix(hash, static_cast<Uint64>(player->locationX * 16));
    hash = mix(hash, static_cast<Uint64>(player->locationY * 16));
    hash = mix(hash, static_cast<Uint64>(player->health * 16));
    hash = mix(hash, player->gold);
    hash = mix(hash, player->getClipSize());
    hash = mix(hash, static_cast<Uint16>(camera.x));
    hash = mix(hash, static_cast<Uint16>(camera.y));
    hash = mix(hash, level.items.size());
    hash = mix(hash, player->backpack->items.size());
    hash = mix(hash, hud->texts.size());
    hash = mix(hash, static_cast<Uint64>(hud->alpha));
    hash = mix(hash, particleEngine->projectiles.size());
    for (std::stack<Unit*> units = level.units; !units.empty(); units.pop()) {
        SlowZombie* z = static_cast<SlowZombie*>(units.top());
        hash = mix(hash, static_cast<Uint64>(z->locationX * 1024));
        hash = mix(hash, static_cast<Uint64>(z->locationY * 1024));
        hash = mix(hash, z->health);
    }
    hash = mix(hash, rand());
    return hash;
}

struct Play {
    std::vector<Uint64> trace;
    bool cameraOffLeft = false, cameraOffTop = false, cameraOffRight = false,
         cameraOffBottom = false;
    size_t mostProjectiles = 0;
    size_t mostProjectilesStill = 0; // with the camera where it was the pass before
    int stillPasses = 0;
    int zombiesHurt = 0;
    size_t fewestItemsOnMap = 1000;
    bool goldLit = false, goldHiddenAgain = false;
    bool messageShown = false, messagesGone = false;
    double lowestHealth = 1e9;
    long framesInPart = 0; // sent to the display in part rather than whole
    // Painted by shifting the last frame's background with the view, and of those, with the
    // view past an edge of the map.
    long passesScrolled = 0;
    long passesScrolledPastAnEdge = 0;
    // The building that stands across the map's left edge (x -10 to 90, y 100 to 200) in view
    // with the black past that edge: its part there is painted apart from the map.
    bool buildingAcrossTheEdgeSeen = false;
};

typedef std::function<void(Level1&, int)> Script;

void sleepOnScriptedClock(Uint32 ms) { FakeClock::advance(ms); }

// Plays a script once with the given paths and records every frame and every game state. With
// fps, the script runs once a frame of the game's own loop, at most fps frames a second of the
// scripted clock: each frame catches up in passes a millisecond apart and shows only the last.
Play play(bool fast, int passes, const Script& script, int fps = 0) {
    FastPaths::enabled = fast;
    if (fps > 0) {
        Level1::chosenFPS = fps;
        FrameClock::setSleep(sleepOnScriptedClock);
    }
    resetGameGlobals();
    releaseAllKeys();
    drainEvents();
    FakeClock::set(50000);
    srand(7);
    moveMouse(540, 360);
    Level1* level = new Level1(imageHandler, mainScreen, Level1::Manual());
    level->setUpWorld();
    Play result;
    SDL_Rect lastCamera = camera;
    std::vector<Uint64>& trace = result.trace;
    const long inPartBefore = PresentationPath::tally().framesInPart;
    long scrolledBefore = Screen::passesScrolled();
    for (int pass = 0; pass < passes; pass++) {
        script(*level, pass);
        if (fps > 0) {
            level->runFrame();
        } else {
            level->runPass();
        }
        trace.push_back(frameHash());
        trace.push_back(stateHash(*level));
        bool offLeft = camera.x < 0, offTop = camera.y < 0;
        bool offRight = camera.x + 1080 > mapWidth, offBottom = camera.y + 720 > mapHeight;
        result.cameraOffLeft |= offLeft;
        result.cameraOffTop |= offTop;
        result.cameraOffRight |= offRight;
        result.cameraOffBottom |= offBottom;
        result.buildingAcrossTheEdgeSeen |=
            offLeft && camera.x + 1080 > -10 && camera.y < 200 && camera.y + 720 > 100;
        if (Screen::passesScrolled() != scrolledBefore) {
            result.passesScrolled++;
            result.passesScrolledPastAnEdge += offLeft || offTop || offRight || offBottom;
            scrolledBefore = Screen::passesScrolled();
        }
        bool still = camera.x == lastCamera.x && camera.y == lastCamera.y;
        result.stillPasses += still;
        lastCamera = camera;
        result.mostProjectiles =
            std::max(result.mostProjectiles, particleEngine->projectiles.size());
        if (still) {
            result.mostProjectilesStill =
                std::max(result.mostProjectilesStill, particleEngine->projectiles.size());
        }
        result.fewestItemsOnMap = std::min(result.fewestItemsOnMap, level->items.size());
        result.goldHiddenAgain |= result.goldLit && hud->alpha == 0;
        result.goldLit |= hud->alpha > 0;
        result.messagesGone |= result.messageShown && hud->texts.empty();
        result.messageShown |= !hud->texts.empty();
        result.lowestHealth = std::min(result.lowestHealth, static_cast<double>(player->health));
    }
    for (std::stack<Unit*> units = level->units; !units.empty(); units.pop()) {
        result.zombiesHurt += static_cast<SlowZombie*>(units.top())->health < 5;
    }
    result.zombiesHurt += 3 - static_cast<int>(level->units.size());
    result.framesInPart = PresentationPath::tally().framesInPart - inPartBefore;
    level->cleanup();
    delete level;
    releaseAllKeys();
    drainEvents();
    resetGameGlobals();
    FastPaths::enabled = true;
    Level1::chosenFPS = 6000;
    FrameClock::setSleep(nullptr);
    return result;
}

// Walking, pointer jumps that take the camera off every edge of the map, every weapon fired at
// the zombies, pick-ups, potions, messages, the backpack panel, damage.
void tour(Level1&, int pass) {
    const SDLKey walk[4] = {SDLK_d, SDLK_s, SDLK_a, SDLK_w};
    if (pass == 20) {
        // The backpack makes weapons from the pick-ups and keeps nothing of them.
        Item* pickups[3] = {new GlockItem(0, 0), new UziItem(0, 0), new FlamethrowerItem(0, 0)};
        for (Item* pickup : pickups) {
            player->backpack->addItem(pickup);
            delete pickup;
        }
        pushKeyDown(SDLK_t);
    }
    if (pass == 60) {
        player->backpack->addItem(new HealthPotion(0, 0));
        player->backpack->addItem(new HealthPotion(0, 0));
        pushKeyDown(SDLK_t);
    }
    if (pass == 100 || pass == 130) {
        player->modifyGold(25); // the counter lights up and its number changes
    }
    if (pass == 300) {
        // Off to the far corner, to see the map's right and bottom edges.
        player->locationX = 2700;
        player->locationY = 1500;
    }
    releaseAllKeys();
    if (pass < 400) {
        holdKey(walk[(pass / 50) % 4]);
    }
    int phase = pass / 100;
    if (pass >= 700) {
        moveMouse(650, 420); // standing still: only what moves is painted over the map
    } else if (phase % 3 == 0) {
        moveMouse((pass * 37) % 1080, (pass * 53) % 720); // corners included
    } else {
        moveMouse(200 + pass % 300, 250);
    }
    if (pass % 100 == 10) {
        holdKey(phase % 3 == 0 ? SDLK_1 : phase % 3 == 1 ? SDLK_2 : SDLK_3);
        pushMouseButton(SDL_BUTTON_LEFT, true);
    }
    if (pass % 100 == 70) {
        pushMouseButton(SDL_BUTTON_LEFT, false);
        pushKeyDown(SDLK_r);
    }
    if (pass % 150 == 149) {
        pushKeyDown(SDLK_c);
        holdKey(SDLK_SPACE);
    }
    FakeClock::advance(pass % 7 == 0 ? 9 : 3);
}

// Pick-ups walked onto from the map, then a long flame with the player and the pointer still
// while the zombies come to bite, and time for the gold counter to fade out and the messages
// to expire.
void standoff(Level1&, int pass) {
    releaseAllKeys();
    // Each walk starts left of a pick-up on the map: the pistol, the flamethrower, gold, a potion.
    const int walkStartY[4] = {590, 690, 390, 590};
    const int walkStartX[4] = {640, 640, 640, 440};
    if (pass < 600) {
        if (pass % 150 == 0) {
            player->locationX = walkStartX[pass / 150];
            player->locationY = walkStartY[pass / 150];
        }
        holdKey(SDLK_d);
        moveMouse(540 + pass % 40, 360);
    } else {
        if (pass == 600) {
            player->locationX = 300; // onto a zombie, facing away from it
            player->locationY = 320;
        }
        moveMouse(300, 600); // still from here on: the camera does not move
    }
    if (pass == 610) {
        holdKey(SDLK_3);
        pushMouseButton(SDL_BUTTON_LEFT, true);
    }
    if (pass == 1000) {
        pushMouseButton(SDL_BUTTON_LEFT, false);
    }
    // Short steps while the flame is held, for many particles alive at once.
    FakeClock::advance(pass < 600 ? 3 : pass < 1000 ? 1 : 20);
}

// The player and the pointer held still, so the view stands, while the zombies walk up and the
// submachine gun fires bursts across the view: everything on the screen moves but the map.
void standingGround(Level1&, int pass) {
    releaseAllKeys();
    if (pass == 0) {
        player->locationX = 700;
        player->locationY = 600;
        UziItem uzi(0, 0);
        player->backpack->addItem(&uzi);
    }
    holdKey(SDLK_2);
    moveMouse(900, 250);
    if (pass % 40 == 5) {
        pushMouseButton(SDL_BUTTON_LEFT, true);
    }
    if (pass % 40 == 25) {
        pushMouseButton(SDL_BUTTON_LEFT, false);
        pushKeyDown(SDLK_r);
    }
    FakeClock::advance(3);
}

// The tour, then the pointer held still for a while and moved, again and again, so that SDL's
// own cursor (drawn into the screen by the dummy driver) moves over a screen that the faster
// paths only partly repaint.
void tourThenPointerPhases(Level1& level, int pass) {
    if (pass < 900) {
        tour(level, pass);
        return;
    }
    releaseAllKeys();
    // 30 passes still, then 10 passes of the pointer moving a few pixels at a time, some of them
    // by a distance that keeps the old and new cursor overlapping.
    int p = pass - 900, step = p % 40;
    int base = 300 + (p / 40) * 60;
    if (step < 30) {
        moveMouse(base, 300);
    } else {
        moveMouse(base + (step - 29) * (p / 40 % 2 ? 3 : 9), 300 + (step - 29) * 4);
    }
    if (p == 200) {
        pushMouseButton(SDL_BUTTON_LEFT, true); // bullets in flight past the pointer
    }
    if (p == 260) {
        pushMouseButton(SDL_BUTTON_LEFT, false);
    }
    FakeClock::advance(pass % 7 == 0 ? 9 : 3);
}

// Plays script with the plain paths, then with the faster ones into *fast, and names the first
// pass whose pixels or game state differ.
::testing::AssertionResult sameAsPlainPaths(int passes, const Script& script, Play* fast,
                                            int fps = 0) {
    std::vector<Uint64> plain = play(false, passes, script, fps).trace;
    *fast = play(true, passes, script, fps);
    if (plain.size() != fast->trace.size()) {
        return ::testing::AssertionFailure()
               << plain.size() << " plain against " << fast->trace.size() << " fast entries";
    }
    for (size_t i = 0; i < plain.size(); i++) {
        if (plain[i] != fast->trace[i]) {
            return ::testing::AssertionFailure()
                   << "pass " << i / 2 << (i % 2 ? ": game state" : ": pixels") << " differ";
        }
    }
    return ::testing::AssertionSuccess();
}

// Hidden, as X11's is to the screen surface: SDL's own cursor would make the level repaint in
// full and leave the repair of painted areas untested.
struct CursorHidden {
    CursorHidden() { SDL_ShowCursor(SDL_DISABLE); }
    ~CursorHidden() { SDL_ShowCursor(SDL_ENABLE); }
};

} // namespace

TEST(FastPaths, EveryFrameAndEveryDecisionMatchThePlainPaths) {
    CursorHidden hidden;
    Play fast;
    ASSERT_TRUE(sameAsPlainPaths(900, tour, &fast));
    // The script must reach what it means to cover: the map's four edges inside the view,
    // projectiles in flight, zombies hurt.
    EXPECT_TRUE(fast.cameraOffLeft && fast.cameraOffTop && fast.cameraOffRight &&
                fast.cameraOffBottom);
    EXPECT_GT(fast.mostProjectiles, 20u);
    EXPECT_GT(fast.stillPasses, 150);
    EXPECT_GT(fast.zombiesHurt, 0);
    // Most moving views are the last one's shifted, some with the map's edge in sight.
    EXPECT_GT(fast.passesScrolled, 400);
    EXPECT_GT(fast.passesScrolledPastAnEdge, 50);
    EXPECT_TRUE(fast.buildingAcrossTheEdgeSeen);
}

TEST(FastPaths, PickupsFromTheMapAFlameHeldStillBitesAndFadesMatchThePlainPaths) {
    CursorHidden hidden;
    Play fast;
    ASSERT_TRUE(sameAsPlainPaths(1500, standoff, &fast));
    // Pick-ups taken off the map (eight lie there at the start), the gold counter lit and faded
    // out again, a message shown and expired, a flame of more particles than the screen records
    // one by one while the camera stood still, and the player bitten.
    EXPECT_LE(fast.fewestItemsOnMap, 4u);
    EXPECT_TRUE(fast.goldLit && fast.goldHiddenAgain);
    EXPECT_TRUE(fast.messageShown && fast.messagesGone);
    EXPECT_GT(fast.mostProjectilesStill, 200u);
    EXPECT_LT(fast.lowestHealth, 100);
}

// At --fps 60 a frame is about seventeen passes of which only the last is painted and shown: the
// shown pass must put back, and send, what every pass since the last shown frame moved.
TEST(FastPaths, FramesAtSixtyASecondWithCatchUpMatchThePlainPathsAndAreSentInPart) {
    CursorHidden hidden;
    struct Case {
        const char* name;
        Script script;
        int frames;
        int stillFrames;
        int scrolledFrames; // the view moved since the last frame shown, by less than a screen
    } cases[] = {{"tour", tour, 760, 40, 600},
                 {"standoff", standoff, 800, 150, 500},
                 {"standing ground", standingGround, 400, 390, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Play fast;
        ASSERT_TRUE(sameAsPlainPaths(c.frames, c.script, &fast, 60));
        EXPECT_GT(fast.stillPasses, c.stillFrames);
        // A still view's frames went to the display in part, catch-up passes and all; but the
        // level's first frame, which is sent whole.
        EXPECT_GE(fast.framesInPart, fast.stillPasses - 1);
        EXPECT_GT(fast.passesScrolled, c.scrolledFrames);
    }
}

// Fills between passes through Screen::fill, some past the screen's edges, while the view
// stands still: the level must put the map back under every one of them, as a full repaint does.
TEST(FastPaths, FillsThroughTheScreenAreRepairedAsAFullRepaintWould) {
    CursorHidden hidden;
    Script fills = [](Level1&, int pass) {
        if (pass % 10 == 5) {
            SDL_Rect area = {static_cast<Sint16>(pass % 3 == 0 ? -40 : 100 + pass % 700),
                             static_cast<Sint16>(pass % 4 == 0 ? 690 : 200), 150, 80};
            Screen::fill(mainScreen, &area, SDL_MapRGB(mainScreen->format, 200, 0, 200));
        }
        FakeClock::advance(3);
    };
    Play fast;
    ASSERT_TRUE(sameAsPlainPaths(200, fills, &fast));
    EXPECT_GT(fast.stillPasses, 150);
}

// SDL's software cursor (the dummy driver's, as on a framebuffer) is drawn into the screen behind
// the screen's record of painted areas; with it shown, the pointer still and then moving, the
// faster paths must still show what the straightforward loop shows.
TEST(FastPaths, SdlsOwnCursorStillThenMovingMatchesThePlainPaths) {
    SDL_ShowCursor(SDL_ENABLE);
    Play fast;
    ASSERT_TRUE(sameAsPlainPaths(1200, tourThenPointerPhases, &fast));
    EXPECT_GT(fast.stillPasses, 300);
}
