#ifndef HEALTHPOTION_H
#define HEALTHPOTION_H

#include "Item.h"

// A potion lying on the map or carried in the backpack; drinking it heals 10.
class HealthPotion : public Item {
public:
    HealthPotion(int x, int y);
    ~HealthPotion();
    SDL_Surface* draw();
    int getXLocation();
    int getYLocation();
    int getWidth();
    int getHeight();
    std::string getId();
    int getValue();
    void destroy();
    bool isDestroyed();
    int use();
    void cleanup();

    SDL_Surface* picture;
    int locationX;
    int locationY;
    int width;
    int height;
    bool destroyed;
    int healing;
};

#endif
