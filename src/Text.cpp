#include "Text.h"

#include <cstdio>

#include "DataFile.h"
#include "FastPaths.h"
#include "Screen.h"

namespace {
const char* const FONT_FILE = "testFont.ttf";
}

// Without the font the game plays on with no texts at all, so the player is told why, once.
TTF_Font* Text::openFont(int size) {
    static bool reported = false;
#ifdef __EMSCRIPTEN__
    TTF_Font* font = TTF_OpenFont(FONT_FILE, size);
    std::string why = font == NULL ? TTF_GetError() : "";
#else
    std::string why;
    TTF_Font* font = NULL;
    FILE* file = DataFile::openStream(FONT_FILE, &why);
    if (file != NULL) {
        font = TTF_OpenFontRW(SDL_RWFromFP(file, 1), 1, size);
        if (font == NULL) {
            why = TTF_GetError();
        }
    }
#endif
    if (font == NULL && !reported) {
        reported = true;
        DataFile::report("texts are not shown: cannot open the font", FONT_FILE, why);
    }
    return font;
}

SDL_Surface* Text::renderSolid(TTF_Font* font, const std::string& text, SDL_Color color) {
    static bool reported = false;
    if (font == NULL || text.empty()) {
        return NULL; // SDL_ttf refuses to render nothing
    }
    SDL_Surface* rendered = TTF_RenderText_Solid(font, text.c_str(), color);
    if (rendered == NULL && !reported) {
        reported = true;
        std::fprintf(stderr, "deadacre: texts are not shown: the font %s cannot draw them: %s\n",
                     FONT_FILE, TTF_GetError());
    }
    return rendered;
}

Text::Text(std::string input, int x, int y, int time, int size, int r, int g, int b)
    : displayString(std::ios::in | std::ios::out) {
    locationX = x;
    locationY = y;
    fadeTime = time;
    displayString.str("");
    displayString << input;
    fadeTimer = new Timer();
    fadeTimer->start();
    font = openFont(size);
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
void Text::render() { message = renderSolid(font, displayString.str(), textColor); }

SDL_Surface* Text::draw() {
    if (fadeTimer->getTime() > fadeTime) {
        if (alpha <= 1) {
            destroyed = true;
        }
        alpha--;
    }
    // The text never changes, so the fast path keeps its one rendering and only sets the alpha.
    if ((!FastPaths::enabled && Screen::painting()) || message == NULL) {
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
