// SPDX-License-Identifier: GPL-3.0-or-later
// The values of the Moon's timetable, apart from its functions (MoonTimetable.h), so that a
// chart can carry the Moon of its moment and the timings of its aspects.
#ifndef HELIODIAL_MOONTYPES_H
#define HELIODIAL_MOONTYPES_H

#include <QDateTime>
#include <optional>

// Which void of course: 0 the degree-in-sign test of the clock (VoidOfCourse with Do30/Do45),
// 1 classical, 2 modern. Rules 1 and 2 count the Moon's conjunction, sextile, square, trine and
// opposition, to Sun..Saturn and to Sun..Pluto.
enum class VoidRule { Degree = 0, Classical = 1, Modern = 2 };
inline constexpr int kVoidRuleCount = 3;

// The aspect kinds the Moon's void counts (kind indexes of kAspectKinds).
inline constexpr int kVoidAspectKinds[] = {0, 3, 5, 6, 10};

// The Moon's exact aspect: aspect kind index (kAspectKinds), chart point 1..10, the minute UTC.
struct MoonAspect {
  int kind = 0;
  int body = 0;
  QDateTime exact;
};

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
// The principal phases (new, quarters, full) are named within this many degrees of their exact
// elongation: the Moon gains about 12.2 degrees a day on the Sun, so each is named for about a day
// around its exact moment, as calendars name the day of the phase.
inline constexpr double kPrincipalPhaseBand = 6.0;

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

// When an aspect of the lists perfects (ExactAspectTimes).
struct AspectTiming {
  bool applying = false;           // the distance from exactness is shrinking at the moment
  std::optional<QDateTime> exact;  // applying: the next exact minute within 24 hours;
                                   // separating: the last within the 24 hours before
};

#endif
