// The command line as main acts on it: what to do, the options, and the one line said on a
// mistake. The binary's own run of it (exit statuses, the usage) is tests/scripts/command_line.sh.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "Fit.h"

namespace {

CommandLine parse(const std::vector<const char*>& args) {
    std::vector<char*> argv = {const_cast<char*>("deadacre")};
    for (const char* arg : args) {
        argv.push_back(const_cast<char*>(arg));
    }
    return CommandLine::parse(static_cast<int>(argv.size()), argv.data());
}

} // namespace

TEST(CommandLineTest, EveryFormReadsAsTheGameActsOnIt) {
    using C = CommandLine;
    const struct {
        std::vector<const char*> args;
        C::Action action;
        const char* file; // the record or replay file
        int fps;
        bool windowed, headless, frames;
        const char* settings = "";
    } played[] = {
        {{}, C::PLAY, "", 6000, false, false, false},
        {{"--windowed", "--fps", "60"}, C::PLAY, "", 60, true, false, false},
        {{"--settings", "my.ini", "--settings=b.ini"},
         C::PLAY,
         "",
         6000,
         false,
         false,
         false,
         "b.ini"},
        {{"--fps=1", "--record", "a.dacrec"}, C::PLAY, "a.dacrec", 1, false, false, false},
        {{"--record=b", "--record=c"}, C::PLAY, "c", 6000, false, false, false},
        {{"--replay=r", "--headless", "--frames"}, C::REPLAY, "r", 6000, false, true, true},
        {{"--replay", "r", "--frames"}, C::REPLAY, "r", 6000, false, false, true},
    };
    for (const auto& r : played) {
        C got = parse(r.args);
        SCOPED_TRACE(r.file);
        EXPECT_EQ(r.action, got.action) << got.error;
        EXPECT_EQ(r.file, r.action == C::PLAY ? got.record : got.replay);
        EXPECT_EQ(r.fps, got.fps);
        EXPECT_EQ(r.windowed, got.windowed);
        EXPECT_EQ(r.headless, got.headless);
        EXPECT_EQ(r.frames, got.frames);
        EXPECT_EQ(r.settings, got.settings);
        EXPECT_EQ(r.fps != 6000, got.fpsGiven); // only then does it win over the settings file
    }

    const struct {
        std::vector<const char*> args;
        C::Action action;
        const char* error;
    } other[] = {
        {{"--windowed", "--help", "--bogus"}, C::HELP, ""},
        {{"-h"}, C::HELP, ""},
        {{"--version", "--fps=0"}, C::VERSION, ""},
        {{"--bogus", "--help"}, C::USAGE_ERROR, "unknown option '--bogus'"},
        {{"--windowed=1"}, C::USAGE_ERROR, "unknown option '--windowed=1'"},
        {{"--win"}, C::USAGE_ERROR, "unknown option '--win'"},
        {{"file"}, C::USAGE_ERROR, "unknown option 'file'"},
        {{"--fsp", "60"}, C::USAGE_ERROR, "unknown option '--fsp'"},
        {{"--fps"}, C::USAGE_ERROR, "--fps needs a number from 1 to 6000, after '--fps'"},
        {{"--fps", "--windowed"},
         C::USAGE_ERROR,
         "--fps takes a whole number from 1 to 6000, not '--windowed'"},
        {{"--scale", "0"},
         C::USAGE_ERROR,
         "--scale takes fit or a whole number from 1 to 8, not '0'"},
        {{"--scale"},
         C::USAGE_ERROR,
         "--scale needs fit or a whole number from 1 to 8, after '--scale'"},
        {{"--fullscreen=window"},
         C::USAGE_ERROR,
         "--fullscreen takes desktop or mode, not 'window'"},
        {{"--fps="}, C::USAGE_ERROR, "--fps takes a whole number from 1 to 6000, not ''"},
        {{"--fps=6001"}, C::USAGE_ERROR, "--fps takes a whole number from 1 to 6000, not '6001'"},
        {{"--fps", "+5"}, C::USAGE_ERROR, "--fps takes a whole number from 1 to 6000, not '+5'"},
        {{"--replay"}, C::USAGE_ERROR, "a file name must follow '--replay'"},
        {{"--settings="}, C::USAGE_ERROR, "a file name must follow '--settings'"},
        {{"--record="}, C::USAGE_ERROR, "a file name must follow '--record'"},
        {{"--record", "a", "--replay=b"},
         C::USAGE_ERROR,
         "--record cannot be used together with '--replay'"},
        {{"--headless"}, C::USAGE_ERROR, "--replay FILE must come with '--headless'"},
        {{"--record", "a", "--frames"}, C::USAGE_ERROR, "--replay FILE must come with '--frames'"},
    };
    // The presentation: a scaled window, full screen at the desktop's size or in the game's mode.
    const struct {
        std::vector<const char*> args;
        int scale;
        bool fullscreenGiven, desktop;
    } shown[] = {
        {{}, Fit::UNSCALED, false, false},
        {{"--scale", "fit"}, Fit::FIT, false, false},
        {{"--scale=8", "--fullscreen", "desktop"}, 8, true, true},
        {{"--fullscreen=mode"}, Fit::UNSCALED, true, false},
    };
    for (const auto& r : shown) {
        C got = parse(r.args);
        EXPECT_EQ(C::PLAY, got.action) << got.error;
        EXPECT_EQ(r.scale, got.scale);
        EXPECT_EQ(r.fullscreenGiven, got.fullscreenGiven);
        EXPECT_EQ(r.desktop, got.desktopFullScreen);
    }
    for (const auto& r : other) {
        C got = parse(r.args);
        SCOPED_TRACE(r.error);
        EXPECT_EQ(r.action, got.action);
        EXPECT_EQ(r.error, got.error);
    }
}
