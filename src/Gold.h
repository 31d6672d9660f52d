#ifndef GOLD_H
#define GOLD_H

#include "Item.h"

// Gold lying on the map; taking it adds its value to the player's purse.
class Gold : public Item {
public:
    Gold(int x, int y, int gold);
    ~Gold();
    SDL_Surface* draw();
    int getXLocation();
    int getYLocation();
    int getWidth();
    int getHeight();
    std::string getId();
    int getValue();
    void destroy();
    bool isDestroyed();

    SDL_Surface* goldPicture;
    int locationX;
    int locationY;
    int width;
    int height;
    int value;
    bool destroyed;
};

#endif
