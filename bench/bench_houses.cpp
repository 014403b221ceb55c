// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one call of each house function, over a spread of sidereal times at a mid latitude
// (Placidus also near its limit, where the search takes more rounds).
#include <benchmark/benchmark.h>

#include <array>

#include "ephemlib.h"
#include "ephemlib_houses.h"

namespace {

constexpr double kObliquity = 23.44 * 0.017453292519943295;

// 64 sidereal times across the day, so no single branch or quadrant dominates.
std::array<double, 64> siderealTimes() {
  std::array<double, 64> times{};
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = 24.0 * (i + 0.37) / times.size();
  return times;
}

void runHouses(benchmark::State& state, ephem::HouseSystem system, double latitude) {
  const auto times = siderealTimes();
  double cusps[15] = {};
  std::size_t i = 0;
  for (auto _ : state) {
    ephem::HouseCusps(ephem::LinkedExports{}, system, cusps, 14, times[i++ & 63], latitude,
                      kObliquity, 0.0);
    benchmark::DoNotOptimize(cusps);
    benchmark::ClobberMemory();
  }
}

void BM_AsMcCalc(benchmark::State& state) {
  const auto times = siderealTimes();
  double asc = 0;
  double mc = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    AsMcCalc(&asc, &mc, times[i++ & 63] * 0.2617993877991494, 0.6981317007977318, kObliquity, 0.0);
    benchmark::DoNotOptimize(asc);
    benchmark::DoNotOptimize(mc);
  }
}
BENCHMARK(BM_AsMcCalc);

BENCHMARK_CAPTURE(runHouses, Placidus_lat40, ephem::HouseSystem::Placidus, 40.0);
BENCHMARK_CAPTURE(runHouses, Placidus_lat60, ephem::HouseSystem::Placidus, 60.0);
BENCHMARK_CAPTURE(runHouses, Koch_lat40, ephem::HouseSystem::Koch, 40.0);
BENCHMARK_CAPTURE(runHouses, Campanus_lat40, ephem::HouseSystem::Campanus, 40.0);
BENCHMARK_CAPTURE(runHouses, Topocentric_lat40, ephem::HouseSystem::Topocentric, 40.0);
BENCHMARK_CAPTURE(runHouses, Morinus_lat40, ephem::HouseSystem::Morinus, 40.0);
BENCHMARK_CAPTURE(runHouses, Porphyry_lat40, ephem::HouseSystem::Porphyry, 40.0);
BENCHMARK_CAPTURE(runHouses, Regiomontanus_lat40, ephem::HouseSystem::Regiomontanus, 40.0);
BENCHMARK_CAPTURE(runHouses, Meridian_lat40, ephem::HouseSystem::Meridian, 40.0);
BENCHMARK_CAPTURE(runHouses, Equal_lat40, ephem::HouseSystem::Equal, 40.0);

}  // namespace

BENCHMARK_MAIN();
