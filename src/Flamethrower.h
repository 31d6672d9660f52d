#ifndef FLAMETHROWER_H
#define FLAMETHROWER_H

#include <SDL/SDL_mixer.h>

#include "FlamethrowerParticles.h"
#include "Weapon.h"

// Emits one fire particle per call while the button is held, cycling red, yellow, orange. Its
// fuel only counts: it never stops the weapon and is never refilled.
class Flamethrower : public Weapon {
public:
    Flamethrower();
    ~Flamethrower();
    int getClipSize();
    int getAmmo();
    void fire(int x, int y, int mx, int my);
    void reload();
    std::string getId();
    void update();
    SDL_Surface* getWeaponPic();

    FlamethrowerParticles* flameParticles;
    SDL_Surface* weaponPic;
    int frame;
    int ani;
    int clip;
    Mix_Chunk* shot;
    // Shared by every particle of that colour; particles never free them.
    SDL_Surface* red;
    SDL_Surface* yellow;
    SDL_Surface* orange;
    SDL_Surface* gray;
    SDL_Surface* darkGray;
    SDL_Surface* white;
};

#endif
