// One acquisition tick through the main window: a conversion clocked out of the simulated
// converter, the count, a line flushed to the measurement file, the reading shown.
#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QPushButton>

#include "support/window_bench.h"

namespace {

// Argument 1: file switch on (each line flushed to stable storage); 0: the reading only.
void BM_AcquisitionTick(benchmark::State& state)
{
    WindowBench bench;
    if (state.range(0) != 0)
        bench.window->OKfile->click();
    bench.window->BtnMax187->click();
    for (auto _ : state) {
        bench.tick();
    }
    state.SetItemsProcessed(state.iterations());
    bench.window->BtnStop->click();
}
BENCHMARK(BM_AcquisitionTick)->ArgName("file")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
