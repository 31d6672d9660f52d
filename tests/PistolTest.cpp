#include <gtest/gtest.h>
#include <stack>
#include <string>
#include <vector>

#include "Bullet.h"
#include "Collision.h"
#include "Game.h"
#include "Glock.h"
#include "ParticleEngine.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

// A projectile that writes down what the engine does with it.
struct Probe : testsupport::StillProjectile {
    Probe(const std::string& name, std::vector<std::string>* log)
        : StillProjectile(10, 10, 5), name(name), log(log) {}
    ~Probe() override { log->push_back("delete " + name); }
    SDL_Surface* draw() override {
        log->push_back("draw " + name);
        return nullptr;
    }
    void cleanup() override { log->push_back("cleanup " + name); }
    std::string name;
    std::vector<std::string>* log;
};

class PistolTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGameGlobals();
        collisionDetection = &service;
        particleEngine = engine = new ParticleEngine();
    }
    void TearDown() override {
        delete engine;
        resetGameGlobals();
    }
    size_t bullets() { return engine->projectiles.size(); }
    // One press the way the level makes it: fire before mouseDown is set, then once held.
    void press(Glock& g) {
        mouseDown = false;
        g.fire(100, 100, 300, 125);
        mouseDown = true;
        g.fire(100, 100, 300, 125);
        mouseDown = false;
    }

    Collision service;
    ParticleEngine* engine = nullptr;
    std::vector<std::string> log;
};

} // namespace

TEST_F(PistolTest, BulletStartsTwentyFivePixelsFromTheCentreTowardsTheTarget) {
    // Shooter's box at (100, 100): its centre is (125, 125).
    struct Case {
        int mx, my;
        double x, y;
        const char* what;
    } cases[] = {
        {125, 125, 150, 125, "target on the centre"},
        {300, 125, 150, 125, "straight right"},
        {165, 95, 145, 110, "4 right, 3 up"},
        {205, 65, 145, 110, "8 right, 6 up"},
        {85, 95, 105, 110, "4 left, 3 up"},
        {85, 155, 105, 140, "4 left, 3 down"},
        {125, 50, 125, 100, "straight up, above the box"},
        {125, 110, 125, 150, "straight up, below the box's top edge"},
        {165, 100, 146, 138, "up and right, level with the top edge: offset goes down"},
    };
    for (const Case& c : cases) {
        Bullet b(100, 100, c.mx, c.my);
        EXPECT_EQ(c.x, b.getXLocation()) << c.what;
        EXPECT_EQ(c.y, b.getYLocation()) << c.what;
    }

    camera.x = 100;
    camera.y = 50;
    Bullet onMap(100, 100, 165, 95);
    EXPECT_EQ(145.0, onMap.getXLocation());
    camera.x = 0;
    camera.y = 0;
    EXPECT_EQ(245.0, onMap.getXLocation()); // it stays put on the map while the view moves
    EXPECT_EQ(160.0, onMap.getYLocation());
}

TEST_F(PistolTest, BulletStepsEightPixelsAtMostOncePerTenMilliseconds) {
    Bullet b(100, 100, 300, 125);
    FakeClock::advance(10);
    b.draw();
    EXPECT_EQ(150.0, b.getXLocation());
    FakeClock::advance(1);
    b.draw();
    b.draw();
    EXPECT_EQ(158.0, b.getXLocation());
    FakeClock::advance(5000);
    b.draw();
    EXPECT_EQ(166.0, b.getXLocation());
    EXPECT_EQ(125.0, b.getYLocation());
}

TEST_F(PistolTest, BulletRetiresOnceBeyondTheMapButIsStillSteppedAndPainted) {
    Bullet b(100, 100, 300, 125);
    b.locationX = mapWidth;
    b.draw();
    EXPECT_FALSE(b.isDestroyed());
    b.locationX = mapWidth + 1;
    FakeClock::advance(11);
    EXPECT_EQ(b.bullet1, b.draw());
    EXPECT_TRUE(b.isDestroyed());
    EXPECT_EQ(mapWidth + 9.0, b.locationX);
}

TEST_F(PistolTest, GlockFiresOncePerPressAtMostEvery200Ms) {
    Glock g;
    AudioFreeze freeze;
    FakeClock::advance(199);
    press(g); // a new pistol waits its first 200 ms
    EXPECT_EQ(0u, bullets());
    FakeClock::advance(1);
    press(g);
    EXPECT_EQ(1u, bullets());
    EXPECT_EQ(16, g.getClipSize());

    mouseDown = true; // held on past the pause
    FakeClock::advance(500);
    g.fire(100, 100, 300, 125);
    EXPECT_EQ(1u, bullets());
    press(g);
    EXPECT_EQ(2u, bullets());
    FakeClock::advance(150);
    press(g); // too soon: no bullet and no sound
    EXPECT_EQ(2u, bullets());
    freeze.expectStarted(g.shot, 2, "glockShot.wav");
    freeze.expectStarted(g.noAmmo, 0, "noAmmo.wav");
}

TEST_F(PistolTest, EmptyClipClicksOncePerPress) {
    Glock g;
    for (int i = 0; i < 17; i++) {
        FakeClock::advance(200);
        press(g);
    }
    ASSERT_EQ(17u, bullets());
    ASSERT_EQ(0, g.getClipSize());

    AudioFreeze freeze;
    FakeClock::advance(200);
    press(g); // one click at the press, none while held
    freeze.expectStarted(g.noAmmo, 1, "noAmmo.wav");
    press(g);
    freeze.expectStarted(g.noAmmo, 2, "noAmmo.wav");
    freeze.expectStarted(g.shot, 0, "glockShot.wav");
    EXPECT_EQ(17u, bullets());
}

TEST_F(PistolTest, ReloadRefillsTheClipWhateverWasFiredMeanwhile) {
    Glock g;
    AudioFreeze freeze;
    g.reload(); // full clip: nothing
    EXPECT_FALSE(g.reloading);
    freeze.expectStarted(g.reloadGun, 0, "glockReload.wav");

    for (int i = 0; i < 5; i++) {
        FakeClock::advance(200);
        press(g);
    }
    g.reload();
    g.reload(); // already reloading: nothing more
    EXPECT_TRUE(g.reloading);
    freeze.expectStarted(g.reloadGun, 1, "glockReload.wav");
    for (int i = 0; i < 2; i++) {
        FakeClock::advance(200);
        press(g);
    }
    EXPECT_EQ(10, g.getClipSize());
    FakeClock::advance(2599);
    g.update();
    EXPECT_EQ(10, g.getClipSize());
    FakeClock::advance(1);
    g.update();
    EXPECT_EQ(17, g.getClipSize());
    EXPECT_FALSE(g.reloading);
}

TEST_F(PistolTest, EngineKeepsOrderAndDeletesTheDestroyedOnTheNextPass) {
    Probe* a = new Probe("A", &log);
    Probe* b = new Probe("B", &log);
    Probe* c = new Probe("C", &log);
    engine->addProjectiles(a);
    engine->addProjectiles(b);
    engine->addProjectiles(c);
    engine->draw();
    EXPECT_EQ((std::vector<std::string>{"draw A", "draw B", "draw C"}), log);
    EXPECT_EQ(3u, service.projectiles.size());

    b->destroy();
    log.clear();
    engine->draw();
    EXPECT_EQ((std::vector<std::string>{"cleanup B", "delete B", "draw A", "draw C"}), log);
    EXPECT_EQ(2u, service.projectiles.size());
    EXPECT_EQ(a, service.projectiles.front());

    a->destroy();
    c->destroy();
    engine->draw(); // empties the engine and publishes the empty list
    EXPECT_TRUE(service.projectiles.empty());
}

TEST_F(PistolTest, EngineQueuesAStackFromTheTopDown) {
    std::stack<Projectile*> pushed;
    pushed.push(new Probe("A", &log));
    pushed.push(new Probe("B", &log));
    pushed.push(new Probe("C", &log));
    engine->addProjectiles(pushed);
    engine->draw();
    EXPECT_EQ((std::vector<std::string>{"draw C", "draw B", "draw A"}), log);
}
