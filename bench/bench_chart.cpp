// The minute tick's computation and the core of a day scan, without any window.
#include <benchmark/benchmark.h>

#include "chart/Aspects.h"
#include "chart/ComputeChart.h"
#include "chart/LibraryImports.h"

namespace {

ClockState preparedState() {
  ClockState state;
  libraryImports().InitialisePlanets(state.TheoryTable.data(), kTheoryTableHigh);
  state.LatDeg = 51;
  state.LatMin = 30;
  state.UseAspects.fill(true);
  state.CustomAngle = 100;
  return state;
}

void BM_ComputeChartNotLive(benchmark::State& bench) {
  ClockState state = preparedState();
  ChartComputer computer(state);
  int minute = 0;
  for (auto _ : bench) {
    computer.ComputeChart(false, QTime(0, 0).addSecs(60 * (minute++ % 1440)), QDate(2026, 12, 8));
    benchmark::DoNotOptimize(state.Pos);
  }
}
BENCHMARK(BM_ComputeChartNotLive);

// 1440 non-live computations and the aspect test of every transit pair in each.
void BM_DayScanCore(benchmark::State& bench) {
  ClockState state = preparedState();
  ChartComputer computer(state);
  AspectOrbs orbs;
  orbs.fill(1.0f);
  const AspectTester tester(orbs, state.CustomAngle, state.UseAspects);
  for (auto _ : bench) {
    int found = 0;
    for (int minute = 0; minute < 1440; ++minute) {
      computer.ComputeChart(false, QTime(0, 0).addSecs(60 * minute), QDate(2026, 12, 8));
      for (int r = 1; r <= 14; ++r) {
        for (int i = r + 1; i <= 14; ++i) {
          found += tester.test(state.Pos[r], state.Pos[i]).found();
        }
      }
    }
    benchmark::DoNotOptimize(found);
  }
  bench.SetLabel("one day, 1440 minutes");
}
BENCHMARK(BM_DayScanCore)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
