#include "Flamethrower.h"

#include "FireParticle.h"
#include "Game.h"
#include "Level1.h"
#include "ParticleEngine.h"

Flamethrower::Flamethrower() {
    flameParticles = NULL;
    weaponPic = imageHandler->optimizeImage("images/HUDImages/flamethrower.png");
    red = imageHandler->optimizeImage("images/particleImages/red.png");
    yellow = imageHandler->optimizeImage("images/particleImages/yellow.png");
    orange = imageHandler->optimizeImage("images/particleImages/orange.png");
    gray = imageHandler->optimizeImage("images/particleImages/gray.png");
    darkGray = imageHandler->optimizeImage("images/particleImages/darkGray.png");
    white = imageHandler->optimizeImage("images/particleImages/white.png");
    shot = Mix_LoadWAV_RW(SDL_RWFromFile("sounds/gunSounds/flamethrower.wav", "rb"), 1);
    frame = 0;
    ani = 0;
    clip = 50;
}

Flamethrower::~Flamethrower() {
    SDL_FreeSurface(weaponPic);
    SDL_FreeSurface(red);
    SDL_FreeSurface(yellow);
    SDL_FreeSurface(orange);
    SDL_FreeSurface(gray);
    SDL_FreeSurface(darkGray);
    SDL_FreeSurface(white);
    Mix_FreeChunk(shot);
}

int Flamethrower::getClipSize() { return clip; }

int Flamethrower::getAmmo() { return 0; }

void Flamethrower::fire(int x, int y, int mx, int my) {
    SDL_Surface* colours[3] = {red, yellow, orange};
    particleEngine->addProjectiles(new FireParticle(colours[frame % 3], x, y, mx, my, 1));
    clip--;
    if (ani == 30) {
        Mix_PlayChannelTimed(-1, shot, 0, -1);
        ani = 0;
    }
    ani++;
    frame++;
}

void Flamethrower::reload() {}

std::string Flamethrower::getId() { return "Flame"; }

void Flamethrower::update() {}

SDL_Surface* Flamethrower::getWeaponPic() { return weaponPic; }
