// One converter read through the wire-level simulator: the cost of the 44 port operations and
// the model alone, and the read as the instrument does it, with the converter's waits.
#include <benchmark/benchmark.h>

#include <chrono>

#include "acquisition/max187.h"
#include "acquisition/simulated_max187.h"

namespace {

void BM_ReadConversionWithoutWaits(benchmark::State& state)
{
    acquisition::SimulatedMax187 sim;
    sim.setCounts(0xA5C);
    for (auto _ : state)
        benchmark::DoNotOptimize(acquisition::readConversion(sim, [](std::chrono::nanoseconds) {}));
}
BENCHMARK(BM_ReadConversionWithoutWaits);

void BM_ReadConversionWithWaits(benchmark::State& state)
{
    acquisition::SimulatedMax187 sim;
    sim.setCounts(0xA5C);
    for (auto _ : state) {
        const auto code = acquisition::readConversion(sim);
        if (code != 0xA5C) state.SkipWithError("the simulator gave a wrong code");
        benchmark::DoNotOptimize(code);
    }
}
BENCHMARK(BM_ReadConversionWithWaits)->Unit(benchmark::kMicrosecond);

}  // namespace
