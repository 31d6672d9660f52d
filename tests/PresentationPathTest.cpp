#include <SDL/SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "Globals.h"
#include "Level1.h"
#include "PresentationPath.h"
#include "support/TestSupport.h"

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
    const bool compat = PresentationPath::onSdl12Compat();
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
    const bool compat = PresentationPath::onSdl12Compat();
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
        const PresentationPath::Target target = PresentationPath::target(mainScreen);
        EXPECT_EQ(!compat || c.copies, target.takesAreas);
        EXPECT_EQ(c.copies, target.framebuffer != NULL);
        EXPECT_EQ(c.copies, PresentationPath::copiesDirectly(mainScreen));
    }
    setOrUnset(PresentationPath::DIRECT_COPY, saved == "(unset)" ? NULL : saved.c_str());
}

// Each look at the window is several SDL2 calls: the level's frames look once per frame shown,
// whatever the frame sends, and never for the catch-up passes that are not shown.
TEST(PresentationPath, OneLookAtTheWindowPerFrameShown) {
    const bool compat = PresentationPath::onSdl12Compat();
    const std::string saved = variable(PresentationPath::DIRECT_COPY);
    for (const char* setting : {(const char*)NULL, "0"}) {
        SCOPED_TRACE(setting ? setting : "(unset)");
        setOrUnset(PresentationPath::DIRECT_COPY, setting);
        Level1* level = testsupport::startLevel();
        testsupport::holdKey(SDLK_d); // walking: the view moves
        level->runFrame();
        const long before = PresentationPath::tally().framebufferLookUps;
        const int frames = 60;
        for (int i = 0; i < frames; i++) {
            testsupport::FakeClock::advance(i % 2 ? 17 : 3); // catch-up frames and single passes
            level->runFrame();
        }
        testsupport::releaseKey(SDLK_d);
        EXPECT_EQ(compat && setting == NULL ? frames : 0,
                  PresentationPath::tally().framebufferLookUps - before);
        testsupport::endLevel(level);
    }
    setOrUnset(PresentationPath::DIRECT_COPY, saved == "(unset)" ? NULL : saved.c_str());
}
