// A day's runs as separate traces on the time axis, and the figures of a time range.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/measurement_file.h"
#include "record/run_trace.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using acquisition::dataLine;
using record::dayRuns;
using record::figuresOf;
using record::pointsWithin;
using record::RangeFigures;
using record::RunTrace;
using record::TracePoint;

namespace {

/// `count` lines numbered from 2, `period` apart from `start`, millivolts from `mv` up by one.
std::string runLines(seconds start, int count, seconds period, int mv)
{
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        const seconds t = (start + i * period) % days{1};
        bytes += dataLine(2 + i, mv + i, hh_mm_ss<seconds>{t});
    }
    return bytes;
}

TEST(DayTraces, EachRunIsItsOwnTraceInTheOrderOfItsKeptNumber)
{
    // The day's folder holds three runs; the listing order is the file system's, not the runs'.
    const local_days day{2026y / December / 5};
    const std::vector<std::filesystem::path> folder{"data12-05-2026.val", "data12-05-2026.val.2",
                                                    "data12-05-2026.val.1"};
    const std::map<std::string, std::string> bytes{
        {"data12-05-2026.val.1", runLines(9h, 3, 1s, 100)},
        {"data12-05-2026.val.2", runLines(23h + 59min, 3, 60s, 200)},  // across midnight
        {"data12-05-2026.val", runLines(8h, 2, 10s, 300)},              // the next morning
    };
    std::vector<RunTrace> traces;
    std::optional<sys_seconds> previousEnd;
    for (const auto& run : dayRuns("data12-05-2026.val", folder)) {
        traces.emplace_back(day, parisOffset, std::vector<acquisition::RunEvent>{}, previousEnd);
        traces.back().feed(bytes.at(run.path.filename().string()));
        previousEnd = traces.back().points().back().instant;
    }
    ASSERT_EQ(traces.size(), 3u);
    const auto summary = [](const RunTrace& trace) {
        std::vector<std::pair<std::int64_t, int>> out;
        for (const TracePoint& p : trace.points()) out.emplace_back(p.number, p.millivolts);
        return out;
    };
    using Pairs = std::vector<std::pair<std::int64_t, int>>;
    EXPECT_EQ(summary(traces[0]), (Pairs{{2, 100}, {3, 101}, {4, 102}}));
    EXPECT_EQ(summary(traces[1]), (Pairs{{2, 200}, {3, 201}, {4, 202}}));
    EXPECT_EQ(summary(traces[2]), (Pairs{{2, 300}, {3, 301}}));

    EXPECT_EQ(traces[0].points().front().instant, sys_days{2026y / December / 5} + 8h);
    EXPECT_EQ(traces[1].points().back().instant, sys_days{2026y / December / 5} + 23h + 1min);
    EXPECT_EQ(traces[2].points().front().instant, sys_days{2026y / December / 6} + 7h);
}

TEST(DayTraces, AFollowedRunGrowsByTheLinesAppendedToItsFile)
{
    const std::string bytes = runLines(12h, 5, 1s, 1000);
    RunTrace whole{local_days{2026y / December / 5}, parisOffset};
    whole.feed(bytes);
    RunTrace followed{local_days{2026y / December / 5}, parisOffset};
    std::size_t added = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 5) added += followed.feed(bytes.substr(at, 5));
    EXPECT_EQ(added, 5u);
    ASSERT_EQ(followed.points().size(), whole.points().size());
    for (std::size_t i = 0; i < whole.points().size(); ++i) {
        EXPECT_EQ(followed.points()[i].instant, whole.points()[i].instant);
        EXPECT_EQ(followed.points()[i].millivolts, whole.points()[i].millivolts);
    }
    EXPECT_EQ(followed.bytesFed(), bytes.size());
}

const sys_seconds kT0 = sys_days{2026y / December / 5} + 12h;

std::vector<TracePoint> pointsEveryMinute(const std::vector<int>& millivolts, sys_seconds from)
{
    std::vector<TracePoint> points;
    for (std::size_t i = 0; i < millivolts.size(); ++i)
        points.push_back(TracePoint{from + minutes(i), 60min, std::int64_t(i) + 2, millivolts[i]});
    return points;
}

TEST(RangeFigures, CountOnlyTheReadingsInsideTheRangeEdgesIncluded)
{
    const auto points = pointsEveryMinute({4000, 10, 25, 40, 3, 4095}, kT0);
    const RangeFigures inner = figuresOf(points, kT0 + 1min, kT0 + 3min);
    EXPECT_EQ(inner.count, 3u);
    EXPECT_EQ(inner.minimum, 10);
    EXPECT_EQ(inner.maximum, 40);
    EXPECT_DOUBLE_EQ(inner.mean(), 25.0);

    const RangeFigures between = figuresOf(points, kT0 + 30s, kT0 + 2min + 30s);
    EXPECT_EQ(between.count, 2u);
    EXPECT_DOUBLE_EQ(between.mean(), 17.5);

    EXPECT_EQ(figuresOf(points, kT0 + 10min, kT0 + 20min).count, 0u);
    EXPECT_EQ(figuresOf(points, kT0 + 3min, kT0 + 1min).count, 0u);
    EXPECT_EQ(pointsWithin(points, kT0 - 1h, kT0 + 1h).size(), points.size());
}

TEST(RangeFigures, OfTwoVisibleRunsCombine)
{
    RangeFigures both = figuresOf(pointsEveryMinute({50, 60}, kT0), kT0, kT0 + 1h);
    both += figuresOf(pointsEveryMinute({7, 3000, 200}, kT0 + 2h), kT0, kT0 + 3h);
    both += RangeFigures{};
    EXPECT_EQ(both.count, 5u);
    EXPECT_EQ(both.minimum, 7);
    EXPECT_EQ(both.maximum, 3000);
    EXPECT_DOUBLE_EQ(both.mean(), 663.4);

    RangeFigures fromNothing;
    fromNothing += figuresOf(pointsEveryMinute({70, 80}, kT0), kT0, kT0 + 1h);
    EXPECT_EQ(fromNothing.minimum, 70);
    EXPECT_EQ(fromNothing.maximum, 80);
}

}  // namespace
