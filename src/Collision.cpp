#include "Collision.h"

// The player's tests pull the asking rectangle's left and top edges 10 pixels inward, so that
// the player can brush past a corner; the right and bottom edges stay.
static bool touchesInset(int x1, int y1, int w1, int h1, int bx, int by, int bw, int bh) {
    return x1 + w1 >= bx && x1 + 10 <= bx + bw && y1 + h1 >= by && y1 + 10 <= by + bh;
}

Collision::Collision() : buildingIter(0) {}

Collision::~Collision() {}

bool Collision::pathingCollision(int x1, int y1, int w1, int h1) {
    buildingIter = 0;
    while (buildingIter < static_cast<int>(pathingBlockers.size())) {
        PathingBlocker* b = pathingBlockers[buildingIter];
        if (touchesInset(x1, y1, w1, h1, b->getXLocation(), b->getYLocation(), b->getWidth(),
                         b->getHeight())) {
            return true;
        }
        buildingIter++;
    }
    return false;
}

std::string Collision::itemCollision(int x1, int y1, int w1, int h1, Item* input) {
    int cx = x1 + w1 / 2;
    int cy = y1 + h1 / 2;
    if (input->getXLocation() <= cx && cx <= input->getXLocation() + input->getWidth() &&
        y1 + h1 >= input->getYLocation() && cy <= input->getYLocation() + input->getHeight()) {
        return input->getId();
    }
    return "NULL";
}

// Consumes the working stack: only the first call after each setUnits sees any unit.
bool Collision::unitCollision(int x1, int y1, int w1, int h1, bool check) {
    bool hit = false;
    while (!units.empty()) {
        Unit* b = units.top();
        if (touchesInset(x1, y1, w1, h1, b->getXLocation(), b->getYLocation(), b->getWidth(),
                         b->getHeight())) {
            hit = true;
            if (check) {
                collidedUnits.push(b);
            }
        }
        units.pop();
    }
    return hit;
}

bool Collision::unitCollision2(int x1, int y1, int w1, int h1, Unit* input) {
    bool hit = false;
    units2 = unitHolder;
    while (!units2.empty()) {
        Unit* b = units2.top();
        if (b->getId() != input->getId()) {
            if (x1 + w1 >= b->getXLocation() && b->getXLocation() + b->getWidth() >= x1 &&
                y1 + h1 >= b->getYLocation() && b->getYLocation() + b->getHeight() >= y1) {
                hit = true;
            }
        }
        units2.pop();
    }
    return hit;
}

std::stack<Projectile*> Collision::projectileCollision(int x1, int y1, int w1, int h1) {
    std::queue<Projectile*> pending = projectiles;
    std::stack<Projectile*> hits;
    while (!pending.empty()) {
        Projectile* p = pending.front();
        double px = p->getXLocation();
        double py = p->getYLocation();
        if (px <= x1 + w1 && px >= x1 && py <= y1 + h1 && py >= y1 && !p->isDestroyed()) {
            hits.push(p);
        }
        pending.pop();
    }
    return hits;
}

void Collision::setPathingBlockers(std::vector<PathingBlocker*> input) { pathingBlockers = input; }

void Collision::setUnits(std::stack<Unit*> input) {
    units = input;
    units2 = input;
    unitHolder = input;
}

void Collision::setProjectiles(std::queue<Projectile*> input) { projectiles = input; }
