#ifndef GAME_H
#define GAME_H

#include <SDL/SDL.h>

#include "Globals.h"
#include "ImageLoader.h"

// Brings the libraries up, runs the front end inside its constructor, and brings them down.
class Game {
public:
    Game();
    // windowed: a 1080x720 window instead of the full screen.
    explicit Game(bool windowed);
    ~Game();
    void startMenu();
    void cleanup();

    const int SCREEN_WIDTH;
    const int SCREEN_HEIGHT;
    const int SCREEN_BPP;
    const int FRAMES_PER_SECOND;

    // What the process should return: 0 after a normal game, 1 when the libraries or the video
    // mode could not be brought up.
    int exitStatus;

private:
    void failStartup(const char* what);
    bool chooseVideoDriver();
};

#endif
