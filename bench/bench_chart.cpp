// SPDX-License-Identifier: GPL-3.0-or-later
// The minute tick's computation and the core of a day scan, without any window.
#include <benchmark/benchmark.h>

#include "chart/Aspects.h"
#include "chart/ComputeChart.h"
#include "chart/DayScan.h"
#include "chart/MoonTimetable.h"

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

// The Moon's timetable, for both ephemerides (argument 1 precise): what a tick or a tooltip asks
// (the present void window, the next ingress and the phase: under 5 ms), a 30-day --moon under
// the modern rule (under 200 ms of CPU), and exact times for a full aspect list.
void BM_MoonNow(benchmark::State& bench) {
  Settings settings = benchSettings();
  settings.Ephemeris = static_cast<int>(bench.range(0));
  const TheoryTable theory = InitialTheoryTable();
  QDateTime moment(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC);
  for (auto _ : bench) {
    moment = moment.addSecs(3 * 3600 + 60);  // a different stay now and then
    benchmark::DoNotOptimize(MoonAt(settings, theory, moment, VoidRule::Modern));
  }
}
BENCHMARK(BM_MoonNow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_MoonTimetable30Days(benchmark::State& bench) {
  Settings settings = benchSettings();
  settings.Ephemeris = static_cast<int>(bench.range(0));
  const TheoryTable theory = InitialTheoryTable();
  const QDateTime start(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC);
  for (auto _ : bench) {
    benchmark::DoNotOptimize(MoonStays(settings, theory, start, 30, VoidRule::Modern));
  }
}
BENCHMARK(BM_MoonTimetable30Days)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

void BM_ExactAspectTimes(benchmark::State& bench) {
  const Settings settings = benchSettings();
  const TheoryTable theory = InitialTheoryTable();
  const QDateTime moment(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
  std::vector<AspectQuery> queries;
  for (int from = 1; from <= 12; ++from) {
    for (int to = from + 1; to <= 12; ++to) queries.push_back({from, 0, to, std::nullopt});
  }
  for (auto _ : bench) {
    benchmark::DoNotOptimize(ExactAspectTimes(settings, theory, moment, queries));
  }
  bench.SetLabel("66 pairs of bodies");
}
BENCHMARK(BM_ExactAspectTimes)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
