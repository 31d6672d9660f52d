#ifndef HUD_H
#define HUD_H

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <sstream>
#include <stack>
#include <string>

#include "ImageLoader.h"
#include "Item.h"
#include "Text.h"
#include "Timer.h"

class Player;

// The heads-up display: health, clip, weapon, the fading gold counter, the backpack panel and
// the floating messages.
class HUD {
public:
    HUD(ImageLoader* input1, SDL_Surface* screen, Player* inputPlayer);
    ~HUD();
    void draw();
    void drawText(std::string input, int x, int y, int time, int size, int r, int g, int b);
    void textsDraw();
    void toggleBackpack();

    bool goldFade;
    SDL_Surface* mainScreen;
    ImageLoader* imageHandler;
    SDL_Surface* message;
    std::stringstream displayString;
    TTF_Font* font;
    SDL_Color textColor;
    SDL_Surface* healthBar;
    SDL_Surface* gold;
    Player* player;
    bool backpackOpen;
    SDL_Surface* backpack;
    std::stack<Item*> tempItems;
    std::stack<Text*> holderTexts;
    std::stack<Text*> texts;
    Timer* goldFadeTime;
    int yT;
    double alpha;

private:
    // The three numbers the HUD shows every frame.
    enum NumberSlot { HEALTH, CLIP, GOLD, NUMBER_SLOTS };
    void renderNumber(NumberSlot slot);
    void paintNumber(int x, int y);

    void drawHealthBar();
    bool healthBarIsOpaque();

    // The bar's segments are opaque, so however many of them are painted one pixel apart, the
    // result is the same strip of pixels: it is composed once per segment count and then copied.
    SDL_Surface* barCache;
    int barCacheSegments;
    bool barOpaque;

    // Each number's last rendering and its text: a number is rendered again only when its text
    // changes, since the same text always renders to the same pixels.
    SDL_Surface* numberCache[NUMBER_SLOTS];
    std::string numberText[NUMBER_SLOTS];
    void fadeGold();
    void drawBackpackPanel();
};

#endif
