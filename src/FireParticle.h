#ifndef FIREPARTICLE_H
#define FIREPARTICLE_H

#include "Projectile.h"
#include "Timer.h"

// A flame particle: starts beside the shooter, creeps towards the aim in random steps and burns
// out once it strays a random reach from its start. Its picture belongs to the flamethrower.
class FireParticle : public Projectile {
public:
    FireParticle(SDL_Surface* pic, int x, int y, int mx, int my, int dmg);
    ~FireParticle();
    SDL_Surface* draw();
    double getXLocation();
    double getYLocation();
    bool isDestroyed();
    int getDamage();
    void destroy();

    bool destroyed;
    SDL_Surface* picture;
    int startXLocation;
    int startYLocation;
    double locationX;
    double locationY;
    int yVelocity;
    Timer* timer;
    int height;
    int width;
    int damage;
    double angle;
};

#endif
