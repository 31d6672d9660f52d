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
