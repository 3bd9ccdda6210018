// The day's sunlight products for a full day at 1 s (86,400 readings): each reading's
// irradiance, clear sky, sunshine and flags with the day's figures, as the day view computes
// them when a day opens; the figures of a visible range once they are computed; and the
// statistics between the two cursors.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "record/day_sunlight.h"
#include "record/range_statistics.h"

namespace {

using namespace std::chrono;

const local_days kDay{2026y / June / 21};

struct FullDay {
    std::vector<record::TracePoint> points;
    std::vector<record::CalibrationRow> calibration;
    record::ObservingSite site = *record::siteNamed("Chelles");
};

/// A hazy clear day: 70 % of the clear sky plus a ripple, 2 mV per W/m² over a 20 mV offset
/// read at night (« nuit »).
const FullDay& fullDay()
{
    static const FullDay day = [] {
        FullDay d;
        const sys_seconds midnight{kDay.time_since_epoch() - 2h};
        for (int i = 0; i < 86400; ++i) {
            const sys_seconds t = midnight + seconds{i};
            const double g = 0.7 * record::haurwitzClearSky(record::sunAltitude(d.site, t, 2h)) + (i % 7);
            d.points.push_back({t, 2h, i + 2, int(std::lround(20 + 2 * g))});
        }
        record::CalibrationRow row;
        row.local = local_days{2026y / January / 1};
        row.utcOffset = 1h;
        row.sensitivity = 2;
        d.calibration.push_back(row);
        return d;
    }();
    return day;
}

void BM_DaySunlightOfFullDay(benchmark::State& state)
{
    const FullDay& d = fullDay();
    const record::RunReadings run{d.points, {}};
    for (auto _ : state) {
        const record::DaySunlight day(kDay, {&run, 1}, d.calibration, d.site);
        benchmark::DoNotOptimize(day.dayFigures());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(d.points.size()));
}
BENCHMARK(BM_DaySunlightOfFullDay)->Unit(benchmark::kMillisecond);

void BM_FiguresOfAnAfternoon(benchmark::State& state)
{
    const FullDay& d = fullDay();
    const record::RunReadings run{d.points, {}};
    const record::DaySunlight day(kDay, {&run, 1}, d.calibration, d.site);
    const sys_seconds from{kDay.time_since_epoch() + 12h - 2h};
    for (auto _ : state) benchmark::DoNotOptimize(day.figures(from, from + 6h));
}
BENCHMARK(BM_FiguresOfAnAfternoon)->Unit(benchmark::kMicrosecond);

/// The statistics between two cursors set on the whole day's 86,400 readings (the goal: 5 ms).
void BM_RangeStatisticsOfAFullDay(benchmark::State& state)
{
    const FullDay& d = fullDay();
    const record::RunReadings run{d.points, {}};
    const record::DaySunlight day(kDay, {&run, 1}, d.calibration, d.site);
    const std::span<const record::TracePoint> runs[] = {d.points};
    for (auto _ : state)
        benchmark::DoNotOptimize(record::rangeStatistics(runs, day, {true}, d.points.front().instant, d.points.back().instant));
    state.SetItemsProcessed(state.iterations() * std::int64_t(d.points.size()));
}
BENCHMARK(BM_RangeStatisticsOfAFullDay)->Unit(benchmark::kMillisecond);

}  // namespace
