#include "Gold.h"

#include "Globals.h"
#include "ImageLoader.h"

Gold::Gold(int x, int y, int gold) {
    goldPicture = imageHandler->optimizeImage("images/itemImages/gold.png");
    locationX = x;
    locationY = y;
    width = 20;
    height = 20;
    value = gold;
    destroyed = false;
}

Gold::~Gold() { SDL_FreeSurface(goldPicture); }

SDL_Surface* Gold::draw() { return goldPicture; }

int Gold::getXLocation() { return locationX - camera.x; }

int Gold::getYLocation() { return locationY - camera.y; }

int Gold::getWidth() { return width; }

int Gold::getHeight() { return height; }

std::string Gold::getId() { return "Gold"; }

int Gold::getValue() { return value; }

void Gold::destroy() { destroyed = true; }

bool Gold::isDestroyed() { return destroyed; }
