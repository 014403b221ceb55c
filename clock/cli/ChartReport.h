// The companion's reports of one chart: a plain table with the aspect lists, or one JSON object.
#ifndef HELIODIAL_CHARTREPORT_H
#define HELIODIAL_CHARTREPORT_H

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include "chart/Aspects.h"
#include "chart/ClockState.h"

// A chart with its two aspect lists, as one report shows them.
struct ChartWithAspects {
  const Settings& settings;
  const Chart& chart;
  const AspectPass& transits;
  const AspectPass& natal;
};

// The plain report: the positions table, then both lists in words.
QString textReport(const ChartWithAspects& report, const QDateTime& local);
QJsonObject jsonReport(const ChartWithAspects& report, const QDateTime& local);

#endif
