#include <cstdio>
#include <cstdlib>

#include "CommandLine.h"
#include "Game.h"
#include "LaunchFolder.h"
#include "Level1.h"
#include "QuitSignal.h"
#include "Replay.h"

// The whole game runs inside the Game constructor.
int main(int argc, char** args) {
    // First of all, so a quit signal from the first moment on ends the game the usual way. What
    // runs before main (the dynamic loader, the libraries' constructors, the C++ runtime's set-up
    // of globals) is not the game's: a signal in that moment, a millisecond or so, still has its
    // default action and ends the process with 128 + its number.
    QuitSignal::catchSignals();
    CommandLine options = CommandLine::parse(argc, args);
    switch (options.action) {
    case CommandLine::HELP:
        CommandLine::printUsage(stdout);
        return 0;
    case CommandLine::VERSION:
        std::printf("deadacre %s\n", CommandLine::version());
        return 0;
    case CommandLine::USAGE_ERROR:
        // A typo must stay in sight: the error, the synopsis, and where the rest is.
        std::fprintf(stderr, "deadacre: %s\n", options.error.c_str());
        CommandLine::printSynopsis(stderr);
        std::fprintf(stderr, "Try 'deadacre --help' for more information.\n");
        return 2;
    case CommandLine::PLAY:
    case CommandLine::REPLAY:
        break;
    }
    Level1::chosenFPS = options.fps;
    if (!options.record.empty()) {
        options.record = LaunchFolder::resolve(options.record);
    }
    if (!options.replay.empty()) {
        options.replay = LaunchFolder::resolve(options.replay);
    }
    if (options.action == CommandLine::REPLAY && options.headless) {
        // Played as fast as it goes, with nothing shown and nothing heard.
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    int early = Replay::start(options);
    if (early >= 0) {
        return early;
    }
    Game* game = new Game(options.windowed);
    int status = Replay::finish(game->exitStatus);
    delete game;
    return status;
}
