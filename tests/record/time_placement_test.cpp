// Measurement lines placed in universal time: the file's date, midnight, both summer-time
// changes, a clock set back, a run's start row and the run before it.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

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
const std::vector<sys_seconds> kAcrossTheRepeatedHour{kTenToMidnight,       kTenToMidnight + 10min, kTenToMidnight + 20min,
                                                      kTenToMidnight + 1h,  kTenToMidnight + 70min, kTenToMidnight + 80min,
                                                      kTenToMidnight + 2h,  kTenToMidnight + 130min};

struct PlacementRow {
    const char* name;
    local_days fileDate;
    UtcOffsetAt zone;
    std::vector<RunEvent> companion;
    std::optional<sys_seconds> notBefore;
    std::vector<seconds> times;  ///< readings numbered from `first` on, one each
    std::vector<sys_seconds> expected;
    std::int64_t first = 2, lastNumber = 0;  ///< lastNumber, when not 0: the last reading's number instead
};

class TimePlacement : public testing::TestWithParam<PlacementRow> {};

TEST_P(TimePlacement, PutsEachLineAtItsInstant)
{
    const PlacementRow& r = GetParam();
    TimePlacer placer{r.fileDate, r.zone, r.companion, r.notBefore};
    for (std::size_t i = 0; i < r.times.size(); ++i) {
        const std::int64_t number = i + 1 == r.times.size() && r.lastNumber ? r.lastNumber : r.first + std::int64_t(i);
        const record::PlacedTime placed = placer.place(Reading{number, 100, r.times[i]});
        EXPECT_EQ(placed.instant, r.expected[i]) << "line " << i;
        if (r.zone) {
            EXPECT_EQ(placed.utcOffset, r.zone(placed.instant)) << "line " << i;
        }
    }
}

const local_days kDec5{2026y / December / 5};
const sys_seconds kTen = utc(2026y / December / 5, 9h);

INSTANTIATE_TEST_SUITE_P(
    Runs, TimePlacement,
    testing::Values(
        PlacementRow{"OnTheFileDateInWinter", kDec5, parisOffset, {}, {}, {14h + 3min + 27s}, {utc(2026y / December / 5, 13h + 3min + 27s)}},
        PlacementRow{"OnTheFileDateInSummer", local_days{2026y / July / 14}, parisOffset, {}, {}, {0s}, {utc(2026y / July / 13, 22h)}},
        PlacementRow{"OnTheNextDayAcrossMidnight", local_days{2026y / December / 31}, parisOffset, {}, {},
                     {23h + 59min + 59s, 0s, 1s}, {utc(2026y / December / 31, 22h + 59min + 59s), utc(2026y / December / 31, 23h), utc(2026y / December / 31, 23h + 1s)}},
        PlacementRow{"ADayLaterWhenTheNumbersSaySo", kDec5, parisOffset, {}, {}, {10h, 10h - 2s}, {kTen, kTen + days{1} - 2s}, 2, 1442},
        PlacementRow{"TwiceTheSameSecondAtOneInstant", kDec5, parisOffset, {}, {}, {10h, 10h}, {kTen, kTen}},
        PlacementRow{"OnTheSameDayWhenTheClockIsSetBack", kDec5, parisOffset, {}, {},
                     {10h, 10h + 1s, 10h - 1s, 10h, 10h + 1s, 10h + 2s}, {kTen, kTen + 1s, kTen + 1s, kTen + 1s, kTen + 1s, kTen + 2s}},
        PlacementRow{"ASecondBehindItsStartRowOnThatDay", kDec5, parisOffset, {row(RunEvent::Kind::Start, kDec5 + 10h, 60min, 2)}, {}, {10h - 1s}, {kTen}},
        PlacementRow{"TheRepeatedHourAfterTheFirstOne", kAutumn, parisOffset, {}, {}, kEndOfSummer, kAcrossTheRepeatedHour},
        PlacementRow{"TheRepeatedHourFromTheCompanionAlone", kAutumn, UtcOffsetAt{},
                     {row(RunEvent::Kind::Start, kAutumn + 1h + 49min, 120min, 2), row(RunEvent::Kind::Zone, kAutumn + 2h, 60min, 6)}, {},
                     kEndOfSummer, kAcrossTheRepeatedHour},
        PlacementRow{"TheRepeatedHourFromAZonesChanges", kAutumn,
                     record::zoneFromChanges(60min, {{utc(2027y / March / 28, 1h), 120min}, {utc(2026y / October / 25, 1h), 60min},
                                                     {utc(2026y / March / 29, 1h), 120min}}),
                     {}, {}, kEndOfSummer, kAcrossTheRepeatedHour},
        PlacementRow{"AcrossTheSkippedHour", local_days{2026y / March / 29}, parisOffset, {}, {},
                     {1h + 59min + 59s, 3h, 3h + 1s}, {utc(2026y / March / 29, 59min + 59s), utc(2026y / March / 29, 1h), utc(2026y / March / 29, 1h + 1s)}},
        PlacementRow{"TheSkippedHourFromTheCompanionAlone", local_days{2026y / March / 29}, UtcOffsetAt{},
                     {row(RunEvent::Kind::Start, local_days{2026y / March / 29} + 1h + 59min + 59s, 60min, 2),
                      row(RunEvent::Kind::Zone, local_days{2026y / March / 29} + 3h, 120min, 3)}, {},
                     {1h + 59min + 59s, 3h, 3h + 1s}, {utc(2026y / March / 29, 59min + 59s), utc(2026y / March / 29, 1h), utc(2026y / March / 29, 1h + 1s)}},
        PlacementRow{"ARunBegunAfterMidnightOnItsStartRowsDay", kDec5, parisOffset,
                     {row(RunEvent::Kind::Start, local_days{2026y / December / 6} + 10h, 60min, 2)}, {}, {10h + 1s}, {kTen + days{1} + 1s}},
        PlacementRow{"ALaterRunAfterTheRunBeforeIt", kDec5, parisOffset, {}, utc(2026y / December / 5, 21h), {8h}, {utc(2026y / December / 6, 7h)}},
        PlacementRow{"ALaterRunOnTheSameDayWhenItFits", kDec5, parisOffset, {}, utc(2026y / December / 5, 21h), {23h}, {utc(2026y / December / 5, 22h)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SummerTime, IsInForceWhenTheOffsetExceedsTheZonesStandardOne)
{
    EXPECT_TRUE(record::summerTimeInForce(parisOffset, utc(2006y / June / 21, 12h)));
    EXPECT_FALSE(record::summerTimeInForce(parisOffset, utc(2006y / December / 21, 12h)));
    EXPECT_FALSE(record::summerTimeInForce(parisOffset, utc(2026y / October / 25, 1h)));
    EXPECT_TRUE(record::summerTimeInForce(parisOffset, utc(2026y / October / 25, 59min + 59s)));
    EXPECT_FALSE(record::summerTimeInForce([](sys_seconds) { return minutes{330}; }, utc(2006y / June / 21, 12h)));
    EXPECT_FALSE(record::summerTimeInForce(UtcOffsetAt{}, utc(2006y / June / 21, 12h)));
}

}  // namespace
