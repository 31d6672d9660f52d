#ifndef GAMEPAD_H
#define GAMEPAD_H

#include <SDL/SDL.h>

// A gamepad played as the keyboard and the mouse: each joystick event becomes the keys held, the
// pointer placed and the key and button events pushed into SDL's own channels, which Input's live
// source reads (translate and holdKeys run inside VideoMode::pollEvent, under Input::pollEvent).
// So the level, a recording and its playback see no gamepad at all.
//
//   left stick       walk (W A S D)           right stick   aim (the pointer around the player)
//   right trigger    fire (left button)       right shoulder fire (left button)
//   X reload (R)     Y backpack (T)           B potion (C)
//   d-pad left, up, right   weapons 1, 2, 3    Back   leave the level (right button)
//   Start pause and play on (the Pause key)
class Gamepad {
public:
    // The Linux xpad driver's pad as SDL 1.2 numbers it, and sdl12-compat's game-controller
    // numbering (SDL12COMPAT_USE_GAME_CONTROLLERS=1).
    enum Layout { XPAD, GAME_CONTROLLER };

    // Opens the first joystick, if there is one, and chooses its layout.
    static void open();
    static void close();
    // True when event was the gamepad's: it has been turned into keyboard and mouse input and
    // is not to be passed on.
    static bool translate(const SDL_Event& event);
    // Writes the keys the left stick holds into the game's key-state array again: the X11 driver
    // rewrites the array from the keyboard as it pumps events.
    static void holdKeys();
    // Where the pointer goes to aim along (dx, dy): the player is painted at the pointer's mirror
    // through the screen's centre, so the pointer sits half the aiming distance from the centre.
    static void aimPointer(double dx, double dy, int* x, int* y);

    static Layout layout;
    // Stick deflection below this is a pad's rest, not a push.
    static const int DEAD_ZONE = 8000;
    // From the player's centre to the pointer while aiming: far enough that every one of the
    // player's 36 headings can be chosen.
    static const int AIM_DISTANCE = 400;

private:
    static void pushKey(SDLKey key, bool down);
    static void pushButton(Uint8 button, bool down);
    static void setFiring(bool trigger, bool shoulder);
    static void walk(int axis, Sint16 value);
    static void aim(int axis, Sint16 value);
    static void press(int button, bool down);
    static void pressHat(Uint8 value);

    static SDL_Joystick* joystick;
    static SDLKey walkKeys[2];
    static Sint16 aimAxes[2];
    static bool trigger, shoulder;
    static Uint8 hat;
};

#endif
