/* Preloaded into the real game binary to play a fixed script through SDL's own input
 * functions, for runs where no one sits at the keyboard (the memcheck run). The game knows
 * nothing of it: at the first SDL_PollEvent of each pass of the level it holds keys in SDL's
 * key-state array, warps the mouse and queues events, and at the end it queues the quit event.
 *
 * The player walks one step per pass that comes more than 20 ms after its last step; the script
 * counts steps by the same rule, so the walk reaches the weapons lying on the map however fast
 * the passes run. Each phase is logged to standard error. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

typedef int (*PollEvent)(SDL_Event*);

enum Action { WALK, HOLD, CLICKS, FIRE, PRESS, QUIT };

struct Phase {
    const char* name;
    enum Action action;
    SDLKey key; /* the key walked, held or pressed */
    int amount; /* steps walked, passes held, clicks made, or milliseconds of fire */
    int mouseX, mouseY;
};

/* From (540, 600) with the view fixed by the pointer at (600, 400): right to the weapons' column,
 * up over the Glock to the Uzi, down to the flamethrower; then every weapon fired and the other
 * keys pressed. */
static const struct Phase script[] = {
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
static const int phaseCount = sizeof(script) / sizeof(script[0]);

static int phase = -1;
static int progress;      /* steps, passes, clicks or 0, within the phase */
static Uint32 phaseStart; /* SDL_GetTicks at the start of the phase */
static Uint32 lastStep;   /* when the player last stepped, by its own rule */
static Uint32 lastClick;
static int inPoll; /* inside the event loop of one pass */
static int finished;

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
    Uint32 now = SDL_GetTicks();
    Uint8* keys = SDL_GetKeyState(NULL);
    if (phase < 0) {
        lastStep = now;
        nextPhase(now);
    }
    const struct Phase* p = &script[phase];
    int done = 0;
    switch (p->action) {
    case WALK:
        keys[p->key] = 1;
        if (now - lastStep > 20) {
            lastStep = now;
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
    case QUIT:
        push(SDL_QUIT, 0, SDLK_UNKNOWN);
        fprintf(stderr, "input script: done\n");
        finished = 1;
        return;
    }
    if (done && phase + 1 < phaseCount) {
        nextPhase(now);
    }
}

int SDL_PollEvent(SDL_Event* event) {
    static PollEvent real = NULL;
    if (real == NULL) {
        real = (PollEvent)dlsym(RTLD_NEXT, "SDL_PollEvent");
    }
    if (!inPoll && !finished) {
        act();
    }
    inPoll = 1;
    int got = real(event);
    if (!got) {
        inPoll = 0;
    }
    return got;
}
