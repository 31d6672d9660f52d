#ifndef BACKPACK_H
#define BACKPACK_H

#include <SDL/SDL_mixer.h>
#include <stack>
#include <string>
#include <vector>

#include "Item.h"
#include "Weapon.h"

class Player;

// The player's inventory: gold goes to the purse, up to 24 potions are stacked, and each weapon
// pick-up becomes a weapon in one of three slots.
class Backpack {
public:
    explicit Backpack(Player* input);
    ~Backpack();

    // True when the item was taken: gold is counted and weapons are made at once, and a potion
    // is kept, after which the backpack owns it (see keeps) and frees it when drunk or at the end.
    bool addItem(Item* input);
    // Whether item is one the backpack holds and will free; whoever else listed it must not.
    bool keeps(Item* item);
    // Returns whether a weapon was made: false when all three slots are taken or the id is not
    // a weapon's.
    bool addWeapon(Item* input);
    Weapon* getWeapon(std::string input);
    Item* getItem(std::string input);
    std::stack<Item*> getItems();

    Player* player;
    int storageSpace;
    std::stack<Item*> items;
    std::vector<Weapon*> weapons;
    Mix_Chunk* healthPotion;
    Mix_Chunk* gold;
};

#endif
