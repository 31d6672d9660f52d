#include <gtest/gtest.h>

#include <SDL/SDL_ttf.h>
#include <string>

#include "Backpack.h"
#include "Collision.h"
#include "Game.h"
#include "HUD.h"
#include "Player.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

const Uint32 BACKGROUND = 0x203040;

SDL_Surface* swatch(int w, int h, Uint32 rgb) {
    SDL_PixelFormat* f = mainScreen->format;
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, f->Rmask, f->Gmask, f->Bmask, 0);
    SDL_FillRect(s, NULL, SDL_MapRGB(s->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    return s;
}

// A stored item that shows a known colour, so the panel's grid can be read off the screen.
class SwatchItem : public Item {
public:
    explicit SwatchItem(Uint32 rgb) : picture(swatch(10, 10, rgb)) {}
    ~SwatchItem() override { SDL_FreeSurface(picture); }
    SDL_Surface* draw() override { return picture; }
    std::string getId() override { return "HealthPotion"; }
    SDL_Surface* picture;
};

// The screen region at (x, y) must look exactly like `picture` painted over the background.
void expectPaintedAt(SDL_Surface* picture, int x, int y) {
    SDL_Surface* expected = swatch(picture->w, picture->h, BACKGROUND);
    SDL_BlitSurface(picture, NULL, expected, NULL);
    int differing = 0, inked = 0;
    for (int j = 0; j < picture->h; j++) {
        for (int i = 0; i < picture->w; i++) {
            Uint32 want = pixelAt(expected, i, j);
            inked += want != BACKGROUND;
            differing += screenPixel(x + i, y + j) != want;
        }
    }
    SDL_FreeSurface(expected);
    EXPECT_GT(inked, 0) << "the expected picture paints nothing: the comparison would be empty";
    EXPECT_EQ(0, differing) << "pixels differing from the expected picture at " << x << "," << y;
}

class HudTest : public PlayerFixture {
protected:
    HudTest() : PlayerFixture(true) {}
    void SetUp() override {
        PlayerFixture::SetUp();
        owner = p;
        display = h;
        // Our own pictures, so the placement can be read without depending on the art.
        SDL_FreeSurface(display->healthBar);
        display->healthBar = swatch(1, 3, 0xFF00FF);
        SDL_FreeSurface(display->gold);
        display->gold = swatch(20, 20, 0xFFD700);
        fillScreen(BACKGROUND);
    }
    Player* owner = nullptr;
    HUD* display = nullptr;
    TTF_Font* font = nullptr;
};

TEST_F(HudTest, HealthBarHasOneSegmentPerStartedPoint) {
    struct Case {
        double health;
        int leftmost;
    } cases[] = {{100, 871}, {0.5, 970}, {0, 971}, {-5, 971}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.health);
        fillScreen(BACKGROUND);
        owner->health = c.health;
        display->draw();
        for (int x = 860; x <= 975; x++) {
            bool segment = x >= c.leftmost && x <= 970;
            EXPECT_EQ(segment ? 0xFF00FFu : BACKGROUND, screenPixel(x, 645)) << "x " << x;
        }
    }
}

TEST_F(HudTest, NumbersUseDefaultFormattingAtTheirPlaces) {
    font = TTF_OpenFont("testFont.ttf", 28);
    ASSERT_NE(nullptr, font) << "data/testFont.ttf must be there";
    SDL_Color white = {255, 255, 255, 0};
    for (double health : {100.0, 97.5}) {
        std::string shown = health == 100.0 ? "100" : "97.5";
        SCOPED_TRACE(shown);
        fillScreen(BACKGROUND);
        owner->health = health;
        display->draw();
        SDL_Surface* text = TTF_RenderText_Solid(font, shown.c_str(), white);
        expectPaintedAt(text, 1010, 650);
        SDL_FreeSurface(text);
    }
    // Without a weapon the clip shows 0 and no weapon picture is painted.
    SDL_Surface* zero = TTF_RenderText_Solid(font, "0", white);
    expectPaintedAt(zero, 980, 20);
    SDL_FreeSurface(zero);
    for (int x = 1020; x < 1080; x++) {
        for (int y = 20; y < 70; y++) {
            ASSERT_EQ(BACKGROUND, screenPixel(x, y)) << x << "," << y;
        }
    }
    TTF_CloseFont(font);
}

TEST_F(HudTest, GoldCounterLightsHoldsFadesAndHides) {
    auto drawnAlpha = [&] {
        fillScreen(BACKGROUND);
        display->draw();
        return display->alpha;
    };
    EXPECT_EQ(0, drawnAlpha());
    EXPECT_EQ(BACKGROUND, screenPixel(975, 605)) << "hidden before any gold";

    owner->modifyGold(50);
    EXPECT_EQ(255, drawnAlpha());
    EXPECT_EQ(255, display->gold->format->alpha);
    EXPECT_EQ(0xFFD700u, screenPixel(975, 605));

    FakeClock::advance(5000);
    EXPECT_EQ(255, drawnAlpha()) << "still lit at exactly 5000 ms";
    FakeClock::advance(1);
    EXPECT_EQ(254, drawnAlpha());
    EXPECT_EQ(254, display->gold->format->alpha);
    for (int pass = 2; pass < 255; pass++) {
        drawnAlpha();
    }
    EXPECT_EQ(1, display->alpha);
    EXPECT_TRUE(display->goldFadeTime->isStarted());
    EXPECT_EQ(0, drawnAlpha()) << "the 255th fading pass";
    EXPECT_EQ(BACKGROUND, screenPixel(975, 605));
    EXPECT_TRUE(display->goldFadeTime->isStarted());
    EXPECT_EQ(0, drawnAlpha());
    EXPECT_FALSE(display->goldFadeTime->isStarted()) << "the pass after stops the timer";
    FakeClock::advance(10000);
    EXPECT_EQ(0, drawnAlpha()) << "stays hidden";

    // A change during the fade lights it again and restarts the 5000 ms.
    owner->modifyGold(100);
    drawnAlpha();
    FakeClock::advance(5001);
    for (int pass = 0; pass < 55; pass++) {
        drawnAlpha();
    }
    EXPECT_EQ(200, display->alpha);
    owner->modifyGold(1);
    EXPECT_EQ(255, drawnAlpha());
    FakeClock::advance(5000);
    EXPECT_EQ(255, drawnAlpha());
}

TEST_F(HudTest, BackpackPanelShowsNewestFirstSixToARow) {
    const Uint32 colours[7] = {0x110000, 0x220000, 0x330000, 0x440000,
                               0x550000, 0x660000, 0x770000};
    for (Uint32 c : colours) {
        owner->backpack->items.push(new SwatchItem(c));
    }
    display->draw();
    EXPECT_EQ(BACKGROUND, screenPixel(245, 165)) << "the panel is closed at first";

    display->toggleBackpack();
    display->draw();
    const int expectedAt[7][2] = {{240, 160}, {340, 160}, {440, 160}, {540, 160},
                                  {640, 160}, {740, 160}, {240, 260}};
    for (int k = 0; k < 7; k++) {
        // The item stored last is painted first.
        EXPECT_EQ(colours[6 - k], screenPixel(expectedAt[k][0] + 5, expectedAt[k][1] + 5))
            << "grid place " << k;
    }
    EXPECT_EQ(7u, owner->backpack->items.size()) << "the panel reads a copy";
}

TEST_F(HudTest, ConcurrentMessagesAreLiftedOffTheLineDrawnJustBefore) {
    // Two made in the same pass: the later one moves up on its first frame and stays there.
    display->drawText("first", 420, 650, 3000, 22, 255, 255, 255);
    display->drawText("second", 420, 650, 3000, 22, 255, 255, 255);
    Text* second = display->texts.top();
    display->textsDraw();
    Text* first = display->texts.top();
    ASSERT_NE(first, second);
    EXPECT_EQ(650, first->getYLocation());
    EXPECT_EQ(600, second->getYLocation());
    for (int pass = 0; pass < 5; pass++) {
        Text* topBefore = display->texts.top();
        display->textsDraw();
        EXPECT_NE(topBefore, display->texts.top()) << "the order flips on every call";
        EXPECT_EQ(650, first->getYLocation());
        EXPECT_EQ(600, second->getYLocation());
    }
}

TEST_F(HudTest, ThirdMessageInALaterPassLandsOnTheLineOfTheLiftedOne) {
    display->drawText("a", 420, 650, 3000, 22, 255, 255, 255);
    Text* a = display->texts.top();
    display->textsDraw();
    EXPECT_EQ(650, a->getYLocation()) << "a single message is never moved";
    display->drawText("b", 420, 650, 3000, 22, 255, 255, 255);
    Text* b = display->texts.top();
    display->textsDraw();
    display->drawText("c", 420, 650, 3000, 22, 255, 255, 255);
    Text* c = display->texts.top();
    display->textsDraw();
    EXPECT_EQ(650, a->getYLocation());
    EXPECT_EQ(600, b->getYLocation());
    EXPECT_EQ(600, c->getYLocation());
}

TEST_F(HudTest, MessageAtTheTopDrawnFirstIsLiftedOffScreenAndFinishedOnesAreDropped) {
    display->drawText("top", 420, 0, 0, 22, 255, 255, 255);
    Text* top = display->texts.top();
    display->textsDraw();
    EXPECT_EQ(-50, top->getYLocation());
    EXPECT_EQ(0, display->yT) << "each pass starts again from 0";

    FakeClock::advance(1);
    for (int pass = 0; pass < 255; pass++) {
        display->textsDraw();
    }
    EXPECT_TRUE(top->isDestroyed());
    EXPECT_EQ(1u, display->texts.size()) << "still held on the pass it finished";
    display->textsDraw();
    EXPECT_TRUE(display->texts.empty());
}

} // namespace
