#ifndef PROJECTILE_H
#define PROJECTILE_H

#include <SDL/SDL.h>

// Everything a weapon sends flying. The particle engine owns every live projectile.
class Projectile {
public:
    virtual SDL_Surface* draw() = 0;
    virtual double getXLocation() = 0;
    virtual double getYLocation() = 0;
    virtual void cleanup() {}
    virtual bool isDestroyed() = 0;
    virtual int getDamage() = 0;
    virtual void destroy() {}
    virtual void flameDestroy(bool) {}
    virtual ~Projectile();
};

#endif
