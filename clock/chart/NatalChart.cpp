// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/NatalChart.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <set>

#include "chart/ComputeChart.h"

namespace {

// The Julian day of 1970-01-01, the start of the epoch the time-zone database counts from.
constexpr qint64 kEpochJulianDay = 2440588;
constexpr qint64 kMsPerDay = 86400000;
constexpr qint64 kMsPerHour = 3600000;

int OffsetAt(const QTimeZone& zone, qint64 utcMs) {
  return zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC));
}

}  // namespace

NatalFields NatalFieldsOf(double longitude) {
  NatalFields f;
  if (!std::isfinite(longitude)) return f;
  const long double x = longitude;
  // The comparisons come before any conversion to int, so no longitude can overflow one.
  const long double sign = std::trunc(x * (1.0L / 30.0L));
  if (sign >= 0 && sign <= 11) f.sign = static_cast<int>(sign);
  const long double whole = std::trunc(x);
  // rint rounds halves to even in the default rounding mode, as the page always has.
  const long double minutes = std::rint((x - whole) * 60.0L);
  f.minutes = static_cast<int>(std::clamp(minutes, 0.0L, 59.0L));
  const long double degrees = std::fmod(whole, 30.0L);  // keeps the dividend's sign
  f.degrees = static_cast<int>(std::clamp(degrees, 0.0L, 29.0L));
  return f;
}

double NatalLongitudeOf(const NatalFields& f) {
  const long double x = static_cast<long double>(f.sign) * 30.0L + f.degrees +
                        static_cast<long double>(f.minutes) * (1.0L / 60.0L);
  return static_cast<double>(x);
}

LocalMoment ResolveLocalTime(const QTimeZone& zone, QDate date, QTime time) {
  // The local time read as if it were Universal Time; the true instant is this less the offset.
  const qint64 local =
      (date.toJulianDay() - kEpochJulianDay) * kMsPerDay + time.msecsSinceStartOfDay();
  // Every offset the zone had within a day and a half either side: a local time can only belong to
  // one of those.
  std::set<int> offsets;
  for (int step = -12; step <= 12; ++step)
    offsets.insert(OffsetAt(zone, local + step * 3 * kMsPerHour));
  std::set<int> more;
  for (const int o : offsets) more.insert(OffsetAt(zone, local - o * 1000LL));
  offsets.merge(more);

  // An offset fits when the instant it gives has that offset.
  std::vector<int> fitting;  // largest offset first: the earlier instant
  for (auto o = offsets.rbegin(); o != offsets.rend(); ++o) {
    if (OffsetAt(zone, local - *o * 1000LL) == *o) fitting.push_back(*o);
  }

  LocalMoment m;
  if (fitting.size() == 1) {
    m.kind = LocalMoment::Kind::Unique;
    m.offsetSeconds = m.otherOffsetSeconds = fitting.front();
  } else if (fitting.size() >= 2) {
    m.kind = LocalMoment::Kind::Repeated;
    m.offsetSeconds = fitting.front();
    m.otherOffsetSeconds = fitting[1];
  } else {
    // In a gap: with the largest offset the instant falls before the jump, so it gives the offset
    // in force before it; with the smallest, after it.
    m.kind = LocalMoment::Kind::Skipped;
    m.offsetSeconds = OffsetAt(zone, local - *offsets.rbegin() * 1000LL);
    m.otherOffsetSeconds = OffsetAt(zone, local - *offsets.begin() * 1000LL);
  }
  m.daylight = zone.isDaylightTime(
      QDateTime::fromMSecsSinceEpoch(local - m.offsetSeconds * 1000LL, Qt::UTC));
  return m;
}

LocalMoment ResolveSettingsLocalTime(const Settings& s, QDate date, QTime time) {
  if (s.ZoneRules) return ResolveLocalTime(s.Zone, date, time);
  LocalMoment m;
  m.offsetSeconds = m.otherOffsetSeconds = static_cast<int>(std::lround(s.ZoneOffset * 3600));
  return m;
}

NatalLongitudes BirthPositions(const Settings& base, const TheoryTable& theory,
                               const BirthData& birth) {
  Settings s = base;
  const BirthPlace& p = birth.place;
  s.LatDeg = p.north ? p.latD : -p.latD;
  s.LatMin = p.north ? p.latM : -p.latM;
  s.LongDeg = p.west ? p.longD : -p.longD;
  s.LongMin = p.west ? p.longM : -p.longM;
  s.ZoneOffset = birth.zoneOffset;
  // Without cusps the chart has no Ascendant or Midheaven; Equal houses always have both.
  if (*ephem::HouseSystemName(s.HouseCode) == '\0') s.HouseCode = HouseSystem::Equal;
  const Chart chart = ComputeChart(s, theory, birth.date, birth.time);
  NatalLongitudes positions{};
  for (int p = 1; p <= kPointCount; ++p) positions[p] = chart.TruePos[p];
  return positions;
}
