// DrawWheel on an offscreen image at the window's default width and at twice that.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cmath>

#include "wheel/DrawWheel.h"
#include "wheel/QtSurface.h"

namespace {

// A full wheel: every planet with minutes, all cusps, coloured sign cells, aspect lines.
ClockState BusyChart() {
  ClockState state;
  state.WheelOffset = 3.4;
  for (int i = 1; i <= 12; ++i) state.CuspPos[i] = std::fmod(120.0 + 28.0 * (i - 1), 360.0);
  const double pos[15] = {0,     6.6,   8.6,   9.6,   41.6, 96.6, 196.6, 246.6,
                          286.6, 326.6, 266.6, 146.6, 1.6,  120,  16.6};
  for (int j = 1; j <= kPointCount; ++j) {
    state.Pos[j] = pos[j];
    state.PlanetSign[j] = "12 x 34 R ";
  }
  state.Show.fill(true);
  state.Cusps = 2;
  state.Glyphs = 2;
  state.AspectLines = true;
  state.Annotate = true;
  state.AnnotateMin = true;
  state.DoLine.fill(true);
  for (int k = 0; k < kAspectKindCount; ++k) {
    state.LineColor[k] = 0x203040 * (k + 1);
    state.LineStyle[k] = static_cast<std::uint16_t>(1 + k % 4);
  }
  state.PairString = std::string(90, ' ');
  for (int n = 0; n < 90; n += 4) state.PairString[n] = "=*STI%"[n % 6];
  return state;
}

void DrawWheelAt(benchmark::State& bench) {
  static int argc = 1;
  static char name[] = "bench_wheel";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  const int width = static_cast<int>(bench.range(0));
  const ClockState state = BusyChart();
  QImage image(width, width, QImage::Format_RGB32);
  image.fill(Qt::white);
  QtSurface surface(image);
  for (auto _ : bench) {
    benchmark::DoNotOptimize(DrawWheel(surface, state, width));
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
