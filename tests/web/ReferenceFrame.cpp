// Writes the desktop game's opening view of the level as a binary PPM, for the browser test to
// compare the browser's picture with. Headless on SDL's dummy drivers, with the real set-up and
// real passes; the pointer rests in the middle of the picture, where the page puts it until the
// player's pointer enters. The first pass paints the map before the player has placed the camera,
// so the view every later frame starts from is the second pass's.
//
//   cd data && ../build/web_reference_frame ../build-web/desktop-first-frame.ppm
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>
#include <cstdio>
#include <cstdlib>

#include "Game.h"
#include "ImageLoader.h"
#include "Level1.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.ppm (run from the data folder)\n", argv[0]);
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0 || TTF_Init() < 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 500);
    mainScreen = SDL_SetVideoMode(1080, 720, 32, SDL_FULLSCREEN);
    if (mainScreen == NULL) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    // SDL's software cursor of the dummy driver would be painted into the frame.
    SDL_ShowCursor(SDL_DISABLE);
    SDL_WarpMouse(540, 360);
    imageHandler = new ImageLoader();
    camera.x = 0;
    camera.y = 0;
    camera.w = 1080;
    camera.h = 720;
    Level1* level = new Level1(imageHandler, mainScreen, Level1::Manual());
    level->setUpWorld();
    level->runPass();
    level->runPass();

    int status = 0;
    FILE* out = std::fopen(argv[1], "wb");
    if (out == NULL) {
        std::perror(argv[1]);
        status = 1;
    } else {
        SDL_LockSurface(mainScreen);
        std::fprintf(out, "P6\n%d %d\n255\n", mainScreen->w, mainScreen->h);
        const SDL_PixelFormat* f = mainScreen->format;
        for (int y = 0; y < mainScreen->h; y++) {
            const Uint32* row = reinterpret_cast<const Uint32*>(
                static_cast<const Uint8*>(mainScreen->pixels) + y * mainScreen->pitch);
            for (int x = 0; x < mainScreen->w; x++) {
                Uint8 rgb[3];
                SDL_GetRGB(row[x], f, &rgb[0], &rgb[1], &rgb[2]);
                std::fwrite(rgb, 1, 3, out);
            }
        }
        SDL_UnlockSurface(mainScreen);
        if (std::fclose(out) != 0) {
            std::perror(argv[1]);
            status = 1;
        }
    }
    delete level;
    delete imageHandler;
    Mix_CloseAudio();
    TTF_Quit();
    SDL_Quit();
    return status;
}
