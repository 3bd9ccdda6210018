// The simulated input follows the sun over Paris: dark at night, bright at a summer noon.
#include "acquisition/simulated_sunlight.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace std::chrono;

// Lowest and highest reading over `span` from `start`, one a second, on a clock of UTC+`offset`.
static std::pair<int, int> rangeOver(local_seconds start, seconds span, hours offset)
{
    local_seconds now = start;
    acquisition::SimulatedSunlight light([&] { return now; }, offset, 42);
    std::pair<int, int> range{4095, 0};
    for (; now < start + span; now += 1s) {
        const int mv = light();
        range = {std::min(range.first, mv), std::max(range.second, mv)};
    }
    return range;
}

TEST(SimulatedSunlight, DarkAtNightBrightAndDriftingAtNoon)
{
    const local_days solstice{2024y / June / 21};
    const auto night = rangeOver(solstice + 1h, 10min, 2h);
    EXPECT_GE(night.first, 240);
    EXPECT_LE(night.second, 260);
    // Solar noon in Paris is about 13:52 summer time, the sun 64.5 degrees high.
    const auto [low, high] = rangeOver(solstice + 13h + 42min, 20min, 2h);
    EXPECT_GT(low, 1500);
    EXPECT_LT(high, 3500);
    EXPECT_GT(high - low, 300) << "the clouds should move the trace on the chart";
    // 7:00 on a UTC+10 clock is 23:00 the evening before in Paris: dark, unlike 7:00 at UTC+2.
    EXPECT_GT(rangeOver(solstice + 7h, 1s, 2h).first, 300);
    EXPECT_LT(rangeOver(solstice + 7h, 1s, 10h).second, 260);
}
