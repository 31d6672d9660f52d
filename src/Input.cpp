#include "Input.h"

#include <cstring>

#include "KeyBindings.h"
#include "VideoMode.h"

Input::Live Input::live;
Input::Source* Input::source = &Input::live;
Input::Listener* Input::listener = nullptr;

int Input::pollEvent(SDL_Event* event) {
    while (source->pollEvent(event)) {
        if (!conform(event)) {
            continue;
        }
        if (listener != nullptr) {
            listener->heardEvent(*event);
        }
        return 1;
    }
    return 0;
}

Uint8* Input::keyState() { return source->keyState(); }

Uint8 Input::mouseState(int* x, int* y) {
    Uint8 buttons = source->mouseState(x, y);
    ontoPicture(x, y);
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

void Input::ontoPicture(int* x, int* y) {
    *x = *x < 0 ? 0 : *x >= PICTURE_W ? PICTURE_W - 1 : *x;
    *y = *y < 0 ? 0 : *y >= PICTURE_H ? PICTURE_H - 1 : *y;
}

bool Input::conform(SDL_Event* event) {
    int x, y;
    if (event->type == SDL_MOUSEMOTION) {
        x = event->motion.x;
        y = event->motion.y;
        ontoPicture(&x, &y);
        event->motion.x = static_cast<Uint16>(x);
        event->motion.y = static_cast<Uint16>(y);
    } else if (event->type == SDL_MOUSEBUTTONDOWN || event->type == SDL_MOUSEBUTTONUP) {
        x = event->button.x;
        y = event->button.y;
        ontoPicture(&x, &y);
        event->button.x = static_cast<Uint16>(x);
        event->button.y = static_cast<Uint16>(y);
        return event->button.button != 0;
    }
    return true;
}

int Input::Live::pollEvent(SDL_Event* event) { return VideoMode::pollEvent(event); }

Uint8* Input::Live::keyState() { return KeyBindings::gameKeys(); }

Uint8 Input::Live::mouseState(int* x, int* y) { return VideoMode::pointer(x, y); }
