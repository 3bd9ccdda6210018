// The tracking's published figures: Julian days, the arc functions at their bounds, the sun's
// altitude and azimuth captions, and the captions' flooring below zero.
#include "astro/sun_position.h"

#include "astro/module1.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

using namespace std::chrono;

const double kWindowPi = 4 * std::atan(1.0);  // the main window's stored Pi
constexpr local_days kPositionSolstice{2006y / June / 21};

struct PositionRow { std::string name; astro::DateTime local; int correctionHeure; double longitudeEast, latitude; const char *altitude, *azimuth; };

class SunPositionTest : public testing::TestWithParam<PositionRow> {};

TEST_P(SunPositionTest, CaptionsOfAltitudeAndAzimuth)
{
    const PositionRow& r = GetParam();
    const auto p = astro::sunPosition(r.local, r.correctionHeure, r.longitudeEast, r.latitude, kWindowPi);
    EXPECT_EQ(astro::dmsCaption(p.altitude) + " | " + astro::dmsCaption(p.azimuth),
              std::string(r.altitude) + " | " + r.azimuth);
}

// Chelles at that instant: the window's tracking test. The last row: the same clock reading
// one hour earlier in UT, morning sun, azimuth below 180°.
INSTANTIATE_TEST_SUITE_P(Instrument, SunPositionTest, testing::Values(
    PositionRow{"ParisSummerAfternoon", kPositionSolstice + 14h, 2, 2.35, 48.85, "64° 30 Min. 6 Sec.", "185° 39 Min. 50 Sec."},
    PositionRow{"ParisWinterNight", local_days{2026y / December / 5} + 23h, 2, 2.21, 48.83, "-49° 2 Min. 54 Sec.", "295° 28 Min. 10 Sec."},
    PositionRow{"ChellesBeforeSunrise", local_days{2007y / January / 15} + 9h + 30min, 2, 2.3523, 48.5246, "-2° 7 Min. 56 Sec.", "120° 34 Min. 56 Sec."},
    PositionRow{"OneHourMoreOffset", kPositionSolstice + 14h, 3, 2.35, 48.85, "62° 46 Min. 21 Sec.", "154° 31 Min. 34 Sec."}),
    [](const auto& info) { return info.param.name; });

struct JulianRow { std::string name; double day, month, year, hour, minute, second, expected; };

class JulianDayTest : public testing::TestWithParam<JulianRow> {};

TEST_P(JulianDayTest, MatchesPublishedValue)
{
    const JulianRow& r = GetParam();
    // within 4 units in the last place: 2453908.0833333335 is that very 64-bit float
    EXPECT_DOUBLE_EQ(Module1::JulianDay(r.day, r.month, r.year, r.hour, r.minute, r.second), r.expected);
}

INSTANTIATE_TEST_SUITE_P(Meeus, JulianDayTest, testing::Values(
    JulianRow{"J2000Noon", 1, 1, 2000, 12, 0, 0, 2451545.0},
    JulianRow{"Solstice2006At14h", 21, 6, 2006, 14, 0, 0, 2453908.0833333335},
    JulianRow{"LeapDay2000", 29, 2, 2000, 0, 0, 0, 2451603.5},
    JulianRow{"DayAfterLeapDay2000", 1, 3, 2000, 0, 0, 0, 2451604.5},
    JulianRow{"JulianCalendarDateTakenAsGregorian", 4, 10, 1582, 0, 0, 0, 2299149.5},
    JulianRow{"FirstGregorianDay", 15, 10, 1582, 0, 0, 0, 2299160.5}), [](const auto& info) { return info.param.name; });

// Inside the bounds, at a bound, or a rounding step past it as the azimuth can reach on the
// meridian (the angle then the bound's): finite angles.
TEST(ArcFunctions, GiveTheAngleInsideAndAtTheBoundsAndTheBoundsAngleAStepPast)
{
    constexpr double kPi = std::numbers::pi;
    for (const auto& [x, arcCos, arcSin] : {std::tuple{0.0, kPi / 2, 0.0}, {0.5, kPi / 3, kPi / 6}, {-0.5, 2 * kPi / 3, -kPi / 6}, {1.0, 0.0, kPi / 2},
                                            {-1.0, kPi, -kPi / 2}, {std::nextafter(1.0, 2.0), 0.0, kPi / 2}, {std::nextafter(-1.0, -2.0), kPi, -kPi / 2}}) {
        EXPECT_NEAR(Module1::ArcCos(x), arcCos, 4e-15) << x;
        EXPECT_NEAR(Module1::ArcSin(x), arcSin, 4e-15) << x;
    }
}

}  // namespace
