#include "Volume.h"

#include <SDL/SDL_mixer.h>
#include <cstdio>
#include <string>

#include "KeyBindings.h"
#include "Screen.h"
#include "Settings.h"
#include "Text.h"

int Volume::level = 100;
bool Volume::muted = false;

namespace {
SDL_Surface* message = NULL;
Timer shownFor;
TTF_Font* font = NULL;
} // namespace

void Volume::set(int to, bool mute) {
    level = to;
    muted = mute;
    if (level != 100 || muted) {
        apply();
    }
}

void Volume::apply() {
    int mixer = muted ? 0 : level * MIX_MAX_VOLUME / 100;
    Mix_Volume(-1, mixer);
    Mix_VolumeMusic(mixer);
}

bool Volume::hearKey(SDLKey key) {
    const SDLKey* keys = KeyBindings::GAME_KEYS;
    if (key == keys[KeyBindings::MUTE]) {
        muted = !muted;
    } else if (key == keys[KeyBindings::VOLUME_DOWN] || key == SDLK_KP_MINUS) {
        level = level > STEP ? level - STEP : 0;
        muted = false;
    } else if (key == keys[KeyBindings::VOLUME_UP] || key == SDLK_PLUS || key == SDLK_KP_PLUS) {
        level = level < 100 - STEP ? level + STEP : 100;
        muted = false;
    } else {
        return false;
    }
    apply();
    keep();
    if (font == NULL) {
        font = Text::openFont(28);
    }
    SDL_FreeSurface(message);
    std::string said = muted ? "Sound off (M)" : "Volume " + std::to_string(level) + "%";
    message = Text::renderSolid(font, said, SDL_Color{255, 255, 255, 0});
    shownFor.start();
    return true;
}

void Volume::keep() {
    Settings& settings = Settings::game();
    settings.volume = level;
    settings.mute = muted;
    std::string error;
    settings.set("volume", std::to_string(level));
    settings.set("mute", muted ? "yes" : "no");
    if (!settings.save(&error)) {
        std::fprintf(stderr, "deadacre: %s\n", error.c_str());
    }
}

void Volume::paintMessage(SDL_Surface* screen) {
    if (message == NULL) {
        return;
    }
    if (shownFor.getTime() > MESSAGE_MS) {
        forgetMessage();
        return;
    }
    Screen::paint(message, screen, (screen->w - message->w) / 2, 90, NULL);
}

void Volume::forgetMessage() {
    SDL_FreeSurface(message);
    message = NULL;
    if (font != NULL) {
        TTF_CloseFont(font);
        font = NULL;
    }
}
