#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testsupport;

// The harness itself must be trustworthy before anything is judged with it.
TEST(Harness, FreezeSeesStartedSoundsAndKeepsThemPlaying) {
    Uint8 samples[4000] = {};
    Mix_Chunk* chunk = Mix_QuickLoad_RAW(samples, sizeof samples);
    ASSERT_NE(nullptr, chunk);
    {
        AudioFreeze freeze;
        EXPECT_EQ(0, freeze.count(chunk));
        Mix_PlayChannelTimed(-1, chunk, 0, -1);
        Mix_PlayChannelTimed(-1, chunk, 0, -1);
        SDL_Delay(50); // far longer than 4000 bytes of audio: a running mixer would finish them
        EXPECT_EQ(2, freeze.count(chunk));
    }
    EXPECT_EQ(0, Mix_Playing(-1));
    Mix_FreeChunk(chunk);
}

TEST(Harness, KeysMouseAndPixelsGoThroughSdl) {
    holdKey(SDLK_w);
    EXPECT_EQ(1, SDL_GetKeyState(NULL)[SDLK_w]);
    releaseAllKeys();
    EXPECT_EQ(0, SDL_GetKeyState(NULL)[SDLK_w]);

    moveMouse(123, 456);
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(123, x);
    EXPECT_EQ(456, y);

    fillScreen(0x336699);
    EXPECT_EQ(0x336699u, screenPixel(1079, 719));
}
