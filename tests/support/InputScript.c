/* Preloaded into the real game binary to play a fixed script through SDL's own input
 * functions, for runs where no one sits at the keyboard (the memcheck run). The game knows
 * nothing of it: at the first read of each pass of the level (SDL_PollEvent, or SDL_PeepEvents
 * taking events, which the game uses between its looks at the display) it holds keys in SDL's
 * key-state array, warps the mouse and queues events, and at the end it queues the quit event.
 *
 * From the script's first action on, the game's clock (SDL_GetTicks) is the script's own: it
 * moves on by 16 ms with each frame the game shows (a 60 Hz display), however long the frame
 * really took. With INPUT_SCRIPT_PASS_MS set it moves on by that much instead, and each frame is
 * also held that long in real time, so that a recorded game plays at about its real pace. The
 * game catches that time up in passes of its own, as it does when frames come far apart, and the
 * player walks one step per 21 ms of it; the script counts steps by the same rule and clock, so
 * the walk reaches the weapons lying on the map however fast or slowly the machine runs (under
 * valgrind, on a loaded machine), and only one frame in sixteen passes is painted and shown.
 * Each phase is logged to standard error.
 *
 * INPUT_SCRIPT names the script (default "memcheck"; the others make the committed recordings
 * in tests/replays/). */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int (*PollEvent)(SDL_Event*);
typedef int (*PeepEvents)(SDL_Event*, int, SDL_eventaction, Uint32);
typedef Uint32 (*GetTicks)(void);
typedef int (*Flip)(SDL_Surface*);
typedef void (*UpdateRects)(SDL_Surface*, int, SDL_Rect*);
typedef int (*UpdateWindowSurfaceRects)(void*, const void*, int);

enum Action { WALK, HOLD, CLICKS, FIRE, PRESS, WAIT, QUIT };

struct Phase {
    const char* name;
    enum Action action;
    SDLKey key; /* the key walked, held or pressed */
    int amount; /* steps walked, passes held, clicks made, or milliseconds of fire or wait */
    int mouseX, mouseY;
};

/* From (540, 600) with the view fixed by the pointer at (600, 400): right to the weapons' column,
 * up over the Glock to the Uzi, down to the flamethrower; then every weapon fired and the other
 * keys pressed. */
static const struct Phase memcheckScript[] = {
    {"walk right to the weapons", WALK, SDLK_d, 48, 600, 400},
    {"walk up over the Uzi", WALK, SDLK_w, 43, 600, 400},
    {"walk down over the flamethrower", WALK, SDLK_s, 66, 600, 400},
    {"take the Glock", HOLD, SDLK_1, 3, 300, 200},
    {"fire the Glock", CLICKS, SDLK_UNKNOWN, 6, 250, 150},
    {"reload", PRESS, SDLK_r, 1, 250, 150},
    {"take the Uzi", HOLD, SDLK_2, 3, 200, 100},
    {"hold the Uzi's trigger", FIRE, SDLK_UNKNOWN, 1500, 200, 100},
    {"reload", PRESS, SDLK_r, 1, 200, 100},
    {"take the flamethrower", HOLD, SDLK_3, 3, 350, 250},
    {"burst of flame", FIRE, SDLK_UNKNOWN, 800, 350, 250},
    {"burst of flame", FIRE, SDLK_UNKNOWN, 800, 100, 600},
    {"open the backpack", PRESS, SDLK_t, 1, 500, 500},
    {"drink a potion", PRESS, SDLK_c, 1, 500, 500},
    {"close the backpack", PRESS, SDLK_t, 1, 500, 500},
    {"hold space", HOLD, SDLK_SPACE, 20, 1079, 719},
    {"quit", QUIT, SDLK_UNKNOWN, 0, 0, 0},
};

/* A long way round the map, the pointer swinging the view each leg. */
static const struct Phase walkScript[] = {
    {"walk right", WALK, SDLK_d, 120, 900, 360},
    {"walk down", WALK, SDLK_s, 90, 540, 650},
    {"walk left", WALK, SDLK_a, 150, 150, 360},
    {"walk up", WALK, SDLK_w, 60, 540, 80},
    {"look around", WAIT, SDLK_UNKNOWN, 300, 1079, 0},
    {"look around", WAIT, SDLK_UNKNOWN, 300, 0, 719},
    {"quit", QUIT, SDLK_UNKNOWN, 0, 0, 0},
};

/* Over the gold (the counter lights up, then fades) and down the column of the three potions;
 * then the backpack is opened and two potions are drunk. */
static const struct Phase backpackScript[] = {
    {"walk right", WALK, SDLK_d, 50, 600, 400},
    {"walk up over the gold", WALK, SDLK_w, 70, 600, 400},
    {"walk left to the potions", WALK, SDLK_a, 68, 600, 400},
    {"walk down over the potions", WALK, SDLK_s, 100, 600, 400},
    {"open the backpack", PRESS, SDLK_t, 1, 600, 400},
    {"look at it", WAIT, SDLK_UNKNOWN, 300, 600, 400},
    {"drink a potion", PRESS, SDLK_c, 1, 600, 400},
    {"drink another", PRESS, SDLK_c, 1, 600, 400},
    {"close the backpack", PRESS, SDLK_t, 1, 600, 400},
    {"watch the gold counter fade", WAIT, SDLK_UNKNOWN, 3000, 600, 400},
    {"quit", QUIT, SDLK_UNKNOWN, 0, 0, 0},
};

/* Towards the zombies until they come and bite, then wait among them; the right button quits. */
static const struct Phase zombieScript[] = {
    {"walk up", WALK, SDLK_w, 70, 540, 360},
    {"walk left to the zombies", WALK, SDLK_a, 60, 540, 360},
    {"stand among them", WAIT, SDLK_UNKNOWN, 3500, 400, 300},
    {"walk away", WALK, SDLK_d, 40, 400, 300},
    {"quit with the right button", QUIT, SDLK_UNKNOWN, 1, 0, 0},
};

static const struct Phase* script = memcheckScript;
static int phaseCount = sizeof(memcheckScript) / sizeof(memcheckScript[0]);
static Uint32 frameMs = 16;
static int realPace; /* frames are held frameMs in real time too */

static void chooseScript(void) {
    const char* name = getenv("INPUT_SCRIPT");
    const char* pace = getenv("INPUT_SCRIPT_PASS_MS");
    if (pace != NULL && atoi(pace) > 0) {
        frameMs = (Uint32)atoi(pace);
        realPace = 1;
    }
    if (name == NULL || strcmp(name, "memcheck") == 0) {
        return;
    }
#define CHOOSE(n, s)                                                                               \
    if (strcmp(name, n) == 0) {                                                                    \
        script = s;                                                                                \
        phaseCount = sizeof(s) / sizeof(s[0]);                                                     \
        return;                                                                                    \
    }
    CHOOSE("walk", walkScript)
    CHOOSE("backpack", backpackScript)
    CHOOSE("zombies", zombieScript)
    CHOOSE("weapons", memcheckScript)
    fprintf(stderr, "input script: no script named %s; playing memcheck\n", name);
}

static int phase = -1;
static int progress;      /* steps, passes, clicks or 0, within the phase */
static Uint32 phaseStart; /* SDL_GetTicks at the start of the phase */
static Uint32 lastStep;   /* when the player last stepped, by its own rule */
static Uint32 lastClick;
static int inPoll; /* inside the event loop of one pass */
static int finished;
static int scripted;      /* the clock is the script's */
static Uint32 scriptTime; /* what it reads */
static int inFlip;        /* SDL_Flip may show the frame through SDL_UpdateRects */

static Uint32 realTicks(void) {
    static GetTicks real = NULL;
    if (real == NULL) {
        real = (GetTicks)dlsym(RTLD_NEXT, "SDL_GetTicks");
    }
    return real();
}

Uint32 SDL_GetTicks(void) { return scripted ? scriptTime : realTicks(); }

static void frameShown(void) {
    if (scripted && !inFlip) {
        scriptTime += frameMs;
        if (realPace) {
            SDL_Delay(frameMs);
        }
    }
}

int SDL_Flip(SDL_Surface* screen) {
    static Flip real = NULL;
    if (real == NULL) {
        real = (Flip)dlsym(RTLD_NEXT, "SDL_Flip");
    }
    frameShown();
    inFlip++;
    int status = real(screen);
    inFlip--;
    return status;
}

void SDL_UpdateRects(SDL_Surface* screen, int count, SDL_Rect* rects) {
    static UpdateRects real = NULL;
    if (real == NULL) {
        real = (UpdateRects)dlsym(RTLD_NEXT, "SDL_UpdateRects");
    }
    frameShown();
    inFlip++;
    real(screen, count, rects);
    inFlip--;
}

/* On sdl12-compat the game shows most frames by copying them into SDL2's window framebuffer
 * itself; it looks this one up in the global scope first, so it finds this. SDL2 is loaded by
 * sdl12-compat, not linked, hence the lookup in it by name. */
int SDL_UpdateWindowSurfaceRects(void* window, const void* rects, int count) {
    static UpdateWindowSurfaceRects real = NULL;
    if (real == NULL) {
        void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
        real = sdl2 != NULL ? (UpdateWindowSurfaceRects)dlsym(sdl2, "SDL_UpdateWindowSurfaceRects")
                            : NULL;
    }
    if (real == NULL) {
        return -1;
    }
    frameShown();
    inFlip++;
    int status = real(window, rects, count);
    inFlip--;
    return status;
}

static void push(Uint8 type, Uint8 button, SDLKey key) {
    SDL_Event event;
    memset(&event, 0, sizeof(event));
    event.type = type;
    if (type == SDL_KEYDOWN) {
        event.key.type = type;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = key;
    } else if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) {
        event.button.type = type;
        event.button.button = button;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    }
    SDL_PushEvent(&event);
}

static void nextPhase(Uint32 now) {
    Uint8* keys = SDL_GetKeyState(NULL);
    if (phase >= 0 && script[phase].key != SDLK_UNKNOWN) {
        keys[script[phase].key] = 0;
    }
    if (phase >= 0 && script[phase].action == FIRE) {
        push(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, SDLK_UNKNOWN);
    }
    phase++;
    progress = 0;
    phaseStart = now;
    fprintf(stderr, "input script: %s\n", script[phase].name);
    SDL_WarpMouse((Uint16)script[phase].mouseX, (Uint16)script[phase].mouseY);
    if (script[phase].action == FIRE) {
        push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, SDLK_UNKNOWN);
    }
}

/* One pass's worth of the script, at the first poll of the pass. */
static void act(void) {
    if (phase < 0) {
        chooseScript();
        scriptTime = realTicks();
        scripted = 1;
        lastStep = scriptTime;
        nextPhase(scriptTime);
    }
    Uint32 now = SDL_GetTicks();
    Uint8* keys = SDL_GetKeyState(NULL);
    const struct Phase* p = &script[phase];
    int done = 0;
    switch (p->action) {
    case WALK:
        keys[p->key] = 1;
        /* The game catches a frame up in 1 ms passes, so it steps at exactly 21 ms intervals. */
        while (!done && now - lastStep > 20) {
            lastStep += 21;
            done = ++progress > p->amount;
        }
        break;
    case HOLD:
        keys[p->key] = 1;
        done = ++progress > p->amount;
        break;
    case CLICKS:
        if (now - lastClick > 250) {
            lastClick = now;
            push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, SDLK_UNKNOWN);
            push(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, SDLK_UNKNOWN);
            done = ++progress >= p->amount;
        }
        break;
    case FIRE:
        done = now - phaseStart >= (Uint32)p->amount;
        break;
    case PRESS:
        if (progress++ == 0) {
            push(SDL_KEYDOWN, 0, p->key);
        } else {
            done = 1;
        }
        break;
    case WAIT:
        done = now - phaseStart >= (Uint32)p->amount;
        break;
    case QUIT:
        if (p->amount == 1) {
            push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, SDLK_UNKNOWN);
        } else {
            push(SDL_QUIT, 0, SDLK_UNKNOWN);
        }
        fprintf(stderr, "input script: done\n");
        finished = 1;
        return;
    }
    if (done && phase + 1 < phaseCount) {
        nextPhase(now);
    }
}

/* One pass's reading ends when a read finds the queue empty. */
static void readStarts(void) {
    if (!inPoll && !finished) {
        act();
    }
    inPoll = 1;
}

int SDL_PollEvent(SDL_Event* event) {
    static PollEvent real = NULL;
    if (real == NULL) {
        real = (PollEvent)dlsym(RTLD_NEXT, "SDL_PollEvent");
    }
    readStarts();
    int got = real(event);
    if (!got) {
        inPoll = 0;
    }
    return got;
}

int SDL_PeepEvents(SDL_Event* events, int numevents, SDL_eventaction action, Uint32 mask) {
    static PeepEvents real = NULL;
    if (real == NULL) {
        real = (PeepEvents)dlsym(RTLD_NEXT, "SDL_PeepEvents");
    }
    /* Adding (SDL_PushEvent, the script's own) and peeking are no reads of the game's. */
    if (action != SDL_GETEVENT) {
        return real(events, numevents, action, mask);
    }
    readStarts();
    int got = real(events, numevents, action, mask);
    if (got <= 0) {
        inPoll = 0;
    }
    return got;
}
