#include "HealthPotion.h"

#include "Globals.h"
#include "ImageLoader.h"

HealthPotion::HealthPotion(int x, int y) {
    picture = imageHandler->optimizeImage("images/itemImages/healthPotion.png");
    locationX = x;
    locationY = y;
    width = 19;
    height = 32;
    destroyed = false;
    healing = 10;
}

HealthPotion::~HealthPotion() { cleanup(); }

SDL_Surface* HealthPotion::draw() { return picture; }

int HealthPotion::getXLocation() { return locationX - camera.x; }

int HealthPotion::getYLocation() { return locationY - camera.y; }

int HealthPotion::getWidth() { return width; }

int HealthPotion::getHeight() { return height; }

std::string HealthPotion::getId() { return "HealthPotion"; }

int HealthPotion::getValue() { return 0; }

void HealthPotion::destroy() { destroyed = true; }

bool HealthPotion::isDestroyed() { return destroyed; }

int HealthPotion::use() {
    destroyed = true;
    return healing;
}

void HealthPotion::cleanup() {
    SDL_FreeSurface(picture);
    picture = NULL;
}
