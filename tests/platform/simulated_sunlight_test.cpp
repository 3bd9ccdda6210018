// The simulated input follows the sun over Paris: dark at night, bright at a summer noon.
#include "platform/simulated_sunlight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace std::chrono;

namespace {

// Readings over `span` from `start`, one a second, on a clock of UTC+`offsetHours`.
std::pair<int, int> rangeOver(local_seconds start, seconds span, int offsetHours)
{
    local_seconds now = start;
    SimulatedSunlight light([&] { return now; }, hours{offsetHours}, 42);
    int low = 4095, high = 0;
    for (; now < start + span; now += 1s) {
        const int mv = light();
        low = std::min(low, mv);
        high = std::max(high, mv);
    }
    return {low, high};
}

}  // namespace

TEST(SimulatedSunlight, NightGivesTheDarkLevel)
{
    // 1:00 summer time in Paris, the sun far below the horizon.
    const auto [low, high] = rangeOver(local_days{2024y / June / 21} + 1h, 10min, 2);
    EXPECT_GE(low, 240);
    EXPECT_LE(high, 260);
}

TEST(SimulatedSunlight, SummerNoonIsBrightAndDriftsVisibly)
{
    // Solar noon in Paris on the solstice is about 13:52 summer time (sun 64.5 degrees high).
    const auto [low, high] = rangeOver(local_days{2024y / June / 21} + 13h + 42min, 20min, 2);
    EXPECT_GT(low, 1500);
    EXPECT_LT(high, 3500);
    EXPECT_GT(high - low, 300) << "the clouds should move the trace on the chart";
}

TEST(SimulatedSunlight, UsesTheUtcOffsetOfTheClock)
{
    // 7:00 on the clock: at UTC+2 that is 7:00 in Paris and the sun is up; at UTC+10 it is
    // 23:00 the evening before in Paris, and dark.
    const auto morning = local_days{2024y / June / 21} + 7h;
    EXPECT_GT(rangeOver(morning, 1s, 2).first, 300);
    EXPECT_LT(rangeOver(morning, 1s, 10).second, 260);
}
