// The published models to the digit: Haurwitz's clear sky, the Carpentras sunshine threshold on
// both sides of 3° and of F · 1080 · (sin h)^1.25, the BSRN limits on both sides.
#include <gtest/gtest.h>

#include <string>

#include "record/sunlight_models.h"

using namespace record;

namespace {

const auto kByName = [](const auto& info) { return info.param.name; };

struct ClearSkyRow { std::string name; double altitude, expected; };
void PrintTo(const ClearSkyRow& row, std::ostream* os) { *os << row.name; }
class ClearSky : public testing::TestWithParam<ClearSkyRow> {};

// 1098 · sin h · exp(−0.059 / sin h) by hand.
TEST_P(ClearSky, IsHaurwitzsModel)
{
    EXPECT_NEAR(haurwitzClearSky(GetParam().altitude), GetParam().expected, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(Haurwitz, ClearSky, testing::Values(
    ClearSkyRow{"AtTheZenith", 90, 1035.0920325344955},
    ClearSkyRow{"AtThirtyDegrees", 30, 487.89413288542494},
    ClearSkyRow{"NoneBelowTheHorizon", -5, 0}), kByName);

struct SunshineRow { std::string name; double irradiance, altitude; SunshineCoefficients ab; bool expected; };
void PrintTo(const SunshineRow& row, std::ostream* os) { *os << row.name; }
class Sunshine : public testing::TestWithParam<SunshineRow> {};

// 21 June (day 172): F = 0.73 + 0.06 · cos(2π · 172 / 365) = 0.67097744; the threshold is
// 304.680164 W/m² at 30° (249.376368 with Sydney's A = 0.5, B = −0.05) and 18.139774 at 3°.
TEST_P(Sunshine, ShinesAboveCarpentrasThresholdFromThreeDegrees)
{
    EXPECT_EQ(isSunshine(GetParam().irradiance, GetParam().altitude, 172, GetParam().ab), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Carpentras, Sunshine, testing::Values(
    SunshineRow{"JustAboveTheThresholdAtThirtyDegrees", 304.69, 30, {}, true},
    SunshineRow{"JustBelowTheThresholdAtThirtyDegrees", 304.67, 30, {}, false},
    SunshineRow{"AboveSydneysThreshold", 249.39, 30, {0.5, -0.05}, true},
    SunshineRow{"BelowSydneysThreshold", 249.36, 30, {0.5, -0.05}, false},
    SunshineRow{"AtThreeDegreesAboveTheThreshold", 18.15, 3, {}, true},
    SunshineRow{"AtThreeDegreesBelowTheThreshold", 18.13, 3, {}, false},
    SunshineRow{"NeverJustBelowThreeDegrees", 1000, 2.99, {}, false}), kByName);

struct FlagRow { std::string name; double irradiance, altitude; int day; std::uint8_t expected; };
void PrintTo(const FlagRow& row, std::ostream* os) { *os << row.name; }
class Limits : public testing::TestWithParam<FlagRow> {};

// Day 1: S = 1405.906346, at 90° the possible limit is 2208.859518 and the rare one 1737.087615.
// Day 172: S = 1316.818664, at 30° 959.767923 and 737.814338. At night µ0 = 0: 100 and 50.
TEST_P(Limits, FlagAnIrradianceAsTheBsrnRecommends)
{
    EXPECT_EQ(irradianceFlag(GetParam().irradiance, GetParam().altitude, GetParam().day), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Bsrn, Limits, testing::Values(
    FlagRow{"ImpossibleBelowMinusFour", -4.01, 30, 172, kImpossible},
    FlagRow{"RareAtMinusFour", -4, 30, 172, kRare},
    FlagRow{"RareBelowMinusTwo", -2.01, 30, 172, kRare},
    FlagRow{"PlausibleAtMinusTwo", -2, 30, 172, 0},
    FlagRow{"ImpossibleAboveThePossibleLimitAtTheZenith", 2208.87, 90, 1, kImpossible},
    FlagRow{"RareBelowThePossibleLimitAtTheZenith", 2208.85, 90, 1, kRare},
    FlagRow{"RareAboveTheRareLimitAtTheZenith", 1737.09, 90, 1, kRare},
    FlagRow{"PlausibleBelowTheRareLimitAtTheZenith", 1737.08, 90, 1, 0},
    FlagRow{"ImpossibleAboveThePossibleLimitAtThirtyDegrees", 959.77, 30, 172, kImpossible},
    FlagRow{"RareAboveTheRareLimitAtThirtyDegrees", 737.82, 30, 172, kRare},
    FlagRow{"PlausibleBelowTheRareLimitAtThirtyDegrees", 737.81, 30, 172, 0},
    FlagRow{"ImpossibleAboveAHundredAtNight", 100.01, -10, 172, kImpossible},
    FlagRow{"PlausibleAtFiftyAtNight", 50, -10, 172, 0}), kByName);

}  // namespace
