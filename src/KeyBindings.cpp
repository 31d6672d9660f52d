#include "KeyBindings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

const SDLKey KeyBindings::GAME_KEYS[ACTIONS] = {
    SDLK_w, SDLK_a, SDLK_s,     SDLK_d, SDLK_r, SDLK_t,     SDLK_c,      SDLK_1,
    SDLK_2, SDLK_3, SDLK_SPACE, SDLK_p, SDLK_m, SDLK_MINUS, SDLK_EQUALS,
};

const char* const KeyBindings::SETTING_NAMES[ACTIONS] = {
    "key_walk_up",  "key_walk_left", "key_walk_down", "key_walk_right",  "key_reload",
    "key_backpack", "key_potion",    "key_weapon_1",  "key_weapon_2",    "key_weapon_3",
    "key_damage",   "key_pause",     "key_mute",      "key_volume_down", "key_volume_up",
};

namespace {

struct NamedKey {
    const char* name;
    SDLKey key;
};

// Named as SDL 1.2 names them, so a player who looks a name up finds the same; the table is the
// game's own because SDL knows its names only once the display is open, after the settings.
std::vector<NamedKey> buildNames() {
    std::vector<NamedKey> names;
    static char letters[26][2], digits[10][2], functions[12][4], keypad[10][9];
    for (int i = 0; i < 26; i++) {
        letters[i][0] = static_cast<char>('a' + i);
        names.push_back({letters[i], static_cast<SDLKey>(SDLK_a + i)});
    }
    for (int i = 0; i < 10; i++) {
        digits[i][0] = static_cast<char>('0' + i);
        names.push_back({digits[i], static_cast<SDLKey>(SDLK_0 + i)});
        std::snprintf(keypad[i], sizeof keypad[i], "keypad %d", i);
        names.push_back({keypad[i], static_cast<SDLKey>(SDLK_KP0 + i)});
    }
    // F11 switches full screen, F13 to F15 stand for other things: none is offered.
    for (int i = 0; i < 10; i++) {
        std::snprintf(functions[i], sizeof functions[i], "f%d", i + 1);
        names.push_back({functions[i], static_cast<SDLKey>(SDLK_F1 + i)});
    }
    names.push_back({"f12", SDLK_F12});
    const NamedKey others[] = {
        {"space", SDLK_SPACE},
        {"tab", SDLK_TAB},
        {"return", SDLK_RETURN},
        {"backspace", SDLK_BACKSPACE},
        {"escape", SDLK_ESCAPE},
        {"up", SDLK_UP},
        {"down", SDLK_DOWN},
        {"left", SDLK_LEFT},
        {"right", SDLK_RIGHT},
        {"insert", SDLK_INSERT},
        {"delete", SDLK_DELETE},
        {"home", SDLK_HOME},
        {"end", SDLK_END},
        {"page up", SDLK_PAGEUP},
        {"page down", SDLK_PAGEDOWN},
        {"left shift", SDLK_LSHIFT},
        {"right shift", SDLK_RSHIFT},
        {"left ctrl", SDLK_LCTRL},
        {"right ctrl", SDLK_RCTRL},
        {"left alt", SDLK_LALT},
        {"right alt", SDLK_RALT},
        {"pause", SDLK_PAUSE},
        {"-", SDLK_MINUS},
        {"=", SDLK_EQUALS},
        {"[", SDLK_LEFTBRACKET},
        {"]", SDLK_RIGHTBRACKET},
        {";", SDLK_SEMICOLON},
        {"'", SDLK_QUOTE},
        {",", SDLK_COMMA},
        {".", SDLK_PERIOD},
        {"/", SDLK_SLASH},
        {"\\", SDLK_BACKSLASH},
        {"`", SDLK_BACKQUOTE},
        {"+", SDLK_PLUS},
        {"keypad -", SDLK_KP_MINUS},
        {"keypad +", SDLK_KP_PLUS},
        {"keypad *", SDLK_KP_MULTIPLY},
        {"keypad /", SDLK_KP_DIVIDE},
        {"keypad .", SDLK_KP_PERIOD},
        {"keypad enter", SDLK_KP_ENTER},
    };
    names.insert(names.end(), std::begin(others), std::end(others));
    return names;
}

const std::vector<NamedKey>& keyNames() {
    static const std::vector<NamedKey> names = buildNames();
    return names;
}

const SDLKey TWINS[] = {SDLK_KP1,      SDLK_AMPERSAND, SDLK_KP2,      SDLK_WORLD_73, SDLK_KP3,
                        SDLK_QUOTEDBL, SDLK_PAUSE,     SDLK_KP_MINUS, SDLK_KP_PLUS,  SDLK_PLUS};

// The key-state array's length: SDL 1.2's, and the browser's SDL's, whose keys past it (SDL 2's
// numbers with bit 30 set) are read from events only.
#ifdef __EMSCRIPTEN__
const size_t KEY_SLOTS = 0x10000;
#else
const size_t KEY_SLOTS = SDLK_LAST;
#endif
size_t slot(SDLKey key) { return static_cast<size_t>(key) < KEY_SLOTS ? key : 0; }

KeyBindings::Map chosen;
bool gameOwn = true;
Uint8 rebuilt[KEY_SLOTS];
// The walking keys held by their place, by action.
bool heldByPlace[4];

} // namespace

bool KeyBindings::isTwin(SDLKey key) {
    return std::find(std::begin(TWINS), std::end(TWINS), key) != std::end(TWINS);
}

KeyBindings::Map::Map() { std::copy(std::begin(GAME_KEYS), std::end(GAME_KEYS), keys); }

bool KeyBindings::Map::isGameOwn() const {
    return !byPosition && std::equal(std::begin(GAME_KEYS), std::end(GAME_KEYS), keys);
}

void KeyBindings::use(const Map& map) {
    chosen = map;
    gameOwn = map.isGameOwn();
    std::memset(heldByPlace, 0, sizeof heldByPlace);
    refresh();
}

const KeyBindings::Map& KeyBindings::current() { return chosen; }

bool KeyBindings::translate(SDL_Event* event) {
    if (event->type != SDL_KEYDOWN && event->type != SDL_KEYUP) {
        return true;
    }
    SDL_keysym& keysym = event->key.keysym;
#ifdef __EMSCRIPTEN__
    // The browser's SDL passes on Chrome's codes of the minus and equals keys as they are.
    if (keysym.sym == 189 || keysym.sym == 187) {
        keysym.sym = keysym.sym == 189 ? SDLK_MINUS : SDLK_EQUALS;
    }
#endif
    if (keysym.scancode == 0) {
        return true;
    }
    if (keysym.sym == FOCUS_LOST || keysym.sym == FOCUS_BACK) {
        return false;
    }
    if (gameOwn) {
        return true;
    }
    bool down = event->type == SDL_KEYDOWN;
    if (chosen.byPosition) {
        for (int a = WALK_UP; a <= WALK_RIGHT; a++) {
            Uint8 place = placeOf(chosen.keys[a]);
            if (place != 0 && place == keysym.scancode) {
                heldByPlace[a] = down;
                keysym.sym = GAME_KEYS[a];
                return true;
            }
        }
    }
    for (int a = 0; a < ACTIONS; a++) {
        if (chosen.byPosition && a <= WALK_RIGHT && placeOf(chosen.keys[a]) != 0) {
            continue; // walks only by its place
        }
        if (keysym.sym == chosen.keys[a]) {
            keysym.sym = GAME_KEYS[a];
            return true;
        }
    }
    // A game key the player gave away does nothing now.
    return std::find(std::begin(GAME_KEYS), std::end(GAME_KEYS), keysym.sym) == std::end(GAME_KEYS);
}

void KeyBindings::focusChanged(bool gained) {
    if (!gained) {
        std::memset(heldByPlace, 0, sizeof heldByPlace);
    }
}

Uint8* KeyBindings::gameKeys() { return gameOwn ? SDL_GetKeyState(NULL) : rebuilt; }

void KeyBindings::refresh() {
    if (gameOwn) {
        return;
    }
    const Uint8* sdl = SDL_GetKeyState(NULL);
    std::memcpy(rebuilt, sdl, sizeof rebuilt);
    for (int a = 0; a < ACTIONS; a++) {
        rebuilt[slot(GAME_KEYS[a])] = 0;
        rebuilt[slot(chosen.keys[a])] = 0;
    }
    rebuilt[slot(FOCUS_LOST)] = rebuilt[slot(FOCUS_BACK)] = 0;
    for (int a = 0; a < ACTIONS; a++) {
        bool byPlace = chosen.byPosition && a <= WALK_RIGHT && placeOf(chosen.keys[a]) != 0;
        if (byPlace ? heldByPlace[a] : sdl[slot(chosen.keys[a])] != 0) {
            rebuilt[slot(GAME_KEYS[a])] = 1;
        }
    }
    rebuilt[0] = 0; // where keys past the array's end were counted
}

SDLKey KeyBindings::keyNamed(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const NamedKey& named : keyNames()) {
        if (lower == named.name) {
            return named.key;
        }
    }
    return SDLK_UNKNOWN;
}

std::string KeyBindings::nameOf(SDLKey key) {
    for (const NamedKey& named : keyNames()) {
        if (key == named.key) {
            return named.name;
        }
    }
    return "?";
}

Uint8 KeyBindings::placeOf(SDLKey letter) {
    if (letter < SDLK_a || letter > SDLK_z) {
        return 0;
    }
    int i = letter - SDLK_a;
#ifdef __EMSCRIPTEN__
    // The page gives a letter key the scancode of the QWERTY letter in its place, SDL 2's
    // numbering: a is 4, z is 29 (web/WebCompat.cpp).
    return static_cast<Uint8>(4 + i);
#endif
    // X's key codes of a QWERTY keyboard's letters, a to z: classic SDL 1.2 hands them on, and
    // sdl12-compat gives the same numbers (measured with xdotool on both).
    static const Uint8 X_CODES[26] = {38, 56, 54, 40, 26, 41, 42, 43, 31, 44, 45, 46, 58,
                                      57, 32, 33, 24, 27, 39, 28, 30, 55, 25, 53, 29, 52};
    return X_CODES[i];
}
