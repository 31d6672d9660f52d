#include "Uzi.h"

#include <cmath>
#include <cstdlib>

#include "Bullet.h"
#include "Globals.h"
#include "ImageLoader.h"
#include "ParticleEngine.h"
#include "SoundLoader.h"

Uzi::Uzi() {
    noAmmo = SoundLoader::load("sounds/gunSounds/noAmmo.wav");
    shot = SoundLoader::load("sounds/gunSounds/uziShot.wav");
    reloadGun = SoundLoader::load("sounds/gunSounds/glockReload.wav");
    weaponPic = imageHandler->optimizeImage("images/HUDImages/uzi.png");
    blowBack = new Timer();
    reloadTime = new Timer();
    blowBack->start();
    ammo = 0;
    clip = 30;
    clipSize = 30;
    reloading = false;
    accuracy = 50;
    attackSpeed = 71;
}

Uzi::~Uzi() {
    cleanup();
    SDL_FreeSurface(weaponPic);
    delete blowBack;
    delete reloadTime;
}

int Uzi::getClipSize() { return clip; }

int Uzi::getAmmo() { return ammo; }

void Uzi::fire(int x, int y, int mx, int my) {
    if (clip > 0 && blowBack->getTime() >= attackSpeed) {
        Mix_PlayChannelTimed(-1, shot, 0, -1);
        // Four draws in this order: x distance, x sign, y distance, y sign.
        int dx = rand() % accuracy;
        double sx = pow(-1.0, rand() % 4);
        int dy = rand() % accuracy;
        double sy = pow(-1.0, rand() % 4);
        int targetX = static_cast<int>(mx + dx * sx);
        int targetY = static_cast<int>(my + dy * sy);
        Bullet* bullet = new Bullet(x, y, targetX, targetY);
        blowBack->start();
        clip--;
        particleEngine->addProjectiles(bullet);
    } else if (clip <= 0 && !mouseDown) {
        Mix_PlayChannelTimed(-1, noAmmo, 0, -1);
    }
}

void Uzi::reload() {
    if (clip == clipSize || reloading) {
        return;
    }
    Mix_PlayChannelTimed(-1, reloadGun, 0, -1);
    reloadTime->start();
    reloading = true;
}

std::string Uzi::getId() { return "Uzi"; }

void Uzi::update() {
    if (reloading && reloadTime->getTime() > 2999) {
        reloading = false;
        clip = clipSize;
    }
}

SDL_Surface* Uzi::getWeaponPic() { return weaponPic; }

void Uzi::cleanup() {
    Mix_FreeChunk(noAmmo);
    Mix_FreeChunk(reloadGun);
    Mix_FreeChunk(shot);
    noAmmo = NULL;
    reloadGun = NULL;
    shot = NULL;
}
