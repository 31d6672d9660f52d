#include "HUD.h"

#include "Backpack.h"
#include "FastPaths.h"
#include "Globals.h"
#include "Player.h"
#include "Screen.h"

HUD::HUD(ImageLoader* input1, SDL_Surface* screen, Player* inputPlayer)
    : displayString(std::ios::in | std::ios::out) {
    mainScreen = screen;
    imageHandler = input1;
    player = inputPlayer;
    message = NULL;
    font = Text::openFont(28);
    textColor.r = 255;
    textColor.g = 255;
    textColor.b = 255;
    textColor.unused = 0;
    healthBar = imageHandler->optimizeImage("images/HUDImages/healthBar.png");
    backpack = imageHandler->optimizeImage("images/HUDImages/backpack.jpg");
    gold = imageHandler->optimizeImage("images/HUDImages/gold.jpg");
    backpackOpen = false;
    goldFadeTime = new Timer();
    goldFade = false;
    yT = 0;
    alpha = 0.0;
    for (int i = 0; i < NUMBER_SLOTS; i++) {
        numberCache[i] = NULL;
    }
    barCache = NULL;
    barCacheSegments = 0;
    barOpaque = healthBarIsOpaque();
}

HUD::~HUD() {
    while (!texts.empty()) {
        texts.top()->cleanup();
        delete texts.top();
        texts.pop();
    }
    if (font != NULL) {
        TTF_CloseFont(font);
    }
    SDL_FreeSurface(healthBar);
    SDL_FreeSurface(backpack);
    SDL_FreeSurface(gold);
    delete goldFadeTime;
    for (int i = 0; i < NUMBER_SLOTS; i++) {
        SDL_FreeSurface(numberCache[i]);
    }
    SDL_FreeSurface(barCache);
}

// A pass that is not painted shows no number: its text is left empty, not written out.
template <typename T> static void writeNumber(std::stringstream& text, T value) {
    text.str("");
    text.clear();
    if (Screen::painting()) {
        text << value;
    }
}

// Renders what displayString holds; without a font nothing is rendered and nothing painted.
void HUD::renderNumber(NumberSlot slot) {
    std::string text = displayString.str();
    if (!Screen::painting()) {
        message = NULL; // nobody will see it
        return;
    }
    if (FastPaths::enabled && numberCache[slot] != NULL && numberText[slot] == text) {
        message = numberCache[slot];
        return;
    }
    message = Text::renderSolid(font, text, textColor);
    if (FastPaths::enabled) {
        SDL_FreeSurface(numberCache[slot]);
        numberCache[slot] = message;
        numberText[slot] = text;
    }
}

void HUD::paintNumber(int x, int y) {
    Screen::paint(message, mainScreen, x, y, NULL);
    if (!FastPaths::enabled) {
        SDL_FreeSurface(message);
    }
    message = NULL;
}

void HUD::draw() {
    textsDraw();

    writeNumber(displayString, player->getHealth());
    renderNumber(HEALTH);
    paintNumber(1010, 650);

    writeNumber(displayString, player->getClipSize());
    renderNumber(CLIP);
    paintNumber(980, 20);

    Screen::paint(player->getWeaponPic(), mainScreen, 1020, 20, NULL);

    writeNumber(displayString, player->getGold());
    renderNumber(GOLD);
    fadeGold();
    Uint8 a = static_cast<Uint8>(static_cast<Sint16>(alpha));
    if (message != NULL) {
        SDL_SetAlpha(message, SDL_SRCALPHA, a);
    }
    if (gold != NULL) {
        SDL_SetAlpha(gold, SDL_SRCALPHA, a);
    }
    paintNumber(1010, 600);
    Screen::paint(gold, mainScreen, 970, 600, NULL);

    drawHealthBar();

    if (backpackOpen) {
        drawBackpackPanel();
    }
}

bool HUD::healthBarIsOpaque() {
    if (healthBar == NULL || healthBar->format->BytesPerPixel != 4 ||
        healthBar->format->Amask == 0 || SDL_LockSurface(healthBar) < 0) {
        return false;
    }
    bool opaque = true;
    for (int y = 0; y < healthBar->h && opaque; y++) {
        const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<Uint8*>(healthBar->pixels) +
                                                            y * healthBar->pitch);
        for (int x = 0; x < healthBar->w && opaque; x++) {
            opaque = (row[x] & healthBar->format->Amask) == healthBar->format->Amask;
        }
    }
    SDL_UnlockSurface(healthBar);
    return opaque;
}

// One segment per started health point, from x 970 leftwards, each one pixel further left.
void HUD::drawHealthBar() {
    // A health far above anything the game hands out would need a huge strip; paint it plainly.
    if (FastPaths::enabled && barOpaque && player->getHealth() <= 4096) {
        int segments = 0;
        while (player->getHealth() > segments) {
            segments++;
        }
        if (segments == 0) {
            return;
        }
        if (barCache == NULL || barCacheSegments != segments) {
            SDL_FreeSurface(barCache);
            SDL_PixelFormat* f = mainScreen->format;
            barCache =
                SDL_CreateRGBSurface(SDL_SWSURFACE, segments - 1 + healthBar->w, healthBar->h,
                                     f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, 0);
            barCacheSegments = barCache != NULL ? segments : 0;
            for (int x = 0; barCache != NULL && x < segments; x++) {
                Screen::paint(healthBar, barCache, segments - 1 - x, 0, NULL);
            }
        }
        if (barCache != NULL) {
            Screen::paint(barCache, mainScreen, 971 - segments, 645, NULL);
            return;
        }
    }
    for (int x = 0; player->getHealth() > x; x++) {
        Screen::paint(healthBar, mainScreen, 970 - x, 645, NULL);
    }
}

// Hidden (alpha 0, timer stopped), lit (255 for 5000 ms after the last change of gold), then one
// step fainter per frame.
void HUD::fadeGold() {
    if (!goldFade && goldFadeTime->getTime() <= 5000) {
        return;
    }
    if (goldFade) {
        goldFadeTime->start();
        goldFade = false;
        alpha = 256;
    }
    if (alpha == 0) {
        goldFade = false;
        goldFadeTime->start();
        goldFadeTime->stop();
        alpha += 1;
    }
    alpha -= 1;
}

// Six items a row on a 100-pixel grid, the most recently stored first.
void HUD::drawBackpackPanel() {
    Screen::paint(backpack, mainScreen, 240, 160, NULL);
    tempItems = player->backpack->getItems();
    int c = 0;
    int r = 0;
    while (!tempItems.empty()) {
        Screen::paint(tempItems.top()->draw(), mainScreen, 240 + c, 160 + r, NULL);
        tempItems.pop();
        c += 100;
        if (c == 600) {
            c = 0;
            r += 100;
        }
    }
}

void HUD::drawText(std::string input, int x, int y, int time, int size, int r, int g, int b) {
    texts.push(new Text(input, x, y, time, size, r, g, b));
}

// A message is lifted 50 pixels, for good, when the one drawn just before it in this pass
// stands on the same line. The order of texts flips on every call.
void HUD::textsDraw() {
    while (!texts.empty()) {
        Text* text = texts.top();
        if (text->isDestroyed()) {
            text->cleanup();
            delete text;
        } else {
            holderTexts.push(text);
        }
        texts.pop();
    }
    texts = holderTexts;
    while (!holderTexts.empty()) {
        Text* text = holderTexts.top();
        if (text->getYLocation() == yT) {
            text->locationY -= 50;
        }
        int y = text->getYLocation();
        int x = text->getXLocation();
        Screen::paint(text->draw(), mainScreen, x, y, NULL);
        yT = text->getYLocation();
        holderTexts.pop();
    }
    yT = 0;
}

void HUD::toggleBackpack() { backpackOpen = !backpackOpen; }
