// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <array>

#include "ephemlib.h"

namespace {

// What the clock does once a minute: all twelve bodies, geocentric, true node.
void BM_PlanetCalcGeocentric(benchmark::State& state) {
  std::array<double, EPHEM_THEORY_TABLE_SIZE> table{};
  InitialisePlanets(table.data(), EPHEM_THEORY_TABLE_HIGH);
  std::array<double, EPHEM_CHART_POINT_COUNT + 1> work{}, lon{}, decl{}, speed{};
  std::array<uint8_t, 13> termCounts{};
  double t = 1.0;
  for (auto _ : state) {
    PlanetCalc(1, EPHEM_BODY_COUNT, 0, 0.0, work.data(), EPHEM_CHART_POINT_COUNT, t,
               termCounts.data(), 12, 1, lon.data(), EPHEM_CHART_POINT_COUNT, decl.data(),
               EPHEM_CHART_POINT_COUNT, speed.data(), EPHEM_CHART_POINT_COUNT, table.data(),
               EPHEM_THEORY_TABLE_HIGH, 0);
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
