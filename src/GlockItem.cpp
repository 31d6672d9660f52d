#include "GlockItem.h"

#include "Globals.h"
#include "ImageLoader.h"

GlockItem::GlockItem(int x, int y) {
    glockPicture = imageHandler->optimizeImage("images/itemImages/glock.png");
    locationX = x;
    locationY = y;
    width = 20;
    height = 15;
    destroyed = false;
}

GlockItem::~GlockItem() { SDL_FreeSurface(glockPicture); }

SDL_Surface* GlockItem::draw() { return glockPicture; }

int GlockItem::getXLocation() { return locationX - camera.x; }

int GlockItem::getYLocation() { return locationY - camera.y; }

int GlockItem::getWidth() { return width; }

int GlockItem::getHeight() { return height; }

std::string GlockItem::getId() { return "Glock"; }

int GlockItem::getValue() { return 0; }

void GlockItem::destroy() { destroyed = true; }

bool GlockItem::isDestroyed() { return destroyed; }
