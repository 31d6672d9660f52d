#ifndef GLOCK_H
#define GLOCK_H

#include <SDL/SDL_mixer.h>

#include "Timer.h"
#include "Weapon.h"

// The semi-automatic pistol: one aimed bullet per button press, at most every 200 ms.
class Glock : public Weapon {
public:
    Glock();
    ~Glock();
    int getClipSize();
    int getAmmo();
    void fire(int x, int y, int mx, int my);
    void reload();
    std::string getId();
    void update();
    SDL_Surface* getWeaponPic();
    void cleanup();

    int ammo;
    int clip;
    int clipSize;
    Timer* blowBack;
    Timer* reloadTime;
    Mix_Chunk* noAmmo;
    Mix_Chunk* shot;
    Mix_Chunk* reloadGun;
    bool reloading;
    SDL_Surface* weaponPic;
};

#endif
