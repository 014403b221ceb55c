// SPDX-License-Identifier: GPL-3.0-or-later
// The alerts: the next events of the kinds the settings ask for (the void Moon beginning and
// ending, her ingresses, a transit to the natal chart perfecting, new and full Moon, a planet
// stationing), each told once, ahead of its time by the chosen lead.
//
// Nothing here polls: the events are found when the schedule is armed, and one timer waits for the
// first of them. It is armed again after it has told one, after the settings change, after the
// wall clock was set and after a resume, which is all that can move an event or the moment. A
// minute's tick only compares two times, so an idle clock costs what it did without alerts.
#ifndef HELIODIAL_ALERTSCHEDULE_H
#define HELIODIAL_ALERTSCHEDULE_H

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "chart/ClockState.h"
#include "chart/ComputeChart.h"
#include "chart/MoonTimetable.h"

class ClockCore;
class QTimer;

enum class AlertKind { VoidBegins, VoidEnds, Ingress, NatalExact, NewFull, Station };
inline constexpr int kAlertKindCount = 6;
// The kind as the D-Bus signal and the notification name it: "void-begins", "void-ends",
// "ingress", "natal-exact", "new-full", "station".
QString AlertKindName(AlertKind kind);

// The void rule the alerts follow. The degree test for now, the clock's own; the one place to
// change when the settings choose a rule.
VoidRule AlertVoidRule(const Settings& settings);

// How long before its event an alert is told: AlertLead 0, 1, 2 give 0, 15 and 60 minutes.
int AlertLeadMinutes(const Settings& settings);

struct AlertEvent {
  AlertKind kind = AlertKind::VoidBegins;
  QDateTime when;  // the event's minute, UTC
  QString text;    // a sentence naming the event and its local time
  QString key;     // the same event found again has the same key, whatever the texts say
};

// The first events of each enabled kind at or after its start (UTC), in time order: the Moon's
// from her timetable (the next void window's start and end, her next ingress, the next new and
// full Moon), the natal aspects and the stations within the day after the start. nowUtc dates the
// texts (a day other than today is named). Throws ChartError where positions cannot be computed.
using AlertStarts = std::array<QDateTime, kAlertKindCount>;  // by AlertKind
std::vector<AlertEvent> UpcomingAlerts(const Settings& settings, const TheoryTable& theory,
                                       const AlertStarts& fromUtc, const QDateTime& nowUtc);
// Every kind from the same moment.
std::vector<AlertEvent> UpcomingAlerts(const Settings& settings, const TheoryTable& theory,
                                       const QDateTime& fromUtc, const QDateTime& nowUtc);

// How far ahead UpcomingAlerts looks for the kinds found on a grid: the schedule is armed again
// at the end of it when nothing comes before.
inline constexpr qint64 kAlertReachMinutes = 24 * 60;

class AlertSchedule : public QObject {
  Q_OBJECT
 public:
  // Follows the core: its settings, theory and time source, and its signals for a settings
  // change, a wall clock set and a resume. Not armed until Rearm().
  explicit AlertSchedule(ClockCore& core, QObject* parent = nullptr);
  ~AlertSchedule() override;

  // Finds the events anew and arms the timer for the first one not yet told.
  void Rearm();
  // Tells every event whose time (less the lead) has come and that was not told before, then
  // arms again. The timer calls it; so does a minute that finds the timer late.
  void FireDue();

  // When the timer is to go off (UTC), none while nothing is enabled or found.
  std::optional<QDateTime> armedFor() const { return armedFor_; }
  // The events the last arming found, for the tray or a test.
  const std::vector<AlertEvent>& upcoming() const { return upcoming_; }
  // How many times the events were found: the cost the schedule adds.
  int computations() const { return computations_; }

 signals:
  // kind as AlertKindName gives it; when the event's local time with its offset.
  void alert(const QString& kind, const QString& text, const QDateTime& when);

 private:
  void onMinute();
  QDateTime nowUtc() const;

  ClockCore& core_;
  QTimer* timer_;
  std::optional<QDateTime> armedFor_;
  std::vector<AlertEvent> upcoming_;
  // The events told, by key, so that old ones can be let go and each kind's search starts after
  // the last of its own.
  struct Told {
    AlertKind kind;
    QDateTime when;
  };
  QHash<QString, Told> told_;
  int computations_ = 0;
};

#endif
