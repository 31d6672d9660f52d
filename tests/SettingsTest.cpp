// The settings file: what each line sets, the one warning of each kind of bad line, and the
// file written back with everything the game did not understand kept, through a rename.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "Settings.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string freshFolder() {
    std::string folder = ::testing::TempDir() + "settings-" + std::to_string(getpid());
    EXPECT_EQ(0, system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str()));
    return folder;
}

} // namespace

TEST(SettingsTest, GoodLinesSetWhatTheySayAndTheDefaultsAreTheGameAsItPlays) {
    Settings plain;
    std::vector<std::string> warnings;
    plain.parse("", "none", &warnings);
    EXPECT_FALSE(plain.window);
    EXPECT_EQ(int{FrameClock::MOST_FPS}, plain.fps);
    EXPECT_EQ(100, plain.volume);
    EXPECT_FALSE(plain.mute || plain.pauseWhenUnfocused || plain.keepPointerInWindow ||
                 plain.desktopFullScreen);
    EXPECT_EQ(Fit::UNSCALED, plain.scale);
    EXPECT_TRUE(plain.keys.isGameOwn());

    Settings s;
    s.parse("# mine\r\n"
            "window = YES\r\n"
            "  fps=60\n"
            "volume = 0\n"
            "mute = on\n"
            "pause_when_unfocused = true\n"
            "keep_pointer_in_window = 1\n"
            "scale = 3\n"
            "fullscreen = Desktop\n"
            "walk_keys = Position\n"
            "key_walk_up = s\n" // swapped with walk down: no clash once both are read
            "key_walk_down = w\n"
            "key_reload = Left Shift\n"
            "key_pause = keypad enter\n"
            "key_mute = space\n"
            "key_damage = f12\n",
            "good.ini", &warnings);
    EXPECT_TRUE(warnings.empty()) << warnings[0];
    EXPECT_TRUE(s.window && s.mute && s.pauseWhenUnfocused && s.keepPointerInWindow);
    EXPECT_TRUE(s.desktopFullScreen);
    EXPECT_EQ(3, s.scale);
    EXPECT_EQ(60, s.fps);
    EXPECT_EQ(0, s.volume);
    EXPECT_TRUE(s.keys.byPosition);
    EXPECT_EQ(SDLK_s, s.keys.keys[KeyBindings::WALK_UP]);
    EXPECT_EQ(SDLK_w, s.keys.keys[KeyBindings::WALK_DOWN]);
    EXPECT_EQ(SDLK_LSHIFT, s.keys.keys[KeyBindings::RELOAD]);
    EXPECT_EQ(SDLK_KP_ENTER, s.keys.keys[KeyBindings::PAUSE]);
    EXPECT_EQ(SDLK_SPACE, s.keys.keys[KeyBindings::MUTE]);
    EXPECT_EQ(SDLK_F12, s.keys.keys[KeyBindings::DAMAGE]);
    EXPECT_EQ(SDLK_a, s.keys.keys[KeyBindings::WALK_LEFT]);
}

// Each bad line gives exactly one warning, naming the file, its line and what is wrong, and
// leaves its setting at the default; the lines between them still apply.
TEST(SettingsTest, EveryKindOfBadLineWarnsOnceAndKeepsTheDefault) {
    const struct {
        const char* line;
        const char* said;
    } bad[] = {
        {"window = maybe", "'maybe' is not yes or no for window"},
        {"fps = 0", "'0' is not a whole number from 1 to 6000"},
        {"fps = 6001", "'6001' is not a whole number from 1 to 6000"},
        {"fps = 60.5", "'60.5' is not a whole number"},
        {"fps = -5", "'-5' is not a whole number"},
        {"fps = 99999999999", "is not a whole number"},
        {"fps = 60 # my laptop", "'60 # my laptop' is not a whole number"},
        {"volume = 101", "'101' is not a whole number from 0 to 100"},
        {"volume = loud", "'loud' is not a whole number from 0 to 100"},
        {"volume =", "'' is not a whole number from 0 to 100"},
        {"mute = 2", "'2' is not yes or no for mute"},
        {"pause_when_unfocused = sometimes", "is not yes or no for pause_when_unfocused"},
        {"keep_pointer_in_window = y", "'y' is not yes or no for keep_pointer_in_window"},
        {"scale = 9", "'9' is not fit or a whole number from 1 to 8 for scale"},
        {"scale = 1.5", "'1.5' is not fit or a whole number from 1 to 8 for scale"},
        {"fullscreen = yes", "'yes' is not desktop or mode for fullscreen"},
        {"walk_keys = scancode", "'scancode' is not letter or position for walk_keys"},
        {"key_reload = hyperspace", "'hyperspace' is not a key this game knows (key_reload keeps"},
        {"key_pause = f11", "'f11' is not a key this game knows"},
        {"key_weapon_1 = keypad 1", "'keypad 1' always does what it does and cannot be chosen"},
        {"key_potion = w", "'w' is already the key of key_walk_up; key_potion keeps 'c'"},
        {"key_walk_right = s", "'s' is already the key of key_walk_down; key_walk_right keeps"},
        {"just some words", "'just some words' is not a 'setting = value' line"},
        {"= 5", "no setting is named before '='"},
        {"[deadacre]", "a section, '[deadacre]': this file has none"},
        {"volumee = 50", "unknown setting 'volumee' (left in the file as it is)"},
    };
    std::string text = "# every line below but the good ones is wrong\n";
    for (const auto& b : bad) {
        text += std::string(b.line) + "\n# the next line is wrong\n";
    }
    text += "key_backpack = b\n";
    Settings s;
    std::vector<std::string> warnings;
    s.parse(text, "/home/p/settings.ini", &warnings);
    ASSERT_EQ(sizeof bad / sizeof bad[0], warnings.size());
    for (size_t i = 0; i < warnings.size(); i++) {
        std::string where = "/home/p/settings.ini:" + std::to_string(2 + 2 * i) + ": ";
        EXPECT_EQ(where, warnings[i].substr(0, where.size())) << warnings[i];
        EXPECT_NE(std::string::npos, warnings[i].find(bad[i].said))
            << bad[i].line << " said: " << warnings[i];
    }
    Settings defaults;
    EXPECT_EQ(defaults.window, s.window);
    EXPECT_EQ(defaults.fps, s.fps);
    EXPECT_EQ(defaults.volume, s.volume);
    EXPECT_EQ(defaults.mute, s.mute);
    EXPECT_EQ(defaults.pauseWhenUnfocused, s.pauseWhenUnfocused);
    EXPECT_EQ(defaults.keepPointerInWindow, s.keepPointerInWindow);
    EXPECT_FALSE(s.keys.byPosition);
    for (int a = 0; a < KeyBindings::ACTIONS; a++) {
        EXPECT_EQ(a == KeyBindings::BACKPACK ? SDLK_b : KeyBindings::GAME_KEYS[a], s.keys.keys[a])
            << KeyBindings::SETTING_NAMES[a];
    }

    // A setting given twice: one warning on the second line, which counts.
    s.parse("volume = 30\nvolume = 40\n", "twice.ini", &warnings);
    ASSERT_EQ(1u, warnings.size() - sizeof bad / sizeof bad[0]);
    EXPECT_EQ("twice.ini:2: 'volume' was already set on line 1; this line counts", warnings.back());
    EXPECT_EQ(40, s.volume);
}

// Written only through a temporary file renamed over the old one: a link to the old file still
// reads the old text, and no temporary file is left. Comments, unknown and bad lines stay as
// they were, word for word, line endings and all.
TEST(SettingsTest, AChangeRewritesOnlyItsLineThroughARename) {
    std::string folder = freshFolder();
    std::string path = folder + "/deeper/still/settings.ini";
    const std::string before = "# Dead Acre\r\n"
                               "volume = 70\r\n"
                               "future_setting = shiny   \n"
                               "\n"
                               "  ; old style comment\n"
                               "mute = perhaps\n"
                               "fps = 60";
    Settings s;
    std::vector<std::string> warnings;
    std::string refusal;
    // No file yet: the defaults, no warning, and nothing written by reading.
    ASSERT_TRUE(s.load(path, &refusal, &warnings));
    EXPECT_TRUE(warnings.empty());
    EXPECT_NE(0, access(path.c_str(), F_OK));

    ASSERT_EQ(0, system(("mkdir -p '" + folder + "/deeper/still'").c_str()));
    writeFile(path, before);
    ASSERT_EQ(0, link(path.c_str(), (folder + "/old").c_str()));
    ASSERT_TRUE(s.load(path, &refusal, &warnings));
    EXPECT_EQ(2u, warnings.size()); // future_setting, mute = perhaps
    EXPECT_EQ(70, s.volume);
    s.set("volume", "80");
    s.set("mute", "yes");
    s.set("window", "yes");
    std::string error;
    ASSERT_TRUE(s.save(&error)) << error;
    EXPECT_EQ("# Dead Acre\r\nvolume = 80\nfuture_setting = shiny   \n\n  ; old style comment\n"
              "mute = yes\nfps = 60\nwindow = yes\n",
              readFile(path));
    EXPECT_EQ(before, readFile(folder + "/old"));
    EXPECT_EQ(0, system(("test $(ls -A '" + folder + "/deeper/still' | wc -l) = 1").c_str()));

    // Nowhere to write: one line naming the file and why, and the old file untouched.
    Settings blocked;
    writeFile(folder + "/plain", "a file where a folder should be");
    blocked.parse("volume = 5\n", folder + "/plain/settings.ini", &warnings);
    blocked.set("volume", "15");
    EXPECT_FALSE(blocked.save(&error));
    EXPECT_EQ("the settings cannot be kept in " + folder +
                  "/plain/settings.ini: cannot write in its folder (Not a directory)",
              error);
    // A playback keeps nothing.
    s.writable = false;
    s.set("volume", "10");
    ASSERT_TRUE(s.save(&error));
    EXPECT_NE(std::string::npos, readFile(path).find("volume = 80\n"));
}
