#ifndef UZIITEM_H
#define UZIITEM_H

#include "Item.h"

// A submachine gun lying on the map; picking it up puts an Uzi in the backpack.
class UziItem : public Item {
public:
    UziItem(int x, int y);
    ~UziItem();
    SDL_Surface* draw();
    int getXLocation();
    int getYLocation();
    int getWidth();
    int getHeight();
    std::string getId();
    int getValue();
    void destroy();
    bool isDestroyed();

    SDL_Surface* uziPicture;
    int locationX;
    int locationY;
    int width;
    int height;
    bool destroyed;
};

#endif
