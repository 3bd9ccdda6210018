#include "astro/cls_sunrise.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

// The three results of one computation taken together.
struct SunTimes {
    astro::DateTime sunrise, solarNoon, sunset;
    bool operator==(const SunTimes&) const = default;
    SunTimes operator+(seconds by) const { return {sunrise + by, solarNoon + by, sunset + by}; }
};

SunTimes resultsOf(const clsSunrise& c) { return {c.Sunrise(), c.SolarNoon(), c.Sunset()}; }

// The three results on `day` at the times of day written "HH:MM:SS HH:MM:SS HH:MM:SS".
SunTimes sunTimesAt(local_days day, const char* times)
{
    int t[9] = {};
    std::sscanf(times, "%d:%d:%d %d:%d:%d %d:%d:%d", &t[0], &t[1], &t[2], &t[3], &t[4], &t[5],
                &t[6], &t[7], &t[8]);
    const auto at = [&](int i) { return day + seconds{3600 * t[i] + 60 * t[i + 1] + t[i + 2]}; };
    return {at(0), at(3), at(6)};
}

void PrintTo(const SunTimes& t, std::ostream* out)
{
    for (const astro::DateTime v : {t.sunrise, t.solarNoon, t.sunset}) {
        const auto day = floor<days>(v);
        const year_month_day ymd{day};
        const hh_mm_ss<seconds> hms{v - day};
        *out << static_cast<int>(ymd.year()) << '-' << static_cast<unsigned>(ymd.month()) << '-'
             << static_cast<unsigned>(ymd.day()) << ' ' << hms.hours().count() << ':'
             << hms.minutes().count() << ':' << hms.seconds().count() << "  ";
    }
}

constexpr local_days kSolstice{2006y / June / 21};
constexpr local_days kMarch21{2006y / March / 21};

SunTimes computed(astro::DateTime date, double latitude, double longitudeWest,
                  std::int32_t timeZone, bool daySavings = false)
{
    clsSunrise c{date};
    c.Latitude(latitude);
    c.Longitude(longitudeWest);
    c.TimeZone(timeZone);
    c.DaySavings(daySavings);
    c.CalculateSun();
    return resultsOf(c);
}

struct SunTimesRow {
    std::string name;
    double latitude, longitudeWest;
    std::int32_t timeZone;
    bool daySavings;
    local_days date;
    const char* times;  // sunrise, solar noon, sunset on `date`
};

class SunTimesTest : public ::testing::TestWithParam<SunTimesRow> {};

TEST_P(SunTimesTest, ReferenceTimesAndAnHourLaterForDaylightOrZoneEast)
{
    const SunTimesRow& r = GetParam();
    const SunTimes expected = sunTimesAt(r.date, r.times);
    const auto at = [&r](astro::DateTime date, std::int32_t zone, bool daySavings) {
        return computed(date, r.latitude, r.longitudeWest, zone, daySavings);
    };
    EXPECT_EQ(at(r.date, r.timeZone, r.daySavings), expected);
    EXPECT_EQ(at(r.date + 23h + 59min, r.timeZone, r.daySavings), expected);
    EXPECT_EQ(at(r.date, r.timeZone, !r.daySavings), expected + (r.daySavings ? -60min : 60min));
    EXPECT_EQ(at(r.date, r.timeZone - 1, r.daySavings), expected + 60min);
}

const SunTimesRow kPlaces[] = {
    {"ChellesSummerTime", 48.5246, -2.3523, -1, true, kSolstice, "05:49:09 13:52:02 21:54:55"},
    {"EquatorGreenwich", 0, 0, 0, false, kSolstice, "05:57:45 12:01:26 18:05:07"},
    {"WestOfGreenwich", 40.7, 74, 5, false, kSolstice, "04:25:22 11:57:29 19:29:36"},
    {"PolarDay", 80, 0, 0, false, kSolstice, "12:01:26 12:01:26 12:01:26"},
    {"NorthPoleClamped", 90, 0, 0, false, kMarch21, "12:07:42 12:07:42 12:07:42"},
    // The sun skims the horizon at 89.8°: the clamped pole rises and sets; unclamped it
    // would give three equal noon times.
    {"NorthPoleClampedSkimmingSun", 90, 0, 0, false, kMarch21 - days{2},
     "05:06:03 12:08:19 21:02:42"},
    // The first sunset estimate, from the start of 22 September, rounds to 19 h UTC; one
    // from 21 September would round to 18 h and end five seconds earlier.
    {"SunsetFirstPassFromTheNextDay", 48.5246, 6.8, 0, false, local_days{2006y / September / 21},
     "06:10:56 12:20:07 18:28:23"},
    // 7.5° west puts the noon hour at 12.5, taken as 12 (half to even), not 13.
    {"NoonHourHalfToEven", 0, 7.5, 0, false, kSolstice, "06:27:45 12:31:26 18:35:08"},
};
INSTANTIATE_TEST_SUITE_P(Places, SunTimesTest, ::testing::ValuesIn(kPlaces),
                         [](const auto& info) { return info.param.name; });

TEST(ClsSunriseTest, ResultsWaitForTheNextComputation)
{
    clsSunrise c{kMarch21 + 10h};
    c.Latitude(90);
    c.CalculateSun();
    const SunTimes pole = resultsOf(c);

    c.Latitude(48.5);
    EXPECT_EQ(resultsOf(c), pole);
}

TEST(ClsSunriseTest, AZoneWhoseMinutesLeave32BitsFailsAndStoresNothing)
{
    clsSunrise c{kMarch21};
    c.CalculateSun();
    const SunTimes before = resultsOf(c);
    c.TimeZone(35791395);  // x 60 = 2147483700: past the 32-bit range
    EXPECT_THROW(c.CalculateSun(), std::overflow_error);
    EXPECT_EQ(resultsOf(c), before);
}

TEST(ClsSunriseTest, LastDayOfALeapYearIsDay366AndTurnsBackToJanuary)
{
    // the three results at Chelles as times of day
    const auto timesOfDay = [](year_month_day date) {
        return computed(local_days{date}, 48.5246, -2.3523, -1) + (kSolstice - local_days{date});
    };
    EXPECT_EQ(timesOfDay(2008y / December / 31), timesOfDay(2009y / January / 1));
    EXPECT_NE(timesOfDay(2008y / December / 31), timesOfDay(2008y / December / 30));
}

TEST(ClsSunriseTest, ResultsCarryAcrossMidnightAndTheYearEnd)
{
    // 170° west, read on UTC instead of its own zone: the evening of 31 December is 1 January.
    constexpr local_days kNewYearsEve{2006y / December / 31};
    const SunTimes west = computed(kNewYearsEve, 40, 170, 0);
    EXPECT_EQ(west, computed(kNewYearsEve, 40, 170, 12) + 12h);
    EXPECT_EQ(floor<days>(west.sunset), kNewYearsEve + days{1});

    // 170° east on UTC: the morning of 1 January is still 31 December.
    const SunTimes east = computed(kNewYearsEve + days{1}, 40, -170, 0);
    EXPECT_EQ(east, computed(kNewYearsEve + days{1}, 40, -170, -12) + -12h);
    EXPECT_EQ(floor<days>(east.sunrise), kNewYearsEve);
}

// ---- the site table -------------------------------------------------------------------

using Text = std::string;
using Coordinates = std::pair<double, double>;  // latitude, longitude

constexpr astro::DateTime kStart = kSolstice + 9h + 15min;

// Selection by text or by number, and the table coordinates it should load (latitude,
// longitude west); 0, 0 where it selects nothing.
struct SelectionRow {
    std::string name;
    std::variant<Text, double> argument;
    double latitude, longitudeWest;
};

class SiteSelectionTest : public ::testing::TestWithParam<SelectionRow> {
protected:
    SiteSelectionTest()
    {
        calc.DaySavings(true);
        calc.setSiteLink([this](double latitude, double longitude) {
            // the calculator already holds the whole site when the window hears of it
            EXPECT_EQ(Coordinates(calc.Latitude(), -calc.Longitude()),
                      Coordinates(latitude, longitude));
            EXPECT_EQ(calc.TimeZone(), -1);
            window = {latitude, longitude};
            ++linkCalls;
        });
    }

    clsSunrise calc{kStart};
    Coordinates window{11, 22};
    int linkCalls = 0;
};

TEST_P(SiteSelectionTest, SetsCalculatorThenWindowEastPositiveOrClearsTheCalculatorOnly)
{
    const SelectionRow& r = GetParam();
    std::visit([this](const auto& a) { calc.City(a); }, r.argument);
    const bool selected = r.latitude != 0;
    EXPECT_EQ(Coordinates(calc.Latitude(), calc.Longitude()),
              Coordinates(r.latitude, r.longitudeWest));
    EXPECT_EQ(calc.TimeZone(), selected ? -1 : 0);
    EXPECT_EQ(linkCalls, selected ? 1 : 0);
    EXPECT_EQ(window, selected ? Coordinates(r.latitude, -r.longitudeWest) : Coordinates(11, 22));
    EXPECT_TRUE(calc.DaySavings());
    EXPECT_EQ(calc.DateDay(), kStart);
}

const SelectionRow kSelections[] = {
    {"CapitalsAndBlanks", Text{"  CHELLES "}, 48.5246, -2.3523},
    {"AccentedCapital", Text{"N\u00CEMES"}, 43.5, -4.21},
    {"UnaccentedWithoutTown", Text{"Sacre Coeur"}, 0, 0},
    {"DigitTextIsAName", Text{"7"}, 0, 0},
    {"Seven", 7.0, 48.5246, -2.3523},
    {"SevenAndAHalfUpToEven", 7.5, 48.57, -2.42},
    {"EightAndAHalfDownToEven", 8.5, 48.57, -2.42},
    {"SixAndAHalfDownToEven", 6.5, 48.52, -2.18},
    {"Twelve", 12.0, 0, 0},
    {"MinusOne", -1.0, 0, 0},
};
INSTANTIATE_TEST_SUITE_P(TextAndNumbers, SiteSelectionTest, ::testing::ValuesIn(kSelections),
                         [](const auto& info) { return info.param.name; });

TEST_F(SiteSelectionTest, NumbersBeyondThe32BitRangeFailBeforeAnythingChanges)
{
    calc.City(7.0);
    for (const double index : {2147483647.5, -2147483649.0}) {
        EXPECT_THROW(calc.City(index), std::overflow_error) << index;
        EXPECT_EQ(Coordinates(calc.Latitude(), calc.Longitude()), Coordinates(48.5246, -2.3523));
        EXPECT_EQ(calc.TimeZone(), -1);
    }
    EXPECT_EQ(linkCalls, 1);
}

TEST(SiteTableTest, TwelveNamedSitesAndErrorOutside)
{
    const clsSunrise calc{kStart};
    EXPECT_EQ(calc.CityCount(), 12);
    EXPECT_EQ(calc.CityName(0), "Paris, Butte aux cailles");
    EXPECT_EQ(calc.CityName(5), "Paris, Sacr\u00E9 Coeur");
    EXPECT_EQ(calc.CityName(11), "N\u00EEmes");
    EXPECT_EQ(calc.CityName(12), "(Error)");
    EXPECT_EQ(calc.CityName(-1), "(Error)");
}

}  // namespace
