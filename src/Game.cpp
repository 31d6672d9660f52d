#include "Game.h"

#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Gamepad.h"
#include "PresentationPath.h"
#include "QuitSignal.h"
#include "Scaler.h"
#include "SoundDevice.h"
#include "VideoMode.h"
#include "Volume.h"
#include "mainMenu.h"

SDL_Rect camera;
int mapWidth;
int mapHeight;
SDL_Surface* mainScreen;
ImageLoader* imageHandler;
Game::Game() : Game(false) {}

Game::Game(bool windowed)
    : SCREEN_WIDTH(1080), SCREEN_HEIGHT(720), SCREEN_BPP(32), FRAMES_PER_SECOND(60), exitStatus(0) {
    imageHandler = new ImageLoader();
    bool x11Chosen = chooseVideoDriver();
    if (exitStatus != 0) {
        return;
    }
    PresentationPath::choose();
    // Before SDL_Init, so that SDL leaves these signals to the game (main has done it already;
    // this is for code that brings the game up without main).
    QuitSignal::catchSignals();
    // Sound is brought up on its own: a missing or broken audio device makes sdl12-compat refuse
    // the whole of SDL_Init, and the game plays silently without one.
    // No timer subsystem either: the game sets no SDL timers, and classic SDL's timer thread
    // wakes every millisecond, about 2% of a core spent on nothing (SDL_GetTicks and SDL_Delay
    // work without it).
    const Uint32 subsystems = SDL_INIT_EVERYTHING & ~(SDL_INIT_AUDIO | SDL_INIT_TIMER);
    if (SDL_Init(subsystems | SDL_INIT_NOPARACHUTE) < 0) {
        if (x11Chosen) {
            std::fprintf(stderr,
                         "deadacre: cannot start: no X display: cannot connect to X server '%s'\n",
                         std::getenv("DISPLAY"));
            exitStatus = 1;
            cleanup();
            return;
        }
        failStartup("SDL could not be initialised");
        return;
    }
    SoundDevice::open();
    TTF_Init();
    VideoMode::setIdentity();
    VideoMode::onScreenChanged([](SDL_Surface* screen) { mainScreen = screen; });
    mainScreen = VideoMode::open(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, windowed);
    if (mainScreen == NULL) {
        exitStatus = 1;
        cleanup();
        return;
    }
    Gamepad::open();
    Mix_AllocateChannels(1000);
    Volume::set(Volume::level, Volume::muted);
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

// Left to itself, SDL falls back to a text-terminal driver when X cannot be reached: it fills the
// terminal with escape codes and then fails for a reason that has nothing to do with the cause.
// So unless a driver was asked for, the game insists on X and says plainly when there is none;
// X asked for by name gets the same plain word. True when X is the driver.
bool Game::chooseVideoDriver() {
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked != NULL && std::strcmp(asked, "x11") != 0) {
        return false;
    }
    const char* display = std::getenv("DISPLAY");
    if (display == NULL || display[0] == '\0') {
        std::fprintf(stderr, "deadacre: cannot start: no X display: DISPLAY is not set\n");
        exitStatus = 1;
        delete imageHandler;
        imageHandler = NULL;
        return false;
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    return true;
}

void Game::startMenu() {
    mainMenu* menu = new mainMenu(imageHandler, mainScreen);
    // Everything the front end and its levels made is released while the libraries are still
    // up: fonts, for one, cannot be closed after TTF_Quit.
    delete menu;
    cleanup();
}

void Game::cleanup() {
    VideoMode::holdPointer(false);
    Gamepad::close();
    Mix_CloseAudio();
    TTF_Quit();
    Scaler::stop();
    SDL_Quit();
    mainScreen = NULL;
    delete imageHandler;
    imageHandler = NULL;
}
