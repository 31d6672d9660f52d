#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Fit.h"
#include "Game.h"
#include "KeyBindings.h"
#include "LaunchFolder.h"
#include "Level1.h"
#include "QuitSignal.h"
#include "Replay.h"
#include "Settings.h"
#include "VideoMode.h"
#include "Volume.h"

// The settings file, then what the command line said over it. A playback only shows what was
// played: it keeps nothing the viewer changes.
static void useSettings(CommandLine* options) {
    Settings& settings = Settings::game();
    std::string path = options->settings.empty() ? Settings::defaultPath()
                                                 : LaunchFolder::resolve(options->settings);
    std::string refusal;
    std::vector<std::string> warnings;
    if (!path.empty() && !settings.load(path, &refusal, &warnings)) {
        std::fprintf(stderr,
                     "deadacre: the settings file %s %s: playing with the default settings\n",
                     path.c_str(), refusal.c_str());
    }
    // A file of nothing but bad lines says enough in its first few.
    const size_t mostWarnings = 20;
    for (size_t i = 0; i < warnings.size() && i < mostWarnings; i++) {
        std::fprintf(stderr, "deadacre: %s\n", warnings[i].c_str());
    }
    if (warnings.size() > mostWarnings) {
        std::fprintf(stderr, "deadacre: %s: %zu more bad lines not shown\n", path.c_str(),
                     warnings.size() - mostWarnings);
    }
    settings.writable = settings.writable && options->action == CommandLine::PLAY;
    // Asked on the command line, a scale means a window and --fullscreen full screen; either
    // wins over the file's window.
    if (!options->windowed && !options->fullscreenGiven) {
        options->windowed = options->scale != Fit::UNSCALED || settings.window;
    }
    VideoMode::scale = options->scale != Fit::UNSCALED ? options->scale : settings.scale;
    VideoMode::desktopFullScreen =
        options->fullscreenGiven ? options->desktopFullScreen : settings.desktopFullScreen;
    if (!options->fpsGiven) {
        options->fps = settings.fps;
    }
    Volume::level = settings.volume;
    Volume::muted = settings.mute;
    if (options->action == CommandLine::PLAY) {
        KeyBindings::use(settings.keys);
        VideoMode::keepPointerInWindow = settings.keepPointerInWindow;
        VideoMode::reportFocus = settings.pauseWhenUnfocused;
    }
}

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
    // A headless playback hears and shows nothing the settings could change.
    if (!(options.action == CommandLine::REPLAY && options.headless)) {
        useSettings(&options);
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
