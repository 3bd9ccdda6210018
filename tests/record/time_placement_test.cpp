// Measurement lines placed in universal time (the file's date, midnight, both summer-time
// changes, a clock set back, a run's start row and the run before it), how each run ended, and
// a range's figures.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "record/run_trace.h"
#include "record/time_placement.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using acquisition::RunEvent;
using namespace record;

namespace {

constexpr sys_seconds utc(year_month_day date, seconds time) { return sys_days{date} + time; }

RunEvent row(RunEvent::Kind kind, local_seconds local, minutes offset, std::int64_t next) { return {kind, local, offset, next, "", 0, 0, 1, "", ""}; }

const local_days kAutumn{2026y / October / 25};  // at 03:00 summer time the clocks go back to 02:00
const std::vector<seconds> kEndOfSummer{1h + 50min, 2h, 2h + 10min, 2h + 50min, 2h, 2h + 10min, 2h + 50min, 3h};
constexpr sys_seconds kTenToMidnight = sys_days{2026y / October / 24} + 23h + 50min;  // 01:50 summer time
const local_days kSpring{2026y / March / 29};  // at 02:00 standard time the clocks go on to 03:00
const std::vector<seconds> kStartOfSummer{1h + 59min + 59s, 3h, 3h + 1s};
const std::vector<sys_seconds> kAcrossTheSkippedHour{utc(2026y / March / 29, 59min + 59s), utc(2026y / March / 29, 1h), utc(2026y / March / 29, 1h + 1s)};
const std::vector<sys_seconds> kAcrossTheRepeatedHour{kTenToMidnight, kTenToMidnight + 10min, kTenToMidnight + 20min, kTenToMidnight + 1h,
                                                      kTenToMidnight + 70min, kTenToMidnight + 80min, kTenToMidnight + 2h, kTenToMidnight + 130min};

// times: readings numbered from `first` on, one each; lastNumber, when not 0: the last reading's number instead.
struct PlacementRow { const char* name; local_days fileDate; UtcOffsetAt zone; std::vector<RunEvent> companion; std::optional<sys_seconds> notBefore;
                      std::vector<seconds> times; std::vector<sys_seconds> expected; std::int64_t first = 2, lastNumber = 0; };

class TimePlacement : public testing::TestWithParam<PlacementRow> {};

TEST_P(TimePlacement, PutsEachLineAtItsInstant)
{
    const PlacementRow& r = GetParam();
    TimePlacer placer{r.fileDate, r.zone, r.companion, r.notBefore};
    for (std::size_t i = 0; i < r.times.size(); ++i) {
        const std::int64_t number = i + 1 == r.times.size() && r.lastNumber ? r.lastNumber : r.first + std::int64_t(i);
        const record::PlacedTime placed = placer.place(Reading{number, 100, r.times[i]});
        EXPECT_EQ(std::pair(placed.instant, placed.utcOffset), std::pair(r.expected[i], r.zone ? r.zone(r.expected[i]) : placed.utcOffset)) << "line " << i;
    }
}

const local_days kDec5{2026y / December / 5};
const sys_seconds kTen = utc(2026y / December / 5, 9h);

INSTANTIATE_TEST_SUITE_P(Runs, TimePlacement, testing::Values(
        PlacementRow{"OnTheFileDateInWinter", kDec5, parisOffset, {}, {}, {14h + 3min + 27s}, {kTen + 4h + 3min + 27s}},
        PlacementRow{"OnTheFileDateInSummer", local_days{2026y / July / 14}, parisOffset, {}, {}, {0s}, {utc(2026y / July / 13, 22h)}},
        PlacementRow{"OnTheNextDayAcrossMidnight", local_days{2026y / December / 31}, parisOffset, {}, {},
                     {23h + 59min + 59s, 0s, 1s}, {utc(2026y / December / 31, 22h + 59min + 59s), utc(2026y / December / 31, 23h), utc(2026y / December / 31, 23h + 1s)}},
        PlacementRow{"ADayLaterWhenTheNumbersSaySo", kDec5, parisOffset, {}, {}, {10h, 10h - 2s}, {kTen, kTen + days{1} - 2s}, 2, 1442},
        PlacementRow{"TwiceTheSameSecondAtOneInstant", kDec5, parisOffset, {}, {}, {10h, 10h}, {kTen, kTen}},
        PlacementRow{"AtOneInstantWhenTheClockIsSetBackFiveMinutes", kDec5, parisOffset, {}, {}, {10h, 10h - 5min}, {kTen, kTen}},
        PlacementRow{"ADayLaterWhenItIsSetBackASecondMore", kDec5, parisOffset, {}, {}, {10h, 10h - 5min - 1s}, {kTen, kTen + days{1} - 5min - 1s}},
        PlacementRow{"OnTheSameDayWhenTheClockIsSetBack", kDec5, parisOffset, {}, {},
                     {10h, 10h + 1s, 10h - 1s, 10h, 10h + 1s, 10h + 2s}, {kTen, kTen + 1s, kTen + 1s, kTen + 1s, kTen + 1s, kTen + 2s}},
        PlacementRow{"ASecondBehindItsStartRowOnThatDay", kDec5, parisOffset, {row(RunEvent::Kind::Start, kDec5 + 10h, 60min, 2)}, {}, {10h - 1s}, {kTen}},
        PlacementRow{"TheRepeatedHourAfterTheFirstOne", kAutumn, parisOffset, {}, {}, kEndOfSummer, kAcrossTheRepeatedHour},
        PlacementRow{"TheRepeatedHourFromTheCompanionAlone", kAutumn, UtcOffsetAt{},
                     {row(RunEvent::Kind::Start, kAutumn + 1h + 49min, 120min, 2), row(RunEvent::Kind::Zone, kAutumn + 2h, 60min, 6)}, {}, kEndOfSummer, kAcrossTheRepeatedHour},
        PlacementRow{"TheRepeatedHourFromAZonesChanges", kAutumn,
                     zoneFromChanges(60min, {{utc(2027y / March / 28, 1h), 120min}, {utc(2026y / October / 25, 1h), 60min}, {utc(2026y / March / 29, 1h), 120min}}),
                     {}, {}, kEndOfSummer, kAcrossTheRepeatedHour},
        PlacementRow{"AcrossTheSkippedHour", kSpring, parisOffset, {}, {}, kStartOfSummer, kAcrossTheSkippedHour},
        PlacementRow{"TheSkippedHourFromTheCompanionAlone", kSpring, UtcOffsetAt{},
                     {row(RunEvent::Kind::Start, kSpring + 1h + 59min + 59s, 60min, 2), row(RunEvent::Kind::Zone, kSpring + 3h, 120min, 3)}, {}, kStartOfSummer, kAcrossTheSkippedHour},
        PlacementRow{"ARunBegunAfterMidnightOnItsStartRowsDay", kDec5, parisOffset, {row(RunEvent::Kind::Start, kDec5 + days{1} + 10h, 60min, 2)}, {}, {10h + 1s}, {kTen + days{1} + 1s}},
        PlacementRow{"ALaterRunAfterTheRunBeforeIt", kDec5, parisOffset, {}, kTen + 12h, {8h}, {kTen + 22h}},
        PlacementRow{"ALaterRunOnTheSameDayWhenItFits", kDec5, parisOffset, {}, kTen + 12h, {23h}, {kTen + 13h}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SummerTime, IsInForceWhenTheOffsetExceedsTheZonesStandardOne)
{
    const UtcOffsetAt indian = [](sys_seconds) { return minutes{330}; };
    for (const auto& [zone, at, summer] : {std::tuple{UtcOffsetAt{parisOffset}, utc(2006y / June / 21, 12h), true}, {parisOffset, utc(2006y / December / 21, 12h), false},
                                           {parisOffset, utc(2026y / October / 25, 1h), false}, {parisOffset, utc(2026y / October / 25, 59min + 59s), true},
                                           {indian, utc(2006y / June / 21, 12h), false}, {UtcOffsetAt{}, utc(2006y / June / 21, 12h), false}})
        EXPECT_EQ(summerTimeInForce(zone, at), summer) << (at - sys_seconds{}).count();
}

// today: the run's day is the present one
struct EndRow { const char* name; std::vector<acquisition::RunEvent::Kind> rows; bool keptAside; seconds sinceWritten; record::RunEnd expected; bool today = true; };

class RunEnds : public testing::TestWithParam<EndRow> {};

TEST_P(RunEnds, AreSaidFromTheEndRowOrFromHowLongAgoTheFileGrew)
{
    std::vector<acquisition::RunEvent> events;
    for (const auto kind : GetParam().rows) events.push_back({kind, {}, 0min, 0, "", 0, 0, 10, "", ""});
    const sys_seconds written = sys_days{2026y / December / 5} + 12h;
    EXPECT_EQ(record::runEnd(events, GetParam().keptAside, GetParam().today, written, written + GetParam().sinceWritten), GetParam().expected);
}

using K = acquisition::RunEvent::Kind;
INSTANTIATE_TEST_SUITE_P(Rows, RunEnds, testing::Values(
                    EndRow{"StoppedByItsArretRow", {K::Start, K::Stop}, false, 0s, record::RunEnd::Stopped},
                    EndRow{"QuitByItsQuitterRow", {K::Start, K::Quit}, true, days{200}, record::RunEnd::Quit},
                    EndRow{"RunningWithinThreePeriods", {K::Start, K::Site}, false, 32s, record::RunEnd::Running},
                    EndRow{"InterruptedPastThreePeriods", {K::Start}, false, 33s, record::RunEnd::Interrupted},
                    EndRow{"InterruptedOnAnotherDayThoughJustWritten", {K::Start}, false, 0s, record::RunEnd::Interrupted, false},
                    EndRow{"InterruptedWhenKeptAside", {K::Start}, true, 0s, record::RunEnd::Interrupted},
                    EndRow{"RunningWithoutCompanionWithinThreeMinutes", {}, false, 180s, record::RunEnd::Running}, EndRow{"InterruptedWithoutCompanionLater", {}, false, 183s, record::RunEnd::Interrupted}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RangeFigures, CountOnlyTheReadingsInsideTheRangeAndCombineAcrossRuns)
{
    const sys_seconds t0 = sys_days{2026y / December / 5} + 12h;
    const auto everyMinute = [](std::vector<int> mv, sys_seconds from) {
        std::vector<TracePoint> points;
        for (std::size_t i = 0; i < mv.size(); ++i) points.emplace_back(from + minutes(i), 60min, std::int64_t(i) + 2, mv[i]);
        return points;
    };
    const auto points = everyMinute({4000, 10, 25, 40, 3, 4095}, t0);
    const RangeFigures inner = figuresOf(points, t0 + 1min, t0 + 3min);
    EXPECT_EQ(std::tuple(inner.count, inner.minimum, inner.maximum, inner.mean(), figuresOf(points, t0 + 30s, t0 + 2min + 30s).mean(),
                         figuresOf(points, t0 + 10min, t0 + 20min).count, figuresOf(points, t0 + 3min, t0 + 1min).count, pointsWithin(points, t0 - 1h, t0 + 1h).size()),
              std::tuple(3u, 10, 40, 25.0, 17.5, 0u, 0u, points.size()));
    RangeFigures both;
    both += figuresOf(everyMinute({50, 60}, t0), t0, t0 + 1h);
    both += figuresOf(everyMinute({7, 3000, 200}, t0 + 2h), t0, t0 + 3h);
    both += RangeFigures{};
    EXPECT_EQ(std::tuple(both.count, both.minimum, both.maximum, both.mean()), std::tuple(5u, 7, 3000, 663.4));
}

}  // namespace
