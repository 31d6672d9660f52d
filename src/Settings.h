#ifndef SETTINGS_H
#define SETTINGS_H

#include <string>
#include <vector>

#include "Fit.h"
#include "FrameClock.h"
#include "KeyBindings.h"

// The player's settings file: `key = value` lines and `#` comments, read once at the start and
// written back only when the player changes something while playing. Every line the game does
// not understand, and every comment, is written back as it stood, so a newer game's settings
// survive an older one. A bad line costs one warning and leaves its setting at the default.
class Settings {
public:
    // What the settings hold; the defaults are the game as it plays without a file.
    bool window = false;
    int fps = FrameClock::MOST_FPS;
    int volume = 100;
    bool mute = false;
    bool pauseWhenUnfocused = false;
    bool keepPointerInWindow = false;
    // The scaled window (Fit::FIT or a whole multiple); full screen at the desktop's size.
    int scale = Fit::UNSCALED;
    bool desktopFullScreen = false;
    KeyBindings::Map keys;

    // $XDG_CONFIG_HOME/deadacre/settings.ini, else ~/.config/deadacre/settings.ini (empty when
    // neither variable says where).
    static std::string defaultPath();
    // The same for the player to read, saying so when there is none.
    static std::string defaultPathShown();
    // Larger files are refused: nobody writes this much by hand, and reading a huge one would
    // only delay the game.
    static const long MOST_BYTES = 64 * 1024;

    // Reads path: false, with one line in refusal, when the file is there but is not a regular
    // file, cannot be read, is too large or is not text; a missing file is no refusal. Each bad
    // line adds one warning ("<path>:<line>: <what>").
    bool load(const std::string& path, std::string* refusal, std::vector<std::string>* warnings);
    // The same over text in memory, whose lines are named as `name`.
    void parse(const std::string& text, const std::string& name,
               std::vector<std::string>* warnings);

    // The player changed a setting: its line takes the new value (a new line if it had none).
    void set(const std::string& key, const std::string& value);
    // Writes the file, through a temporary file beside it renamed over it, so that a crash or a
    // full disk never leaves half a file. False, with one line in error, when it could not be
    // kept; nothing is written while not writable (a playback, a refused file).
    bool save(std::string* error);
    // The file's text as it would be written now.
    std::string text() const;

    std::string path;
    bool writable = true;

    // The game's settings, as main read them.
    static Settings& game();

private:
    void apply(const std::string& key, const std::string& value, int line,
               std::vector<std::string>* problems);
    std::vector<std::string> lines;
    // The line each setting was last read from (index into lines), for writing it back there.
    std::vector<std::pair<std::string, size_t>> setAt;
};

#endif
