// SPDX-License-Identifier: GPL-3.0-or-later
// The horoscope wheel: rings, ticks, planets, signs, cusps and aspect lines, painted from the
// chart that the last computation left in ClockState.
#ifndef HELIODIAL_DRAWWHEEL_H
#define HELIODIAL_DRAWWHEEL_H

#include <QString>
#include <QTime>

#include "chart/ClockState.h"
#include "wheel/Surface.h"
#include "wheel/WheelLayout.h"

// Makes the whole picture white: fills from (1, 1) up to a colour the wheel never draws.
void PrepareBackground(Surface& surface);

// Paints the wheel of a chart on a square surface of width pixels and returns the window
// caption, "Heliodial " and the time as hh:mm. The planet glyph size is derived from the Size
// setting for this width, so an exported picture of any size keeps the window's proportions.
QString DrawWheel(Surface& surface, const Settings& settings, const WheelView& view, int width,
                  const QTime& now = QTime::currentTime());

#endif
