#include "CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifndef DEADACRE_VERSION
#define DEADACRE_VERSION "unknown"
#endif

namespace {

enum Id { SHOW_HELP, SHOW_VERSION, WINDOWED, FPS, RECORD_TO, REPLAY_FROM, HEADLESS, FRAMES };

struct Option {
    const char* name;
    Id id;
    // Options that take a value: what is said when none follows; null for the others.
    const char* missing;
};

const Option OPTIONS[] = {
    {"--help", SHOW_HELP, nullptr},
    {"-h", SHOW_HELP, nullptr},
    {"--version", SHOW_VERSION, nullptr},
    {"--windowed", WINDOWED, nullptr},
    {"--fps", FPS, "--fps needs a number from 1 to 6000, after"},
    {"--record", RECORD_TO, "a file name must follow"},
    {"--replay", REPLAY_FROM, "a file name must follow"},
    {"--headless", HEADLESS, nullptr},
    {"--frames", FRAMES, nullptr},
};

// A whole decimal number in 1..6000, nothing else.
bool parseFps(const std::string& text, int* fps) {
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > 6000) {
        return false;
    }
    *fps = static_cast<int>(value);
    return true;
}

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
        if (option == nullptr || (equals != std::string::npos && option->missing == nullptr)) {
            return refused("unknown option", arg);
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (option->missing != nullptr) {
            if (i + 1 >= argc) {
                return refused(option->missing, arg);
            }
            value = argv[++i];
        }
        switch (option->id) {
        case SHOW_HELP:
        case SHOW_VERSION: {
            CommandLine answer;
            answer.action = option->id == SHOW_HELP ? HELP : VERSION;
            return answer;
        }
        case WINDOWED:
            line.windowed = true;
            break;
        case FPS:
            if (!parseFps(value, &line.fps)) {
                return refused("--fps takes a whole number from 1 to 6000, not", value);
            }
            break;
        case RECORD_TO:
        case REPLAY_FROM:
            // An empty name would leave the recording nowhere the player could find it.
            if (value.empty()) {
                return refused(option->missing, name);
            }
            (option->id == RECORD_TO ? line.record : line.replay) = value;
            break;
        case HEADLESS:
            line.headless = true;
            break;
        case FRAMES:
            line.frames = true;
            break;
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
    std::fprintf(to, "Usage: deadacre [--windowed] [--fps N] [--record FILE | --replay FILE "
                     "[--headless [--frames]]]\n");
}

void CommandLine::printUsage(FILE* to) {
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

const char* CommandLine::version() { return DEADACRE_VERSION; }
