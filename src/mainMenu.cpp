#include "mainMenu.h"

#include "FrameClock.h"
#include "Globals.h"
#include "Level1.h"
#include "QuitSignal.h"
#include "Screen.h"

mainMenu::mainMenu(ImageLoader* imageHandler1, SDL_Surface* screen) {
    quit = false;
    imageHandler = imageHandler1;
    mainScreen = screen;
    backgroundMusic = NULL;
    images.resize(6, NULL);
    intro();
}

mainMenu::~mainMenu() {
    for (size_t i = 0; i < levels.size(); i++) {
        delete levels[i];
    }
}

void mainMenu::intro() {
    images[2] = imageHandler->optimizeImage("menuImages/titleIntro.jpg");
    images[3] = imageHandler->optimizeImage("menuImages/vorthIntro.jpg");
    images[4] = imageHandler->optimizeImage("menuImages/palemIntro.jpg");
    images[5] = imageHandler->optimizeImage("menuImages/quisoIntro.jpg");
    startMenu();
}

bool mainMenu::insideStartButton(int x, int y) {
    return x >= 416 && x <= 669 && y >= 411 && y <= 609;
}

void mainMenu::startMenu() {
    SDL_Event event;
    SDL_WM_SetCaption("Main Menu", NULL);
    images[0] = imageHandler->optimizeImage("images/menuImages/background.jpg");
    images[1] = imageHandler->optimizeImage("images/menuImages/start.jpg");

    // The menu holds each of its frames to at least 16 ms.
    FrameClock frames;
    frames.start(FrameClock::LIVE, 16);

    while (!quit) {
        frames.passBegins();
        int mouseX = 0;
        int mouseY = 0;
        // The level runs to its end inside its constructor; the menu is only seen afterwards.
        levels.push_back(new Level1(imageHandler, mainScreen));
        quit = true;
        while (SDL_PollEvent(&event)) {
            SDL_GetMouseState(&mouseX, &mouseY);
            if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT &&
                insideStartButton(mouseX, mouseY) && !QuitSignal::arrived()) {
                levels.push_back(new Level1(imageHandler, mainScreen));
                quit = true;
            } else if (event.type == SDL_QUIT) {
                quit = true;
            }
        }
        Screen::paint(images[0], mainScreen, 0, 0, NULL);
        Screen::paint(images[2], mainScreen, 0, 0, NULL);
        Screen::paint(images[1], mainScreen, 415, 460, NULL);
        Screen::showFrame(mainScreen);
        frames.passEnds(true);
    }
    cleanup();
}

void mainMenu::cleanup() {
    for (size_t i = 0; i < images.size(); i++) {
        SDL_FreeSurface(images[i]);
        images[i] = NULL;
    }
    Mix_FreeMusic(backgroundMusic);
}
