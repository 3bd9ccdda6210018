#include "astro/module1.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

struct JulianRow {
    std::string name;
    double day, month, year, hour, minute, second, expected;
};

class JulianDayTest : public testing::TestWithParam<JulianRow> {};

TEST_P(JulianDayTest, MatchesPublishedValue)
{
    const JulianRow& r = GetParam();
    // within 4 units in the last place: 2453908.0833333335 is that very 64-bit float
    EXPECT_DOUBLE_EQ(Module1::JulianDay(r.day, r.month, r.year, r.hour, r.minute, r.second), r.expected);
}

INSTANTIATE_TEST_SUITE_P(Meeus, JulianDayTest,
                         testing::Values(JulianRow{"J2000Noon", 1, 1, 2000, 12, 0, 0, 2451545.0},
                                         JulianRow{"Sputnik", 4, 10, 1957, 19, 26, 24, 2436116.31},
                                         JulianRow{"Solstice2006At14h", 21, 6, 2006, 14, 0, 0, 2453908.0833333335},
                                         JulianRow{"LeapDay2000", 29, 2, 2000, 0, 0, 0, 2451603.5},
                                         JulianRow{"DayAfterLeapDay2000", 1, 3, 2000, 0, 0, 0, 2451604.5},
                                         JulianRow{"JulianCalendarDateTakenAsGregorian", 4, 10, 1582, 0, 0, 0, 2299149.5},
                                         JulianRow{"FirstGregorianDay", 15, 10, 1582, 0, 0, 0, 2299160.5}),
                         [](const auto& info) { return info.param.name; });

constexpr double kPi = std::numbers::pi;

struct ArcRow {
    std::string name;
    double x, arcCos, arcSin;
};

class ArcTest : public testing::TestWithParam<ArcRow> {};

TEST_P(ArcTest, GivesAFiniteAngle)
{
    EXPECT_NEAR(Module1::ArcCos(GetParam().x), GetParam().arcCos, 4e-15);
    EXPECT_NEAR(Module1::ArcSin(GetParam().x), GetParam().arcSin, 4e-15);
}

// At a bound, or a rounding step past it as the azimuth can reach on the meridian, the
// angle is the bound's.
INSTANTIATE_TEST_SUITE_P(InsideAndAtTheBounds, ArcTest,
                         testing::Values(ArcRow{"Zero", 0, kPi / 2, 0}, ArcRow{"Half", 0.5, kPi / 3, kPi / 6},
                                         ArcRow{"MinusHalf", -0.5, 2 * kPi / 3, -kPi / 6},
                                         ArcRow{"PlusOne", 1, 0, kPi / 2}, ArcRow{"MinusOne", -1, kPi, -kPi / 2},
                                         ArcRow{"StepPastPlusOne", std::nextafter(1.0, 2.0), 0, kPi / 2},
                                         ArcRow{"StepPastMinusOne", std::nextafter(-1.0, -2.0), kPi, -kPi / 2}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
