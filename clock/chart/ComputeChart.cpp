// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ComputeChart.h"

#include <QString>
#include <cmath>
#include <numbers>
#include <optional>

#include "chart/DisplayText.h"
#include "chart/LibraryImports.h"
#include "chart/MoonTimetable.h"
#include "chart/PrecisePositions.h"
#include "ephemlib_houses.h"
#include "model/Angles.h"

namespace {

std::string shortString(const unsigned char* text) {
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

}  // namespace

QDateTime systemLocalTime() { return QDateTime::currentDateTime(); }

TheoryTable InitialTheoryTable() {
  TheoryTable table{};
  libraryImports().InitialisePlanets(table.data(), EPHEM_THEORY_TABLE_HIGH);
  return table;
}

UniversalTime toUniversalTime(QTime localTime, QDate localDate, double zoneOffsetHours) {
  double ut = localTime.msecsSinceStartOfDay() / 3600000.0 - zoneOffsetHours;
  QDate date = localDate;
  if (ut < 0) {
    ut += 24;
    date = date.addDays(-1);
  }
  if (ut >= 24) {
    ut -= 24;
    date = date.addDays(1);
  }
  return {ut, date};
}

bool CalcHouses(HouseSystem houseCode, double lst, double latitude, double obliquity,
                double zodiacOffset, std::array<double, 15>& cuspPos) {
  return ephem::HouseCusps(libraryImports(), houseCode, cuspPos.data(),
                           static_cast<int32_t>(cuspPos.size()) - 1, lst, latitude, obliquity,
                           zodiacOffset);
}

double Mod30(double x) { return x - 30 * std::trunc(x * (1.0 / 30)); }
double Mod45(double x) { return x - 45 * std::trunc(x * (1.0 / 45)); }

bool VoidOfCourse(const std::array<double, 15>& pos, bool do30, bool do45) {
  bool active = false;
  const auto test = [&pos](double (*mod)(double)) {
    const double moon = mod(pos[2]);
    for (int i = 1; i <= 10; ++i) {
      if (mod(pos[i]) > moon) return false;
    }
    return true;
  };
  if (do30) active = test(&Mod30);
  if (do45) active = test(&Mod45);
  return active;
}

int TrayIconNumber(double ascendant, bool vocActive, bool vocIcon) {
  if (vocActive && vocIcon) return 13;
  return static_cast<int>(std::trunc(FoldLongitude(ascendant) / 30)) + 1;
}

ChartError NoCuspsError(const std::string& reason, HouseSystem system, double latitude) {
  const std::string name = ephem::HouseSystemName(system);
  const std::string where = QString::number(latitude, 'f', 2).toStdString();
  return ChartError(reason + "\nThe " + name + " houses cannot be drawn at latitude " + where +
                        ". Choose Equal houses in the settings to see the chart here.",
                    "houses " + name + " at " + where);
}

namespace {

// Positions, speeds, cusps and the quantities of the moment from the documented theory.
void TheoryChart(const Settings& s, const TheoryTable& theory, int32_t jd, const UniversalTime& ut,
                 Chart& chart) {
  const LibraryImports& lib = libraryImports();
  double zodiacOffset = s.SiderealZodiac == 1 ? 1.0 : 0.0;  // non-zero asks for the correction
  const double latitude = s.LatDeg + s.LatMin / 60.0;
  const double longitude = s.LongDeg + s.LongMin / 60.0;

  double lst = 0, t = 0, obliquity = 0;
  unsigned char siderealText[11];
  lib.SidTime(jd, &zodiacOffset, &lst, ut.hours, &t, &obliquity, longitude, siderealText);

  std::array<double, 15>& cusps = chart.CuspPos;
  try {
    chart.HasCusps = CalcHouses(s.HouseCode, lst, latitude, obliquity, zodiacOffset, cusps);
  } catch (const EphemArithmeticError& e) {
    throw NoCuspsError(e.what(), s.HouseCode, latitude);
  }

  std::array<double, 15>& pos = chart.TruePos;
  std::array<double, 15> declination{};
  std::array<double, 15> work{};
  std::array<uint8_t, 13> termCounts{};
  lib.PlanetCalc(1, kBodyCount, s.HelioMode, zodiacOffset, work.data(), 14, t, termCounts.data(),
                 12, 1, pos.data(), 14, declination.data(), 14, chart.Speed.data(), 14,
                 theory.data(), EPHEM_THEORY_TABLE_HIGH, 0);

  // The library may hand back a sidereal Node below 0 or a Sun of exactly 360; everything
  // downstream (texts, aspects, the void test, the wheel) expects [0, 360).
  for (int i = 1; i <= kBodyCount; ++i) pos[i] = FoldLongitude(pos[i]);
  for (int i = 0; i <= 12; ++i) cusps[i] = FoldLongitude(cusps[i]);

  chart.LST = lst;
  chart.T = t;
  chart.Obliquity = obliquity;
  chart.ZodiacOffset = zodiacOffset;
}

}  // namespace

void ComputePositions(const Settings& s, const TheoryTable& theory, const UniversalTime& ut,
                      Chart& chart) {
  if (s.Ephemeris == 1) {
    PreciseChart(s, ut.date, ut.hours, chart);
  } else {
    const int32_t jd = libraryImports().JulDay(ut.date.month(), ut.date.day(), ut.date.year());
    TheoryChart(s, theory, jd, ut, chart);
  }
}

Chart ComputeChart(const Settings& s, const TheoryTable& theory, QDate localDate, QTime localTime) {
  const LibraryImports& lib = libraryImports();
  Chart chart;
  chart.Date = localDate;
  chart.Time = localTime;

  const UniversalTime ut = toUniversalTime(localTime, localDate, s.ZoneOffset);
  ComputePositions(s, theory, ut, chart);
  chart.JD = lib.JulDay(ut.date.month(), ut.date.day(), ut.date.year());
  chart.UT = ut.hours;

  std::array<double, 15>& pos = chart.TruePos;
  const std::array<double, 15>& cusps = chart.CuspPos;
  pos[kAscendant] = cusps[1];
  pos[kMidheaven] = s.HouseCode == HouseSystem::Equal ? cusps[0] : cusps[10];
  chart.Speed[kAscendant] = chart.Speed[kMidheaven] = 1.0;

  unsigned char text[11];
  for (int i = 1; i <= kPointCount; ++i) {
    lib.MakeSign(pos[i], chart.Speed[i], text);
    chart.PlanetSign[i] = shortString(text);
  }
  // A Chiron the ephemeris files do not cover has no position to show.
  if (chart.ChironMissing) chart.PlanetSign[12].assign(1, '-');
  for (int i = 1; i <= 12; ++i) {
    lib.MakeSign(cusps[i], 1.0, text);
    chart.CuspSign[i] = shortString(text);
  }
  chart.VOCActive = VoidOfCourse(pos, s.Do30, s.Do45);
  return chart;
}

Settings WithoutMissingChiron(const Settings& s, const Chart& chart) {
  if (!chart.ChironMissing) return s;
  Settings without = s;
  without.AspectFrom[12] = without.AspectTo[12] = false;
  return without;
}

PositionRows PositionTable(const Chart& chart) {
  PositionRows rows;
  for (int i = 1; i <= 12; ++i) {
    rows[i] = {glyphSymbol(pointGlyphCode(i)), libraryText(chart.PlanetSign[i]), QString::number(i),
               libraryText(chart.CuspSign[i])};
  }
  return rows;
}

namespace {

// Whether the Moon of an earlier minute still holds at utc: her window, ingress and the phase's
// next new and full Moon are all still ahead or in progress, so nothing between has changed them.
bool MoonStillHolds(const MoonNow& moon, const QDateTime& utc) {
  if (moon.voidWindow && moon.voidWindow->end <= utc) return false;
  return moon.nextIngress.time > utc && moon.phase.nextNew > utc && moon.phase.nextFull > utc;
}

// The timing of the same aspect in the chart before, when it is still true now: applying towards
// an exact minute still to come, or separating from one within the last day.
std::optional<AspectTiming> StillTrue(const Chart& previous, const AspectQuery& q,
                                      const QDateTime& utc) {
  const bool natal = q.natalLongitude.has_value();
  const std::vector<FoundAspect>& found = natal ? previous.Natal.found : previous.Transits.found;
  const std::vector<AspectTiming>& timings =
      natal ? previous.NatalTimings : previous.TransitTimings;
  if (timings.size() != found.size()) return std::nullopt;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const FoundAspect& a = found[i];
    if (a.from != q.from || a.to != q.to || AspectKindOfCode(a.code) != q.kind) continue;
    const AspectTiming& t = timings[i];
    if (!t.exact) return std::nullopt;
    if (t.applying ? *t.exact > utc : t.exact->secsTo(utc) < 24 * 3600) return t;
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

Chart ComputeLiveChart(const Settings& s, const TheoryTable& theory, const QDateTime& now,
                       bool previousVoid, const Chart* previous) {
  Chart chart = ComputeChart(s, theory, now.date(), now.time());
  chart.Moment = now;
  chart.IconNumber = TrayIconNumber(chart.CuspPos[1], previousVoid, s.VOCIcon);
  const Settings aspects = WithoutMissingChiron(s, chart);
  chart.Transits = FindTransitAspects(aspects, chart.TruePos, chart.HasCusps);
  chart.PairString = chart.Transits.pairString;
  chart.NatalSet = NatalChartSet(s);
  if (chart.NatalSet) chart.Natal = FindNatalAspects(aspects, chart.TruePos, chart.HasCusps);

  chart.MomentUtc =
      QDateTime(now.date(), now.time(), Qt::UTC).addSecs(-std::lround(s.ZoneOffset * 3600.0));
  const VoidRule rule = VoidRuleFromNumber(s.VOCRule);
  if (previous != nullptr &&
      !(previous->MomentUtc.isValid() && previous->MomentUtc <= chart.MomentUtc &&
        previous->MomentUtc.secsTo(chart.MomentUtc) <= 3600)) {
    previous = nullptr;
  }
  if (previous != nullptr && previous->Moon && MoonStillHolds(*previous->Moon, chart.MomentUtc)) {
    // Her times stand; where she is and how much of her is lit come from this chart.
    chart.Moon = previous->Moon;
    const double elongation =
        chart.TruePos[2] - chart.TruePos[1] - (s.HelioMode == 1 ? 180.0 : 0.0);
    chart.Moon->longitude = chart.TruePos[2];
    chart.Moon->phase.elongation = std::fmod(std::fmod(elongation, 360.0) + 360.0, 360.0);
    chart.Moon->phase.illuminated =
        (1.0 - std::cos(chart.Moon->phase.elongation * std::numbers::pi / 180.0)) / 2.0;
    chart.Moon->phase.name = MoonPhaseOfElongation(chart.Moon->phase.elongation);
  } else {
    try {
      chart.Moon = MoonAt(s, theory, chart.MomentUtc, rule);
    } catch (const std::exception&) {
      // The chart stands without her timetable; the Moon's lines are left out.
      chart.Moon.reset();
    }
  }
  if (rule != VoidRule::Degree) {
    // An aspect rule's window is known ahead, so the icon shows the present minute's state.
    chart.VOCActive = chart.Moon && chart.Moon->isVoid(chart.MomentUtc);
    chart.IconNumber = TrayIconNumber(chart.CuspPos[1], chart.VOCActive, s.VOCIcon);
  }
  if (s.ExactTimes) {
    // Both lists in two calls: the pairs of bodies on the coarse grid that their slow motion
    // allows, the pairs with an angle on the fine grid the angles need (which finds their
    // crossings within a few steps); one grid for all would step the slow pairs finely through
    // the whole day, too slow for a tick with precise positions.
    std::vector<AspectQuery> queries;
    for (const FoundAspect& a : chart.Transits.found) {
      queries.push_back({a.from, AspectKindOfCode(a.code), a.to, std::nullopt});
    }
    for (const FoundAspect& a : chart.Natal.found) {
      queries.push_back(
          {a.from, AspectKindOfCode(a.code), a.to, s.NatalPos[static_cast<std::size_t>(a.to)]});
    }
    const auto withAngle = [](const AspectQuery& q) {
      return q.from >= kAscendant || (!q.natalLongitude && q.to >= kAscendant);
    };
    // Timings still true from the chart before are kept; only the others are found.
    std::vector<std::optional<AspectTiming>> kept(queries.size());
    std::vector<AspectQuery> bodies, angles;
    for (std::size_t i = 0; i < queries.size(); ++i) {
      if (previous != nullptr) kept[i] = StillTrue(*previous, queries[i], chart.MomentUtc);
      if (!kept[i]) (withAngle(queries[i]) ? angles : bodies).push_back(queries[i]);
    }
    const std::vector<AspectTiming> bodyTimes =
        bodies.empty() ? std::vector<AspectTiming>()
                       : ExactAspectTimes(aspects, theory, chart.MomentUtc, bodies);
    const std::vector<AspectTiming> angleTimes =
        angles.empty() ? std::vector<AspectTiming>()
                       : ExactAspectTimes(aspects, theory, chart.MomentUtc, angles);
    std::vector<AspectTiming> timings;
    std::size_t b = 0, a = 0;
    for (std::size_t i = 0; i < queries.size(); ++i) {
      if (kept[i]) {
        timings.push_back(*kept[i]);
      } else {
        timings.push_back(withAngle(queries[i]) ? angleTimes[a++] : bodyTimes[b++]);
      }
    }
    const auto split = timings.begin() + static_cast<std::ptrdiff_t>(chart.Transits.found.size());
    chart.TransitTimings.assign(timings.begin(), split);
    chart.NatalTimings.assign(split, timings.end());
  }
  return chart;
}

AspectListUpdate AspectListFor(const Settings& s, const Chart& chart, AspectList list) {
  const bool natal = list == AspectList::TransitToNatal;
  const bool logMode = natal ? s.LogTN : s.LogTT;
  AspectListUpdate update;
  if (natal && !chart.NatalSet) {
    // All fourteen natal positions at 0 would list phantom aspects to 0 Aries every minute; a
    // log is left as it stands.
    if (!logMode) update = {true, true, true, {QString::fromLatin1(kNoNatalChart)}};
    return update;
  }
  const AspectPass& pass = natal ? chart.Natal : chart.Transits;
  update.replace = !logMode;
  update.setFont = pass.anyPairUsed;
  update.textFont = s.TextMode;
  const std::vector<AspectTiming>& timings = natal ? chart.NatalTimings : chart.TransitTimings;
  const bool timed = s.ExactTimes && timings.size() == pass.found.size();
  const int zone = static_cast<int>(std::lround(s.ZoneOffset * 3600.0));
  const auto suffix = [&](std::size_t i) {
    return QStringLiteral(", ") + AspectTimingText(timings[i], zone);
  };
  if (logMode) {
    if (pass.found.empty()) return update;
    if (!timed) {
      update.lines << AspectLogLine(pass.found, s.TextMode, chart.Moment);
      return update;
    }
    QString line = AspectLogStart(AspectLogDate(chart.Moment.date()), chart.Moment.time());
    for (std::size_t i = 0; i < pass.found.size(); ++i) {
      // The timing goes inside the item's closing "):".
      QString item = AspectLogItem(AspectKey(pass.found[i], s.TextMode), pass.found[i]);
      item.insert(item.size() - 2, suffix(i));
      line += item;
    }
    update.lines << line;
    return update;
  }
  for (std::size_t i = 0; i < pass.found.size(); ++i) {
    QString line = AspectLine(pass.found[i], s.TextMode);
    if (timed) line += suffix(i);
    update.lines << line;
  }
  return update;
}

AspectListUpdate NoChartListUpdate(const Settings& s, AspectList list, const QString& reason) {
  const bool logMode = list == AspectList::TransitToNatal ? s.LogTN : s.LogTT;
  if (logMode) return {};
  return {
      true, true, true, {QStringLiteral("No chart: ") + reason.section(QLatin1Char('\n'), 0, 0)}};
}

PositionRows NoChartPositionTable() {
  PositionRows rows;
  const QString none = QStringLiteral("-");
  for (int i = 1; i <= 12; ++i) {
    rows[i] = {glyphSymbol(pointGlyphCode(i)), none, QString::number(i), none};
  }
  return rows;
}
