#ifndef FLAMETHROWERITEM_H
#define FLAMETHROWERITEM_H

#include "Item.h"

// A flamethrower lying on the map; its id is "Flame", like the weapon made from it.
class FlamethrowerItem : public Item {
public:
    FlamethrowerItem(int x, int y);
    ~FlamethrowerItem();
    SDL_Surface* draw();
    int getXLocation();
    int getYLocation();
    int getWidth();
    int getHeight();
    std::string getId();
    int getValue();
    void destroy();
    bool isDestroyed();

    SDL_Surface* flamePicture;
    int locationX;
    int locationY;
    int width;
    int height;
    bool destroyed;
};

#endif
