// Cost of the solar computations the windows run: one sun position (each tracking tick),
// one day's sunrise / noon / sunset, and one site selection by typed name.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>

#include "astro/cls_sunrise.h"
#include "astro/sun_position.h"

namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

constexpr astro::DateTime kAfternoon = local_days{2006y / June / 21} + 14h;

void BM_SunPosition(benchmark::State& state)
{
    const double pi = 4 * std::atan(1.0);
    astro::DateTime t = kAfternoon;
    for (auto _ : state) {
        benchmark::DoNotOptimize(astro::sunPosition(t, 2, 2.3523, 48.5246, pi));
        t += 1s;  // a new tick each time, as the tracking timer does
    }
}
BENCHMARK(BM_SunPosition);

void BM_CalculateSun(benchmark::State& state)
{
    clsSunrise calc{kAfternoon};
    calc.DaySavings(true);
    calc.City(7.0);
    for (auto _ : state) {
        calc.CalculateSun();
        benchmark::DoNotOptimize(calc.Sunset());
    }
}
BENCHMARK(BM_CalculateSun);

void BM_CityByName(benchmark::State& state)
{
    clsSunrise calc{kAfternoon};
    calc.setSiteLink([](double latitude, double longitude) {
        benchmark::DoNotOptimize(latitude + longitude);
    });
    for (auto _ : state) {
        calc.City("  N\u00CEMES ");  // the last site of the table: a full scan
        benchmark::DoNotOptimize(calc.Latitude());
    }
}
BENCHMARK(BM_CityByName);

}  // namespace
