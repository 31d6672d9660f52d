#include "Input.h"

#include <cstring>

#include "KeyBindings.h"
#include "VideoMode.h"

Input::Live Input::live;
Input::Source* Input::source = &Input::live;
Input::Listener* Input::listener = nullptr;

int Input::pollEvent(SDL_Event* event) {
    int got = source->pollEvent(event);
    if (got && listener != nullptr) {
        listener->heardEvent(*event);
    }
    return got;
}

Uint8* Input::keyState() { return source->keyState(); }

Uint8 Input::mouseState(int* x, int* y) {
    Uint8 buttons = source->mouseState(x, y);
    if (listener != nullptr) {
        listener->heardMouse(*x, *y, buttons);
    }
    return buttons;
}

void Input::setSource(Source* from) { source = from != nullptr ? from : &live; }

void Input::setListener(Listener* to) { listener = to; }

bool Input::isGameEvent(const SDL_Event& event) {
    return event.type == SDL_KEYDOWN || event.type == SDL_KEYUP || event.type == SDL_MOUSEMOTION ||
           event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP ||
           event.type == SDL_QUIT;
}

int Input::Live::pollEvent(SDL_Event* event) { return VideoMode::pollEvent(event); }

Uint8* Input::Live::keyState() { return KeyBindings::gameKeys(); }

Uint8 Input::Live::mouseState(int* x, int* y) { return SDL_GetMouseState(x, y); }

void Input::Played::startLevel() {
    std::memset(keys, 0, sizeof(keys));
    reading = true;
}

void Input::Played::load(const Recording::Pass* next) {
    pass = next;
    nextEvent = 0;
    nextMouse = 0;
    for (const Recording::KeyChange& k : pass->keys) {
        keys[k.key] = k.down;
    }
}

int Input::Played::pollEvent(SDL_Event* event) {
    if (!reading) {
        return VideoMode::pollEvent(event);
    }
    if (onScreen && !viewerQuit) {
        // The viewer may only stop the playback.
        SDL_Event real;
        while (VideoMode::pollEvent(&real)) {
            if (real.type == SDL_QUIT ||
                (real.type == SDL_KEYDOWN && real.key.keysym.sym == SDLK_ESCAPE) ||
                (real.type == SDL_MOUSEBUTTONDOWN && real.button.button == SDL_BUTTON_RIGHT)) {
                viewerQuit = true;
            }
        }
    }
    if (viewerQuit && !quitHandedOver) {
        quitHandedOver = true;
        std::memset(event, 0, sizeof(*event));
        event->type = SDL_QUIT;
        return 1;
    }
    if (nextEvent < pass->events.size()) {
        *event = pass->events[nextEvent++];
        return 1;
    }
    return 0;
}

Uint8 Input::Played::mouseState(int* x, int* y) {
    if (!reading) {
        return SDL_GetMouseState(x, y);
    }
    if (nextMouse < pass->mouse.size()) {
        lastMouse = pass->mouse[nextMouse++];
    }
    *x = lastMouse.x;
    *y = lastMouse.y;
    return lastMouse.buttons;
}
