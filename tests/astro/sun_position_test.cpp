#include "astro/sun_position.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace std::chrono;

const double kWindowPi = 4 * std::atan(1.0);  // the main window's stored Pi
constexpr local_days kPositionSolstice{2006y / June / 21};
constexpr astro::DateTime kWinterNight = local_days{2026y / December / 5} + 23h;

struct PositionRow {
    std::string name;
    astro::DateTime local;
    int correctionHeure;
    double longitudeEast, latitude;
    const char *altitude, *azimuth;
};

class SunPositionTest : public testing::TestWithParam<PositionRow> {};

TEST_P(SunPositionTest, CaptionsOfAltitudeAndAzimuth)
{
    const PositionRow& r = GetParam();
    const auto p = astro::sunPosition(r.local, r.correctionHeure, r.longitudeEast, r.latitude, kWindowPi);
    EXPECT_EQ(astro::dmsCaption(p.altitude) + " | " + astro::dmsCaption(p.azimuth),
              std::string(r.altitude) + " | " + r.azimuth);
}

INSTANTIATE_TEST_SUITE_P(
    Instrument, SunPositionTest,
    testing::Values(
        PositionRow{"ParisSummerAfternoon", kPositionSolstice + 14h, 2, 2.35, 48.85, "64° 30 Min. 6 Sec.", "185° 39 Min. 50 Sec."},
        PositionRow{"ParisWinterNight", kWinterNight, 2, 2.21, 48.83, "-49° 2 Min. 54 Sec.", "295° 28 Min. 10 Sec."},
        PositionRow{"ChellesSummerAfternoon", kPositionSolstice + 14h, 2, 2.3523, 48.5246, "64° 49 Min. 31 Sec.",
                    "185° 44 Min. 14 Sec."},
        PositionRow{"ChellesBeforeSunrise", local_days{2007y / January / 15} + 9h + 30min, 2, 2.3523, 48.5246,
                    "-2° 7 Min. 56 Sec.", "120° 34 Min. 56 Sec."},
        // the same clock reading one hour earlier in UT: morning sun, azimuth below 180°
        PositionRow{"OneHourMoreOffset", kPositionSolstice + 14h, 3, 2.35, 48.85, "62° 46 Min. 21 Sec.", "154° 31 Min. 34 Sec."}),
    [](const auto& info) { return info.param.name; });

TEST(SunPositionDetailTest, EveryStepOfTheSummerAfternoon)
{
    const auto p = astro::sunPositionDetail(kPositionSolstice + 14h, 2, 2.35, 48.85, kWindowPi);
    const auto night = astro::sunPosition(kWinterNight, 2, 2.21, 48.83, kWindowPi);
    const struct { double value, published, tolerance; } steps[] = {  // 8 decimals, then 4
        {p.jd, 2453908.08333333, 0.6e-8}, {p.d, 2363.0, 0.6e-8},           {p.g, 2686.50246164, 0.6e-8},
        {p.q, 2609.54371168, 0.6e-8},     {p.L, 2609.98160127, 0.6e-8},    {p.e, 23.43814932, 0.6e-8},
        {p.RA, 5.99866311, 0.6e-8},       {p.delta, 23.43814804, 0.6e-8},  {p.T, 0.06469541, 0.6e-8},
        {p.S, 161.96968977, 0.6e-8},      {p.G, 17.96968977, 0.6e-8},      {p.siderealAngle, 270.28412314, 0.6e-8},
        {p.clockAngle, 0.0, 0.6e-8},      {p.H, 182.65417647, 0.6e-8},     {p.altitude, 64.5018, 0.5e-4},
        {p.azimuth, 185.6641, 0.5e-4},    {night.altitude, -48.9516, 0.5e-4}, {night.azimuth, 295.4697, 0.5e-4}};
    for (std::size_t i = 0; i < std::size(steps); ++i)
        EXPECT_NEAR(steps[i].value, steps[i].published, steps[i].tolerance) << "step " << i;
}

TEST(DmsCaptionTest, FloorsEveryPartBelowZeroToo)
{
    EXPECT_EQ(astro::dmsCaption(10.5), "10° 30 Min. 0 Sec.");
    EXPECT_EQ(astro::dmsCaption(-10.5), "-11° 30 Min. 0 Sec.");
    EXPECT_EQ(astro::dmsCaption(-0.0001), "-1° 59 Min. 59 Sec.");
}

}  // namespace
