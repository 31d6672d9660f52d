#include <cmath>
#include <gtest/gtest.h>

#include "Backpack.h"
#include "Collision.h"
#include "Game.h"
#include "Glock.h"
#include "GlockItem.h"
#include "HealthPotion.h"
#include "PathingBlocker.h"
#include "Player.h"
#include "SlowZombie.h"
#include "UziItem.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

// A player on its own at (540, 600), driven frame by frame as the level does.
class PlayerTest : public PlayerFixture {
protected:
    void SetUp() override {
        releaseAllKeys();
        moveMouse(540, 360);
        PlayerFixture::SetUp();
    }
    void TearDown() override {
        releaseAllKeys();
        PlayerFixture::TearDown();
    }
    void frame(Uint32 ms) {
        FakeClock::advance(ms);
        service.setUnits(units);
        p->move();
    }
    std::stack<Unit*> units;
};

} // namespace

TEST_F(PlayerTest, DegreeCalcPicksTheRotationFacingTheMouse) {
    // The box's centre is (565, 625).
    const int cases[][3] = {{565, 500, 0},  {615, 575, 5},  {700, 625, 9},  {615, 675, 14},
                            {565, 700, 19}, {564, 700, 19}, {566, 700, 18}, {515, 675, 23},
                            {400, 625, 27}, {515, 575, 32}, {564, 500, 0},  {565, 625, 9}};
    for (const auto& c : cases) {
        EXPECT_EQ(c[2], p->degreeCalc(c[0], c[1])) << "mouse at " << c[0] << "," << c[1];
    }
    // Mid-sector, clockwise from straight up: the sector's upper bound over ten, 36 being 0.
    for (int k = 0; k < 36; k++) {
        double phi = (10 * k + 5) * M_PI / 180.0;
        int x = 565 + static_cast<int>(lround(200 * sin(phi)));
        int y = 625 - static_cast<int>(lround(200 * cos(phi)));
        EXPECT_EQ((k + 1) % 36, p->degreeCalc(x, y)) << "sector " << k;
    }
}

TEST_F(PlayerTest, StepsOnlyAfterMoreThanTwentyMilliseconds) {
    holdKey(SDLK_d);
    frame(20);
    EXPECT_EQ(540.0, p->locationX);
    frame(1); // the timer was not restarted at 20
    EXPECT_EQ(543.0, p->locationX);
    releaseKey(SDLK_d);
    frame(21); // restarts with no key down all the same
    holdKey(SDLK_d);
    frame(20);
    EXPECT_EQ(543.0, p->locationX);
}

TEST_F(PlayerTest, ViewBoundsRefuseTheFirstDownStepAndOneOfLeftAndRight) {
    holdKey(SDLK_s);
    frame(21); // camera (0, 0): 603 is not below 582
    EXPECT_EQ(600.0, p->locationY);
    frame(21); // the camera now follows the mouse
    EXPECT_EQ(603.0, p->locationY);
    releaseKey(SDLK_s);

    holdKey(SDLK_a);
    holdKey(SDLK_d);
    moveMouse(1029, 360);
    frame(21);
    EXPECT_EQ(540.0, p->locationX); // both taken: no net motion
    EXPECT_EQ(51, p->getXLocation());
    frame(21); // at view x 51 the left step is refused
    EXPECT_EQ(543.0, p->locationX);
}

TEST_F(PlayerTest, BuildingsRefuseAStepButZombiesDoNot) {
    PathingBlocker building(590, 560, 100, 100);
    service.setPathingBlockers({&building});
    SlowZombie zombie(540, 570); // overlapping the box and the upward step
    units.push(&zombie);
    holdKey(SDLK_a);
    holdKey(SDLK_d);
    holdKey(SDLK_w);
    frame(21);
    EXPECT_EQ(537.0, p->locationX); // left taken, right back into the building refused
    EXPECT_EQ(597.0, p->locationY);
    EXPECT_EQ(1u, service.collidedUnits.size());
}

TEST_F(PlayerTest, CameraPutsThePlayerAtThePointersMirror) {
    moveMouse(700, 200);
    frame(21);
    EXPECT_EQ(160, camera.x);
    EXPECT_EQ(80, camera.y);
    EXPECT_EQ(380, p->getXLocation());
    EXPECT_EQ(520, p->getYLocation());
    moveMouse(200, 600);
    frame(21);
    EXPECT_EQ(-340, camera.x);
    EXPECT_EQ(480, camera.y);
}

TEST_F(PlayerTest, WalkingFarStopsAtTheBandAndTheCameraNeverWraps) {
    holdKey(SDLK_a);
    holdKey(SDLK_w);
    int lastCamX = camera.x;
    for (int i = 0; i < 12000; i++) { // far enough to wrap a 16-bit camera twice over
        frame(21);
        ASSERT_LE(camera.x, lastCamX) << "camera jumped at frame " << i;
        lastCamX = camera.x;
    }
    EXPECT_EQ(-Player::MAP_BAND + 1.0, p->locationX); // 5513 steps, then refused
    EXPECT_EQ(-Player::MAP_BAND + 1.0, p->locationY);
    EXPECT_EQ(static_cast<int>(540 + p->locationX - 1080), camera.x);
    EXPECT_EQ(static_cast<int>(360 + p->locationY - 720), camera.y);

    releaseAllKeys();
    p->locationX = mapWidth + Player::MAP_BAND - 4;
    p->locationY = mapHeight + Player::MAP_BAND - 4;
    frame(21);
    holdKey(SDLK_d);
    holdKey(SDLK_s);
    for (int i = 0; i < 5; i++) {
        frame(21);
    }
    EXPECT_EQ(mapWidth + Player::MAP_BAND - 1.0, p->locationX);
    EXPECT_EQ(mapHeight + Player::MAP_BAND - 1.0, p->locationY);
}

TEST_F(PlayerTest, PotionsHealWithoutLimitAndOnlyByTheirOwnId) {
    p->useItem("HealthPotion"); // nothing stored
    ASSERT_TRUE(p->backpack->addItem(new HealthPotion(0, 0)));
    p->takeDamage(5);
    p->useItem("Gold");
    EXPECT_EQ(95.0, p->getHealth());
    p->useItem("HealthPotion");
    EXPECT_EQ(105.0, p->getHealth());
    EXPECT_TRUE(p->backpack->items.empty());
}

TEST_F(PlayerTest, SetWeaponTakesOnlyStoredWeaponsAndTheLastKeyWins) {
    p->setWeapon(1);
    p->fire1();
    p->reload();
    EXPECT_EQ(nullptr, p->weapon);
    EXPECT_EQ(0, p->getClipSize());

    GlockItem glock(0, 0);
    UziItem uzi(0, 0);
    p->backpack->addItem(&glock);
    p->setWeapon(2); // no Uzi yet
    EXPECT_EQ(nullptr, p->weapon);
    p->setWeapon(1);
    Weapon* pistol = p->backpack->weapons[0];
    ASSERT_EQ(pistol, p->weapon);
    static_cast<Glock*>(pistol)->clip = 5;

    p->backpack->addItem(&uzi);
    p->setWeapon(1); // 1 and 2 held together
    p->setWeapon(2);
    p->setWeapon(4);
    EXPECT_EQ("Uzi", p->weapon->getId());
    p->setWeapon(1); // the same pistol, its clip as it was
    EXPECT_EQ(pistol, p->weapon);
    EXPECT_EQ(5, p->getClipSize());
}

TEST_F(PlayerTest, TwoTouchingZombiesBiteTogetherThenWaitASecond) {
    SlowZombie left(530, 590), right(560, 610);
    units.push(&left);
    units.push(&right);
    frame(1000);
    p->draw();
    EXPECT_EQ(90.0, p->getHealth());
    EXPECT_TRUE(service.collidedUnits.empty());
    frame(21);
    p->draw();
    EXPECT_EQ(90.0, p->getHealth());
    frame(979); // a second since the bites
    p->draw();
    EXPECT_EQ(80.0, p->getHealth());
}

class PlayerInLevel : public LevelFixture {};

TEST_F(PlayerInLevel, HoldingSpaceCostsOneHealthEveryPass) {
    holdKey(SDLK_SPACE);
    runPasses(3, 21);
    EXPECT_EQ(97.0, player->getHealth());
}
