// One acquisition tick through the main window: a conversion clocked out of the simulated
// converter, the count, a line flushed to the measurement file, the reading shown.
#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QPushButton>

#include "support/window_bench.h"

namespace {

void BM_AcquisitionTickWithFile(benchmark::State& state)
{
    WindowBench bench;
    bench.window->OKfile->click();
    bench.window->BtnMax187->click();
    for (auto _ : state) {
        bench.tick();
    }
    state.SetItemsProcessed(state.iterations());
    bench.window->BtnStop->click();
}
BENCHMARK(BM_AcquisitionTickWithFile)->Unit(benchmark::kMicrosecond);

void BM_AcquisitionTickNoFile(benchmark::State& state)
{
    WindowBench bench;
    bench.window->BtnMax187->click();
    for (auto _ : state) {
        bench.tick();
    }
    state.SetItemsProcessed(state.iterations());
    bench.window->BtnStop->click();
}
BENCHMARK(BM_AcquisitionTickNoFile)->Unit(benchmark::kMicrosecond);

}  // namespace
