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
#include "chart/MoonTypes.h"
#include "settings/Settings.h"

// The rule a stored or typed number names; anything else is the degree test.
VoidRule VoidRuleFromNumber(int number);
// "degree test", "classical rule (Sun..Saturn)", "modern rule (Sun..Pluto)": how the rule is
// named where a window is shown; and its short name in the status lines and the scan: "degree
// test", "classical", "modern".
QString VoidRuleName(VoidRule rule);
QString VoidRuleShortName(VoidRule rule);
// The bodies a rule counts (chart points).
std::vector<int> VoidBodies(VoidRule rule);
// "square Saturn".
QString MoonAspectText(const MoonAspect& aspect);
// "new", "waxing crescent", ... "waning crescent".
QString MoonPhaseText(MoonPhaseName phase);
// The phase of an elongation of the Moon from the Sun (degrees, any value).
MoonPhaseName MoonPhaseOfElongation(double elongation);

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
