#include "PathingBlocker.h"

#include "Globals.h"

PathingBlocker::PathingBlocker(int x, int y, int width, int height)
    : locationX(x), locationY(y), width(width), height(height) {}

int PathingBlocker::getXLocation() { return locationX - camera.x; }

int PathingBlocker::getYLocation() { return locationY - camera.y; }

int PathingBlocker::getWidth() { return width; }

int PathingBlocker::getHeight() { return height; }
