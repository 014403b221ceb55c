#include <benchmark/benchmark.h>

#include <array>

#include "ephemlib.h"

namespace {

// What the clock does once a minute: all twelve bodies, geocentric, true node.
void BM_PlanetCalcGeocentric(benchmark::State& state) {
  std::array<double, 411> table{};
  InitialisePlanets(table.data(), 410);
  std::array<double, 15> work{}, lon{}, decl{}, speed{};
  std::array<uint8_t, 13> termCounts{};
  double t = 1.0;
  for (auto _ : state) {
    PlanetCalc(1, 12, 0, 0.0, work.data(), 14, t, termCounts.data(), 12, 1, lon.data(), 14,
               decl.data(), 14, speed.data(), 14, table.data(), 410, 0);
    benchmark::DoNotOptimize(lon.data());
    t += 1e-6;  // a new moment each call, about a minute apart
  }
}
BENCHMARK(BM_PlanetCalcGeocentric);

void BM_MoonCalc(benchmark::State& state) {
  double t = 1.0, lonOnly = 0, moon = 0, node = 0, lat = 0;
  for (auto _ : state) {
    MoonCalc(0, &lonOnly, 0, 0.0, t, &moon, &node, &lat);
    benchmark::DoNotOptimize(moon);
    t += 1e-6;
  }
}
BENCHMARK(BM_MoonCalc);

void BM_ExactSun(benchmark::State& state) {
  double t = 1.0, sun = 0;
  for (auto _ : state) {
    ExactSun(&sun, t);
    benchmark::DoNotOptimize(sun);
    t += 1e-6;
  }
}
BENCHMARK(BM_ExactSun);

}  // namespace

BENCHMARK_MAIN();
