// A day's readings in sunlight terms: the trapezoid irradiation and its gaps, the flags a day
// raises, and a whole day through to its résumé.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "record/day_sunlight.h"

using namespace std::chrono;
using namespace record;

namespace {

const local_days kDay{2026y / June / 21};
const ObservingSite kChelles = *siteNamed("Chelles");
constexpr minutes kSummer{120};
using Millivolts = std::function<int(seconds)>;  // of the local time of day

/// `mvPerWatt` mV per W/m², no offset, from the start of the year.
std::vector<CalibrationRow> sensor(double mvPerWatt) { return {{local_days{2026y / January / 1}, 0min, "essai", mvPerWatt, 0.0, {}}}; }

/// Readings `period` apart from `first` to `last` local time.
std::vector<TracePoint> readings(seconds first, seconds last, seconds period, const Millivolts& mv)
{
    std::vector<TracePoint> points;
    for (seconds t = first; t <= last; t += period)
        points.push_back({sys_seconds{kDay.time_since_epoch() + t - kSummer}, kSummer,
                          std::int64_t(points.size()) + 2, mv(t)});
    return points;
}

SunlightFigures dayOf(const std::vector<TracePoint>& points, const std::vector<CalibrationRow>& calibration,
                      const std::vector<acquisition::RunEvent>& companion = {})
{
    const RunReadings run{points, companion};
    return DaySunlight(kDay, {&run, 1}, calibration, kChelles).dayFigures();
}

struct IrradiationRow {
    std::string name;
    Millivolts mv;
    seconds gapFrom, gapTo;  // readings strictly between are missing
    int companionPeriod;     // 0: none, the median spacing (60 s) counts
    double expectedWh;
};
void PrintTo(const IrradiationRow& row, std::ostream* os) { *os << row.name; }
class Irradiation : public testing::TestWithParam<IrradiationRow> {};

// Readings every minute from 10:00 to 12:00 local, 1 mV per W/m², the sun above 40°.
TEST_P(Irradiation, IsTheTrapezoidSumWithinTheGapsOfARun)
{
    const IrradiationRow& row = GetParam();
    std::vector<TracePoint> points = readings(10h, 12h, 60s, row.mv);
    std::erase_if(points, [&](const TracePoint& p) {
        const seconds local = p.instant + kSummer - sys_days{kDay.time_since_epoch()};
        return local > row.gapFrom && local < row.gapTo;
    });
    const std::vector<acquisition::RunEvent> companion(row.companionPeriod ? 1 : 0, {{}, {}, 0min, 0, "Chelles", 0, 0, row.companionPeriod, "", ""});
    EXPECT_NEAR(dayOf(points, sensor(1), companion).irradiation, row.expectedWh, 1e-9);
}
const Millivolts kConstant = [](seconds) { return 300; };
const Millivolts kRising = [](seconds t) { return int((t - 10h) / 1min); };  // 0 to 120 mV
INSTANTIATE_TEST_SUITE_P(Day, Irradiation, testing::Values(
    IrradiationRow{"OfAConstantSignal", kConstant, 0s, 0s, 0, 600},
    IrradiationRow{"OfALinearSignal", kRising, 0s, 0s, 0, 120},
    IrradiationRow{"OfAConstantSignalBridgingAGapOfThreePeriods", kConstant, 11h, 11h + 3min, 0, 600},
    IrradiationRow{"OfAConstantSignalNotBridgingAGapOfFourPeriods", kConstant, 11h, 11h + 4min, 0, 580},
    IrradiationRow{"OfALinearSignalNotBridgingAGapOfFourPeriods", kRising, 11h, 11h + 4min, 0, 120 - 62.0 * 4 / 60},
    IrradiationRow{"BridgingFourMinutesWhenTheCompanionsPeriodIsTwo", kRising, 11h, 11h + 4min, 120, 120},
    IrradiationRow{"CountingNegativeIrradianceAsZero", [](seconds t) { return t < 11h ? -3 : 300; }, 0s, 0s, 0, 302.5}),
    [](const auto& info) { return info.param.name; });

struct FlagDayRow { std::string name; seconds from, to; Millivolts mv; FlagCounts expected; };
void PrintTo(const FlagDayRow& row, std::ostream* os) { *os << row.name; }
class DayFlags : public testing::TestWithParam<FlagDayRow> {};

// A reading a second, 10 mV per W/m² (full scale 409.5 W/m²). The sun stands near 64° at noon
// and below the horizon at 03:00 (limits 100 and 50 W/m²).
TEST_P(DayFlags, AreCountedByKind)
{
    const FlagDayRow& row = GetParam();
    const FlagCounts got = dayOf(readings(row.from, row.to, 1s, row.mv), sensor(10)).flags;
    const FlagCounts& want = row.expected;
    EXPECT_EQ(std::vector({got.impossible, got.rare, got.saturated, got.stuck}),
              std::vector({want.impossible, want.rare, want.saturated, want.stuck}));
}
const auto kFirstThen = [](seconds at, int first, int then) { return [=](seconds t) { return t == at ? first : then; }; };
INSTANTIATE_TEST_SUITE_P(Quality, DayFlags, testing::Values(
    FlagDayRow{"SaturatedAtFullScale", 12h, 12h + 1s, kFirstThen(12h, 4095, 3000), {0, 0, 1, 0}},
    FlagDayRow{"NotSaturatedBelowFullScale", 12h, 12h + 1s, kFirstThen(12h, 4094, 3000), {0, 0, 0, 0}},
    FlagDayRow{"StuckForTenMinutesInTheSun", 12h, 12h + 10min, kConstant, {0, 0, 0, 601}},
    FlagDayRow{"NotStuckASecondShort", 12h, 12h + 10min - 1s, kConstant, {0, 0, 0, 0}},
    FlagDayRow{"NotStuckWithTheSunDown", 3h, 3h + 20min, kConstant, {0, 0, 0, 0}},
    FlagDayRow{"ImpossibleAboveAHundredWattsAtNight", 3h, 3h + 1s, kFirstThen(3h, 1001, 500), {1, 0, 0, 0}},
    FlagDayRow{"RareAtAHundredWattsAtNight", 3h, 3h + 1s, kFirstThen(3h, 1000, 500), {0, 1, 0, 0}}),
    [](const auto& info) { return info.param.name; });

TEST(DayFigures, LeaveOutImpossibleAndSaturatedReadingsAndSayHowMany)
{
    // 300 W/m² from 12:00 to 12:02 with 12:01 saturated: bridged across it (2 periods).
    const SunlightFigures f = dayOf(readings(12h, 12h + 2min, 60s, kFirstThen(12h + 1min, 4095, 300)), sensor(1));
    EXPECT_EQ(std::tuple(f.excluded, f.peak, f.peakMillivolts, f.meanMillivolts), std::tuple(1u, 300.0, 300, 300.0));
    EXPECT_NEAR(f.irradiation, 10, 1e-9);
}

// Four night readings at 01:00 (10, 40, 20, 30 mV: « nuit » is 25) and 425 mV a minute from 10:00
// to 12:00; the sensor changes at 11:00, the companion names Nîmes from 11:30.
TEST(DaySunlight, WorksEachReadingOutWithTheNightTheRowAndTheSiteInForce)
{
    const std::vector<CalibrationRow> capteur{{local_days{2026y / June / 1}, kSummer, "A", 1, {}, {}},
                                              {local_days{kDay} + 11h, kSummer, "B", 2, 5.0, {}}};
    std::vector<TracePoint> points = readings(1h, 1h + 3min, 60s, [](seconds t) { return std::array{10, 40, 20, 30}[(t - 1h) / 1min]; });
    for (const TracePoint& p : readings(10h, 12h, 60s, kConstant)) points.emplace_back(p.instant, kSummer, std::int64_t(points.size()) + 2, 425);
    const std::int64_t halfPastEleven = points[4 + 90].number;
    const ObservingSite nimes = *siteNamed("Nîmes");
    const std::vector<acquisition::RunEvent> companion{{{}, {}, kSummer, 0, "Chelles", kChelles.latitude, kChelles.longitudeEast, 60, "", ""},
                                                       {{}, {}, kSummer, halfPastEleven, "Nîmes", nimes.latitude, nimes.longitudeEast, 60, "", ""}};
    const RunReadings run{points, companion};
    const DaySunlight day(kDay, {&run, 1}, capteur, kChelles);
    const auto at = [&](std::size_t index) { return std::pair(day.reading(0, index), points[index].instant); };
    EXPECT_EQ(at(4 + 59).first.irradiance, 400);  // 10:59: (425 − 25) / 1
    EXPECT_EQ(at(4 + 60).first.irradiance, 210);  // 11:00: (425 − 5) / 2
    for (const auto& [index, site] : {std::pair(4 + 89, kChelles), std::pair(4 + 90, nimes)})
        EXPECT_DOUBLE_EQ(at(index).first.altitude, sunAltitude(site, at(index).second, kSummer)) << site.name;
}

// A summer day at Chelles under a capteur.csv row: 2 mV per W/m² over a dark offset read at
// night (20 mV), a reading a minute. 800 and 801 W/m² in turn from 10:00 to 16:00, 0 or −0.5
// from the end of the night to then and after (never the same value long in daylight).
TEST(DayFigures, OfASunnyDayAreItsResume)
{
    const std::vector<CalibrationRow> capteur{{local_days{2026y / June / 1}, kSummer, "SP-110", 2, {}, {0.73, 0.06}}};
    const auto mv = [](seconds t) {
        const int odd = int((t / 1min) % 2);
        return t < 5h || t > 22h ? 20 : t < 10h || t > 16h ? 20 - odd : 20 + 2 * (800 + odd);
    };
    const std::vector<TracePoint> points = readings(0s, 24h - 1min, 60s, mv);
    const RunReadings run{points, {}};
    const DaySunlight day(kDay, {&run, 1}, capteur, kChelles);
    const SunMarkers sun = sunMarkers(kChelles, kDay, true);
    const seconds dayLength = sun.sunsetInstant - sun.sunriseInstant;

    const SunlightFigures f = day.dayFigures();
    EXPECT_EQ(std::tuple(f.calibrated, f.daylight, f.peak, f.peakTime),
              std::tuple(1440u, dayLength, 801.0, kDay + 10h + 1min));
    EXPECT_NEAR(f.irradiation, 800.5 * 6 + 2 * 800.0 / 2 / 60, 1e-9);  // two half-minutes at the edges
    EXPECT_NEAR(f.sunshineSeconds, 6 * 3600 + 60, 1e-9);
    EXPECT_DOUBLE_EQ(f.coverage(), 1);
    EXPECT_NEAR(*f.sunshineFraction(), (6 * 3600 + 60) / double(dayLength.count()), 1e-12);
    EXPECT_EQ(f.flags.impossible + f.flags.rare + f.flags.saturated + f.flags.stuck, 0u);
    EXPECT_LT(f.irradiation, f.clearSkyIrradiation);
    // On the minute, each reading has the tracking's altitude and Haurwitz's sky.
    const SunlitReading noon = day.reading(0, 12 * 60);
    EXPECT_DOUBLE_EQ(noon.altitude, sunAltitude(kChelles, points[12 * 60].instant, kSummer));
    EXPECT_DOUBLE_EQ(noon.clearSky, haurwitzClearSky(noon.altitude));

    // The visible range 10:00 to 11:00: an hour of sunshine in the sun's hour.
    const sys_seconds ten{kDay.time_since_epoch() + 10h - kSummer};
    const SunlightFigures hour = day.figures(ten, ten + 1h);
    EXPECT_NEAR(hour.irradiation, 800.5, 1e-9);
    EXPECT_EQ(hour.daylight, 1h);
    EXPECT_DOUBLE_EQ(*hour.sunshineFraction(), 1);
    // From before the first reading to 11:00: the morning's half-minute edge and that hour.
    EXPECT_NEAR(day.figures(ten - 11h, ten + 1h).irradiation, 800.5 + 800.0 / 2 / 60, 1e-9);
}

}  // namespace
