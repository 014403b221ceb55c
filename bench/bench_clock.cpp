// SPDX-License-Identifier: GPL-3.0-or-later
// The running clock: a cold start of the real program to its first painted wheel (with its
// resident memory then), and one live tick in the windows: compute, positions table, both aspect
// lists and the wheel at 576 pixels; and what arming the alerts costs with every kind on, paid
// once per event told, settings change or clock jump, never at an idle minute.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>

#include "Application.h"
#include "ClockWindows.h"
#include "WheelWidget.h"
#include "core/AlertSchedule.h"
#include "core/MinuteTimer.h"

namespace {

HeliodialApplication& application() {
  static int argc = 1;
  static char name[] = "bench_clock";
  static char* argv[] = {name, nullptr};
  // Never destroyed: at exit the platform plugin is gone before a static's destructor would run.
  static auto* app = new HeliodialApplication(argc, argv);
  return *app;
}

// A settings file with everything drawn and listed: sign colours, all cusps, aspect lines,
// degrees and minutes, every aspect kind.
// moon: the Moon's timetable under the classical rule with her line shown, exact times on both
// lists and a natal chart to time; precise: the Swiss Ephemeris.
void writeBusySettings(const QString& folder, bool moon = false, bool precise = false) {
  QFile file(folder + QStringLiteral("/helidial.ini"));
  file.open(QIODevice::WriteOnly);
  file.write("[Setting]\nGlyphs=2\nCusps=2\n");
  if (moon) file.write("ExactTimes=1\n");
  if (precise) file.write("Ephemeris=1\n");
  file.write(
      "[Place]\nLatD=51\nLatM=30\nNS=1\nEW=1\n"
      "[Wheel]\nAspectLines=1\nAnnotate=1\nAnnotateMin=1\nALSconjunction=1\nALStrine=1\n"
      "ALSsquare=3\nALSsextile=2\n[UseAspects]\nOpposition=1\n[Custom]\nDegree=3\n");
  if (moon) {
    file.write(
        "DegreeN=3\n[VOC]\nRule=1\nMoonLine=1\n[Natal]\nPlanet1=280.5\nPlanet2=133.3\n"
        "Planet3=271.9\nPlanet4=241.6\nPlanet5=328\n");
  }
}

void BM_ColdStartToFirstWheel(benchmark::State& state) {
  QTemporaryDir home;
  writeBusySettings(home.path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
  env.insert(QStringLiteral("HELIODIAL_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
  if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  }
  double rssKb = 0;
  for (auto _ : state) {
    QProcess clock;
    clock.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    clock.start(QStringLiteral(HELIODIAL_EXE), {});
    clock.waitForFinished(30000);
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    const QByteArray out = clock.readAllStandardOutput();
    const qsizetype at = out.indexOf("VmRSS:");
    if (at >= 0) rssKb = out.mid(at + 6).trimmed().split(' ').front().toDouble();
  }
  state.counters["rss_MB"] = rssKb / 1024.0;
}
BENCHMARK(BM_ColdStartToFirstWheel)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_LiveTick(benchmark::State& state) {
  application();
  QTemporaryDir home;
  writeBusySettings(home.path(), state.range(0) != 0, state.range(1) != 0);
  qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
  QDateTime now(QDate(2026, 12, 8), QTime(9, 0));
  ClockEnvironment environment;
  environment.now = [&now] { return now; };
  environment.trayAvailable = [] { return true; };
  environment.standardBias = [] { return 0; };
  environment.watchSystem = false;
  ClockWindows windows(std::move(environment));
  windows.core->Timer1()->stop();
  windows.clock->show();
  QCoreApplication::processEvents();
  // A wheel of 576 pixels: the window's client height less its menu bar.
  const int menu = windows.clock->height() - windows.clock->findChild<TWheelImage*>()->height();
  windows.clock->resize(576, 576 + menu);
  QCoreApplication::processEvents();
  // A step of a minute lets each tick reuse the Moon's timetable and the exact times of the one
  // before; a step of seven hours is the tick that can reuse nothing.
  const qint64 step = state.range(2) * 60;
  for (auto _ : state) {
    now = now.addSecs(step);
    emit windows.core->Timer1()->timeout();
  }
  state.SetLabel(QStringLiteral("wheel %1 px")
                     .arg(windows.clock->findChild<TWheelImage*>()->height())
                     .toStdString());
}
BENCHMARK(BM_LiveTick)
    ->ArgNames({"moon", "precise", "step_min"})
    ->ArgsProduct({{0, 1}, {0, 1}, {1, 420}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

void BM_ArmAlertsEveryKind(benchmark::State& state) {
  Settings s;
  s.LatDeg = 51;
  s.LatMin = 30;
  s.AlertVoidBegins = s.AlertVoidEnds = s.AlertIngress = s.AlertNatalExact = s.AlertNewFull =
      s.AlertStation = true;
  // A natal chart, every point and the default aspect kinds: the most natal queries there are.
  for (int p = 1; p <= kPointCount; ++p) s.NatalPos[static_cast<std::size_t>(p)] = 23.5 * p;
  const TheoryTable theory = InitialTheoryTable();
  QDateTime now(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
  std::size_t found = 0;
  for (auto _ : state) {
    found = UpcomingAlerts(s, theory, now, now).size();
    now = now.addSecs(3 * 3600);
  }
  state.SetLabel(std::to_string(found) + " events");
}
BENCHMARK(BM_ArmAlertsEveryKind)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
