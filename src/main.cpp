#include "Game.h"
#include "Replay.h"

// The whole game runs inside the Game constructor.
int main(int argc, char** args) {
    int early = Replay::fromCommandLine(argc, args);
    if (early >= 0) {
        return early;
    }
    Game* game = new Game();
    int status = Replay::finish(game->exitStatus);
    delete game;
    return status;
}
