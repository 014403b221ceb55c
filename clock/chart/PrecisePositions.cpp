// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PrecisePositions.h"

#include <swephexp.h>

#include <QString>
#include <cmath>
#include <numbers>

#include "chart/ComputeChart.h"
#include "ephemlib_houses.h"
#include "model/Angles.h"

namespace {

bool opened = false;
int siderealModeSet = -1;

// The directory is handed over at the first precise chart, never at start: a clock that keeps the
// documented theory opens no ephemeris file at all. The library opens the files it needs on the
// first computation and keeps them open.
void openEphemeris() {
  if (opened) return;
  swe_set_ephe_path(kEphemerisDirectory);
  opened = true;
}

// Setting the mode makes the library forget what it computed last, so it is set only when it
// changes (a test or tool in the same process may have set it too: setting it again is harmless).
void useFaganBradley() {
  if (siderealModeSet == SE_SIDM_FAGAN_BRADLEY) return;
  swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0, 0);
  siderealModeSet = SE_SIDM_FAGAN_BRADLEY;
}

// The chart's speed unit (what MakeSign reads for the motion mark): 60 x radians per day.
constexpr double kSpeedPerDegreePerDay = 60.0 * std::numbers::pi / 180.0;

constexpr int kBody[kBodyCount + 1] = {-1,       SE_SUN,       SE_MOON,   SE_MERCURY, SE_VENUS,
                                       SE_MARS,  SE_JUPITER,   SE_SATURN, SE_URANUS,  SE_NEPTUNE,
                                       SE_PLUTO, SE_TRUE_NODE, SE_CHIRON};

QString decimal(double x, int places) { return QString::number(x, 'f', places); }

}  // namespace

double PreciseJulianDay(QDate utDate, double utHours) {
  return swe_julday(utDate.year(), utDate.month(), utDate.day(), utHours, SE_GREG_CAL);
}

int PreciseBody(int point, bool helio) {
  // In the documented theory's heliocentric chart the Sun's slot holds the Earth.
  if (helio && point == 1) return SE_EARTH;
  return kBody[point];
}

int PreciseFlags(int point, bool helio, bool sidereal) {
  int flags = SEFLG_SWIEPH | SEFLG_SPEED;
  // The theory keeps the Moon and the Node geocentric in a heliocentric chart.
  if (helio && point != 2 && point != 11) flags |= SEFLG_HELCTR;
  if (sidereal) flags |= SEFLG_SIDEREAL;
  return flags;
}

char PreciseHouseLetter(HouseSystem system) {
  switch (system) {
    case HouseSystem::Placidus:
      return 'P';
    case HouseSystem::Koch:
      return 'K';
    case HouseSystem::Campanus:
      return 'C';
    case HouseSystem::Topocentric:
      return 'T';
    case HouseSystem::Morinus:
      return 'M';
    case HouseSystem::Porphyry:
      return 'O';
    case HouseSystem::Regiomontanus:
      return 'R';
    case HouseSystem::Meridian:
      return 'X';
    case HouseSystem::Equal:
      return 'E';
    case HouseSystem::None:
      break;
  }
  return 0;
}

bool PreciseEphemerisOpened() { return opened; }

namespace {

// The library's answer for point 1..12 of a chart with these settings; negative where it has none
// (only Chiron, beyond its files).
int calcPoint(const Settings& s, double jd, int point, double x[6]) {
  const bool helio = s.HelioMode == 1;
  const bool sidereal = s.SiderealZodiac == 1;
  char error[AS_MAXCH];
  return swe_calc_ut(jd, PreciseBody(point, helio), PreciseFlags(point, helio, sidereal), x, error);
}

int housesOf(const Settings& s, double jd, char letter, double cusps[13], double ascmc[10]) {
  const double latitude = s.LatDeg + s.LatMin / 60.0;
  const double longitudeWest = s.LongDeg + s.LongMin / 60.0;
  return swe_houses_ex(jd, s.SiderealZodiac == 1 ? SEFLG_SIDEREAL : 0, latitude, -longitudeWest,
                       letter, cusps, ascmc);
}

void prepare(const Settings& s) {
  openEphemeris();
  if (s.SiderealZodiac == 1) useFaganBradley();
}

}  // namespace

double PreciseLongitude(const Settings& s, double jd, int point) {
  prepare(s);
  double x[6] = {};
  return calcPoint(s, jd, point, x) < 0 ? 0.0 : FoldLongitude(x[0]);
}

PreciseAngleLongitudes PreciseAngles(const Settings& s, double jd) {
  // Without a house system the chart's cusps, and so its angles, stay at 0.
  const char letter = PreciseHouseLetter(s.HouseCode);
  if (letter == 0) return {0.0, 0.0};
  prepare(s);
  double cusps[13] = {}, ascmc[10] = {};
  housesOf(s, jd, letter, cusps, ascmc);
  return {FoldLongitude(cusps[1]),
          FoldLongitude(s.HouseCode == HouseSystem::Equal ? ascmc[1] : cusps[10])};
}

void PreciseChart(const Settings& s, QDate utDate, double utHours, Chart& chart) {
  prepare(s);
  const bool sidereal = s.SiderealZodiac == 1;
  const double jd = PreciseJulianDay(utDate, utHours);
  const double latitude = s.LatDeg + s.LatMin / 60.0;
  const double longitudeWest = s.LongDeg + s.LongMin / 60.0;
  char error[AS_MAXCH];

  double nutation[6] = {};
  swe_calc_ut(jd, SE_ECL_NUT, SEFLG_SWIEPH, nutation, error);
  const double obliquity = nutation[0];  // true obliquity of date, degrees
  double ayanamsa = 0;
  if (sidereal) swe_get_ayanamsa_ex_ut(jd, SEFLG_SWIEPH, &ayanamsa, error);

  chart.T = (jd - 2415020.0) / 36525.0;
  chart.Obliquity = obliquity * std::numbers::pi / 180.0;
  chart.ZodiacOffset = sidereal ? -ayanamsa : 0.0;  // what is added to a tropical longitude

  // Cusps first, as the theory computes them: a house system without cusps ends the chart here.
  const char letter = PreciseHouseLetter(s.HouseCode);
  double cusps[13] = {}, ascmc[10] = {};
  if (letter != 0) {
    const int got = housesOf(s, jd, letter, cusps, ascmc);
    const double lst = ascmc[2] / 15.0;
    // Within the polar circles the library quietly gives Porphyry cusps for Placidus and Koch
    // (and says so only by its return value); the clock says these systems have no cusps there.
    const bool semiArc = letter == 'P' || letter == 'K';
    if (got < 0 || (semiArc && std::fabs(latitude) >= 90.0 - obliquity)) {
      const std::string system = ephem::HouseSystemName(s.HouseCode);
      throw NoCuspsError(system + " houses cannot be computed at latitude " +
                             decimal(latitude, 2).toStdString() + " degrees (sidereal time " +
                             decimal(lst, 4).toStdString() +
                             " h): so near the pole part of the ecliptic never rises or sets, "
                             "and this system's cusps do not exist there. Choose a house system "
                             "that works at every latitude, such as Porphyry or Equal.",
                         s.HouseCode, latitude);
    }
    for (int i = 1; i <= 12; ++i) chart.CuspPos[i] = FoldLongitude(cusps[i]);
    // Slot 0 carries the Midheaven for Equal houses, where cusp 10 is the Ascendant + 270.
    chart.CuspPos[0] = s.HouseCode == HouseSystem::Equal ? FoldLongitude(ascmc[1]) : 0.0;
    chart.HasCusps = true;
    chart.LST = lst;
  } else {
    // No system: no cusps, but the sidereal time of the place all the same.
    chart.LST = FoldLongitude(swe_sidtime(jd) * 15.0 - longitudeWest) / 15.0;
  }

  chart.ChironMissing = false;
  for (int point = 1; point <= kBodyCount; ++point) {
    double x[6] = {};
    if (calcPoint(s, jd, point, x) < 0) {
      // Only Chiron can fail: the other bodies have the library's own theory beyond the files.
      chart.TruePos[point] = 0;
      chart.Speed[point] = 0;
      if (point == 12) chart.ChironMissing = true;
      continue;
    }
    chart.TruePos[point] = FoldLongitude(x[0]);
    chart.Speed[point] = x[3] * kSpeedPerDegreePerDay;
  }
}
