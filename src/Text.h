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
