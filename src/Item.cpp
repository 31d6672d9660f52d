#include "Item.h"

SDL_Surface* Item::draw() { return NULL; }
int Item::getXLocation() { return 0; }
int Item::getYLocation() { return 0; }
int Item::getWidth() { return 0; }
int Item::getHeight() { return 0; }
std::string Item::getId() { return ""; }
int Item::getValue() { return 0; }
void Item::destroy() {}
bool Item::isDestroyed() { return false; }
int Item::use() { return 0; }
void Item::cleanup() {}
Item::~Item() {}
