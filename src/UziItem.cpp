#include "UziItem.h"

#include "Globals.h"
#include "ImageLoader.h"

UziItem::UziItem(int x, int y) {
    uziPicture = imageHandler->optimizeImage("images/itemImages/uzi.png");
    locationX = x;
    locationY = y;
    width = 20;
    height = 15;
    destroyed = false;
}

UziItem::~UziItem() { SDL_FreeSurface(uziPicture); }

SDL_Surface* UziItem::draw() { return uziPicture; }

int UziItem::getXLocation() { return locationX - camera.x; }

int UziItem::getYLocation() { return locationY - camera.y; }

int UziItem::getWidth() { return width; }

int UziItem::getHeight() { return height; }

std::string UziItem::getId() { return "Uzi"; }

int UziItem::getValue() { return 0; }

void UziItem::destroy() { destroyed = true; }

bool UziItem::isDestroyed() { return destroyed; }
