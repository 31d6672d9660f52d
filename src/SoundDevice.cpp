#include "SoundDevice.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <cstdio>
#include <dlfcn.h>

namespace {

#ifndef __EMSCRIPTEN__
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// libasound writes its own errors to standard error, eight lines on every start without a sound
// card, under whichever SDL (classic SDL 1.2, or SDL2 under sdl12-compat) opens it. It is looked
// up at run time: the game does not link it, and a system without it has nothing to quiet. The
// library stays loaded, so the handler is still the one in place when SDL loads it in turn.
void quietAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_GLOBAL);
    if (alsa == NULL) {
        return;
    }
    typedef void (*Handler)(const char*, int, const char*, int, const char*, ...);
    typedef int (*SetHandler)(Handler);
    SetHandler set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (set != NULL) {
        set(ignoreAlsaError);
    }
}
#else
void quietAlsa() {}
#endif

} // namespace

bool SoundDevice::open() {
    quietAlsa();
    // A power-of-two chunk: sdl12-compat crashes on the first sound played with 500.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0 || Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512) < 0) {
        std::fprintf(stderr, "deadacre: no sound device (%s): playing without sound\n",
                     SDL_GetError());
        return false;
    }
    return true;
}
