#ifndef COLLISION_H
#define COLLISION_H

#include <queue>
#include <stack>
#include <string>
#include <vector>

#include "Item.h"
#include "PathingBlocker.h"
#include "Projectile.h"
#include "Unit.h"

// Answers every rectangle-contact question of the level, in view coordinates, against copies of
// the level's lists. It owns none of the objects in them.
class Collision {
public:
    Collision();
    ~Collision();

    bool pathingCollision(int x1, int y1, int w1, int h1);
    std::string itemCollision(int x1, int y1, int w1, int h1, Item* input);
    bool unitCollision(int x1, int y1, int w1, int h1, bool check);
    bool unitCollision2(int x1, int y1, int w1, int h1, Unit* input);
    std::stack<Projectile*> projectileCollision(int x1, int y1, int w1, int h1);
    void setPathingBlockers(std::vector<PathingBlocker*> input);
    void setUnits(std::stack<Unit*> input);
    void setProjectiles(std::queue<Projectile*> input);

    // Units found touching the player by a checking unitCollision; the player empties it.
    std::stack<Unit*> collidedUnits;
    std::vector<PathingBlocker*> pathingBlockers;
    std::stack<Unit*> units;
    std::stack<Unit*> units2;
    std::stack<Unit*> unitHolder;
    std::queue<Projectile*> projectiles;
    int buildingIter;
};

#endif
