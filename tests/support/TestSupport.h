#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Collision.h"
#include "HUD.h"
#include "Level1.h"
#include "Player.h"
#include "Projectile.h"
#include "Unit.h"

namespace testsupport {

// SDL's dummy video and audio drivers, chosen before SDL starts.
void chooseDummyDrivers();
// Brings SDL, the fonts and the mixer up on the drivers chosen, with the real 1080 x 720 x 32
// surface in a window, the game's globals, the data folder as working directory and the scripted
// clock behind every Timer. Returns what failed, or "".
std::string startSdl();
void stopSdl();

// Brings SDL up once for the whole run on the dummy video and audio drivers, with the real
// 1080 x 720 x 32 surface, the game's globals, the data folder as working directory and the
// scripted clock behind every Timer.
class SdlEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// The scripted clock: time moves only when a test says so.
struct FakeClock {
    static Uint32 ticks;
    static Uint32 read();
    static void set(Uint32 ms) { ticks = ms; }
    static void advance(Uint32 ms) { ticks += ms; }
};

// Input through SDL's own channels: the key-state array, the mouse state and the event queue.
void holdKey(SDLKey key);
void releaseKey(SDLKey key);
void releaseAllKeys();
void moveMouse(int x, int y); // sets the mouse state and drops the motion event it queues
void pushKeyDown(SDLKey key);
void pushMouseButton(Uint8 button, bool down);
void pushQuit();
// A joystick event: an axis moved, a hat pressed, or a button pressed or let go.
void pushJoystick(Uint8 type, Uint8 index, Sint16 value);
void drainEvents();

// Pixels of the video surface, as 0xRRGGBB.
Uint32 pixelAt(SDL_Surface* surface, int x, int y);
Uint32 screenPixel(int x, int y);
void fillScreen(Uint32 rgb);

// Holds the mixer still while alive, so a test can see which sounds were started: the audio
// thread cannot advance or finish a channel until the freeze ends and every channel is halted.
class AudioFreeze {
public:
    AudioFreeze();
    ~AudioFreeze();
    // The chunks of every channel started since the freeze began, in channel order.
    std::vector<Mix_Chunk*> playing();
    int count(Mix_Chunk* chunk);
    // Expects the sound `what` to have been started `times` times; a sound that did not load
    // fails, since the game's sounds are all in data/.
    void expectStarted(Mix_Chunk* chunk, int times, const char* what);
};

// Resets the globals the game shares so that one test's level does not leak into the next.
void resetGameGlobals();

// A real level built by the real set-up, with no keys held, no events queued and the pointer in
// the middle of the screen; endLevel frees it and leaves the input as clean.
Level1* startLevel();
void endLevel(Level1* level);

// A real level built by the real set-up, driven pass by pass.
class LevelFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs n passes, advancing the clock by stepMs before each.
    void runPasses(int n, Uint32 stepMs = 1);
    Level1* level = nullptr;
};

// A real player with a collision service of its own, and with its HUD when asked, found by the
// world objects through the globals as in a level; nothing else of a level is made.
class PlayerFixture : public ::testing::Test {
protected:
    explicit PlayerFixture(bool withHud = false) : withHud(withHud) {}
    void SetUp() override;
    void TearDown() override;
    Collision service;
    Player* p = nullptr;
    HUD* h = nullptr;

private:
    bool withHud;
};

// Test doubles of the object families.
// A projectile standing still at a view position, with the damage it does.
struct StillProjectile : Projectile {
    StillProjectile(double x, double y, int damage = 1) : x(x), y(y), damage(damage) {}
    SDL_Surface* draw() override { return nullptr; }
    double getXLocation() override { return x; }
    double getYLocation() override { return y; }
    bool isDestroyed() override { return destroyed; }
    int getDamage() override { return damage; }
    void destroy() override { destroyed = true; }
    double x, y;
    int damage;
    bool destroyed = false;
};

// A unit of 50 x 50 standing still at a view position, harmless and never destroyed.
struct BoxUnit : Unit {
    BoxUnit(int id, int x, int y) : id(id), x(x), y(y) {}
    SDL_Surface* draw() override { return nullptr; }
    int getXLocation() override { return x; }
    int getYLocation() override { return y; }
    int getWidth() override { return 50; }
    int getHeight() override { return 50; }
    int attack() override { return 0; }
    void cleanup() override {}
    bool isDestroyed() override { return false; }
    int getId() override { return id; }
    int id, x, y;
};

} // namespace testsupport

#endif
