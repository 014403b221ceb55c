// SPDX-License-Identifier: GPL-3.0-or-later
// The minute tick's computation and the core of a day scan, without any window.
#include <benchmark/benchmark.h>

#include "chart/Aspects.h"
#include "chart/ComputeChart.h"
#include "chart/DayScan.h"

namespace {

Settings benchSettings() {
  Settings settings;
  settings.LatDeg = 51;
  settings.LatMin = 30;
  settings.UseAspects.fill(true);
  settings.CustomAngle = 100;
  return settings;
}

QTime minuteOfDay(int minute) { return QTime(0, 0).addSecs(60 * (minute % 1440)); }

void BM_ComputeChartNotLive(benchmark::State& bench) {
  const Settings settings = benchSettings();
  const TheoryTable theory = InitialTheoryTable();
  int minute = 0;
  for (auto _ : bench) {
    const Chart chart = ComputeChart(settings, theory, QDate(2026, 12, 8), minuteOfDay(minute++));
    benchmark::DoNotOptimize(chart.TruePos);
  }
}
BENCHMARK(BM_ComputeChartNotLive);

// The live chart and what the windows show of it: positions table and both aspect lists.
void BM_ComputeChartLive(benchmark::State& bench) {
  const Settings settings = benchSettings();
  const TheoryTable theory = InitialTheoryTable();
  int minute = 0;
  for (auto _ : bench) {
    const Chart chart = ComputeLiveChart(
        settings, theory, QDateTime(QDate(2026, 12, 8), minuteOfDay(minute++)), false);
    benchmark::DoNotOptimize(PositionTable(chart));
    benchmark::DoNotOptimize(AspectListFor(settings, chart, AspectList::TransitToTransit));
    benchmark::DoNotOptimize(AspectListFor(settings, chart, AspectList::TransitToNatal));
  }
}
BENCHMARK(BM_ComputeChartLive);

// 1440 charts and the aspect test of every transit pair in each.
void BM_DayScanCore(benchmark::State& bench) {
  const Settings settings = benchSettings();
  const TheoryTable theory = InitialTheoryTable();
  AspectOrbs orbs;
  orbs.fill(1.0f);
  const AspectTester tester(orbs, settings.CustomAngle, settings.UseAspects);
  for (auto _ : bench) {
    int found = 0;
    for (int minute = 0; minute < 1440; ++minute) {
      const Chart chart = ComputeChart(settings, theory, QDate(2026, 12, 8), minuteOfDay(minute));
      for (int r = 1; r <= 14; ++r) {
        for (int i = r + 1; i <= 14; ++i) {
          found += tester.test(chart.TruePos[r], chart.TruePos[i]).found();
        }
      }
    }
    benchmark::DoNotOptimize(found);
  }
  bench.SetLabel("one day, 1440 minutes");
}
BENCHMARK(BM_DayScanCore)->Unit(benchmark::kMillisecond);

// Precise positions (Swiss Ephemeris): one chart, which must stay well within a minute tick's
// budget (under 100 us), and the whole day scan as the clock and the companion run it (under
// 300 ms of CPU). The first iteration opens the ephemeris files; the rest read them cached.
void BM_PreciseChart(benchmark::State& bench) {
  Settings settings = benchSettings();
  settings.Ephemeris = 1;
  const TheoryTable theory = InitialTheoryTable();
  int minute = 0;
  for (auto _ : bench) {
    const Chart chart = ComputeChart(settings, theory, QDate(2026, 12, 8), minuteOfDay(minute++));
    benchmark::DoNotOptimize(chart.TruePos);
  }
}
BENCHMARK(BM_PreciseChart)->Unit(benchmark::kMicrosecond);

void BM_PreciseDayScan(benchmark::State& bench) {
  Settings settings = benchSettings();
  settings.Ephemeris = 1;
  const TheoryTable theory = InitialTheoryTable();
  for (auto _ : bench) {
    DayScan scan(settings, theory, QDate(2026, 12, 8), ScanOrb{1, 0});
    scan.runAll();
    benchmark::DoNotOptimize(scan);
  }
  bench.SetLabel("one day, 1440 minutes");
}
BENCHMARK(BM_PreciseDayScan)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
