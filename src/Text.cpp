#include "Text.h"

#include "FastDrawing.h"

Text::Text(std::string input, int x, int y, int time, int size, int r, int g, int b)
    : displayString(std::ios::in | std::ios::out) {
    locationX = x;
    locationY = y;
    fadeTime = time;
    displayString.str("");
    displayString << input;
    fadeTimer = new Timer();
    fadeTimer->start();
    font = TTF_OpenFont("testFont.ttf", size);
    textColor.r = static_cast<Uint8>(r);
    textColor.g = static_cast<Uint8>(g);
    textColor.b = static_cast<Uint8>(b);
    textColor.unused = 0;
    alpha = 255;
    destroyed = false;
    message = NULL;
    render();
}

// Without a font there is nothing to render: the message is simply not shown.
void Text::render() {
    message =
        font != NULL ? TTF_RenderText_Solid(font, displayString.str().c_str(), textColor) : NULL;
}

SDL_Surface* Text::draw() {
    if (fadeTimer->getTime() > fadeTime) {
        if (alpha <= 1) {
            destroyed = true;
        }
        alpha--;
    }
    // The text never changes, so the fast path keeps its one rendering and only sets the alpha.
    if ((!FastDrawing::enabled && FastDrawing::painting()) || message == NULL) {
        SDL_FreeSurface(message);
        render();
    }
    if (message != NULL) {
        SDL_SetAlpha(message, SDL_SRCALPHA, static_cast<Uint8>(alpha));
    }
    return message;
}

int Text::getXLocation() { return locationX; }

int Text::getYLocation() { return locationY; }

bool Text::isDestroyed() { return destroyed; }

void Text::cleanup() {
    SDL_FreeSurface(message);
    message = NULL;
    if (font != NULL) {
        TTF_CloseFont(font);
        font = NULL;
    }
    delete fadeTimer;
    fadeTimer = NULL;
}
