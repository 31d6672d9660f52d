#include <SDL/SDL_image.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "FastDrawing.h"
#include "FastPaths.h"
#include "Game.h"
#include "ImageLoader.h"
#include "PresentationPath.h"
#include "Screen.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

// A 4 x 4 PNG with an alpha channel: the left half opaque red, the right half transparent green.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x04, 0x08, 0x06, 0x00, 0x00, 0x00, 0xa9,
    0xf1, 0x9e, 0x7e, 0x00, 0x00, 0x00, 0x1d, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x85, 0xc8,
    0xa1, 0x01, 0x00, 0x00, 0x08, 0x03, 0x20, 0xe6, 0xff, 0x3f, 0xcf, 0x6e, 0x91, 0x48, 0x4a,
    0x21, 0x15, 0x18, 0xc7, 0x1f, 0x0b, 0xbe, 0x0a, 0x03, 0x07, 0xdc, 0xa6, 0xb5, 0xec, 0x00,
    0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// The same picture is copied under several names, so that only the name decides how it is
// converted.
class ImageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = "/tmp/imgtest-" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        picture = dir + "/pic";
        FILE* f = fopen(picture.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        fwrite(kPng, 1, sizeof kPng, f);
        fclose(f);
    }
    void TearDown() override {
        std::string cmd = "rm -rf " + dir;
        ASSERT_EQ(0, system(cmd.c_str()));
    }
    std::string copyAs(const std::string& name) {
        std::string path = dir + "/" + name;
        std::string cmd = "cp " + picture + " '" + path + "'";
        EXPECT_EQ(0, system(cmd.c_str()));
        return path;
    }
    std::string dir, picture;
    ImageLoader loader;
};

} // namespace

TEST_F(ImageLoaderTest, OnlyANameEndingInLowerCasePngKeepsAlpha) {
    // SDL_image tells formats by content, so the picture loads under any name.
    SDL_Surface* png = loader.optimizeImage(copyAs("a.png"));
    ASSERT_NE(nullptr, png);
    EXPECT_NE(0u, png->format->Amask);
    for (const char* name : {"a.jpg", "a.PNG", "a.png.jpg", "ng"}) {
        SDL_Surface* opaque = loader.optimizeImage(copyAs(name));
        ASSERT_NE(nullptr, opaque) << name;
        EXPECT_EQ(0u, opaque->format->Amask) << name;
        EXPECT_EQ(mainScreen->format->BitsPerPixel, opaque->format->BitsPerPixel) << name;
        SDL_FreeSurface(opaque);
    }
    // Painted over white, the transparent half leaves white and the opaque half is red.
    fillScreen(0xFFFFFF);
    Screen::paint(png, mainScreen, 10, 10, NULL);
    EXPECT_EQ(0xFF0000u, screenPixel(10, 10));
    EXPECT_EQ(0xFFFFFFu, screenPixel(13, 10));
    SDL_FreeSurface(png);
}

TEST_F(ImageLoaderTest, MissingFileGivesNullAndPaintingNullChangesNothing) {
    EXPECT_EQ(nullptr, loader.optimizeImage(dir + "/does-not-exist.png"));
    fillScreen(0x123456);
    Screen::paint(NULL, mainScreen, 0, 0, NULL);
    EXPECT_EQ(0x123456u, screenPixel(0, 0));
}

TEST_F(ImageLoaderTest, ClipOutsideTheSourceIsClippedAndShifted) {
    SDL_Surface* pic = loader.optimizeImage(copyAs("b.jpg"));
    ASSERT_NE(nullptr, pic);
    fillScreen(0x000000);
    // A camera two pixels left of and above the picture: only the part inside it is drawn,
    // shifted two pixels right and down.
    SDL_Rect clip = {-2, -2, 1080, 720};
    Screen::paint(pic, mainScreen, 0, 0, &clip);
    EXPECT_EQ(0x000000u, screenPixel(1, 1));
    EXPECT_EQ(0xFF0000u, screenPixel(2, 2));
    EXPECT_EQ(0x000000u, screenPixel(6, 6));
    SDL_FreeSurface(pic);
}

namespace {

Uint64 screenHash() {
    Uint64 hash = 0xCBF29CE484222325ull;
    for (int y = 0; y < mainScreen->h; y += 1) {
        for (int x = 0; x < mainScreen->w; x += 7) {
            hash = (hash ^ screenPixel(x, y)) * 0x100000001B3ull;
        }
    }
    return hash;
}

} // namespace

// The row-copy path must put down exactly what SDL's blit would, wherever the picture lands:
// partly off every edge, clipped by a rectangle reaching outside it, or far off screen.
TEST(ImageLoaderFastPath, OpaquePicturesLandExactlyWhereSdlPutsThem) {
    ImageLoader loader;
    SDL_Surface* map = loader.optimizeImage("images/level1Images/backgroundLevel.jpg");
    SDL_Surface* building = loader.optimizeImage("images/level1Images/building.jpg");
    ASSERT_TRUE(map && building);
    ASSERT_TRUE(FastDrawing::copiesRowByRow(map, mainScreen));
    SDL_Surface* sprite = loader.optimizeImage("images/level1Images/building.png");
    EXPECT_FALSE(FastDrawing::copiesRowByRow(sprite, mainScreen)); // alpha: SDL blends it
    SDL_FreeSurface(sprite);

    const int spots[][2] = {{0, 0},    {-40, -30}, {1050, 700},    {-99, 500},  {500, -99},
                            {-100, 0}, {1080, 10}, {40000, 40000}, {-70000, 20}};
    const SDL_Rect clips[] = {{0, 0, 1080, 720},       {-300, -200, 1080, 720},
                              {2500, 1500, 1080, 720}, {-2000, 0, 1080, 720},
                              {10, 20, 30, 40},        {3000, 0, 1080, 720}};
    for (auto& spot : spots) {
        Uint64 hashes[2];
        for (int fast = 0; fast < 2; fast++) {
            FastPaths::enabled = fast == 1;
            fillScreen(0x203040);
            Screen::paint(building, mainScreen, spot[0], spot[1], NULL);
            for (const SDL_Rect& c : clips) {
                SDL_Rect clip = c;
                Screen::paint(map, mainScreen, spot[0] / 3, spot[1] / 3, &clip);
                Screen::paint(building, mainScreen, spot[0] + 17, spot[1] + 9, NULL);
            }
            hashes[fast] = screenHash();
        }
        EXPECT_EQ(hashes[0], hashes[1]) << "at " << spot[0] << ", " << spot[1];
    }
    FastPaths::enabled = true;
    SDL_FreeSurface(map);
    SDL_FreeSurface(building);
}

// Flame particles and bullets are blended by FastDrawing, not SDL: every byte of the screen, the
// fourth included, must be what SDL's own blit writes, over a background of random bytes,
// partly off every edge and through clip rectangles.
TEST(ImageLoaderFastPath, SmallSpritesBlendToTheBytesSdlWrites) {
    ImageLoader loader;
    FastPaths::enabled = true;
    const char* names[] = {"images/particleImages/red.png", "images/particleImages/gray.png",
                           "images/particleImages/white.png", "images/projectileImages/bullet.png"};
    SDL_Surface* sdlScreen = SDL_CreateRGBSurface(
        SDL_SWSURFACE, mainScreen->w, mainScreen->h, 32, mainScreen->format->Rmask,
        mainScreen->format->Gmask, mainScreen->format->Bmask, mainScreen->format->Amask);
    ASSERT_TRUE(sdlScreen != NULL);
    const int spots[][2] = {{0, 0},    {-5, -7},    {1075, 715}, {-9, 300},
                            {600, -9}, {1079, 719}, {333, 222}};
    const SDL_Rect clips[] = {{0, 0, 10, 10}, {-3, 2, 6, 20}, {4, 4, 3, 3}, {8, 8, 30, 30}};
    Uint32 seed = 99;
    for (const char* name : names) {
        SDL_Surface* sprite = loader.optimizeImage(name);
        ASSERT_TRUE(sprite != NULL) << name;
        // SDL2 under sdl12-compat rounds its blend differently; FastDrawing's own check then
        // leaves blending to SDL, and the bytes below must match all the same.
        if (!PresentationPath::onSdl12Compat()) {
            EXPECT_TRUE(FastDrawing::blendsDirectly(sprite, mainScreen)) << name;
        }
        for (auto& spot : spots) {
            for (int c = -1; c < 4; c++) {
                SDL_LockSurface(mainScreen);
                for (int y = 0; y < mainScreen->h; y++) {
                    Uint32* row = reinterpret_cast<Uint32*>(
                        static_cast<Uint8*>(mainScreen->pixels) + y * mainScreen->pitch);
                    Uint32* copy = reinterpret_cast<Uint32*>(
                        static_cast<Uint8*>(sdlScreen->pixels) + y * sdlScreen->pitch);
                    for (int x = 0; x < mainScreen->w; x++) {
                        bool near = std::abs(x - spot[0]) < 40 && std::abs(y - spot[1]) < 40;
                        seed = seed * 1103515245u + 12345u;
                        row[x] = copy[x] = near ? seed ^ (seed >> 16) : 0;
                    }
                }
                SDL_UnlockSurface(mainScreen);
                SDL_Rect clip = c < 0 ? SDL_Rect() : clips[c];
                SDL_Rect sdlClip = clip;
                SDL_Rect at = {static_cast<Sint16>(spot[0]), static_cast<Sint16>(spot[1]), 0, 0};
                Screen::paint(sprite, mainScreen, spot[0], spot[1], c < 0 ? NULL : &clip);
                SDL_UpperBlit(sprite, c < 0 ? NULL : &sdlClip, sdlScreen, &at);
                int differing = 0;
                for (int y = 0; y < mainScreen->h; y++) {
                    differing +=
                        memcmp(static_cast<Uint8*>(mainScreen->pixels) + y * mainScreen->pitch,
                               static_cast<Uint8*>(sdlScreen->pixels) + y * sdlScreen->pitch,
                               mainScreen->w * 4) != 0;
                }
                EXPECT_EQ(0, differing)
                    << name << " at " << spot[0] << ", " << spot[1] << " clip " << c;
            }
        }
        SDL_FreeSurface(sprite);
    }
    SDL_FreeSurface(sdlScreen);
}

// A view that moved is shifted on the screen in place: every pixel that has a source on the
// screen must come from (x + dx, y + dy), in every direction and overlap; the band nothing moves
// into keeps its pixels; a shift by a whole screen or more moves nothing and says so.
TEST(ImageLoaderFastPath, AShiftedScreenHoldsWhatStoodThatFarAway) {
    ImageLoader loader;
    SDL_Surface* map = loader.optimizeImage("images/level1Images/backgroundLevel.jpg");
    ASSERT_TRUE(map != NULL);
    const int shifts[][2] = {{1, 0},    {-1, 0},    {0, 1},    {0, -1},   {37, 23},  {-37, 23},
                             {37, -23}, {-37, -23}, {1079, 0}, {0, -719}, {1080, 0}, {0, 720}};
    for (auto& shift : shifts) {
        int dx = shift[0], dy = shift[1];
        SDL_Rect view = {300, 200, 1080, 720};
        Screen::paint(map, mainScreen, 0, 0, &view);
        std::vector<Uint32> before(1080 * 720);
        for (int y = 0; y < 720; y++) {
            for (int x = 0; x < 1080; x++) {
                before[y * 1080 + x] = screenPixel(x, y);
            }
        }
        bool moves = std::abs(dx) < 1080 && std::abs(dy) < 720;
        EXPECT_EQ(moves, FastDrawing::shift(mainScreen, dx, dy)) << dx << ", " << dy;
        int wrong = 0;
        for (int y = 0; y < 720; y++) {
            for (int x = 0; x < 1080; x++) {
                int fromX = x + dx, fromY = y + dy;
                bool moved = moves && fromX >= 0 && fromX < 1080 && fromY >= 0 && fromY < 720;
                wrong += screenPixel(x, y) !=
                         (moved ? before[fromY * 1080 + fromX] : before[y * 1080 + x]);
            }
        }
        EXPECT_EQ(0, wrong) << "pixels misplaced by a shift of " << dx << ", " << dy;
    }
    SDL_FreeSurface(map);
}
