#ifndef WEAPON_H
#define WEAPON_H

#include <SDL/SDL.h>
#include <string>

// The gun or flamethrower in the player's hand.
class Weapon {
public:
    virtual int getClipSize() = 0;
    virtual int getAmmo() = 0;
    virtual void fire(int x, int y, int mx, int my) = 0;
    virtual void reload() = 0;
    virtual std::string getId() = 0;
    virtual void update() = 0;
    virtual SDL_Surface* getWeaponPic() = 0;
    virtual ~Weapon();
};

#endif
