#ifndef RATECAPTION_H
#define RATECAPTION_H

#include "Timer.h"

// The window's "FPS = " caption: the mean rate of frames shown since the loop that owns the
// window's title started, written once a second.
//
// Its timers read the game's clock like every other, and a recording keeps every reading of a
// pass in order: the loop calls count before FrameClock::passEnds and write after it, the places
// these readings have always had.
class RateCaption {
public:
    RateCaption();
    // Starts the rate clock: from here on the caption shows frames per second since now.
    void start();
    // A pass has ended; shown: its frame was shown. Before the frame count or the rate clock runs
    // out of range (2^31 frames, 24.8 days), both start again, so the rate stays a true mean.
    void count(bool shown);
    // Puts the mean rate in the caption when a second has gone by since it was last written.
    void write();

    // Frames shown since the rate clock started, and when the caption is next written.
    int frameCount;
    Timer rateTimer;
    Timer captionTimer;
};

#endif
