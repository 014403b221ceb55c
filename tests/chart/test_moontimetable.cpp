// SPDX-License-Identifier: GPL-3.0-or-later
// The Moon's timetable against an independent computation: the charts of the clock, stepped
// through the year ten minutes at a time and then minute by minute where something changed.
#include <gtest/gtest.h>

#include <QTimeZone>
#include <cmath>
#include <map>
#include <vector>

#include "chart/ComputeChart.h"
#include "chart/MoonExport.h"
#include "chart/MoonTimetable.h"
#include "model/ChartTables.h"
#include "support/fixtures.h"

namespace {

using Positions = std::array<double, kPointCount + 1>;

const TheoryTable& theory() { return OnceMade<TheoryTable, InitialTheoryTable>(); }

Settings greenwich() {
  Settings s;
  s.ZoneOffset = 0;
  s.LatDeg = 51;
  s.LatMin = 28;
  return s;
}

QDateTime utcMinute(qint64 minute) {
  return QDateTime::fromMSecsSinceEpoch(minute * 60000, Qt::UTC);
}
qint64 minuteOf(const QDateTime& t) { return t.toMSecsSinceEpoch() / 60000; }
qint64 minuteOf(QDate day) { return minuteOf(QDateTime(day, QTime(0, 0), Qt::UTC)); }

// The clock's own chart of a UTC minute (the settings are on Universal Time).
Positions chartAt(const Settings& s, qint64 minute) {
  const QDateTime t = utcMinute(minute);
  return ComputeChart(s, theory(), t.date(), t.time()).TruePos;
}

double wrap180(double x) { return x - 360.0 * std::round(x / 360.0); }

struct Event {
  qint64 minute;  // the first minute at which it has happened
  int kind;       // aspect kind, or -1 for an ingress (then body is the new sign)
  int body;
};

constexpr int kStep = 10;
constexpr std::pair<double, int> kTargets[] = {{0, 0},    {60, 3},  {90, 5},  {120, 6},
                                               {180, 10}, {240, 6}, {270, 5}, {300, 3}};

// Every ingress of the Moon and every exact aspect of hers to Sun..Pluto in [from, to), by coarse
// steps and then minute by minute: no root-finding, no knowledge of how fast anything moves.
std::vector<Event> bruteForce(const Settings& s, qint64 from, qint64 to) {
  std::vector<Event> events;
  Positions before = chartAt(s, from);
  for (qint64 m = from + kStep; m < to; m += kStep) {
    const Positions after = chartAt(s, m);
    const auto firstMinute = [&](auto happened) {
      for (qint64 k = m - kStep + 1; k < m; ++k) {
        if (happened(chartAt(s, k))) return k;
      }
      return m;
    };
    const int sign = static_cast<int>(after[2] / 30);
    if (sign != static_cast<int>(before[2] / 30)) {
      events.push_back(
          {firstMinute([&](const Positions& p) { return static_cast<int>(p[2] / 30) == sign; }), -1,
           sign});
    }
    for (int body : {1, 3, 4, 5, 6, 7, 8, 9, 10}) {
      for (const auto& [angle, kind] : kTargets) {
        const double g0 = wrap180(before[2] - before[body] - angle);
        const double g1 = wrap180(after[2] - after[body] - angle);
        if (std::fabs(g0) > 90 || std::fabs(g1) > 90 || (g0 < 0) == (g1 < 0)) continue;
        const bool rising = g1 >= 0;
        events.push_back({firstMinute([&, angle = angle](const Positions& p) {
                            return (wrap180(p[2] - p[body] - angle) >= 0) == rising;
                          }),
                          kind, body});
      }
    }
    before = after;
  }
  std::sort(events.begin(), events.end(),
            [](const Event& a, const Event& b) { return a.minute < b.minute; });
  return events;
}

struct BruteStay {
  qint64 ingress;
  qint64 next;
  int sign;
  std::optional<Event> last;  // counted by the rule
};

std::vector<BruteStay> bruteStays(const std::vector<Event>& events, VoidRule rule) {
  const std::vector<int> bodies = VoidBodies(rule);
  std::vector<BruteStay> stays;
  std::optional<BruteStay> open;
  for (const Event& e : events) {
    if (e.kind < 0) {
      if (open) {
        open->next = e.minute;
        stays.push_back(*open);
      }
      open = BruteStay{e.minute, 0, e.body, std::nullopt};
    } else if (open && std::find(bodies.begin(), bodies.end(), e.body) != bodies.end()) {
      open->last = e;
    }
  }
  return stays;
}

// Rules 1 and 2 over a year of windows: ingress and window start within a minute of the brute
// force, the same last aspect. (An aspect perfecting within a minute of the ingress may fall on
// either side of it by minutes; the brute force then names the aspect before it.)
void checkYear(const Settings& s, QDate firstDay, int days, VoidRule rule,
               const std::vector<Event>& events) {
  const std::vector<BruteStay> expected = bruteStays(events, rule);
  const std::vector<MoonStay> got =
      MoonStays(s, theory(), QDateTime(firstDay, QTime(0, 0), Qt::UTC), days, rule);
  std::map<qint64, const MoonStay*> byIngress;
  for (const MoonStay& stay : got) byIngress[minuteOf(stay.ingress)] = &stay;
  int compared = 0, aspects = 0;
  ASSERT_FALSE(got.empty());
  for (const BruteStay& want : expected) {
    // The brute force runs a few days either side of the timetable.
    if (want.ingress < minuteOf(got.front().ingress) - 1) continue;
    if (want.ingress > minuteOf(got.back().ingress) + 1) continue;
    auto found = byIngress.lower_bound(want.ingress - 1);
    ASSERT_NE(found, byIngress.end());
    const MoonStay& stay = *found->second;
    // An ingress is the first minute in the new sign on both sides: the same minute.
    ASSERT_EQ(minuteOf(stay.ingress), want.ingress);
    EXPECT_EQ(stay.sign, want.sign);
    EXPECT_EQ(minuteOf(stay.nextIngress), want.next);
    ASSERT_TRUE(stay.voidWindow);
    const VoidWindow& w = *stay.voidWindow;
    EXPECT_EQ(w.end, stay.nextIngress);
    EXPECT_EQ(w.rule, rule);
    const qint64 start = minuteOf(w.start);
    if (!want.last) {
      EXPECT_FALSE(w.lastAspect) << stay.ingress.toString(Qt::ISODate).toStdString();
      EXPECT_EQ(w.start, stay.ingress);
    } else if (std::llabs(start - want.last->minute) > 1) {
      // Only an aspect within a minute of the ingress may be told apart differently.
      EXPECT_LE(std::llabs(start - minuteOf(stay.nextIngress)), 1)
          << stay.ingress.toString(Qt::ISODate).toStdString();
    } else {
      ASSERT_TRUE(w.lastAspect);
      EXPECT_EQ(w.lastAspect->body, want.last->body);
      EXPECT_EQ(w.lastAspect->kind, want.last->kind);
      EXPECT_EQ(w.lastAspect->exact, w.start);
      ++aspects;
    }
    ++compared;
  }
  EXPECT_GE(compared, days * 12 / 30);
  EXPECT_GE(aspects, compared - 2);
}

TEST(MoonTimetable, YearOfWindowsAgreesWithMinuteSteppingForBothAspectRules) {
  const Settings s = greenwich();
  const QDate first(2026, 1, 1);
  const int days = 365;
  const std::vector<Event> events =
      bruteForce(s, minuteOf(first) - 4 * 1440, minuteOf(first) + (days + 4) * 1440);
  checkYear(s, first, days, VoidRule::Classical, events);
  checkYear(s, first, days, VoidRule::Modern, events);
}

TEST(MoonTimetable, PreciseEphemerisMonthAgreesWithMinuteStepping) {
  Settings s = greenwich();
  s.Ephemeris = 1;
  const QDate first(2026, 3, 1);
  const std::vector<Event> events =
      bruteForce(s, minuteOf(first) - 4 * 1440, minuteOf(first) + 34 * 1440);
  checkYear(s, first, 30, VoidRule::Modern, events);
}

// Rule 0: the windows are exactly the runs of minutes in which the clock's own test says void.
TEST(MoonTimetable, DegreeWindowsAreTheRunsOfTheClocksOwnTest) {
  for (const auto& [do30, do45] : {std::pair{true, false}, std::pair{true, true}}) {
    Settings s = greenwich();
    s.Do30 = do30;
    s.Do45 = do45;
    const qint64 from = minuteOf(QDate(2026, 5, 1));
    const qint64 to = from + 30 * 1440;
    std::vector<std::pair<qint64, qint64>> runs;
    bool inside = false;
    for (qint64 m = from; m < to; ++m) {
      const QDateTime t = utcMinute(m);
      const bool active = ComputeChart(s, theory(), t.date(), t.time()).VOCActive;
      if (active && !inside) runs.push_back({m, 0});
      if (!active && inside) runs.back().second = m;
      inside = active;
    }
    if (inside) runs.pop_back();
    ASSERT_GE(runs.size(), 3u);
    if (runs.front().first == from) runs.erase(runs.begin());  // began before the span
    std::optional<VoidWindow> w = VoidWindowAt(s, theory(), utcMinute(from), VoidRule::Degree);
    if (w && minuteOf(w->start) < from) w = VoidWindowAt(s, theory(), w->end, VoidRule::Degree);
    for (const auto& [start, end] : runs) {
      ASSERT_TRUE(w);
      EXPECT_EQ(minuteOf(w->start), start)
          << do45 << " " << utcMinute(start).toString().toStdString();
      EXPECT_EQ(minuteOf(w->end), end);
      EXPECT_FALSE(w->lastAspect);
      // Asked from inside, the same window.
      const auto inside = VoidWindowAt(s, theory(), utcMinute((start + end) / 2), VoidRule::Degree);
      ASSERT_TRUE(inside);
      EXPECT_EQ(inside->start, w->start);
      EXPECT_EQ(inside->end, w->end);
      w = VoidWindowAt(s, theory(), w->end, VoidRule::Degree);
    }
  }
  Settings off = greenwich();
  off.Do30 = off.Do45 = false;
  EXPECT_FALSE(
      VoidWindowAt(off, theory(), utcMinute(minuteOf(QDate(2026, 5, 1))), VoidRule::Degree));
}

// The edges, each at a moment of 2026 where it happens, checked against the clock's own charts
// minute by minute around it.
TEST(MoonTimetable, EdgeCases) {
  const Settings s = greenwich();
  const QDate first(2026, 1, 1);
  const std::vector<Event> events =
      bruteForce(s, minuteOf(first) - 4 * 1440, minuteOf(first) + 369 * 1440);
  const std::vector<MoonStay> stays =
      MoonStays(s, theory(), QDateTime(first, QTime(0, 0), Qt::UTC), 365, VoidRule::Classical);
  bool aspectJustBeforeIngress = false, retrogradeLast = false, aries = false;
  for (const MoonStay& stay : stays) {
    const VoidWindow& w = *stay.voidWindow;
    const qint64 end = minuteOf(stay.nextIngress);
    if (w.lastAspect && end - minuteOf(w.start) <= 30 && end - minuteOf(w.start) > 1) {
      // Exact in the last half hour: still this sign's last aspect, not the next one's.
      aspectJustBeforeIngress = true;
      const Positions at = chartAt(s, minuteOf(w.start) - 1);
      EXPECT_EQ(static_cast<int>(at[2] / 30), stay.sign);
    }
    if (w.lastAspect) {
      const QDateTime t = w.lastAspect->exact;
      const Chart chart = ComputeChart(s, theory(), t.date(), t.time());
      if (chart.Speed[static_cast<std::size_t>(w.lastAspect->body)] < 0) retrogradeLast = true;
    }
    if (stay.sign == 11) {
      // Out of Pisces into Aries: the longitude wraps from 360 to 0.
      aries = true;
      const VoidWindow& next = *std::next(&stay)->voidWindow;
      EXPECT_EQ(std::next(&stay)->sign, 0);
      EXPECT_LT(chartAt(s, end - 1)[2], 360.0);
      EXPECT_GT(chartAt(s, end - 1)[2], 359.0);
      EXPECT_LT(chartAt(s, end + 1)[2], 1.0);
      EXPECT_LT(next.start, next.end);
      if (&stay == &stays.back() - 1) break;
    }
  }
  EXPECT_TRUE(aspectJustBeforeIngress);
  EXPECT_TRUE(retrogradeLast);
  EXPECT_TRUE(aries);
}

// May 2000: the Sun and Mercury..Saturn all in Taurus, so the Moon in Aries makes none of the five
// aspects to them: classically she is void from her ingress. Uranus in Aquarius still has her
// sextile under the modern rule.
TEST(MoonTimetable, NoAspectInASignVoidFromTheIngress) {
  const Settings s = greenwich();
  const QDateTime from(QDate(2000, 4, 30), QTime(0, 0), Qt::UTC);
  const std::vector<Event> events = bruteForce(s, minuteOf(from), minuteOf(from) + 5 * 1440);
  const std::vector<BruteStay> brute = bruteStays(events, VoidRule::Classical);
  const auto aries = std::find_if(brute.begin(), brute.end(),
                                  [](const BruteStay& stay) { return stay.sign == 0; });
  ASSERT_NE(aries, brute.end());
  EXPECT_FALSE(aries->last);
  for (VoidRule rule : {VoidRule::Classical, VoidRule::Modern}) {
    const std::vector<MoonStay> stays = MoonStays(s, theory(), from, 4, rule);
    const auto stay =
        std::find_if(stays.begin(), stays.end(), [](const MoonStay& st) { return st.sign == 0; });
    ASSERT_NE(stay, stays.end());
    EXPECT_EQ(minuteOf(stay->ingress), aries->ingress);
    EXPECT_EQ(stay->voidWindow->end, stay->nextIngress);
    if (rule == VoidRule::Classical) {
      EXPECT_EQ(stay->voidWindow->start, stay->ingress);
      EXPECT_FALSE(stay->voidWindow->lastAspect);
    } else {
      ASSERT_TRUE(stay->voidWindow->lastAspect);
      EXPECT_GE(stay->voidWindow->lastAspect->body, 8);
      EXPECT_GT(stay->voidWindow->start, stay->ingress);
    }
  }
}

TEST(MoonTimetable, PhaseNames) {
  const std::pair<double, MoonPhaseName> rows[] = {{0, MoonPhaseName::New},
                                                   {6, MoonPhaseName::New},
                                                   {6.5, MoonPhaseName::WaxingCrescent},
                                                   {83, MoonPhaseName::WaxingCrescent},
                                                   {84, MoonPhaseName::FirstQuarter},
                                                   {96, MoonPhaseName::FirstQuarter},
                                                   {97, MoonPhaseName::WaxingGibbous},
                                                   {180, MoonPhaseName::Full},
                                                   {186.5, MoonPhaseName::WaningGibbous},
                                                   {270, MoonPhaseName::LastQuarter},
                                                   {300, MoonPhaseName::WaningCrescent},
                                                   {354.5, MoonPhaseName::New},
                                                   {-1, MoonPhaseName::New},
                                                   {720 + 90, MoonPhaseName::FirstQuarter}};
  for (const auto& [elongation, name] : rows) {
    EXPECT_EQ(MoonPhaseOfElongation(elongation), name) << elongation;
  }
  EXPECT_EQ(MoonPhaseText(MoonPhaseName::WaxingGibbous), QStringLiteral("waxing gibbous"));
  EXPECT_EQ(MoonPhaseText(MoonPhaseName::LastQuarter), QStringLiteral("last quarter"));
}

// The next new and full Moon: the elongation changes sign within the minute found.
TEST(MoonTimetable, NextNewAndFullMoon) {
  for (int ephemeris : {0, 1}) {
    Settings s = greenwich();
    s.Ephemeris = ephemeris;
    for (int day = 0; day < 60; day += 7) {
      const QDateTime t(QDate(2026, 2, 1).addDays(day), QTime(6, 0), Qt::UTC);
      const LunarPhase phase = MoonPhaseAt(s, theory(), t);
      for (const auto& [when, angle] : {std::pair{phase.nextNew, 0.0}, {phase.nextFull, 180.0}}) {
        EXPECT_GT(when, t);
        EXPECT_LT(when, t.addDays(30));
        const Positions a = chartAt(s, minuteOf(when) - 1), b = chartAt(s, minuteOf(when) + 1);
        EXPECT_LT(wrap180(a[2] - a[1] - angle), 0) << when.toString().toStdString();
        EXPECT_GT(wrap180(b[2] - b[1] - angle), 0) << when.toString().toStdString();
      }
      const Positions now = chartAt(s, minuteOf(t));
      EXPECT_NEAR(phase.elongation, std::fmod(now[2] - now[1] + 720, 360), 1e-9);
      EXPECT_NEAR(phase.illuminated, (1 - std::cos(phase.elongation * M_PI / 180)) / 2, 1e-12);
    }
  }
}

TEST(MoonTimetable, MoonAtGathersTheParts) {
  const Settings s = greenwich();
  const QDateTime t(QDate(2026, 7, 14), QTime(12, 0), Qt::UTC);
  for (VoidRule rule : {VoidRule::Degree, VoidRule::Classical, VoidRule::Modern}) {
    const MoonNow now = MoonAt(s, theory(), t, rule);
    const std::optional<VoidWindow> window = VoidWindowAt(s, theory(), t, rule);
    ASSERT_TRUE(now.voidWindow && window);
    EXPECT_EQ(now.voidWindow->start, window->start);
    EXPECT_EQ(now.voidWindow->end, window->end);
    EXPECT_GT(window->end, t);
    const MoonIngress ingress = NextMoonIngress(s, theory(), t);
    EXPECT_EQ(now.nextIngress.time, ingress.time);
    EXPECT_EQ(now.nextIngress.sign, ingress.sign);
    EXPECT_EQ(ingress.sign, (static_cast<int>(now.longitude / 30) + 1) % 12);
    if (rule != VoidRule::Degree) {
      EXPECT_EQ(window->end, ingress.time);
    }
  }
  EXPECT_EQ(VoidRuleFromNumber(2), VoidRule::Modern);
  EXPECT_EQ(VoidRuleFromNumber(7), VoidRule::Degree);
  EXPECT_EQ(MoonAspectText({5, 7, {}}), QStringLiteral("square Saturn"));
}

// The Moon's two lines for the notification area and the status line, under each rule and in a
// zone where her ingress falls on the next local day. On 2 January 2000 at Greenwich the classical
// window and the degree test's (30 degree test) both run 19:32 - 21:33.
TEST(MoonTimetable, StatusLines) {
  Settings s = greenwich();
  s.Do45 = false;
  const QDateTime noon(QDate(2000, 1, 2), QTime(12, 0), Qt::UTC);
  const QDateTime evening(QDate(2000, 1, 2), QTime(20, 0), Qt::UTC);
  const struct {
    QDateTime at;
    VoidRule rule;
    int zone;
    const char* voidLine;
  } rows[] = {
      {noon, VoidRule::Classical, 0, "Next void 19:32 - 21:33 (enters Sagittarius) (classical)"},
      {noon, VoidRule::Degree, 0,
       "Next void 19:32 - 21:33, enters Sagittarius 21:33 (degree test)"},
      {evening, VoidRule::Classical, 0,
       "Void since 19:32 (square Mars), enters Sagittarius 21:33 (classical)"},
      {evening, VoidRule::Modern, 0,
       "Void since 19:32 (square Mars), enters Sagittarius 21:33 (modern)"},
      {evening, VoidRule::Degree, 0,
       "Void since 19:32 until 21:33, enters Sagittarius 21:33 (degree test)"},
      // 23:00 local on Sunday: her ingress is on Monday.
      {evening, VoidRule::Classical, 3 * 3600,
       "Void since 22:32 (square Mars), enters Sagittarius Mon 00:33 (classical)"},
  };
  for (const auto& r : rows) {
    const MoonNow moon = MoonAt(s, theory(), r.at, r.rule);
    const MoonStatus status = MoonStatusOf(moon, r.at, r.rule, r.zone);
    EXPECT_EQ(status.voidLine.toStdString(), r.voidLine);
    EXPECT_EQ(status.line(), status.position + QStringLiteral("; ") + status.voidLine);
  }
  const MoonStatus status = MoonStatusOf(MoonAt(s, theory(), evening, VoidRule::Classical), evening,
                                         VoidRule::Classical, 0);
  // The Moon's longitude truncated to the minute of arc, as the positions window shows her.
  const double moon = MoonLongitudeAt(s, theory(), evening);
  const int minutes = static_cast<int>((moon - 210.0) * 60.0);
  EXPECT_EQ(status.position,
            QStringLiteral("Moon %1\u00B0%2' Scorpio, waning crescent %3%")
                .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                .arg(minutes % 60, 2, 10, QLatin1Char('0'))
                .arg(std::lround(MoonPhaseAt(s, theory(), evening).illuminated * 100)));
}

// Exact times for the aspect lists: the exact minute, found by stepping the charts a minute at a
// time through the day either side, and whether the aspect is applying.
TEST(MoonTimetable, ExactAspectTimes) {
  const Settings s = greenwich();
  const QDateTime t(QDate(2026, 3, 10), QTime(12, 0), Qt::UTC);
  const Positions now = chartAt(s, minuteOf(t));
  std::vector<AspectQuery> queries;
  // Moon to every body by the aspect it is nearest, and a slow pair, and a natal longitude.
  for (int body : {1, 3, 4, 5, 6, 7}) {
    const double d = std::fabs(wrap180(now[2] - now[static_cast<std::size_t>(body)]));
    int kind = 0;
    for (int k : {0, 3, 5, 6, 10}) {
      if (std::fabs(d - kAspectKinds[static_cast<std::size_t>(k)].angle) <
          std::fabs(d - kAspectKinds[static_cast<std::size_t>(kind)].angle)) {
        kind = k;
      }
    }
    queries.push_back({2, kind, body, std::nullopt});
  }
  queries.push_back({2, 0, 1, now[2] + 3.0});   // natal point 3 degrees ahead: applying
  queries.push_back({2, 0, 1, now[2] - 3.0});   // 3 degrees behind: separating
  queries.push_back({2, 0, 1, now[2] + 40.0});  // beyond a day's reach
  const std::vector<AspectTiming> timings = ExactAspectTimes(s, theory(), t, queries);
  ASSERT_EQ(timings.size(), queries.size());
  EXPECT_TRUE(timings[6].applying);
  EXPECT_FALSE(timings[7].applying);
  EXPECT_TRUE(timings[8].applying);
  EXPECT_FALSE(timings[8].exact);
  for (std::size_t i = 0; i < queries.size(); ++i) {
    const AspectQuery& q = queries[i];
    const double angle = kAspectKinds[static_cast<std::size_t>(q.kind)].angle;
    const auto distance = [&](const Positions& p) {
      const double other = q.natalLongitude ? *q.natalLongitude : p[static_cast<std::size_t>(q.to)];
      return std::fabs(std::fabs(wrap180(p[2] - other)) - angle);
    };
    // Brute force: the minute of least distance within the day in the direction of motion.
    const int direction = timings[i].applying ? 1 : -1;
    qint64 best = minuteOf(t);
    double least = distance(now);
    for (int k = 1; k <= 1440; ++k) {
      const double d = distance(chartAt(s, minuteOf(t) + direction * k));
      if (d < least) {
        least = d;
        best = minuteOf(t) + direction * k;
      }
    }
    const bool perfects = least < 0.02 && best != minuteOf(t) + direction * 1440;
    EXPECT_EQ(timings[i].exact.has_value(), perfects) << i;
    if (timings[i].exact && perfects) {
      EXPECT_LE(std::llabs(minuteOf(*timings[i].exact) - best), 1) << i;
    }
  }
  // The Ascendant 10 degrees short of a natal point: applying, exact within the hour, where the
  // clock's own charts cross it; near the pole, where Placidus has no Ascendant, no time for it,
  // while the bodies keep theirs.
  const std::vector<AspectQuery> angle{{13, 0, 1, now[13] + 10.0}, {2, 0, 1, now[2] + 3.0}};
  const std::vector<AspectTiming> rising = ExactAspectTimes(s, theory(), t, angle);
  ASSERT_TRUE(rising[0].applying && rising[0].exact);
  EXPECT_GT(*rising[0].exact, t);
  EXPECT_LT(*rising[0].exact, t.addSecs(3600));
  const qint64 exact = minuteOf(*rising[0].exact);
  EXPECT_LT(wrap180(chartAt(s, exact - 1)[13] - now[13] - 10.0), 0);
  EXPECT_GT(wrap180(chartAt(s, exact + 1)[13] - now[13] - 10.0), 0);
  Settings polar = s;
  polar.LatDeg = 80;
  const std::vector<AspectTiming> north = ExactAspectTimes(polar, theory(), t, angle);
  EXPECT_FALSE(north[0].exact);
  EXPECT_EQ(north[1].exact, timings[6].exact);

  AspectTiming shown{true, QDateTime(QDate(2026, 3, 10), QTime(13, 32), Qt::UTC)};
  EXPECT_EQ(AspectTimingText(shown, 3600), QStringLiteral("applying, exact 14:32"));
  shown.applying = false;
  shown.exact.reset();
  EXPECT_EQ(AspectTimingText(shown, 0), QStringLiteral("separating"));
}

}  // namespace
