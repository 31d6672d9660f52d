#include "mainMenu.h"

#include <sstream>

#include "Game.h"
#include "Level1.h"
#include "Timer.h"

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

    bool fpsCap = true;
    Timer fpsTimer;
    Timer updateTimer;
    Timer limiterTimer;
    int frameCount = 0;
    fpsTimer.start();
    updateTimer.start();

    while (!quit) {
        limiterTimer.start();
        int mouseX = 0;
        int mouseY = 0;
        // The level runs to its end inside its constructor; the menu is only seen afterwards.
        levels.push_back(new Level1(imageHandler, mainScreen));
        quit = true;
        while (SDL_PollEvent(&event)) {
            SDL_GetMouseState(&mouseX, &mouseY);
            if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT &&
                insideStartButton(mouseX, mouseY) && !quitSignal) {
                levels.push_back(new Level1(imageHandler, mainScreen));
                quit = true;
            } else if (event.type == SDL_QUIT) {
                quit = true;
            }
        }
        imageHandler->paintImage(images[0], mainScreen, 0, 0, NULL);
        imageHandler->paintImage(images[2], mainScreen, 0, 0, NULL);
        imageHandler->paintImage(images[1], mainScreen, 415, 460, NULL);
        SDL_Flip(mainScreen);
        frameCount++;
        // Read once: a second reading could pass 16 ms and turn the delay into a huge unsigned.
        int spent = limiterTimer.getTime();
        if (fpsCap && spent <= 15) {
            SDL_Delay(16 - spent);
        }
        if (updateTimer.getTime() > 1000) {
            std::ostringstream caption;
            caption << "FPS = " << static_cast<float>(frameCount / (fpsTimer.getTime() / 1000.0));
            SDL_WM_SetCaption(caption.str().c_str(), NULL);
            updateTimer.start();
        }
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
