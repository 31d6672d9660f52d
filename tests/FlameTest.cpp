#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "Bullet.h"
#include "Collision.h"
#include "FireParticle.h"
#include "Flamethrower.h"
#include "Game.h"
#include "ParticleEngine.h"
#include "Uzi.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

class FlameTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGameGlobals();
        particleEngine = &engine;
        collisionDetection = &collision;
        picture = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 32, 0, 0, 0, 0);
    }
    void TearDown() override {
        SDL_FreeSurface(picture);
        resetGameGlobals();
    }
    FireParticle* particle(size_t i) {
        std::queue<Projectile*> copy = engine.projectiles;
        for (; i > 0; i--) {
            copy.pop();
        }
        return static_cast<FireParticle*>(copy.front());
    }
    // One step is due once more than 20 ms have passed.
    void step(FireParticle& p) {
        FakeClock::advance(21);
        p.draw();
    }

    ParticleEngine engine;
    Collision collision;
    SDL_Surface* picture = nullptr;
};

TEST_F(FlameTest, ParticleStartsBesideTheShooterTowardsTheAim) {
    camera.x = 100;
    camera.y = 50;
    FireParticle up(picture, 500, 300, 525, 200, 1);
    EXPECT_EQ(525, up.getXLocation());
    EXPECT_EQ(300, up.getYLocation());
    EXPECT_EQ(625, up.startXLocation) << "kept on the map";
    FireParticle left(picture, 500, 300, 400, 325, 1);
    EXPECT_EQ(500, left.getXLocation());
    EXPECT_EQ(325, left.getYLocation());
    FireParticle upRight(picture, 500, 300, 565, 295, 1); // 40 right of and 30 above the centre
    EXPECT_NEAR(545, upRight.getXLocation(), 1);
    EXPECT_NEAR(310, upRight.getYLocation(), 1);
    EXPECT_EQ(1, upRight.getDamage());
}

TEST_F(FlameTest, StepsOnlyAfterTwentyMilliseconds) {
    FireParticle p(picture, 500, 300, 700, 100, 1);
    p.height = 99;
    FakeClock::advance(20);
    EXPECT_EQ(picture, p.draw());
    EXPECT_EQ(0, p.locationY);
    FakeClock::advance(1);
    p.draw();
    double afterFirst = p.locationY;
    EXPECT_LT(afterFirst, 0) << "an up-right aim climbs at least one step factor";
    p.draw();
    FakeClock::advance(20);
    p.draw();
    EXPECT_EQ(afterFirst, p.locationY) << "the timer restarted with the step";
    FakeClock::advance(1);
    p.draw();
    EXPECT_LT(p.locationY, afterFirst);
}

TEST_F(FlameTest, ZeroReachBurnsOutOnTheSecondStep) {
    FireParticle p(picture, 500, 300, 700, 100, 1);
    p.height = 0;
    step(p);
    EXPECT_FALSE(p.isDestroyed()) << "the test looks at the offsets before the step";
    step(p);
    EXPECT_TRUE(p.isDestroyed());
}

TEST_F(FlameTest, HorizontalAimNeverLeavesTheLineAndBurnsOutPastItsReach) {
    FireParticle p(picture, 500, 300, 800, 325, 1);
    double before = 0;
    for (int n = 0; n < 400 && !p.isDestroyed(); n++) {
        before = p.locationX;
        step(p);
        EXPECT_EQ(0, p.locationY);
        EXPECT_EQ(325, p.getYLocation());
    }
    ASSERT_TRUE(p.isDestroyed());
    EXPECT_GT(before, p.height) << "burnt out only once past its reach";
}

TEST_F(FlameTest, EachParticleReseedsSoTheUziFollowsTheLastSeed) {
    FakeClock::set(50000);
    srand(7);
    FireParticle first(picture, 500, 300, 700, 100, 1);
    srand(99);
    int drawn = rand();
    srand(99);
    FakeClock::advance(333);
    Uint32 madeAt = FakeClock::ticks;
    FireParticle last(picture, 500, 300, 700, 100, 1);
    Uzi uzi;
    FakeClock::advance(71);
    uzi.fire(300, 200, 500, 300);
    ASSERT_EQ(1u, engine.projectiles.size());
    Bullet* bullet = static_cast<Bullet*>(engine.projectiles.back());

    // The seed is the tick count plus the next rand() value mod 599; the particle then draws
    // its reach and first step factor, and the Uzi the four scatter values.
    srand(madeAt + drawn % 599);
    EXPECT_EQ(rand() % 100, last.height);
    EXPECT_EQ(rand() % 6 + 1, last.yVelocity);
    int a = rand(), b = rand(), c = rand(), d = rand();
    int tx = 500 + (a % 50) * (b % 2 ? -1 : 1);
    int ty = 300 + (c % 50) * (d % 2 ? -1 : 1);
    Bullet expected(300, 200, tx, ty);
    EXPECT_DOUBLE_EQ(expected.angle, bullet->angle);
    expected.cleanup();
}

TEST_F(FlameTest, FlamethrowerCyclesColoursSoundsEveryThirtiethCallAndBurnsPastEmpty) {
    Flamethrower flame;
    ASSERT_NE(nullptr, flame.red);
    ASSERT_NE(nullptr, flame.shot) << "sounds/gunSounds/flamethrower.wav is missing";
    ASSERT_TRUE(flame.red != flame.yellow && flame.yellow != flame.orange);
    AudioFreeze freeze;
    for (int call = 1; call <= 61; call++) {
        flame.fire(500, 300, 700, 300);
        if (call == 30) {
            EXPECT_EQ(0, freeze.count(flame.shot)) << "silent for the first 30 calls";
        }
        if (call == 31 || call == 60) {
            EXPECT_EQ(1, freeze.count(flame.shot)) << "call " << call;
        }
        if (call == 50) {
            EXPECT_EQ(0, flame.getClipSize());
            flame.reload();
            flame.update();
            EXPECT_EQ(0, flame.getClipSize()) << "never refilled";
        }
        if (call == 51) {
            EXPECT_EQ(-1, flame.getClipSize());
            EXPECT_EQ(51u, engine.projectiles.size()) << "an empty tank still emits";
        }
    }
    EXPECT_EQ(2, freeze.count(flame.shot)) << "again on call 61";
    SDL_Surface* expected[4] = {flame.red, flame.yellow, flame.orange, flame.red};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(expected[i], particle(i)->picture) << "particle " << i;
        EXPECT_EQ(1, particle(i)->getDamage());
    }
    EXPECT_EQ(61u, engine.projectiles.size()) << "fuel below zero never stops it";
    EXPECT_EQ(-11, flame.getClipSize());
}

// Days of holding fire bring the shot count and the fuel to the ends of the int range; the
// colour cycle runs on unbroken and the fuel stays at its lowest value.
TEST_F(FlameTest, FlamethrowerCountersRunPastTheEndsOfTheirRange) {
    Flamethrower flame;
    ASSERT_NE(nullptr, flame.red);
    flame.frame = INT_MAX - 3; // the shot that gives yellow
    flame.clip = INT_MIN + 2;
    for (int call = 0; call < 9; call++) {
        flame.fire(500, 300, 700, 300);
    }
    for (int i = 0; i < 9; i++) {
        SDL_Surface* expected[3] = {flame.yellow, flame.orange, flame.red};
        EXPECT_EQ(expected[i % 3], particle(i)->picture) << "particle " << i;
    }
    EXPECT_EQ(INT_MIN, flame.getClipSize());
    EXPECT_GE(flame.frame, 0);
}

TEST_F(FlameTest, RetiredParticlesLeaveTheSharedPicturesAlone) {
    Flamethrower flame;
    ASSERT_NE(nullptr, flame.red);
    flame.red->refcount++; // a free by anyone else would show as a drop back to 1
    for (int call = 0; call < 6; call++) {
        flame.fire(500, 300, 700, 300);
    }
    for (size_t i = 0; i < 6; i++) {
        particle(i)->destroy();
    }
    engine.draw();
    EXPECT_TRUE(engine.projectiles.empty());
    EXPECT_EQ(2, flame.red->refcount);
    flame.red->refcount--;
}

} // namespace
