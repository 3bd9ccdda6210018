#include "astro/cls_sunrise.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "support/sun_times.h"

namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

constexpr local_days kSolstice{2006y / June / 21};
constexpr local_days kMarch19{2006y / March / 19};
constexpr local_days kMarch21{2006y / March / 21};
constexpr local_days kSeptember21{2006y / September / 21};

struct SunTimesRow {
    std::string name;
    double latitude, longitudeWest;
    std::int32_t timeZone;
    bool daySavings;
    local_days date;
    SunTimes expected;
};

class SunTimesTest : public ::testing::TestWithParam<SunTimesRow> {
protected:
    static SunTimes compute(const SunTimesRow& r, astro::DateTime date, int zoneShift = 0,
                            bool flipDaylight = false)
    {
        clsSunrise c{date};
        c.Latitude(r.latitude);
        c.Longitude(r.longitudeWest);
        c.TimeZone(r.timeZone + zoneShift);
        c.DaySavings(r.daySavings != flipDaylight);
        c.CalculateSun();
        return resultsOf(c);
    }
    static SunTimes later(SunTimes t, minutes by)
    {
        return {t.sunrise + by, t.solarNoon + by, t.sunset + by};
    }
};

TEST_P(SunTimesTest, ReferenceTimesWhateverTheTimeOfDayInTheDateField)
{
    const SunTimesRow& r = GetParam();
    EXPECT_EQ(compute(r, r.date), r.expected);
    EXPECT_EQ(compute(r, r.date + 23h + 59min), r.expected);
}

TEST_P(SunTimesTest, DaylightFlagAndZoneEastShiftAllThreeByExactlyAnHour)
{
    const SunTimesRow& r = GetParam();
    EXPECT_EQ(compute(r, r.date, 0, true), later(r.expected, r.daySavings ? -60min : 60min));
    EXPECT_EQ(compute(r, r.date, -1), later(r.expected, 60min));
}

INSTANTIATE_TEST_SUITE_P(
    Places, SunTimesTest,
    ::testing::Values(
        SunTimesRow{"ChellesSummerTime", 48.5246, -2.3523, -1, true, kSolstice,
                    sunTimesAt(kSolstice, 5, 49, 9, 13, 52, 2, 21, 54, 55)},
        SunTimesRow{"EquatorGreenwich", 0, 0, 0, false, kSolstice,
                    sunTimesAt(kSolstice, 5, 57, 45, 12, 1, 26, 18, 5, 7)},
        SunTimesRow{"WestOfGreenwich", 40.7, 74, 5, false, kSolstice,
                    sunTimesAt(kSolstice, 4, 25, 22, 11, 57, 29, 19, 29, 36)},
        SunTimesRow{"PolarDay", 80, 0, 0, false, kSolstice,
                    sunTimesAt(kSolstice, 12, 1, 26, 12, 1, 26, 12, 1, 26)},
        SunTimesRow{"NorthPoleClamped", 90, 0, 0, false, kMarch21,
                    sunTimesAt(kMarch21, 12, 7, 42, 12, 7, 42, 12, 7, 42)},
        // The sun skims the horizon at 89.8°: the clamped pole rises and sets; unclamped it
        // would give three equal noon times.
        SunTimesRow{"NorthPoleClampedSkimmingSun", 90, 0, 0, false, kMarch19,
                    sunTimesAt(kMarch19, 5, 6, 3, 12, 8, 19, 21, 2, 42)},
        // The first sunset estimate, from the start of 22 September, rounds to 19 h UTC; one
        // from 21 September would round to 18 h and end five seconds earlier.
        SunTimesRow{"SunsetFirstPassFromTheNextDay", 48.5246, 6.8, 0, false, kSeptember21,
                    sunTimesAt(kSeptember21, 6, 10, 56, 12, 20, 7, 18, 28, 23)},
        // 7.5° west puts the noon hour at 12.5, taken as 12 (half to even), not 13.
        SunTimesRow{"NoonHourHalfToEven", 0, 7.5, 0, false, kSolstice,
                    sunTimesAt(kSolstice, 6, 27, 45, 12, 31, 26, 18, 35, 8)}),
    [](const auto& info) { return info.param.name; });

TEST(ClsSunriseTest, StartsWithZeroResultsAndKeepsTheStoredLatitudeThroughTheClamp)
{
    clsSunrise c{kMarch21 + 10h + 11min};
    EXPECT_EQ(c.DateDay(), kMarch21 + 10h + 11min);
    EXPECT_EQ(resultsOf(c),
              (SunTimes{astro::kZeroDateTime, astro::kZeroDateTime, astro::kZeroDateTime}));
    c.Latitude(90);
    c.CalculateSun();
    EXPECT_EQ(c.Latitude(), 90.0);
    const SunTimes pole = resultsOf(c);

    c.Latitude(48.5);  // results wait for the next computation
    EXPECT_EQ(resultsOf(c), pole);
    c.CalculateSun();
    EXPECT_LT(c.Sunrise(), pole.sunrise);
}

// Times of day of the three results at Chelles, standard time.
SunTimes chellesOn(local_days date)
{
    clsSunrise c{date};
    c.City(7.0);
    c.CalculateSun();
    const auto since = [date](astro::DateTime t) { return kSolstice + (t - date); };
    return {since(c.Sunrise()), since(c.SolarNoon()), since(c.Sunset())};
}

TEST(ClsSunriseTest, LastDayOfALeapYearIsDay366AndTurnsBackToJanuary)
{
    const SunTimes day366 = chellesOn(local_days{2008y / December / 31});
    EXPECT_EQ(day366, chellesOn(local_days{2008y / January / 1}));
    EXPECT_EQ(day366, chellesOn(local_days{2009y / January / 1}));
    EXPECT_NE(day366, chellesOn(local_days{2008y / December / 30}));
    EXPECT_NE(day366, chellesOn(local_days{2006y / December / 31}));  // day 365 of a common year
}

// One place and date on its own zone and on UTC; the UTC results are `utcLater` later.
void expectAcrossYearEnd(double longitudeWest, std::int32_t zone, local_days date, hours utcLater,
                         local_days utcSunriseDay, local_days utcSunsetDay)
{
    clsSunrise local{date};
    local.Latitude(40);
    local.Longitude(longitudeWest);
    local.TimeZone(zone);
    local.CalculateSun();
    clsSunrise utc = local;
    utc.TimeZone(0);
    utc.CalculateSun();

    EXPECT_EQ(resultsOf(utc), (SunTimes{local.Sunrise() + utcLater, local.SolarNoon() + utcLater,
                                        local.Sunset() + utcLater}));
    EXPECT_EQ(floor<days>(local.Sunrise()), date);
    EXPECT_EQ(floor<days>(local.Sunset()), date);
    EXPECT_EQ(floor<days>(utc.Sunrise()), utcSunriseDay);
    EXPECT_EQ(floor<days>(utc.Sunset()), utcSunsetDay);
}

TEST(ClsSunriseTest, ResultsCarryAcrossMidnightAndTheYearEnd)
{
    // 170° west on UTC: the evening of 31 December falls on 1 January.
    expectAcrossYearEnd(170, 12, local_days{2006y / December / 31}, 12h,
                        local_days{2006y / December / 31}, local_days{2007y / January / 1});
    // 170° east on UTC: the morning of 1 January is still 31 December.
    expectAcrossYearEnd(-170, -12, local_days{2007y / January / 1}, -12h,
                        local_days{2006y / December / 31}, local_days{2007y / January / 1});
}

TEST(ClsSunriseTest, ZoneMinutesAreFormedIn32Bits)
{
    clsSunrise c{kSolstice};
    c.CalculateSun();
    const SunTimes utc = resultsOf(c);

    const std::int32_t lastZone = std::numeric_limits<std::int32_t>::max() / 60;
    for (const std::int32_t zone : {lastZone + 1, -lastZone - 1}) {
        c.TimeZone(zone);
        EXPECT_THROW(c.CalculateSun(), std::overflow_error) << zone;
        EXPECT_EQ(resultsOf(c), utc) << "nothing stored for zone " << zone;
    }
    c.TimeZone(lastZone);
    c.CalculateSun();
    EXPECT_EQ(c.Sunrise(), utc.sunrise - minutes{60LL * lastZone});

    c.Longitude(std::numeric_limits<double>::quiet_NaN());
    EXPECT_THROW(c.CalculateSun(), std::domain_error);
}

}  // namespace
