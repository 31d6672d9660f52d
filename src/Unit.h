#ifndef UNIT_H
#define UNIT_H

#include <SDL/SDL.h>

// Enemies. draw() is a unit's whole per-frame update and returns the picture to paint.
class Unit {
public:
    virtual SDL_Surface* draw() = 0;
    virtual int getXLocation() = 0;
    virtual int getYLocation() = 0;
    virtual int getWidth() = 0;
    virtual int getHeight() = 0;
    virtual int attack() = 0;
    virtual void cleanup() = 0;
    virtual bool isDestroyed() = 0;
    virtual int getId() = 0;
    virtual ~Unit();
};

#endif
