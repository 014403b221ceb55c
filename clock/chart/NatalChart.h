// SPDX-License-Identifier: GPL-3.0-or-later
// The natal chart as the settings dialog handles it: a longitude shown as sign, degrees and
// minutes and read back from them, and a natal chart computed from birth data with the clock's
// own chart computation. No widgets: the dialog's natal page and its birth-data form call these.
#ifndef HELIODIAL_NATALCHART_H
#define HELIODIAL_NATALCHART_H

#include <QDate>
#include <QTime>
#include <QTimeZone>
#include <array>

#include "chart/ClockState.h"
#include "model/Angles.h"

using NatalLongitudes = std::array<double, kPointCount + 1>;  // points 1..14, slot 0 unused

// One row of the natal page: sign 0 Aries .. 11 Pisces (-1: none fits), degrees within the sign
// 0..29 and minutes 0..59, each limited to its field's range as the fields would limit it.
struct NatalFields {
  int sign = -1;
  int degrees = 0;
  int minutes = 0;
  bool operator==(const NatalFields&) const = default;
};

// Sign = Trunc(x / 30), minutes = Round(Frac(x) x 60) with halves to even, degrees =
// Trunc(x) mod 30, in extended precision; 45.999 gives Taurus 15 59, not 16 00, since the
// minute field stops at 59. Values that are not finite give no sign and zeros.
NatalFields NatalFieldsOf(double longitude);

// The longitude a row stands for: sign x 30 + degrees + minutes / 60 in extended precision.
double NatalLongitudeOf(const NatalFields& fields);

// How a local clock time maps onto a time zone at one date.
struct LocalMoment {
  enum class Kind {
    Unique,    // the time occurred once
    Skipped,   // the clocks jumped over it (the start of daylight saving time)
    Repeated,  // it occurred twice (the clocks were put back)
  };
  Kind kind = Kind::Unique;
  // The offset the computation uses, seconds east of Greenwich: the only one; for a skipped time
  // the offset in force before the jump (the moment as a clock not yet put forward would show
  // it); for a repeated time its first occurrence.
  int offsetSeconds = 0;
  // The other offset of a skipped or repeated time: after the jump, or of the second occurrence.
  int otherOffsetSeconds = 0;
  // Daylight saving time is in force at the instant used (for a skipped time that instant lies
  // after the jump).
  bool daylight = false;
};

// Needs a valid zone. The offset comes from the zone's history at that date, daylight saving
// time included.
LocalMoment ResolveLocalTime(const QTimeZone& zone, QDate date, QTime time);

// A local date and clock time under the settings' zone rule: ResolveLocalTime in a zone that keeps
// daylight-saving rules (ZoneRules), else the one fixed ZoneOffset, unique.
LocalMoment ResolveSettingsLocalTime(const Settings& settings, QDate date, QTime time);

// A place as the settings dialog enters it: degrees and minutes with their hemispheres.
struct BirthPlace {
  int latD = 0;
  int latM = 0;
  bool north = true;
  int longD = 0;
  int longM = 0;
  bool west = false;
};

// The birth data of a natal chart: local date and clock time, the place, and the zone offset at
// that moment (hours, local time minus Universal Time).
struct BirthData {
  QDate date;
  QTime time;
  BirthPlace place;
  double zoneOffset = 0;
};

// The fourteen longitudes of the chart of that moment and place, computed as the clock computes
// its own chart: with a copy of base (zodiac, house system, ephemeris) whose place and zone are
// the birth data's. Without a house system the Equal houses give the Ascendant and Midheaven.
// Throws ChartError where the house system has no cusps at that latitude.
NatalLongitudes BirthPositions(const Settings& base, const TheoryTable& theory,
                               const BirthData& birth);

#endif
