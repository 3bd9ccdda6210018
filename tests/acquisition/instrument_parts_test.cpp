// The instrument's parts below the cycle: the converter read against its wire-level model with
// its clock real or in hand (a read cut short by the port: tests/emu_ppdev), the tick grid on the
// monotonic clock and the strip chart's points.
#include <gtest/gtest.h>

#include <chrono>

#include "acquisition/max187.h"
#include "acquisition/plot_geometry.h"
#include "acquisition/simulated_max187.h"
#include "acquisition/tick_schedule.h"

using namespace acquisition;
using namespace std::chrono;

namespace {

TEST(SimulatedMax187, ReadGivesTheCodeWhateverTheOtherStatusBitsDo)
{
    const std::uint8_t others[] = {0xDF, 0x00, 0x90, 0x5F, 0x08};
    std::size_t op = 0;
    SimulatedMax187 sim([&] {
        sim.setOtherStatusBits(others[op++ % 5]);  // they change at every port operation
        return steady_clock::now();
    });
    for (const std::uint16_t code : {4095, 0, 2048, 1, 0xA5C}) {
        sim.setCounts(code);
        EXPECT_EQ(std::pair(readConversion(sim), sim.chipSelectReleased()), std::pair(code, true)) << "the converter left idle";
    }
}

// The simulator's clock in hand, port operations instant: two reads in a row get their codes
// only when each keeps the acquisition, waits out the conversion and keeps the clock phases.
TEST(SimulatedMax187, AReadThatSkipsAConverterWaitGetsAWrongCodeAndNoneSkippedGetsTheRightOne)
{
    for (const auto skipped : {nanoseconds{0}, nanoseconds{kAcquisitionWait}, nanoseconds{kConversionWait}, nanoseconds{kClockPhase}}) {
        auto t = steady_clock::time_point{} + 1h;
        SimulatedMax187 sim([&] { return t; });
        const auto pause = [&](nanoseconds d) { t += d == skipped ? 0ns : d; };
        sim.setCounts(0xA5C);
        const auto first = readConversion(sim, pause);
        sim.setCounts(0x5A3);
        const auto second = readConversion(sim, pause);
        EXPECT_EQ(std::pair(first == 0xA5C || skipped != 0ns, second == 0x5A3), std::pair(true, skipped == 0ns)) << skipped.count() << " ns skipped";
    }
}

const steady_clock::time_point t0{hours{1000}};

TEST(TickSchedule, ALateTickKeepsTheGridAndMissedPeriodsAreSkippedNotRunInABurst)
{
    TickSchedule schedule;
    schedule.start(t0, 1s);
    EXPECT_EQ(schedule.waitFrom(t0), 1000ms) << "the first tick comes one period after the start";
    schedule.advance(t0 + 1300ms);  // tick 1, late by 300 ms
    EXPECT_EQ(std::pair(schedule.due(), schedule.waitFrom(t0 + 1300ms)), std::pair(t0 + 2s, milliseconds{700}));
    schedule.advance(t0 + 4500ms);  // tick 2, so late that ticks 3 and 4 have passed
    const auto afterLate = schedule.due();
    schedule.advance(t0 + 4999ms);  // tick 5 fired a millisecond early: 6 is next, not 5 again
    EXPECT_EQ(std::pair(afterLate, schedule.due()), std::pair(t0 + 5s, t0 + 6s));
    EXPECT_EQ(schedule.waitFrom(t0 + 7s), 0ms) << "an overdue tick is armed at once, not in the past";
    // a held-back tick stays due
    schedule.start(t0, 1s);
    schedule.resume(t0 + 400ms);
    const auto heldBack = schedule.due();
    schedule.resume(t0 + 2300ms);  // or gives way to the next one ahead
    EXPECT_EQ(std::tuple(heldBack, schedule.due(), schedule.waitFrom(t0 + 2999500us)), std::tuple(t0 + 1s, t0 + 3s, milliseconds{1})) << "rounded up, never early";
}

TEST(PlotStep, FloorsAndClampsTheHeightAndJoinsPointsWithinAndAcrossAcquisitions)
{
    for (const auto& [mesure, y] : {std::pair{0.0, 5160}, {10.0, 5151} /* 5151.6 */, {4095.0, 1720}, {5000.0, 960}, {6000.0, 960}, {-50.0, 5160}}) {
        float xline = 610;
        std::int16_t oldY = 0;
        EXPECT_EQ(plotStep(xline, oldY, mesure).y, y) << mesure << " mV";
    }
    float xline = 610;  // every acquisition starts here
    std::int16_t oldY = 0;
    const bool first = plotStep(xline, oldY, 2048.0).hasRun;  // the first point since program start: 3439
    EXPECT_EQ(std::pair(first, plotStep(xline, oldY, 2048.0).hasRun), std::pair(false, false)) << "then the same y";
    const auto up = plotStep(xline, oldY, 2052.0);         // 3436.32: three units up the screen
    EXPECT_EQ(std::tuple(up.hasRun, up.runFrom, up.runTo), std::tuple(true, 3439, 3436));
    xline = 610;  // the next acquisition; OldY keeps 3436
    const auto next = plotStep(xline, oldY, 0.0);
    EXPECT_EQ(std::tuple(next.x, next.runX, next.hasRun, next.runFrom, next.runTo), std::tuple(620.0f, 617.5, true, 3436, 5160));
}

TEST(PlotStep, EachSweepTakes959ReadingsThenStartsAgainAt611)
{
    float xline = 610, previous = 0;
    std::int16_t oldY = 0;
    for (int i = 0; i < 3 * 959; previous = xline, ++i)
        ASSERT_EQ(plotStep(xline, oldY, 100.0).x, i == 0 ? 620.0f : i % 959 == 0 ? 611.0f : previous + 10.0f) << "reading " << i;
    EXPECT_EQ(previous, 10191.0f);
}

}  // namespace
