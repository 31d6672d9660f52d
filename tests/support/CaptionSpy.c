/* Preloaded into the real game binary by the headless end-to-end test: appends every window
 * caption the game sets to the file named by CAPTION_LOG, then sets it as usual. The game itself
 * knows nothing of this. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

void SDL_WM_SetCaption(const char* title, const char* icon) {
    typedef void (*SetCaption)(const char*, const char*);
    static SetCaption real = NULL;
    const char* path = getenv("CAPTION_LOG");
    if (path != NULL && title != NULL) {
        FILE* log = fopen(path, "a");
        if (log != NULL) {
            fprintf(log, "%s\n", title);
            fclose(log);
        }
    }
    if (real == NULL) {
        real = (SetCaption)dlsym(RTLD_NEXT, "SDL_WM_SetCaption");
    }
    if (real != NULL) {
        real(title, icon);
    }
}

/* With VIDEOMODE_LOG set, also records each video mode asked for: "WxHxBPP fullscreen" or
 * "WxHxBPP window". With VIDEOMODE_REFUSE set, every mode is refused, as by a screen that can
 * set none. */
void* SDL_SetVideoMode(int width, int height, int bpp, unsigned int flags) {
    typedef void* (*SetVideoMode)(int, int, int, unsigned int);
    static SetVideoMode real = NULL;
    const char* path = getenv("VIDEOMODE_LOG");
    if (path != NULL) {
        FILE* log = fopen(path, "a");
        if (log != NULL) {
            /* SDL_FULLSCREEN in SDL 1.2's SDL_video.h */
            fprintf(log, "%dx%dx%d %s\n", width, height, bpp,
                    (flags & 0x80000000u) ? "fullscreen" : "window");
            fclose(log);
        }
    }
    if (real == NULL) {
        real = (SetVideoMode)dlsym(RTLD_NEXT, "SDL_SetVideoMode");
    }
    if (getenv("VIDEOMODE_REFUSE") != NULL) {
        typedef void (*SetError)(const char*, ...);
        SetError setError = (SetError)dlsym(RTLD_NEXT, "SDL_SetError");
        if (setError != NULL) {
            setError("the test's screen refuses every mode");
        }
        return NULL;
    }
    return real != NULL ? real(width, height, bpp, flags) : NULL;
}
