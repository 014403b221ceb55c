// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "ephemlib.h"

namespace {

constexpr double kObliquity = 23.44 * 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

double angleGap(double a, double b) {
  const double d = std::fabs(std::fmod(a - b, 360.0));
  return std::min(d, 360.0 - d);
}

TEST(FindPlanetHouse, EqualCuspsFromTen) {
  double cusps[15] = {};
  for (int n = 1; n <= 12; ++n) cusps[n] = 10.0 + 30.0 * (n - 1);
  struct Row {
    const char* name;
    double longitude;
    int house;
  };
  const Row rows[] = {
      {"before the first cusp", 5.0, 12},
      {"on cusp 1", 10.0, 1},
      {"just inside house 1", 39.999, 1},
      {"on cusp 2", 40.0, 2},
      {"last degree", 359.999, 12},
      {"zero", 0.0, 12},
      // Adding 360 rounds this onto cusp 1 + 360; it still lies in house 12.
      {"one unit in the last place below a cusp that spans 0", std::nextafter(10.0, 0.0), 12},
  };
  for (const Row& r : rows) EXPECT_EQ(FindPlanetHouse(cusps, 14, r.longitude), r.house) << r.name;
}

TEST(FindPlanetHouse, HouseSpanningZeroInTheMiddleOfTheArray) {
  // Cusp 4 at 350, cusp 5 at 20: house 4 spans 0 degrees.
  const double cusps[13] = {0, 260, 290, 320, 350, 20, 50, 80, 110, 140, 170, 200, 230};
  EXPECT_EQ(FindPlanetHouse(cusps, 12, 355.0), 4);
  EXPECT_EQ(FindPlanetHouse(cusps, 12, 5.0), 4);
  EXPECT_EQ(FindPlanetHouse(cusps, 12, std::nextafter(20.0, 0.0)), 4);
  EXPECT_EQ(FindPlanetHouse(cusps, 12, 20.0), 5);
}

TEST(FindPlanetHouse, NoHouseWhenAllCuspsAreEqual) {
  double cusps[13];
  for (double& c : cusps) c = 100.0;
  EXPECT_EQ(FindPlanetHouse(cusps, 12, 100.0), 0);
  EXPECT_EQ(FindPlanetHouse(cusps, 12, 5.0), 0);
  EXPECT_THROW(FindPlanetHouse(cusps, 11, 5.0), EphemArithmeticError);
}

TEST(DistanceFromCusp, ForwardArc) {
  EXPECT_DOUBLE_EQ(DistanceFromCusp(350, 5), 15);
  EXPECT_DOUBLE_EQ(DistanceFromCusp(5, 350), 345);
  EXPECT_DOUBLE_EQ(DistanceFromCusp(5, 5), 0);
}

TEST(RotateToCusp, ReadsThePivotOnceAndLeavesOtherElements) {
  double points[15];
  double cusps[15];
  for (int n = 0; n < 15; ++n) {
    points[n] = 5.0 + 25.0 * n;
    cusps[n] = 100.0 + 30.0 * n;  // cusp 10 at 400 is past a turn on purpose: only the shift counts
  }
  cusps[10] = 160.0;
  RotateToCusp(points, 14, cusps, 14, 10);
  EXPECT_EQ(cusps[10], 0.0);
  // Cusps 11 and 12 come after the pivot in the loop and must still use its old value.
  EXPECT_DOUBLE_EQ(cusps[11], 100.0 + 330.0 - 160.0);
  EXPECT_DOUBLE_EQ(cusps[12], 100.0 + 360.0 - 160.0);
  EXPECT_DOUBLE_EQ(cusps[1], 130.0 - 160.0 + 360.0);
  EXPECT_DOUBLE_EQ(points[1], 30.0 - 160.0 + 360.0);
  EXPECT_DOUBLE_EQ(points[12], 305.0 - 160.0);
  EXPECT_EQ(points[0], 5.0);
  EXPECT_EQ(cusps[0], 100.0);
  EXPECT_EQ(points[13], 330.0);
  EXPECT_EQ(cusps[14], 520.0);
  EXPECT_THROW(RotateToCusp(points, 14, cusps, 14, 15), EphemArithmeticError);
}

TEST(PartFortune, DayAndNight) {
  struct Row {
    const char* name;
    double sun, moon, asc, expected;
  };
  const Row rows[] = {
      {"Sun above the horizon", 200, 10, 0, 170},
      {"Sun below the horizon", 100, 10, 0, 90},
      {"Sun on the Descendant counts as day", 180, 90, 0, 270},
      {"night, Moon ahead of the Sun", 100, 300, 50, 210},
      {"result wraps once past 360", 100, 10, 300, 30},
  };
  for (const Row& r : rows) {
    double result = -1;
    PartFortune(&result, r.sun, r.moon, r.asc);
    EXPECT_DOUBLE_EQ(result, r.expected) << r.name;
  }
}

TEST(MoonPhase, TwelvePointEightFiveDegreesPerPhase) {
  struct Row {
    double sun, moon;
    int phase;
  };
  const Row rows[] = {{0, 0, 1},    {0, 12.84, 1},  {0, 13, 2},     {350, 3, 2},
                      {0, 180, 15}, {0, 359.7, 28}, {0, 359.9, 29}, {100, 99.95, 29}};
  for (const Row& r : rows) {
    int16_t phase = -1;
    MoonPhase(&phase, r.sun, r.moon);
    EXPECT_EQ(phase, r.phase) << "Sun " << r.sun << ", Moon " << r.moon;
  }
}

TEST(SunMoonMid, MidpointOnTheShorterArc) {
  struct Row {
    double sun, moon, mid;
  };
  const Row rows[] = {{350, 10, 0}, {10, 350, 0},   {100, 200, 150},
                      {0, 180, 90}, {300, 100, 20}, {170, 350, 260}};
  for (const Row& r : rows) {
    double mid = -1;
    SunMoonMid(&mid, r.sun, r.moon);
    EXPECT_DOUBLE_EQ(mid, r.mid) << r.sun << " and " << r.moon;
  }
}

TEST(EastPoint, IsTheAscendantOfTheEquator) {
  for (double st : {0.0, 3.7, 10.5, 18.0, 23.99}) {
    double east = -1;
    EastPoint(&east, kObliquity, st);
    double asc, mc;
    AsMcCalc(&asc, &mc, st * 15.0 / kRadToDeg, 0.0, kObliquity, 0.0);
    EXPECT_LT(angleGap(east, asc - 1.0 / 60.0), 1e-9) << st << " h";
  }
}

TEST(Vertex, IsTheAscendantOfTheOppositeMeridianAtTheCoLatitude) {
  for (double st : {1.0, 10.5, 17.25}) {
    for (double lat : {40.0, -33.0, 60.0}) {
      double vertex = -1;
      Vertex(&vertex, kObliquity, st, lat);
      double asc, mc;
      AsMcCalc(&asc, &mc, st * 15.0 / kRadToDeg + M_PI, (90.0 - lat) / kRadToDeg, kObliquity, 0.0);
      EXPECT_LT(angleGap(vertex, asc - 1.0 / 60.0), 1e-9) << st << " h, latitude " << lat;
    }
  }
}

TEST(Vertex, OnTheEquatorUsesAHundredthOfARadian) {
  double onEquator = -1;
  double nearEquator = -2;
  Vertex(&onEquator, kObliquity, 10.5, 0.0);
  Vertex(&nearEquator, kObliquity, 10.5, 0.01 * kRadToDeg);
  EXPECT_TRUE(std::isfinite(onEquator));
  EXPECT_NEAR(onEquator, nearEquator, 1e-9);
}

}  // namespace
