// The cursors' readings and a range's statistics on a day worked by hand: 4 mV per W/m² with no
// offset, at Chelles on 21 June from 10:00 local (the sun near 47°, where the BSRN limits, about
// 1177 and 1509 W/m², and the sunshine threshold, about 530 W/m², are far from these values). The
// full scale, 4095 mV, is then 1023,75 W/m², a value the sun can give: only its saturation leaves it out.
#include <gtest/gtest.h>

#include "record/range_statistics.h"

using namespace std::chrono;
using namespace record;

namespace {

const sys_seconds kTenLocal = sys_days{2026y / June / 21} + 8h;  // 10:00:00 local summer time

// 10:00:00 to 10:00:10, 100 to 600 mV by 50 (25 to 150 W/m²); 10:00:11 saturated (4095 mV);
// 10:00:12 to 10:01:12, 2400 mV (600 W/m²).
std::vector<TracePoint> day()
{
    std::vector<TracePoint> points;
    for (int i = 0; i <= 72; ++i) points.push_back({kTenLocal + seconds(i), 120min, i + 2, i <= 10 ? 100 + 50 * i : i == 11 ? 4095 : 2400});
    return points;
}

struct RangeRow {
    const char* name;
    seconds from, to;
    ValueStatistics mv, wm2;  // count, minimum, maximum, mean, sample deviation
    double energy, sunshine;
    std::size_t excluded;
    std::optional<double> atFrom;  // W/m² at the cursor on `from`
};
class RangeOfTheDay : public testing::TestWithParam<RangeRow> {};

TEST_P(RangeOfTheDay, GivesItsCountExtremesMeanDeviationEnergyAndSunshine)
{
    const RangeRow& row = GetParam();
    const std::vector<TracePoint> points = day();
    const RunReadings run{points, {}};
    const DaySunlight sunlight(local_days{2026y / June / 21}, {&run, 1}, std::vector<CalibrationRow>{{local_days{2026y / January / 1}, 0min, "essai", 4, 0.0, {}}}, *siteNamed("Chelles"));
    const std::span<const TracePoint> runs[] = {points};
    const RangeStatistics s = rangeStatistics(runs, sunlight, {}, kTenLocal + row.from, kTenLocal + row.to);
    for (const auto& [got, expected] : {std::pair{s.millivolts, row.mv}, std::pair{s.irradiance, row.wm2}}) {
        EXPECT_EQ(got.count, expected.count);
        EXPECT_EQ(got.minimum, expected.minimum);
        EXPECT_EQ(got.maximum, expected.maximum);
        EXPECT_NEAR(got.mean, expected.mean, 1e-3);
        EXPECT_NEAR(got.deviation, expected.deviation, 1e-3);
    }
    EXPECT_NEAR(s.energy, row.energy, 1e-5);
    EXPECT_NEAR(s.sunshineSeconds, row.sunshine, 1e-9);
    EXPECT_EQ(s.excluded, row.excluded);
    EXPECT_EQ(rangeStatistics(runs, sunlight, {false}, kTenLocal + row.from, kTenLocal + row.to).millivolts.count, 0u) << "the run hidden";
    // A cursor stands on the nearest reading, in W/m² unless saturated, and steps along its run to its ends.
    const auto a = nearestReading(runs, sunlight, {}, kTenLocal + row.from);
    EXPECT_EQ(a->irradiance, row.atFrom);
    EXPECT_EQ(stepReading(runs, sunlight, *a, -100).index, 0u);
    EXPECT_FALSE(nearestReading(runs, sunlight, {false}, kTenLocal + row.from));
}

// Sample deviations: 50·√11 mV (step 50, 11 values: d²·n(n+1)/12), and 1695/√62 mV for 61
// readings of 2400 and one of 4095; trapezoids: 87,5 W/m² for 10 s is 0,243056 Wh/m², 600 W/m²
// for 60 s 10 Wh/m² (the saturated reading bridged, 2 s).
INSTANTIATE_TEST_SUITE_P(Cursors, RangeOfTheDay, testing::Values(
    RangeRow{"TheRamp", 0s, 10s, {11, 100, 600, 350, 165.831}, {11, 25, 150, 87.5, 41.458}, 0.243056, 0, 0, 25},
    RangeRow{"TheRampWithBBeforeA", 10s, 0s, {11, 100, 600, 350, 165.831}, {11, 25, 150, 87.5, 41.458}, 0.243056, 0, 0, 150},
    RangeRow{"ThePlateauAfterTheSaturatedReading", 11s, 72s, {62, 2400, 4095, 150495.0 / 62, 215.265}, {61, 600, 600, 600, 0}, 10, 60, 1, std::nullopt}),
    [](const auto& info) { return info.param.name; });

}  // namespace
