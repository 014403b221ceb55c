// The companion's reports of one chart: a plain table with the aspect lists, or one JSON object.
#ifndef HELIODIAL_CHARTREPORT_H
#define HELIODIAL_CHARTREPORT_H

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <vector>

#include "chart/ChartPublisher.h"
#include "chart/ClockState.h"

struct FoundAspect {
  int from;
  char aspect;
  int to;
  QString orbText;
};

// Collects the aspect lists in words as the windows would show them, and each aspect found.
class CollectingPublisher : public ChartPublisher {
 public:
  void addAspectLine(AspectList list, const QString& line) override;
  void aspectFound(AspectList list, int from, char aspect, int to, const QString& orb) override;

  QStringList transitLines, natalLines;
  std::vector<FoundAspect> transitAspects, natalAspects;
};

QString pointName(int point);

// state holds a computation that was not live (true longitudes); aspects from the same state.
QString textReport(const ClockState& state, const QDateTime& local,
                   const CollectingPublisher& aspects);
QJsonObject jsonReport(const ClockState& state, const QDateTime& local,
                       const CollectingPublisher& aspects);

#endif
