#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

#include "Backpack.h"
#include "FlamethrowerItem.h"
#include "Game.h"
#include "GlockItem.h"
#include "HUD.h"
#include "HealthPotion.h"
#include "ParticleEngine.h"
#include "Player.h"
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
    int stillPasses = 0;
    int zombiesHurt = 0;
};

// One scripted play: walking, pointer jumps that take the camera off every edge of the map,
// every weapon fired at the zombies, pick-ups, potions, messages, the backpack panel, damage.
// With pointerPhases the script goes on after its 900 passes with the pointer held still for a
// while and then moved, again and again, so that SDL's own cursor (drawn into the screen by the
// dummy driver) moves over a screen that the faster paths only partly repaint.
Play play(bool fast, bool pointerPhases = false) {
    fastPaths = fast;
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
    const SDLKey walk[4] = {SDLK_d, SDLK_s, SDLK_a, SDLK_w};
    int passes = pointerPhases ? 1200 : 900;
    for (int pass = 0; pass < passes; pass++) {
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
        if (pass >= 900) {
            // 30 passes still, then 10 passes of the pointer moving a few pixels at a time,
            // some of them by a distance that keeps the old and new cursor overlapping.
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
        } else if (pass >= 700) {
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
        level->runPass();
        trace.push_back(frameHash());
        trace.push_back(stateHash(*level));
        result.cameraOffLeft |= camera.x < 0;
        result.cameraOffTop |= camera.y < 0;
        result.cameraOffRight |= camera.x + 1080 > mapWidth;
        result.cameraOffBottom |= camera.y + 720 > mapHeight;
        result.stillPasses += camera.x == lastCamera.x && camera.y == lastCamera.y;
        lastCamera = camera;
        result.mostProjectiles =
            std::max(result.mostProjectiles, particleEngine->projectiles.size());
    }
    for (std::stack<Unit*> units = level->units; !units.empty(); units.pop()) {
        result.zombiesHurt += static_cast<SlowZombie*>(units.top())->health < 5;
    }
    result.zombiesHurt += 3 - static_cast<int>(level->units.size());
    level->cleanup();
    delete level;
    releaseAllKeys();
    drainEvents();
    resetGameGlobals();
    fastPaths = true;
    return result;
}

} // namespace

TEST(FastPaths, EveryFrameAndEveryDecisionMatchThePlainPaths) {
    // Hidden, as X11's is to the screen surface: SDL's own cursor would make the level repaint
    // in full and leave the repair of painted areas untested.
    SDL_ShowCursor(SDL_DISABLE);
    std::vector<Uint64> plain = play(false).trace;
    Play fast = play(true);
    SDL_ShowCursor(SDL_ENABLE);
    ASSERT_EQ(plain.size(), fast.trace.size());
    for (size_t i = 0; i < plain.size(); i++) {
        ASSERT_EQ(plain[i], fast.trace[i])
            << "pass " << i / 2 << (i % 2 ? ": game state" : ": pixels") << " differ";
    }
    // The script must reach what it means to cover: the map's four edges inside the view,
    // projectiles in flight, zombies hurt.
    EXPECT_TRUE(fast.cameraOffLeft && fast.cameraOffTop && fast.cameraOffRight &&
                fast.cameraOffBottom);
    EXPECT_GT(fast.mostProjectiles, 20u);
    EXPECT_GT(fast.stillPasses, 150);
    EXPECT_GT(fast.zombiesHurt, 0);
}

// SDL's software cursor (the dummy driver's, as on a framebuffer) is drawn into the screen behind
// the loader's record of painted areas; with it shown, the pointer still and then moving, the
// faster paths must still show what the straightforward loop shows.
TEST(FastPaths, SdlsOwnCursorStillThenMovingMatchesThePlainPaths) {
    SDL_ShowCursor(SDL_ENABLE);
    std::vector<Uint64> plain = play(false, true).trace;
    Play fast = play(true, true);
    ASSERT_EQ(plain.size(), fast.trace.size());
    for (size_t i = 0; i < plain.size(); i++) {
        ASSERT_EQ(plain[i], fast.trace[i])
            << "pass " << i / 2 << (i % 2 ? ": game state" : ": pixels") << " differ";
    }
    EXPECT_GT(fast.stillPasses, 300);
}
