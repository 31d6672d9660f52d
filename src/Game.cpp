#include "Game.h"

#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>
#include <cstdio>

#include "mainMenu.h"

SDL_Rect camera;
int mapWidth;
int mapHeight;
SDL_Surface* mainScreen;
ImageLoader* imageHandler;
bool fastPaths = true;

Game::Game()
    : SCREEN_WIDTH(1080), SCREEN_HEIGHT(720), SCREEN_BPP(32), FRAMES_PER_SECOND(60), exitStatus(0) {
    imageHandler = new ImageLoader();
    if (SDL_Init(SDL_INIT_EVERYTHING) < 0) {
        failStartup("SDL could not be initialised");
        return;
    }
    TTF_Init();
    // A power-of-two chunk: sdl12-compat crashes on the first sound played with 500.
    Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512);
    mainScreen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_FULLSCREEN);
    if (mainScreen == NULL) {
        failStartup("the 1080x720 full-screen video mode could not be set");
        return;
    }
    Mix_AllocateChannels(1000);
    camera.x = 0;
    camera.y = 0;
    camera.w = SCREEN_WIDTH;
    camera.h = SCREEN_HEIGHT;
    startMenu();
}

Game::~Game() {}

// Without a screen there is nothing to play on: say why in one line and give up cleanly.
void Game::failStartup(const char* what) {
    std::fprintf(stderr, "deadacre: cannot start: %s: %s\n", what, SDL_GetError());
    exitStatus = 1;
    cleanup();
}

void Game::startMenu() {
    mainMenu* menu = new mainMenu(imageHandler, mainScreen);
    // Everything the front end and its levels made is released while the libraries are still
    // up: fonts, for one, cannot be closed after TTF_Quit.
    delete menu;
    cleanup();
}

void Game::cleanup() {
    Mix_CloseAudio();
    TTF_Quit();
    SDL_Quit();
    mainScreen = NULL;
    delete imageHandler;
    imageHandler = NULL;
}
