#include "FireParticle.h"

#include <cmath>
#include <cstdlib>

#include "Globals.h"

FireParticle::FireParticle(SDL_Surface* pic, int x, int y, int mx, int my, int dmg) {
    picture = pic;
    startXLocation = x + 25;
    startYLocation = y + 25;
    int xVal = mx - x;
    int yVal = my - y;
    locationX = 0;
    locationY = 0;
    angle = atan2(static_cast<double>(y + 25 - my), static_cast<double>(mx - x - 25));
    double t = tan(angle);
    int xRad = static_cast<int>(sqrt(625 / (t * t + 1)));
    int yRad = static_cast<int>(sqrt(625 * (1 - 1 / (t * t + 1))));
    int xOffset;
    int yOffset;
    if (xVal >= 0) {
        xOffset = xRad;
        yOffset = yVal >= 0 ? yRad : -yRad;
    } else {
        xOffset = -xRad;
        yOffset = yVal <= 0 ? -yRad : yRad;
    }
    startXLocation += xOffset + camera.x;
    startYLocation += yOffset + camera.y;
    // The tick count is read before rand() is called.
    Uint32 ticks = Timer::now();
    srand(ticks + (rand() % 599));
    height = rand() % 100;
    width = 6;
    damage = dmg;
    destroyed = false;
    yVelocity = (rand() % 6) + 1;
    timer = new Timer();
    timer->start();
}

FireParticle::~FireParticle() { delete timer; }

SDL_Surface* FireParticle::draw() {
    if (timer->getTime() > 20) {
        // The burn-out test looks at the offsets before this step; the step is still taken.
        if (locationY < -height || locationY > height || locationX < -height ||
            locationX > height) {
            destroyed = true;
        }
        yVelocity = (rand() % 6) + 1;
        int s = rand() % width;
        locationX += cos(angle) * s;
        locationY += sin(angle) * (-yVelocity);
        timer->start();
    }
    return picture;
}

double FireParticle::getXLocation() { return locationX + startXLocation - camera.x; }

double FireParticle::getYLocation() { return locationY + startYLocation - camera.y; }

bool FireParticle::isDestroyed() { return destroyed; }

int FireParticle::getDamage() { return damage; }

void FireParticle::destroy() { destroyed = true; }
