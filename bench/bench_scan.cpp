// SPDX-License-Identifier: GPL-3.0-or-later
// The day scan as the user meets it: the report window filling while the event loop keeps
// running, and heliodial-chart --scan as a script starts it. Wall time, since the user waits on
// the whole of it; the longest single turn of the event loop is the longest the window freezes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "ScanRep.h"

namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "bench_scan";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// The scan itself with its report lines, without a window: what the companion spends beyond
// starting up, and what the window adds its drawing to.
void BM_DayScanLines(benchmark::State& bench) {
  Settings settings;
  settings.TextMode = bench.range(0) != 0;
  const TheoryTable theory = InitialTheoryTable();
  for (auto _ : bench) {
    DayScan scan(settings, theory, QDate(2026, 12, 8), ScanOrbPreset(settings.TransitOrb));
    scan.runAll();
    benchmark::DoNotOptimize(scan.lines().size());
  }
  bench.SetLabel(settings.TextMode ? "words" : "glyphs");
}
BENCHMARK(BM_DayScanLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A whole scan of one day with default settings (glyphs, or words), the report shown and filling.
void BM_ScanWithReportWindow(benchmark::State& bench) {
  application();
  Settings settings;  // the settings of a missing file
  settings.TextMode = bench.range(0) != 0;
  const TheoryTable theory = InitialTheoryTable();
  const ScanOrb orb = ScanOrbPreset(settings.TransitOrb);
  qint64 longestPause = 0;
  qsizetype lines = 0;
  for (auto _ : bench) {
    auto* report = new TfrmScanReport(*new ScanSession(settings, theory, QDate(2026, 12, 8), orb));
    report->show();
    report->start();
    while (report->running()) {
      // Every pending event is handled within one call: its length is how long input waits.
      QElapsedTimer turn;
      turn.start();
      QCoreApplication::processEvents();
      longestPause = std::max(longestPause, turn.nsecsElapsed());
    }
    lines = report->scan().lines().size();
    report->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  bench.counters["longest_pause_ms"] = static_cast<double>(longestPause) / 1e6;
  bench.counters["lines"] = static_cast<double>(lines);
  bench.SetLabel(settings.TextMode ? "words" : "glyphs");
}
BENCHMARK(BM_ScanWithReportWindow)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// heliodial-chart --scan for one day with the settings of a missing file, start to exit.
void BM_CompanionScan(benchmark::State& bench) {
  QTemporaryDir home;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
  const QStringList args{QStringLiteral("--scan"), QStringLiteral("2026-12-08")};
  for (auto _ : bench) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(HELIODIAL_CHART_EXE), args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
      bench.SkipWithError("heliodial-chart --scan failed");
      break;
    }
    benchmark::DoNotOptimize(process.readAllStandardOutput());
  }
}
BENCHMARK(BM_CompanionScan)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
