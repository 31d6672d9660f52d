#ifndef PATHINGBLOCKER_H
#define PATHINGBLOCKER_H

// A building's footprint: a plain rectangle in world pixels that the player cannot walk into.
class PathingBlocker {
public:
    PathingBlocker(int x, int y, int width, int height);
    int getXLocation();
    int getYLocation();
    int getWidth();
    int getHeight();

    int locationX;
    int locationY;
    int width;
    int height;
};

#endif
