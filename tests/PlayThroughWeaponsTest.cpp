#include <gtest/gtest.h>

#include <SDL/SDL_ttf.h>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>

#include "Backpack.h"
#include "FireParticle.h"
#include "Game.h"
#include "HUD.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "SlowZombie.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

// Walks, fights and looks at the screen through the real level, one 21 ms pass (one player
// step) at a time.
class PlayThroughWeapons : public LevelFixture {
protected:
    void walk(SDLKey key, std::function<bool()> done, int cap = 200) {
        holdKey(key);
        for (int pass = 0; pass < cap && !done(); pass++) {
            runPasses(1, 21);
        }
        releaseKey(key);
        ASSERT_TRUE(done()) << "did not get there walking with key " << key;
    }
    void press(SDLKey key) {
        holdKey(key);
        runPasses(1, 21);
        releaseKey(key);
    }
    SlowZombie* nearestZombie() {
        std::stack<Unit*> copy = level->units;
        SlowZombie* nearest = nullptr;
        double best = 1e9;
        for (; !copy.empty(); copy.pop()) {
            SlowZombie* z = static_cast<SlowZombie*>(copy.top());
            double d =
                std::hypot(z->locationX - player->locationX, z->locationY - player->locationY);
            if (d < best) {
                best = d;
                nearest = z;
            }
        }
        return nearest;
    }
    double distanceTo(SlowZombie* z) {
        return std::hypot(z->locationX - player->locationX, z->locationY - player->locationY);
    }
    // Walks towards the nearest zombie (which is chasing back once in range).
    void approachNearestZombie(double within) {
        ASSERT_NE(nullptr, nearestZombie());
        for (int pass = 0; pass < 600 && nearestZombie() && distanceTo(nearestZombie()) > within;
             pass++) {
            SlowZombie* z = nearestZombie();
            releaseAllKeys();
            holdKey(z->locationX < player->locationX ? SDLK_a : SDLK_d);
            holdKey(z->locationY < player->locationY ? SDLK_w : SDLK_s);
            runPasses(1, 21);
        }
        releaseAllKeys();
    }
    // The camera follows the mouse, so the pointer lands on a zombie's centre only at the
    // midpoint between its offset from the player and the screen's far corner.
    void aimAt(SlowZombie* z) {
        moveMouse(static_cast<int>((z->locationX + 25 - player->locationX + 1080) / 2),
                  static_cast<int>((z->locationY + 25 - player->locationY + 720) / 2));
    }
    // Holds the trigger on the nearest zombie until one fewer is left.
    void fireUntilAZombieFalls(int cap) {
        size_t before = level->units.size();
        ASSERT_NE(nullptr, nearestZombie());
        aimAt(nearestZombie());
        pushMouseButton(SDL_BUTTON_LEFT, true);
        for (int pass = 0; pass < cap && level->units.size() == before && nearestZombie(); pass++) {
            aimAt(nearestZombie());
            runPasses(1, 21);
        }
        pushMouseButton(SDL_BUTTON_LEFT, false);
        runPasses(1, 21);
        EXPECT_LT(level->units.size(), before) << "no zombie fell";
    }
    // Every inked pixel of the text, rendered as the game renders it, must be on the screen.
    void expectText(const std::string& shown, int size, Uint32 rgb, int x, int y) {
        TTF_Font* font = TTF_OpenFont("testFont.ttf", size);
        ASSERT_NE(nullptr, font) << "data/testFont.ttf is missing";
        SDL_Color colour = {Uint8(rgb >> 16), Uint8(rgb >> 8), Uint8(rgb), 0};
        SDL_Surface* text = TTF_RenderText_Solid(font, shown.c_str(), colour);
        int inked = 0, wrong = 0;
        for (int j = 0; j < text->h; j++) {
            for (int i = 0; i < text->w; i++) {
                if (static_cast<Uint8*>(text->pixels)[j * text->pitch + i] != 0) {
                    inked++;
                    wrong += screenPixel(x + i, y + j) != rgb;
                }
            }
        }
        SDL_FreeSurface(text);
        TTF_CloseFont(font);
        EXPECT_GT(inked, 20);
        EXPECT_EQ(0, wrong) << "\"" << shown << "\" is not at " << x << "," << y;
    }
    void expectNumber(double value, int x, int y) {
        std::ostringstream shown;
        shown << value;
        expectText(shown.str(), 28, 0xFFFFFF, x, y);
    }
    // The fully opaque pixels of a picture must be on the screen as they are.
    void expectPicture(SDL_Surface* picture, int x, int y) {
        ASSERT_NE(nullptr, picture) << "a picture is missing from data/";
        int solid = 0, wrong = 0;
        SDL_LockSurface(picture); // pictures may be run-length encoded until locked
        for (int j = 0; j < picture->h; j++) {
            for (int i = 0; i < picture->w; i++) {
                Uint32 raw = static_cast<Uint32*>(picture->pixels)[j * picture->pitch / 4 + i];
                Uint8 r, g, b, a;
                SDL_GetRGBA(raw, picture->format, &r, &g, &b, &a);
                if (a == 255) {
                    solid++;
                    wrong += screenPixel(x + i, y + j) != ((Uint32(r) << 16) | (g << 8) | b);
                }
            }
        }
        SDL_UnlockSurface(picture);
        EXPECT_GT(solid, 0);
        EXPECT_EQ(0, wrong) << "picture not painted at " << x << "," << y;
    }
};

TEST_F(PlayThroughWeapons, TakeUziAndFlamethrowerFightAndReadTheHud) {
    // Up clear of the potions, right onto the Uzi, up over the gold, round the Glock and down
    // to the flamethrower.
    walk(SDLK_w, [] { return player->locationY <= 480; });
    walk(SDLK_d, [] { return player->backpack->getWeapon("Uzi") != nullptr; });
    walk(SDLK_w, [] { return player->getGold() > 0; });
    EXPECT_EQ(50, player->getGold());
    walk(SDLK_d, [] { return player->locationX >= 696; });
    walk(SDLK_s, [] { return player->locationY >= 651; });
    walk(SDLK_a, [] { return player->backpack->getWeapon("Flame") != nullptr; });
    EXPECT_EQ(nullptr, player->backpack->getWeapon("Glock"));

    // The second message went up a line on its first frame; the gold is still lit.
    expectText("Uzi Added to Backpack", 22, 0xFFFFFF, 420, 650);
    expectText("Flamethrower Added to Backpack", 22, 0xFFFFFF, 420, 600);
    expectNumber(50, 1010, 600);
    expectPicture(hud->gold, 970, 600);
    expectNumber(100, 1010, 650);
    expectNumber(0, 980, 20);

    // Into the zombies' range. The nearest is let close enough to bite, then torched.
    walk(SDLK_a, [] { return player->locationX <= 450; });
    walk(SDLK_w, [] { return player->locationY <= 450; });
    press(SDLK_3);
    expectNumber(50, 980, 20);
    expectPicture(player->getWeaponPic(), 1020, 20);
    approachNearestZombie(45);
    for (int pass = 0; pass < 200 && player->getHealth() == 100; pass++) {
        runPasses(1, 21);
    }
    EXPECT_LT(player->getHealth(), 100) << "bitten";
    fireUntilAZombieFalls(1000);
    EXPECT_LT(player->getClipSize(), 50);
    expectNumber(player->getClipSize(), 980, 20);

    // The Uzi for the rest.
    press(SDLK_2);
    expectNumber(30, 980, 20);
    expectPicture(player->getWeaponPic(), 1020, 20);
    fireUntilAZombieFalls(400);
    EXPECT_LT(player->getClipSize(), 30);

    // Let the flames burn out and the bullets leave, then open the backpack over everything.
    runPasses(200, 21);
    EXPECT_TRUE(particleEngine->projectiles.empty());
    pushKeyDown(SDLK_t);
    runPasses(1, 21);
    ASSERT_TRUE(hud->backpackOpen);
    expectPicture(player->backpack->getItems().top()->draw(), 240, 160);
    EXPECT_EQ(hud->backpack->format->BytesPerPixel, 4);
    Uint32 panelCorner = pixelAt(hud->backpack, 599, 399);
    EXPECT_EQ(panelCorner, screenPixel(240 + 599, 160 + 399));

    // The number follows the health down.
    EXPECT_LT(player->getHealth(), 100);
    expectNumber(player->getHealth(), 1010, 650);
    expectNumber(player->getClipSize(), 980, 20);
}

// The keypad's digits and the AZERTY top row (&, é, ", which SDL reports as SDLK_AMPERSAND,
// SDLK_WORLD_73 and SDLK_QUOTEDBL) take the same weapons as 1, 2, 3, held like them; and every
// one of them also when tapped between two passes, so that only its press event is seen.
TEST_F(PlayThroughWeapons, KeypadAndAzertyKeysTakeTheWeapons) {
    walk(SDLK_w, [] { return player->locationY <= 588; });
    walk(SDLK_d, [] { return player->backpack->getWeapon("Glock") != nullptr; });
    walk(SDLK_a, [] { return player->locationX <= 540; });
    walk(SDLK_w, [] { return player->locationY <= 480; });
    walk(SDLK_d, [] { return player->backpack->getWeapon("Uzi") != nullptr; });
    walk(SDLK_w, [] { return player->getGold() > 0; });
    walk(SDLK_d, [] { return player->locationX >= 696; });
    walk(SDLK_s, [] { return player->locationY >= 651; });
    walk(SDLK_a, [] { return player->backpack->getWeapon("Flame") != nullptr; });
    ASSERT_EQ(nullptr, player->weapon);

    const struct {
        SDLKey key;
        const char* weapon;
    } keys[] = {{SDLK_KP1, "Glock"},       {SDLK_KP2, "Uzi"},      {SDLK_KP3, "Flame"},
                {SDLK_AMPERSAND, "Glock"}, {SDLK_WORLD_73, "Uzi"}, {SDLK_QUOTEDBL, "Flame"},
                {SDLK_1, "Glock"},         {SDLK_2, "Uzi"},        {SDLK_3, "Flame"}};
    for (bool tapped : {false, true}) {
        for (const auto& k : keys) {
            if (tapped) {
                pushKeyDown(k.key); // released again before the pass reads the held keys
                runPasses(1, 21);
            } else {
                press(k.key);
            }
            ASSERT_NE(nullptr, player->weapon) << "key " << k.key << (tapped ? " tapped" : "");
            EXPECT_EQ(player->backpack->getWeapon(k.weapon), player->weapon)
                << "key " << k.key << (tapped ? " tapped" : "");
            expectPicture(player->getWeaponPic(), 1020, 20);
        }
    }
}

} // namespace
