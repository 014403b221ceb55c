// SPDX-License-Identifier: GPL-3.0-or-later
// Precise positions: the chart's points and cusps from the Swiss Ephemeris and its data files,
// for a user who compares the clock with other astrology programs. The documented theory stays
// the default; Settings::Ephemeris chooses this instead, and the views read the same Chart.
#ifndef HELIODIAL_PRECISEPOSITIONS_H
#define HELIODIAL_PRECISEPOSITIONS_H

#include <QDate>

#include "chart/ClockState.h"
#include "settings/Settings.h"

// Where the Debian package swe-basic-data puts the files (1800-2399). The library's own
// SE_EPHE_PATH variable still wins, so a user can point it at files of more years.
inline constexpr char kEphemerisDirectory[] = "/usr/share/libswe/ephe";
// The years those files cover; outside them Chiron has no position (the other bodies do).
inline constexpr int kPreciseFirstYear = 1800;
inline constexpr int kPreciseLastYear = 2399;

// The Julian day (universal time) of a UT date and hour, on the Gregorian calendar as QDate.
double PreciseJulianDay(QDate utDate, double utHours);

// The library's flags for point 1..12 as the chart holds it: apparent ecliptic longitudes of date
// with speeds; heliocentric for Earth (slot 1) and the planets and Chiron, while the Moon and the
// Node stay geocentric as in the documented theory; sidereal with the Fagan/Bradley ayanamsa.
int PreciseBody(int point, bool helio);
int PreciseFlags(int point, bool helio, bool sidereal);
// The library's letter for a house system (P K C T M O R X E), 0 for None.
char PreciseHouseLetter(HouseSystem system);

// Fills TruePos 1..12, Speed 1..12, CuspPos, HasCusps, LST, T, Obliquity and ZodiacOffset of the
// chart for the UT date and hours, and ChironMissing outside the files' years. Throws ChartError
// where Placidus or Koch has no cusps (within the polar circles), as the theory does. The
// library keeps global state and is not reentrant: the clock calls it from its one thread only.
void PreciseChart(const Settings& settings, QDate utDate, double utHours, Chart& chart);

// One point alone, exactly as PreciseChart gives it, for the searches that follow a point or two
// through time and need not pay for the other bodies, the nutation and the houses at each step:
// the longitude of body 1..12 (0 for a Chiron beyond the files), and the Ascendant and the
// Midheaven (only where the house system has cusps at this latitude: PreciseChart says where).
double PreciseLongitude(const Settings& settings, double jd, int point);
struct PreciseAngleLongitudes {
  double ascendant;
  double midheaven;
};
PreciseAngleLongitudes PreciseAngles(const Settings& settings, double jd);

// Whether the library has been handed its file directory (the first precise chart does it).
bool PreciseEphemerisOpened();

#endif
