#include <climits>
#include <gtest/gtest.h>

#include "Timer.h"
#include "support/TestSupport.h"

using testsupport::FakeClock;

TEST(Timer, StoppedOrNewReadsZeroAndStartCountsFromZero) {
    FakeClock::set(5000);
    Timer timer;
    EXPECT_EQ(0, timer.getTime());
    EXPECT_FALSE(timer.isStarted());
    timer.start();
    FakeClock::advance(250);
    EXPECT_EQ(250, timer.getTime());
    timer.stop();
    EXPECT_EQ(0, timer.getTime());
    FakeClock::advance(100);
    timer.start();
    FakeClock::advance(7);
    EXPECT_EQ(7, timer.getTime());
}

TEST(Timer, PauseHoldsTheValueAndUnpauseContinuesFromIt) {
    FakeClock::set(1000);
    Timer timer;
    timer.pause(); // stopped: nothing happens
    EXPECT_FALSE(timer.isPaused());
    timer.start();
    timer.unpause(); // running: nothing happens
    FakeClock::advance(40);
    EXPECT_EQ(40, timer.getTime());
    timer.pause();
    FakeClock::advance(500);
    EXPECT_TRUE(timer.isPaused());
    EXPECT_EQ(40, timer.getTime());
    EXPECT_EQ(40, timer.getTime());
    timer.unpause();
    FakeClock::advance(10);
    EXPECT_EQ(50, timer.getTime());
    // start() on a paused timer clears the pause and counts from zero again.
    timer.pause();
    timer.start();
    EXPECT_FALSE(timer.isPaused());
    FakeClock::advance(3);
    EXPECT_EQ(3, timer.getTime());
}

TEST(Timer, StaysRightWhenTheTickCounterWraps) {
    FakeClock::set(0xFFFFFF00u);
    Timer timer;
    timer.start();
    FakeClock::advance(0x200); // the counter wraps past zero
    EXPECT_EQ(0x200, timer.getTime());
    timer.pause();
    timer.unpause();
    FakeClock::advance(10);
    EXPECT_EQ(0x20A, timer.getTime());
    FakeClock::set(1000);
}

TEST(Timer, SaturatesInsteadOfGoingNegativeAfterTwentyFiveDays) {
    FakeClock::set(0);
    Timer timer;
    timer.start();
    FakeClock::set(0x90000000u);
    EXPECT_EQ(INT_MAX, timer.getTime());
    FakeClock::set(1000);
}
