#ifndef TEXT_H
#define TEXT_H

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <sstream>
#include <string>

#include "Timer.h"

// One short message on the screen: opaque for its time, then one alpha step per frame until it
// reports itself destroyed.
class Text {
public:
    Text(std::string input, int x, int y, int time, int size, int r, int g, int b);
    SDL_Surface* draw();
    int getXLocation();
    int getYLocation();
    bool isDestroyed();
    void cleanup();
    // The game's font at a size, or null (reported once) when it cannot be used.
    static TTF_Font* openFont(int size);
    // Renders text, null for none; a font that cannot draw a text is reported once.
    static SDL_Surface* renderSolid(TTF_Font* font, const std::string& text, SDL_Color color);

    int locationY;
    int locationX;
    int fadeTime;
    Timer* fadeTimer;
    std::stringstream displayString;
    bool destroyed;
    SDL_Surface* message;
    TTF_Font* font;
    SDL_Color textColor;
    int alpha;

private:
    void render();
};

#endif
