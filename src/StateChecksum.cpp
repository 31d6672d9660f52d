#include "StateChecksum.h"

#include <queue>

#include "Backpack.h"
#include "Checksum.h"
#include "Globals.h"
#include "HUD.h"
#include "ParticleEngine.h"
#include "Player.h"
#include "SlowZombie.h"
#include "Weapon.h"

Uint64 StateChecksum::of(const std::stack<Unit*>& units, const std::stack<Item*>& items) {
    Checksum hash;
    hash.add(static_cast<int>(camera.x));
    hash.add(static_cast<int>(camera.y));
    hash.add(static_cast<int>(mouseDown));
    if (player != nullptr) {
        hash.add(player->locationX);
        hash.add(player->locationY);
        hash.add(player->health);
        hash.add(player->gold);
        if (player->weapon != nullptr) {
            hash.add(player->weapon->getId());
            hash.add(player->weapon->getClipSize());
            hash.add(player->weapon->getAmmo());
        }
        if (player->backpack != nullptr) {
            hash.add(static_cast<int>(player->backpack->items.size()));
            hash.add(static_cast<int>(player->backpack->weapons.size()));
        }
    }
    if (hud != nullptr) {
        hash.add(static_cast<int>(hud->backpackOpen));
        hash.add(static_cast<int>(hud->goldFade));
        hash.add(hud->alpha);
        hash.add(static_cast<int>(hud->texts.size()));
    }
    std::stack<Unit*> standing = units;
    hash.add(static_cast<int>(standing.size()));
    for (; !standing.empty(); standing.pop()) {
        SlowZombie* zombie = dynamic_cast<SlowZombie*>(standing.top());
        if (zombie != nullptr) {
            hash.add(zombie->locationX);
            hash.add(zombie->locationY);
            hash.add(zombie->health);
            hash.add(zombie->frame);
        }
    }
    std::stack<Item*> lying = items;
    hash.add(static_cast<int>(lying.size()));
    for (; !lying.empty(); lying.pop()) {
        hash.add(lying.top()->getId());
        hash.add(lying.top()->getXLocation() + camera.x);
        hash.add(lying.top()->getYLocation() + camera.y);
        hash.add(static_cast<int>(lying.top()->isDestroyed()));
    }
    if (particleEngine != nullptr) {
        std::queue<Projectile*> flying = particleEngine->projectiles;
        hash.add(static_cast<int>(flying.size()));
        for (; !flying.empty(); flying.pop()) {
            hash.add(flying.front()->getXLocation() + camera.x);
            hash.add(flying.front()->getYLocation() + camera.y);
            hash.add(static_cast<int>(flying.front()->isDestroyed()));
        }
    }
    return hash.value();
}
