#include "Settings.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "DataFile.h"

namespace {

std::string trim(const std::string& s) {
    size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return "";
    }
    size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

std::string lowered(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

// A whole decimal number from low to high, nothing else.
bool parseNumber(const std::string& text, int low, int high, int* to) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    int value = std::atoi(text.c_str());
    if (value < low || value > high) {
        return false;
    }
    *to = value;
    return true;
}

bool parseYesNo(const std::string& text, bool* to) {
    std::string v = lowered(text);
    if (v == "yes" || v == "true" || v == "on" || v == "1") {
        *to = true;
    } else if (v == "no" || v == "false" || v == "off" || v == "0") {
        *to = false;
    } else {
        return false;
    }
    return true;
}

int actionNamed(const std::string& key) {
    for (int a = 0; a < KeyBindings::ACTIONS; a++) {
        if (key == KeyBindings::SETTING_NAMES[a]) {
            return a;
        }
    }
    return -1;
}

// mkdir -p, the folders made private as ~/.config is.
bool makeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

} // namespace

std::string Settings::defaultPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // XDG has a relative path ignored.
    if (config != NULL && config[0] == '/') {
        return std::string(config) + "/deadacre/settings.ini";
    }
    const char* home = std::getenv("HOME");
    if (home != NULL && home[0] != '\0') {
        return std::string(home) + "/.config/deadacre/settings.ini";
    }
    return "";
}

std::string Settings::defaultPathShown() {
    std::string path = defaultPath();
    return path.empty() ? "$XDG_CONFIG_HOME/deadacre/settings.ini (neither it nor HOME is set)"
                        : path;
}

Settings& Settings::game() {
    static Settings settings;
    return settings;
}

bool Settings::load(const std::string& from, std::string* refusal,
                    std::vector<std::string>* warnings) {
    path = from;
#ifdef __EMSCRIPTEN__
    // The page keeps the file in its storage; the game reads and writes it in its own memory.
    EM_ASM(
        {
            try {
                var text = localStorage.getItem('deadacre-settings');
                if (text) {
                    var path = UTF8ToString($0);
                    FS.mkdirTree(path.substring(0, path.lastIndexOf('/')));
                    FS.writeFile(path, text);
                }
            } catch (e) {
                console.log('deadacre: the storage of the page cannot be read: ' + e);
            }
        },
        from.c_str());
#endif
    // A pipe or a device in its place must not block the game's start.
    std::vector<Uint8> bytes;
    std::string why;
    int error = 0;
    if (!DataFile::readWhole(from, MOST_BYTES, &bytes, &why, &error)) {
        if (error == ENOENT) {
            return true; // no settings yet: the game's own, and a file once something changes
        }
        if (why.compare(0, 12, "larger than ") == 0) {
            why = "larger than 64 KiB";
        }
        // What the player keeps there is theirs: it is never written over.
        *refusal = why.compare(0, 3, "it ") == 0 ? why.substr(3) : "cannot be read: " + why;
        writable = false;
        return false;
    }
    std::string text(bytes.begin(), bytes.end());
    if (text.find('\0') != std::string::npos) {
        *refusal = "is not a text file";
        writable = false;
        return false;
    }
    parse(text, from, warnings);
    return true;
}

void Settings::parse(const std::string& text, const std::string& name,
                     std::vector<std::string>* warnings) {
    *this = Settings();
    path = name;
    std::vector<std::pair<int, std::string>> found;
    int keyLine[KeyBindings::ACTIONS];
    std::fill(std::begin(keyLine), std::end(keyLine), 0);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i < lines.size(); i++) {
        int number = static_cast<int>(i) + 1;
        std::vector<std::string> problems;
        std::string line = trim(lines[i]);
        size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        } else if (line[0] == '[') {
            problems.push_back("a section, '" + line +
                               "': this file has none, the line is ignored");
        } else if (equals == std::string::npos) {
            problems.push_back("'" + line + "' is not a 'setting = value' line");
        } else if (trim(line.substr(0, equals)).empty()) {
            problems.push_back("no setting is named before '='");
        } else {
            std::string key = trim(line.substr(0, equals));
            std::string value = trim(line.substr(equals + 1));
            std::string twice;
            for (auto& seen : setAt) {
                if (seen.first == key) {
                    twice = "'" + key + "' was already set on line " +
                            std::to_string(seen.second + 1) + "; this line counts";
                }
            }
            apply(key, value, number, &problems);
            int action = actionNamed(key);
            if (action >= 0 && problems.empty()) {
                keyLine[action] = number;
            }
            if (problems.empty() && !twice.empty()) {
                problems.push_back(twice);
            }
        }
        for (const std::string& problem : problems) {
            found.push_back({number, problem});
        }
    }
    // Two actions on one key: the later line gives way, and its action keeps its own key (which
    // may in turn meet a later choice).
    for (bool clash = true; clash;) {
        clash = false;
        for (int a = 0; a < KeyBindings::ACTIONS && !clash; a++) {
            for (int b = a + 1; b < KeyBindings::ACTIONS && !clash; b++) {
                if (keys.keys[a] != keys.keys[b]) {
                    continue;
                }
                clash = true;
                int loser = keyLine[a] > keyLine[b] ? a : b;
                int other = loser == a ? b : a;
                found.push_back(
                    {keyLine[loser], "'" + KeyBindings::nameOf(keys.keys[loser]) +
                                         "' is already the key of " +
                                         KeyBindings::SETTING_NAMES[other] + "; " +
                                         KeyBindings::SETTING_NAMES[loser] + " keeps '" +
                                         KeyBindings::nameOf(KeyBindings::GAME_KEYS[loser]) + "'"});
                keys.keys[loser] = KeyBindings::GAME_KEYS[loser];
                keyLine[loser] = 0;
            }
        }
    }
    // In the order of the file, as the player reads it.
    std::stable_sort(found.begin(), found.end(),
                     [](const std::pair<int, std::string>& a,
                        const std::pair<int, std::string>& b) { return a.first < b.first; });
    for (const auto& problem : found) {
        warnings->push_back(name + ":" + std::to_string(problem.first) + ": " + problem.second);
    }
}

void Settings::apply(const std::string& key, const std::string& value, int line,
                     std::vector<std::string>* problems) {
    bool known = true, good = true;
    std::string range;
    if (key == "window") {
        good = parseYesNo(value, &window);
        range = "yes or no";
    } else if (key == "fps") {
        good = parseNumber(value, 1, FrameClock::MOST_FPS, &fps);
        range = "a whole number from 1 to " + std::to_string(FrameClock::MOST_FPS);
    } else if (key == "volume") {
        good = parseNumber(value, 0, 100, &volume);
        range = "a whole number from 0 to 100";
    } else if (key == "mute") {
        good = parseYesNo(value, &mute);
        range = "yes or no";
    } else if (key == "pause_when_unfocused") {
        good = parseYesNo(value, &pauseWhenUnfocused);
        range = "yes or no";
    } else if (key == "keep_pointer_in_window") {
        good = parseYesNo(value, &keepPointerInWindow);
        range = "yes or no";
    } else if (key == "scale") {
        good = Fit::readScale(lowered(value), &scale);
        range = "fit or a whole number from 1 to " + std::to_string(Fit::MOST_SCALE);
    } else if (key == "fullscreen") {
        good = lowered(value) == "desktop" || lowered(value) == "mode";
        desktopFullScreen = good ? lowered(value) == "desktop" : desktopFullScreen;
        range = "desktop or mode";
    } else if (key == "walk_keys") {
        std::string v = lowered(value);
        good = v == "letter" || v == "position";
        keys.byPosition = good ? v == "position" : keys.byPosition;
        range = "letter or position";
    } else if (actionNamed(key) >= 0) {
        int action = actionNamed(key);
        SDLKey chosen = KeyBindings::keyNamed(value);
        if (chosen == SDLK_UNKNOWN) {
            problems->push_back("'" + value + "' is not a key this game knows (" + key +
                                " keeps '" + KeyBindings::nameOf(KeyBindings::GAME_KEYS[action]) +
                                "')");
            return;
        }
        if (KeyBindings::isTwin(chosen)) {
            problems->push_back("'" + value + "' always does what it does and cannot be chosen (" +
                                key + " keeps '" +
                                KeyBindings::nameOf(KeyBindings::GAME_KEYS[action]) + "')");
            return;
        }
        keys.keys[action] = chosen;
    } else {
        known = false;
        problems->push_back("unknown setting '" + key + "' (left in the file as it is)");
    }
    if (!good) {
        problems->push_back("'" + value + "' is not " + range + " for " + key +
                            "; it keeps its default");
    }
    if (known || !good) {
        setAt.push_back({key, static_cast<size_t>(line - 1)});
    }
}

std::string Settings::text() const {
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\n";
    }
    return out;
}

void Settings::set(const std::string& key, const std::string& value) {
    std::string line = key + " = " + value;
    bool found = false;
    for (auto it = setAt.rbegin(); it != setAt.rend() && !found; ++it) {
        if (it->first == key) {
            lines[it->second] = line;
            found = true;
        }
    }
    if (!found) {
        setAt.push_back({key, lines.size()});
        lines.push_back(line);
    }
}

bool Settings::save(std::string* error) {
    if (!writable || path.empty()) {
        return true;
    }
    // A link to the settings is kept a link: the file it names is the one replaced.
    std::string target = path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != NULL) {
        target = resolved;
    }
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    std::string temporary = target + ".part-XXXXXX";
    std::string body = text();
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    int fd = -1;
    const char* failed = nullptr;
    int why = 0;
    if (!makeFolders(folder)) {
        failed = "cannot make its folder";
    } else if ((fd = mkstemp(name.data())) < 0) {
        failed = "cannot write in its folder";
    }
    if (failed == nullptr) {
        struct stat before;
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, stat(target.c_str(), &before) == 0 ? before.st_mode & 07777 : 0666 & ~mask);
        size_t done = 0;
        while (done < body.size()) {
            ssize_t wrote = write(fd, body.data() + done, body.size() - done);
            if (wrote <= 0) {
                break;
            }
            done += static_cast<size_t>(wrote);
        }
        if (done < body.size() || fsync(fd) != 0) {
            failed = "cannot write it";
        }
        why = errno;
        if (close(fd) != 0 && failed == nullptr) {
            failed = "cannot write it";
            why = errno;
        }
        if (failed == nullptr && rename(name.data(), target.c_str()) != 0) {
            failed = "cannot put it in place";
            why = errno;
        }
        if (failed != nullptr) {
            unlink(name.data());
        }
    } else {
        why = errno;
    }
#ifdef __EMSCRIPTEN__
    if (failed == nullptr) {
        int stored = EM_ASM_INT(
            {
                try {
                    localStorage.setItem('deadacre-settings', UTF8ToString($0));
                    return 1;
                } catch (e) {
                    return 0;
                }
            },
            body.c_str());
        if (!stored) {
            failed = "the page's storage refused it";
        }
    }
#endif
    if (failed != nullptr) {
        *error = "the settings cannot be kept in " + path + ": " + failed + " (" +
                 std::strerror(why) + ")";
        return false;
    }
    return true;
}
