#ifndef UZI_H
#define UZI_H

#include <SDL/SDL_mixer.h>

#include "Item.h"
#include "Timer.h"
#include "Weapon.h"

// The automatic weapon: fires while the button is held, scattering each bullet's target.
class Uzi : public Weapon, public Item {
public:
    Uzi();
    ~Uzi();
    int getClipSize();
    int getAmmo();
    void fire(int x, int y, int mx, int my);
    void reload();
    std::string getId();
    void update();
    SDL_Surface* getWeaponPic();
    virtual void cleanup();

    int ammo;
    int clip;
    int clipSize;
    Timer* blowBack;
    Timer* reloadTime;
    Mix_Chunk* noAmmo;
    Mix_Chunk* shot;
    Mix_Chunk* reloadGun;
    bool reloading;
    int accuracy;
    int attackSpeed;
    SDL_Surface* weaponPic;
};

#endif
