#include "Gamepad.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "KeyBindings.h"
#include "Scaler.h"

Gamepad::Layout Gamepad::layout = Gamepad::XPAD;
SDL_Joystick* Gamepad::joystick = NULL;
SDLKey Gamepad::walkKeys[2] = {SDLK_UNKNOWN, SDLK_UNKNOWN};
Sint16 Gamepad::aimAxes[2] = {0, 0};
bool Gamepad::trigger = false;
bool Gamepad::shoulder = false;
Uint8 Gamepad::hat = SDL_HAT_CENTERED;

namespace {

// Axis and button numbers of the two layouts, in Gamepad::Layout's order.
const int AIM_X[] = {3, 2};
const int AIM_Y[] = {4, 3};
const int TRIGGER[] = {5, 5};
const int SHOULDER[] = {5, 10};
const int BACK[] = {6, 4};
const int START[] = {7, 6};
const int BUTTON_B = 1, BUTTON_X = 2, BUTTON_Y = 3;
// The game-controller layout has the d-pad as buttons: up, down, left, right.
const int DPAD_UP = 11, DPAD_LEFT = 13, DPAD_RIGHT = 14;

SDLKey weaponKey(int dpad) {
    return dpad == DPAD_LEFT    ? SDLK_1
           : dpad == DPAD_UP    ? SDLK_2
           : dpad == DPAD_RIGHT ? SDLK_3
                                : SDLK_UNKNOWN;
}

SDLKey hatKey(Uint8 value) {
    return value == SDL_HAT_LEFT    ? SDLK_1
           : value == SDL_HAT_UP    ? SDLK_2
           : value == SDL_HAT_RIGHT ? SDLK_3
                                    : SDLK_UNKNOWN;
}

} // namespace

void Gamepad::open() {
    const char* controllers = std::getenv("SDL12COMPAT_USE_GAME_CONTROLLERS");
    layout = controllers != NULL && std::atoi(controllers) != 0 ? GAME_CONTROLLER : XPAD;
    if (SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_NumJoysticks() > 0) {
        joystick = SDL_JoystickOpen(0);
        SDL_JoystickEventState(SDL_ENABLE);
    }
}

void Gamepad::close() {
    if (joystick != NULL && SDL_WasInit(SDL_INIT_JOYSTICK)) {
        SDL_JoystickClose(joystick);
    }
    joystick = NULL;
}

bool Gamepad::translate(const SDL_Event& event) {
    switch (event.type) {
    case SDL_JOYAXISMOTION: {
        int axis = event.jaxis.axis;
        if (axis == 0 || axis == 1) {
            walk(axis, event.jaxis.value);
        } else if (axis == AIM_X[layout] || axis == AIM_Y[layout]) {
            aim(axis == AIM_X[layout] ? 0 : 1, event.jaxis.value);
        } else if (axis == TRIGGER[layout]) {
            setFiring(event.jaxis.value > DEAD_ZONE, shoulder);
        }
        return true;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        press(event.jbutton.button, event.type == SDL_JOYBUTTONDOWN);
        return true;
    case SDL_JOYHATMOTION:
        if (event.jhat.hat == 0) {
            pressHat(event.jhat.value);
        }
        return true;
    case SDL_JOYBALLMOTION:
        return true;
    default:
        return false;
    }
}

void Gamepad::walk(int axis, Sint16 value) {
    SDLKey key = value < -DEAD_ZONE  ? (axis == 0 ? SDLK_a : SDLK_w)
                 : value > DEAD_ZONE ? (axis == 0 ? SDLK_d : SDLK_s)
                                     : SDLK_UNKNOWN;
    if (key == walkKeys[axis]) {
        return;
    }
    Uint8* keys = KeyBindings::gameKeys();
    if (walkKeys[axis] != SDLK_UNKNOWN) {
        keys[walkKeys[axis]] = 0;
    }
    walkKeys[axis] = key;
    holdKeys();
}

void Gamepad::holdKeys() {
    Uint8* keys = KeyBindings::gameKeys();
    for (SDLKey key : walkKeys) {
        if (key != SDLK_UNKNOWN) {
            keys[key] = 1;
        }
    }
}

void Gamepad::aimPointer(double dx, double dy, int* x, int* y) {
    double length = std::sqrt(dx * dx + dy * dy);
    // The player's centre when the pointer is at (x, y) is (1080 - x + 25, 720 - y + 25).
    *x = static_cast<int>(std::lround((1105 + AIM_DISTANCE * dx / length) / 2));
    *y = static_cast<int>(std::lround((745 + AIM_DISTANCE * dy / length) / 2));
}

void Gamepad::aim(int axis, Sint16 value) {
    aimAxes[axis] = value;
    double dx = aimAxes[0], dy = aimAxes[1];
    // A stick let go leaves the aim where it was, as a mouse left alone does.
    if (dx * dx + dy * dy < static_cast<double>(DEAD_ZONE) * DEAD_ZONE) {
        return;
    }
    int x, y, nowX, nowY;
    aimPointer(dx, dy, &x, &y);
    // The aim is a point of the picture; the pointer moves on the window it is shown scaled in.
    if (Scaler::on()) {
        Scaler::fit().toSurface(&x, &y);
    }
    SDL_GetMouseState(&nowX, &nowY);
    if (x != nowX || y != nowY) {
        SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
    }
}

void Gamepad::setFiring(bool triggerHeld, bool shoulderHeld) {
    bool was = trigger || shoulder;
    trigger = triggerHeld;
    shoulder = shoulderHeld;
    if ((trigger || shoulder) != was) {
        pushButton(SDL_BUTTON_LEFT, !was);
    }
}

void Gamepad::press(int button, bool down) {
    if (button == SHOULDER[layout]) {
        setFiring(trigger, down);
    } else if (button == BACK[layout]) {
        pushButton(SDL_BUTTON_RIGHT, down);
    } else if (button == START[layout]) {
        pushKey(SDLK_PAUSE, down);
    } else if (button == BUTTON_X) {
        pushKey(SDLK_r, down);
    } else if (button == BUTTON_Y) {
        pushKey(SDLK_t, down);
    } else if (button == BUTTON_B) {
        pushKey(SDLK_c, down);
    } else if (layout == GAME_CONTROLLER && weaponKey(button) != SDLK_UNKNOWN) {
        pushKey(weaponKey(button), down);
    }
}

void Gamepad::pressHat(Uint8 value) {
    // One direction at a time: a diagonal of the d-pad takes no weapon.
    SDLKey before = hatKey(hat), now = hatKey(value);
    hat = value;
    if (before != now) {
        if (before != SDLK_UNKNOWN) {
            pushKey(before, false);
        }
        if (now != SDLK_UNKNOWN) {
            pushKey(now, true);
        }
    }
}

void Gamepad::pushKey(SDLKey key, bool down) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void Gamepad::pushButton(Uint8 button, bool down) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    int x, y;
    SDL_GetMouseState(&x, &y);
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    SDL_PushEvent(&event);
}
