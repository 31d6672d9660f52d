#include "QuitSignal.h"

#include <csignal>
#include <cstring>

namespace {
volatile sig_atomic_t noted = 0;

void noteSignal(int signalNumber) { noted = signalNumber; }
} // namespace

// SDL's own handlers shut SDL down, or queue an event, inside the handler, which can deadlock in
// Xlib; this one only notes the signal. Crash signals keep their default action.
// No SA_RESTART: a call that can wait forever (reading a pipe, waiting on a device) must give up
// with EINTR when a signal comes, or nothing could end the game while it waits.
void QuitSignal::catchSignals() {
    const int quitSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};
    for (int signalNumber : quitSignals) {
        struct sigaction action;
        if (sigaction(signalNumber, NULL, &action) == 0 && action.sa_handler == SIG_IGN) {
            continue;
        }
        std::memset(&action, 0, sizeof action);
        action.sa_handler = noteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(signalNumber, &action, NULL);
    }
}

int QuitSignal::arrived() { return noted; }

void QuitSignal::note(int signalNumber) { noted = signalNumber; }
