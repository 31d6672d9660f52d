#include "Pause.h"

#include <SDL/SDL_mixer.h>
#include <string>

#include "KeyBindings.h"
#include "QuitSignal.h"
#include "Screen.h"
#include "Text.h"
#include "VideoMode.h"

namespace {
// How often a paused game looks at the outside world: a key is answered within a few frames of
// a display's, too soon to notice when resuming, and the looks cost well under 1% of a core
// (every 10 ms they cost over 2%; every 30 ms the whole paused game measured 2.2% on a busy
// machine).
const Uint32 LOOK_EVERY_MS = 50;
const int PANEL_W = 640, PANEL_H = 150;
} // namespace

Pause::~Pause() {
    if (titleFont != NULL) {
        TTF_CloseFont(titleFont);
    }
    if (hintFont != NULL) {
        TTF_CloseFont(hintFont);
    }
}

bool Pause::hearKey(SDLKey key) {
    if (key == KeyBindings::GAME_KEYS[KeyBindings::PAUSE] || key == SDLK_PAUSE) {
        byFocus = false;
        on ? leave() : enter();
    } else if (key == KeyBindings::FOCUS_LOST) {
        if (!on) {
            byFocus = true;
            enter();
        }
    } else if (key == KeyBindings::FOCUS_BACK) {
        // A pause the player chose stays until the player ends it.
        if (on && byFocus) {
            leave();
        }
    } else {
        return false;
    }
    return true;
}

void Pause::enter() {
    on = true;
    beganThisPass = true;
    Mix_Pause(-1);
    Mix_PauseMusic();
    // The mixer would still wake for every buffer to mix its thousand silent channels.
    SDL_PauseAudio(1);
    VideoMode::holdPointer(false);
}

void Pause::leave() {
    on = false;
    SDL_PauseAudio(0);
    Mix_Resume(-1);
    Mix_ResumeMusic();
    VideoMode::holdPointer(true);
    // What lies under the panel is painted again with the whole next frame.
    Screen::invalidate();
}

SDL_Rect Pause::panel(SDL_Surface* screen) {
    SDL_Rect area = {static_cast<Sint16>((screen->w - PANEL_W) / 2),
                     static_cast<Sint16>((screen->h - PANEL_H) / 2), PANEL_W, PANEL_H};
    return area;
}

void Pause::paint(SDL_Surface* screen, bool closing) {
    if (titleFont == NULL) {
        titleFont = Text::openFont(56);
        hintFont = Text::openFont(24);
    }
    SDL_Rect panel = Pause::panel(screen);
    Screen::fill(screen, &panel, SDL_MapRGB(screen->format, 16, 16, 16));
    SDL_Color white = {255, 255, 255, 0};
    SDL_Surface* title = Text::renderSolid(titleFont, "Paused", white);
    if (title != NULL) {
        Screen::paint(title, screen, panel.x + (PANEL_W - title->w) / 2, panel.y + 15, NULL);
        SDL_FreeSurface(title);
    }
    if (closing) {
        return;
    }
    std::string key = KeyBindings::nameOf(KeyBindings::current().keys[KeyBindings::PAUSE]);
    for (char& c : key) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    const std::string hints[2] = {key + " or Pause: play on",
                                  "right click or close the window: leave"};
    for (int i = 0; i < 2; i++) {
        SDL_Surface* hint = Text::renderSolid(hintFont, hints[i], white);
        if (hint != NULL) {
            Screen::paint(hint, screen, panel.x + (PANEL_W - hint->w) / 2, panel.y + 85 + 28 * i,
                          NULL);
            SDL_FreeSurface(hint);
        }
    }
}

void Pause::waitForInput() {
#ifdef __EMSCRIPTEN__
    // The browser's SDL takes its events in while the page has its turn: one look, then a pass.
    SDL_Delay(LOOK_EVERY_MS);
    return;
#endif
    SDL_Event event;
    for (;;) {
        SDL_PumpEvents();
        if (SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0 || QuitSignal::arrived()) {
            return;
        }
        SDL_Delay(LOOK_EVERY_MS);
    }
}

void Pause::holdInPlayback() {
    for (Uint32 waited = 0; waited < SHOWN_IN_PLAYBACK_MS && !QuitSignal::arrived();
         waited += LOOK_EVERY_MS) {
        SDL_Delay(LOOK_EVERY_MS);
    }
}
