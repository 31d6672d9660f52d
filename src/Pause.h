#ifndef PAUSE_H
#define PAUSE_H

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

// The level held still: nothing steps, sounds wait, the pointer is free, and the frame says
// "Paused" with the keys to go on and to leave. It is the game's own state, reached through keys
// the level hears, so a recording holds it and its playback shows it.
class Pause {
public:
    ~Pause();
    // A key the level heard: true when it was a pause key (P or the key chosen for it, Pause,
    // the gamepad's Start, the window's focus when the player asked for that).
    bool hearKey(SDLKey key);
    bool paused() const { return on; }
    // The pass that paused holds its frame a moment when a playback is shown, since the paused
    // passes of a recording take no game time.
    bool beganThisPass = false;
    // Paints the panel over the still frame; the level's last frame (closing) names no key,
    // so it is the same whatever keys the machine that plays it back chose.
    void paint(SDL_Surface* screen, bool closing);
    // Where the panel is painted, which is all a paused pass changes.
    static SDL_Rect panel(SDL_Surface* screen);
    // Waits until the outside world has something to say: an event or a quit signal.
    static void waitForInput();
    // Shows a paused frame of a playback for this long.
    static const Uint32 SHOWN_IN_PLAYBACK_MS = 1000;
    static void holdInPlayback();

private:
    void enter();
    void leave();
    bool on = false;
    bool byFocus = false;
    TTF_Font* titleFont = NULL;
    TTF_Font* hintFont = NULL;
};

#endif
