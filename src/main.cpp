#include "Game.h"

// The whole game runs inside the Game constructor.
int main(int argc, char** args) {
    (void)argc;
    (void)args;
    Game* game = new Game();
    int status = game->exitStatus;
    delete game;
    return status;
}
