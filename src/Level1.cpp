#include "Level1.h"

#include "Backpack.h"
#include "Collision.h"
#include "FlamethrowerItem.h"
#include "Globals.h"
#include "GlockItem.h"
#include "Gold.h"
#include "HUD.h"
#include "HealthPotion.h"
#include "Input.h"
#include "ParticleEngine.h"
#include "PathingBlocker.h"
#include "Player.h"
#include "QuitSignal.h"
#include "Replay.h"
#include "Screen.h"
#include "SlowZombie.h"
#include "StateChecksum.h"
#include "UziItem.h"
#include "VideoMode.h"
#include "Volume.h"

bool mouseDown;
Collision* collisionDetection;
ParticleEngine* particleEngine;
Player* player;
HUD* hud;
int unitIdCounter;

Level1::Level1(ImageLoader* imageHandler1, SDL_Surface* screen) {
    init(imageHandler1, screen);
    startLevel();
}

Level1::Level1(ImageLoader* imageHandler1, SDL_Surface* screen, Manual) {
    init(imageHandler1, screen);
}

void Level1::init(ImageLoader* imageHandler1, SDL_Surface* screen) {
    quit = false;
    imageHandler = imageHandler1;
    mainScreen = screen;
    backgroundMusic = NULL;
    images.resize(4, NULL);
    pathingBlockers.resize(2, NULL);
    unitIdCounter = 0;
    keystates = NULL;
    ownCollision = NULL;
    ownEngine = NULL;
    ownPlayer = NULL;
    ownHud = NULL;
}

void Level1::startLevel() {
    setUpWorld();
    while (!quit) {
        runFrame();
    }
    cleanup();
}

int Level1::chosenFPS = FrameClock::MOST_FPS;

void Level1::setUpWorld() {
    Replay::beginLevel([this] { return stateChecksum(); }, mainScreen);
    mapHeight = 1712;
    mapWidth = 2916;

    images[0] = imageHandler->optimizeImage("images/level1Images/backgroundLevel.jpg");
    images[1] = imageHandler->optimizeImage("images/level1Images/building.jpg");
    images[2] = imageHandler->optimizeImage("images/level1Images/building.png");

    items.push(new Gold(700, 400, 50));
    items.push(new Gold(300, 500, 100));
    items.push(new HealthPotion(500, 500));
    items.push(new HealthPotion(500, 600));
    items.push(new HealthPotion(500, 700));
    items.push(new UziItem(700, 500));
    items.push(new GlockItem(700, 600));
    items.push(new FlamethrowerItem(700, 700));

    const int zombieX[3] = {100, 200, 300};
    for (int i = 0; i < 3; i++) {
        Unit* zombie = new SlowZombie(zombieX[i], 300);
        createdUnits.push_back(zombie);
        units.push(zombie);
    }

    pathingBlockers[0] = new PathingBlocker(-10, 100, 100, 100);
    pathingBlockers[1] = new PathingBlocker(300, 100, 100, 100);

    for (int i = 0; i < 2; i++) {
        mapView.addStanding(images[0], mainScreen, images[i + 1],
                            pathingBlockers[i]->getXLocation() + camera.x,
                            pathingBlockers[i]->getYLocation() + camera.y);
    }

    ownCollision = collisionDetection = new Collision();
    collisionDetection->setPathingBlockers(pathingBlockers);

    frameClock.start(Replay::pacer(), 1000 / chosenFPS);
    rateCaption.start();

    mouseDown = false;
    camera.x = 0;
    camera.y = 0;

    ownEngine = particleEngine = new ParticleEngine();
    ownPlayer = player = new Player(imageHandler, mainScreen, collisionDetection);
    ownHud = hud = new HUD(imageHandler, mainScreen, player);

    keystates = Input::keyState();
    VideoMode::holdPointer(!Replay::playingBack());
}

// Survivors are pushed back from the top of the copy down, so the list's order flips every pass.
void Level1::dropDestroyedItems() {
    itemTemp = items;
    while (!items.empty()) {
        items.pop();
    }
    while (!itemTemp.empty()) {
        Item* item = itemTemp.top();
        if (!item->isDestroyed()) {
            items.push(item);
        } else if (!player->backpack->keeps(item)) {
            // What the backpack keeps is its own; other taken pickups are kept only so that they
            // can be freed at exit.
            retiredItems.push_back(item);
        }
        itemTemp.pop();
    }
}

void Level1::dropDestroyedUnits() {
    unitTemp = units;
    while (!units.empty()) {
        units.pop();
    }
    while (!unitTemp.empty()) {
        if (!unitTemp.top()->isDestroyed()) {
            units.push(unitTemp.top());
        }
        unitTemp.pop();
    }
}

namespace {
// The keys that take a weapon into hand, pressed or held: the digits, the keypad's digits, and
// the keys in the digits' place on an AZERTY keyboard (&, é, "), so the weapons can be taken on
// any layout without changing it.
struct WeaponKey {
    SDLKey key;
    int weapon;
};
const WeaponKey WEAPON_KEYS[] = {
    {SDLK_1, 1},        {SDLK_KP1, 1}, {SDLK_AMPERSAND, 1}, {SDLK_2, 2},        {SDLK_KP2, 2},
    {SDLK_WORLD_73, 2}, {SDLK_3, 3},   {SDLK_KP3, 3},       {SDLK_QUOTEDBL, 3},
};
} // namespace

void Level1::handleEvents() {
    while (Input::pollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            // The player's own keys (pause, volume) first; a paused game hears nothing else.
            if (pause.hearKey(event.key.keysym.sym) || Volume::hearKey(event.key.keysym.sym) ||
                pause.paused()) {
                break;
            }
            if (event.key.keysym.sym == SDLK_r) {
                player->reload();
            } else if (event.key.keysym.sym == SDLK_t) {
                hud->toggleBackpack();
            } else if (event.key.keysym.sym == SDLK_c) {
                player->useItem("HealthPotion");
            }
            // A tap shorter than a pass never shows in the held keys; its press does.
            for (const WeaponKey& key : WEAPON_KEYS) {
                if (event.key.keysym.sym == key.key) {
                    player->setWeapon(key.weapon);
                }
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                if (pause.paused()) {
                    break;
                }
                player->fire1();
                mouseDown = true;
            } else if (event.button.button == SDL_BUTTON_RIGHT) {
                quit = true;
            }
            break;
        case SDL_MOUSEBUTTONUP:
            mouseDown = false;
            break;
        case SDL_QUIT:
            quit = true;
            break;
        default:
            break;
        }
    }
    if (QuitSignal::arrived()) {
        quit = true;
    }
}

void Level1::handleHeldKeys() {
    for (const WeaponKey& key : WEAPON_KEYS) {
        if (keystates[key.key]) {
            player->setWeapon(key.weapon);
        }
    }
    if (keystates[SDLK_SPACE]) {
        player->takeDamage(1);
    }
}

void Level1::runFrame() {
    if (pause.paused() && !Replay::playingBack()) {
        Pause::waitForInput();
    }
    frameClock.freeze(pause.paused());
    frameClock.beginFrame();
    do {
        runPass();
    } while (!quit && frameClock.framePending());
}

void Level1::runPass() {
    if (!Replay::beginPass()) {
        quit = true; // a recording being played back has run out
        return;
    }
    frameClock.passBegins();
    if (pause.paused()) {
        runPausedPass();
        return;
    }
    dropDestroyedItems();
    dropDestroyedUnits();

    handleEvents();
    // The pass that ends the level is shown: its frame is the last one, and a recording's. A
    // pass that is not shown is not painted, but in a playback, whose frames are checked.
    bool shown = quit || frameClock.showsThisPass();
    Screen::beginPass(shown || Replay::playingBack());
    handleHeldKeys();

    // The map with the buildings standing on it.
    mapView.paint(images[0], mainScreen, camera);

    collisionDetection->setUnits(units);

    itemTemp = items;
    while (!itemTemp.empty()) {
        Item* item = itemTemp.top();
        int y = item->getYLocation();
        int x = item->getXLocation();
        Screen::paint(item->draw(), mainScreen, x, y, NULL);
        itemTemp.pop();
    }

    // A zombie's draw is also its update; it is shown where it stood before this pass's step.
    unitTemp = units;
    while (!unitTemp.empty()) {
        Unit* unit = unitTemp.top();
        int y = unit->getYLocation();
        int x = unit->getXLocation();
        Screen::paint(unit->draw(), mainScreen, x, y, NULL);
        unitTemp.pop();
    }

    player->itemCollision(items);
    player->move();
    if (mouseDown) {
        player->fire1();
    }
    player->draw();
    hud->draw();
    particleEngine->draw();
    Volume::paintMessage(mainScreen);
    if (pause.paused()) {
        pause.paint(mainScreen, quit);
    }

    if (shown) {
        Screen::showFrame(mainScreen);
    } else {
        Screen::holdFrame(mainScreen);
    }
    rateCaption.count(shown);
    frameClock.passEnds(shown);
    rateCaption.write();
    Replay::endPass(quit);
}

// Nothing of the world steps or is drawn: the frame keeps the world as it stood when the pause
// began, under the panel, and the volume message over it.
void Level1::runPausedPass() {
    bool began = pause.beganThisPass;
    pause.beganThisPass = false;
    handleEvents();
    Screen::beginPass(true);
    // No background is put back, so the frame is sent whole: paused frames are few, each waits
    // for an event.
    if (pause.paused() || quit) {
        pause.paint(mainScreen, quit);
    }
    Volume::paintMessage(mainScreen);
    Screen::showFrame(mainScreen);
    frameClock.passEnds(true);
    if (began && Replay::playbackShown()) {
        Pause::holdInPlayback();
    }
    Replay::endPass(quit);
}

// Clears a global that still points at what this level is about to free.
template <typename T> static void forget(T* mine, T*& global) {
    if (mine != NULL && global == mine) {
        global = NULL;
    }
}

// Frees what only the level's loop needs; the level's objects stay until it is deleted. Safe to
// call again, and the destructor does.
void Level1::cleanup() {
    for (size_t i = 0; i < images.size(); i++) {
        SDL_FreeSurface(images[i]);
        images[i] = NULL;
    }
    for (size_t i = 0; i < pathingBlockers.size(); i++) {
        delete pathingBlockers[i];
        pathingBlockers[i] = NULL;
    }
    forget(ownCollision, collisionDetection);
    delete ownCollision;
    ownCollision = NULL;
    if (ownPlayer != NULL) {
        ownPlayer->cleanup();
    }
    frameClock.stop();
    VideoMode::holdPointer(false);
    Volume::forgetMessage();
}

// Each object has one owner: the backpack frees what it keeps, the level everything else it made.
Level1::~Level1() {
    cleanup();
    // Before the player goes: a potion taken in the last pass is still listed here, and its
    // owner is the backpack.
    while (!items.empty()) {
        Item* item = items.top();
        if (ownPlayer == NULL || !ownPlayer->backpack->keeps(item)) {
            delete item;
        }
        items.pop();
    }
    forget(ownHud, hud);
    delete ownHud;
    forget(ownPlayer, player);
    delete ownPlayer;
    forget(ownEngine, particleEngine);
    delete ownEngine;
    for (size_t i = 0; i < retiredItems.size(); i++) {
        delete retiredItems[i];
    }
    for (size_t i = 0; i < createdUnits.size(); i++) {
        delete createdUnits[i];
    }
}

Uint64 Level1::stateChecksum() const { return StateChecksum::of(units, items); }
