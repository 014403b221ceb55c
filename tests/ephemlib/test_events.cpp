// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "ephemlib.h"

namespace {

constexpr double kMinute = 1.0 / 60.0;

// Longitude of a body at an hour of a day, tropical and geocentric, for checking the searches.
double longitudeAt(int body, int32_t day, double hour) {
  static const auto theory = [] {
    std::array<double, EPHEM_THEORY_TABLE_SIZE> t{};
    InitialisePlanets(t.data(), EPHEM_THEORY_TABLE_HIGH);
    return t;
  }();
  std::array<double, EPHEM_CHART_POINT_COUNT + 1> work{}, lon{}, decl{}, speed{};
  std::array<uint8_t, 13> terms{};
  const double t = ((day - 2415020) + hour / 24.0 - 0.5) / 36525.0;
  PlanetCalc(1, EPHEM_BODY_COUNT, 0, 0.0, work.data(), EPHEM_CHART_POINT_COUNT, t, terms.data(), 12,
             1, lon.data(), EPHEM_CHART_POINT_COUNT, decl.data(), EPHEM_CHART_POINT_COUNT,
             speed.data(), EPHEM_CHART_POINT_COUNT, theory.data(), EPHEM_THEORY_TABLE_HIGH, 0);
  return lon[body];
}

double signedArc(double from, double to) {
  double d = std::fmod(to - from, 360.0);
  if (d > 180.0) d -= 360.0;
  if (d <= -180.0) d += 360.0;
  return d;
}

int yields = 0;
void countYield() { ++yields; }

struct YieldCounter {
  YieldCounter() {
    yields = 0;
    SetYieldHandler(&countYield);
  }
  ~YieldCounter() { SetYieldHandler(nullptr); }
};

TEST(DawnAndNoon, MeetTheSunAtTheEquinoxAtLatitudeZero) {
  struct Row {
    const char* name;
    int32_t day;
    double dawn, noon, tolerance;
  } rows[] = {
      // The Sun sits at 359.96: the first estimate lands past 0/360 and must come back.
      {"equinox day, Sun just below 360", JulDay(3, 20, 2000), 6.12, 12.11, 0.01},
      {"the day after", JulDay(3, 21, 2000), 6.11455, 12.11630, 1e-5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    double asc = 0, dawn = 0, mc = 0, noon = 0;
    Dawn(0, 0, r.day, 0.0, 0.0, 0.0, &asc, &dawn);
    Noon(0, 0, r.day, 0.0, 0.0, 0.0, &mc, &noon);
    EXPECT_NEAR(dawn, r.dawn, r.tolerance);
    EXPECT_NEAR(noon, r.noon, r.tolerance);
    // The angle has just met the Sun: within one minute of its motion.
    EXPECT_LT(std::fabs(signedArc(longitudeAt(1, r.day, dawn), asc)), 0.3);
    EXPECT_LT(std::fabs(signedArc(longitudeAt(1, r.day, noon), mc)), 0.3);

    double sidAsc = 0, sidDawn = 0, sidMc = 0, sidNoon = 0;
    Dawn(0, 0, r.day, 1.0, 0.0, 0.0, &sidAsc, &sidDawn);
    Noon(0, 0, r.day, 1.0, 0.0, 0.0, &sidMc, &sidNoon);
    EXPECT_NEAR(sidDawn, dawn, 1e-5);
    EXPECT_NEAR(sidNoon, noon, 1e-5);
    EXPECT_NEAR(signedArc(asc, sidAsc), -24.74, 0.02);
    EXPECT_NEAR(signedArc(mc, sidMc), -24.74, 0.02);
  }
}

TEST(DawnAndNoon, LetTheHostRunWhileStepping) {
  YieldCounter counter;
  double asc = 0, time = 0;
  Dawn(0, 0, JulDay(3, 20, 2000), 0.0, 0.0, 0.0, &asc, &time);
  EXPECT_GT(yields, 0);
}

struct ReturnCase {
  const char* name;
  int body;
  int window;
  double target;
  int32_t start;
  int32_t expectedDay;
};

TEST(GetReturn, FindsTheFirstMinuteAtWhichTheBodyHasReachedItsTarget) {
  const int32_t birth = JulDay(7, 15, 1990);
  const ReturnCase cases[] = {
      {"solar return on the birthday", 1, 5, longitudeAt(1, birth, 10.5), birth, birth},
      {"solar return thirty years on", 1, 5, longitudeAt(1, birth, 10.5), JulDay(7, 10, 2020),
       JulDay(7, 14, 2020)},
      {"across the 0/360 seam", 1, 5, 0.5, JulDay(3, 17, 2000), JulDay(3, 20, 2000)},
      {"Saturn return", 7, 10, longitudeAt(7, birth, 10.5), JulDay(1, 1, 2018), JulDay(1, 5, 2020)},
      {"Mars return", 5, 10, longitudeAt(5, birth, 10.5), JulDay(1, 1, 1992), JulDay(1, 10, 2021)},
  };
  for (const ReturnCase& c : cases) {
    SCOPED_TRACE(c.name);
    double time = -1.0;
    int32_t day = c.start;
    GetReturn(c.body, c.window, 0, c.target, &time, &day, 0.0, 0);
    ASSERT_EQ(day, c.expectedDay);
    ASSERT_GE(time, 0.0);
    EXPECT_GE(signedArc(c.target, longitudeAt(c.body, day, time)), 0.0);
    EXPECT_LT(signedArc(c.target, longitudeAt(c.body, day, time - kMinute)), 0.0);
  }
  double time = -1.0;
  int32_t day = birth;
  GetReturn(1, 5, 0, longitudeAt(1, birth, 10.5), &time, &day, 0.0, 0);
  EXPECT_NEAR(time, 10.5, kMinute + 1e-9);
}

TEST(GetReturn, WithoutAnAcceptedYearLeavesTimeUnwrittenAndDayUnchanged) {
  YieldCounter counter;
  double time = -7.0;
  int32_t day = JulDay(1, 1, 2001);
  GetReturn(1, 0, 0, 100.0, &time, &day, 0.0, 0);  // the Sun is never near 100 on 1 January
  EXPECT_EQ(time, -7.0);
  EXPECT_EQ(day, JulDay(1, 1, 2001));
  EXPECT_GT(yields, 0);
}

// No longitude equals a NaN or an infinite target: as for any return that is not found, Time stays
// unwritten and Day unchanged. An infinitely negative target used to pass every year test and
// walk each year's whole day scan, moving Day by years as it went.
TEST(GetReturn, ANonFiniteTargetIsAReturnNeverFound) {
  for (double target : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    SCOPED_TRACE(target);
    double time = -7.0;
    int32_t day = JulDay(1, 1, 2001);
    GetReturn(1, 10, 0, target, &time, &day, 0.0, 0);
    EXPECT_EQ(time, -7.0);
    EXPECT_EQ(day, JulDay(1, 1, 2001));
  }
}

TEST(GetReturn, EndsForBodiesWithoutSpeedAndRefusesUnknownBodies) {
  for (int body : {2, 11}) {
    SCOPED_TRACE(body);
    double time = -1.0;
    int32_t day = JulDay(1, 1, 2001);
    GetReturn(body, 10, 0, 100.0, &time, &day, 0.0, 0);
    EXPECT_GE(day, JulDay(1, 1, 2001));
  }
  double time = 0;
  int32_t day = JulDay(1, 1, 2001);
  EXPECT_THROW(GetReturn(0, 10, 0, 100.0, &time, &day, 0.0, 0), EphemArithmeticError);
  EXPECT_THROW(GetReturn(EPHEM_BODY_COUNT + 1, 10, 0, 100.0, &time, &day, 0.0, 0),
               EphemArithmeticError);
}

}  // namespace
