#include "ImageLoader.h"

#include <SDL/SDL_image.h>

ImageLoader::ImageLoader() {}

SDL_Surface* ImageLoader::optimizeImage(std::string filename) {
    SDL_Surface* loaded = IMG_Load(filename.c_str());
    if (loaded == NULL) {
        return NULL;
    }
    bool png = filename.size() >= 3 && filename.compare(filename.size() - 3, 3, "png") == 0;
    SDL_Surface* converted = png ? SDL_DisplayFormatAlpha(loaded) : SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    return converted;
}

void ImageLoader::paintImage(SDL_Surface* source, SDL_Surface* destination, int x, int y,
                             SDL_Rect* clip) {
    SDL_Rect offset;
    offset.x = static_cast<Sint16>(x);
    offset.y = static_cast<Sint16>(y);
    offset.w = 0;
    offset.h = 0;
    SDL_UpperBlit(source, clip, destination, &offset);
}
