// Cost of a full day in the day view's core: 86,400 measurement lines at 1 s read and placed in
// universal time, as one read of the whole file and as a followed file's appends; the day's sun
// curve at one sample a minute; the whole day as CSV.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "record/day_sun.h"
#include "record/journal_csv.h"
#include "acquisition/measurement_file.h"
#include "record/run_trace.h"
#include "support/paris_zone.h"

namespace {

using namespace std::chrono;

constexpr int kDayLines = 86400;
const local_days kSummerEnd{2026y / October / 25};  // the day summer time ends: a repeated hour

const std::string& dayFile()
{
    static const std::string bytes = [] {
        std::string out;
        out.reserve(kDayLines * 24);
        // one line a second from 00:00:00 local, on the wall clock (02:00-03:00 twice)
        sys_seconds t = sys_days{kSummerEnd.time_since_epoch()} - 2h;
        for (int i = 0; i < kDayLines; ++i, t += 1s) {
            const local_seconds local{t.time_since_epoch() + parisOffset(t)};
            out += acquisition::dataLine(i + 2, (i * 7) % 4096,
                                         hh_mm_ss<seconds>{local - floor<days>(local)});
        }
        return out;
    }();
    return bytes;
}

// The floor any reader pays: finding the day's line ends, nothing parsed (the ratio's baseline).
void BM_CountLineEndsOfFullDay(benchmark::State& state)
{
    const std::string& bytes = dayFile();
    for (auto _ : state) benchmark::DoNotOptimize(std::count(bytes.begin(), bytes.end(), '\n'));
    state.SetItemsProcessed(state.iterations() * kDayLines);
}
BENCHMARK(BM_CountLineEndsOfFullDay)->Unit(benchmark::kMillisecond);

void BM_ReadAndPlaceFullDay(benchmark::State& state)
{
    const std::string& bytes = dayFile();
    for (auto _ : state) {
        record::RunTrace trace{kSummerEnd, parisOffset};
        trace.feed(bytes);
        benchmark::DoNotOptimize(trace.points().data());
    }
    state.SetItemsProcessed(state.iterations() * kDayLines);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadAndPlaceFullDay)->Unit(benchmark::kMillisecond);

void BM_FollowOneAppendedLine(benchmark::State& state)
{
    const std::string& bytes = dayFile();
    record::RunTrace trace{kSummerEnd, parisOffset};
    std::size_t at = 0;
    for (auto _ : state) {
        const std::size_t end = bytes.find('\n', at) + 1;
        trace.feed(std::string_view(bytes).substr(at, end - at));
        at = end == bytes.size() ? 0 : end;
        if (at == 0) {
            state.PauseTiming();
            trace = record::RunTrace{kSummerEnd, parisOffset};
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_FollowOneAppendedLine);

void BM_SunCurveOfADay(benchmark::State& state)
{
    const record::ObservingSite chelles = record::observingSites().at(7);
    const sys_seconds from = sys_days{kSummerEnd.time_since_epoch()} - 2h;
    for (auto _ : state)
        benchmark::DoNotOptimize(record::sunCurve(chelles, from, from + 25h, 60s, parisOffset));
}
BENCHMARK(BM_SunCurveOfADay)->Unit(benchmark::kMicrosecond);

void BM_CsvOfAFullDay(benchmark::State& state)
{
    record::RunTrace trace{kSummerEnd, parisOffset};
    trace.feed(dayFile());
    const record::ObservingSite chelles = record::observingSites().at(7);
    for (auto _ : state)
        benchmark::DoNotOptimize(record::csvExport(trace.points(), chelles));
    state.SetItemsProcessed(state.iterations() * kDayLines);
}
BENCHMARK(BM_CsvOfAFullDay)->Unit(benchmark::kMillisecond);

}  // namespace
