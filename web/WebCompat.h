// Forced into every game source of the browser build (em++ -include), never into the desktop
// build. The browser's SDL 1.2 implements SDL_GetKeyState but its headers do not declare it; the
// level's flip is routed through a function that hands the browser its turn, blits through one
// that refuses a missing picture as the desktop SDL does, and captions to the page's status line,
// so that the tab keeps the game's name.
#ifndef WEBCOMPAT_H
#define WEBCOMPAT_H

#include <SDL/SDL.h>

#ifdef __cplusplus
extern "C" {
#endif

Uint8* SDL_GetKeyState(int* numkeys);
int webFlip(SDL_Surface* screen);
int webUpperBlit(SDL_Surface* source, SDL_Rect* sourceArea, SDL_Surface* destination,
                 SDL_Rect* destinationArea);
void webSetCaption(const char* title, const char* icon);
int webFillRect(SDL_Surface* surface, SDL_Rect* area, Uint32 colour);
int webLockSurface(SDL_Surface* surface);
void webUnlockSurface(SDL_Surface* surface);
void webUpdateRects(SDL_Surface* screen, int count, SDL_Rect* areas);
SDL_Surface* webSetVideoMode(int width, int height, int bpp, Uint32 flags);

#ifdef __cplusplus
}
#endif

// The key in the digit 2's place on an AZERTY keyboard (é): the browser's SDL names no key of
// Latin-1, but its key codes for them are the character's, as SDL 1.2's are.
#define SDLK_WORLD_73 ((SDLKey)0xE9)

#define SDL_Flip webFlip
#define SDL_WM_SetCaption webSetCaption
#undef SDL_BlitSurface
#define SDL_UpperBlit webUpperBlit
#define SDL_BlitSurface webUpperBlit
#define SDL_FillRect webFillRect
#define SDL_LockSurface webLockSurface
#define SDL_UnlockSurface webUnlockSurface
#define SDL_UpdateRects webUpdateRects
#define SDL_SetVideoMode webSetVideoMode
// Every surface's pixels are in the heap (WebCompat.cpp): none needs locking.
#undef SDL_MUSTLOCK
#define SDL_MUSTLOCK(S) 0

#endif
