// Cost of opening a full day in the day view's core: 86,400 measurement lines at 1 s read and
// placed in universal time, as one read of the whole file and as a followed file's appends.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "acquisition/measurement_file.h"
#include "acquisition/run_trace.h"
#include "support/paris_zone.h"

namespace {

using namespace std::chrono;

constexpr int kDayLines = 86400;
const local_days kDay{2026y / October / 25};  // the day summer time ends: a repeated hour

const std::string& dayFile()
{
    static const std::string bytes = [] {
        std::string out;
        out.reserve(kDayLines * 24);
        // one line a second from 00:00:00 local, on the wall clock (02:00-03:00 twice)
        sys_seconds t = sys_days{kDay.time_since_epoch()} - 2h;
        for (int i = 0; i < kDayLines; ++i, t += 1s) {
            const local_seconds local{t.time_since_epoch() + parisOffset(t)};
            out += acquisition::dataLine(i + 2, (i * 7) % 4096,
                                         hh_mm_ss<seconds>{local - floor<days>(local)});
        }
        return out;
    }();
    return bytes;
}

void BM_ReadAndPlaceFullDay(benchmark::State& state)
{
    const std::string& bytes = dayFile();
    for (auto _ : state) {
        acquisition::RunTrace trace{kDay, parisOffset};
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
    acquisition::RunTrace trace{kDay, parisOffset};
    std::size_t at = 0;
    for (auto _ : state) {
        const std::size_t end = bytes.find('\n', at) + 1;
        trace.feed(std::string_view(bytes).substr(at, end - at));
        at = end == bytes.size() ? 0 : end;
        if (at == 0) {
            state.PauseTiming();
            trace = acquisition::RunTrace{kDay, parisOffset};
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_FollowOneAppendedLine);

}  // namespace
