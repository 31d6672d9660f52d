#ifndef PARTICLEENGINE_H
#define PARTICLEENGINE_H

#include <queue>
#include <stack>

#include "Projectile.h"

// Owns every live projectile: retires the destroyed ones, steps and paints the rest over
// everything, and hands the live list to the collision service for the next pass.
class ParticleEngine {
public:
    ParticleEngine();
    ~ParticleEngine();
    void addProjectiles(Projectile* input);
    void addProjectiles(std::stack<Projectile*> input);
    void draw();
    void drawProjectiles();

    std::queue<Projectile*> projectiles;
};

#endif
