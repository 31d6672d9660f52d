#include <gtest/gtest.h>
#include <stack>
#include <string>
#include <vector>

#include "Backpack.h"
#include "Collision.h"
#include "Game.h"
#include "HUD.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "SlowZombie.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

template <typename T> std::vector<T> contents(std::stack<T> s) {
    std::vector<T> out;
    for (; !s.empty(); s.pop())
        out.push_back(s.top());
    return out;
}

class PlayThrough : public LevelFixture {
protected:
    void SetUp() override {
        LevelFixture::SetUp();
        ASSERT_NE(nullptr, player->images[0]) << "the player's pictures must be in data/";
        for (Unit* u : contents(level->units))
            zombies.push_back(static_cast<SlowZombie*>(u));
    }
    void TearDown() override {
        releaseAllKeys();
        LevelFixture::TearDown();
    }
    void pass(int n = 1) { runPasses(n, 21); }
    void walk(std::initializer_list<SDLKey> keys, int passes) {
        for (SDLKey k : keys)
            holdKey(k);
        pass(passes);
        releaseAllKeys();
    }
    void aim(int x, int y) {
        mouseX = x;
        mouseY = y;
        moveMouse(x, y);
    }
    bool showing(const std::string& message) {
        for (Text* t : contents(hud->texts))
            if (t->displayString.str() == message)
                return true;
        return false;
    }
    // The player's picture for the pointer lies at the pointer's mirror through the screen's
    // centre: its opaque pixels are on the screen as they are in the picture.
    void expectPlayerPaintedAtMirror() {
        ASSERT_EQ(1080 - mouseX, player->getXLocation());
        ASSERT_EQ(720 - mouseY, player->getYLocation());
        SDL_Surface* picture = player->images[player->degreeCalc(mouseX, mouseY)];
        ASSERT_NE(nullptr, picture);
        int opaque = 0, same = 0;
        SDL_LockSurface(picture); // pictures may be run-length encoded until locked
        for (int y = 0; y < picture->h; y++) {
            for (int x = 0; x < picture->w; x++) {
                Uint32 raw = reinterpret_cast<Uint32*>(static_cast<Uint8*>(picture->pixels) +
                                                       y * picture->pitch)[x];
                Uint8 r, g, b, a;
                SDL_GetRGBA(raw, picture->format, &r, &g, &b, &a);
                if (a != 255)
                    continue;
                opaque++;
                Uint32 rgb = (Uint32(r) << 16) | (Uint32(g) << 8) | b;
                same += screenPixel(1080 - mouseX + x, 720 - mouseY + y) == rgb ? 1 : 0;
            }
        }
        SDL_UnlockSurface(picture);
        ASSERT_GT(opaque, 100);
        EXPECT_GE(same, opaque * 95 / 100) << "of " << opaque << " opaque pixels";
    }

    std::vector<SlowZombie*> zombies; // ids 2, 1, 0: the one at (300, 300) first
    int mouseX = 540, mouseY = 360;
};

} // namespace

TEST_F(PlayThrough, PistolPotionAndBiteFromTheRealSetUp) {
    ASSERT_EQ(3u, zombies.size());
    SlowZombie* target = zombies[0];
    ASSERT_EQ(300.0, target->locationX);

    // Up four steps: from y 600 the player's centre would pass below the Glock's reach.
    walk({SDLK_w}, 4);
    EXPECT_EQ(540.0, player->locationX);
    EXPECT_EQ(588.0, player->locationY);
    EXPECT_EQ(0, camera.x);
    EXPECT_EQ(228, camera.y);
    expectPlayerPaintedAtMirror();

    // Right until the player's centre is over the Glock lying at (700, 600).
    walk({SDLK_d}, 46);
    pass();
    EXPECT_EQ(678.0, player->locationX);
    ASSERT_NE(nullptr, player->backpack->weapons[0]);
    EXPECT_EQ("Glock", player->backpack->weapons[0]->getId());
    EXPECT_TRUE(showing("Glock Added to Backpack"));
    EXPECT_EQ(7u, level->items.size());
    EXPECT_EQ(0, player->getGold());
    EXPECT_TRUE(player->backpack->items.empty());
    EXPECT_EQ(nullptr, player->weapon); // stored, not in hand
    for (SlowZombie* z : zombies)
        EXPECT_EQ(300.0, z->locationY) << "out of range, unmoved";
    expectPlayerPaintedAtMirror();

    walk({SDLK_1}, 1);
    ASSERT_EQ(player->backpack->weapons[0], player->weapon);
    EXPECT_EQ(17, player->getClipSize());

    // Point at the zombie at (300, 300): with the pointer at (363, 228) the camera sits at
    // (-39, 96) and the zombie's centre is right under the pointer.
    aim(363, 228);
    pass(10);
    EXPECT_EQ(-39, camera.x);
    EXPECT_EQ(96, camera.y);
    EXPECT_EQ(339, target->getXLocation());
    expectPlayerPaintedAtMirror();

    pushMouseButton(SDL_BUTTON_LEFT, true);
    pass();
    pushMouseButton(SDL_BUTTON_LEFT, false);
    pass();
    EXPECT_FALSE(mouseDown);
    EXPECT_EQ(16, player->getClipSize()); // one shot for the press, though fire1 ran twice
    EXPECT_EQ(1u, particleEngine->projectiles.size());

    int flight = 0;
    while (!target->isDestroyed() && flight < 150) {
        pass();
        flight++;
    }
    ASSERT_TRUE(target->isDestroyed()) << "the bullet never took the zombie";
    EXPECT_GT(flight, 40); // about 475 pixels at 8 a pass
    EXPECT_EQ(0, target->health);
    EXPECT_EQ(5, zombies[1]->health);
    EXPECT_EQ(5, zombies[2]->health);
    pass(2);
    EXPECT_EQ(2u, level->units.size());
    for (Unit* u : contents(level->units))
        EXPECT_NE(target, u);
    EXPECT_TRUE(particleEngine->projectiles.empty()); // the spent bullet is gone too

    // Left along the same row onto the potion at (500, 600).
    walk({SDLK_a}, 62);
    pass(2); // taken in the first, gone from the ground in the second
    EXPECT_EQ(492.0, player->locationX);
    ASSERT_EQ(1u, player->backpack->items.size());
    EXPECT_TRUE(showing("Health Potion Added to Backpack"));
    EXPECT_EQ(6u, level->items.size());
    EXPECT_EQ(100.0, player->getHealth());
    expectPlayerPaintedAtMirror();

    // A few steps up and left bring the zombie at (200, 300) within reach; it comes for us.
    SlowZombie* chaser = zombies[1];
    EXPECT_EQ(200.0, chaser->locationX);
    walk({SDLK_a, SDLK_w}, 6);
    int waited = 0;
    while (player->getHealth() == 100.0 && waited < 600) {
        pass();
        waited++;
    }
    ASSERT_EQ(95.0, player->getHealth()) << "no bite after " << waited << " passes";
    EXPECT_GT(waited, 200);
    EXPECT_GT(chaser->locationX, 400.0);
    EXPECT_EQ(100.0, zombies[2]->locationX); // the last one never came within reach
    EXPECT_TRUE(collisionDetection->collidedUnits.empty());
    expectPlayerPaintedAtMirror(); // painted over the zombie

    // Drink at once, before the zombie may bite again.
    pushKeyDown(SDLK_c);
    pass();
    EXPECT_EQ(105.0, player->getHealth());
    EXPECT_TRUE(player->backpack->items.empty());

    pass(46); // 987 ms after the bite, still touching
    EXPECT_EQ(105.0, player->getHealth());
    pass();
    EXPECT_EQ(100.0, player->getHealth());
}
