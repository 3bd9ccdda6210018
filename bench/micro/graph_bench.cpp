// The strip chart: cost of plotting one reading, and of redrawing the whole graph window.
#include <benchmark/benchmark.h>

#include <QImage>
#include <chrono>
#include <cmath>

#include "acquisition/plot_geometry.h"
#include "support/fake_clock.h"
#include "ui/graph.h"

namespace {

using namespace std::chrono;

FakeClock& benchClock()
{
    static FakeClock clock{astro::DateTime{local_days{2026y / June / 21} + 12h}};
    return clock;
}

// A slow swing over the converter's range, so that most points bring a joining run.
double reading(int i)
{
    return 2047.5 + 2047.5 * std::sin(i * 0.05);
}

void BM_PlotPoint(benchmark::State& state)
{
    Graph graph(benchClock());
    float xline = 610;
    std::int16_t oldY = 0;
    int i = 0;
    for (auto _ : state) {
        graph.plot(acquisition::plotStep(xline, oldY, reading(i++)));
    }
    benchmark::DoNotOptimize(graph.plotImage().constBits());
}
BENCHMARK(BM_PlotPoint);

void BM_GraphFullRepaint(benchmark::State& state)
{
    Graph graph(benchClock());
    float xline = 610;
    std::int16_t oldY = 0;
    for (int i = 0; i < 2 * 959; ++i) {  // two full sweeps on the chart
        graph.plot(acquisition::plotStep(xline, oldY, reading(i)));
    }
    QImage target(graph.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        graph.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_GraphFullRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
