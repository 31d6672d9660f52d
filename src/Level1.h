#ifndef LEVEL1_H
#define LEVEL1_H

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <stack>
#include <vector>

#include "FrameClock.h"
#include "ImageLoader.h"
#include "Item.h"
#include "MapView.h"
#include "Pause.h"
#include "RateCaption.h"
#include "Timer.h"
#include "Unit.h"

class Collision;
class HUD;
class ParticleEngine;
class PathingBlocker;
class Player;

// The one playable level. Constructing it runs it: the world is set up and the frame loop runs
// until the player quits.
class Level1 {
public:
    // Selects the constructor that prepares the object without running it, for code that drives
    // the real set-up and the real passes itself (tests, the benchmark).
    struct Manual {};

    Level1(ImageLoader* imageHandler1, SDL_Surface* screen);
    Level1(ImageLoader* imageHandler1, SDL_Surface* screen, Manual);
    ~Level1();

    void startLevel();
    void setUpWorld();
    // One frame: one pass, or several when the frame clock has game time to make up; the last
    // is shown.
    void runFrame();
    // One pass of the loop: the world steps and is painted, and shown unless a later pass of
    // the same frame will be.
    void runPass();
    void cleanup();
    // What the game decided, as one number: the player, the zombies, the pick-ups, the
    // projectiles and the HUD. Recordings store it, so what it reads and in which order stays.
    Uint64 stateChecksum() const;

    bool quit;
    ImageLoader* imageHandler;
    SDL_Surface* mainScreen;
    std::vector<SDL_Surface*> images;
    Mix_Music* backgroundMusic;
    std::vector<PathingBlocker*> pathingBlockers;
    std::stack<Item*> items;
    std::stack<Item*> itemTemp;
    std::stack<Unit*> units;
    std::stack<Unit*> unitTemp;

    // The most frames a second each level shows: the frame limiter waits out 1000 / chosenFPS ms
    // per frame. The default, FrameClock::MOST_FPS, leaves it no time to wait, so the level runs
    // as fast as it can; a player may ask for less (deadacre --fps).
    static int chosenFPS;

    // Loop state.
    FrameClock frameClock;
    RateCaption rateCaption;
    SDL_Event event;
    Uint8* keystates;

private:
    void init(ImageLoader* imageHandler1, SDL_Surface* screen);
    void dropDestroyedItems();
    void dropDestroyedUnits();
    void handleEvents();
    void handleHeldKeys();

    // Everything this level made, so that it can all be released when the program ends. During
    // play nothing here is read.
    std::vector<Unit*> createdUnits;
    std::vector<Item*> retiredItems;
    Collision* ownCollision;
    ParticleEngine* ownEngine;
    Player* ownPlayer;
    HUD* ownHud;

    // The map under view, put back each pass only where it was painted over when it can be.
    MapView mapView;

    // The player's pause, and a pass run while it holds.
    Pause pause;
    void runPausedPass();

public:
    bool isPaused() const { return pause.paused(); }
};

#endif
