#include "PresentationPath.h"

#include <SDL/SDL.h>
#include <cstdlib>

const char* const PresentationPath::RENDER_DRIVER = "SDL_RENDER_DRIVER";
const char* const PresentationPath::SOFTWARE_RENDERER = "software";
const char* const PresentationPath::FRAMEBUFFER_ACCELERATION = "SDL_FRAMEBUFFER_ACCELERATION";
const char* const PresentationPath::NO_FRAMEBUFFER_ACCELERATION = "false";

static bool runtimeIsSdl12Compat() { return SDL_Linked_Version()->patch >= 50; }

bool PresentationPath::choose() {
    // The two go together: a player who named either one has chosen a path, and half of the
    // software pair would make it slower than either whole path.
    if (!runtimeIsSdl12Compat() || std::getenv(RENDER_DRIVER) != NULL ||
        std::getenv(FRAMEBUFFER_ACCELERATION) != NULL) {
        return false;
    }
    setenv(RENDER_DRIVER, SOFTWARE_RENDERER, 0);
    setenv(FRAMEBUFFER_ACCELERATION, NO_FRAMEBUFFER_ACCELERATION, 0);
    return true;
}

std::string PresentationPath::describe() {
    if (!runtimeIsSdl12Compat()) {
        return "classic SDL 1.2 (its own X output)";
    }
    const char* driver = std::getenv(RENDER_DRIVER);
    const char* acceleration = std::getenv(FRAMEBUFFER_ACCELERATION);
    return std::string(RENDER_DRIVER) + "=" + (driver ? driver : "(SDL2's choice)") + " " +
           FRAMEBUFFER_ACCELERATION + "=" + (acceleration ? acceleration : "(SDL2's choice)");
}
