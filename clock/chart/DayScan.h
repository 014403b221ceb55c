// SPDX-License-Identifier: GPL-3.0-or-later
// The day scan: the chart of every minute of one local day, every selected pair of transiting
// points tested with one orb, one report line for each minute that has aspects. It works on its
// own copy of the settings and the theory table, so the clock's chart of the moment is never a
// scanned minute, and it runs in slices so that a window can let its events run in between.
#ifndef HELIODIAL_DAYSCAN_H
#define HELIODIAL_DAYSCAN_H

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTime>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "chart/Aspects.h"
#include "chart/ClockState.h"

// The scan orb in whole degrees and minutes, within the ranges the scan dialog offers.
inline constexpr int kScanOrbMaxDegrees = 30;
inline constexpr int kScanOrbMaxMinutes = 59;
struct ScanOrb {
  int degrees = 0;
  int minutes = 0;
  double value() const { return degrees + minutes / 60.0; }
  bool operator==(const ScanOrb&) const = default;
};

// The transit orb as the scan dialog presets it: Trunc of the degrees and Round of the remaining
// minutes, kept within the dialog's ranges (a rounding up to 60 minutes carries to the degrees).
ScanOrb ScanOrbPreset(double transitOrb);

// The scan orb as a text, for instance 1°01'.
QString ScanOrbText(const ScanOrb& orb);

// One reported aspect in one minute of the day.
struct ScanEntry {
  int minute = 0;  // 0 = 00:00 .. 1439 = 23:59, local time
  FoundAspect aspect;
};

// One aspect from the first to the last minute of a run of minutes within the orb (the day's
// first or last minute when it holds at midnight), with the minute it came closest.
struct ScanEvent {
  int from = 0;
  char code = ' ';
  int to = 0;
  int first = 0;
  int last = 0;
  int closest = 0;
  std::string closestOrbText;  // library bytes, as in the report
};

// A void window of the Moon that overlaps the scanned day, or an ingress within it, for the
// report and its files when the scan includes the Moon. Times are UTC minutes.
struct ScanMoonEvent {
  bool ingress = false;
  QDateTime start;                       // the ingress, or the window's start
  QDateTime end;                         // the window's end; the ingress again for an ingress
  int sign = 0;                          // the sign she enters (ingress), 0 Aries .. 11 Pisces
  std::optional<MoonAspect> lastAspect;  // void: the aspect that began the window
};

class DayScan {
 public:
  static constexpr int kMinutes = 1440;

  DayScan(const Settings& settings, const TheoryTable& theory, QDate day, ScanOrb orb);

  // Scans the next minute; false once the day is done or the scan was stopped. Throws ChartError
  // when the house system has no cusps at this place; the scan then stops at that minute.
  bool scanMinute();
  // Scans minutes until the budget has passed, at most maxMinutes of them; false when done.
  bool runFor(std::chrono::microseconds budget, int maxMinutes = kMinutes);
  void runAll();
  // Ends the scan where it is; what was found so far stays.
  void stop();

  bool finished() const { return stopped_ || minute_ >= kMinutes; }
  bool stopped() const { return stopped_; }
  // Minutes scanned so far.
  int minutesDone() const { return minute_; }

  QDate day() const { return day_; }
  ScanOrb orb() const { return orb_; }
  const Settings& settings() const { return settings_; }
  bool textMode() const { return settings_.TextMode; }
  // Whether any pair has both points switched on (the report's font follows the text mode then).
  bool testsPairs() const;
  QDateTime localTime(int minute) const;

  // The report lines so far: the date (short date format) + "::" + the time "hh:mm" + ": ", then
  // each aspect's key + ":" + orb text + "):".
  const QStringList& lines() const { return lines_; }
  // The Moon's void windows and ingresses of the day under the settings' void rule (VOC/Rule),
  // in order of time; found at once, a few milliseconds. Without this call the scan's report
  // and files are the aspects' alone.
  void includeMoon();
  bool includesMoon() const { return includesMoon_; }
  const std::vector<ScanMoonEvent>& moonEvents() const { return moonEvents_; }
  // One line for each: "Moon enters Capricorn 21:52", "Moon void of course 09:14 - 21:52
  // (square Saturn; classical)", local times, with the date where it is another day.
  QStringList moonLines() const;
  // The report as printed and saved: the aspects' lines, then the Moon's.
  QStringList reportLines() const { return lines_ + moonLines(); }
  int zoneSeconds() const;
  // Every reported aspect, in report order: one row of the report's lines each.
  const std::vector<ScanEntry>& entries() const { return entries_; }
  // Keys (from, aspect and to as symbols, or as words in text mode) already reported.
  const QSet<QString>& SeenKeys() const { return seenKeys_; }
  // Every run of an aspect within the orb, Duplicates or not, ordered by first minute and pair;
  // complete once the scan has finished.
  const std::vector<ScanEvent>& events() const { return events_; }

 private:
  // The run of a pair in progress; none while its event's code is blank.
  struct OpenRun {
    ScanEvent event;
    float closestDeviation = 0;
  };
  void follow(int from, int to, const AspectMatch& match);
  void closeRun(OpenRun& run);
  void closeAllRuns();

  Settings settings_;
  TheoryTable theory_;
  QDate day_;
  ScanOrb orb_;
  QString dateText_;  // the day in the short date format, as every line starts
  AspectTester tester_;
  int minute_ = 0;
  bool chironMissing_ = false;
  bool stopped_ = false;
  QStringList lines_;
  std::vector<ScanEntry> entries_;
  QSet<QString> seenKeys_;
  std::array<OpenRun, (kPointCount + 1) * (kPointCount + 1)> runs_{};
  std::vector<ScanEvent> events_;
  bool includesMoon_ = false;
  std::vector<ScanMoonEvent> moonEvents_;
};

#endif
