#include <gtest/gtest.h>
#include <queue>
#include <stack>
#include <vector>

#include "Collision.h"
#include "Game.h"
#include "Player.h"
#include "SlowZombie.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

using Shot = StillProjectile;

class ZombieTest : public PlayerFixture {
protected:
    void TearDown() override {
        for (SlowZombie* z : made) {
            delete z;
        }
        PlayerFixture::TearDown();
    }
    SlowZombie* zombie(int x, int y) {
        made.push_back(new SlowZombie(x, y));
        return made.back();
    }
    // The level hands the service the live zombies before any of them acts.
    void present(std::initializer_list<SlowZombie*> zs) {
        std::stack<Unit*> units;
        for (SlowZombie* z : zs) {
            units.push(z);
        }
        service.setUnits(units);
    }
    void putPlayer(double x, double y) {
        p->locationX = x;
        p->locationY = y;
    }
    void shoot(std::initializer_list<Projectile*> live) {
        std::queue<Projectile*> q;
        for (Projectile* s : live) {
            q.push(s);
        }
        service.setProjectiles(q);
    }

    std::vector<SlowZombie*> made;
};

} // namespace

TEST_F(ZombieTest, ChasesOnlyWhenThePlayersCentreIsWithin300Pixels) {
    const int directions[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : directions) {
        for (int reach : {300, 301}) {
            SlowZombie* z = zombie(1000, 1000);
            present({z});
            // The player's centre lies reach pixels from the zombie's corner.
            putPlayer(1000 + d[0] * reach - 25, 1000 + d[1] * reach - 25);
            FakeClock::advance(16);
            z->draw();
            bool moved = z->locationX != 1000.0 || z->locationY != 1000.0;
            EXPECT_EQ(reach == 300, moved) << "direction " << d[0] << "," << d[1];
        }
    }
}

TEST_F(ZombieTest, ViewPositionTruncatesTowardZero) {
    SlowZombie* z = zombie(0, 0);
    camera.x = 100;
    camera.y = 40;
    z->locationX = 250.9;
    EXPECT_EQ(150, z->getXLocation());
    z->locationX = 99.5;
    EXPECT_EQ(0, z->getXLocation());
    z->locationY = 38.5;
    EXPECT_EQ(-1, z->getYLocation());
}

TEST_F(ZombieTest, BitesAfterASecondAndThenWaitsAnother) {
    SlowZombie* z = zombie(0, 0);
    FakeClock::advance(999);
    EXPECT_EQ(0, z->attack());
    FakeClock::advance(1);
    EXPECT_EQ(5, z->attack());
    EXPECT_EQ(0, z->attack());
    FakeClock::advance(999); // a refused bite leaves the timer running
    EXPECT_EQ(0, z->attack());
    FakeClock::advance(1);
    EXPECT_EQ(5, z->attack());
}

TEST_F(ZombieTest, OneShotOfFiveKillsAndDeathShowsOnTheNextDraw) {
    SlowZombie* z = zombie(100, 100);
    Shot hit(120, 120, 5);
    Shot later(125, 125, 5);
    shoot({&hit});
    present({z});
    z->draw();
    EXPECT_EQ(0, z->health);
    EXPECT_TRUE(hit.destroyed);
    EXPECT_FALSE(z->isDestroyed());

    shoot({&hit, &later});
    z->draw(); // dead already: no projectile is looked at
    EXPECT_TRUE(z->isDestroyed());
    EXPECT_FALSE(later.destroyed);
}

TEST_F(ZombieTest, TwoProjectilesInOneFrameOnlyTheNewestIsSpent) {
    SlowZombie* z = zombie(100, 100);
    Shot older(110, 110, 10);
    Shot newer(150, 150, 10); // on the rectangle's corner: still inside
    Shot away(151, 120, 10);
    shoot({&older, &newer, &away});
    present({z});
    z->draw();
    EXPECT_EQ(-5, z->health);
    EXPECT_TRUE(newer.destroyed);
    EXPECT_FALSE(older.destroyed); // left for another zombie
    EXPECT_FALSE(away.destroyed);
    EXPECT_TRUE(z->isDestroyed());
}

TEST_F(ZombieTest, SlidesAlongTheAxisThatIsNotBlocked) {
    putPlayer(250, 50); // up and to the right
    SlowZombie* free = zombie(100, 200);
    present({free});
    FakeClock::advance(16);
    free->draw();
    EXPECT_GT(free->locationX, 100.0);
    EXPECT_LT(free->locationY, 200.0);

    SlowZombie* below = zombie(100, 200);
    SlowZombie* above = zombie(100, 149); // one pixel clear of the upward candidate's reach
    present({below, above});
    FakeClock::advance(16);
    below->draw();
    EXPECT_EQ(200.0, below->locationY);
    EXPECT_GT(below->locationX, 100.0);

    putPlayer(0, 50); // up and to the left, with a zombie just to the left
    SlowZombie* right = zombie(300, 200);
    SlowZombie* left = zombie(249, 200);
    present({right, left, free, below, above});
    FakeClock::advance(16);
    right->draw();
    EXPECT_EQ(300.0, right->locationX);
    EXPECT_LT(right->locationY, 200.0);
}

TEST_F(ZombieTest, AnimationCyclesAfterMoreThan300Ms) {
    SlowZombie* z = zombie(2000, 1500); // far from the player: only the animation runs
    SDL_Surface* frames[3];
    for (int i = 0; i < 3; i++) {
        SDL_FreeSurface(z->images[i]);
        z->images[i] = frames[i] = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0, 0, 0, 0);
    }
    present({z});
    EXPECT_EQ(frames[0], z->draw());
    FakeClock::advance(300);
    EXPECT_EQ(frames[0], z->draw());
    FakeClock::advance(1);
    EXPECT_EQ(frames[1], z->draw());
    FakeClock::advance(301);
    EXPECT_EQ(frames[2], z->draw());
    FakeClock::advance(301);
    EXPECT_EQ(frames[0], z->draw());
    EXPECT_EQ(2000.0, z->locationX);
}
