#include "astro/cls_sunrise.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

using namespace std::chrono;

using Results = std::array<astro::DateTime, 3>;  // sunrise, solar noon, sunset

Results resultsOf(const clsSunrise& c) { return {c.Sunrise(), c.SolarNoon(), c.Sunset()}; }

Results computed(astro::DateTime date, double latitude, double longitudeWest, std::int32_t zone, bool daySavings = false)
{
    clsSunrise c{date};
    c.Latitude(latitude);
    c.Longitude(longitudeWest);
    c.TimeZone(zone);
    c.DaySavings(daySavings);
    c.CalculateSun();
    return resultsOf(c);
}

// The three results as "HH:MM:SS HH:MM:SS HH:MM:SS" counted from `origin`.
std::string timesFrom(astro::DateTime origin, const Results& results)
{
    std::string text;
    for (const astro::DateTime t : results) {
        const long s = static_cast<long>((t - origin).count());
        char part[64];
        std::snprintf(part, sizeof part, "%s%02ld:%02ld:%02ld", text.empty() ? "" : " ", s / 3600, s / 60 % 60, s % 60);
        text += part;
    }
    return text;
}

constexpr local_days kSolstice{2006y / June / 21};
constexpr local_days kMarch21{2006y / March / 21};

// sunrise, solar noon, sunset on `date`
struct SunTimesRow { std::string name; double latitude, longitudeWest; std::int32_t timeZone; bool daySavings; local_days date; const char* times; };

class SunTimesTest : public testing::TestWithParam<SunTimesRow> {};

TEST_P(SunTimesTest, ReferenceTimesAndAnHourLaterForDaylightOrZoneEast)
{
    const SunTimesRow& r = GetParam();
    const auto at = [&r](astro::DateTime date, std::int32_t zone, bool summer) { return computed(date, r.latitude, r.longitudeWest, zone, summer); };
    EXPECT_EQ(timesFrom(r.date, at(r.date, r.timeZone, r.daySavings)), r.times);
    EXPECT_EQ(timesFrom(r.date, at(r.date + 23h + 59min, r.timeZone, r.daySavings)), r.times);
    EXPECT_EQ(timesFrom(r.date + (r.daySavings ? -1h : 1h), at(r.date, r.timeZone, !r.daySavings)), r.times);
    EXPECT_EQ(timesFrom(r.date + 1h, at(r.date, r.timeZone - 1, r.daySavings)), r.times);
}

const SunTimesRow kPlaces[] = {
    {"ChellesSummerTime", 48.5246, -2.3523, -1, true, kSolstice, "05:49:09 13:52:02 21:54:55"},
    {"EquatorGreenwich", 0, 0, 0, false, kSolstice, "05:57:45 12:01:26 18:05:07"},
    {"WestOfGreenwich", 40.7, 74, 5, false, kSolstice, "04:25:22 11:57:29 19:29:36"},
    {"PolarDay", 80, 0, 0, false, kSolstice, "12:01:26 12:01:26 12:01:26"},
    {"NorthPoleClamped", 90, 0, 0, false, kMarch21, "12:07:42 12:07:42 12:07:42"},
    // The sun skims the horizon at 89.8°: the clamped pole rises and sets; unclamped it
    // would give three equal noon times.
    {"NorthPoleClampedSkimmingSun", 90, 0, 0, false, kMarch21 - days{2}, "05:06:03 12:08:19 21:02:42"},
    // The first sunset estimate, from the start of 22 September, rounds to 19 h UTC; one
    // from 21 September would round to 18 h and end five seconds earlier.
    {"SunsetFirstPassFromTheNextDay", 48.5246, 6.8, 0, false, local_days{2006y / September / 21},
     "06:10:56 12:20:07 18:28:23"},
    // 7.5° west puts the noon hour at 12.5, taken as 12 (half to even), not 13.
    {"NoonHourHalfToEven", 0, 7.5, 0, false, kSolstice, "06:27:45 12:31:26 18:35:08"},
    // 31 December of a leap year is day 366, and its times turn back to those of 1 January.
    {"LastDayOfALeapYear", 48.5246, -2.3523, -1, false, local_days{2008y / 12 / 31}, "08:41:32 12:53:43 17:06:03"},
    {"FirstDayAfterALeapYear", 48.5246, -2.3523, -1, false, local_days{2009y / 1 / 1}, "08:41:32 12:53:43 17:06:03"},
    // 170° west read on UTC instead of its own zone: the evening of 31 December is 1 January.
    {"WestOfTheDateLineOnUtc", 40, 170, 0, false, local_days{2006y / December / 31}, "18:40:54 23:22:53 28:05:00"},
};
INSTANTIATE_TEST_SUITE_P(Places, SunTimesTest, testing::ValuesIn(kPlaces), [](const auto& info) { return info.param.name; });

// 170° east read on UTC: the morning of 1 January is still 31 December, counted from then.
TEST(ClsSunriseTest, ResultsCarryBackAcrossMidnightAndTheYearEnd)
{
    EXPECT_EQ(timesFrom(local_days{2006y / December / 31}, computed(local_days{2007y / January / 1}, 40, -170, 0)), "20:00:54 24:42:55 29:25:02");
}

}  // namespace
