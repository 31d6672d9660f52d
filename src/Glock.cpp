#include "Glock.h"

#include "Bullet.h"
#include "Globals.h"
#include "ImageLoader.h"
#include "ParticleEngine.h"
#include "SoundLoader.h"

Glock::Glock() {
    noAmmo = SoundLoader::load("sounds/gunSounds/noAmmo.wav");
    shot = SoundLoader::load("sounds/gunSounds/glockShot.wav");
    reloadGun = SoundLoader::load("sounds/gunSounds/glockReload.wav");
    weaponPic = imageHandler->optimizeImage("images/HUDImages/glock.png");
    blowBack = new Timer();
    reloadTime = new Timer();
    blowBack->start();
    ammo = 0;
    clip = 17;
    clipSize = 17;
    reloading = false;
}

Glock::~Glock() {
    cleanup();
    SDL_FreeSurface(weaponPic);
    delete blowBack;
    delete reloadTime;
}

int Glock::getClipSize() { return clip; }

int Glock::getAmmo() { return ammo; }

// The press itself calls fire before mouseDown is set; every later call while the button is
// held sees mouseDown, so the pistol fires at most once per press.
void Glock::fire(int x, int y, int mx, int my) {
    if (clip > 0 && blowBack->getTime() > 199 && !mouseDown) {
        Mix_PlayChannelTimed(-1, shot, 0, -1);
        Bullet* bullet = new Bullet(x, y, mx, my);
        blowBack->start();
        clip--;
        particleEngine->addProjectiles(bullet);
    } else if (clip <= 0 && !mouseDown) {
        Mix_PlayChannelTimed(-1, noAmmo, 0, -1);
    }
}

void Glock::reload() {
    if (clip == clipSize || reloading) {
        return;
    }
    Mix_PlayChannelTimed(-1, reloadGun, 0, -1);
    reloadTime->start();
    reloading = true;
}

std::string Glock::getId() { return "Glock"; }

void Glock::update() {
    if (reloading && reloadTime->getTime() > 2999) {
        reloading = false;
        clip = clipSize;
    }
}

SDL_Surface* Glock::getWeaponPic() { return weaponPic; }

void Glock::cleanup() {
    Mix_FreeChunk(noAmmo);
    Mix_FreeChunk(reloadGun);
    Mix_FreeChunk(shot);
    noAmmo = NULL;
    reloadGun = NULL;
    shot = NULL;
}
