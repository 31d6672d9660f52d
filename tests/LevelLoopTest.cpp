#include <climits>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Collision.h"
#include "Game.h"
#include "HUD.h"
#include "Player.h"
#include "SlowZombie.h"
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
    int frames = level->frameCount;
    pushMouseButton(SDL_BUTTON_RIGHT, true);
    runPasses(1);
    EXPECT_TRUE(level->quit);
    EXPECT_EQ(frames + 1, level->frameCount);
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
    quitSignal = SIGHUP;
    runPasses(1);
    quitSignal = 0;
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
    level->frameCount = INT_MAX - 3;
    runPasses(10);      // the count starts again in the fourth of these
    runPasses(1, 1001); // 8 passes in 1007 ms since then
    SDL_WM_GetCaption(&title, nullptr);
    EXPECT_STREQ("FPS = 7.94439", title);

    level->fpsTimer->startingTime = FakeClock::ticks + 1 - INT_MAX;
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
