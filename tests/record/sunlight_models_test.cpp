// The published models to the digit: Haurwitz's clear sky, the Carpentras sunshine threshold on
// both sides of 3° and of F · 1080 · (sin h)^1.25, the BSRN limits on both sides.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "record/sunlight_models.h"

using namespace record;

namespace {

// A model's answer for one case, as a number (clear sky in W/m², sunshine 1 or 0, a flag), and
// the answer worked out by hand.
struct ModelRow { std::string name; std::function<double()> answer; double expected; };
void PrintTo(const ModelRow& row, std::ostream* os) { *os << row.name; }
class SunlightModel : public testing::TestWithParam<ModelRow> {};

TEST_P(SunlightModel, GivesThePublishedAnswer)
{
    EXPECT_NEAR(GetParam().answer(), GetParam().expected, 1e-9);
}

// Haurwitz: 1098 · sin h · exp(−0.059 / sin h).
ModelRow clearSky(std::string name, double altitude, double expected) { return {"ClearSky" + name, [=] { return haurwitzClearSky(altitude); }, expected}; }
// Carpentras on 21 June (day 172): F = 0.73 + 0.06 · cos(2π · 172 / 365) = 0.67097744; the
// threshold is 304.680164 W/m² at 30° (249.376368 with Sydney's A = 0.5, B = −0.05) and
// 18.139774 at 3°.
ModelRow sunshine(std::string name, double irradiance, double altitude, bool expected, SunshineCoefficients ab = {})
{
    return {"Sunshine" + name, [=] { return isSunshine(irradiance, altitude, 172, ab) ? 1.0 : 0.0; }, expected ? 1.0 : 0.0};
}
// BSRN. Day 1: S = 1405.906346, at 90° the possible limit is 2208.859518 and the rare one
// 1737.087615. Day 172: S = 1316.818664, at 30° 959.767923 and 737.814338. At night µ0 = 0:
// 100 and 50.
ModelRow flag(std::string name, double irradiance, double altitude, int day, std::uint8_t expected)
{
    return {"Flag" + name, [=] { return double(irradianceFlag(irradiance, altitude, day)); }, double(expected)};
}

INSTANTIATE_TEST_SUITE_P(Models, SunlightModel, testing::Values(
    clearSky("AtTheZenith", 90, 1035.0920325344955),
    clearSky("AtThirtyDegrees", 30, 487.89413288542494),
    clearSky("NoneBelowTheHorizon", -5, 0),
    sunshine("JustAboveTheThresholdAtThirtyDegrees", 304.69, 30, true),
    sunshine("NoneJustBelowTheThresholdAtThirtyDegrees", 304.67, 30, false),
    sunshine("AboveSydneysThreshold", 249.39, 30, true, {0.5, -0.05}),
    sunshine("NoneBelowSydneysThreshold", 249.36, 30, false, {0.5, -0.05}),
    sunshine("AtThreeDegreesAboveTheThreshold", 18.15, 3, true),
    sunshine("NoneAtThreeDegreesBelowTheThreshold", 18.13, 3, false),
    sunshine("NeverJustBelowThreeDegrees", 1000, 2.99, false),
    flag("ImpossibleBelowMinusFour", -4.01, 30, 172, kImpossible),
    flag("RareAtMinusFour", -4, 30, 172, kRare),
    flag("RareBelowMinusTwo", -2.01, 30, 172, kRare),
    flag("PlausibleAtMinusTwo", -2, 30, 172, 0),
    flag("ImpossibleAboveThePossibleLimitAtTheZenith", 2208.87, 90, 1, kImpossible),
    flag("RareBelowThePossibleLimitAtTheZenith", 2208.85, 90, 1, kRare),
    flag("RareAboveTheRareLimitAtTheZenith", 1737.09, 90, 1, kRare),
    flag("PlausibleBelowTheRareLimitAtTheZenith", 1737.08, 90, 1, 0),
    flag("ImpossibleAboveThePossibleLimitAtThirtyDegrees", 959.77, 30, 172, kImpossible),
    flag("RareAboveTheRareLimitAtThirtyDegrees", 737.82, 30, 172, kRare),
    flag("PlausibleBelowTheRareLimitAtThirtyDegrees", 737.81, 30, 172, 0),
    flag("ImpossibleAboveAHundredAtNight", 100.01, -10, 172, kImpossible),
    flag("PlausibleAtFiftyAtNight", 50, -10, 172, 0)),
    [](const auto& info) { return info.param.name; });

}  // namespace
