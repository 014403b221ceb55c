// SPDX-License-Identifier: GPL-3.0-or-later
// The Moon's timetable: when she changes sign, when she is void of course and after which aspect,
// her phase, and when the aspects of the lists perfect. Pure functions of the settings (which
// ephemeris, which void test) and a moment in Universal Time; no display, no clock.
//
// Every time is found by bracketing a crossing on a coarse grid of positions and refining it by
// root-finding, never by stepping minute by minute, and is given as a whole minute in UTC: an
// ingress as the first minute in which the Moon stands in the new sign (the minute from which the
// clock shows her there), an exact aspect as the nearest minute. The positions are those of the
// chart (ComputePositions), so the timetable always agrees with what the wheel shows at the same
// moment.
#ifndef HELIODIAL_MOONTIMETABLE_H
#define HELIODIAL_MOONTIMETABLE_H

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "chart/ClockState.h"
#include "settings/Settings.h"

// Which void of course: 0 the degree-in-sign test of the clock (VoidOfCourse with Do30/Do45),
// 1 classical, 2 modern. Rules 1 and 2 count the Moon's conjunction, sextile, square, trine and
// opposition, to Sun..Saturn and to Sun..Pluto.
enum class VoidRule { Degree = 0, Classical = 1, Modern = 2 };
inline constexpr int kVoidRuleCount = 3;
// The rule a stored or typed number names; anything else is the degree test.
VoidRule VoidRuleFromNumber(int number);
// "degree test", "classical rule (Sun..Saturn)", "modern rule (Sun..Pluto)": how the rule is
// named where a window is shown.
QString VoidRuleName(VoidRule rule);

// The aspect kinds the Moon's void counts (kind indexes of kAspectKinds), and the bodies a rule
// counts (chart points).
inline constexpr int kVoidAspectKinds[] = {0, 3, 5, 6, 10};
std::vector<int> VoidBodies(VoidRule rule);

// The Moon's exact aspect: aspect kind index (kAspectKinds), chart point 1..10, the minute UTC.
struct MoonAspect {
  int kind = 0;
  int body = 0;
  QDateTime exact;
};
// "square Saturn".
QString MoonAspectText(const MoonAspect& aspect);

// A void window [start, end), both UTC minutes. Rules 1 and 2: from the last exact aspect in the
// sign (or the ingress into it when she makes none, lastAspect then empty) to the next ingress.
// Rule 0: the minutes in which VoidOfCourse holds (lastAspect always empty).
struct VoidWindow {
  QDateTime start;
  QDateTime end;
  std::optional<MoonAspect> lastAspect;
  VoidRule rule = VoidRule::Degree;
  bool contains(const QDateTime& utc) const { return start <= utc && utc < end; }
};

// The Moon's entry into a sign: the minute UTC and the sign 0 Aries .. 11 Pisces.
struct MoonIngress {
  QDateTime time;
  int sign = 0;
};

enum class MoonPhaseName {
  New,
  WaxingCrescent,
  FirstQuarter,
  WaxingGibbous,
  Full,
  WaningGibbous,
  LastQuarter,
  WaningCrescent
};
// "new", "waxing crescent", ... "waning crescent".
QString MoonPhaseText(MoonPhaseName phase);
// The principal phases (new, quarters, full) are named within this many degrees of their exact
// elongation: the Moon gains about 12.2 degrees a day on the Sun, so each is named for about a day
// around its exact moment, as calendars name the day of the phase.
inline constexpr double kPrincipalPhaseBand = 6.0;
// The phase of an elongation of the Moon from the Sun (degrees, any value).
MoonPhaseName MoonPhaseOfElongation(double elongation);

struct LunarPhase {
  MoonPhaseName name = MoonPhaseName::New;
  double elongation = 0;   // Moon minus Sun, degrees in [0, 360)
  double illuminated = 0;  // fraction of the disc lit, (1 - cos elongation) / 2
  QDateTime nextNew;       // the next exact new and full Moon after the moment, UTC minutes
  QDateTime nextFull;
};

// What a tooltip, a status line or D-Bus show at one moment.
struct MoonNow {
  double longitude = 0;                  // the Moon's, as the chart has it
  std::optional<VoidWindow> voidWindow;  // the present window, or the next; empty only when the
                                         // rule-0 tests are both off
  MoonIngress nextIngress;
  LunarPhase phase;
  bool isVoid(const QDateTime& utc) const { return voidWindow && voidWindow->contains(utc); }
};

// The Moon at a moment: her present (or next) void window under the rule, her next ingress and
// her phase. A few milliseconds of work.
MoonNow MoonAt(const Settings& settings, const TheoryTable& theory, const QDateTime& utc,
               VoidRule rule);

// The present (or next) void window alone.
std::optional<VoidWindow> VoidWindowAt(const Settings& settings, const TheoryTable& theory,
                                       const QDateTime& utc, VoidRule rule);
MoonIngress NextMoonIngress(const Settings& settings, const TheoryTable& theory,
                            const QDateTime& utc);
LunarPhase MoonPhaseAt(const Settings& settings, const TheoryTable& theory, const QDateTime& utc);

// One stay of the Moon in a sign: the ingress that began it, the next ingress that ends it, and
// its void window: for rules 1 and 2 the window that ends at the next ingress; for rule 0 the last
// window that begins within the stay (with the 45 degree test its segments are not signs), or none.
struct MoonStay {
  int sign = 0;
  QDateTime ingress;
  QDateTime nextIngress;
  std::optional<VoidWindow> voidWindow;
};
// The stays from the one in progress at utcStart to the last that begins before utcStart + days.
std::vector<MoonStay> MoonStays(const Settings& settings, const TheoryTable& theory,
                                const QDateTime& utcStart, int days, VoidRule rule);

// Exact times for the aspect lists: an aspect found between transit points `from` and `to` (chart
// points 1..14), or between transit point `from` and a natal longitude. kind is the aspect kind
// index; the custom kind takes Settings::CustomAngle.
struct AspectQuery {
  int from = 0;
  int kind = 0;
  int to = 0;
  std::optional<double> natalLongitude;  // set: `to` is a natal point at this longitude
};
struct AspectTiming {
  bool applying = false;           // the distance from exactness is shrinking at the moment
  std::optional<QDateTime> exact;  // applying: the next exact minute within 24 hours;
                                   // separating: the last within the 24 hours before
};
// Timings for many aspects of one moment share one set of positions. An aspect whose points have
// no position then (angles where the house system has none) is separating without a time.
std::vector<AspectTiming> ExactAspectTimes(const Settings& settings, const TheoryTable& theory,
                                           const QDateTime& utc,
                                           const std::vector<AspectQuery>& queries);
// "applying, exact 14:32" / "separating, exact 09:10" in the local time of zoneSeconds;
// "applying" or "separating" alone when it does not perfect within the day.
QString AspectTimingText(const AspectTiming& timing, int zoneSeconds);

// The Moon's longitude as the chart has it at a moment (for tests and checks).
double MoonLongitudeAt(const Settings& settings, const TheoryTable& theory, const QDateTime& utc);

#endif
