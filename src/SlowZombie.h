#ifndef SLOWZOMBIE_H
#define SLOWZOMBIE_H

#include <stack>
#include <vector>

#include "Projectile.h"
#include "Timer.h"
#include "Unit.h"

// The one enemy: shambles towards the player when within 300 pixels, slowed only by other
// zombies, loses health to projectiles and bites once a second on contact.
class SlowZombie : public Unit {
public:
    SlowZombie(int x, int y);
    ~SlowZombie();
    SDL_Surface* draw();
    int getXLocation();
    int getYLocation();
    int getWidth();
    int getHeight();
    int attack();
    void cleanup();
    bool isDestroyed();
    int getId();

    SDL_Surface* picture;
    int width;
    int height;
    double locationX;
    double locationY;
    double angle;
    std::stack<Projectile*> collidedProjectiles;
    int damage;
    double moveSpeed;
    int attackSpeed;
    Timer* blowBack;
    Timer* update;
    int updateSpeed;
    int health;
    bool destroyed;
    int id;
    int frame;
    Timer* animationTimer;
    std::vector<SDL_Surface*> images;

private:
    void takeHits();
    bool playerInRange();
    void stepTowardPlayer();
};

#endif
