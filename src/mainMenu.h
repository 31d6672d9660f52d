#ifndef MAINMENU_H
#define MAINMENU_H

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <vector>

#include "ImageLoader.h"

class Level1;

// The front end: loads the intro pictures, starts the level at once, and draws the menu once the
// level is over. Everything happens inside the constructor.
class mainMenu {
public:
    mainMenu(ImageLoader* imageHandler1, SDL_Surface* screen);
    ~mainMenu();
    void intro();
    void startMenu();
    void cleanup();

    // The start button's click area, fixed by numbers rather than by the button picture.
    static bool insideStartButton(int x, int y);

    bool quit;
    ImageLoader* imageHandler;
    SDL_Surface* mainScreen;
    std::vector<SDL_Surface*> images;
    Mix_Music* backgroundMusic;

    // The levels this menu played, kept so that they can be released at exit.
    std::vector<Level1*> levels;
};

#endif
