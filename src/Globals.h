#ifndef GLOBALS_H
#define GLOBALS_H

#include <SDL/SDL.h>

// Every global the game's objects share, declared in one place. This header holds no class: it is
// the one exception to one .cpp and one .h per class. The shell's globals are defined in Game.cpp,
// the level's in Level1.cpp.

class Collision;
class HUD;
class ImageLoader;
class ParticleEngine;
class Player;

// The shell's (Game.cpp).
// The view rectangle: x and y follow the player, w and h are the screen's size.
extern SDL_Rect camera;
extern int mapWidth;
extern int mapHeight;
extern SDL_Surface* mainScreen;
extern ImageLoader* imageHandler;

// The level's (Level1.cpp), valid while a level is set up.
extern bool mouseDown;
extern Collision* collisionDetection;
extern ParticleEngine* particleEngine;
extern Player* player;
extern HUD* hud;
extern int unitIdCounter;

#endif
