#include "Text.h"

#include <cstdio>
#include <cstring>

#include "DataFile.h"
#include "FastPaths.h"
#include "Screen.h"

namespace {

const char* const FONT_FILE = "testFont.ttf";

#ifndef __EMSCRIPTEN__
Uint32 bigEndian(const unsigned char* p, int bytes) {
    Uint32 v = 0;
    for (int i = 0; i < bytes; i++) {
        v = v << 8 | p[i];
    }
    return v;
}

// FreeType says only that it could not load the font; the file's table directory, the first
// thing a font holds, tells why. Null when the font looks whole.
const char* fontDamage(FILE* file) {
    const char* damage = NULL;
    unsigned char head[16] = {0};
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::rewind(file);
    size_t got = std::fread(head, 1, 12, file);
    bool font =
        got >= 4 && (std::memcmp(head, "\0\1\0\0", 4) == 0 || std::memcmp(head, "true", 4) == 0 ||
                     std::memcmp(head, "OTTO", 4) == 0 || std::memcmp(head, "ttcf", 4) == 0);
    if (size == 0) {
        damage = "the file is empty";
    } else if (!font) {
        damage = "it is not a TrueType or OpenType font";
    } else if (got < 12) {
        damage = "the font is cut short";
    } else if (std::memcmp(head, "ttcf", 4) != 0) {
        // Each table's place and length, against the file's length.
        for (Uint32 n = bigEndian(head + 4, 2); n > 0 && damage == NULL; n--) {
            if (std::fread(head, 1, 16, file) != 16 ||
                static_cast<long>(bigEndian(head + 8, 4)) + bigEndian(head + 12, 4) > size) {
                damage = "the font is cut short (its tables run past the end of the file)";
            }
        }
    }
    std::rewind(file);
    return damage;
}
#endif

} // namespace

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
    const char* damage = file != NULL ? fontDamage(file) : NULL;
    if (damage != NULL) {
        std::fclose(file);
        why = damage;
    } else if (file != NULL) {
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
