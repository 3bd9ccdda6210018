// A day's runs as separate traces on the time axis, how each ended, and a range's figures.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "acquisition/measurement_file.h"
#include "record/run_trace.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using namespace record;

namespace {

std::string runLines(seconds start, int count, seconds period, int mv)
{
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += acquisition::dataLine(2 + i, mv + i, hh_mm_ss<seconds>{(start + i * period) % days{1}});
    return bytes;
}

// The day's runs in kept order (their order from a folder is DayRuns' in measurement_reader_test),
// fed in pieces shorter than a line, each placed after the run before it.
TEST(DayTraces, EachRunIsItsOwnTraceFedInPiecesAndPlacedAfterTheRunBeforeIt)
{
    const std::vector<std::string> runs{runLines(9h, 3, 1s, 100), runLines(23h + 59min, 3, 60s, 200),  // across midnight
                                        runLines(8h, 2, 10s, 300)};                                        // the next morning
    std::vector<std::string> seen;
    std::optional<sys_seconds> previousEnd;
    for (const std::string& file : runs) {
        RunTrace trace(local_days{2026y / December / 5}, parisOffset, {}, previousEnd);
        for (std::size_t at = 0; at < file.size(); at += 5) trace.feed(std::string_view(file).substr(at, 5));
        for (const TracePoint& p : trace.points())
            seen.push_back(std::to_string(p.number) + "," + std::to_string(p.millivolts) + "@" +
                           std::to_string((p.instant - sys_days{2026y / December / 5}).count()));
        previousEnd = trace.points().back().instant;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"2,100@28800", "3,101@28801", "4,102@28802", "2,200@82740", "3,201@82800",
                                              "4,202@82860", "2,300@111600", "3,301@111610"}));
}

struct EndRow {
    const char* name;
    std::vector<acquisition::RunEvent::Kind> rows;
    bool keptAside;
    seconds sinceWritten;
    record::RunEnd expected;
    bool today = true;  ///< the run's day is the present one
};

class RunEnds : public testing::TestWithParam<EndRow> {};

TEST_P(RunEnds, AreSaidFromTheEndRowOrFromHowLongAgoTheFileGrew)
{
    std::vector<acquisition::RunEvent> events;
    for (const auto kind : GetParam().rows) events.push_back({kind, {}, 0min, 0, "", 0, 0, 10, "", ""});
    const sys_seconds written = sys_days{2026y / December / 5} + 12h;
    EXPECT_EQ(record::runEnd(events, GetParam().keptAside, GetParam().today, written, written + GetParam().sinceWritten), GetParam().expected);
}

using K = acquisition::RunEvent::Kind;
INSTANTIATE_TEST_SUITE_P(
    Rows, RunEnds,
    testing::Values(EndRow{"StoppedByItsArretRow", {K::Start, K::Stop}, false, 0s, record::RunEnd::Stopped},
                    EndRow{"QuitByItsQuitterRow", {K::Start, K::Quit}, true, days{200}, record::RunEnd::Quit},
                    EndRow{"RunningWithinThreePeriods", {K::Start, K::Site}, false, 32s, record::RunEnd::Running},
                    EndRow{"InterruptedPastThreePeriods", {K::Start}, false, 33s, record::RunEnd::Interrupted},
                    EndRow{"InterruptedOnAnotherDayThoughJustWritten", {K::Start}, false, 0s, record::RunEnd::Interrupted, false},
                    EndRow{"InterruptedWhenKeptAside", {K::Start}, true, 0s, record::RunEnd::Interrupted},
                    EndRow{"RunningWithoutCompanionWithinThreeMinutes", {}, false, 180s, record::RunEnd::Running},
                    EndRow{"InterruptedWithoutCompanionLater", {}, false, 183s, record::RunEnd::Interrupted}),
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
    const record::RangeFigures inner = record::figuresOf(points, t0 + 1min, t0 + 3min);
    EXPECT_EQ(std::tuple(inner.count, inner.minimum, inner.maximum, inner.mean()), std::tuple(3u, 10, 40, 25.0));
    EXPECT_EQ(record::figuresOf(points, t0 + 30s, t0 + 2min + 30s).mean(), 17.5);
    EXPECT_EQ(record::figuresOf(points, t0 + 10min, t0 + 20min).count, 0u);
    EXPECT_EQ(record::figuresOf(points, t0 + 3min, t0 + 1min).count, 0u);
    EXPECT_EQ(record::pointsWithin(points, t0 - 1h, t0 + 1h).size(), points.size());

    record::RangeFigures both;
    both += record::figuresOf(everyMinute({50, 60}, t0), t0, t0 + 1h);
    both += record::figuresOf(everyMinute({7, 3000, 200}, t0 + 2h), t0, t0 + 3h);
    both += record::RangeFigures{};
    EXPECT_EQ(std::tuple(both.count, both.minimum, both.maximum, both.mean()), std::tuple(5u, 7, 3000, 663.4));
}

}  // namespace
