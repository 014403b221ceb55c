// SPDX-License-Identifier: GPL-3.0-or-later
// The running clock without its windows: the state, the one-computation-at-a-time rule, the
// minute timer and its tick, the watch on the system (a clock or zone change, a resume), the
// settings dialog's OK, and the day scan. After each computation it hands the new Chart value to
// whoever shows it (the windows, the D-Bus service); nothing here draws.
#ifndef HELIODIAL_CLOCKCORE_H
#define HELIODIAL_CLOCKCORE_H

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimeZone>
#include <functional>
#include <optional>

#include "chart/ClockState.h"
#include "chart/ComputeChart.h"
#include "core/ScanSession.h"
#include "settings/SettingsWriters.h"

class MinuteTimer;

// What the clock takes from the machine; tests pass their own.
struct ClockEnvironment {
  TimeSource now = systemLocalTime;
  // Whether a notification area is there to hold the icon; asked at start and at every tick.
  // Empty: the windows ask the desktop.
  std::function<bool()> trayAvailable;
  // The system zone's standard bias in minutes, watched for a change of the system's time zone.
  std::function<int()> standardBias;
  // The system's time zone, whose rules give each moment's offset. Empty with standardBias set:
  // the machine's zone is known only by that bias (a zone without daylight saving). Both empty:
  // the machine's own.
  std::function<QTimeZone()> systemZone;
  // Follow the machine: suspend and resume, the zone file. Off in tests.
  bool watchSystem = true;
  // With no settings file, ask where the clock is as soon as it is on the screen. Off in tests
  // that are not about the first start.
  bool askForPlace = true;
};

// Why a chart was handed out: a computation of the moment, or only the aspect lists' words
// changing (the wheel stays as drawn).
enum class ChartUpdate { Moment, ListsOnly };

class ClockCore : public QObject {
  Q_OBJECT
 public:
  explicit ClockCore(ClockEnvironment environment = {}, QObject* parent = nullptr);
  ~ClockCore() override;

  const ClockEnvironment& environment() const { return env_; }
  const ClockState& state() const { return state_; }
  ClockState& state() { return state_; }
  MinuteTimer* Timer1() const { return timer_; }
  bool busy() const { return busy_; }

  // Start-up: the theory table, the start moment and the settings, the glyph size taken at
  // glyphWidth (the screen's width before the window is shown). Returns what the user should be
  // told about the settings (values held at a limit, no place set yet), empty when nothing.
  QStringList FormCreate(int glyphWidth);
  // Whether FormCreate found no settings file: nothing, the place included, was ever set.
  bool placeNotSet() const { return placeNotSet_; }

  // The minute timer's tick: the zone checked, then the chart of the moment.
  void Timer1Timer();
  // The wall clock was set: a new chart only when the minute or the zone is another now.
  void ClockWasSet();
  // The chart of the moment into the state, then handed out. A request that comes while one is
  // running is made up as soon as it has finished. A chart that cannot be computed is reported
  // through chartFailed and the state keeps the chart before it.
  void ComputeNow();
  // Words instead of glyphs in both lists, or back.
  void ToggleTextMode();
  // The settings dialog's OK: the dialog's values written to the file, the settings loaded
  // again (the glyph size at the wheel's side), the timer restarted and the chart recomputed.
  // Throws IniWriteError when the file cannot be written.
  void ApplySettings(const OptionsValues& values, int wheelSide);

  // The day scan: one at a time, on copies of the settings and the theory, so the chart of the
  // moment is never a scanned minute. Null while another scan runs. includeMoon adds the Moon's
  // void windows and ingresses of the day to the report.
  ScanSession* StartScan(QDate day, const ScanOrb& orb, bool includeMoon = false);
  ScanSession* scan() const { return scan_; }

 signals:
  // A minute began (before its chart): the windows follow the notification area then.
  void minuteBegan();
  // A chart was computed and is now the state's.
  void chartComputed(const Chart& chart, ChartUpdate update);
  // The chart of the moment could not be computed; key names the cause without the details that
  // change from minute to minute.
  void chartFailed(const QString& reason, const QString& key);
  // The settings were replaced by the dialog's OK.
  void settingsChanged();
  // The present moment moved other than by running: the wall clock was set to another minute,
  // the zone changed, or the machine woke from a suspend. What waits for a time of day (the
  // alerts) takes its bearings again.
  void timeJumped();

 private slots:
  void onPrepareForSleep(bool goingToSleep);

 private:
  bool compute(ChartUpdate update);
  void watchSystem();
  // Takes the system zone anew; true when it changed.
  bool checkZone();
  // The settings from the file with the machine's zone as the environment gives it.
  void load(const IniDocument& file, int glyphWidth, SettingsNotices* notices);

  ClockEnvironment env_;
  ClockState state_;
  MinuteTimer* timer_;
  bool busy_ = false;
  bool placeNotSet_ = false;
  bool pending_ = false;
  int zoneBias_ = 0;
  QByteArray zoneId_;
  QPointer<ScanSession> scan_;
  // The settings the state's chart was computed from.
  std::optional<Settings> chartSettings_;
};

#endif
