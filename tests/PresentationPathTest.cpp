#include <SDL/SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "Globals.h"
#include "PresentationPath.h"

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value == NULL ? "(unset)" : value;
}

void setOrUnset(const char* name, const char* value) {
    if (value == NULL) {
        unsetenv(name);
    } else {
        setenv(name, value, 1);
    }
}

} // namespace

// Only sdl12-compat, and only when the player named neither half of the pair, gets the software
// path; the suite runs on both runtimes, so both answers are checked.
TEST(PresentationPath, SoftwarePairOnlyOnCompatAndNeverOverThePlayersChoice) {
    const bool compat = SDL_Linked_Version()->patch >= 50;
    struct Case {
        const char* driver;
        const char* acceleration;
    } cases[] = {{NULL, NULL}, {"opengl", NULL}, {NULL, "1"}, {"software", "true"}, {"", NULL}};
    const std::string savedDriver = variable(PresentationPath::RENDER_DRIVER);
    const std::string savedAcceleration = variable(PresentationPath::FRAMEBUFFER_ACCELERATION);
    for (const Case& c : cases) {
        setOrUnset(PresentationPath::RENDER_DRIVER, c.driver);
        setOrUnset(PresentationPath::FRAMEBUFFER_ACCELERATION, c.acceleration);
        const bool untouched = c.driver != NULL || c.acceleration != NULL || !compat;
        SCOPED_TRACE(std::string(c.driver ? c.driver : "(unset)") + " / " +
                     (c.acceleration ? c.acceleration : "(unset)"));
        EXPECT_EQ(!untouched, PresentationPath::choose());
        EXPECT_EQ(untouched ? (c.driver ? c.driver : "(unset)") : "software",
                  variable(PresentationPath::RENDER_DRIVER));
        EXPECT_EQ(untouched ? (c.acceleration ? c.acceleration : "(unset)") : "false",
                  variable(PresentationPath::FRAMEBUFFER_ACCELERATION));
    }
    setOrUnset(PresentationPath::RENDER_DRIVER,
               savedDriver == "(unset)" ? NULL : savedDriver.c_str());
    setOrUnset(PresentationPath::FRAMEBUFFER_ACCELERATION,
               savedAcceleration == "(unset)" ? NULL : savedAcceleration.c_str());
}

// The direct copy applies only on sdl12-compat's software renderer (the dummy driver's window is
// one, in the screen's format), never where the player turned it off; areas alone are sent only
// after a whole frame went through it, never after one shown by SDL_Flip.
TEST(PresentationPath, DirectCopyOnlyOnCompatsFramebufferAndAreasOnlyAfterAWholeFrame) {
    const bool compat = SDL_Linked_Version()->patch >= 50;
    const std::string saved = variable(PresentationPath::DIRECT_COPY);
    struct Case {
        const char* setting;
        bool copies;
    } cases[] = {{NULL, compat}, {"1", compat}, {"0", false}, {NULL, compat}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting ? c.setting : "(unset)");
        setOrUnset(PresentationPath::DIRECT_COPY, c.setting);
        EXPECT_EQ(c.copies, PresentationPath::directCopyAllowed() && compat);
        PresentationPath::flip(mainScreen);
        EXPECT_EQ(!compat || c.copies, PresentationPath::showsPartialUpdates(mainScreen));
        EXPECT_EQ(c.copies, PresentationPath::copyToWindow(mainScreen));
    }
    setOrUnset(PresentationPath::DIRECT_COPY, saved == "(unset)" ? NULL : saved.c_str());
}
