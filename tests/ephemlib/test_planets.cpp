// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "ephemlib.h"

namespace {

using Points = std::array<double, EPHEM_CHART_POINT_COUNT + 1>;

double angleBetween(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

struct Chart {
  Points lon, decl, speed;
};

class PlanetCalcTest : public ::testing::Test {
 protected:
  void SetUp() override { InitialisePlanets(table.data(), EPHEM_THEORY_TABLE_HIGH); }

  // Outputs start as sentinels so untouched slots show.
  Chart compute(double t, int32_t centric = 0, double offset = 0.0, int32_t moonMode = 1,
                uint8_t nodeMode = 0, int32_t first = 1, int32_t last = EPHEM_BODY_COUNT) {
    Chart c;
    c.lon.fill(-9.0);
    c.decl.fill(-9.0);
    c.speed.fill(-9.0);
    computeInto(c, t, centric, offset, moonMode, nodeMode, first, last);
    return c;
  }

  void computeInto(Chart& c, double t, int32_t centric, double offset, int32_t moonMode,
                   uint8_t nodeMode, int32_t first, int32_t last) {
    PlanetCalc(first, last, centric, offset, work.data(), EPHEM_CHART_POINT_COUNT, t,
               termCounts.data(), 12, moonMode, c.lon.data(), EPHEM_CHART_POINT_COUNT,
               c.decl.data(), EPHEM_CHART_POINT_COUNT, c.speed.data(), EPHEM_CHART_POINT_COUNT,
               table.data(), EPHEM_THEORY_TABLE_HIGH, nodeMode);
  }

  std::array<double, EPHEM_THEORY_TABLE_SIZE> table{};
  std::array<double, EPHEM_CHART_POINT_COUNT + 1> work{};
  std::array<uint8_t, 13> termCounts{};
};

TEST_F(PlanetCalcTest, ReferenceLongitudesAtJ2000) {
  const Chart c = compute(1.0);
  const double expected[EPHEM_BODY_COUNT + 1] = {0,      280.37, 223.32, 271.92, 241.59,
                                                 327.99, 25.26,  40.39,  314.82, 303.21,
                                                 251.49, 123.93, 252.08};
  for (int k = 1; k <= EPHEM_BODY_COUNT; ++k)
    EXPECT_NEAR(c.lon[k], expected[k], 0.01) << "body " << k;
  EXPECT_NEAR(c.speed[1], 1.067, 0.001);
  EXPECT_LT(c.speed[7], 0.0) << "Saturn is retrograde";
  EXPECT_EQ(c.speed[2], 0.0);
  EXPECT_EQ(c.speed[11], 0.0);
  EXPECT_NEAR(c.decl[1], -23.03, 0.01);  // the Sun at the start of 2000
  EXPECT_EQ(c.lon[0], -9.0);
  EXPECT_EQ(c.lon[13], -9.0);
  EXPECT_EQ(c.decl[14], -9.0);
}

// Longitude and declination from an extended-precision, step-by-step evaluation of the same
// theory at the ends of the supported range, where rounding in the large angles shows first.
struct PrecisionRow {
  double t;
  int body;
  double lon, decl;
};

TEST_F(PlanetCalcTest, MatchesAStepByStepExtendedPrecisionEvaluation) {
  const PrecisionRow rows[] = {
      {-2.5, 1, 277.799131897450, -23.254745113203}, {-2.5, 2, 216.348360457371, -12.009878377496},
      {-2.5, 3, 256.027434757198, -21.465232155011}, {-2.5, 5, 301.089321221300, -21.074762332909},
      {-2.5, 6, 215.837114029784, -12.371991721372}, {-2.5, 10, 75.774618532870, 13.236166271187},
      {-2.5, 11, 56.120620661779, 19.320071054610},  {-2.5, 12, 273.007716149273, -17.563850492990},
      {4.9, 1, 283.251667523373, -22.730313198132},  {4.9, 2, 125.581917196525, 17.534765473163},
      {4.9, 4, 239.297459655755, -17.395143669840},  {4.9, 7, 152.898666602515, 11.711728011576},
      {4.9, 8, 193.754293106915, -4.764340770877},   {4.9, 9, 84.076706092073, 22.348853847302},
      {4.9, 11, 140.277394168448, 14.695883122907},  {4.9, 12, 90.621152414494, 17.073620585299},
  };
  for (const PrecisionRow& row : rows) {
    const Chart c = compute(row.t);
    EXPECT_NEAR(c.lon[row.body], row.lon, 1e-9) << "body " << row.body << " at T " << row.t;
    EXPECT_NEAR(c.decl[row.body], row.decl, 1e-9) << "body " << row.body << " at T " << row.t;
  }
}

TEST_F(PlanetCalcTest, SunIsTheSolarSeriesExactly) {
  for (double t : {-2.9, 0.0, 1.0, 3.7}) {
    double sun = 0.0;
    ExactSun(&sun, t);
    EXPECT_EQ(compute(t).lon[1], sun) << t;
    EXPECT_NEAR(compute(t, 1).lon[1], std::fmod(sun + 180.0, 360.0), 1e-12) << t;
  }
}

TEST_F(PlanetCalcTest, HeliocentricKeepsTheGeocentricMoonAndNode) {
  const Chart geo = compute(1.3);
  const Chart helio = compute(1.3, 1);
  EXPECT_EQ(helio.lon[2], geo.lon[2]);
  EXPECT_EQ(helio.lon[11], geo.lon[11]);
  for (int k = 3; k <= 10; ++k) EXPECT_GT(angleBetween(helio.lon[k], geo.lon[k]), 1e-3) << k;
}

TEST_F(PlanetCalcTest, ZodiacOffsetShiftsEveryLongitude) {
  for (int32_t centric : {0, 1}) {
    const Chart tropical = compute(0.7, centric);
    const Chart sidereal = compute(0.7, centric, -24.2);
    for (int k = 1; k <= EPHEM_BODY_COUNT; ++k) {
      EXPECT_NEAR(angleBetween(sidereal.lon[k], tropical.lon[k]), 24.2, 1e-9) << k;
      EXPECT_GE(sidereal.lon[k], 0.0) << k;
      EXPECT_EQ(sidereal.speed[k], tropical.speed[k]) << k;
    }
  }
}

TEST_F(PlanetCalcTest, MoonModeTwoSkipsMoonAndKeepsTheCallersNode) {
  const Chart c = compute(1.0, 0, 0.0, 2);
  EXPECT_EQ(c.lon[2], 0.0);
  EXPECT_EQ(c.speed[2], 0.0);
  EXPECT_NEAR(c.decl[2], 0.0, 1e-6);
  EXPECT_EQ(c.lon[11], -9.0);
  EXPECT_EQ(c.speed[11], 0.0);
}

TEST_F(PlanetCalcTest, MeanNodeModeReachesTheNode) {
  EXPECT_NEAR(compute(1.0, 0, 0.0, 1, 1).lon[11], 125.04, 0.01);
}

TEST_F(PlanetCalcTest, ScratchArraysAreIgnored) {
  const Chart clean = compute(2.2);
  work.fill(1e300);
  termCounts.fill(255);
  const Chart dirty = compute(2.2);
  EXPECT_EQ(dirty.lon, clean.lon);
  EXPECT_EQ(dirty.decl, clean.decl);
  EXPECT_EQ(dirty.speed, clean.speed);
}

// Bodies computed in separate calls are the bodies of one full call: later calls still see the
// Earth. The declination step covers all twelve each time, so only the second call's own
// declinations come from latitudes.
TEST_F(PlanetCalcTest, SplitRangesGiveTheSameBodies) {
  const Chart full = compute(-1.4);
  Chart split = compute(-1.4, 0, 0.0, 1, 0, 1, 6);
  computeInto(split, -1.4, 0, 0.0, 1, 0, 7, EPHEM_BODY_COUNT);
  const Chart mercury = compute(-1.4, 0, 0.0, 1, 0, 3, 3);
  for (int k = 1; k <= EPHEM_BODY_COUNT; ++k) {
    EXPECT_EQ(split.lon[k], full.lon[k]) << k;
    EXPECT_EQ(split.speed[k], full.speed[k]) << k;
    if (k >= 7) {
      EXPECT_EQ(split.decl[k], full.decl[k]) << k;
    }
  }
  EXPECT_EQ(mercury.lon[3], full.lon[3]);
  EXPECT_EQ(mercury.speed[3], full.speed[3]);
}

TEST_F(PlanetCalcTest, ResultsStayInRangeOverFiveCenturies) {
  for (double t = -3.0; t <= 5.0; t += 0.0137) {
    const Chart c = compute(t);
    for (int k = 1; k <= EPHEM_BODY_COUNT; ++k) {
      ASSERT_GE(c.lon[k], 0.0) << k << " at T " << t;
      ASSERT_LT(c.lon[k], 360.0) << k << " at T " << t;
      ASSERT_LE(std::fabs(c.decl[k]), 30.0) << k << " at T " << t;  // Chiron's latitude adds
      ASSERT_TRUE(std::isfinite(c.speed[k])) << k << " at T " << t;
    }
  }
}

TEST_F(PlanetCalcTest, RefusesWhatWouldRunPastTheArrays) {
  Points lon{}, decl{}, speed{};
  EXPECT_THROW(
      PlanetCalc(1, EPHEM_BODY_COUNT, 0, 0.0, work.data(), EPHEM_CHART_POINT_COUNT, 1.0,
                 termCounts.data(), 12, 1, lon.data(), 11, decl.data(), EPHEM_CHART_POINT_COUNT,
                 speed.data(), EPHEM_CHART_POINT_COUNT, table.data(), EPHEM_THEORY_TABLE_HIGH, 0),
      EphemArithmeticError);
  EXPECT_THROW(PlanetCalc(1, EPHEM_BODY_COUNT + 1, 0, 0.0, work.data(), EPHEM_CHART_POINT_COUNT,
                          1.0, termCounts.data(), 12, 1, lon.data(), EPHEM_CHART_POINT_COUNT,
                          decl.data(), EPHEM_CHART_POINT_COUNT, speed.data(),
                          EPHEM_CHART_POINT_COUNT, table.data(), EPHEM_THEORY_TABLE_HIGH, 0),
               EphemArithmeticError);
  EXPECT_THROW(PlanetCalc(1, EPHEM_BODY_COUNT, 0, 0.0, work.data(), EPHEM_CHART_POINT_COUNT, 1.0,
                          termCounts.data(), 12, 1, lon.data(), EPHEM_CHART_POINT_COUNT,
                          decl.data(), EPHEM_CHART_POINT_COUNT, speed.data(),
                          EPHEM_CHART_POINT_COUNT, table.data(), 300, 0),
               EphemArithmeticError);
  EXPECT_EQ(lon, Points{});
}

}  // namespace
