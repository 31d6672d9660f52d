#ifndef ITEM_H
#define ITEM_H

#include <SDL/SDL.h>
#include <string>

// Everything that lies on the map and can be picked up. Kinds are told apart only by getId().
// The defaults stand for "not applicable": only gold carries a value and only potions are used.
class Item {
public:
    virtual SDL_Surface* draw();
    virtual int getXLocation();
    virtual int getYLocation();
    virtual int getWidth();
    virtual int getHeight();
    virtual std::string getId();
    virtual int getValue();
    virtual void destroy();
    virtual bool isDestroyed();
    virtual int use();
    virtual void cleanup();
    virtual ~Item();
};

#endif
