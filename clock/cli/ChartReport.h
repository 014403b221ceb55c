// SPDX-License-Identifier: GPL-3.0-or-later
// The companion's reports of one chart: a plain table with the aspect lists, or one JSON object.
#ifndef HELIODIAL_CHARTREPORT_H
#define HELIODIAL_CHARTREPORT_H

#include <QJsonObject>
#include <QString>

#include "chart/Aspects.h"
#include "chart/ClockState.h"

// Where the place of the chart came from.
struct ReportPlace {
  bool fromFile = false;  // a settings file exists; without one the place is 0 north, 0 east
  QString filePath;       // where the settings file is (or would be)
};

// A chart with its two aspect lists, as one report shows them.
struct ChartWithAspects {
  const Settings& settings;
  const Chart& chart;
  const AspectPass& transits;
  const AspectPass& natal;
  ReportPlace place;
};

// The place as a person reads it: "51°28' north, 0°07' west".
QString PlaceText(const Settings& settings);

// The plain report: the place, the positions table, then both lists in words.
QString textReport(const ChartWithAspects& report);
QJsonObject jsonReport(const ChartWithAspects& report);

#endif
