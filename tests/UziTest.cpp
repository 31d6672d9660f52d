#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "Bullet.h"
#include "Game.h"
#include "ParticleEngine.h"
#include "Uzi.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

class UziTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGameGlobals();
        particleEngine = &engine;
        uzi = new Uzi();
        ASSERT_NE(nullptr, uzi->shot) << "sounds/gunSounds/uziShot.wav is missing";
        ASSERT_NE(nullptr, uzi->noAmmo) << "sounds/gunSounds/noAmmo.wav is missing";
        ASSERT_NE(nullptr, uzi->reloadGun) << "sounds/gunSounds/glockReload.wav is missing";
    }
    void TearDown() override {
        delete uzi;
        resetGameGlobals();
    }
    size_t bullets() { return engine.projectiles.size(); }
    Bullet* lastBullet() { return static_cast<Bullet*>(engine.projectiles.back()); }

    ParticleEngine engine;
    Uzi* uzi = nullptr;
};

// The first seed whose next four rand() values satisfy `wanted`.
unsigned seedWhere(std::function<bool(int, int, int, int)> wanted) {
    for (unsigned seed = 1; seed < 2000000; seed++) {
        srand(seed);
        int a = rand(), b = rand(), c = rand(), d = rand();
        if (wanted(a, b, c, d)) {
            return seed;
        }
    }
    ADD_FAILURE() << "no seed found";
    return 1;
}

TEST_F(UziTest, ScatterUsesFourRandCallsInOrder) {
    struct Case {
        int dx, xNegative, dy, yNegative, targetX, targetY;
    } cases[] = {{10, 1, 20, 0, 490, 320}, {49, 0, 3, 1, 549, 297}};
    FakeClock::advance(71);
    for (const Case& c : cases) {
        unsigned seed = seedWhere([&](int a, int b, int e, int d) {
            return a % 50 == c.dx && b % 2 == c.xNegative && e % 50 == c.dy && d % 2 == c.yNegative;
        });
        srand(seed);
        uzi->fire(300, 200, 500, 300);
        ASSERT_EQ(1u, bullets());
        Bullet expected(300, 200, c.targetX, c.targetY);
        Bullet unscattered(300, 200, 500, 300);
        EXPECT_DOUBLE_EQ(expected.angle, lastBullet()->angle) << c.targetX << "," << c.targetY;
        EXPECT_DOUBLE_EQ(expected.locationX, lastBullet()->locationX);
        EXPECT_DOUBLE_EQ(expected.locationY, lastBullet()->locationY);
        EXPECT_NE(unscattered.angle, lastBullet()->angle);
        expected.cleanup();
        unscattered.cleanup();
        engine.projectiles.front()->cleanup();
        delete engine.projectiles.front();
        engine.projectiles.pop();
        FakeClock::advance(71);
    }
}

TEST_F(UziTest, HeldTriggerEmptiesTheClipAt71msThenClicksOncePerPress) {
    AudioFreeze freeze;
    mouseDown = true; // held from before the first call
    std::vector<Uint32> shotTimes;
    for (int ms = 0; ms < 3000; ms++) {
        FakeClock::advance(1);
        size_t before = bullets();
        uzi->fire(500, 300, 800, 300);
        if (bullets() != before) {
            shotTimes.push_back(FakeClock::ticks);
        }
    }
    ASSERT_EQ(30u, shotTimes.size());
    for (size_t i = 1; i < shotTimes.size(); i++) {
        EXPECT_EQ(71u, shotTimes[i] - shotTimes[i - 1]) << "shot " << i;
    }
    EXPECT_EQ(0, uzi->getClipSize());
    EXPECT_EQ(30, freeze.count(uzi->shot));
    EXPECT_EQ(0, freeze.count(uzi->noAmmo)) << "no click while the button stays down";

    mouseDown = false; // a new press
    uzi->fire(500, 300, 800, 300);
    mouseDown = true;
    for (int frame = 0; frame < 100; frame++) {
        FakeClock::advance(1);
        uzi->fire(500, 300, 800, 300);
    }
    EXPECT_EQ(1, freeze.count(uzi->noAmmo));
    EXPECT_EQ(30u, bullets());
}

TEST_F(UziTest, PressTooSoonIsSilentAndReloadRefillsAfterThreeSeconds) {
    AudioFreeze freeze;
    uzi->reload();
    EXPECT_EQ(0, freeze.count(uzi->reloadGun)) << "a full clip is not reloaded";
    for (int shot = 0; shot < 18; shot++) {
        FakeClock::advance(71);
        uzi->fire(500, 300, 800, 300);
    }
    ASSERT_EQ(12, uzi->getClipSize());
    FakeClock::advance(50); // a new press too soon after the last shot: nothing, not even a click
    mouseDown = false;
    uzi->fire(500, 300, 800, 300);
    EXPECT_EQ(18u, bullets());
    EXPECT_EQ(0, freeze.count(uzi->noAmmo));
    uzi->reload();
    FakeClock::advance(1000);
    uzi->reload(); // already under way
    EXPECT_EQ(1, freeze.count(uzi->reloadGun));
    FakeClock::advance(1999);
    uzi->update();
    EXPECT_EQ(12, uzi->getClipSize());
    FakeClock::advance(1);
    uzi->update();
    EXPECT_EQ(30, uzi->getClipSize());
}

} // namespace
