// The input storm: the real level, built by its own set-up, hammered pass after pass by random
// events, held keys, pointer jumps and clock steps, with the level's invariants checked after
// every pass. Each seed is a fixed, repeatable run; a failure names the seed and the pass.
//
// Longer or different storms, without touching the game:
//   STORM_PASSES=1000000 ./game_tests --gtest_filter='Seeds/Storm*'          (passes per seed)
//   STORM_SEED=12345 STORM_PASSES=50000 ./game_tests --gtest_filter='Seeds/Storm*' (one seed)
//
// The long run (a million passes of flamethrower bursts; memory must not grow), not part of the
// suite:
//   ./game_tests --gtest_also_run_disabled_tests --gtest_filter='*LongRun*'
//   LONG_RUN_PASSES=200000 ...                                      (a shorter one)
#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Backpack.h"
#include "Bullet.h"
#include "FireParticle.h"
#include "Flamethrower.h"
#include "FlamethrowerItem.h"
#include "Game.h"
#include "GlockItem.h"
#include "Gold.h"
#include "HealthPotion.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "UziItem.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

const int DEFAULT_PASSES = 25000;

int stormPasses() {
    const char* text = getenv("STORM_PASSES");
    int n = text != NULL ? atoi(text) : 0;
    return n > 0 ? n : DEFAULT_PASSES;
}

std::vector<unsigned> stormSeeds() {
    const char* text = getenv("STORM_SEED");
    if (text != NULL && *text != '\0') {
        return {static_cast<unsigned>(strtoul(text, NULL, 10))};
    }
    return {1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u};
}

// Small, fully specified generator, so that a seed means the same storm on every machine.
struct Rng {
    uint64_t state;
    explicit Rng(unsigned seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<uint32_t>(state >> 32);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int perMille) { return below(1000) < perMille; }
};

// Bounds how many projectiles of one kind can still be alive. A projectile made in some pass is
// certain to be gone once `lifeInBigPasses` passes long enough to step every live projectile
// have followed; so only the passes since then can have made the projectiles now alive, each
// at most `allowance` of them.
class EmissionWindow {
public:
    explicit EmissionWindow(long lifeInBigPasses) : life(lifeInBigPasses) {}

    void record(int allowance, bool big, uint64_t time) {
        if (big) {
            bigSoFar++;
        }
        passes.push_back({allowance, bigSoFar, time});
        sum += allowance;
        while (bigSoFar - passes.front().bigAtMaking > life) {
            sum -= passes.front().allowance;
            passes.pop_front();
        }
    }
    long allowed() const { return sum; }
    uint64_t span() const { return passes.back().time - passes.front().time; }

private:
    struct Pass {
        int allowance;
        long bigAtMaking;
        uint64_t time;
    };
    long life;
    long bigSoFar = 0;
    long sum = 0;
    std::deque<Pass> passes;
};

// The keys the level and the player read, to be pressed far more often than the rest.
const SDLKey GAME_KEYS[] = {SDLK_a, SDLK_d, SDLK_s, SDLK_w,     SDLK_1, SDLK_2,
                            SDLK_3, SDLK_r, SDLK_t, SDLK_SPACE, SDLK_c};
const int GAME_KEY_COUNT = sizeof(GAME_KEYS) / sizeof(GAME_KEYS[0]);

SDLKey opposite(SDLKey walk) {
    switch (walk) {
    case SDLK_a:
        return SDLK_d;
    case SDLK_d:
        return SDLK_a;
    case SDLK_s:
        return SDLK_w;
    default:
        return SDLK_s;
    }
}

class Storm : public LevelFixture, public ::testing::WithParamInterface<unsigned> {
protected:
    void run(unsigned seed, int passes);

private:
    // One pass of input, returning the number of left presses and C presses queued.
    void scheduleInput(int pass, int passes, int& leftPresses, int& potionPresses);
    Uint32 clockStep();
    void pushRandomEvent(int& leftPresses, int& potionPresses);
    void dropAtPlayer(Item* item) { level->items.push(item); }
    int groundPotionsUntaken(std::vector<Item*>& out);
    std::string checkInvariants(double healthBefore, bool spaceHeld, int potionsBefore,
                                const std::vector<Item*>& groundPotions, int potionPresses);

    Rng rng{0};
    uint64_t now = 0;
    Uint32 lastStep = 0;
    int fireHoldLeft = 0;
    bool spacePhase = false;
    double spaceFloor = 0;
    int marchLeft = 0;
    SDLKey marchKey = SDLK_a;
    int hoardAt = 0;
    int armouryAt = 0;
    int marchAt = 0;
    std::vector<Weapon*> slotsSeen;
    std::set<Projectile*> destroyedLastPass;
    EmissionWindow bullets{0};
    EmissionWindow flames{0};
    // How far the storm got, so that a storm that never reached its corners fails too.
    int mostBullets = 0;
    int mostFlames = 0;
    int mostPotions = 0;
    double lowestHealth = 100;
    double farthest = 0;
};

Uint32 Storm::clockStep() {
    if (marchLeft > 0 && rng.chance(900)) {
        return static_cast<Uint32>(rng.range(21, 40)); // every pass a walking step
    }
    int roll = rng.below(1000);
    if (roll < 200) {
        return static_cast<Uint32>(rng.range(0, 3)); // a fast machine: several passes per ms
    }
    if (roll < 750) {
        return static_cast<Uint32>(rng.range(0, 40));
    }
    if (roll < 930) {
        return static_cast<Uint32>(rng.range(40, 400));
    }
    if (roll < 990) {
        return static_cast<Uint32>(rng.range(400, 60000)); // a stall
    }
    if (roll < 999) {
        return static_cast<Uint32>(rng.range(60000, 100000000)); // a suspended machine
    }
    // Beyond the 24.8 days a signed millisecond count can hold.
    return 2200000000u + static_cast<Uint32>(rng.below(800000000));
}

void Storm::pushRandomEvent(int& leftPresses, int& potionPresses) {
    SDL_Event event = {};
    int roll = rng.below(100);
    if (roll < 40) {
        SDLKey key = rng.chance(700) ? GAME_KEYS[rng.below(GAME_KEY_COUNT)]
                                     : static_cast<SDLKey>(rng.below(SDLK_LAST));
        potionPresses += key == SDLK_c ? 1 : 0;
        pushKeyDown(key);
        return;
    }
    if (roll < 50) {
        event.type = SDL_KEYUP;
        event.key.type = SDL_KEYUP;
        event.key.keysym.sym = static_cast<SDLKey>(rng.below(SDLK_LAST));
        SDL_PushEvent(&event);
        return;
    }
    if (roll < 80) {
        // Every button SDL reports, the wheel included; right presses end the level, which a
        // pass driven by hand does not stop for. A long hold of fire is not cut short here.
        Uint8 button = static_cast<Uint8>(rng.range(1, 7));
        bool down = fireHoldLeft > 0 || rng.chance(500);
        leftPresses += down && button == SDL_BUTTON_LEFT ? 1 : 0;
        pushMouseButton(button, down);
        return;
    }
    if (roll < 85) {
        pushQuit();
        return;
    }
    const Uint8 others[] = {SDL_ACTIVEEVENT, SDL_MOUSEMOTION, SDL_JOYAXISMOTION,
                            SDL_VIDEORESIZE, SDL_VIDEOEXPOSE, SDL_USEREVENT};
    event.type = others[rng.below(sizeof(others))];
    if (event.type == SDL_MOUSEMOTION) {
        event.motion.x = static_cast<Uint16>(rng.below(2000));
        event.motion.y = static_cast<Uint16>(rng.below(2000));
    }
    SDL_PushEvent(&event);
}

void Storm::scheduleInput(int pass, int passes, int& leftPresses, int& potionPresses) {
    Uint8* keys = SDL_GetKeyState(NULL);

    // A long march: one walking key held, the pointer kept where the view lets the step through.
    const SDLKey directions[] = {SDLK_a, SDLK_d, SDLK_s, SDLK_w};
    if (pass == marchAt) {
        marchKey = directions[rng.below(4)];
        marchLeft = passes * 2 / 5;
    }
    if (marchLeft > 0) {
        keys[marchKey] = 1;
        keys[opposite(marchKey)] = 0; // a random hold of the other way would cancel the march
        if (--marchLeft == 0) {
            keys[marchKey] = 0;
        } else if (rng.chance(20)) {
            int x = marchKey == SDLK_a ? rng.range(0, 1000) : rng.range(150, 1079);
            int y = marchKey == SDLK_w ? rng.range(0, 680) : rng.range(150, 719);
            moveMouse(x, y);
        }
    }

    // The level holds three potions and one of each weapon; to reach a full backpack and a
    // fourth weapon the storm lays more at the player's feet.
    if (pass == hoardAt) {
        for (int i = 0; i < 30; i++) {
            dropAtPlayer(new HealthPotion(static_cast<int>(player->locationX) + 10,
                                          static_cast<int>(player->locationY) + 10));
        }
    }
    if (pass >= armouryAt && pass < armouryAt + 4) {
        // One a pass, the flamethrower first so that it always finds a slot; the fourth weapon
        // finds none.
        int x = static_cast<int>(player->locationX) + 10;
        int y = static_cast<int>(player->locationY) + 10;
        switch (pass - armouryAt) {
        case 0:
            dropAtPlayer(new FlamethrowerItem(x, y));
            break;
        case 1:
            dropAtPlayer(new UziItem(x, y));
            break;
        default:
            dropAtPlayer(new GlockItem(x, y));
            break;
        }
    }
    if (pass > armouryAt + 4 && rng.chance(1)) {
        int x = static_cast<int>(player->locationX) + 10;
        int y = static_cast<int>(player->locationY) + 10;
        switch (rng.below(3)) {
        case 0:
            dropAtPlayer(new HealthPotion(x, y));
            break;
        case 1:
            dropAtPlayer(new Gold(x, y, rng.range(1, 500)));
            break;
        default:
            dropAtPlayer(new UziItem(x, y));
            break;
        }
    }

    // Space held until health is far below zero.
    if (!spacePhase && rng.chance(1)) {
        spacePhase = true;
        spaceFloor = player->health - rng.range(200, 3000);
    }
    if (spacePhase) {
        keys[SDLK_SPACE] = 1;
        if (player->health < spaceFloor) {
            spacePhase = false;
            keys[SDLK_SPACE] = 0;
        }
    }

    // Long holds of fire, ended by the release of any button.
    if (fireHoldLeft == 0 && rng.chance(4)) {
        fireHoldLeft = rng.range(1, 3000);
        pushMouseButton(SDL_BUTTON_LEFT, true);
        leftPresses++;
    } else if (fireHoldLeft > 0 && --fireHoldLeft == 0) {
        pushMouseButton(static_cast<Uint8>(rng.range(1, 7)), false);
    }

    // Held keys come and go: mostly the game's, sometimes any key at all.
    if (rng.chance(30)) {
        SDLKey key = rng.chance(700) ? GAME_KEYS[rng.below(GAME_KEY_COUNT)]
                                     : static_cast<SDLKey>(rng.below(SDLK_LAST));
        keys[key] = keys[key] ? 0 : 1;
    }
    if (rng.chance(2)) {
        releaseAllKeys();
        if (marchLeft > 0) {
            keys[marchKey] = 1;
        }
    }

    // Pointer jumps: anywhere, into the corners, beyond the screen, or a small drift.
    int roll = rng.below(1000);
    if (marchLeft > 0 && roll < 950) {
        roll = 1000; // the march keeps its pointer
    }
    if (roll < 50) {
        moveMouse(rng.below(1080), rng.below(720));
    } else if (roll < 60) {
        const int corners[4][2] = {{0, 0}, {1079, 0}, {0, 719}, {1079, 719}};
        int c = rng.below(4);
        moveMouse(corners[c][0], corners[c][1]);
    } else if (roll < 65) {
        moveMouse(rng.range(1080, 65535), rng.range(720, 65535));
    } else if (roll < 200) {
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        moveMouse(std::max(0, x + rng.range(-20, 20)), std::max(0, y + rng.range(-20, 20)));
    }

    if (rng.chance(80)) {
        int count = rng.range(1, 6);
        for (int i = 0; i < count; i++) {
            pushRandomEvent(leftPresses, potionPresses);
        }
    }
}

int Storm::groundPotionsUntaken(std::vector<Item*>& out) {
    out.clear();
    for (std::stack<Item*> s = level->items; !s.empty(); s.pop()) {
        if (!s.top()->isDestroyed() && s.top()->getId() == "HealthPotion") {
            out.push_back(s.top());
        }
    }
    return static_cast<int>(out.size());
}

std::string Storm::checkInvariants(double healthBefore, bool spaceHeld, int potionsBefore,
                                   const std::vector<Item*>& groundPotions, int potionPresses) {
    std::ostringstream why;

    double band = Player::MAP_BAND;
    if (!(player->locationX >= -band && player->locationX <= mapWidth + band &&
          player->locationY >= -band && player->locationY <= mapHeight + band)) {
        why << "player left the band around the map: (" << player->locationX << ", "
            << player->locationY << ")";
        return why.str();
    }
    if (camera.w != 1080 || camera.h != 720) {
        why << "camera size became " << camera.w << " x " << camera.h;
        return why.str();
    }

    Backpack* pack = player->backpack;
    int potionsAfter = static_cast<int>(pack->items.size());
    if (potionsAfter > 24) {
        why << potionsAfter << " potions stored";
        return why.str();
    }
    for (size_t i = 0; i < pack->weapons.size(); i++) {
        if (slotsSeen[i] != NULL && pack->weapons[i] != slotsSeen[i]) {
            why << "weapon slot " << i << " changed from " << slotsSeen[i] << " to "
                << pack->weapons[i];
            return why.str();
        }
        slotsSeen[i] = pack->weapons[i];
    }

    // Health moves only by the space bar (1), potions (10 each) and bites (5 per zombie).
    int picked = 0;
    for (Item* potion : groundPotions) {
        picked += potion->isDestroyed() ? 1 : 0;
    }
    int drunk = potionsBefore + picked - potionsAfter;
    double rest = player->health - healthBefore + (spaceHeld ? 1 : 0) - 10.0 * drunk;
    double bites = -rest / 5;
    if (drunk < 0 || drunk > potionPresses || !std::isfinite(player->health) || rest > 0 ||
        bites != std::floor(bites) || bites > static_cast<double>(level->units.size())) {
        why << "health went from " << healthBefore << " to " << player->health << " with space "
            << (spaceHeld ? "held" : "up") << ", " << drunk << " potions drunk of " << potionPresses
            << " presses, " << level->units.size() << " zombies";
        return why.str();
    }

    // Projectiles: a destroyed one never outlives the next pass, and their number stays within
    // what the weapons can have made during the longest possible life of one.
    int liveBullets = 0;
    int liveFlames = 0;
    std::set<Projectile*> destroyedNow;
    for (std::queue<Projectile*> q = particleEngine->projectiles; !q.empty(); q.pop()) {
        Projectile* p = q.front();
        if (destroyedLastPass.count(p) != 0) {
            why << "projectile " << p << " destroyed in the last pass is still in the engine";
            return why.str();
        }
        if (dynamic_cast<Bullet*>(p) != NULL) {
            liveBullets++;
        } else if (dynamic_cast<FireParticle*>(p) != NULL) {
            liveFlames++;
        } else {
            why << "projectile " << p << " of an unknown kind";
            return why.str();
        }
        if (p->isDestroyed()) {
            destroyedNow.insert(p);
        }
    }
    destroyedLastPass.swap(destroyedNow);
    mostBullets = std::max(mostBullets, liveBullets);
    mostFlames = std::max(mostFlames, liveFlames);
    mostPotions = std::max(mostPotions, potionsAfter);
    lowestHealth = std::min(lowestHealth, player->health);
    farthest = std::max({farthest, -player->locationX, player->locationX - mapWidth,
                         -player->locationY, player->locationY - mapHeight});

    // The Uzi shoots at most once per 71 ms, the Glock once per 200 ms; each at most once a
    // pass.
    uint64_t span = bullets.span();
    long byTime = static_cast<long>(std::min<uint64_t>(span / 71 + span / 200 + 2, 1u << 30));
    long bulletBound = std::min(bullets.allowed(), byTime);
    if (liveBullets > bulletBound) {
        why << liveBullets << " bullets alive, at most " << bulletBound << " possible";
        return why.str();
    }
    if (liveFlames > flames.allowed()) {
        why << liveFlames << " fire particles alive, at most " << flames.allowed() << " possible";
        return why.str();
    }
    return "";
}

void Storm::run(unsigned seed, int passes) {
    fprintf(stderr, "storm seed %u, %d passes (repeat: STORM_SEED=%u STORM_PASSES=%d)\n", seed,
            passes, seed, passes);
    rng = Rng(seed);
    hoardAt = rng.range(1, std::max(1, passes / 2));
    armouryAt = rng.range(1, std::max(1, passes / 10));
    marchAt = rng.range(1, std::max(1, passes / 2));
    slotsSeen.assign(player->backpack->weapons.size(), NULL);
    now = FakeClock::ticks;

    // A bullet starting on the map has left it after the diagonal (about 3,382 pixels) in
    // 8-pixel steps: 423 steps, then one pass to notice and one to delete it; kept with a margin.
    bullets = EmissionWindow(430);
    // A fire particle burns out once an offset passes its reach (under 100 pixels). Along its
    // main axis it gains at least 0.7 pixel a step vertically, or 0.7 times a random 0 to 5
    // horizontally, so a few hundred steps are far beyond any particle's life.
    flames = EmissionWindow(400);

    for (int pass = 0; pass < passes; pass++) {
        int leftPresses = 0;
        int potionPresses = 0;
        scheduleInput(pass, passes, leftPresses, potionPresses);
        Uint32 step = clockStep();
        FakeClock::advance(step);
        now += step;

        // A pause the storm stumbled on is ended again soon, and while it holds nothing moves.
        bool paused = level->isPaused();
        Uint64 stateBefore = paused ? level->stateChecksum() : 0;
        if (paused && rng.chance(100)) {
            pushKeyDown(SDLK_p);
        }
        double healthBefore = player->health;
        bool spaceHeld = SDL_GetKeyState(NULL)[SDLK_SPACE] != 0;
        int potionsBefore = static_cast<int>(player->backpack->items.size());
        std::vector<Item*> groundPotions;
        groundPotionsUntaken(groundPotions);

        level->runPass();

        int bulletWeapons = 0;
        for (Weapon* w : player->backpack->weapons) {
            bulletWeapons += w != NULL && w->getId() != "Flame" ? 1 : 0;
        }
        bullets.record(std::min(bulletWeapons, 2), step >= 11, now);
        flames.record(1 + leftPresses, step >= 21, now);

        std::string why =
            paused ? (level->stateChecksum() == stateBefore ? "" : "the world moved while paused")
                   : checkInvariants(healthBefore, spaceHeld, potionsBefore, groundPotions,
                                     potionPresses);
        ASSERT_EQ("", why) << "storm seed " << seed << ", pass " << pass << " of " << passes
                           << "; repeat with STORM_SEED=" << seed << " STORM_PASSES=" << passes
                           << " ./game_tests --gtest_filter='Seeds/Storm*'";
    }
    // A storm of the usual length must also have reached the corners it aims at.
    fprintf(stderr, "reached: %d potions, health %g, %d bullets, %d fire particles, %g px out\n",
            mostPotions, lowestHealth, mostBullets, mostFlames, farthest);
    if (passes >= 10000) {
        EXPECT_EQ(24, mostPotions) << "seed " << seed;
        EXPECT_LT(lowestHealth, -100) << "seed " << seed;
        EXPECT_GT(mostBullets, 0) << "seed " << seed;
        EXPECT_GT(mostFlames, 0) << "seed " << seed;
        EXPECT_GT(farthest, 16000 - 3) << "seed " << seed;
    }
}

TEST_P(Storm, LevelHoldsItsInvariantsUnderRandomInput) { run(GetParam(), stormPasses()); }

INSTANTIATE_TEST_SUITE_P(Seeds, Storm, ::testing::ValuesIn(stormSeeds()));

class LevelEnd : public LevelFixture {};

// A potion taken in the very last pass is still on the level's list, marked taken, when the
// level is released; by then the backpack that owned it may already be gone.
TEST_F(LevelEnd, ReleasedRightAfterAPotionIsTaken) {
    Item* potion = new HealthPotion(static_cast<int>(player->locationX) + 10,
                                    static_cast<int>(player->locationY) + 10);
    level->items.push(potion);
    runPasses(1);
    ASSERT_TRUE(potion->isDestroyed());
    ASSERT_EQ(1u, player->backpack->items.size());
    // TearDown releases the level now; under the address sanitizer a read of the freed potion
    // fails the run.
}

} // namespace

namespace {

long residentKb() {
    long pages = 0;
    long resident = 0;
    FILE* statm = fopen("/proc/self/statm", "r");
    if (statm == NULL) {
        return -1;
    }
    if (fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
        resident = -1;
    }
    fclose(statm);
    return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long heapInUseKb() { return static_cast<long>(mallinfo2().uordblks / 1024); }

class LongRun : public LevelFixture {};

// Every particle is made, flies, burns out and is freed; after the first passes nothing may
// accumulate. Measured from the heap in use (exact) and the resident size (what the system sees).
TEST_F(LongRun, DISABLED_MillionPassesOfFlameBurstsDoNotGrowMemory) {
    const char* text = getenv("LONG_RUN_PASSES");
    long passes = text != NULL && atol(text) > 0 ? atol(text) : 1000000;
    const long warmUp = std::min(50000L, passes / 10);

    Item* pickup = new FlamethrowerItem(0, 0);
    ASSERT_TRUE(player->backpack->addItem(pickup));
    delete pickup; // the backpack made its own weapon from it
    player->setWeapon(3);
    ASSERT_EQ("Flame", player->weapon->getId());
    moveMouse(900, 200);

    long heapAtWarmUp = 0;
    long rssAtWarmUp = 0;
    size_t mostParticles = 0;
    for (long pass = 1; pass <= passes; pass++) {
        // Bursts: 400 passes of fire, 40 without.
        if (pass % 440 == 1) {
            pushMouseButton(SDL_BUTTON_LEFT, true);
        } else if (pass % 440 == 401) {
            pushMouseButton(SDL_BUTTON_LEFT, false);
        }
        FakeClock::advance(21); // every particle steps in every pass
        level->runPass();
        mostParticles = std::max(mostParticles, particleEngine->projectiles.size());
        if (pass == warmUp) {
            heapAtWarmUp = heapInUseKb();
            rssAtWarmUp = residentKb();
        }
    }
    long heapGrowth = heapInUseKb() - heapAtWarmUp;
    long rssGrowth = residentKb() - rssAtWarmUp;
    fprintf(stderr,
            "long run: %ld passes; after %ld: heap %ld kB, resident %ld kB; at the end: heap "
            "%+ld kB, resident %+ld kB; at most %zu live particles\n",
            passes, warmUp, heapAtWarmUp, rssAtWarmUp, heapGrowth, rssGrowth, mostParticles);
    EXPECT_GT(mostParticles, 10u) << "the flamethrower did not fire";
    // A leak of even 16 bytes a particle would be 15 MB here.
    EXPECT_LE(heapGrowth, 256) << "heap in use grew";
    EXPECT_LE(rssGrowth, 2048) << "resident size grew";
}

} // namespace
