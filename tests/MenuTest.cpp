#include <gtest/gtest.h>

#include "Game.h"
#include "HUD.h"
#include "mainMenu.h"
#include "support/TestSupport.h"

using namespace testsupport;

TEST(MainMenu, StartButtonAreaIsFixedByItsNumbers) {
    EXPECT_TRUE(mainMenu::insideStartButton(416, 411));
    EXPECT_TRUE(mainMenu::insideStartButton(669, 609));
    EXPECT_FALSE(mainMenu::insideStartButton(415, 500));
    EXPECT_FALSE(mainMenu::insideStartButton(670, 500));
    EXPECT_FALSE(mainMenu::insideStartButton(500, 410));
    EXPECT_FALSE(mainMenu::insideStartButton(500, 610));
}

namespace {

// The menu runs its levels inside constructors, with no way in from outside but SDL's own
// channels. This clock steps 1 ms per reading and, on cue, puts events in the queue: a level's
// first reading comes before its first event poll and its second comes after it, so an event
// pushed at the second reading is still waiting when that level ends after the pass.
struct ScriptedMenu {
    static int levelsSeen;
    static int readsInLevel;
    static HUD* lastHud;
    static Uint8 secondLevelButton; // pushed after the first level's poll; 0 for none
    static Uint32 read() {
        if (hud != lastHud && hud != nullptr) {
            lastHud = hud;
            levelsSeen++;
            readsInLevel = 0;
        }
        readsInLevel++;
        if (levelsSeen == 1 && readsInLevel == 2 && secondLevelButton != 0) {
            pushMouseButton(secondLevelButton, true);
        }
        if (levelsSeen == 2 && readsInLevel == 1) {
            pushQuit();
        }
        return ++FakeClock::ticks;
    }
};
int ScriptedMenu::levelsSeen = 0;
int ScriptedMenu::readsInLevel = 0;
HUD* ScriptedMenu::lastHud = nullptr;
Uint8 ScriptedMenu::secondLevelButton = 0;

class MainMenuRun : public ::testing::Test {
protected:
    void SetUp() override {
        resetGameGlobals();
        releaseAllKeys();
        drainEvents();
        Timer::setClock(ScriptedMenu::read);
    }
    void TearDown() override {
        Timer::setClock(FakeClock::read);
        drainEvents();
        resetGameGlobals();
    }
    // Quits the first level at once and leaves `button` waiting in the queue for the menu.
    mainMenu* play(Uint8 button) {
        ScriptedMenu::secondLevelButton = button;
        ScriptedMenu::levelsSeen = 0;
        ScriptedMenu::lastHud = nullptr;
        hud = nullptr;       // a new level's HUD may reuse a freed one's address
        moveMouse(500, 500); // inside the start button's area
        pushQuit();
        return new mainMenu(imageHandler, mainScreen);
    }
};

} // namespace

TEST_F(MainMenuRun, QuittingTheLevelDrawsTheMenuOnceAndReleasesItsPictures) {
    mainMenu* menu = play(0);
    EXPECT_EQ(1u, menu->levels.size());
    EXPECT_TRUE(menu->quit);
    for (SDL_Surface* slot : menu->images) {
        EXPECT_EQ(nullptr, slot);
    }
    // The one menu frame: background, then the title over it, then the start button.
    SDL_Surface* background = imageHandler->optimizeImage("images/menuImages/background.jpg");
    SDL_Surface* title = imageHandler->optimizeImage("menuImages/titleIntro.jpg");
    SDL_Surface* start = imageHandler->optimizeImage("images/menuImages/start.jpg");
    ASSERT_TRUE(background && title && start) << "the menu pictures must be in data/";
    EXPECT_EQ(pixelAt(title, 5, 5), screenPixel(5, 5));
    EXPECT_EQ(pixelAt(start, 10, 10), screenPixel(425, 470));
    EXPECT_EQ(pixelAt(background, 1070, 710), screenPixel(1070, 710));
    SDL_FreeSurface(background);
    SDL_FreeSurface(title);
    SDL_FreeSurface(start);
    delete menu;
}

TEST_F(MainMenuRun, ALeftClickOnTheButtonWaitingAfterTheLevelPlaysItAgain) {
    mainMenu* menu = play(SDL_BUTTON_LEFT);
    EXPECT_EQ(2u, menu->levels.size());
    EXPECT_EQ(2, ScriptedMenu::levelsSeen);
    delete menu;
}

TEST_F(MainMenuRun, OtherButtonsOnTheButtonDoNothing) {
    for (Uint8 button : {SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE}) {
        mainMenu* menu = play(button);
        EXPECT_EQ(1u, menu->levels.size()) << "button " << int(button);
        EXPECT_EQ(1, ScriptedMenu::levelsSeen);
        delete menu;
    }
}
