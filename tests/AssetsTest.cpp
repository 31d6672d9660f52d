// The game loads every picture, sound and the font by path and never checks the result: a
// missing or malformed file just silently vanishes from the screen. These tests make sure the
// committed data folder holds every file, in the format its name promises, at the size the
// drawing code relies on.

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stack>
#include <string>
#include <vector>

#include "Game.h"
#include "Item.h"
#include "support/TestSupport.h"

namespace {

#ifdef GAME_DATA_DIR
const std::string kDataDir = GAME_DATA_DIR;
#else
const std::string kDataDir = "data";
#endif

std::string dataPath(const std::string& rel) { return kDataDir + "/" + rel; }

std::vector<unsigned char> readFile(const std::string& rel) {
    std::ifstream in(dataPath(rel), std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<unsigned char>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Owns a loaded picture for the length of one check.
struct Picture {
    explicit Picture(const std::string& rel) : surface(IMG_Load(dataPath(rel).c_str())) {}
    ~Picture() { SDL_FreeSurface(surface); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    int w() const { return surface->w; }
    int h() const { return surface->h; }
    void rgba(int x, int y, Uint8* r, Uint8* g, Uint8* b, Uint8* a) const {
        const Uint8* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch +
                         x * surface->format->BytesPerPixel;
        Uint32 v = 0;
        for (int i = 0; i < surface->format->BytesPerPixel; i++) {
            v |= Uint32(p[i]) << (8 * i); // little-endian host, as on every machine we build on
        }
        SDL_GetRGBA(v, surface->format, r, g, b, a);
    }
    Uint8 alpha(int x, int y) const {
        Uint8 r, g, b, a;
        rgba(x, y, &r, &g, &b, &a);
        return a;
    }
    SDL_Surface* surface;
};

// Every picture the game loads, with the size it must have; 0 means "checked separately".
struct PictureSpec {
    std::string path;
    int w;
    int h;
};

std::vector<PictureSpec> allPictures() {
    std::vector<PictureSpec> v = {
        {"images/level1Images/backgroundLevel.jpg", 2916, 1712},
        {"images/level1Images/building.jpg", 100, 100},
        {"images/level1Images/building.png", 100, 100},
        {"images/itemImages/gold.png", 20, 20},
        {"images/itemImages/healthPotion.png", 19, 32},
        {"images/itemImages/glock.png", 20, 15},
        {"images/itemImages/uzi.png", 20, 15},
        {"images/itemImages/flamethrower.png", 20, 15},
        {"images/HUDImages/healthBar.png", 0, 0},
        {"images/HUDImages/backpack.jpg", 600, 400},
        {"images/HUDImages/gold.jpg", 0, 0},
        {"images/HUDImages/glock.png", 0, 0},
        {"images/HUDImages/uzi.png", 0, 0},
        {"images/HUDImages/flamethrower.png", 0, 0},
        {"images/projectileImages/bullet.png", 0, 0},
        {"images/menuImages/background.jpg", 1080, 720},
        {"images/menuImages/start.jpg", 0, 0},
        {"menuImages/titleIntro.jpg", 0, 0},
        {"menuImages/vorthIntro.jpg", 0, 0},
        {"menuImages/palemIntro.jpg", 0, 0},
        {"menuImages/quisoIntro.jpg", 0, 0},
    };
    for (const char* c : {"red", "yellow", "orange", "gray", "darkGray", "white"}) {
        v.push_back({std::string("images/particleImages/") + c + ".png", 0, 0});
    }
    for (int k = 1; k <= 36; k++) {
        v.push_back({"images/level1Images/player/player" + std::to_string(k) + ".png", 50, 50});
    }
    for (int k = 1; k <= 3; k++) {
        v.push_back(
            {"images/level1Images/player/animation/player" + std::to_string(k) + ".png", 50, 50});
    }
    return v;
}

const char* const kSounds[] = {
    "sounds/gunSounds/glockShot.wav",     "sounds/gunSounds/uziShot.wav",
    "sounds/gunSounds/glockReload.wav",   "sounds/gunSounds/noAmmo.wav",
    "sounds/gunSounds/flamethrower.wav",  "sounds/itemSounds/goldPickup.wav",
    "sounds/itemSounds/healthPotion.wav",
};

// Brings up only what this suite needs, and only if the runner has not already done so.
class AssetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (SDL_WasInit(SDL_INIT_VIDEO | SDL_INIT_AUDIO) == 0) {
            setenv("SDL_VIDEODRIVER", "dummy", 0);
            setenv("SDL_AUDIODRIVER", "dummy", 0);
            ownSdl = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) == 0;
        }
        if (!TTF_WasInit()) {
            ownTtf = TTF_Init() == 0;
        }
        int freq;
        Uint16 format;
        int channels;
        if (Mix_QuerySpec(&freq, &format, &channels) == 0) {
            ownMixer = Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512) == 0;
        }
    }
    static void TearDownTestSuite() {
        if (ownMixer)
            Mix_CloseAudio();
        if (ownTtf)
            TTF_Quit();
        if (ownSdl)
            SDL_Quit();
        ownMixer = ownTtf = ownSdl = false;
    }
    static bool ownSdl, ownTtf, ownMixer;
};
bool AssetsTest::ownSdl = false;
bool AssetsTest::ownTtf = false;
bool AssetsTest::ownMixer = false;

TEST_F(AssetsTest, EveryPictureIsARealFileOfTheKindItsNameSays) {
    for (const PictureSpec& spec : allPictures()) {
        SCOPED_TRACE(spec.path);
        std::vector<unsigned char> bytes = readFile(spec.path);
        ASSERT_GT(bytes.size(), 32u) << "missing or empty";
        if (endsWith(spec.path, ".png")) {
            const unsigned char sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
            ASSERT_TRUE(std::equal(sig, sig + 8, bytes.begin()));
            // IHDR colour type: 4 (grey + alpha) or 6 (RGB + alpha) carry per-pixel alpha.
            EXPECT_TRUE(bytes[25] == 6 || bytes[25] == 4) << "colour type " << int(bytes[25]);
        } else {
            ASSERT_TRUE(endsWith(spec.path, ".jpg"));
            EXPECT_EQ(0xFF, bytes[0]);
            EXPECT_EQ(0xD8, bytes[1]);
            EXPECT_EQ(0xFF, bytes[2]);
        }
        Picture pic(spec.path);
        ASSERT_NE(nullptr, pic.surface) << IMG_GetError();
        if (endsWith(spec.path, ".png")) {
            EXPECT_NE(0u, pic.surface->format->Amask);
        } else {
            EXPECT_EQ(0u, pic.surface->format->Amask);
        }
        if (spec.w != 0) {
            EXPECT_EQ(spec.w, pic.w());
            EXPECT_EQ(spec.h, pic.h());
        }
    }
}

TEST_F(AssetsTest, SpritesStandOnTransparentSurroundings) {
    for (const PictureSpec& spec : allPictures()) {
        if (!endsWith(spec.path, ".png") || spec.path.find("healthBar") != std::string::npos) {
            continue;
        }
        SCOPED_TRACE(spec.path);
        Picture pic(spec.path);
        ASSERT_NE(nullptr, pic.surface);
        // A corner shows the ground through it, and something opaque is drawn inside.
        EXPECT_EQ(0, pic.alpha(0, 0));
        int opaque = 0;
        for (int y = 0; y < pic.h(); y++) {
            for (int x = 0; x < pic.w(); x++) {
                opaque += pic.alpha(x, y) > 200;
            }
        }
        EXPECT_GT(opaque, 0);
    }
}

// The player's picture k + 1 must face k * 10 degrees clockwise from straight up: the
// muzzle is the figure's farthest opaque point from the centre, so its bearing is the heading.
TEST_F(AssetsTest, PlayerFramesPointTheGunAlongTheirHeading) {
    for (int k = 0; k < 36; k++) {
        const std::string path =
            "images/level1Images/player/player" + std::to_string(k + 1) + ".png";
        SCOPED_TRACE(path);
        Picture pic(path);
        ASSERT_NE(nullptr, pic.surface);
        double best = -1, bx = 0, by = 0;
        for (int y = 0; y < pic.h(); y++) {
            for (int x = 0; x < pic.w(); x++) {
                if (pic.alpha(x, y) < 160)
                    continue;
                double dx = x + 0.5 - pic.w() / 2.0, dy = y + 0.5 - pic.h() / 2.0;
                if (dx * dx + dy * dy > best) {
                    best = dx * dx + dy * dy;
                    bx = dx;
                    by = dy;
                }
            }
        }
        ASSERT_GT(best, 0);
        EXPECT_GT(std::sqrt(best), 18.0) << "the gun should reach well out from the body";
        // Clockwise from up in screen coordinates (y grows downward).
        double bearing = std::atan2(bx, -by) * 180.0 / M_PI;
        double diff = std::fmod(bearing - k * 10.0 + 540.0, 360.0) - 180.0;
        EXPECT_LT(std::fabs(diff), 15.0) << "bearing " << bearing;
    }
}

TEST_F(AssetsTest, ZombieWalkFramesDifferFromEachOther) {
    std::vector<std::vector<Uint8>> alphas;
    for (int k = 1; k <= 3; k++) {
        Picture pic("images/level1Images/player/animation/player" + std::to_string(k) + ".png");
        ASSERT_NE(nullptr, pic.surface);
        std::vector<Uint8> a;
        for (int y = 0; y < pic.h(); y++)
            for (int x = 0; x < pic.w(); x++)
                a.push_back(pic.alpha(x, y));
        alphas.push_back(a);
    }
    for (int i = 0; i < 3; i++) {
        for (int j = i + 1; j < 3; j++) {
            int changed = 0;
            for (size_t p = 0; p < alphas[i].size(); p++) {
                changed += std::abs(int(alphas[i][p]) - int(alphas[j][p])) > 64;
            }
            EXPECT_GT(changed, 20) << "frames " << i + 1 << " and " << j + 1 << " look alike";
        }
    }
}

TEST_F(AssetsTest, TheTwoBuildingsLookDifferent) {
    Picture tiled("images/level1Images/building.jpg");
    Picture slate("images/level1Images/building.png");
    ASSERT_NE(nullptr, tiled.surface);
    ASSERT_NE(nullptr, slate.surface);
    double sum[2][3] = {};
    int transparent = 0;
    for (int y = 0; y < 100; y++) {
        for (int x = 0; x < 100; x++) {
            Uint8 c[2][4];
            tiled.rgba(x, y, &c[0][0], &c[0][1], &c[0][2], &c[0][3]);
            slate.rgba(x, y, &c[1][0], &c[1][1], &c[1][2], &c[1][3]);
            for (int i = 0; i < 3; i++) {
                sum[0][i] += c[0][i];
                sum[1][i] += c[1][i];
            }
            transparent += c[1][3] == 0;
        }
    }
    double dist = 0;
    for (int i = 0; i < 3; i++)
        dist += std::fabs(sum[0][i] - sum[1][i]) / 10000.0;
    EXPECT_GT(dist, 40.0) << "mean colours too close";
    EXPECT_GT(transparent, 100) << "the PNG building needs real transparent surroundings";
}

// Pictures the HUD and the menu place at fixed screen positions must fit where they go.
TEST_F(AssetsTest, HudAndMenuPicturesFitTheirPlacesOnScreen) {
    const int screenW = 1080, screenH = 720;
    for (const char* w : {"glock", "uzi", "flamethrower"}) {
        SCOPED_TRACE(w);
        Picture pic(std::string("images/HUDImages/") + w + ".png");
        ASSERT_NE(nullptr, pic.surface);
        EXPECT_LE(1020 + pic.w(), screenW);
        EXPECT_GE(pic.w(), 40);
        EXPECT_GE(pic.h(), 25);
        EXPECT_LE(pic.h(), 60);
    }
    {
        // The gold icon at (970, 600) must not run under the number drawn at (1010, 600).
        Picture gold("images/HUDImages/gold.jpg");
        ASSERT_NE(nullptr, gold.surface);
        EXPECT_LE(970 + gold.w(), 1010);
        EXPECT_GE(gold.w(), 20);
        EXPECT_GE(gold.h(), 20);
        EXPECT_LE(600 + gold.h(), 645) << "would cover the health bar";
    }
    {
        // The backpack panel at (240, 160) under a 6 x 4 grid of 100-pixel slots.
        Picture panel("images/HUDImages/backpack.jpg");
        ASSERT_NE(nullptr, panel.surface);
        EXPECT_LE(240 + panel.w(), screenW);
        EXPECT_LE(160 + panel.h(), screenH);
    }
    {
        // A banner over the menu background, not a full screen that would hide it.
        Picture title("menuImages/titleIntro.jpg");
        ASSERT_NE(nullptr, title.surface);
        EXPECT_EQ(screenW, title.w());
        EXPECT_GE(title.h(), 100);
        EXPECT_LE(title.h(), 300);
    }
    {
        // Drawn at (415, 460); the click area is x 416..669, y 411..609. Nothing drawn at
        // y 460 can reach above it, so the button must cover every column and the rows below.
        Picture start("images/menuImages/start.jpg");
        ASSERT_NE(nullptr, start.surface);
        EXPECT_GE(415 + start.w() - 1, 669);
        EXPECT_GE(460 + start.h() - 1, 609);
        EXPECT_LE(415 + start.w(), screenW);
        EXPECT_LE(460 + start.h(), screenH);
    }
    for (const char* c : {"vorthIntro", "palemIntro", "quisoIntro"}) {
        SCOPED_TRACE(c);
        Picture card(std::string("menuImages/") + c + ".jpg");
        ASSERT_NE(nullptr, card.surface);
        EXPECT_LE(card.w(), screenW);
        EXPECT_LE(card.h(), screenH);
    }
}

// The HUD paints the segment once per health point, each one pixel further left: it must be
// opaque everywhere so that the overlapping copies form one solid bar.
TEST_F(AssetsTest, HealthBarSegmentIsAnOpaqueNarrowStripe) {
    Picture bar("images/HUDImages/healthBar.png");
    ASSERT_NE(nullptr, bar.surface);
    EXPECT_GE(bar.w(), 1);
    EXPECT_LE(bar.w(), 4);
    EXPECT_GE(bar.h(), 8);
    EXPECT_LE(645 + bar.h(), 720);
    for (int y = 0; y < bar.h(); y++)
        for (int x = 0; x < bar.w(); x++)
            EXPECT_EQ(255, bar.alpha(x, y)) << x << "," << y;
}

TEST_F(AssetsTest, BulletAndParticlesAreSmallSoftDots) {
    std::vector<std::string> paths = {"images/projectileImages/bullet.png"};
    for (const char* c : {"red", "yellow", "orange", "gray", "darkGray", "white"}) {
        paths.push_back(std::string("images/particleImages/") + c + ".png");
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        Picture pic(path);
        ASSERT_NE(nullptr, pic.surface);
        EXPECT_LE(pic.w(), 16);
        EXPECT_LE(pic.h(), 16);
        // Densest in the middle, fading toward the edge.
        Uint8 centre = pic.alpha(pic.w() / 2, pic.h() / 2);
        Uint8 edge = pic.alpha(0, pic.h() / 2);
        EXPECT_GT(centre, 150);
        EXPECT_LT(edge, centre / 2);
    }
}

// Reads a WAV's format the way a strict loader would: RIFF/WAVE, a PCM fmt chunk, a data
// chunk. Returns the duration in seconds, or a negative value on a malformed file.
double wavSeconds(const std::string& rel, std::string* why) {
    std::vector<unsigned char> b = readFile(rel);
    if (b.size() < 44)
        return *why = "too short", -1;
    if (std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return *why = "not RIFF/WAVE", -1;
    size_t at = 12;
    int channels = 0, rate = 0, bits = 0, format = 0;
    while (at + 8 <= b.size()) {
        std::string id(b.begin() + at, b.begin() + at + 4);
        uint32_t len = le32(b, at + 4);
        if (id == "fmt ") {
            format = le16(b, at + 8);
            channels = le16(b, at + 10);
            rate = int(le32(b, at + 12));
            bits = le16(b, at + 22);
        } else if (id == "data") {
            if (format != 1)
                return *why = "not PCM", -1;
            if (bits != 16)
                return *why = "not 16-bit", -1;
            if (rate != 22050)
                return *why = "not 22050 Hz", -1;
            if (channels < 1 || channels > 2)
                return *why = "odd channel count", -1;
            if (at + 8 + len > b.size())
                return *why = "data chunk runs past the end", -1;
            return double(len) / (channels * 2) / rate;
        }
        at += 8 + len + (len & 1);
    }
    return *why = "no data chunk", -1;
}

TEST_F(AssetsTest, EverySoundIsA16BitPcmWaveTheMixerLoads) {
    for (const char* path : kSounds) {
        SCOPED_TRACE(path);
        std::string why;
        double seconds = wavSeconds(path, &why);
        ASSERT_GT(seconds, 0.0) << why;
        EXPECT_LT(seconds, 2.0);
        Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(dataPath(path).c_str(), "rb"), 1);
        ASSERT_NE(nullptr, chunk) << Mix_GetError();
        Mix_FreeChunk(chunk);
    }
}

TEST_F(AssetsTest, SoundLengthsSuitTheirUse) {
    std::string why;
    double uzi = wavSeconds("sounds/gunSounds/uziShot.wav", &why);
    double glock = wavSeconds("sounds/gunSounds/glockShot.wav", &why);
    double flame = wavSeconds("sounds/gunSounds/flamethrower.wav", &why);
    double click = wavSeconds("sounds/gunSounds/noAmmo.wav", &why);
    // The submachine gun fires every 71 ms; a longer report would smear the burst.
    EXPECT_LT(uzi, 0.071);
    EXPECT_LT(uzi, glock);
    EXPECT_GT(flame, 0.35);
    EXPECT_LT(flame, 0.8);
    EXPECT_LT(click, 0.2);
}

TEST_F(AssetsTest, TheFontOpensAndRendersDigits) {
    TTF_Font* font = TTF_OpenFont(dataPath("testFont.ttf").c_str(), 28);
    ASSERT_NE(nullptr, font) << TTF_GetError();
    SDL_Color white = {255, 255, 255, 0};
    SDL_Surface* text = TTF_RenderText_Solid(font, "150", white);
    ASSERT_NE(nullptr, text);
    EXPECT_GT(text->w, 20);
    EXPECT_GT(text->h, 20);
    SDL_FreeSurface(text);
    TTF_CloseFont(font);
}

// ---------------------------------------------------------------------------------------------
// Legibility on the map. The contrast ratio is the one used for text on screens: relative
// luminance of sRGB pixels, (lighter + 0.05) / (darker + 0.05); 3:1 is the usual floor for
// shapes a player has to pick out. Each picture is painted over the map exactly as the level
// paints it (SDL's own alpha blit, at its real map position), then summarised like this:
// - around it: the mean luminance of the bare map in a ring up to kRing pixels outside the
//   picture's footprint, so its own shadow does not count. The footprint is the picture's
//   solid pixels (alpha kSolid or more): a partly transparent pixel at the silhouette is a blend
//   of the two colours being compared and belongs to neither, nor does a soft shadow;
// - the picture: the footprint as painted, split into its edge (footprint pixels that touch a
//   pixel outside it) and its fill (the rest), each averaged in linear luminance.
// A two-tone picture is seen by whichever part stands out: an outlined pick-up by its outline
// whatever its body, a dark-ringed tracer by its bright core, a plain one by its whole. So the
// figure is the better of edge and fill, counting only a part of at least kMinPart pixels, and it
// must reach 3:1 wherever the picture is shown. Both are printed.

const int kRing = 4;
const int kSolid = 230;
const int kMinPart = 4;

double linear(Uint8 c) {
    double v = c / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(Uint32 pixel, const SDL_PixelFormat* format) {
    Uint8 r, g, b;
    SDL_GetRGB(pixel, format, &r, &g, &b);
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

double contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

Uint32 rawPixel(SDL_Surface* s, int x, int y) {
    return *reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 4);
}

struct Legibility {
    double ground = 0, edge = 0, fill = 0;
    int edgePixels = 0, fillPixels = 0;
    double edgeRatio() const { return contrast(edge, ground); }
    double fillRatio() const { return contrast(fill, ground); }
    double best() const {
        return std::max(edgePixels >= kMinPart ? edgeRatio() : 0.0,
                        fillPixels >= kMinPart ? fillRatio() : 0.0);
    }
};

// `sprite` (a loaded picture, with per-pixel alpha) painted with its top-left corner at map
// position (mapX, mapY) over `map`.
Legibility measureOnMap(SDL_Surface* map, SDL_Surface* sprite, int mapX, int mapY) {
    Legibility out;
    const int w = sprite->w + 2 * kRing, h = sprite->h + 2 * kRing;
    SDL_PixelFormat* f = mainScreen->format;
    SDL_Surface* canvas =
        SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, f->Rmask, f->Gmask, f->Bmask, 0);
    SDL_Rect from = {Sint16(mapX - kRing), Sint16(mapY - kRing), Uint16(w), Uint16(h)};
    SDL_BlitSurface(map, &from, canvas, NULL);
    std::vector<double> bare(w * h), painted(w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            bare[y * w + x] = luminance(rawPixel(canvas, x, y), canvas->format);
    SDL_Rect to = {Sint16(kRing), Sint16(kRing), 0, 0};
    SDL_BlitSurface(sprite, NULL, canvas, &to);
    std::vector<char> inside(w * h, 0);
    SDL_LockSurface(sprite); // the loader may have run-length encoded it
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            painted[y * w + x] = luminance(rawPixel(canvas, x, y), canvas->format);
            int sx = x - kRing, sy = y - kRing;
            if (sx >= 0 && sy >= 0 && sx < sprite->w && sy < sprite->h) {
                Uint8 r, g, b, a;
                SDL_GetRGBA(rawPixel(sprite, sx, sy), sprite->format, &r, &g, &b, &a);
                inside[y * w + x] = a >= kSolid;
            }
        }
    }
    SDL_UnlockSurface(sprite);
    SDL_FreeSurface(canvas);
    // Chebyshev distance to the footprint, up to kRing + 1.
    auto nearest = [&](int x, int y, int reach) {
        for (int d = 0; d <= reach; d++)
            for (int j = -d; j <= d; j++)
                for (int i = -d; i <= d; i++) {
                    int u = x + i, v = y + j;
                    if ((std::abs(i) == d || std::abs(j) == d) && u >= 0 && v >= 0 && u < w &&
                        v < h && inside[v * w + u] != inside[y * w + x])
                        return d;
                }
        return reach + 1;
    };
    double groundSum = 0, edgeSum = 0, fillSum = 0;
    int groundPixels = 0;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            int at = y * w + x;
            if (!inside[at]) {
                if (nearest(x, y, kRing) <= kRing) {
                    groundSum += bare[at];
                    groundPixels++;
                }
            } else if (nearest(x, y, 1) == 1) {
                edgeSum += painted[at];
                out.edgePixels++;
            } else {
                fillSum += painted[at];
                out.fillPixels++;
            }
        }
    }
    out.ground = groundPixels ? groundSum / groundPixels : 0;
    out.edge = out.edgePixels ? edgeSum / out.edgePixels : 0;
    out.fill = out.fillPixels ? fillSum / out.fillPixels : 0;
    return out;
}

std::string part(double lum, double ratio, int pixels) {
    char text[64];
    if (pixels == 0)
        std::snprintf(text, sizeof text, "%-25s", "none");
    else
        std::snprintf(text, sizeof text, "L %.3f -> %5.2f:1 (%3d px)", lum, ratio, pixels);
    return text;
}

void report(const std::string& what, int x, int y, const Legibility& l) {
    std::printf("%-16s at %4d,%4d  ground L %.3f  edge %s  fill %s  figure %5.2f:1\n", what.c_str(),
                x, y, l.ground, part(l.edge, l.edgeRatio(), l.edgePixels).c_str(),
                part(l.fill, l.fillRatio(), l.fillPixels).c_str(), l.best());
    EXPECT_GE(l.best(), 3.0) << what << " at " << x << "," << y << " blends into the ground";
}

class AssetsOnTheMapTest : public testsupport::LevelFixture {};

// Every pick-up the level lays out, with the picture its object loaded, where the level puts it.
TEST_F(AssetsOnTheMapTest, EveryPickUpStandsOutFromTheGroundAroundIt) {
    SDL_Surface* map = level->images[0];
    ASSERT_NE(nullptr, map);
    std::stack<Item*> items = level->items;
    ASSERT_EQ(8u, items.size());
    for (; !items.empty(); items.pop()) {
        Item* item = items.top();
        SDL_Surface* picture = item->draw();
        ASSERT_NE(nullptr, picture) << item->getId();
        int x = item->getXLocation() + camera.x, y = item->getYLocation() + camera.y;
        report(item->getId(), x, y, measureOnMap(map, picture, x, y));
    }
}

// A bullet flies over everything; these map spots are samples of each kind of ground, from the
// darkest grass to the palest gravel, taken from the map's layout (the road, its branch, the
// bare patches and open grass).
TEST_F(AssetsOnTheMapTest, TheBulletShowsOnGrassRoadAndDirt) {
    struct Spot {
        const char* ground;
        int x, y;
    };
    const Spot spots[] = {
        {"road", 700, 265},   {"road", 1900, 400},   {"road", 2700, 330},  {"road", 1310, 1000},
        {"dirt", 1900, 610},  {"dirt", 410, 1165},   {"dirt", 1800, 1410}, {"dirt", 2450, 150},
        {"grass", 1000, 800}, {"grass", 2600, 1000}, {"grass", 200, 700},  {"grass", 1600, 300},
    };
    SDL_Surface* map = level->images[0];
    ASSERT_NE(nullptr, map);
    // Loaded the way each bullet loads its own picture.
    SDL_Surface* bullet = imageHandler->optimizeImage("images/projectileImages/bullet.png");
    ASSERT_NE(nullptr, bullet);
    for (const Spot& s : spots) {
        Legibility l = measureOnMap(map, bullet, s.x, s.y);
        report(std::string("bullet on ") + s.ground, s.x, s.y, l);
        // A couple of pixels, however bright, read as one more speck on the ground.
        EXPECT_GE(l.edgePixels + l.fillPixels, 12) << "a bullet too small to follow in flight";
    }
    SDL_FreeSurface(bullet);
}

} // namespace
