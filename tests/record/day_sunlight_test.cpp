// The day's sun and sunlight against figures worked out apart from the program: sun altitudes,
// sunrise and sunset from NOAA's solar position formulas (computed independently, within 0.4°
// and 3 minutes of the instrument's own), the window's published captions and sun times, the
// published models to the digit, trapezoids and thresholds by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "record/day_sunlight.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using namespace record;

namespace {

const local_days kDay{2026y / June / 21};
const sys_seconds kMidnight{kDay.time_since_epoch()};  // universal time
const ObservingSite kChelles = *siteNamed("Chelles");
const ObservingSite kEquator{-1, "Équateur", 0, 0, 0};
using Millivolts = std::function<int(seconds)>;  // of the time since universal midnight
const Millivolts kConstant = [](seconds) { return 300; };

/// `mvPerWatt` mV per W/m², its offset (none: the night's), from the start of the year.
std::vector<CalibrationRow> sensor(double mvPerWatt, std::optional<double> offset = 0.0)
{
    return {{local_days{2026y / January / 1}, 0min, "essai", mvPerWatt, offset, {}}};
}

/// Readings `period` apart from `first` to `last` after universal midnight, on local summer time.
std::vector<TracePoint> readings(seconds first, seconds last, seconds period, const Millivolts& mv)
{
    std::vector<TracePoint> points;
    for (seconds t = first; t <= last; t += period) points.push_back({kMidnight + t, 120min, std::int64_t(points.size()) + 2, mv(t)});
    return points;
}

struct Day {
    Day(std::vector<TracePoint> p, const std::vector<CalibrationRow>& calibration, const ObservingSite& site = kChelles,
        std::vector<acquisition::RunEvent> rows = {}, local_days date = kDay)
        : points(std::move(p)), companion(std::move(rows)), run{points, companion}, sunlight(date, {&run, 1}, calibration, site) {}
    std::vector<TracePoint> points;
    std::vector<acquisition::RunEvent> companion;
    RunReadings run;
    DaySunlight sunlight;
};

acquisition::RunEvent startRow(std::string site, double latitude, double longitude, int period = 60)
{
    return {acquisition::RunEvent::Kind::Start, {}, 120min, 0, std::move(site), latitude, longitude, period, "", ""};
}

// « figé »: one reading a second, all equal. The sun's altitude (NOAA): at the equator 20.00° at
// 07:29:20 UTC and 2.26° higher ten minutes on; 9.40° at 06:42:48, 10.60° at 06:48:03. At
// Chelles from 06:00:00 (18.56°): 1.90° higher after 11 min 46 s, 2.10° after 13 min 3 s; at
// solar noon 64.88° from 11:46 to 11:58, within 0.01°.
struct StuckRow { std::string name; ObservingSite site; seconds from, length; bool stuck; };
class Stuck : public testing::TestWithParam<StuckRow> {};

TEST_P(Stuck, IsTheSameReadingForTenMinutesWhileTheSunAboveTenDegreesMovesTwo)
{
    const StuckRow& row = GetParam();
    const Day day(readings(row.from, row.from + row.length, 1s, kConstant), {}, row.site);
    EXPECT_EQ(day.sunlight.dayFigures().flags.stuck, row.stuck ? day.points.size() : 0u);
}
INSTANTIATE_TEST_SUITE_P(Quality, Stuck, testing::Values(
    StuckRow{"ForTenMinutesWhileTheSunClimbs", kEquator, 7h + 29min + 20s, 10min, true},
    StuckRow{"NotASecondShortOfTenMinutes", kEquator, 7h + 29min + 20s, 9min + 59s, false},
    StuckRow{"NotWhileTheSunClimbsOnePointNineDegrees", kChelles, 6h, 11min + 46s, false},
    StuckRow{"WhileTheSunClimbsTwoPointOneDegrees", kChelles, 6h, 13min + 3s, true},
    StuckRow{"NotWhenItBeginsWithTheSunBelowTenDegrees", kEquator, 6h + 42min + 48s, 10min, false},
    StuckRow{"WhenItBeginsWithTheSunAboveTenDegrees", kEquator, 6h + 48min + 3s, 10min, true},
    StuckRow{"NotForTwelveMinutesAtSolarNoon", kChelles, 11h + 46min, 12min, false}),
    [](const auto& info) { return info.param.name; });

// 10 mV per W/m²; at 00:00 UTC (sun −18°) 100.1 W/m² is past the possible limit (100), 100.0
// past the rare one (50); at 08:00 (38°) 4095 mV is the full scale, 4094 not. Left out: the
// impossible and the saturated; the rest bridged from 08:00 to 08:03 around the saturated one.
TEST(DayFigures, CountEachFlagAndLeaveOutImpossibleAndSaturatedReadings)
{
    std::vector<TracePoint> points;
    for (const auto& [t, mv] : {std::pair{0min, 1001}, {1min, 1000}, {8h, 300}, {8h + 1min, 4095}, {8h + 2min, 4094}, {8h + 3min, 300}})
        points.push_back({kMidnight + t, 120min, std::int64_t(points.size()) + 2, mv});
    const SunlightFigures f = Day(points, sensor(10)).sunlight.dayFigures();
    EXPECT_EQ(std::tuple(f.flags.impossible, f.flags.rare, f.flags.saturated, f.flags.stuck, f.excluded), std::tuple(1u, 1u, 1u, 0u, 2u));
    EXPECT_EQ(std::tuple(f.peak, f.peakTime, f.peakMillivolts), std::tuple(std::optional(409.4), kDay + 10h + 2min, 4094));
    EXPECT_NEAR(f.irradiation, (30 + 409.4) / 2 * 3 / 60, 1e-9);
}

// Readings at 00:00 to 00:03 UTC (sun −18°: 10, 40, 20, 30 mV, « nuit » 25), two of 0 mV at
// 03:30 (−3.2°, twilight, not night) and 425 mV at 10:00; a row without offset, 1 mV per W/m².
// Then the second's sensor: (425 − 5) / 2 from 10:00.
TEST(DaySunlight, TakesTheNightsMedianAsTheOffsetOfARowWithoutOne)
{
    std::vector<TracePoint> points = readings(0s, 3min, 60s, [](seconds t) { return std::vector{10, 40, 20, 30}[t / 1min]; });
    for (const seconds t : {seconds{3h + 30min}, seconds{3h + 31min}, seconds{10h}}) points.push_back({kMidnight + t, 120min, 0, t < 10h ? 0 : 425});
    EXPECT_EQ(Day(points, sensor(1, std::nullopt)).sunlight.reading(0, 6).irradiance, 400);
    const std::vector<CalibrationRow> changed{sensor(1, std::nullopt)[0], {kDay + 12h, 120min, "B", 2, 5.0, {}}};
    EXPECT_EQ(Day(points, changed).sunlight.reading(0, 6).irradiance, 210);
}

// Sunshine: with 5 mV per W/m², the reading just above or just below F · 1080 · (sin h)^1.25,
// F = 0.73 + 0.06 · cos(2π · d / 365) of the day d of the year (1 April: 91; 21 June: 172), h
// the reading's altitude; and 400 W/m² at Chelles at 2.60° (04:14:05 UTC) and 3.40° (04:19:50).
struct SunshineRow { std::string name; local_days date; seconds at; int dayOfYear; int fromThreshold; bool sunshine; };
class Sunshine : public testing::TestWithParam<SunshineRow> {};

TEST_P(Sunshine, ShinesAboveTheCarpentrasThresholdOfTheDayWithTheSunAtThreeDegreesOrMore)
{
    const SunshineRow& row = GetParam();
    const sys_seconds at{row.date.time_since_epoch() + row.at};
    const double h = Day({{at, 120min, 2, 0}}, sensor(5), kChelles, {}, row.date).sunlight.reading(0, 0).altitude;
    const double f = 0.73 + 0.06 * std::cos(2 * 3.14159265358979 * row.dayOfYear / 365);
    const double threshold = f * 1080 * std::pow(std::sin(h * 3.14159265358979 / 180), 1.25);
    const int mv = row.fromThreshold == 0 ? int(std::floor(5 * threshold)) : int(std::ceil(5 * threshold)) + row.fromThreshold - 1;
    const Day day({{at, 120min, 2, mv}}, sensor(5), kChelles, {}, row.date);
    EXPECT_EQ(day.sunlight.reading(0, 0).sunshine, row.sunshine) << h << " " << threshold;
}
INSTANTIATE_TEST_SUITE_P(Carpentras, Sunshine, testing::Values(
    SunshineRow{"JustAboveTheThresholdOnTheFirstOfApril", local_days{2026y / April / 1}, 12h, 91, 1, true},
    SunshineRow{"NotJustBelowTheThresholdOnTheFirstOfApril", local_days{2026y / April / 1}, 12h, 91, 0, false},
    SunshineRow{"JustAboveTheThresholdOnTheLongestDay", kDay, 9h, 172, 1, true},
    SunshineRow{"NotJustBelowTheThresholdOnTheLongestDay", kDay, 9h, 172, 0, false},
    SunshineRow{"NotWithTheSunJustBelowThreeDegrees", kDay, 4h + 14min + 5s, 172, 2000, false},
    SunshineRow{"WithTheSunJustAboveThreeDegrees", kDay, 4h + 19min + 50s, 172, 2000, true}),
    [](const auto& info) { return info.param.name; });

struct IrradiationRow { std::string name; Millivolts mv; seconds gapFrom, gapTo; int companionPeriod; double expectedWh; };
class Irradiation : public testing::TestWithParam<IrradiationRow> {};

// Readings every minute from 08:00 to 10:00 UTC, 1 mV per W/m², the sun above 38°; readings
// strictly between gapFrom and gapTo missing; a companion's period, else the median spacing.
TEST_P(Irradiation, IsTheTrapezoidSumBridgingGapsOfUpToThreePeriods)
{
    const IrradiationRow& row = GetParam();
    std::vector<TracePoint> points = readings(8h, 10h, 60s, row.mv);
    std::erase_if(points, [&](const TracePoint& p) { return p.instant > kMidnight + row.gapFrom && p.instant < kMidnight + row.gapTo; });
    std::vector<acquisition::RunEvent> rows;
    if (row.companionPeriod) rows.push_back(startRow("Chelles", kChelles.latitude, kChelles.longitudeEast, row.companionPeriod));
    EXPECT_NEAR(Day(points, sensor(1), kChelles, rows).sunlight.dayFigures().irradiation, row.expectedWh, 1e-9);
}
const Millivolts kRising = [](seconds t) { return int((t - 8h) / 1min); };  // 0 to 120 mV
INSTANTIATE_TEST_SUITE_P(Day, Irradiation, testing::Values(
    IrradiationRow{"OfAConstantSignal", kConstant, 0s, 0s, 0, 600},
    IrradiationRow{"OfALinearSignal", kRising, 0s, 0s, 0, 120},
    IrradiationRow{"BridgingAGapOfThreePeriods", kConstant, 9h, 9h + 3min, 0, 600},
    IrradiationRow{"NotBridgingAGapOfFourPeriods", kRising, 9h, 9h + 4min, 0, 120 - 62.0 * 4 / 60},
    IrradiationRow{"BridgingFourMinutesWhenTheCompanionsPeriodIsTwo", kRising, 9h, 9h + 4min, 120, 120},
    IrradiationRow{"CountingNegativeIrradianceAsZero", [](seconds t) { return t < 9h ? -3 : 300; }, 0s, 0s, 0, 302.5}),
    [](const auto& info) { return info.param.name; });

// A summer day at Chelles, a reading a minute, 2 mV per W/m² over 20 mV of night: 800 and 801
// W/m² in turn from 08:00 to 14:00 UTC, 0 or −0.5 from 03:00 to then and after, dark at night.
// Sunrise 03:48:32 and sunset 19:56:19 UTC (NOAA, upper limb with refraction).
TEST(DayFigures, OfASunnyDayAreItsResume)
{
    const auto mv = [](seconds t) {
        const int odd = int((t / 1min) % 2);
        return t < 3h || t > 20h ? 20 : t < 8h || t > 14h ? 20 - odd : 20 + 2 * (800 + odd);
    };
    const Day day(readings(0s, 24h - 1min, 60s, mv), sensor(2, std::nullopt));
    const SunlightFigures f = day.sunlight.dayFigures();
    EXPECT_EQ(std::tuple(f.calibrated, f.excluded, f.peak, f.peakTime, f.peakMillivolts), std::tuple(1440u, 0u, 801.0, kDay + 10h + 1min, 1622));
    EXPECT_NEAR(double(f.daylight.count()), 16 * 3600 + 7 * 60 + 47, 180);
    // two half-minutes at the edges; an hour of sunshine in each of the six
    EXPECT_NEAR(f.irradiation, 800.5 * 6 + 2 * 800.0 / 2 / 60, 1e-9);
    EXPECT_NEAR(f.sunshineSeconds, 6 * 3600 + 60, 1e-9);
    EXPECT_EQ(std::pair(f.coverage(), f.flags.impossible + f.flags.rare + f.flags.saturated + f.flags.stuck), std::pair(1.0, std::size_t{0}));
    EXPECT_NEAR(*f.ratio(), 4813.83 / 8723.3, 0.003);  // Haurwitz's clear sky on NOAA's altitudes: 8.7233 kWh/m²
    // 08:00 to 09:00: an hour of sunshine in an hour of daylight; from the night to 09:00 the
    // covered time runs from sunrise only.
    const SunlightFigures hour = day.sunlight.figures(kMidnight + 8h, kMidnight + 9h);
    EXPECT_EQ(hour.daylight, 1h);
    EXPECT_NEAR(hour.irradiation, 800.5, 1e-9);
    EXPECT_NEAR(*hour.sunshineFraction(), 1, 1e-12);
    const SunlightFigures morning = day.sunlight.figures(kMidnight, kMidnight + 9h);
    EXPECT_NEAR(double(morning.covered.count()), 5 * 3600 + 11 * 60 + 28, 180);
    EXPECT_NEAR(morning.irradiation, 800.5 + 800.0 / 2 / 60, 1e-9);
}

// A reading at 10:00 UTC: the sun stands at 56.52° at Chelles, 60.54° at Nîmes (43.5° N 4.21° E)
// and 52.27° at 0° N 0° E (NOAA). A site outside the list is where its row says.
TEST(DaySunlight, PutsARunWhoseRowsNameNoSiteAtTheSiteGivenAndANamedOneAtItsOwn)
{
    const std::vector<TracePoint> points{{kMidnight + 10h, 120min, 2, 500}};
    const ObservingSite nimes = *siteNamed("Nîmes");
    for (const auto& [rows, altitude] : {std::pair{std::vector{startRow("", 0, 0)}, 56.52}, std::pair{std::vector<acquisition::RunEvent>{}, 56.52},
                                         std::pair{std::vector{startRow("Nîmes", 0, 0)}, 60.54},  // the list's coordinates
                                         std::pair{std::vector{startRow("Mas des Étoiles", nimes.latitude, nimes.longitudeEast)}, 60.54}}) {
        const Day day(points, sensor(1), kChelles, rows);
        EXPECT_NEAR(day.sunlight.reading(0, 0).altitude, altitude, 0.5) << rows.size();
        EXPECT_EQ(day.sunlight.site().name, rows.empty() || rows[0].site.empty() ? "Chelles" : rows[0].site);
    }
}

// Haurwitz: 1098 · sin h · exp(−0.059 / sin h), 0 below the horizon. BSRN: day 1, S =
// 1405.906346, at 90° the possible limit is 2208.859518 and the rare one 1737.087615; day 172, S
// = 1316.818664, at 30° 959.767923 and 737.814338; at night µ0 = 0: 100 and 50; below: −4, −2.
struct ModelRow { std::string name; double irradiance, altitude; int day; double expected; };
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
    ModelRow{"RareAboveFiftyAtNight", 50.01, -10, 172, kRare}, ModelRow{"PlausibleAtFiftyAtNight", 50, -10, 172, 0}),
    [](const auto& info) { return info.param.name; });

TEST(SunCurve, IsTheTrackingsAltitudeUnderEveryOffsetAndEndsOnItsLastInstant)
{
    // 21 June 2006 at 12:00 UTC the window shows the sun at Chelles 64° 49 Min. 31 Sec. high.
    const sys_seconds noon = sys_days{2006y / June / 21} + 12h;
    for (const UtcOffsetAt& zone : {UtcOffsetAt{parisOffset}, UtcOffsetAt{[](sys_seconds) { return minutes{330}; }}, UtcOffsetAt{}}) {
        const auto curve = sunCurve(kChelles, noon - 2h, noon + 2h + 1min, 30min, zone);
        ASSERT_EQ(curve.size(), 10u);
        EXPECT_EQ(std::tuple(curve[4].instant, curve.back().instant), std::tuple(noon, noon + 2h + 1min));
        EXPECT_NEAR(curve[4].altitude, 64 + 49 / 60.0 + 31 / 3600.0, 1 / 3600.0);
    }
}

}  // namespace
