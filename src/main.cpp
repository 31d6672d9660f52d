#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Game.h"
#include "LaunchFolder.h"
#include "Level1.h"
#include "Replay.h"

#ifndef DEADACRE_VERSION
#define DEADACRE_VERSION "unknown"
#endif

static void printUsage(FILE* to) {
    std::fprintf(to,
                 "Usage: deadacre [--windowed] [--fps N] [--record FILE]\n"
                 "       deadacre --replay FILE [--headless [--frames]]\n"
                 "       deadacre --help | --version\n"
                 "\n"
                 "Dead Acre, a top-down action game. Walk with W A S D, aim with the mouse, fire\n"
                 "with the left button; 1, 2, 3 take a weapon you have picked up into hand; the\n"
                 "right button leaves the game. Alt+Enter or F11 switches between full screen\n"
                 "and a window.\n"
                 "\n"
                 "Gamepad: left stick walk, right stick aim, right trigger or shoulder fire,\n"
                 "X reload, Y backpack, B potion, d-pad left/up/right weapons 1/2/3, Back leave.\n"
                 "\n"
                 "  --windowed  play in a 1080x720 window instead of full screen\n"
                 "  --fps N     let the level draw at most N frames a second, 1 to 6000\n"
                 "              (default 6000: it never waits and keeps a processor busy)\n"
                 "  --record FILE  write the game, pass by pass, to FILE as it is played\n"
                 "  --replay FILE  play a recorded game back; the right button stops it\n"
                 "  --headless  with --replay: play it back unseen, as fast as it goes, and\n"
                 "              print the checksums of its end (--frames: of every pass)\n"
                 "  --help      show this help and exit\n"
                 "  --version   show the version and exit\n");
}

// A whole decimal number in 1..6000, nothing else.
static bool parseFps(const char* text, int* fps) {
    if (text == NULL || *text < '0' || *text > '9') {
        return false;
    }
    errno = 0;
    char* end = NULL;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > 6000) {
        return false;
    }
    *fps = static_cast<int>(value);
    return true;
}

static int usageError(const char* what, const char* arg) {
    std::fprintf(stderr, "deadacre: %s '%s'\n", what, arg);
    printUsage(stderr);
    return 2;
}

// The whole game runs inside the Game constructor.
int main(int argc, char** args) {
    // First of all, so a quit signal from the first moment on ends the game the usual way. What
    // runs before main (the dynamic loader, the libraries' constructors, the C++ runtime's set-up
    // of globals) is not the game's: a signal in that moment, a millisecond or so, still has its
    // default action and ends the process with 128 + its number.
    Game::catchQuitSignals();
    bool windowed = false;
    const char* record = NULL;
    const char* replay = NULL;
    bool headless = false, frames = false;
    for (int i = 1; i < argc; i++) {
        const char* arg = args[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            printUsage(stdout);
            return 0;
        } else if (std::strcmp(arg, "--version") == 0) {
            std::printf("deadacre %s\n", DEADACRE_VERSION);
            return 0;
        } else if (std::strcmp(arg, "--windowed") == 0) {
            windowed = true;
        } else if (std::strcmp(arg, "--fps") == 0) {
            if (i + 1 >= argc) {
                return usageError("--fps needs a number from 1 to 6000, after", arg);
            }
            if (!parseFps(args[++i], &Level1::chosenFPS)) {
                return usageError("--fps takes a whole number from 1 to 6000, not", args[i]);
            }
        } else if (std::strncmp(arg, "--fps=", 6) == 0) {
            if (!parseFps(arg + 6, &Level1::chosenFPS)) {
                return usageError("--fps takes a whole number from 1 to 6000, not", arg + 6);
            }
        } else if (std::strcmp(arg, "--record") == 0 || std::strcmp(arg, "--replay") == 0) {
            if (i + 1 >= argc) {
                return usageError("a file name must follow", arg);
            }
            (std::strcmp(arg, "--record") == 0 ? record : replay) = args[++i];
        } else if (std::strcmp(arg, "--headless") == 0) {
            headless = true;
        } else if (std::strcmp(arg, "--frames") == 0) {
            frames = true;
        } else {
            return usageError("unknown option", arg);
        }
    }
    if (record != NULL && replay != NULL) {
        return usageError("--record cannot be used together with", "--replay");
    }
    if ((headless || frames) && replay == NULL) {
        return usageError("--replay FILE must come with", headless ? "--headless" : "--frames");
    }
    LaunchFolder::resolveFileArguments(argc, args);
    int early = Replay::fromCommandLine(argc, args);
    if (early >= 0) {
        return early;
    }
    Game* game = new Game(windowed);
    int status = Replay::finish(game->exitStatus);
    delete game;
    return status;
}
