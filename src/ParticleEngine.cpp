#include "ParticleEngine.h"

#include "Collision.h"
#include "Globals.h"
#include "Screen.h"

ParticleEngine::ParticleEngine() {}

ParticleEngine::~ParticleEngine() {
    while (!projectiles.empty()) {
        projectiles.front()->cleanup();
        delete projectiles.front();
        projectiles.pop();
    }
}

void ParticleEngine::addProjectiles(Projectile* input) { projectiles.push(input); }

void ParticleEngine::addProjectiles(std::stack<Projectile*> input) {
    while (!input.empty()) {
        projectiles.push(input.top());
        input.pop();
    }
}

void ParticleEngine::draw() {
    if (!projectiles.empty()) {
        drawProjectiles();
    }
}

void ParticleEngine::drawProjectiles() {
    std::queue<Projectile*> holder;
    while (!projectiles.empty()) {
        Projectile* p = projectiles.front();
        if (p->isDestroyed()) {
            p->cleanup();
            delete p;
        } else {
            holder.push(p);
        }
        projectiles.pop();
    }
    projectiles = holder;

    // Each projectile is painted where it stood before the step its draw may take.
    while (!holder.empty()) {
        Projectile* p = holder.front();
        int y = static_cast<int>(p->getYLocation());
        int x = static_cast<int>(p->getXLocation());
        Screen::paint(p->draw(), mainScreen, x, y, NULL);
        holder.pop();
    }
    collisionDetection->setProjectiles(projectiles);
}
