// SPDX-License-Identifier: GPL-3.0-or-later
// DrawWheel on an offscreen image at the window's default width and at twice that.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include "wheel/DrawWheel.h"
#include "wheel/QtSurface.h"
#include "wheel/wheel_charts.h"

namespace {

void DrawWheelAt(benchmark::State& bench) {
  static int argc = 1;
  static char name[] = "bench_wheel";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  const int width = static_cast<int>(bench.range(0));
  const WheelChart chart = CrowdedWheel();
  QImage image(width, width, QImage::Format_RGB32);
  image.fill(Qt::white);
  QtSurface surface(image);
  for (auto _ : bench) {
    benchmark::DoNotOptimize(DrawWheel(surface, chart.settings, chart.view, width));
  }
}

}  // namespace

BENCHMARK(DrawWheelAt)
    ->Arg(576)
    ->Arg(1152)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
