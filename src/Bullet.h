#ifndef BULLET_H
#define BULLET_H

#include "Projectile.h"
#include "Timer.h"

// The pistol's and the submachine gun's projectile: starts 25 pixels from the shooter's centre
// towards the target and flies in 8-pixel steps until it hits or leaves the map.
class Bullet : public Projectile {
public:
    Bullet(int inputX, int inputY, int mouX, int mouY);
    ~Bullet();
    SDL_Surface* draw();
    double getXLocation();
    double getYLocation();
    void cleanup();
    bool isDestroyed();
    int getDamage();
    void destroy();

    SDL_Surface* bullet1;
    double locationX;
    double locationY;
    double velocityX;
    double velocityY;
    double angle;
    bool destroyed;
    int damage;
    Timer* update;
    int updateSpeed;
};

#endif
