#ifndef QUITSIGNAL_H
#define QUITSIGNAL_H

// Interrupt, terminate, quit and hang-up, once the game catches them, only leave a note here: the
// loops that read it end as on a window close, and everything is released on the way out.
class QuitSignal {
public:
    // From here on those four signals are only noted. Before SDL_Init, so that SDL leaves them to
    // the game. A signal already ignored (nohup, a background job) stays ignored.
    static void catchSignals();
    // The signal that arrived, or 0.
    static int arrived();
    // As if signalNumber had arrived (0: as if none had); for tests.
    static void note(int signalNumber);
};

#endif
