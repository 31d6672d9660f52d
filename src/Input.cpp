#include "Input.h"

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

Uint8* Input::Live::keyState() { return SDL_GetKeyState(NULL); }

Uint8 Input::Live::mouseState(int* x, int* y) { return SDL_GetMouseState(x, y); }
