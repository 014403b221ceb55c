// SPDX-License-Identifier: GPL-3.0-or-later
// The natal page's conversions, local times in a zone's history, and natal charts from birth data.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/ComputeChart.h"
#include "chart/NatalChart.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace {

TEST(NatalFields, LongitudesShowAsSignDegreesAndMinutes) {
  struct Case {
    double longitude;
    NatalFields shown;
  };
  const Case cases[] = {
      {0, {0, 0, 0}},
      {359.99, {11, 29, 59}},  // 59.4 minutes round to 59
      {45.999, {1, 15, 59}},   // 59.94 rounds to 60, which the minute field limits to 59
      {132.5, {4, 12, 30}},
      {10.375, {0, 10, 22}},  // 22.5 minutes: halves go to the even neighbour
      {10.625, {0, 10, 38}},  // 37.5 likewise
      {360, {-1, 0, 0}},      // no sign fits; the degrees are 360 mod 30
      {1e300, {-1, 0, 0}},    // far out of range, still no overflow
      {std::numeric_limits<double>::quiet_NaN(), {-1, 0, 0}},
      {std::numeric_limits<double>::infinity(), {-1, 0, 0}},
  };
  for (const Case& c : cases) {
    const NatalFields f = NatalFieldsOf(c.longitude);
    EXPECT_EQ(f.sign, c.shown.sign) << c.longitude;
    EXPECT_EQ(f.degrees, c.shown.degrees) << c.longitude;
    EXPECT_EQ(f.minutes, c.shown.minutes) << c.longitude;
  }
}

TEST(NatalFields, EveryRowStoredShowsAgainAsTheSameRow) {
  EXPECT_EQ(NatalLongitudeOf({4, 12, 30}), 132.5);
  EXPECT_DOUBLE_EQ(NatalLongitudeOf({1, 15, 59}), 45 + 59.0 / 60);
  // All 21600 rows: a longitude that came back a hair short would show a minute less.
  for (int sign = 0; sign < 12; ++sign) {
    for (int degrees = 0; degrees < 30; ++degrees) {
      for (int minutes = 0; minutes < 60; ++minutes) {
        const NatalFields row{sign, degrees, minutes};
        ASSERT_EQ(NatalFieldsOf(NatalLongitudeOf(row)), row)
            << sign << " " << degrees << " " << minutes;
      }
    }
  }
}

TEST(FoldLongitude, IntoOneTurn) {
  const std::pair<double, double> cases[] = {{0, 0},     {359.5, 359.5}, {360, 0},   {400, 40},
                                             {-10, 350}, {-720, 0},      {-1e-20, 0}};
  for (const auto& [in, out] : cases) EXPECT_DOUBLE_EQ(FoldLongitude(in), out) << in;
}

TEST(ResolveLocalTime, OffsetsFromTheZonesHistory) {
  using Kind = LocalMoment::Kind;
  struct Case {
    const char* zone;
    QDate date;
    QTime time;
    Kind kind;
    int offset;  // seconds east
    int other;
    bool daylight;
  };
  const Case cases[] = {
      {"Europe/Berlin", {1987, 7, 14}, {21, 45}, Kind::Unique, 7200, 7200, true},
      {"Europe/Berlin", {1987, 1, 14}, {21, 45}, Kind::Unique, 3600, 3600, false},
      // The clocks went from 02:00 to 03:00 on 28 March 2021 and back from 03:00 to 02:00 on 31
      // October. 02:30 at the winter offset is 03:30 summer time: an instant after the jump.
      {"Europe/Berlin", {2021, 3, 28}, {2, 30}, Kind::Skipped, 3600, 7200, true},
      {"Europe/Berlin", {2021, 3, 28}, {3, 0}, Kind::Unique, 7200, 7200, true},
      {"Europe/Berlin", {2021, 10, 31}, {2, 30}, Kind::Repeated, 7200, 3600, true},
      {"Europe/Berlin", {2021, 10, 31}, {3, 0}, Kind::Unique, 3600, 3600, false},
      {"America/New_York", {2021, 3, 14}, {2, 30}, Kind::Skipped, -18000, -14400, true},
      {"America/New_York", {2021, 11, 7}, {1, 30}, Kind::Repeated, -14400, -18000, true},
      // Half an hour of daylight saving time, and a zone a half hour off the hour.
      {"Australia/Lord_Howe", {2021, 10, 3}, {2, 15}, Kind::Skipped, 37800, 39600, true},
      {"Asia/Kolkata", {1990, 5, 1}, {6, 0}, Kind::Unique, 19800, 19800, false},
      // Southern summer in January.
      {"Australia/Sydney", {2021, 1, 10}, {9, 0}, Kind::Unique, 39600, 39600, true},
  };
  for (const Case& c : cases) {
    const QTimeZone zone(c.zone);
    if (!zone.isValid()) GTEST_SKIP() << "no time-zone data for " << c.zone;
    const LocalMoment m = ResolveLocalTime(zone, c.date, c.time);
    const std::string where = std::string(c.zone) + " " + c.date.toString().toStdString();
    EXPECT_EQ(m.kind, c.kind) << where;
    EXPECT_EQ(m.offsetSeconds, c.offset) << where;
    EXPECT_EQ(m.otherOffsetSeconds, c.other) << where;
    EXPECT_EQ(m.daylight, c.daylight) << where;
  }
}

class BirthChart : public ::testing::Test {
 protected:
  static Settings Load(const std::string& text) {
    Settings s;
    LoadSettings(IniDocument::Parse(text), s, 576, 0);
    return s;
  }
  TheoryTable theory = InitialTheoryTable();
};

TEST_F(BirthChart, SameAsTheClocksChartWithThatZoneBySummerAndWinter) {
  const QTimeZone berlin("Europe/Berlin");
  if (!berlin.isValid()) GTEST_SKIP() << "no time-zone data";
  // Berlin, 52 31 N, 13 24 E; the zone written by hand as the companion reads it.
  const std::string place = "[Place]\nLatD=52\nLatM=31\nNS=1\nLongD=13\nLongM=24\nEW=0\n";
  const Settings base = Load("[Setting]\nHouses=1\n");
  for (const auto& [date, hours] : {std::pair{QDate(1987, 7, 14), 2}, {QDate(1987, 1, 14), 1}}) {
    const QTime time(21, 45);
    const LocalMoment m = ResolveLocalTime(berlin, date, time);
    ASSERT_EQ(m.offsetSeconds, hours * 3600) << date.toString().toStdString();
    const NatalLongitudes natal = BirthPositions(
        base, theory, {date, time, 52, 31, true, 13, 24, false, m.offsetSeconds / 3600.0});

    const Settings manual =
        Load(place + "ManualZone=1\nZoneH=" + std::to_string(hours) + "\n[Setting]\nHouses=1\n");
    ASSERT_DOUBLE_EQ(manual.ZoneOffset, hours);
    const Chart expected = ComputeChart(manual, theory, date, time);
    for (int p = 1; p <= kPointCount; ++p) {
      EXPECT_EQ(natal[p], expected.TruePos[p])
          << "point " << p << " on " << date.toString().toStdString();
    }
  }
}

TEST_F(BirthChart, TakesTheZodiacAndHouseSystemOfItsBase) {
  const BirthData birth{QDate(1990, 5, 1), QTime(6, 0), {40, 0, true, 74, 0, true}, -4};
  const NatalLongitudes tropical = BirthPositions(Load(""), theory, birth);
  const NatalLongitudes sidereal = BirthPositions(Load("[Setting]\nZodiac=1\n"), theory, birth);
  // The sidereal zodiac of 1990 lies some 24 degrees behind the tropical one.
  const double shift = FoldLongitude(tropical[1] - sidereal[1]);
  EXPECT_GT(shift, 23);
  EXPECT_LT(shift, 25);
  // Equal houses put the Midheaven where Placidus does; without a house system the Equal houses
  // still give both angles.
  const NatalLongitudes none = BirthPositions(Load("[Setting]\nHouses=-1\n"), theory, birth);
  EXPECT_NEAR(none[kMidheaven], tropical[kMidheaven], 1e-9);
  EXPECT_NEAR(none[kAscendant], tropical[kAscendant], 1e-9);
  // Placidus has no cusps at 80 degrees north.
  BirthData arctic = birth;
  arctic.place.latD = 80;
  EXPECT_THROW(BirthPositions(Load(""), theory, arctic), ChartError);
}

}  // namespace
