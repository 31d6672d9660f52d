#include "SlowZombie.h"

#include <cmath>

#include "Collision.h"
#include "Globals.h"
#include "ImageLoader.h"
#include "Player.h"

SlowZombie::SlowZombie(int x, int y) {
    picture = NULL;
    angle = 0.0;
    images.resize(3, NULL);
    images[0] = imageHandler->optimizeImage("images/level1Images/player/animation/player1.png");
    images[1] = imageHandler->optimizeImage("images/level1Images/player/animation/player2.png");
    images[2] = imageHandler->optimizeImage("images/level1Images/player/animation/player3.png");
    id = unitIdCounter;
    unitIdCounter++;
    locationX = x;
    locationY = y;
    width = 50;
    height = 50;
    moveSpeed = 1.0;
    updateSpeed = 15;
    damage = 5;
    attackSpeed = 1;
    health = 5;
    destroyed = false;
    animationTimer = new Timer();
    animationTimer->start();
    update = new Timer();
    update->start();
    frame = 0;
    blowBack = new Timer();
    blowBack->start();
}

SlowZombie::~SlowZombie() {
    cleanup();
    for (size_t i = 0; i < images.size(); i++) {
        SDL_FreeSurface(images[i]);
    }
    delete animationTimer;
    delete update;
}

// A projectile that arrives after the last point is gone is left alone, so it can still hit
// another zombie.
void SlowZombie::takeHits() {
    if (health <= 0) {
        destroyed = true;
        return;
    }
    collidedProjectiles =
        collisionDetection->projectileCollision(getXLocation(), getYLocation(), width, height);
    while (!collidedProjectiles.empty()) {
        Projectile* p = collidedProjectiles.top();
        if (health > 0) {
            health -= p->getDamage();
            p->destroy();
        } else {
            destroyed = true;
        }
        collidedProjectiles.pop();
    }
}

bool SlowZombie::playerInRange() {
    return getXLocation() + 300 >= player->getXLocation() + 25 &&
           getXLocation() - 300 <= player->getXLocation() + 25 &&
           getYLocation() + 300 >= player->getYLocation() + 25 &&
           getYLocation() - 300 <= player->getYLocation() + 25;
}

// Vertical first, then horizontal, each axis tested on its own so a blocked zombie slides.
void SlowZombie::stepTowardPlayer() {
    angle = atan2(static_cast<double>((getYLocation() - 15) - player->getYLocation()),
                  static_cast<double>((player->getXLocation() - getXLocation()) + 15));
    double dy = -moveSpeed * sin(angle);
    int candidateTop = static_cast<int>(getYLocation() + dy);
    if (!collisionDetection->unitCollision2(getXLocation(), candidateTop, width, height, this)) {
        locationY += dy;
    }
    double dx = moveSpeed * cos(angle);
    int candidateLeft = static_cast<int>(getXLocation() + dx);
    if (!collisionDetection->unitCollision2(candidateLeft, getYLocation(), width, height, this)) {
        locationX += dx;
    }
    update->start();
}

SDL_Surface* SlowZombie::draw() {
    takeHits();
    if (update->getTime() > updateSpeed && playerInRange()) {
        stepTowardPlayer();
    }
    if (animationTimer->getTime() > 300) {
        frame = (frame + 1) % 3;
        animationTimer->start();
    }
    return images[frame];
}

int SlowZombie::getXLocation() { return static_cast<int>(locationX - camera.x); }

int SlowZombie::getYLocation() { return static_cast<int>(locationY - camera.y); }

int SlowZombie::getWidth() { return width; }

int SlowZombie::getHeight() { return height; }

int SlowZombie::attack() {
    if (blowBack->getTime() >= attackSpeed * 1000) {
        blowBack->start();
        return damage;
    }
    return 0;
}

void SlowZombie::cleanup() {
    SDL_FreeSurface(picture);
    picture = NULL;
    delete blowBack;
    blowBack = NULL;
}

bool SlowZombie::isDestroyed() { return destroyed; }

int SlowZombie::getId() { return id; }
