#ifndef KEYBINDINGS_H
#define KEYBINDINGS_H

#include <SDL/SDL.h>
#include <string>

// The keys the player chose, turned back into the keys the game has always known before the game
// or a recording hears them (inside VideoMode::pollEvent, as the gamepad is). A recording thus
// keeps the keys the game acted on and plays back the same whatever keys the playing machine
// chose. With the game's own keys nothing is changed at all.
class KeyBindings {
public:
    enum Action {
        WALK_UP,
        WALK_LEFT,
        WALK_DOWN,
        WALK_RIGHT,
        RELOAD,
        BACKPACK,
        POTION,
        WEAPON_1,
        WEAPON_2,
        WEAPON_3,
        DAMAGE,
        PAUSE,
        MUTE,
        VOLUME_DOWN,
        VOLUME_UP,
        ACTIONS
    };
    // The game's own key for each action: what the game and every recording hear.
    static const SDLKey GAME_KEYS[ACTIONS];
    // The settings file's name of each action's line.
    static const char* const SETTING_NAMES[ACTIONS];

    // Keys that do an action besides its chosen key, whatever was chosen: the weapons' keypad and
    // AZERTY digits, the Pause key, the keypad's minus and plus, '+'. No action may take them.
    static bool isTwin(SDLKey key);

    // Window focus as the game hears it when the player wants a pause while the window is away:
    // two keys no keyboard sends here (a keyboard's own are dropped).
    static const SDLKey FOCUS_LOST = SDLK_F14;
    static const SDLKey FOCUS_BACK = SDLK_F15;

    // One choice of keys.
    struct Map {
        SDLKey keys[ACTIONS];
        // The walking keys answer by their place on the keyboard (a QWERTY keyboard's letters'
        // places), not by the letter the layout gives them.
        bool byPosition = false;
        Map();
        bool isGameOwn() const;
    };

    // The choice in force from now on.
    static void use(const Map& map);
    static const Map& current();

    // A key event as the player's keyboard sent it, in place: false when the game is not to hear
    // it. Events without a scancode (pushed by the gamepad or a test) stand for the game's own
    // keys already and pass as they are.
    static bool translate(SDL_Event* event);
    // The window lost or got back the keyboard: keys held by position are let go.
    static void focusChanged(bool gained);
    // The key-state array the game reads: SDL's own with the game's own keys, else one rebuilt
    // from SDL's after every poll (refresh). Its address never changes while a choice stands.
    static Uint8* gameKeys();
    static void refresh();

    // Names as the settings file writes them ("w", "space", "keypad 1"); SDLK_UNKNOWN for none.
    static SDLKey keyNamed(const std::string& name);
    static std::string nameOf(SDLKey key);
    // The scancode SDL 1.2 gives the key in a QWERTY letter's place (0: none): X's key codes,
    // on classic SDL 1.2 and sdl12-compat alike.
    static Uint8 placeOf(SDLKey qwertyLetter);
};

#endif
