#include "Backpack.h"

#include "Flamethrower.h"
#include "Globals.h"
#include "Glock.h"
#include "HUD.h"
#include "Player.h"
#include "SoundLoader.h"
#include "Uzi.h"

Backpack::Backpack(Player* input) {
    gold = SoundLoader::load("sounds/itemSounds/goldPickup.wav");
    healthPotion = SoundLoader::load("sounds/itemSounds/healthPotion.wav");
    player = input;
    storageSpace = 24;
    weapons.resize(3, NULL);
}

Backpack::~Backpack() {
    for (size_t i = 0; i < weapons.size(); i++) {
        delete weapons[i];
    }
    while (!items.empty()) {
        items.top()->cleanup();
        delete items.top();
        items.pop();
    }
    Mix_FreeChunk(gold);
    Mix_FreeChunk(healthPotion);
}

static bool isWeaponId(const std::string& id) {
    return id == "Uzi" || id == "Glock" || id == "Flame";
}

bool Backpack::addItem(Item* input) {
    std::string id = input->getId();
    if (id == "Gold") {
        Mix_PlayChannelTimed(-1, gold, 0, -1);
        player->modifyGold(input->getValue());
        return true;
    }
    if (id == "HealthPotion") {
        if (static_cast<int>(items.size()) >= storageSpace) {
            return false;
        }
        Mix_PlayChannelTimed(-1, healthPotion, 0, -1);
        if (hud != NULL) {
            hud->drawText("Health Potion Added to Backpack", 420, 650, 3000, 22, 255, 50, 50);
        }
        items.push(input);
        return true;
    }
    if (isWeaponId(id)) {
        // With every slot taken the pick-up is refused and stays on the ground, rather than
        // vanishing without giving a weapon.
        return addWeapon(input);
    }
    return false;
}

bool Backpack::keeps(Item* item) {
    for (std::stack<Item*> held = items; !held.empty(); held.pop()) {
        if (held.top() == item) {
            return true;
        }
    }
    return false;
}

bool Backpack::addWeapon(Item* input) {
    for (size_t i = 0; i < weapons.size(); i++) {
        if (weapons[i] != NULL) {
            continue;
        }
        std::string id = input->getId();
        if (!isWeaponId(id)) {
            continue;
        }
        const char* message = id == "Uzi"     ? "Uzi Added to Backpack"
                              : id == "Glock" ? "Glock Added to Backpack"
                                              : "Flamethrower Added to Backpack";
        if (hud != NULL) {
            hud->drawText(message, 420, 650, 3000, 22, 255, 255, 255);
        }
        Weapon* made = NULL;
        if (id == "Uzi") {
            made = new Uzi();
        } else if (id == "Glock") {
            made = new Glock();
        } else {
            made = new Flamethrower();
        }
        weapons[i] = made;
        return true;
    }
    return false;
}

Weapon* Backpack::getWeapon(std::string input) {
    for (size_t i = 0; i < weapons.size(); i++) {
        if (weapons[i] != NULL && weapons[i]->getId() == input) {
            return weapons[i];
        }
    }
    return NULL;
}

// Every call reverses the remaining items, whether or not it finds one: the items are pushed
// back in the order they are popped.
Item* Backpack::getItem(std::string input) {
    std::stack<Item*> holder = items;
    std::stack<Item*> holderDos;
    items = holderDos;
    bool found = false;
    Item* returning = NULL;
    while (!holder.empty()) {
        if (!found && holder.top()->getId() == input) {
            found = true;
            returning = holder.top();
        } else {
            items.push(holder.top());
        }
        holder.pop();
    }
    return found ? returning : NULL;
}

std::stack<Item*> Backpack::getItems() { return items; }
