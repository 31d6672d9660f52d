#ifndef VOLUME_H
#define VOLUME_H

#include <SDL/SDL.h>

#include "Timer.h"

// How loud the game plays: a level from 0 to 100 in steps of 10 and a mute, over every sound and
// the music. At 100 and not muted the mixer is left at the levels the game has always had.
class Volume {
public:
    static const int STEP = 10;
    // From the settings, before anything plays.
    static void set(int level, bool muted);
    // A key the level heard (as the game knows it, after the player's choice of keys): true when
    // it was the mute or a volume key, which then changed the volume, started the message saying
    // so and had the settings file keep it.
    static bool hearKey(SDLKey key);
    // The message, for a while after a change (in game time, so a pause holds it).
    static void paintMessage(SDL_Surface* screen);
    // The level ends: its message goes with it.
    static void forgetMessage();

    static int level;
    static bool muted;
    static const int MESSAGE_MS = 1500;

private:
    static void apply();
    static void keep();
};

#endif
