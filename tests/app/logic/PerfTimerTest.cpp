#include <gtest/gtest.h>

#include "app/logic/PerfTimer.h"
#include "platform/Clock.h"
#include "support/ManualClock.h"

namespace {
struct ManualClockScope {
    explicit ManualClockScope(CManualClock& c) { SetClock(&c); }
    ~ManualClockScope() { SetClock(nullptr); }
};
} // namespace

// Elapsed time and rate each measure from their own previous reading, the
// start on the first call; a restart does not move those readings; two
// readings in the same instant give a rate of 0.
TEST(CPerfTimer, ElapsedAndRateKeepTheirOwnReadings)
{
    CManualClock clock;
    ManualClockScope scope(clock);
    clock.Set(100.0);
    CPerfTimer t;
    ASSERT_TRUE(t.Start());
    EXPECT_EQ(t.m_nFrequency, 1'000'000'000);

    clock.Advance(0.5);
    EXPECT_FLOAT_EQ(t.GetRate(10), 20.0f); // 10 frames in 0.5 s since the start
    clock.Advance(0.25);
    EXPECT_FLOAT_EQ(t.GetElapsed(), 0.75f); // its first reading: from the start
    clock.Advance(0.25);
    EXPECT_FLOAT_EQ(t.GetElapsed(), 0.25f);
    EXPECT_FLOAT_EQ(t.GetRate(10), 20.0f); // 10 frames in 0.5 s since its own last
    EXPECT_EQ(t.m_nFrames, 20u);

    EXPECT_EQ(t.GetRate(10), 0.0f);
    EXPECT_EQ(t.GetElapsed(), 0.0f);

    clock.Advance(1.0);
    t.Start();
    clock.Advance(1.0);
    EXPECT_FLOAT_EQ(t.GetRate(10), 5.0f);
}
