#include "FlamethrowerItem.h"

#include "Globals.h"
#include "ImageLoader.h"

FlamethrowerItem::FlamethrowerItem(int x, int y) {
    flamePicture = imageHandler->optimizeImage("images/itemImages/flamethrower.png");
    locationX = x;
    locationY = y;
    width = 20;
    height = 15;
    destroyed = false;
}

FlamethrowerItem::~FlamethrowerItem() { SDL_FreeSurface(flamePicture); }

SDL_Surface* FlamethrowerItem::draw() { return flamePicture; }

int FlamethrowerItem::getXLocation() { return locationX - camera.x; }

int FlamethrowerItem::getYLocation() { return locationY - camera.y; }

int FlamethrowerItem::getWidth() { return width; }

int FlamethrowerItem::getHeight() { return height; }

std::string FlamethrowerItem::getId() { return "Flame"; }

int FlamethrowerItem::getValue() { return 0; }

void FlamethrowerItem::destroy() { destroyed = true; }

bool FlamethrowerItem::isDestroyed() { return destroyed; }
