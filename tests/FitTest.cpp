// Where the picture lands on screens and windows of every size, how the pointer maps back, and
// what the scaling gives: whole multiples repeat pixels, and scaling only the changed areas gives
// the window that scaling the whole picture would.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <cstdlib>
#include <vector>

#include "Fit.h"
#include "Scaler.h"

TEST(Fit, WindowsScreensBarsAndThePointerOnThem) {
    const int F = Fit::FIT;
    const struct {
        int scale, desktopW, desktopH;
        int w, h;
        bool shrunk;
    } windows[] = {
        {1, 1920, 1080, 1080, 720, false},  {2, 1920, 1080, 1080, 720, false}, // 2x does not fit
        {F, 1920, 1080, 1620, 1080, false}, {F, 2560, 1440, 2160, 1440, false},
        {2, 3840, 2160, 2160, 1440, false}, {8, 0, 0, 8640, 5760, false}, // desktop unknown
        {F, 0, 0, 1080, 720, false},        {F, 1366, 768, 1152, 768, false},
        {1, 1024, 768, 1023, 682, true},    {3, 800, 600, 798, 532, true},
    };
    for (const auto& r : windows) {
        SCOPED_TRACE(std::to_string(r.scale) + " on " + std::to_string(r.desktopW));
        Fit fit = Fit::window(r.scale, r.desktopW, r.desktopH);
        EXPECT_EQ(r.w, fit.surfaceW);
        EXPECT_EQ(r.h, fit.surfaceH);
        EXPECT_EQ(0, fit.picture.x + fit.picture.y);
        EXPECT_EQ(r.w, fit.picture.w); // a window has no bars
        EXPECT_EQ(r.shrunk, fit.shrunk);
    }

    const struct {
        int w, h;
        Fit::Rect picture;
    } screens[] = {
        {1920, 1080, {150, 0, 1620, 1080}}, {2560, 1440, {200, 0, 2160, 1440}},
        {1080, 720, {0, 0, 1080, 720}},     {3000, 1000, {750, 0, 1500, 1000}},
        {1200, 1200, {0, 200, 1200, 800}},  {500, 300, {25, 0, 450, 300}},
        {2, 2, {-539, -359, 1080, 720}}, // nothing to show it in: cut, as painted
    };
    for (const auto& r : screens) {
        Fit fit = Fit::inside(r.w, r.h);
        SCOPED_TRACE(std::to_string(r.w) + "x" + std::to_string(r.h));
        EXPECT_EQ(r.picture.x, fit.picture.x);
        EXPECT_EQ(r.picture.y, fit.picture.y);
        EXPECT_EQ(r.picture.w, fit.picture.w);
        EXPECT_EQ(r.picture.h, fit.picture.h);
        EXPECT_EQ(r.picture.w < 1080, fit.shrunk);
    }

    const Fit wide = Fit::inside(1920, 1080), twice = Fit::inside(2160, 1440);
    const struct {
        const Fit* fit;
        int x, y, gameX, gameY;
    } points[] = {
        {&wide, 150, 0, 0, 0},         {&wide, 0, 0, 0, 0}, // the left bar: the nearest edge
        {&wide, 960, 540, 540, 360},   {&wide, 1769, 1079, 1079, 719},
        {&wide, 1919, 500, 1079, 333}, {&wide, 151, 1, 0, 0},
        {&wide, 152, 2, 1, 1},         {&twice, 3, 3, 1, 1},
        {&twice, -40, 5000, 0, 719},
    };
    for (const auto& r : points) {
        int x = r.x, y = r.y;
        r.fit->toPicture(&x, &y);
        EXPECT_EQ(r.gameX, x) << r.x << "," << r.y;
        EXPECT_EQ(r.gameY, y) << r.x << "," << r.y;
    }
    // Every point of the picture put on a larger screen reads back as itself.
    for (int gx = 0; gx < 1080; gx++) {
        int x = gx, y = gx * 2 / 3;
        wide.toSurface(&x, &y);
        wide.toPicture(&x, &y);
        ASSERT_EQ(gx, x);
        ASSERT_EQ(gx * 2 / 3, y);
    }

    const struct {
        const char* text;
        bool good;
        int scale;
    } words[] = {{"fit", true, F}, {"1", true, 1},   {"8", true, 8}, {"9", false, 0},
                 {"0", false, 0},  {"2x", false, 0}, {"", false, 0}, {"Fit", false, 0}};
    for (const auto& r : words) {
        int scale = -7;
        EXPECT_EQ(r.good, Fit::readScale(r.text, &scale)) << r.text;
        EXPECT_EQ(r.good ? r.scale : -7, scale) << r.text;
    }
}

namespace {

SDL_Surface* surface(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
}

Uint32& at(SDL_Surface* s, int x, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch)[x];
}

void scribble(SDL_Surface* picture, const SDL_Rect& area, unsigned seed) {
    std::srand(seed);
    for (int y = area.y; y < area.y + area.h; y++) {
        for (int x = area.x; x < area.x + area.w; x++) {
            at(picture, x, y) = static_cast<Uint32>(std::rand()) & 0xFFFFFF;
        }
    }
}

bool same(SDL_Surface* a, SDL_Surface* b) {
    for (int y = 0; y < a->h; y++) {
        for (int x = 0; x < a->w; x++) {
            if (at(a, x, y) != at(b, x, y)) {
                ADD_FAILURE() << "first difference at (" << x << "," << y << ")";
                return false;
            }
        }
    }
    return true;
}

} // namespace

TEST(Fit, ScaledAreasGiveTheWindowTheWholePictureGives) {
    SDL_Surface* picture = surface(1080, 720);
    const SDL_Rect whole = {0, 0, 1080, 720};
    scribble(picture, whole, 1);
    // Whole multiples, the two screens the game is most often shown on, and a small screen; with
    // the processor's widest instructions and with SSE2 alone.
    const bool wideBefore = Scaler::useWideInstructions(true);
    const std::vector<std::pair<Fit, bool>> cases = {{Fit::window(2, 0, 0), true},
                                                     {Fit::window(3, 0, 0), true},
                                                     {Fit::inside(1920, 1080), true},
                                                     {Fit::inside(2560, 1600), true},
                                                     {Fit::window(Fit::FIT, 1024, 768), true},
                                                     {Fit::inside(1920, 1080), false}};
    for (const auto& [fit, wide] : cases) {
        SCOPED_TRACE(std::to_string(fit.surfaceW) + "x" + std::to_string(fit.surfaceH) +
                     (wide ? "" : ", SSE2 alone"));
        Scaler::useWideInstructions(wide);
        SDL_Surface* inParts = surface(fit.surfaceW, fit.surfaceH);
        SDL_Surface* inWhole = surface(fit.surfaceW, fit.surfaceH);
        scribble(picture, whole, 1);
        Scaler::scaleArea(picture, inParts, fit, whole);
        const std::vector<SDL_Rect> changed = {{0, 0, 1, 1},       {1079, 719, 1, 1},
                                               {500, 300, 64, 64}, {1050, 10, 30, 30},
                                               {13, 701, 200, 19}, {333, 0, 1, 720}};
        unsigned seed = 2;
        for (const SDL_Rect& area : changed) {
            scribble(picture, area, seed++);
            SDL_Rect sent = Scaler::scaleArea(picture, inParts, fit, area);
            EXPECT_GT(sent.w * sent.h, 0);
        }
        Scaler::scaleArea(picture, inWhole, fit, whole);
        EXPECT_TRUE(same(inParts, inWhole));
        if (fit.picture.w % 1080 == 0) {
            const int k = fit.picture.w / 1080;
            for (int y = 0; y < fit.surfaceH; y += 7) {
                for (int x = 0; x < fit.surfaceW; x += 5) {
                    ASSERT_EQ(at(picture, x / k, y / k), at(inWhole, x, y)) << x << "," << y;
                }
            }
        }
        if (fit.picture.w * 2 == 1080 * 3) {
            // At one and a half times every two pixels show as the first, the two's mean (each
            // byte rounded down) and the second, across and down.
            auto mean = [](Uint32 a, Uint32 b) { return (a & b) + (((a ^ b) & 0xFEFEFEFE) >> 1); };
            auto across = [&](int row, int x) {
                const int first = x / 3 * 2;
                return x % 3 == 1 ? mean(at(picture, first, row), at(picture, first + 1, row))
                                  : at(picture, first + x % 3 / 2, row);
            };
            for (int y = 0; y < fit.picture.h; y++) {
                const int first = y / 3 * 2;
                for (int x = 0; x < fit.picture.w; x++) {
                    const Uint32 want = y % 3 == 1 ? mean(across(first, x), across(first + 1, x))
                                                   : across(first + y % 3 / 2, x);
                    ASSERT_EQ(want, at(inWhole, fit.picture.x + x, fit.picture.y + y))
                        << x << "," << y;
                }
            }
        }
        SDL_FreeSurface(inParts);
        SDL_FreeSurface(inWhole);
    }
    Scaler::useWideInstructions(wideBefore);
    SDL_FreeSurface(picture);
}

// At 1.5 times, the edge between two pixels is at most one mixed pixel wide; everything else is a
// pixel of the picture as it is.
TEST(Fit, AnEdgeScaledByAHalfIsOneMixedPixelWide) {
    SDL_Surface* picture = surface(1080, 720);
    SDL_Rect whole = {0, 0, 1080, 720};
    SDL_FillRect(picture, &whole, 0);
    for (int y = 0; y < 720; y++) {
        for (int x = 0; x < 1080; x += 2) {
            at(picture, x, y) = 0xFFFFFF;
        }
    }
    const Fit fit = Fit::inside(1620, 1080);
    SDL_Surface* window = surface(1620, 1080);
    Scaler::scaleArea(picture, window, fit, whole);
    int white = 0, black = 0, mixed = 0;
    for (int x = 0; x < 1620; x++) {
        Uint32 p = at(window, x, 540);
        (p == 0xFFFFFF ? white : p == 0 ? black : mixed)++;
        if (p != 0xFFFFFF && p != 0) {
            EXPECT_NEAR(0x80, static_cast<int>(p & 0xFF), 1) << x; // halfway, never a smear
        }
    }
    EXPECT_EQ(540, white);
    EXPECT_EQ(540, black);
    EXPECT_EQ(540, mixed);
    SDL_FreeSurface(window);
    SDL_FreeSurface(picture);
}
