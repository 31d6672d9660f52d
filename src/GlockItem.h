#ifndef GLOCKITEM_H
#define GLOCKITEM_H

#include "Item.h"

// A pistol lying on the map; picking it up puts a Glock in the backpack.
class GlockItem : public Item {
public:
    GlockItem(int x, int y);
    ~GlockItem();
    SDL_Surface* draw();
    int getXLocation();
    int getYLocation();
    int getWidth();
    int getHeight();
    std::string getId();
    int getValue();
    void destroy();
    bool isDestroyed();

    SDL_Surface* glockPicture;
    int locationX;
    int locationY;
    int width;
    int height;
    bool destroyed;
};

#endif
