// SPDX-License-Identifier: GPL-3.0-or-later
// Wheels to draw in the wheel tests and the wheel benchmark, as the settings and the turned view
// of a chart that DrawWheel reads.
#pragma once

#include <cmath>

#include "wheel/WheelLayout.h"

struct WheelChart {
  Settings settings;
  WheelView view;
};

// Ascendant at 120 on the left, equal houses, points 25 degrees apart.
inline WheelChart EvenWheel() {
  WheelChart chart;
  for (int i = 1; i <= 12; ++i) chart.view.CuspPos[i] = std::fmod(120.0 + 30.0 * (i - 1), 360.0);
  for (int j = 1; j <= kPointCount; ++j) {
    chart.view.Pos[j] = 25.0 * j;
    chart.view.PlanetSign[j] = "12 x 34 R ";
  }
  chart.view.Pos[13] = 120;
  return chart;
}

// A full wheel: crowded planets with degrees and minutes, all cusps, coloured sign cells, aspect
// lines of every style.
inline WheelChart CrowdedWheel() {
  WheelChart chart;
  WheelView& view = chart.view;
  view.WheelOffset = 3.4;
  for (int i = 1; i <= 12; ++i) view.CuspPos[i] = std::fmod(120.0 + 28.0 * (i - 1), 360.0);
  const double pos[15] = {0,     6.6,   8.6,   9.6,   41.6, 96.6, 196.6, 246.6,
                          286.6, 326.6, 266.6, 146.6, 1.6,  120,  16.6};
  for (int j = 1; j <= kPointCount; ++j) {
    view.Pos[j] = pos[j];
    view.PlanetSign[j] = "12 x 34 R ";
  }
  Settings& s = chart.settings;
  s.Show.fill(true);
  s.Cusps = CuspMode::All;
  s.Glyphs = SignColouring::Background;
  s.AspectLines = true;
  s.Annotate = true;
  s.AnnotateMin = true;
  s.DoLine.fill(true);
  for (int k = 0; k < kAspectKindCount; ++k) {
    s.LineColor[k] = 0x203040 * (k + 1);
    s.LineStyle[k] = static_cast<AspectLineStyle>(1 + k % 4);
  }
  view.PairString = std::string(90, ' ');
  for (int n = 0; n < 90; n += 4) view.PairString[n] = "=*STI%"[n % 6];
  return chart;
}
