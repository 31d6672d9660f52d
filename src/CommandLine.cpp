#include "CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Fit.h"
#include "FrameClock.h"
#include "Settings.h"

#ifndef DEADACRE_VERSION
#define DEADACRE_VERSION "unknown"
#endif

namespace {

const std::string FPS_RANGE = "1 to " + std::to_string(FrameClock::MOST_FPS);

// A whole decimal number in 1..MOST_FPS, nothing else.
bool parseFps(const std::string& text, int* fps) {
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > FrameClock::MOST_FPS) {
        return false;
    }
    *fps = static_cast<int>(value);
    return true;
}

bool flag(bool* set) { return *set = true; }

bool answer(CommandLine* line, CommandLine::Action action) {
    line->action = action;
    return true;
}

// A file named on the command line: an empty name would leave a recording nowhere the player
// could find it.
bool fileName(const std::string& value, std::string* to) {
    *to = value;
    return !value.empty();
}

// One option: its name, what follows it in the usage (null: nothing follows), what is said when
// no value follows or the value is refused ("'<value>'" is added), its help, and what it does.
// The help may go on over several lines with '\n'.
struct Option {
    const char* name;
    const char* value;
    std::string missing, refused;
    std::string help; // empty: not listed (a second name, or told in another's help)
    // Takes the value into line; false when the value is refused.
    bool (*take)(CommandLine& line, const std::string& value);
};

const Option OPTIONS[] = {
    {"--windowed", nullptr, "", "", "play in a 1080x720 window instead of full screen",
     [](CommandLine& line, const std::string&) { return flag(&line.windowed); }},
    {"--scale", "N", "--scale needs fit or a whole number from 1 to 8, after",
     "--scale takes fit or a whole number from 1 to 8, not",
     "play in a window N times 1080x720, or with fit the largest\nthat fits the screen; the "
     "window can be resized",
     [](CommandLine& line, const std::string& value) {
         return Fit::readScale(value, &line.scale);
     }},
    {"--fullscreen", "WHAT", "--fullscreen needs desktop or mode, after",
     "--fullscreen takes desktop or mode, not",
     "full screen at the desktop's own size, the picture scaled\nto fit (desktop), or in the "
     "game's 1080x720 mode (mode)",
     [](CommandLine& line, const std::string& value) {
         line.desktopFullScreen = value == "desktop";
         return line.fullscreenGiven = value == "desktop" || value == "mode";
     }},
    {"--fps", "N", "--fps needs a number from " + FPS_RANGE + ", after",
     "--fps takes a whole number from " + FPS_RANGE + ", not",
     "let the level draw at most N frames a second, " + FPS_RANGE + "\n(default " +
         std::to_string(FrameClock::MOST_FPS) + ": it never waits and keeps a processor busy)",
     [](CommandLine& line, const std::string& value) {
         return line.fpsGiven = parseFps(value, &line.fps);
     }},
    {"--settings", "FILE", "a file name must follow", "a file name must follow",
     "read and keep the settings in FILE instead of the\nsettings file named above",
     [](CommandLine& line, const std::string& value) { return fileName(value, &line.settings); }},
    {"--record", "FILE", "a file name must follow", "a file name must follow",
     "write the game, pass by pass, to FILE as it is played",
     [](CommandLine& line, const std::string& value) { return fileName(value, &line.record); }},
    {"--replay", "FILE", "a file name must follow", "a file name must follow",
     "play a recorded game back; the right button stops it",
     [](CommandLine& line, const std::string& value) { return fileName(value, &line.replay); }},
    {"--headless", nullptr, "", "",
     "with --replay: play it back unseen, as fast as it goes, and\n"
     "print the checksums of its end (--frames: of every pass)",
     [](CommandLine& line, const std::string&) { return flag(&line.headless); }},
    {"--frames", nullptr, "", "", "",
     [](CommandLine& line, const std::string&) { return flag(&line.frames); }},
    {"--help", nullptr, "", "", "show this help and exit",
     [](CommandLine& line, const std::string&) { return answer(&line, CommandLine::HELP); }},
    {"-h", nullptr, "", "", "",
     [](CommandLine& line, const std::string&) { return answer(&line, CommandLine::HELP); }},
    {"--version", nullptr, "", "", "show the version and exit",
     [](CommandLine& line, const std::string&) { return answer(&line, CommandLine::VERSION); }},
};

CommandLine refused(const std::string& what, const std::string& arg) {
    CommandLine line;
    line.action = CommandLine::USAGE_ERROR;
    line.error = what + " '" + arg + "'";
    return line;
}

} // namespace

CommandLine CommandLine::parse(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        size_t equals = arg.compare(0, 2, "--") == 0 ? arg.find('=') : std::string::npos;
        std::string name = arg.substr(0, equals);
        const Option* option = nullptr;
        for (const Option& o : OPTIONS) {
            if (name == o.name) {
                option = &o;
            }
        }
        if (option == nullptr || (equals != std::string::npos && option->value == nullptr)) {
            return refused("unknown option", arg);
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (option->value != nullptr) {
            if (i + 1 >= argc) {
                return refused(option->missing, arg);
            }
            value = argv[++i];
        }
        if (!option->take(line, value)) {
            // An empty file name is refused as a missing one is, naming the option.
            bool asMissing = value.empty() && option->refused == option->missing;
            return refused(option->refused, asMissing ? name : value);
        }
        if (line.action == HELP || line.action == VERSION) {
            CommandLine answer;
            answer.action = line.action;
            return answer;
        }
    }
    if (!line.record.empty() && !line.replay.empty()) {
        return refused("--record cannot be used together with", "--replay");
    }
    if ((line.headless || line.frames) && line.replay.empty()) {
        return refused("--replay FILE must come with", line.headless ? "--headless" : "--frames");
    }
    line.action = line.replay.empty() ? PLAY : REPLAY;
    return line;
}

void CommandLine::printSynopsis(FILE* to) {
    std::fprintf(to, "Usage: deadacre [--windowed] [--scale N] [--fullscreen WHAT] [--fps N] "
                     "[--settings FILE] [--record FILE | --replay FILE [--headless [--frames]]]\n");
}

void CommandLine::printUsage(FILE* to) {
    std::fprintf(to,
                 "Usage: deadacre [--windowed] [--scale N] [--fullscreen WHAT] [--fps N]\n"
                 "                [--record FILE] [--settings FILE]\n"
                 "       deadacre --replay FILE [--headless [--frames]]\n"
                 "       deadacre --help | --version\n"
                 "\n"
                 "Dead Acre, a top-down action game. Walk with W A S D, aim with the mouse, fire\n"
                 "with the left button; 1, 2, 3 take a weapon you have picked up into hand; the\n"
                 "right button leaves the game. Alt+Enter or F11 switches between full screen\n"
                 "and a window. P or Pause pauses and plays on; M mutes, - and + set the volume.\n"
                 "\n"
                 "Settings (window, scale, fullscreen, fps, volume, mute, pause_when_unfocused,\n"
                 "keep_pointer_in_window, walk_keys, a key_... line for each action) are kept in\n"
                 "%s\n"
                 "\n"
                 "Gamepad: left stick walk, right stick aim, right trigger or shoulder fire,\n"
                 "X reload, Y backpack, B potion, d-pad left/up/right weapons 1/2/3, Back leave,\n"
                 "Start pause.\n"
                 "\n",
                 Settings::defaultPathShown().c_str());
    // Every option with its help, the help's lines aligned in one column two spaces past the
    // longest option.
    auto headOf = [](const Option& option) {
        std::string head = std::string("  ") + option.name;
        return option.value != nullptr ? head + " " + option.value : head;
    };
    size_t column = 0;
    for (const Option& option : OPTIONS) {
        column = option.help.empty() ? column : std::max(column, headOf(option).size() + 2);
    }
    for (const Option& option : OPTIONS) {
        if (option.help.empty()) {
            continue;
        }
        std::string head = headOf(option);
        std::string help = option.help;
        for (size_t start = 0; start < help.size();) {
            size_t end = help.find('\n', start);
            end = end == std::string::npos ? help.size() : end;
            std::fprintf(to, "%-*s%s\n", static_cast<int>(column), head.c_str(),
                         help.substr(start, end - start).c_str());
            head.clear();
            start = end + 1;
        }
    }
}

const char* CommandLine::version() { return DEADACRE_VERSION; }
