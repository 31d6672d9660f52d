#ifndef STATECHECKSUM_H
#define STATECHECKSUM_H

#include <SDL/SDL.h>
#include <stack>

#include "Item.h"
#include "Unit.h"

// The level's state as one number: the camera, the player and what it carries, the HUD, the
// zombies, the pick-ups and the projectiles, through the globals the objects share. Recordings
// store it and playbacks are compared by it, so what it reads and in which order stays.
class StateChecksum {
public:
    static Uint64 of(const std::stack<Unit*>& units, const std::stack<Item*>& items);
};

#endif
