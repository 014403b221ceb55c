// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/DayScan.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>

#include "chart/ComputeChart.h"
#include "chart/MoonExport.h"
#include "chart/MoonTimetable.h"
#include "chart/NatalChart.h"

namespace {

AspectOrbs allOrbs(const ScanOrb& orb) {
  AspectOrbs orbs;
  orbs.fill(static_cast<float>(orb.value()));
  return orbs;
}

std::size_t runIndex(int from, int to) {
  return static_cast<std::size_t>(from * (kPointCount + 1) + to);
}

}  // namespace

ScanOrb ScanOrbPreset(double transitOrb) {
  if (!std::isfinite(transitOrb)) return {};
  double degrees = std::trunc(transitOrb);
  double minutes = std::round((transitOrb - degrees) * 60);
  if (minutes >= 60) {
    degrees += 1;
    minutes = 0;
  }
  // The spin edits hold each part within its range.
  return {static_cast<int>(std::clamp(degrees, 0.0, double{kScanOrbMaxDegrees})),
          static_cast<int>(std::clamp(minutes, 0.0, double{kScanOrbMaxMinutes}))};
}

QString ScanOrbText(const ScanOrb& orb) {
  return QStringLiteral("%1\u00B0%2'").arg(orb.degrees).arg(orb.minutes, 2, 10, QLatin1Char('0'));
}

DayScan::DayScan(const Settings& settings, const TheoryTable& theory, QDate day, ScanOrb orb)
    : settings_(settings),
      theory_(theory),
      day_(day),
      orb_(orb),
      dateText_(AspectLogDate(day)),
      tester_(allOrbs(orb), settings.CustomAngle, settings.UseAspects) {
  if (!day_.isValid()) {
    stopped_ = true;  // nothing to scan
    return;
  }
  // The scanned day's own offset, so a summer day scanned in winter is right. One offset serves
  // the whole day, as the report's times and the calendar's all count from one local midnight:
  // that of local noon, which on a day the clocks change is the offset of most of its waking
  // hours (the change comes in the small hours).
  if (settings_.ZoneRules) {
    settings_.ZoneOffset =
        ResolveLocalTime(settings_.Zone, day_, QTime(12, 0)).offsetSeconds / 3600.0;
  }
}

bool DayScan::testsPairs() const {
  for (int r = 1; r < kPointCount; ++r) {
    for (int i = r + 1; i <= kPointCount; ++i) {
      if (settings_.AspectFrom[r] && settings_.AspectTo[i]) return true;
    }
  }
  return false;
}

QDateTime DayScan::localTime(int minute) const {
  // The scan's times are local to the settings' zone, not the machine's: kept as UTC so that the
  // machine's daylight-saving gaps cannot move them.
  return QDateTime(day_, QTime(0, 0).addSecs(60 * minute), Qt::UTC);
}

bool DayScan::scanMinute() {
  if (finished()) return false;
  const QDateTime when = localTime(minute_);
  Chart chart;
  try {
    chart = ComputeChart(settings_, theory_, day_, when.time());
  } catch (...) {
    stop();
    throw;
  }
  const std::array<double, kPointCount + 1>& pos = chart.TruePos;
  // Without house cusps there are no angles: they would stand at 0 Aries all day.
  const int last = chart.HasCusps ? kPointCount : kBodyCount;
  QString line;
  for (int r = 1; r < last; ++r) {
    if (!settings_.AspectFrom[r]) continue;
    for (int i = r + 1; i <= last; ++i) {
      if (!settings_.AspectTo[i]) continue;
      // A Chiron the ephemeris files do not cover makes no aspects.
      const bool noChiron = chart.ChironMissing && (r == 12 || i == 12);
      AspectMatch match = noChiron ? AspectMatch{} : tester_.test(pos[r], pos[i]);
      follow(r, i, match);
      if (!match.found()) continue;
      FoundAspect aspect{r, match.code, i, std::move(match.orbText)};
      // In text mode the key is in words, so the check compares what the report shows.
      QString key = AspectKey(aspect, settings_.TextMode);
      if (settings_.Duplicates && seenKeys_.contains(key)) continue;
      if (line.isEmpty()) line = AspectLogStart(dateText_, when.time());
      line += AspectLogItem(key, aspect);
      seenKeys_.insert(std::move(key));
      entries_.push_back({minute_, std::move(aspect)});
    }
  }
  if (!line.isEmpty()) lines_.append(std::move(line));
  chironMissing_ = chironMissing_ || chart.ChironMissing;
  ++minute_;
  if (minute_ >= kMinutes) {
    closeAllRuns();
    // Said once, at the end, so the lines of the minutes stay as they are.
    if (chironMissing_) {
      lines_.append(
          QStringLiteral("Chiron is outside the years of the ephemeris files "
                         "(1800-2399) and was not scanned."));
    }
  }
  return !finished();
}

bool DayScan::runFor(std::chrono::microseconds budget, int maxMinutes) {
  QElapsedTimer clock;
  clock.start();
  for (int n = 0; n < maxMinutes && !finished(); ++n) {
    scanMinute();
    if (clock.nsecsElapsed() >= std::chrono::nanoseconds(budget).count()) break;
  }
  return !finished();
}

void DayScan::runAll() {
  while (scanMinute()) {
  }
}

void DayScan::stop() {
  if (stopped_ || minute_ >= kMinutes) return;
  stopped_ = true;
  closeAllRuns();
}

void DayScan::follow(int from, int to, const AspectMatch& match) {
  OpenRun& run = runs_[runIndex(from, to)];
  if (run.event.code != ' ' && run.event.code != match.code) closeRun(run);
  if (!match.found()) return;
  const float distance = std::fabs(match.deviation);
  if (run.event.code == ' ') {
    run.event = {from, match.code, to, minute_, minute_, minute_, match.orbText};
    run.closestDeviation = distance;
    return;
  }
  run.event.last = minute_;
  if (distance < run.closestDeviation) {  // the earliest of equally close minutes stays
    run.closestDeviation = distance;
    run.event.closest = minute_;
    run.event.closestOrbText = match.orbText;
  }
}

void DayScan::closeRun(OpenRun& run) {
  events_.push_back(std::move(run.event));
  run = {};
}

void DayScan::closeAllRuns() {
  for (OpenRun& run : runs_) {
    if (run.event.code != ' ') closeRun(run);
  }
  std::stable_sort(events_.begin(), events_.end(), [](const ScanEvent& a, const ScanEvent& b) {
    if (a.first != b.first) return a.first < b.first;
    if (a.from != b.from) return a.from < b.from;
    return a.to < b.to;
  });
}

int DayScan::zoneSeconds() const {
  return static_cast<int>(std::lround(settings_.ZoneOffset * 3600));
}

void DayScan::includeMoon() {
  includesMoon_ = true;
  moonEvents_.clear();
  if (!day_.isValid()) return;
  const QDateTime first = QDateTime(day_, QTime(0, 0), Qt::UTC).addSecs(-zoneSeconds());
  const QDateTime last = first.addDays(1);
  const VoidRule rule = VoidRuleFromNumber(settings_.VOCRule);
  // From the stay in progress a day before, so that a window running into the day is there.
  for (const MoonStay& stay : MoonStays(settings_, theory_, first.addDays(-1), 2, rule)) {
    const auto& w = stay.voidWindow;
    if (rule != VoidRule::Degree && w && w->start < last && w->end > first) {
      moonEvents_.push_back({false, w->start, w->end, stay.sign, w->lastAspect});
    }
    if (stay.nextIngress >= first && stay.nextIngress < last) {
      moonEvents_.push_back({true, stay.nextIngress, stay.nextIngress, (stay.sign + 1) % 12, {}});
    }
  }
  if (rule == VoidRule::Degree && (settings_.Do30 || settings_.Do45)) {
    // The degree test's windows do not follow the signs: every one that overlaps the day.
    for (auto w = VoidWindowAt(settings_, theory_, first, rule); w && w->start < last;
         w = VoidWindowAt(settings_, theory_, w->end, rule)) {
      if (w->end > first) moonEvents_.push_back({false, w->start, w->end, 0, std::nullopt});
      if (w->end <= w->start) break;
    }
  }
  std::stable_sort(
      moonEvents_.begin(), moonEvents_.end(),
      [](const ScanMoonEvent& a, const ScanMoonEvent& b) { return a.start < b.start; });
}

QStringList DayScan::moonLines() const {
  const int zone = zoneSeconds();
  const auto at = [this, zone](const QDateTime& utc) {
    const QDateTime local = utc.toOffsetFromUtc(zone);
    return local.toString(local.date() == day_ ? QStringLiteral("HH:mm")
                                               : QStringLiteral("yyyy-MM-dd HH:mm"));
  };
  const VoidRule rule = VoidRuleFromNumber(settings_.VOCRule);
  QStringList lines;
  for (const ScanMoonEvent& e : moonEvents_) {
    if (e.ingress) {
      lines << QStringLiteral("Moon enters %1 %2")
                   .arg(QString::fromLatin1(kSignNames[static_cast<std::size_t>(e.sign)]),
                        at(e.start));
      continue;
    }
    QString why = VoidRuleShortName(rule);
    if (e.lastAspect) why = MoonAspectText(*e.lastAspect) + QStringLiteral("; ") + why;
    lines << QStringLiteral("Moon void of course %1 - %2 (%3)").arg(at(e.start), at(e.end), why);
  }
  return lines;
}
