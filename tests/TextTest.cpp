#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "Backpack.h"
#include "Collision.h"
#include "Game.h"
#include "HUD.h"
#include "Player.h"
#include "Text.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

// Runs its scope from an empty directory, where no font (or any other asset) can be opened.
class EmptyWorkingDirectory {
public:
    EmptyWorkingDirectory() {
        char pattern[] = "/tmp/nofontXXXXXX";
        dir = mkdtemp(pattern);
        EXPECT_NE(nullptr, getcwd(previous, sizeof previous));
        EXPECT_EQ(0, chdir(dir.c_str()));
    }
    ~EmptyWorkingDirectory() {
        EXPECT_EQ(0, chdir(previous));
        rmdir(dir.c_str());
    }

private:
    std::string dir;
    char previous[4096];
};

TEST(TextTest, StaysOpaqueForItsTimeThenFadesOneStepPerDraw) {
    Text text("Uzi Added to Backpack", 420, 650, 3000, 22, 255, 255, 255);
    ASSERT_NE(nullptr, text.message) << "data/testFont.ttf is missing";
    FakeClock::advance(3000);
    SDL_Surface* shown = text.draw();
    ASSERT_NE(nullptr, shown);
    EXPECT_EQ(255, shown->format->alpha) << "still opaque at exactly its time";
    FakeClock::advance(1);
    EXPECT_EQ(254, text.draw()->format->alpha);
    for (int step = 2; step < 255; step++) {
        text.draw();
    }
    EXPECT_EQ(1, text.alpha);
    EXPECT_FALSE(text.isDestroyed());
    shown = text.draw();
    EXPECT_TRUE(text.isDestroyed()) << "the 255th fading draw finishes it";
    EXPECT_EQ(0, text.alpha);
    EXPECT_EQ(0, shown->format->alpha);
    EXPECT_TRUE((shown->flags & SDL_SRCALPHA) != 0);
    text.cleanup();
}

TEST(TextTest, ColourKeepsOnlyTheLowEightBits) {
    Text text("colour", 0, 0, 3000, 22, 256, 300, 511);
    EXPECT_EQ(0, text.textColor.r);
    EXPECT_EQ(44, text.textColor.g);
    EXPECT_EQ(255, text.textColor.b);
    EXPECT_EQ(0, text.textColor.unused);
    ASSERT_NE(nullptr, text.message) << "data/testFont.ttf is missing";
    // A solid rendering holds the background at index 0 and the ink at index 1.
    SDL_Color ink = text.message->format->palette->colors[1];
    EXPECT_EQ(0, ink.r);
    EXPECT_EQ(44, ink.g);
    EXPECT_EQ(255, ink.b);
    text.cleanup();
}

TEST(TextTest, TextThatCannotBeRenderedPaintsNothingAndStillFades) {
    // An empty string renders to no surface even with the font at hand.
    Text empty("", 420, 650, 0, 22, 255, 255, 255);
    EXPECT_EQ(nullptr, empty.draw());
    EXPECT_EQ(nullptr, empty.message);
    empty.cleanup();

    EmptyWorkingDirectory nowhere;
    Text text("Uzi Added to Backpack", 420, 650, 0, 22, 255, 255, 255);
    EXPECT_EQ(nullptr, text.font);
    FakeClock::advance(1);
    for (int step = 0; step < 255; step++) {
        EXPECT_EQ(nullptr, text.draw());
    }
    EXPECT_TRUE(text.isDestroyed()) << "a text that is not shown must still go away";
    text.cleanup();
}

TEST(TextTest, HudWithoutItsFontDrawsTheRestAndSkipsTheText) {
    resetGameGlobals();
    fillScreen(0x203040);
    {
        EmptyWorkingDirectory nowhere;
        Collision collision;
        collisionDetection = &collision;
        Player owner(imageHandler, mainScreen, &collision);
        HUD display(imageHandler, mainScreen, &owner);
        hud = &display;
        player = &owner;
        EXPECT_EQ(nullptr, display.font);
        // Messages, gold and numbers all take the path that renders text.
        display.drawText("Glock Added to Backpack", 420, 650, 3000, 22, 255, 255, 255);
        owner.modifyGold(50);
        for (int pass = 0; pass < 3; pass++) {
            FakeClock::advance(1);
            display.draw();
        }
        for (int x = 1000; x < 1080; x++) {
            for (int y = 600; y < 700; y++) {
                ASSERT_EQ(0x203040u, screenPixel(x, y))
                    << "no number is painted at " << x << "," << y;
            }
        }
    }
    resetGameGlobals();
}

TEST(TextTest, LevelRunsWithoutTheFont) {
    resetGameGlobals();
    releaseAllKeys();
    drainEvents();
    moveMouse(540, 360);
    {
        EmptyWorkingDirectory nowhere;
        Level1 level(imageHandler, mainScreen, Level1::Manual());
        level.setUpWorld();
        // Stand on the Uzi pickup so the real pick-up puts up a message.
        player->locationX = 680;
        player->locationY = 480;
        for (int pass = 0; pass < 20; pass++) {
            FakeClock::advance(21);
            level.runPass();
        }
        EXPECT_NE(nullptr, player->backpack->getWeapon("Uzi"));
        EXPECT_EQ(1u, hud->texts.size());
        level.cleanup();
    }
    resetGameGlobals();
}

} // namespace
