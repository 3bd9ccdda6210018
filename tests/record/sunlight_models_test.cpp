// The published models to the digit: Haurwitz's clear sky and the BSRN limits on both sides.
// (The sunshine threshold is checked where the day's sunlight applies it.)
#include <gtest/gtest.h>

#include <string>

#include "record/sunlight_models.h"

using namespace record;

namespace {

// Haurwitz: 1098 · sin h · exp(−0.059 / sin h), 0 below the horizon. BSRN: day 1, S =
// 1405.906346, at 90° the possible limit is 2208.859518 and the rare one 1737.087615; day 172, S
// = 1316.818664, at 30° 959.767923 and 737.814338; at night µ0 = 0: 100 and 50; below: −4, −2.
struct ModelRow { std::string name; double irradiance, altitude; int day; double expected; };
void PrintTo(const ModelRow& row, std::ostream* os) { *os << row.name; }
class SunlightModel : public testing::TestWithParam<ModelRow> {};

TEST_P(SunlightModel, GivesThePublishedAnswer)
{
    const ModelRow& r = GetParam();
    const double got = r.day == 0 ? haurwitzClearSky(r.altitude) : double(irradianceFlag(r.irradiance, r.altitude, r.day));
    EXPECT_NEAR(got, r.expected, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(Models, SunlightModel, testing::Values(
    ModelRow{"ClearSkyAtTheZenith", 0, 90, 0, 1035.0920325344955},
    ModelRow{"ClearSkyAtThirtyDegrees", 0, 30, 0, 487.89413288542494},
    ModelRow{"NoClearSkyBelowTheHorizon", 0, -5, 0, 0},
    ModelRow{"ImpossibleBelowMinusFour", -4.01, 30, 172, kImpossible},
    ModelRow{"RareAtMinusFour", -4, 30, 172, kRare},
    ModelRow{"RareBelowMinusTwo", -2.01, 30, 172, kRare},
    ModelRow{"PlausibleAtMinusTwo", -2, 30, 172, 0},
    ModelRow{"ImpossibleAboveThePossibleLimitAtTheZenith", 2208.87, 90, 1, kImpossible},
    ModelRow{"RareBelowThePossibleLimitAtTheZenith", 2208.85, 90, 1, kRare},
    ModelRow{"RareAboveTheRareLimitAtTheZenith", 1737.09, 90, 1, kRare},
    ModelRow{"PlausibleBelowTheRareLimitAtTheZenith", 1737.08, 90, 1, 0},
    ModelRow{"ImpossibleAboveThePossibleLimitAtThirtyDegrees", 959.77, 30, 172, kImpossible},
    ModelRow{"RareBelowThePossibleLimitAtThirtyDegrees", 959.76, 30, 172, kRare},
    ModelRow{"RareAboveTheRareLimitAtThirtyDegrees", 737.82, 30, 172, kRare},
    ModelRow{"PlausibleBelowTheRareLimitAtThirtyDegrees", 737.81, 30, 172, 0},
    ModelRow{"ImpossibleAboveAHundredAtNight", 100.01, -10, 172, kImpossible},
    ModelRow{"RareAboveFiftyAtNight", 50.01, -10, 172, kRare},
    ModelRow{"PlausibleAtFiftyAtNight", 50, -10, 172, 0}),
    [](const auto& info) { return info.param.name; });

}  // namespace
