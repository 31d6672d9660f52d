#include "ImageLoader.h"

#include <SDL/SDL_image.h>
#include <unistd.h>

#include <cstdio>

#include "FastDrawing.h"

ImageLoader::ImageLoader() {}

// The game plays on without a picture it cannot load, so a game started outside its data folder
// would show a black screen and say nothing. One line names the first file that was missing and
// where it was looked for; the rest would only repeat it.
static void reportFirstMissingFile(const std::string& filename) {
    static bool reported = false;
    if (reported) {
        return;
    }
    reported = true;
    char folder[4096];
    std::fprintf(stderr,
                 "deadacre: could not load %s in %s (start the game in its data folder, or "
                 "through its launcher)\n",
                 filename.c_str(), getcwd(folder, sizeof folder) ? folder : "?");
}

SDL_Surface* ImageLoader::optimizeImage(std::string filename) {
    SDL_Surface* loaded = IMG_Load(filename.c_str());
    if (loaded == NULL) {
        reportFirstMissingFile(filename);
        return NULL;
    }
    bool png = filename.size() >= 3 && filename.compare(filename.size() - 3, 3, "png") == 0;
    SDL_Surface* converted = png ? SDL_DisplayFormatAlpha(loaded) : SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    if (png && converted != NULL) {
        FastDrawing::prepareAlphaPicture(converted);
    }
    return converted;
}

void ImageLoader::paintImage(SDL_Surface* source, SDL_Surface* destination, int x, int y,
                             SDL_Rect* clip) {
    if (FastDrawing::paint(source, destination, x, y, clip)) {
        return;
    }
    SDL_Rect offset;
    offset.x = static_cast<Sint16>(x);
    offset.y = static_cast<Sint16>(y);
    offset.w = 0;
    offset.h = 0;
    // Classic SDL blits a picture without an alpha channel at full surface alpha as an opaque
    // one; sdl12-compat paints nothing of an 8-bit picture (the rendered texts) that way. The
    // plain blit gives classic SDL's pixels on both.
#ifdef __EMSCRIPTEN__
    bool opaqueAlpha = false; // the browser's SDL keeps no surface alpha in the pixel format
#else
    bool opaqueAlpha = source != NULL && (source->flags & SDL_SRCALPHA) != 0 &&
                       source->format->Amask == 0 && source->format->alpha == SDL_ALPHA_OPAQUE;
#endif
    if (opaqueAlpha) {
        SDL_SetAlpha(source, 0, SDL_ALPHA_OPAQUE);
    }
    SDL_UpperBlit(source, clip, destination, &offset);
    if (opaqueAlpha) {
        SDL_SetAlpha(source, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
    }
}
