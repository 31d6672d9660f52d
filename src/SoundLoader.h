#ifndef SOUNDLOADER_H
#define SOUNDLOADER_H

#include <SDL/SDL_mixer.h>
#include <cstddef>
#include <string>

// Loads the game's sound effects. Each file is read whole and its WAV header checked before the
// mixer sees it: SDL's audio conversion crashes on some headers (a rate of 1 Hz, no channels),
// so a file outside what the game can play is refused like a missing one, with one line on
// standard error naming it. A file that is simply not there stays silent, as it always has.
class SoundLoader {
public:
    // The sound in `path`, or null when it is missing or refused.
    static Mix_Chunk* load(const char* path);

    // Whether `size` bytes hold a WAV the mixer can take safely; if not, `why` (when given)
    // says what is wrong with it.
    static bool acceptable(const Uint8* data, size_t size, std::string* why);

    // No effect of this game comes near this; a larger file is refused before it is read, since
    // the mixer would hold it, converted, several times over.
    static const size_t MAX_FILE_SIZE = 4 * 1024 * 1024;
    // The rates the mixer's conversion to its own 22050 Hz handles within its fixed filter list.
    static const Uint32 MIN_RATE = 4000;
    static const Uint32 MAX_RATE = 192000;
    static const int MAX_CHANNELS = 8;
};

#endif
