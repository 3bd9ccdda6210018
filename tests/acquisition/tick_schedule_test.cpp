// The acquisition's grid of ticks on the monotonic clock (a period change: the cycle's tests).
#include "acquisition/tick_schedule.h"

#include <gtest/gtest.h>

using namespace std::chrono;
using acquisition::TickSchedule;

namespace {

const steady_clock::time_point t0{hours{1000}};

TEST(TickSchedule, ALateTickKeepsTheGridAndMissedPeriodsAreSkippedNotRunInABurst)
{
    TickSchedule schedule;
    schedule.start(t0, 1s);
    EXPECT_EQ(schedule.waitFrom(t0), 1000ms) << "the first tick comes one period after the start";
    schedule.advance(t0 + 1300ms);  // tick 1, late by 300 ms
    EXPECT_EQ(schedule.due(), t0 + 2s);
    EXPECT_EQ(schedule.waitFrom(t0 + 1300ms), 700ms);
    schedule.advance(t0 + 4500ms);  // tick 2, so late that ticks 3 and 4 have passed
    EXPECT_EQ(schedule.due(), t0 + 5s);
    schedule.advance(t0 + 4999ms);  // tick 5 fired a millisecond early: 6 is next, not 5 again
    EXPECT_EQ(schedule.due(), t0 + 6s);
    EXPECT_EQ(schedule.waitFrom(t0 + 7s), 0ms) << "an overdue tick is armed at once, not in the past";
}

TEST(TickSchedule, AHeldBackTickStaysDueOrGivesWayToTheNextOneAhead)
{
    TickSchedule schedule;
    schedule.start(t0, 1s);
    schedule.resume(t0 + 400ms);
    EXPECT_EQ(schedule.due(), t0 + 1s);
    schedule.resume(t0 + 2300ms);
    EXPECT_EQ(schedule.due(), t0 + 3s);
    EXPECT_EQ(schedule.waitFrom(t0 + 2999500us), 1ms) << "rounded up, never early";
}

}  // namespace
