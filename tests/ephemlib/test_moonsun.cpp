#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "ephemlib.h"

namespace {

double angleBetween(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

struct Moon {
  double lonOnly = -1.0, lon = -1.0, node = -1.0, lat = -1.0;
};

Moon moonAt(double t, uint8_t nodeMode, int32_t lonOnly = 0, double offset = 0.0) {
  Moon m;
  MoonCalc(nodeMode, &m.lonOnly, lonOnly, offset, t, &m.lon, &m.node, &m.lat);
  return m;
}

TEST(MoonCalc, ReferenceValuesAtJ2000) {
  const Moon trueNode = moonAt(1.0, 0);
  EXPECT_NEAR(trueNode.lon, 223.32, 0.01);
  EXPECT_NEAR(trueNode.lat, 5.17, 0.01);
  EXPECT_NEAR(trueNode.node, 123.93, 0.01);
  EXPECT_NEAR(moonAt(1.0, 1).node, 125.04, 0.01);
}

TEST(MoonCalc, LonOnlyWritesOnlyItsOneResultWithoutTheOffset) {
  for (uint8_t nodeMode : {0, 1}) {
    SCOPED_TRACE(nodeMode);
    const Moon m = moonAt(1.0, nodeMode, 1, -24.0);
    EXPECT_EQ(m.lon, -1.0);
    EXPECT_EQ(m.node, -1.0);
    EXPECT_EQ(m.lat, -1.0);
    EXPECT_DOUBLE_EQ(m.lonOnly, moonAt(1.0, nodeMode).lon);
  }
}

TEST(MoonCalc, TrueAndMeanNodeStayWithinTwoDegrees) {
  for (double t = -3.0; t <= 5.0; t += 0.01) {
    ASSERT_LT(angleBetween(moonAt(t, 0).node, moonAt(t, 1).node), 2.0) << "T = " << t;
  }
}

TEST(MoonCalc, ZodiacOffsetShiftsMoonAndNode) {
  for (double t : {-2.5, 0.3, 1.0, 4.2}) {
    const Moon tropical = moonAt(t, 0);
    const Moon sidereal = moonAt(t, 0, 0, -24.5);
    EXPECT_NEAR(angleBetween(sidereal.lon, tropical.lon), 24.5, 1e-9) << t;
    EXPECT_NEAR(angleBetween(sidereal.node, tropical.node), 24.5, 1e-9) << t;
    EXPECT_EQ(sidereal.lat, tropical.lat);
  }
}

// The mean node folds to about -350 here; the offset takes it below -360 and one 360 is added.
TEST(MoonCalc, NodeCanStayNegativeWithANegativeOffset) {
  EXPECT_NEAR(moonAt(0.315, 1, 0, -24.0).node, -14.0711, 1e-3);
}

TEST(ExactSun, ReferenceValueAtJ2000) {
  double sun = -1.0;
  ExactSun(&sun, 1.0);
  EXPECT_NEAR(sun, 280.37, 0.01);
}

TEST(ExactSun, StaysWithinOneTurnAndMovesAboutADegreeADay) {
  const double week = 7.3 / 36525.0;
  double previous = 0.0;
  ExactSun(&previous, -3.0);
  for (double t = -3.0 + week; t <= 5.0; t += week) {
    double sun = -1.0;
    ExactSun(&sun, t);
    ASSERT_GE(sun, 0.0);
    ASSERT_LE(sun, 360.0);
    ASSERT_NEAR(std::fmod(sun - previous + 720.0, 360.0), 7.2, 0.3) << "T = " << t;
    previous = sun;
  }
}

// The fuller series and MoonCalc's short one describe the same Moon.
TEST(ExactMoon, AgreesWithMoonCalcWithinATenthOfADegree) {
  for (double t = -3.0; t <= 5.0; t += 0.003) {
    double moon = 0.0;
    ExactMoon(&moon, 0.0, t);
    ASSERT_LT(angleBetween(moon, moonAt(t, 0).lon), 0.1) << "T = " << t;
  }
  double sidereal = 0.0, tropical = 0.0;
  ExactMoon(&sidereal, -24.0, 1.0);
  ExactMoon(&tropical, 0.0, 1.0);
  EXPECT_NEAR(tropical - sidereal, 24.0, 1e-9);
}

TEST(MoonProgCalc, StepsForwardAcrossZero) {
  // A day whose following day's Moon sits just past 0 degrees.
  int32_t jd = 2451545;
  double end = 0.0;
  for (;; ++jd) {
    const double t = ((jd + 1 - 2415020) - 0.5) / 36525.0;
    MoonCalc(0, &end, 1, 0.0, t, nullptr, nullptr, nullptr);
    if (end > 1.0 && end < 12.0) break;
  }
  const double start = end + 360.0 - 13.2;
  std::array<double, 13> steps;
  steps.fill(-5.0);
  MoonProgCalc(0, jd, 0.0, -24.0, start, steps.data(), 12);
  EXPECT_EQ(steps[0], -5.0);
  EXPECT_EQ(steps[1], start);
  for (int k = 2; k <= 12; ++k) {
    EXPECT_GE(steps[k], 0.0);
    EXPECT_LT(steps[k], 360.0);
    EXPECT_NEAR(std::fmod(steps[k] - steps[k - 1] + 360.0, 360.0), 1.1, 1e-9) << k;
  }
  EXPECT_LT(steps[12], 12.0);
}

TEST(MoonProgCalc, RefusesAShortStepsArray) {
  std::array<double, 12> steps{};
  EXPECT_THROW(MoonProgCalc(0, 2451545, 0.0, 0.0, 10.0, steps.data(), 11), EphemArithmeticError);
}

}  // namespace
