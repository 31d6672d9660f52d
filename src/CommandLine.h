#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <cstdio>
#include <string>

#include "Fit.h"
#include "FrameClock.h"

// What the player asked for on the command line, read once; main only acts on it. Every option
// that takes a value takes it as the next argument or after '='.
class CommandLine {
public:
    enum Action { PLAY, REPLAY, HELP, VERSION, USAGE_ERROR };

    static CommandLine parse(int argc, char** argv);
    static void printUsage(FILE* to);
    // The usage in one line, for under an error.
    static void printSynopsis(FILE* to);
    // Also written into every recording's header.
    static const char* version();

    Action action = PLAY;
    // With USAGE_ERROR: what is wrong, one line without the program's name.
    std::string error;
    bool windowed = false;
    // --scale: Fit::FIT or a whole multiple (Fit::UNSCALED when not given); --fullscreen: the
    // desktop's size (desktop) or the game's own mode (mode), when given.
    int scale = Fit::UNSCALED;
    bool fullscreenGiven = false, desktopFullScreen = false;
    int fps = FrameClock::MOST_FPS;
    // Whether --fps was given, which then wins over the settings file.
    bool fpsGiven = false;
    // --settings FILE: read and written instead of the usual settings file.
    std::string settings;
    std::string record, replay;
    bool headless = false, frames = false;
};

#endif
