// SPDX-License-Identifier: GPL-3.0-or-later
// The chart of a moment (ComputeChart), the void-of-course test and the tray icon it carries.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <QLocale>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "chart/ComputeChart.h"
#include "chart/MoonTimetable.h"
#include "chart/PrecisePositions.h"
#include "ephemlib.h"
#include "support/fixtures.h"

namespace {

const QDate kJ2000(2000, 1, 1);
const QTime kNoon(12, 0);

const TheoryTable& theory() { return OnceMade<TheoryTable, InitialTheoryTable>(); }

Settings placidusAt40() {
  Settings s;
  s.ZoneOffset = 0;
  s.LatDeg = 40;
  s.HouseCode = HouseSystem::Placidus;
  return s;
}

TEST(ComputeChart, TropicalAndSiderealCharts) {
  Settings s = placidusAt40();
  const Chart tropical = ComputeChart(s, theory(), kJ2000, kNoon);
  EXPECT_EQ(tropical.ZodiacOffset, 0.0);
  EXPECT_NEAR(tropical.T, 1.0, 1e-15);
  // The Sun at J2000 noon: 280.37 in the published almanacs.
  EXPECT_NEAR(tropical.TruePos[1], 280.37, 0.01);
  EXPECT_EQ(tropical.Date, kJ2000);
  EXPECT_EQ(tropical.Time, kNoon);

  s.SiderealZodiac = 1;
  const Chart sidereal = ComputeChart(s, theory(), kJ2000, kNoon);
  EXPECT_NEAR(sidereal.ZodiacOffset, -24.7365, 1e-4);
  EXPECT_NEAR(
      std::remainder(sidereal.TruePos[1] - tropical.TruePos[1] - sidereal.ZodiacOffset, 360.0), 0,
      1e-9);
  EXPECT_NEAR(
      std::remainder(sidereal.CuspPos[1] - tropical.CuspPos[1] - sidereal.ZodiacOffset, 360.0), 0,
      1e-9);
  for (int i = 1; i <= 14; ++i) {
    EXPECT_GE(sidereal.TruePos[i], 0.0) << "every longitude folded into the circle, point " << i;
    EXPECT_LT(sidereal.TruePos[i], 360.0);
    EXPECT_GE(static_cast<unsigned char>(sidereal.PlanetSign[i][3]), 0x98);
    EXPECT_LE(static_cast<unsigned char>(sidereal.PlanetSign[i][3]), 0xA3);
  }
  EXPECT_TRUE(sidereal.PairString.empty()) << "only the transit list fills it";
}

// The void rule of the settings decides the icon and VOCActive of a live chart: the degree test
// shows the chart before's state a minute late, as it always has; an aspect rule knows its window
// ahead and shows the minute's own. On 2 January 2000 at Greenwich the classical window runs
// 19:32 - 21:33 (after square Mars), as heliodial-chart --moon --rule 1 gives it.
TEST(LiveChart, TheVoidRuleDecidesIconAndVoidState) {
  Settings s;
  s.LatDeg = 51;
  s.LatMin = 28;
  s.Do45 = false;  // the 30 degree test alone, whose window here is the classical one
  const struct {
    int rule;
    QTime time;
    bool previousVoid;
    bool voidNow;
    bool icon13;
  } rows[] = {
      {0, QTime(19, 40), false, true, false},   // void now, icon next minute
      {0, QTime(19, 41), true, true, true},     //
      {1, QTime(19, 31), false, false, false},  // one minute before the last aspect
      {1, QTime(19, 32), false, true, true},    // the icon at once, whatever came before
      {1, QTime(21, 32), true, true, true},     //
      {1, QTime(21, 33), true, false, false},   // she has entered Sagittarius
      {2, QTime(20, 0), false, true, true},     // the modern rule: Mars is still her last aspect
  };
  for (const auto& r : rows) {
    s.VOCRule = r.rule;
    const Chart c =
        ComputeLiveChart(s, theory(), QDateTime(QDate(2000, 1, 2), r.time), r.previousVoid);
    const QString at = r.time.toString();
    EXPECT_EQ(c.VOCActive, r.voidNow) << r.rule << " " << at.toStdString();
    EXPECT_EQ(c.IconNumber == 13, r.icon13) << r.rule << " " << at.toStdString();
    ASSERT_TRUE(c.Moon);
    EXPECT_EQ(c.MomentUtc, QDateTime(QDate(2000, 1, 2), r.time, Qt::UTC));
    if (r.rule != 0 && r.voidNow) {
      EXPECT_EQ(c.Moon->voidWindow->end, QDateTime(QDate(2000, 1, 2), QTime(21, 33), Qt::UTC));
      EXPECT_EQ(MoonAspectText(*c.Moon->voidWindow->lastAspect), QStringLiteral("square Mars"));
    }
  }
}

// ExactTimes adds "applying"/"separating" and the exact local minute to every line of both lists
// and to every item of a log line, and nothing else; without it no timing is even computed.
TEST(LiveChart, ExactTimesEndEveryListLine) {
  Settings s;
  s.LatDeg = 51;
  s.LatMin = 28;
  s.ZoneOffset = 1.0;  // local times an hour ahead of the Universal Time of the timings
  s.TextMode = true;
  s.NatalPos[1] = 280.5;
  const QDateTime now(QDate(2000, 1, 1), QTime(14, 37));
  const Chart plain = ComputeLiveChart(s, theory(), now, false);
  EXPECT_TRUE(plain.TransitTimings.empty());
  EXPECT_TRUE(plain.NatalTimings.empty());
  s.ExactTimes = true;
  const Chart timed = ComputeLiveChart(s, theory(), now, false);
  ASSERT_EQ(timed.TransitTimings.size(), timed.Transits.found.size());
  ASSERT_EQ(timed.NatalTimings.size(), timed.Natal.found.size());
  ASSERT_FALSE(timed.Natal.found.empty());
  for (bool log : {false, true}) {
    for (AspectList list : {AspectList::TransitToTransit, AspectList::TransitToNatal}) {
      Settings off = s;
      off.ExactTimes = false;
      off.LogTT = off.LogTN = s.LogTT = s.LogTN = log;
      const QStringList before = AspectListFor(off, plain, list).lines;
      const QStringList after = AspectListFor(s, timed, list).lines;
      ASSERT_EQ(before.size(), after.size());
      ASSERT_FALSE(after.isEmpty());
      if (log) {
        // Each item "key:orb):" becomes "key:orb, applying, exact hh:mm):".
        EXPECT_EQ(after[0].count(QStringLiteral("):")), before[0].count(QStringLiteral("):")));
        EXPECT_EQ(after[0].count(QStringLiteral("ing")), before[0].count(QStringLiteral("):")))
            << after[0].toStdString();
        continue;
      }
      for (qsizetype i = 0; i < after.size(); ++i) {
        EXPECT_TRUE(after[i].startsWith(before[i] + QStringLiteral(", applying")) ||
                    after[i].startsWith(before[i] + QStringLiteral(", separating")))
            << after[i].toStdString();
      }
    }
  }
  // 13:37 UT: Sun trine Saturn, 3' past exact at a relative 2.6' an hour, was exact about 70
  // minutes before; the Sun, 4' short of the natal Sun at 280.5, reaches it in about 90 minutes.
  // Local times, an hour ahead.
  s.LogTT = s.LogTN = false;
  EXPECT_TRUE(AspectListFor(s, timed, AspectList::TransitToTransit)
                  .lines.contains(QString::fromUtf8("Sun trine Saturn    -00\u00B003, separating, "
                                                    "exact 13:28")))
      << AspectListFor(s, timed, AspectList::TransitToTransit).lines.join('|').toStdString();
  EXPECT_TRUE(AspectListFor(s, timed, AspectList::TransitToNatal)
                  .lines.contains(QString::fromUtf8("Sun conjunct Sun    +00\u00B004, applying, "
                                                    "exact 16:06")))
      << AspectListFor(s, timed, AspectList::TransitToNatal).lines.join('|').toStdString();
}

// A tick lends the next what still holds of its Moon and exact times: the charts so made agree
// with charts computed afresh, across the start and end of a void window and an ingress, and
// when the clock is set back.
TEST(LiveChart, WhatTheChartBeforeLendsAgreesWithAFreshChart) {
  Settings s;
  s.LatDeg = 51;
  s.LatMin = 28;
  s.VOCRule = 1;
  s.ExactTimes = true;
  s.NatalPos[1] = 280.5;
  s.NatalPos[2] = 133.3;
  std::optional<Chart> before;
  QDateTime now(QDate(2000, 1, 2), QTime(19, 0));
  for (int step = 0; step < 40; ++step) {
    now = now.addSecs(step == 30 ? -7200 : 7 * 60);  // once, two hours back
    const Chart lent = ComputeLiveChart(s, theory(), now, false, before ? &*before : nullptr);
    const Chart fresh = ComputeLiveChart(s, theory(), now, false);
    const std::string at = now.toString().toStdString();
    ASSERT_TRUE(lent.Moon && fresh.Moon) << at;
    EXPECT_EQ(lent.Moon->voidWindow->start, fresh.Moon->voidWindow->start) << at;
    EXPECT_EQ(lent.Moon->voidWindow->end, fresh.Moon->voidWindow->end) << at;
    EXPECT_EQ(lent.Moon->nextIngress.time, fresh.Moon->nextIngress.time) << at;
    EXPECT_EQ(lent.Moon->phase.name, fresh.Moon->phase.name) << at;
    EXPECT_NEAR(lent.Moon->phase.illuminated, fresh.Moon->phase.illuminated, 1e-9) << at;
    EXPECT_NEAR(lent.Moon->longitude, fresh.Moon->longitude, 1e-9) << at;
    EXPECT_EQ(lent.VOCActive, fresh.VOCActive) << at;
    for (AspectList list : {AspectList::TransitToTransit, AspectList::TransitToNatal}) {
      EXPECT_EQ(AspectListFor(s, lent, list).lines, AspectListFor(s, fresh, list).lines) << at;
    }
    before = lent;
  }
}

TEST(ComputeChart, EqualHousesTakeTheMidheavenFromSlotZero) {
  Settings s = placidusAt40();
  s.HouseCode = HouseSystem::Equal;
  const Chart c = ComputeChart(s, theory(), kJ2000, kNoon);
  EXPECT_EQ(c.TruePos[14], c.CuspPos[0]);
  EXPECT_NE(c.TruePos[14], c.CuspPos[10]);
  EXPECT_EQ(c.TruePos[13], c.CuspPos[1]);
}

TEST(ComputeChart, HouseCodesWithoutASystemComputeNoCusps) {
  Settings s = placidusAt40();
  EXPECT_TRUE(ComputeChart(s, theory(), kJ2000, kNoon).HasCusps);
  for (int code : {0, 10, 255}) {
    s.HouseCode = static_cast<HouseSystem>(code);
    const Chart c = ComputeChart(s, theory(), kJ2000, kNoon);
    EXPECT_FALSE(c.HasCusps) << code;
    for (int i = 0; i <= 12; ++i) EXPECT_EQ(c.CuspPos[i], 0.0) << code;
  }
}

TEST(ComputeChart, PolarPlacidusFailsWithAdvice) {
  Settings s = placidusAt40();
  s.LatDeg = 70;
  try {
    ComputeChart(s, theory(), kJ2000, QTime(13, 0));
    FAIL() << "Placidus at latitude 70 has no cusps";
  } catch (const ChartError& e) {
    EXPECT_NE(std::string(e.what()).find("Equal houses"), std::string::npos) << e.what();
  }
}

TEST(VoidOfCourse, ThirtyAndFortyFiveDegreeTests) {
  std::array<double, 15> pos{};
  // Every body below 28 degrees of its sign, the Moon at 28 Leo.
  for (int i = 1; i <= 10; ++i) pos[i] = 30.0 * (i - 1) + 5.0;
  pos[2] = 148.0;
  EXPECT_TRUE(VoidOfCourse(pos, true, false)) << "Moon 28 Leo, nothing further on";
  pos[3] = 179.0;  // Mercury 29 Virgo
  EXPECT_FALSE(VoidOfCourse(pos, true, false));
  pos[3] = 148.0;  // exactly the Moon's degree does not break the void
  EXPECT_TRUE(VoidOfCourse(pos, true, false));

  std::array<double, 15> seg{};
  for (int i = 1; i <= 10; ++i) seg[i] = 45.0 * (i % 8) + 1.0;
  seg[2] = 40.0;  // 40 of a 45 degree segment
  seg[4] = 89.0;  // Venus at 44 of hers
  EXPECT_FALSE(VoidOfCourse(seg, true, true)) << "the 45 degree test decides when both are on";
  seg[4] = 50.0;
  EXPECT_TRUE(VoidOfCourse(seg, false, true));
  EXPECT_FALSE(VoidOfCourse(pos, false, false)) << "both tests off: never void";
}

TEST(TrayIcon, AscendantSignOrTheVoidMoon) {
  EXPECT_EQ(TrayIconNumber(123.4, false, true), 5);
  EXPECT_EQ(TrayIconNumber(123.4, true, true), 13);
  EXPECT_EQ(TrayIconNumber(123.4, true, false), 5) << "void icon switched off";
  EXPECT_EQ(TrayIconNumber(360.0, false, true), 1) << "a cusp of exactly 360 is Aries";
}

TEST(UniversalTime, DayWrapBothWays) {
  const UniversalTime back = toUniversalTime(QTime(0, 30), QDate(2024, 3, 1), 2.0);
  EXPECT_DOUBLE_EQ(back.hours, 22.5);
  EXPECT_EQ(back.date, QDate(2024, 2, 29));
  const UniversalTime ahead = toUniversalTime(QTime(23, 30), QDate(2023, 12, 31), -3.0);
  EXPECT_DOUBLE_EQ(ahead.hours, 2.5);
  EXPECT_EQ(ahead.date, QDate(2024, 1, 1));
}

// The local sidereal time in hours and the obliquity in radians by the library's documented
// formulas, worked here: T in Julian centuries from 1900 January 0.5, the longitude positive west.
double HandSiderealTime(int jd, double ut, double longitude) {
  const double t = ((jd - 2415020) + ut / 24 - 0.5) / 36525;
  double s = ((2400.0513 * t + 6.6460656 + 0.0000258 * t * t) + ut) * 15 - longitude;
  s = (s - 360 * std::trunc(s / 360)) / 15;
  return s < 0 ? s + 24 : s;
}

double HandObliquity(int jd, double ut) {
  const double t = ((jd - 2415020) + ut / 24 - 0.5) / 36525;
  return (23.452294 - 0.0130125 * t) * std::numbers::pi / 180;
}

// A cusp of exactly 360 stands for 0 on the chart.
double Fold(double x) {
  const double r = std::fmod(x, 360.0);
  return r < 0 ? r + 360 : r;
}

constexpr int kJ2000Day = 2451545;  // the Julian day number of 2000 January 1

TEST(ComputeChart, PlacesWithMinutesInEveryHemisphere) {
  // Degrees and minutes carry the sign together: south and east are negative.
  const struct {
    const char* name;
    int latDeg, latMin, longDeg, longMin;
    double latitude, longitude;  // by hand: degrees + minutes / 60
  } rows[] = {
      {"51 28 north, 0 07 west", 51, 28, 0, 7, 51 + 28 / 60.0, 7 / 60.0},
      {"33 52 south, 151 12 east", -33, -52, -151, -12, -(33 + 52 / 60.0), -(151 + 12 / 60.0)},
      {"48 51 north, 2 21 east", 48, 51, -2, -21, 48 + 51 / 60.0, -(2 + 21 / 60.0)},
      {"22 54 south, 43 12 west", -22, -54, 43, 12, -(22 + 54 / 60.0), 43 + 12 / 60.0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Settings s;
    s.ZoneOffset = 0;
    s.LatDeg = r.latDeg;
    s.LatMin = r.latMin;
    s.LongDeg = r.longDeg;
    s.LongMin = r.longMin;
    s.HouseCode = HouseSystem::Placidus;
    const Chart c = ComputeChart(s, theory(), kJ2000, kNoon);
    EXPECT_EQ(c.JD, kJ2000Day);
    EXPECT_EQ(c.UT, 12.0);
    const double lst = HandSiderealTime(kJ2000Day, 12.0, r.longitude);
    const double obliquity = HandObliquity(kJ2000Day, 12.0);
    EXPECT_NEAR(c.LST, lst, 1e-9);
    EXPECT_NEAR(c.Obliquity, obliquity, 1e-12);
    double cusps[15] = {};
    ::PlacHouse(cusps, 14, lst, r.latitude, obliquity, 0.0);
    for (int i = 1; i <= 12; ++i) EXPECT_NEAR(c.CuspPos[i], Fold(cusps[i]), 1e-7) << "cusp " << i;
  }
}

// The library's house exports called by name, each for its own system, in its own argument order.
using HouseExport = void (*)(double* cusps, double lst, double latitude, double obliquity);
struct HouseRow {
  HouseSystem code;
  const char* name;
  HouseExport compute;
};
const HouseRow kHouseRows[] = {
    {HouseSystem::Placidus, "Placidus",
     [](double* c, double lst, double lat, double obl) { ::PlacHouse(c, 14, lst, lat, obl, 0); }},
    {HouseSystem::Koch, "Koch",
     [](double* c, double lst, double lat, double obl) { ::KochHouse(c, 14, lst, lat, obl, 0); }},
    {HouseSystem::Campanus, "Campanus",
     [](double* c, double lst, double lat, double obl) { ::CampHouse(c, 14, lat, lst, obl, 0); }},
    {HouseSystem::Topocentric, "Topocentric",
     [](double* c, double lst, double lat, double obl) { ::TopHouse(c, 14, lst, lat, obl, 0); }},
    {HouseSystem::Morinus, "Morinus",
     [](double* c, double lst, double lat, double obl) { ::MorHouse(c, 14, lst, lat, obl, 0); }},
    {HouseSystem::Porphyry, "Porphyry",
     [](double* c, double lst, double lat, double obl) { ::PorHouse(c, 14, lst, lat, obl, 0); }},
    {HouseSystem::Regiomontanus, "Regiomontanus",
     [](double* c, double lst, double lat, double obl) { ::RegHouse(c, 14, lst, lat, obl, 0); }},
    {HouseSystem::Meridian, "Meridian",
     [](double* c, double lst, double lat, double obl) { ::MeridHouse(c, 14, lst, lat, obl, 0); }},
    {HouseSystem::Equal, "Equal",
     [](double* c, double lst, double lat, double obl) {
       double ascendant = 0, midheaven = 0;
       ::EqHouse(&ascendant, &midheaven, lst, lat, 0, obl, c, 14);
     }},
};

// Greenwich, 51 28 north, at J2000 noon: the nine systems all differ there.
constexpr double kGreenwichLatitude = 51 + 28 / 60.0;

TEST(HouseSystems, EachCodeComputesItsOwnSystem) {
  const double lst = HandSiderealTime(kJ2000Day, 12.0, 0.0);
  const double obliquity = HandObliquity(kJ2000Day, 12.0);
  std::array<std::array<double, 15>, 9> direct{};
  for (std::size_t n = 0; n < 9; ++n) {
    kHouseRows[n].compute(direct[n].data(), lst, kGreenwichLatitude, obliquity);
  }
  for (std::size_t a = 0; a < 9; ++a) {
    for (std::size_t b = a + 1; b < 9; ++b) {
      bool differ = false;
      for (int i = 1; i <= 12; ++i) differ |= std::fabs(direct[a][i] - direct[b][i]) > 1e-3;
      ASSERT_TRUE(differ) << kHouseRows[a].name << " and " << kHouseRows[b].name
                          << " must differ for this table to tell them apart";
    }
  }

  Settings s;
  s.ZoneOffset = 0;
  s.LatDeg = 51;
  s.LatMin = 28;
  for (std::size_t n = 0; n < 9; ++n) {
    const HouseRow& row = kHouseRows[n];
    SCOPED_TRACE(row.name);
    std::array<double, 15> cusps{};
    EXPECT_TRUE(CalcHouses(row.code, lst, kGreenwichLatitude, obliquity, 0.0, cusps));
    for (int i = 1; i <= 12; ++i) EXPECT_NEAR(cusps[i], direct[n][i], 1e-9) << "cusp " << i;

    s.HouseCode = row.code;
    const Chart c = ComputeChart(s, theory(), kJ2000, kNoon);
    ASSERT_TRUE(c.HasCusps);
    for (int i = 1; i <= 12; ++i) {
      EXPECT_NEAR(c.CuspPos[i], Fold(direct[n][i]), 1e-7) << "cusp " << i;
    }
    EXPECT_NEAR(c.TruePos[13], Fold(direct[n][1]), 1e-7) << "the Ascendant is cusp 1";
    // The Midheaven is cusp 10, but in Equal houses the export leaves it in slot 0.
    const double midheaven = row.code == HouseSystem::Equal ? direct[n][0] : direct[n][10];
    EXPECT_NEAR(c.TruePos[14], Fold(midheaven), 1e-7);
  }
}

TEST(HouseSystems, TheStoredChoiceReachesTheChart) {
  // Houses as the file stores it (the dialog's 0 Placidus, 1 Koch, 2 Equal; 3..8 by hand) to the
  // system whose cusps the chart must show, by index into the table above.
  const struct {
    const char* houses;
    std::size_t system;
  } rows[] = {{"0", 0}, {"1", 1}, {"2", 8}, {"3", 3}, {"4", 4},
              {"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}};
  const double lst = HandSiderealTime(kJ2000Day, 12.0, 0.0);
  const double obliquity = HandObliquity(kJ2000Day, 12.0);
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string("Houses=") + r.houses);
    Settings s;
    LoadSettings(IniDocument::Parse(std::string("[Setting]\nHouses=") + r.houses +
                                    "\n[Place]\nLatD=51\nLatM=28\nNS=1\nManualZone=1\n"),
                 s, 576, 0);
    double cusps[15] = {};
    kHouseRows[r.system].compute(cusps, lst, kGreenwichLatitude, obliquity);
    const Chart c = ComputeChart(s, theory(), kJ2000, kNoon);
    for (int i = 1; i <= 12; ++i) EXPECT_NEAR(c.CuspPos[i], Fold(cusps[i]), 1e-7) << "cusp " << i;
  }
}

TEST(ComputeChart, ASiderealNodeJustBelowAriesIsFoldedIntoTheCircle) {
  // On 1 January 2006 the Node stood about 9 degrees into tropical Aries, less than the sidereal
  // correction of about 24.7: the sidereal Node is about 344, in Pisces, not a negative angle.
  Settings s = placidusAt40();
  const QDate day(2006, 1, 1);
  const Chart tropical = ComputeChart(s, theory(), day, kNoon);
  s.SiderealZodiac = 1;
  const Chart sidereal = ComputeChart(s, theory(), day, kNoon);
  const double unfolded = tropical.TruePos[11] + sidereal.ZodiacOffset;
  ASSERT_LT(unfolded, 0.0) << "the moment must put the sidereal Node below 0 before the fold";
  EXPECT_NEAR(sidereal.TruePos[11], unfolded + 360, 1e-9);
  ASSERT_GE(sidereal.PlanetSign[11].size(), 4u);
  EXPECT_EQ(static_cast<unsigned char>(sidereal.PlanetSign[11][3]), 0xA3) << "the Pisces glyph";
  // The Node then takes part in aspects at its folded longitude: the tester sees 344, not -16.
  EXPECT_GE(sidereal.TruePos[11], 330.0);
  EXPECT_LT(sidereal.TruePos[11], 360.0);
}

TEST(VoidOfCourse, EveryBodySunToPlutoCanEndTheVoid) {
  // Each body placed further on in its sign (or 45 degree segment) than the Moon ends the void;
  // the Node, Chiron and the angles never do. Pluto, point 10, is the last body tested.
  const struct {
    const char* test;
    bool do30, do45;
    double segment;
  } tests[] = {{"30 degree test", true, false, 30}, {"45 degree test", false, true, 45}};
  for (const auto& t : tests) {
    SCOPED_TRACE(t.test);
    std::array<double, 15> pos{};
    // Every point 10 degrees into a segment of its own; the Moon 28 into hers.
    for (int i = 1; i <= 14; ++i) pos[i] = std::fmod(t.segment * (i - 1), 360.0) + 10;
    pos[2] = t.segment + 28;
    ASSERT_TRUE(VoidOfCourse(pos, t.do30, t.do45));
    for (int point : {1, 3, 4, 5, 6, 7, 8, 9, 10}) {
      std::array<double, 15> moved = pos;
      moved[point] = std::fmod(t.segment * (point - 1), 360.0) + t.segment - 0.5;
      EXPECT_FALSE(VoidOfCourse(moved, t.do30, t.do45)) << "point " << point;
    }
    for (int point : {11, 12, 13, 14}) {
      std::array<double, 15> moved = pos;
      moved[point] = std::fmod(t.segment * (point - 1), 360.0) + t.segment - 0.5;
      EXPECT_TRUE(VoidOfCourse(moved, t.do30, t.do45)) << "point " << point;
    }
  }
}

// Precise positions against the Swiss Ephemeris called here by hand: the point is that every path
// hands it the right moment (local time minus the zone), flags and slots, so the oracle spells
// each out itself rather than reuse the module's tables.
struct PreciseRow {
  const char* name;
  QDate date;  // local date and time, and the zone (local minus UT, hours)
  QTime time;
  double zone;
  double utHours;  // worked out by hand
  QDate utDate;
  int latDeg, latMin, longDeg, longMin;  // north and west positive
  HouseSystem houses;
  char letter;
  bool sidereal, helio;
};
const PreciseRow kPreciseRows[] = {
    {"1800 Greenwich Placidus",
     {1800, 1, 2},
     {0, 0},
     0,
     0,
     {1800, 1, 2},
     51,
     28,
     0,
     0,
     HouseSystem::Placidus,
     'P',
     false,
     false},
    {"1875 Sydney Koch sidereal",
     {1875, 6, 30},
     {9, 15},
     10,
     23.25,
     {1875, 6, 29},
     -33,
     -52,
     -151,
     -12,
     HouseSystem::Koch,
     'K',
     true,
     false},
    {"1950 Rio Campanus helio",
     {1950, 3, 21},
     {23, 50},
     -3,
     2 + 50 / 60.0,
     {1950, 3, 22},
     -22,
     -54,
     43,
     12,
     HouseSystem::Campanus,
     'C',
     false,
     true},
    {"2000 Paris Topocentric sidereal helio",
     {2000, 1, 1},
     {12, 0},
     1,
     11,
     {2000, 1, 1},
     48,
     51,
     -2,
     -21,
     HouseSystem::Topocentric,
     'T',
     true,
     true},
    {"2026 New York Morinus",
     {2026, 12, 9},
     {14, 14},
     -5,
     19 + 14 / 60.0,
     {2026, 12, 9},
     40,
     43,
     74,
     0,
     HouseSystem::Morinus,
     'M',
     false,
     false},
    {"2100 Tromso Porphyry",
     {2100, 7, 4},
     {3, 30},
     2,
     1.5,
     {2100, 7, 4},
     69,
     39,
     -18,
     -57,
     HouseSystem::Porphyry,
     'O',
     false,
     false},
    {"2250 Cape Town Regiomontanus sidereal",
     {2250, 11, 11},
     {18, 5},
     2,
     16 + 5 / 60.0,
     {2250, 11, 11},
     -33,
     -55,
     -18,
     -25,
     HouseSystem::Regiomontanus,
     'R',
     true,
     false},
    {"2333 Honolulu Meridian helio",
     {2333, 2, 28},
     {20, 0},
     -10,
     6,
     {2333, 3, 1},
     21,
     18,
     157,
     51,
     HouseSystem::Meridian,
     'X',
     false,
     true},
    {"2399 Reykjavik Equal",
     {2399, 12, 31},
     {0, 1},
     0,
     1 / 60.0,
     {2399, 12, 31},
     64,
     8,
     21,
     56,
     HouseSystem::Equal,
     'E',
     false,
     false},
};

Settings PreciseSettings(const PreciseRow& r) {
  Settings s;
  s.Ephemeris = 1;
  s.ZoneOffset = r.zone;
  s.LatDeg = r.latDeg;
  s.LatMin = r.latMin;
  s.LongDeg = r.longDeg;
  s.LongMin = r.longMin;
  s.HouseCode = r.houses;
  s.SiderealZodiac = r.sidereal ? 1 : 0;
  s.HelioMode = r.helio ? 1 : 0;
  return s;
}

double AngleBetween(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

TEST(PrecisePositions, EveryPointAndCuspIsTheSwissEphemerisOfItsMoment) {
  const int body[13] = {0,        SE_SUN,       SE_MOON,   SE_MERCURY, SE_VENUS,
                        SE_MARS,  SE_JUPITER,   SE_SATURN, SE_URANUS,  SE_NEPTUNE,
                        SE_PLUTO, SE_TRUE_NODE, SE_CHIRON};
  for (const PreciseRow& r : kPreciseRows) {
    SCOPED_TRACE(r.name);
    const Chart c = ComputeChart(PreciseSettings(r), theory(), r.date, r.time);
    EXPECT_FALSE(c.ChironMissing);
    EXPECT_DOUBLE_EQ(c.UT, r.utHours);
    const double jd =
        swe_julday(r.utDate.year(), r.utDate.month(), r.utDate.day(), r.utHours, SE_GREG_CAL);
    EXPECT_EQ(c.JD, static_cast<int>(std::floor(jd + 0.5))) << "the day number as the theory's";
    swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0, 0);
    char error[AS_MAXCH];
    for (int i = 1; i <= 12; ++i) {
      // Heliocentric: the Sun's slot holds the Earth; the Moon and the Node stay geocentric.
      const bool helio = r.helio && i != 2 && i != 11;
      const int32 flags = SEFLG_SWIEPH | SEFLG_SPEED | (helio ? SEFLG_HELCTR : 0) |
                          (r.sidereal ? SEFLG_SIDEREAL : 0);
      double x[6];
      ASSERT_GE(swe_calc_ut(jd, r.helio && i == 1 ? SE_EARTH : body[i], flags, x, error), 0)
          << error;
      EXPECT_LT(AngleBetween(c.TruePos[i], x[0]), 1e-6) << "point " << i;
      EXPECT_NEAR(c.Speed[i], x[3] * std::numbers::pi / 3, 1e-9) << "point " << i;
    }
    double cusps[13], ascmc[10];
    ASSERT_GE(swe_houses_ex(jd, r.sidereal ? SEFLG_SIDEREAL : 0, r.latDeg + r.latMin / 60.0,
                            -(r.longDeg + r.longMin / 60.0), r.letter, cusps, ascmc),
              0);
    ASSERT_TRUE(c.HasCusps);
    for (int i = 1; i <= 12; ++i) {
      EXPECT_LT(AngleBetween(c.CuspPos[i], cusps[i]), 1e-6) << "cusp " << i;
    }
    EXPECT_LT(AngleBetween(c.TruePos[13], cusps[1]), 1e-6) << "the Ascendant is cusp 1";
    // Cusp 10 is the Midheaven, but for Equal houses the Ascendant + 270.
    EXPECT_LT(AngleBetween(c.TruePos[14], r.letter == 'E' ? ascmc[1] : cusps[10]), 1e-6);
    EXPECT_NEAR(c.LST, ascmc[2] / 15, 1e-9);
    // A point alone, as the Moon's and the aspects' searches take it, is the chart's to the bit.
    const Settings s = PreciseSettings(r);
    for (int i = 1; i <= 12; ++i) EXPECT_EQ(PreciseLongitude(s, jd, i), c.TruePos[i]) << i;
    const PreciseAngleLongitudes angles = PreciseAngles(s, jd);
    EXPECT_EQ(angles.ascendant, c.TruePos[13]);
    EXPECT_EQ(angles.midheaven, c.TruePos[14]);
  }
}

TEST(PrecisePositions, ChironOutsideTheFilesIsMissingAndTheRestIsShown) {
  for (const QDate day : {QDate(1799, 12, 31), QDate(2400, 1, 2)}) {
    SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
    Settings s = PreciseSettings(kPreciseRows[0]);
    s.AspectFrom[12] = s.AspectTo[12] = true;
    const Chart c = ComputeChart(s, theory(), day, kNoon);
    EXPECT_TRUE(c.ChironMissing);
    EXPECT_EQ(c.TruePos[12], 0.0);
    EXPECT_EQ(c.PlanetSign[12], "-");
    char error[AS_MAXCH];
    double x[6];
    swe_calc_ut(PreciseJulianDay(day, 12.0), SE_SATURN, SEFLG_SWIEPH | SEFLG_SPEED, x, error);
    EXPECT_LT(AngleBetween(c.TruePos[7], x[0]), 1e-6) << "Saturn from the library's own theory";
    EXPECT_TRUE(c.HasCusps);
    // A Chiron without a position takes no part in aspects.
    const Settings aspects = WithoutMissingChiron(s, c);
    EXPECT_FALSE(aspects.AspectFrom[12] || aspects.AspectTo[12]);
  }
  EXPECT_FALSE(ComputeChart(PreciseSettings(kPreciseRows[0]), theory(), QDate(1800, 1, 1), kNoon)
                   .ChironMissing);
}

TEST(PrecisePositions, PolarPlacidusAndKochFailAsInTheTheoryNeverAsPorphyry) {
  for (HouseSystem system : {HouseSystem::Placidus, HouseSystem::Koch}) {
    Settings s = placidusAt40();
    s.Ephemeris = 1;
    s.HouseCode = system;
    s.LatDeg = 70;
    for (int hour : {0, 6, 13, 19}) {
      try {
        ComputeChart(s, theory(), kJ2000, QTime(hour, 0));
        ADD_FAILURE() << ephem::HouseSystemName(system) << " at latitude 70, " << hour << "h";
      } catch (const ChartError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind(std::string(ephem::HouseSystemName(system)) +
                                 " houses cannot be computed at latitude 70.00 degrees",
                             0),
                  0u)
            << text;
        EXPECT_NE(text.find("Choose Equal houses"), std::string::npos) << text;
        EXPECT_EQ(e.key(), std::string("houses ") + ephem::HouseSystemName(system) + " at 70.00");
      }
    }
  }
}

TEST(PrecisePositions, ThePolarAscendantRisesInTheEast) {
  // Within the polar circle the ecliptic point on the western horizon is the other candidate;
  // the Ascendant is the one on the eastern side (azimuth from the south through the west).
  Settings s = placidusAt40();
  s.Ephemeris = 1;
  s.HouseCode = HouseSystem::Equal;
  s.LatDeg = 75;
  s.LongDeg = -25;
  for (int hour = 0; hour < 24; ++hour) {
    SCOPED_TRACE(hour);
    const Chart c = ComputeChart(s, theory(), QDate(2026, 6, 20), QTime(hour, 30));
    double where[3] = {25, 75, 0}, ecliptic[3] = {c.TruePos[13], 0, 1}, horizon[3];
    swe_azalt(PreciseJulianDay(QDate(2026, 6, 20), hour + 0.5), SE_ECL2HOR, where, 0, 0, ecliptic,
              horizon);
    EXPECT_NEAR(horizon[1], 0, 1e-3) << "on the horizon";
    EXPECT_GT(horizon[0], 180) << "in the east";
  }
}

TEST(PrecisePositions, TheTheoryOpensNoEphemerisFile) {
  // A fresh process: the library's state is global, and other tests here open it.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ComputeChart(placidusAt40(), theory(), kJ2000, kNoon);
        const bool early = PreciseEphemerisOpened();
        Settings s = placidusAt40();
        s.Ephemeris = 1;
        ComputeChart(s, theory(), kJ2000, kNoon);
        std::exit(!early && PreciseEphemerisOpened() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
