#include "Bullet.h"

#include <cmath>

#include "Globals.h"
#include "ImageLoader.h"

Bullet::Bullet(int inputX, int inputY, int mouX, int mouY) {
    locationX = inputX + 25 + camera.x;
    locationY = inputY + 25 + camera.y;
    int xVal = mouX - inputX;
    int yVal = mouY - inputY;
    bullet1 = imageHandler->optimizeImage("images/projectileImages/bullet.png");
    angle = atan2(static_cast<double>(inputY + 25 - mouY), static_cast<double>(mouX - inputX - 25));
    // The muzzle sits 25 pixels from the centre: 25|cos| and 25|sin| by way of tan, with the
    // signs taken from the target's side of the shooter's top-left corner.
    double t = tan(angle);
    int xRad = static_cast<int>(sqrt(625 / (t * t + 1)));
    int yRad = static_cast<int>(sqrt(625 * (1 - 1 / (t * t + 1))));
    if (xVal >= 0) {
        locationX += xRad;
        locationY += yVal >= 0 ? yRad : -yRad;
    } else {
        locationX -= xRad;
        locationY += yVal <= 0 ? -yRad : yRad;
    }
    velocityX = 8.0;
    velocityY = -velocityX;
    update = new Timer();
    update->start();
    updateSpeed = 10;
    destroyed = false;
    damage = 5;
}

Bullet::~Bullet() {
    SDL_FreeSurface(bullet1);
    delete update;
}

SDL_Surface* Bullet::draw() {
    if (locationX < 0 || locationY < 0 || locationX > mapWidth || locationY > mapHeight) {
        destroyed = true;
    }
    if (update->getTime() > updateSpeed) {
        locationX += cos(angle) * velocityX;
        locationY += sin(angle) * velocityY;
        update->start();
    }
    return bullet1;
}

double Bullet::getXLocation() { return locationX - camera.x; }

double Bullet::getYLocation() { return locationY - camera.y; }

void Bullet::cleanup() {
    SDL_FreeSurface(bullet1);
    bullet1 = NULL;
}

bool Bullet::isDestroyed() { return destroyed; }

int Bullet::getDamage() { return damage; }

void Bullet::destroy() { destroyed = true; }
