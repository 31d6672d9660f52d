#ifndef FLAMETHROWERPARTICLES_H
#define FLAMETHROWERPARTICLES_H

#include <SDL/SDL.h>
#include <vector>

#include "ImageLoader.h"
#include "Projectile.h"

class FireParticle;

// A planned owner for flame and smoke particles. The particle engine owns every live particle
// today, so nothing creates one of these; it is kept as the declared home of that idea.
class FlamethrowerParticles {
public:
    void draw() {}
    void update() {}

    SDL_Surface* screen;
    ImageLoader* imageHandler;
    std::vector<Projectile*> particles;
    std::vector<FireParticle*> smokeParticles;
};

#endif
