#include <gtest/gtest.h>

#include "Collision.h"
#include "Game.h"
#include "Gold.h"
#include "support/TestSupport.h"

namespace {

using testsupport::BoxUnit;
using PointProjectile = testsupport::StillProjectile;

class CollisionTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::resetGameGlobals(); }
    Collision service;
};

} // namespace

TEST_F(CollisionTest, BlockerEdgesAndTheTenPixelInset) {
    PathingBlocker blocker(100, 100, 100, 100);
    service.setPathingBlockers({&blocker});
    EXPECT_TRUE(service.pathingCollision(50, 120, 50, 50));   // right edge on the left edge
    EXPECT_FALSE(service.pathingCollision(49, 120, 50, 50));  // one pixel short
    EXPECT_TRUE(service.pathingCollision(190, 120, 50, 50));  // b.x + b.w = x1 + 10
    EXPECT_FALSE(service.pathingCollision(191, 120, 50, 50)); // b.x + b.w = x1 + 9
    EXPECT_TRUE(service.pathingCollision(120, 190, 50, 50));
    EXPECT_FALSE(service.pathingCollision(120, 191, 50, 50));
    EXPECT_FALSE(service.pathingCollision(120, 49, 50, 50));
    // Blockers report view positions: the same world rectangle moves with the camera.
    camera.x = 100;
    EXPECT_TRUE(service.pathingCollision(-50, 120, 50, 50));
    EXPECT_FALSE(service.pathingCollision(91, 120, 50, 50));
}

TEST_F(CollisionTest, BuildingIterKeepsTheIndexOfTheBlockerHit) {
    EXPECT_FALSE(service.pathingCollision(0, 0, 10, 10));
    EXPECT_EQ(0, service.buildingIter);
    PathingBlocker first(-10, 100, 100, 100), second(300, 100, 100, 100);
    service.setPathingBlockers({&first, &second});
    EXPECT_TRUE(service.pathingCollision(320, 120, 50, 50));
    EXPECT_EQ(1, service.buildingIter);
    EXPECT_FALSE(service.pathingCollision(600, 600, 50, 50));
    EXPECT_EQ(2, service.buildingIter);
}

TEST_F(CollisionTest, UnitCollisionDrainsItsWorkingSetUntilTheNextSetUnits) {
    BoxUnit a(0, 100, 100), b(1, 120, 100), far(2, 900, 900);
    std::stack<Unit*> units;
    units.push(&a);
    units.push(&far);
    units.push(&b);
    service.setUnits(units);
    // A non-checking call answers the same but records nothing, and still drains.
    EXPECT_TRUE(service.unitCollision(110, 110, 50, 50, false));
    EXPECT_TRUE(service.collidedUnits.empty());
    EXPECT_FALSE(service.unitCollision(110, 110, 50, 50, true));
    EXPECT_TRUE(service.collidedUnits.empty());

    service.setUnits(units);
    EXPECT_TRUE(service.unitCollision(110, 110, 50, 50, true));
    // Visited from the top down, so the last hit visited (a, at the bottom) ends on top.
    ASSERT_EQ(2u, service.collidedUnits.size());
    EXPECT_EQ(&a, service.collidedUnits.top());
    EXPECT_FALSE(service.unitCollision(110, 110, 50, 50, true));
    EXPECT_EQ(2u, service.collidedUnits.size());
}

TEST_F(CollisionTest, UnitCollision2IgnoresTheAskerAndCountsTouchingEdges) {
    BoxUnit self(0, 100, 100), other(1, 200, 100);
    std::stack<Unit*> units;
    units.push(&self);
    units.push(&other);
    service.setUnits(units);
    EXPECT_FALSE(service.unitCollision2(100, 100, 50, 50, &self)); // only itself there
    EXPECT_TRUE(service.unitCollision2(150, 100, 50, 50, &self));  // x1 + w1 = b.x
    EXPECT_FALSE(service.unitCollision2(149, 100, 50, 50, &self));
    EXPECT_TRUE(service.unitCollision2(250, 150, 50, 50, &self)); // b.x + b.w = x1, corners
    // Every call sees the whole set again; the player's draining does not affect it.
    service.unitCollision(0, 0, 1080, 720, true);
    EXPECT_TRUE(service.unitCollision2(150, 100, 50, 50, &self));
}

TEST_F(CollisionTest, ItemCollisionUsesTheCentreLineAndLowerHalf) {
    Gold inside(35, 100, 1), outside(36, 100, 1);
    // x1 = 10, w1 = 51: the centre line is x 35.
    EXPECT_EQ("Gold", service.itemCollision(10, 80, 51, 50, &inside));
    EXPECT_EQ("NULL", service.itemCollision(10, 80, 51, 50, &outside));
    EXPECT_EQ("Gold", service.itemCollision(10, 50, 51, 50, &inside)); // bottom edge on the top
    EXPECT_EQ("NULL", service.itemCollision(10, 49, 51, 50, &inside)); // one pixel above
    EXPECT_EQ("Gold", service.itemCollision(10, 95, 51, 50, &inside)); // centre y 120 = bottom
    EXPECT_EQ("NULL", service.itemCollision(10, 96, 51, 50, &inside));
}

TEST_F(CollisionTest, ProjectilesArePointsAndDestroyedOnesAreNeverReported) {
    PointProjectile border(100, 150), insideOld(120, 120), insideNew(130, 130), away(300, 300);
    std::queue<Projectile*> live;
    live.push(&insideOld);
    live.push(&border);
    live.push(&away);
    live.push(&insideNew);
    service.setProjectiles(live);
    std::stack<Projectile*> hits = service.projectileCollision(100, 100, 50, 50);
    ASSERT_EQ(3u, hits.size());
    EXPECT_EQ(&insideNew, hits.top()); // newest hit on top
    // The stored list is not consumed: a second zombie asking gets the same answer, except
    // for what the first one destroyed.
    insideNew.destroy();
    hits = service.projectileCollision(100, 100, 50, 50);
    ASSERT_EQ(2u, hits.size());
    EXPECT_EQ(&border, hits.top());
    hits = service.projectileCollision(290, 290, 10, 10); // the point on the far corner
    ASSERT_EQ(1u, hits.size());
    EXPECT_EQ(&away, hits.top());
}
