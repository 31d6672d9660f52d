#include <gtest/gtest.h>
#include <cmath>
#include <stack>

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

// A player on its own, with a fresh collision service, driven frame by frame as the level does.
class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGameGlobals();
        releaseAllKeys();
        drainEvents();
        moveMouse(540, 360);
        service = new Collision();
        collisionDetection = service;
        p = new Player(imageHandler, mainScreen, service);
        player = p;
    }
    void TearDown() override {
        releaseAllKeys();
        delete p;
        delete service;
        for (PathingBlocker* b : blockers) delete b;
        for (SlowZombie* z : zombies) delete z;
        resetGameGlobals();
    }
    void frame(Uint32 ms) {
        FakeClock::advance(ms);
        service->setUnits(units);
        p->move();
    }
    // Solid pictures of one colour per rotation, so the painted index and place can be read back.
    Uint32 colourOf(int k) { return (0xC0u << 16) | (Uint32(k * 5) << 8) | Uint32(250 - k * 5); }
    void paintablePictures() {
        for (int k = 0; k < 36; k++) {
            SDL_FreeSurface(p->images[k]);
            SDL_PixelFormat* f = mainScreen->format;
            SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 50, 50, 32, f->Rmask, f->Gmask,
                                                  f->Bmask, 0);
            Uint32 c = colourOf(k);
            SDL_FillRect(s, NULL, SDL_MapRGB(s->format, c >> 16, (c >> 8) & 0xFF, c & 0xFF));
            p->images[k] = s;
        }
    }

    Collision* service = nullptr;
    Player* p = nullptr;
    std::stack<Unit*> units;
    std::vector<PathingBlocker*> blockers;
    std::vector<SlowZombie*> zombies;
};

} // namespace

TEST_F(PlayerTest, DegreeCalcPicksTheRotationFacingTheMouse) {
    // Box at view (540, 600): its centre is (565, 625).
    struct Case { int x, y, index; } cases[] = {
        {565, 500, 0},  {615, 575, 5},  {700, 625, 9},  {615, 675, 14}, {565, 700, 19},
        {564, 700, 19}, {566, 700, 18}, {515, 675, 23}, {400, 625, 27}, {515, 575, 32},
        {564, 500, 0},  {565, 625, 9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.index, p->degreeCalc(c.x, c.y)) << "mouse at " << c.x << "," << c.y;
    }
    // In the middle of every ten-degree sector, clockwise from straight up, the index is the
    // sector's upper bound over ten, with 36 wrapping to 0.
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
    frame(1); // 21 ms since construction: the timer was not restarted at 20
    EXPECT_EQ(543.0, p->locationX);

    releaseKey(SDLK_d);
    frame(21); // no key down, but the pacing timer restarts all the same
    holdKey(SDLK_d);
    frame(20);
    EXPECT_EQ(543.0, p->locationX);
    frame(1);
    EXPECT_EQ(546.0, p->locationX);
}

TEST_F(PlayerTest, FirstFrameRefusesTheDownStepThenAllowsIt) {
    holdKey(SDLK_s);
    frame(21); // camera (0, 0): 603 is not below 582
    EXPECT_EQ(600.0, p->locationY);
    frame(21); // the camera now follows the mouse at y 360
    EXPECT_EQ(603.0, p->locationY);
}

TEST_F(PlayerTest, LeftAndRightTogetherCancelUnlessOneIsRefused) {
    holdKey(SDLK_a);
    holdKey(SDLK_d);
    moveMouse(1029, 360);
    frame(21);
    EXPECT_EQ(540.0, p->locationX);
    EXPECT_EQ(51, p->getXLocation());
    frame(21); // at view x 51 the left step is refused by the bound, the right one is not
    EXPECT_EQ(543.0, p->locationX);
}

TEST_F(PlayerTest, BuildingsRefuseAStepButZombiesDoNot) {
    blockers.push_back(new PathingBlocker(590, 560, 100, 100));
    service->setPathingBlockers(blockers);
    zombies.push_back(new SlowZombie(540, 570)); // overlapping the box and the upward step
    units.push(zombies[0]);
    holdKey(SDLK_a);
    holdKey(SDLK_d);
    holdKey(SDLK_w);
    frame(21);
    EXPECT_EQ(537.0, p->locationX); // left taken, right back into the building refused
    EXPECT_EQ(597.0, p->locationY);
    ASSERT_EQ(1u, service->collidedUnits.size());
    EXPECT_EQ(zombies[0], service->collidedUnits.top());
}

TEST_F(PlayerTest, CameraMirrorsThePointerAndThePlayerIsPaintedThere) {
    paintablePictures();
    moveMouse(700, 200);
    fillScreen(0x000000);
    frame(21);
    EXPECT_EQ(160, camera.x);
    EXPECT_EQ(80, camera.y);
    EXPECT_EQ(380, p->getXLocation());
    EXPECT_EQ(520, p->getYLocation());
    Uint32 painted = colourOf(p->degreeCalc(700, 200));
    EXPECT_EQ(painted, screenPixel(380, 520));
    EXPECT_EQ(painted, screenPixel(429, 569));
    EXPECT_EQ(0u, screenPixel(379, 520));
    EXPECT_EQ(0u, screenPixel(430, 569));

    moveMouse(200, 600); // the other way round: the view reaches down and left
    frame(21);
    EXPECT_EQ(200 + 540 - 1080, camera.x);
    EXPECT_EQ(600 + 600 - 720, camera.y);
    EXPECT_EQ(colourOf(p->degreeCalc(200, 600)), screenPixel(880, 120));
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
    // 5513 steps reach the band's left edge and 5533 its top one; the rest are refused.
    EXPECT_GE(p->locationX, -Player::MAP_BAND);
    EXPECT_LT(p->locationX, -Player::MAP_BAND + 3);
    EXPECT_GE(p->locationY, -Player::MAP_BAND);
    EXPECT_LT(p->locationY, -Player::MAP_BAND + 3);
    EXPECT_EQ(static_cast<int>(540 + p->locationX - 1080), camera.x);
    EXPECT_EQ(static_cast<int>(360 + p->locationY - 720), camera.y);
    EXPECT_EQ(540, p->getXLocation());
    EXPECT_EQ(360, p->getYLocation());
    // The far corner of the map is still a 16-bit view position from here.
    EXPECT_LE(mapWidth - camera.x, 32767);
    EXPECT_LE(mapHeight - camera.y, 32767);

    releaseAllKeys();
    p->locationX = mapWidth + Player::MAP_BAND - 4;
    p->locationY = mapHeight + Player::MAP_BAND - 4;
    frame(21);
    holdKey(SDLK_d);
    holdKey(SDLK_s);
    for (int i = 0; i < 5; i++) frame(21);
    EXPECT_EQ(mapWidth + Player::MAP_BAND - 1.0, p->locationX);
    EXPECT_EQ(mapHeight + Player::MAP_BAND - 1.0, p->locationY);
    EXPECT_EQ(static_cast<int>(540 + p->locationX - 1080), camera.x);
}

TEST_F(PlayerTest, PotionsHealWithoutLimitAndOnlyByTheirOwnId) {
    p->useItem("HealthPotion"); // nothing stored: nothing happens
    EXPECT_EQ(100.0, p->getHealth());
    ASSERT_TRUE(p->backpack->addItem(new HealthPotion(0, 0)));
    p->takeDamage(5);
    p->useItem("Gold");
    EXPECT_EQ(95.0, p->getHealth());
    EXPECT_EQ(1u, p->backpack->items.size());
    p->useItem("HealthPotion");
    EXPECT_EQ(105.0, p->getHealth());
    EXPECT_TRUE(p->backpack->items.empty());
}

TEST_F(PlayerTest, SetWeaponTakesOnlyStoredWeaponsLastKeyWins) {
    p->setWeapon(1);
    EXPECT_EQ(nullptr, p->weapon);
    p->fire1();
    p->reload();
    EXPECT_EQ(0, p->getClipSize());
    EXPECT_EQ(nullptr, p->getWeaponPic());

    GlockItem glock(0, 0);
    UziItem uzi(0, 0);
    ASSERT_TRUE(p->backpack->addItem(&glock));
    p->setWeapon(2); // no Uzi yet: the hand stays empty
    EXPECT_EQ(nullptr, p->weapon);
    p->setWeapon(1);
    Weapon* pistol = p->backpack->weapons[0];
    ASSERT_EQ(pistol, p->weapon);
    static_cast<Glock*>(pistol)->clip = 5;

    ASSERT_TRUE(p->backpack->addItem(&uzi));
    p->setWeapon(1); // keys 1 and 2 held together: the Uzi ends in hand
    p->setWeapon(2);
    EXPECT_EQ("Uzi", p->weapon->getId());
    p->setWeapon(4);
    EXPECT_EQ("Uzi", p->weapon->getId());
    p->setWeapon(1); // the same pistol comes back with its clip as it was
    EXPECT_EQ(pistol, p->weapon);
    EXPECT_EQ(5, p->getClipSize());
}

TEST_F(PlayerTest, TwoTouchingZombiesBiteTogetherThenWaitASecond) {
    zombies.push_back(new SlowZombie(530, 590));
    zombies.push_back(new SlowZombie(560, 610));
    units.push(zombies[0]);
    units.push(zombies[1]);
    frame(1000);
    EXPECT_EQ(2u, service->collidedUnits.size());
    p->draw();
    EXPECT_EQ(90.0, p->getHealth());
    EXPECT_TRUE(service->collidedUnits.empty());

    frame(21);
    p->draw();
    EXPECT_EQ(90.0, p->getHealth());
    EXPECT_TRUE(service->collidedUnits.empty());

    frame(979); // a second since the bites
    p->draw();
    EXPECT_EQ(80.0, p->getHealth());
}

class PlayerInLevel : public LevelFixture {};

TEST_F(PlayerInLevel, HoldingSpaceCostsOneHealthEveryPass) {
    holdKey(SDLK_SPACE);
    runPasses(3, 21);
    EXPECT_EQ(97.0, player->getHealth());
    releaseKey(SDLK_SPACE);
    runPasses(2, 21);
    EXPECT_EQ(97.0, player->getHealth());
}
