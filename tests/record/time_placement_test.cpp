// Measurement lines placed in universal time: the file's date, midnight, both summer-time
// changes, a run's start row and the run before it.
#include <gtest/gtest.h>

#include <vector>

#include "record/time_placement.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using record::PlacedTime;
using record::Reading;
using acquisition::RunEvent;
using record::summerTimeInForce;
using record::TimePlacer;
using record::UtcOffsetAt;
using record::zoneFromChanges;

namespace {

constexpr sys_seconds utc(year_month_day date, seconds time) { return sys_days{date} + time; }

RunEvent row(RunEvent::Kind kind, local_seconds local, minutes offset, std::int64_t next)
{
    RunEvent event;
    event.kind = kind;
    event.local = local;
    event.utcOffset = offset;
    event.nextNumber = next;
    return event;
}

/// Readings numbered from 2, one per `times` entry.
std::vector<PlacedTime> placeAll(TimePlacer& placer, const std::vector<seconds>& times)
{
    std::vector<PlacedTime> placed;
    std::int64_t number = 2;
    for (const seconds t : times) placed.push_back(placer.place(Reading{number++, 100, t}));
    return placed;
}

TEST(TimePlacement, PutsALineOnTheFileDateAtItsLocalTime)
{
    TimePlacer winter{local_days{2026y / December / 5}, parisOffset};
    const PlacedTime first = winter.place(Reading{2, 2048, 14h + 3min + 27s});
    EXPECT_EQ(first.instant, utc(2026y / December / 5, 13h + 3min + 27s));
    EXPECT_EQ(first.utcOffset, 60min);

    TimePlacer summer{local_days{2026y / July / 14}, parisOffset};
    EXPECT_EQ(summer.place(Reading{2, 2048, 0s}).instant, utc(2026y / July / 13, 22h));
}

TEST(TimePlacement, CarriesATimeThatGoesBackAtMidnightOntoTheNextDay)
{
    TimePlacer placer{local_days{2026y / December / 31}, parisOffset};
    std::vector<PlacedTime> placed;
    // a line a second, then a day later (at 1 s the day is 86,400 numbers long)
    for (const auto& [number, time] : std::vector<std::pair<std::int64_t, seconds>>{
             {2, 23h + 59min + 59s}, {3, 0s}, {4, 1s}, {86402, 23h + 59min + 59s}, {86403, 0s}})
        placed.push_back(placer.place(Reading{number, 100, time}));
    EXPECT_EQ(placed[0].instant, utc(2026y / December / 31, 22h + 59min + 59s));
    EXPECT_EQ(placed[1].instant, utc(2026y / December / 31, 23h));
    EXPECT_EQ(placed[2].instant, utc(2026y / December / 31, 23h + 1s));
    EXPECT_EQ(placed[3].instant, utc(2027y / January / 1, 22h + 59min + 59s));
    EXPECT_EQ(placed[4].instant, utc(2027y / January / 1, 23h));
}

TEST(TimePlacement, KeepsTheSameInstantForTwoLinesOfTheSameSecond)
{
    TimePlacer placer{local_days{2026y / December / 5}, parisOffset};
    const auto placed = placeAll(placer, {10h, 10h});
    EXPECT_EQ(placed[0].instant, placed[1].instant);
}

TEST(TimePlacement, KeepsARunOnItsDayWhenTheClockIsSetBackASecondOrTwo)
{
    TimePlacer placer{local_days{2026y / December / 5}, parisOffset};
    const sys_seconds ten = utc(2026y / December / 5, 9h);
    const auto placed = placeAll(placer, {10h, 10h + 1s, 10h - 1s, 10h, 10h + 1s, 10h + 2s});
    const std::vector<sys_seconds> expected{ten, ten + 1s, ten + 1s, ten + 1s, ten + 1s, ten + 2s};
    for (std::size_t i = 0; i < placed.size(); ++i) EXPECT_EQ(placed[i].instant, expected[i]) << i;

    // Numbered far enough apart, the same small step back is a day gone by (the file switch
    // was off meanwhile).
    TimePlacer switchedOff{local_days{2026y / December / 5}, parisOffset};
    switchedOff.place(Reading{2, 1, 10h});
    EXPECT_EQ(switchedOff.place(Reading{1442, 1, 10h - 2s}).instant, ten + days{1} - 2s);

    // A first reading a second behind its start row stays on the start row's day.
    const std::vector<RunEvent> companion{
        row(RunEvent::Kind::Start, local_days{2026y / December / 5} + 10h, 60min, 2)};
    TimePlacer started{local_days{2026y / December / 5}, parisOffset, companion};
    EXPECT_EQ(started.place(Reading{2, 1, 10h - 1s}).instant, ten);
}

// 25 October 2026: at 03:00 summer time the clocks go back to 02:00; a line every ten minutes.
const std::vector<seconds> kEndOfSummer{1h + 50min, 2h, 2h + 10min, 2h + 50min, 2h, 2h + 10min,
                                        2h + 50min, 3h, 3h + 10min};

void expectTenMinutesApartAcrossTheRepeatedHour(const std::vector<PlacedTime>& placed)
{
    ASSERT_EQ(placed.size(), kEndOfSummer.size());
    EXPECT_EQ(placed[0].instant, utc(2026y / October / 24, 23h + 50min));
    const std::vector<minutes> steps{10min, 10min, 40min, 10min, 10min, 40min, 10min, 10min};
    for (std::size_t i = 1; i < placed.size(); ++i)
        EXPECT_EQ(placed[i].instant - placed[i - 1].instant, steps[i - 1]) << "line " << i;
    for (std::size_t i = 0; i < placed.size(); ++i)
        EXPECT_EQ(placed[i].utcOffset, i < 4 ? 120min : 60min) << "line " << i;
}

TEST(TimePlacement, PutsTheRepeatedHourAtTheEndOfSummerTimeAfterTheFirstOne)
{
    TimePlacer placer{local_days{2026y / October / 25}, parisOffset};
    expectTenMinutesApartAcrossTheRepeatedHour(placeAll(placer, kEndOfSummer));
}

TEST(TimePlacement, TakesTheOffsetsFromTheCompanionWhereItHasThem)
{
    // No zone at all: the start row and the new-offset row alone say where the lines go.
    const local_days day{2026y / October / 25};
    const std::vector<RunEvent> companion{
        row(RunEvent::Kind::Start, day + 1h + 49min, 120min, 2),
        row(RunEvent::Kind::Period, day + 1h + 59min, 120min, 4),
        row(RunEvent::Kind::Zone, day + 2h, 60min, 6),
    };
    TimePlacer placer{day, UtcOffsetAt{}, companion};
    expectTenMinutesApartAcrossTheRepeatedHour(placeAll(placer, kEndOfSummer));
}

TEST(TimePlacement, KeepsTheSpacingAcrossTheHourSkippedAtTheStartOfSummerTime)
{
    // 29 March 2026: at 02:00 standard time the clocks go forward to 03:00.
    TimePlacer placer{local_days{2026y / March / 29}, parisOffset};
    const auto placed = placeAll(placer, {1h + 59min + 59s, 3h, 3h + 1s});
    EXPECT_EQ(placed[0].instant, utc(2026y / March / 29, 59min + 59s));
    EXPECT_EQ(placed[1].instant, utc(2026y / March / 29, 1h));
    EXPECT_EQ(placed[2].instant, utc(2026y / March / 29, 1h + 1s));
    EXPECT_EQ(placed[0].utcOffset, 60min);
    EXPECT_EQ(placed[1].utcOffset, 120min);
}

TEST(TimePlacement, PutsARunBegunAfterMidnightOnTheDayItsStartRowSays)
{
    // The program started on 5 December and still writes to that day's file on the 6th.
    const std::vector<RunEvent> companion{
        row(RunEvent::Kind::Start, local_days{2026y / December / 6} + 10h, 60min, 2)};
    TimePlacer placer{local_days{2026y / December / 5}, parisOffset, companion};
    const auto placed = placeAll(placer, {10h + 1s, 10h + 2s});
    EXPECT_EQ(placed[0].instant, utc(2026y / December / 6, 9h + 1s));
    EXPECT_EQ(placed[1].instant, utc(2026y / December / 6, 9h + 2s));
}

TEST(TimePlacement, PutsALaterRunAfterTheRunBeforeIt)
{
    const sys_seconds earlierRunEnded = utc(2026y / December / 5, 21h);
    TimePlacer placer{local_days{2026y / December / 5}, parisOffset, {}, earlierRunEnded};
    EXPECT_EQ(placer.place(Reading{2, 1, 8h}).instant, utc(2026y / December / 6, 7h));

    TimePlacer sameDay{local_days{2026y / December / 5}, parisOffset, {}, earlierRunEnded};
    EXPECT_EQ(sameDay.place(Reading{2, 1, 23h}).instant, utc(2026y / December / 5, 22h));
}

TEST(ZoneFromChanges, GivesEachChangesOffsetFromItsInstantOn)
{
    // The European changes of 2026 and 2027, listed out of order.
    const sys_seconds march2026 = sys_days{2026y / March / 29} + 1h;
    const sys_seconds october2026 = sys_days{2026y / October / 25} + 1h;
    const UtcOffsetAt zone = zoneFromChanges(
        60min, {{sys_days{2027y / March / 28} + 1h, 120min}, {october2026, 60min}, {march2026, 120min}});
    for (const sys_seconds at : {march2026 - 1s, march2026, october2026 - 1s, october2026,
                                 sys_seconds{sys_days{2027y / March / 28}} + 1h,
                                 sys_seconds{sys_days{2026y / January / 1}}})
        EXPECT_EQ(zone(at), parisOffset(at)) << at.time_since_epoch().count();
    TimePlacer placer{local_days{2026y / October / 25}, zone};
    expectTenMinutesApartAcrossTheRepeatedHour(placeAll(placer, kEndOfSummer));
}

TEST(SummerTime, IsInForceWhenTheOffsetExceedsTheZonesStandardOne)
{
    EXPECT_TRUE(summerTimeInForce(parisOffset, utc(2006y / June / 21, 12h)));
    EXPECT_FALSE(summerTimeInForce(parisOffset, utc(2006y / December / 21, 12h)));
    EXPECT_FALSE(summerTimeInForce(parisOffset, utc(2026y / October / 25, 1h)));
    EXPECT_TRUE(summerTimeInForce(parisOffset, utc(2026y / October / 25, 0h + 59min + 59s)));
    const UtcOffsetAt noRule = [](sys_seconds) { return minutes{330}; };
    EXPECT_FALSE(summerTimeInForce(noRule, utc(2006y / June / 21, 12h)));
    EXPECT_FALSE(summerTimeInForce(UtcOffsetAt{}, utc(2006y / June / 21, 12h)));
}

}  // namespace
