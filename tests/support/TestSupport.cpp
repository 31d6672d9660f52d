#include "TestSupport.h"

#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>
#include <cstdlib>
#include <unistd.h>

#include "Collision.h"
#include "Game.h"
#include "ImageLoader.h"
#include "Screen.h"
#include "Timer.h"
#include "Volume.h"

namespace testsupport {

Uint32 FakeClock::ticks = 1000;

Uint32 FakeClock::read() { return ticks; }

void chooseDummyDrivers() {
    // Only the tests choose the headless drivers; the game reads no environment of its own.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

std::string startSdl() {
#ifdef GAME_DATA_DIR
    if (chdir(GAME_DATA_DIR) != 0) {
        return "cannot enter " GAME_DATA_DIR;
    }
#endif
    // As the game starts it: no timer subsystem, whose thread would wake every millisecond and
    // count in the benchmark's processor time though the game never pays it.
    if (SDL_Init(SDL_INIT_EVERYTHING & ~SDL_INIT_TIMER) != 0) {
        return std::string("SDL_Init: ") + SDL_GetError();
    }
    if (TTF_Init() != 0) {
        return "TTF_Init failed";
    }
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512) != 0) {
        return std::string("Mix_OpenAudio: ") + Mix_GetError();
    }
    // A window, not full screen: on sdl12-compat a full-screen surface sits on SDL2's dummy
    // display of 1024 x 768 and the pointer stops at x 1023, and every flip is scaled to it.
    // Classic SDL's dummy surface is the same either way.
    mainScreen = SDL_SetVideoMode(1080, 720, 32, 0);
    if (mainScreen == nullptr) {
        return std::string("no video mode: ") + SDL_GetError();
    }
    Mix_AllocateChannels(1000);
    imageHandler = new ImageLoader();
    camera.x = 0;
    camera.y = 0;
    camera.w = 1080;
    camera.h = 720;
    Timer::setClock(FakeClock::read);
    return "";
}

void stopSdl() {
    Timer::setClock(nullptr);
    delete imageHandler;
    imageHandler = nullptr;
    Mix_CloseAudio();
    TTF_Quit();
    SDL_Quit();
}

void SdlEnvironment::SetUp() {
    chooseDummyDrivers();
    ASSERT_EQ("", startSdl());
}

void SdlEnvironment::TearDown() { stopSdl(); }

void holdKey(SDLKey key) { SDL_GetKeyState(NULL)[key] = 1; }

void releaseKey(SDLKey key) { SDL_GetKeyState(NULL)[key] = 0; }

void releaseAllKeys() {
    int count = 0;
    Uint8* keys = SDL_GetKeyState(&count);
    for (int i = 0; i < count; i++) {
        keys[i] = 0;
    }
}

void moveMouse(int x, int y) {
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
    SDL_Event dropped;
    SDL_PumpEvents();
    while (SDL_PeepEvents(&dropped, 1, SDL_GETEVENT, SDL_MOUSEMOTIONMASK) > 0) {
    }
}

void pushKeyDown(SDLKey key) {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void pushMouseButton(Uint8 button, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.type = event.type;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

void pushQuit() {
    SDL_Event event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

void pushJoystick(Uint8 type, Uint8 index, Sint16 value) {
    SDL_Event event = {};
    event.type = type;
    if (type == SDL_JOYAXISMOTION) {
        event.jaxis.axis = index;
        event.jaxis.value = value;
    } else if (type == SDL_JOYHATMOTION) {
        event.jhat.hat = index;
        event.jhat.value = static_cast<Uint8>(value);
    } else {
        event.jbutton.button = index;
        event.jbutton.state = type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    }
    SDL_PushEvent(&event);
}

void drainEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
}

Uint32 pixelAt(SDL_Surface* surface, int x, int y) {
    SDL_LockSurface(surface);
    Uint8* row = static_cast<Uint8*>(surface->pixels) + y * surface->pitch;
    Uint32 raw = 0;
    switch (surface->format->BytesPerPixel) {
    case 4:
        raw = reinterpret_cast<Uint32*>(row)[x];
        break;
    case 1:
        raw = row[x];
        break;
    default:
        ADD_FAILURE() << "unexpected pixel size " << int(surface->format->BytesPerPixel);
    }
    SDL_UnlockSurface(surface);
    Uint8 r, g, b;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return (Uint32(r) << 16) | (Uint32(g) << 8) | b;
}

Uint32 screenPixel(int x, int y) { return pixelAt(mainScreen, x, y); }

void fillScreen(Uint32 rgb) {
    // Through the screen, so its record of painted areas stays true.
    Screen::fill(mainScreen, NULL,
                 SDL_MapRGB(mainScreen->format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
}

AudioFreeze::AudioFreeze() {
    Mix_HaltChannel(-1);
    SDL_LockAudio();
}

AudioFreeze::~AudioFreeze() {
    Mix_HaltChannel(-1);
    SDL_UnlockAudio();
}

std::vector<Mix_Chunk*> AudioFreeze::playing() {
    std::vector<Mix_Chunk*> chunks;
    int channels = Mix_AllocateChannels(-1);
    for (int i = 0; i < channels; i++) {
        if (Mix_Playing(i)) {
            chunks.push_back(Mix_GetChunk(i));
        }
    }
    return chunks;
}

int AudioFreeze::count(Mix_Chunk* chunk) {
    int n = 0;
    for (Mix_Chunk* c : playing()) {
        n += c == chunk ? 1 : 0;
    }
    return n;
}

void AudioFreeze::expectStarted(Mix_Chunk* chunk, int times, const char* what) {
    ASSERT_NE(nullptr, chunk) << what << " did not load";
    EXPECT_EQ(times, count(chunk)) << what;
}

void resetGameGlobals() {
    camera.x = 0;
    camera.y = 0;
    camera.w = 1080;
    camera.h = 720;
    mouseDown = false;
    collisionDetection = nullptr;
    particleEngine = nullptr;
    player = nullptr;
    hud = nullptr;
    mapWidth = 2916;
    mapHeight = 1712;
    Volume::set(100, false);
    Mix_Volume(-1, MIX_MAX_VOLUME);
    Mix_VolumeMusic(MIX_MAX_VOLUME);
}

Level1* startLevel() {
    releaseAllKeys();
    drainEvents();
    moveMouse(540, 360);
    Level1* level = new Level1(imageHandler, mainScreen, Level1::Manual());
    level->setUpWorld();
    return level;
}

void endLevel(Level1* level) {
    level->cleanup();
    delete level;
    releaseAllKeys();
    drainEvents();
}

void LevelFixture::SetUp() {
    resetGameGlobals();
    level = startLevel();
}

void LevelFixture::TearDown() {
    endLevel(level);
    level = nullptr;
    resetGameGlobals();
}

void PlayerFixture::SetUp() {
    resetGameGlobals();
    collisionDetection = &service;
    p = player = new Player(imageHandler, mainScreen, &service);
    if (withHud) {
        h = hud = new HUD(imageHandler, mainScreen, p);
    }
}

void PlayerFixture::TearDown() {
    delete h;
    delete p;
    h = nullptr;
    p = nullptr;
    resetGameGlobals();
}

void LevelFixture::runPasses(int n, Uint32 stepMs) {
    for (int i = 0; i < n; i++) {
        FakeClock::advance(stepMs);
        level->runPass();
    }
}

} // namespace testsupport
