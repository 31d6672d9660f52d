#include "Flamethrower.h"

#include <climits>

#include "FireParticle.h"
#include "Globals.h"
#include "ImageLoader.h"
#include "ParticleEngine.h"
#include "SoundLoader.h"

Flamethrower::Flamethrower() {
    flameParticles = NULL;
    weaponPic = imageHandler->optimizeImage("images/HUDImages/flamethrower.png");
    red = imageHandler->optimizeImage("images/particleImages/red.png");
    yellow = imageHandler->optimizeImage("images/particleImages/yellow.png");
    orange = imageHandler->optimizeImage("images/particleImages/orange.png");
    gray = imageHandler->optimizeImage("images/particleImages/gray.png");
    darkGray = imageHandler->optimizeImage("images/particleImages/darkGray.png");
    white = imageHandler->optimizeImage("images/particleImages/white.png");
    shot = SoundLoader::load("sounds/gunSounds/flamethrower.wav");
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
    // The fuel count goes below zero for as long as fire is held, but stops at the lowest int
    // (after 2^31 shots, days of fire) instead of overflowing.
    if (clip > INT_MIN) {
        clip--;
    }
    if (ani == 30) {
        Mix_PlayChannelTimed(-1, shot, 0, -1);
        ani = 0;
    }
    ani++;
    // At the top of its range the shot count starts again from the colour that comes next, so
    // the cycle runs on unbroken and frame % 3 never goes negative.
    frame = frame < INT_MAX ? frame + 1 : (INT_MAX % 3 + 1) % 3;
}

void Flamethrower::reload() {}

std::string Flamethrower::getId() { return "Flame"; }

void Flamethrower::update() {}

SDL_Surface* Flamethrower::getWeaponPic() { return weaponPic; }
