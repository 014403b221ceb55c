// SPDX-License-Identifier: GPL-3.0-or-later
// Event searches: each iteration is one whole search, as a host would run it.
#include <benchmark/benchmark.h>

#include <array>

#include "ephemlib.h"

namespace {

// Saturn at 1990-07-15 10:30 UT, the target of a return searched from 1 January 2018.
double saturnTarget() {
  std::array<double, EPHEM_THEORY_TABLE_SIZE> theory{};
  InitialisePlanets(theory.data(), EPHEM_THEORY_TABLE_HIGH);
  std::array<double, EPHEM_CHART_POINT_COUNT + 1> work{}, lon{}, decl{}, speed{};
  std::array<uint8_t, 13> terms{};
  const double t = ((JulDay(7, 15, 1990) - 2415020) + 10.5 / 24.0 - 0.5) / 36525.0;
  PlanetCalc(1, EPHEM_BODY_COUNT, 0, 0.0, work.data(), EPHEM_CHART_POINT_COUNT, t, terms.data(), 12,
             1, lon.data(), EPHEM_CHART_POINT_COUNT, decl.data(), EPHEM_CHART_POINT_COUNT,
             speed.data(), EPHEM_CHART_POINT_COUNT, theory.data(), EPHEM_THEORY_TABLE_HIGH, 0);
  return lon[7];
}

void BM_SaturnReturn(benchmark::State& state) {
  const double target = saturnTarget();
  const int32_t start = JulDay(1, 1, 2018);
  for (auto _ : state) {
    double time = 0.0;
    int32_t day = start;
    GetReturn(7, 10, 0, target, &time, &day, 0.0, 0);
    benchmark::DoNotOptimize(time);
    benchmark::DoNotOptimize(day);
  }
}
BENCHMARK(BM_SaturnReturn)->Unit(benchmark::kMillisecond);

// The equinox day at latitude 0 steps back some thirty minutes across 0/360; the day after
// settles almost at once.
void BM_Dawn(benchmark::State& state) {
  const int32_t day = JulDay(3, static_cast<int32_t>(state.range(0)), 2000);
  for (auto _ : state) {
    double asc = 0.0, time = 0.0;
    Dawn(0, 0, day, 0.0, 0.0, 0.0, &asc, &time);
    benchmark::DoNotOptimize(time);
  }
}
BENCHMARK(BM_Dawn)->Arg(20)->Arg(21)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
