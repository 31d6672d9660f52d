#ifndef PLAYER_H
#define PLAYER_H

#include <SDL/SDL.h>
#include <queue>
#include <stack>
#include <string>
#include <vector>

#include "Collision.h"
#include "ImageLoader.h"
#include "Item.h"
#include "Projectile.h"
#include "Timer.h"
#include "Weapon.h"

class Backpack;

// The player character: walking, aiming, the camera, fighting and the things carried.
class Player {
public:
    Player(ImageLoader* imageHandler, SDL_Surface* screen, Collision* inputCollision);
    ~Player();

    void move();
    int degreeCalc(int x, int y);
    void draw();
    int getXLocation();
    int getYLocation();
    void cleanup();

    void fire1();
    void reload();
    void setWeapon(int input);
    int getClipSize();
    SDL_Surface* getWeaponPic();
    void takeDamage(int input);
    double getHealth();
    int getGold();
    void modifyGold(int input);
    void useItem(std::string input);
    void itemCollision(std::stack<Item*> input);
    void unitInteractions();

    // How far beyond each edge of the map the player may walk. Within this band the camera and
    // every view position of a map object still fit the 16-bit fields SDL paints with, so
    // nothing wraps around however far the player goes.
    static const int MAP_BAND = 16000;
    bool insideBand(double x, double y);

    Backpack* backpack;
    std::vector<SDL_Surface*> images;
    ImageLoader* imageHandler;
    SDL_Surface* mainScreen;
    std::queue<Projectile*> bullets;
    Uint8* keystates;
    Timer* blowBack;
    Collision* collisionDetection;
    bool leftOut, rightOut, bottomOut, topOut;
    bool cameraLeftOut, cameraRightOut, cameraTopOut, cameraBottomOut;
    int camX, camY;
    int playerWidth, playerHeight;
    double health;
    int moveSpeed;
    double locationX, locationY;
    int updateSpeed;
    Timer* update;
    Weapon* weapon;
    Projectile* bulletHolder;
    int gold;
    int frame;
    Timer* animationTiming;

private:
    bool stepAllowed(bool withinBounds, double newX, double newY, int candidateX, int candidateY);
};

#endif
