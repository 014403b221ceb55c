// SPDX-License-Identifier: GPL-3.0-or-later
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

// ExactMoon's 71-term series written out again in long double the plain way: every argument
// formed from the folded fundamental angles and its sine taken directly (the library builds the
// sines of multiples by angle addition in double). Rows as (D, M, Ml, F, seconds of arc), in the
// documented order; the row for Ml - 4D appears twice and both count.
struct MoonTerm {
  int d, m, ml, f;
  long double arcseconds;
};
constexpr MoonTerm kExactMoonSeries[71] = {
    {0, 0, 1, 0, 22639.55L}, {-2, 0, 1, 0, -4586.47L}, {2, 0, 0, 0, 2369.912L},
    {0, 0, 2, 0, 769.02L},   {0, 1, 0, 0, -668.15L},   {0, 0, 0, 2, -411.61L},
    {-2, 0, 2, 0, -211.66L}, {-2, 1, 1, 0, -205.96L},  {2, 0, 1, 0, 191.95L},
    {-2, 1, 0, 0, -165.15L}, {0, -1, 1, 0, 147.69L},   {1, 0, 0, 0, -125.15L},
    {0, 1, 1, 0, -109.67L},  {-2, 0, 0, 2, -55.17L},   {0, 0, 1, 2, -45.099L},
    {0, 0, 1, -2, 39.53L},   {-4, 0, 1, 0, -38.43L},   {0, 0, 3, 0, 36.12L},
    {-4, 0, 2, 0, -30.77L},  {-2, -1, 1, 0, 28.48L},   {2, 1, 0, 0, -24.42L},
    {-1, 0, 1, 0, 18.61L},   {1, 1, 0, 0, 18.02L},     {2, -1, 1, 0, 14.58L},
    {2, 0, 2, 0, 14.39L},    {4, 0, 0, 0, 13.9L},      {-2, 0, 3, 0, -13.19L},
    {0, -1, 2, 0, 9.7L},     {-2, 0, 1, -2, 9.37L},    {-2, 1, 2, 0, -8.63L},
    {1, 0, 1, 0, -8.47L},    {-2, 2, 0, 0, -8.096L},   {0, 1, 2, 0, -7.65L},
    {0, 2, 0, 0, -7.49L},    {-2, 2, 1, 0, -7.41L},    {2, 0, 1, -2, -6.38L},
    {2, 0, 0, 2, -5.74L},    {-4, 1, 1, 0, -4.39L},    {0, 0, 2, 2, -3.99L},
    {-3, 0, 1, 0, 3.22L},    {2, 1, 1, 0, -2.92L},     {-4, 1, 2, 0, -2.74L},
    {-2, -1, 2, 0, -2.49L},  {0, -2, 1, 0, 2.58L},     {-2, -2, 1, 0, 2.53L},
    {-2, 1, 0, 2, -2.15L},   {4, 0, 1, 0, 1.98L},      {0, 0, 4, 0, 1.94L},
    {-4, 1, 0, 0, -1.88L},   {-1, 0, 2, 0, 1.75L},     {2, 1, 0, -2, -1.44L},
    {0, 0, 2, -2, -1.298L},  {1, 1, 1, 0, 1.27L},      {-3, 0, 2, 0, 1.23L},
    {-4, 0, 3, 0, -1.19L},   {2, -1, 2, 0, 1.18L},     {0, 2, 1, 0, -1.17L},
    {-1, -1, 1, 0, -1.09L},  {2, 0, 3, 0, 1.06L},      {1, 0, 2, 0, -0.59L},
    {2, 0, 1, 2, -0.99L},    {-2, 0, 4, 0, -0.95L},    {-6, 0, 2, 0, -0.57L},
    {-4, 0, 1, 0, 0.64L},    {-1, 1, 0, 0, 0.56L},     {2, -2, 1, 0, 0.76L},
    {-1, 0, 0, 2, 0.58L},    {0, 1, 3, 0, -0.55L},     {0, -1, 3, 0, 0.68L},
    {-2, 0, 2, 2, 0.557L},   {-2, 0, 2, -2, 0.538L},
};

long double foldTurnsL(long double x) { return x - 360.0L * std::trunc(x / 360.0L); }
long double sinDegL(long double x) {
  return std::sin(x * 3.14159265358979323846264338327950288L / 180.0L);
}

long double exactMoonReference(long double t, long double offset) {
  const long double days = 36525.0L * t, t2 = t * t;
  const long double om =
      foldTurnsL(259.1833L - 0.05295392L * days + (0.002078L + 0.000002L * t) * t2);
  const long double l = foldTurnsL(279.69668L + 36000.7689L * t + 0.0003025L * t2);
  const long double d = foldTurnsL(350.737486L + 445267.114L * t - 0.001436L * t2);
  const long double g =
      foldTurnsL(334.32956L + 0.11140408L * days + (0.010325L + 0.00015L * t) * t2);
  const long double m = foldTurnsL(358.47584L + 35999.04975L * t - 0.00015L * t2);
  const long double l1 =
      foldTurnsL(270.434164L + 13.1763965L * days + (-0.001133L + 0.0000019L * t) * t2);
  const long double nutation =
      (-(17.2327L + 0.01737L * t) * sinDegL(om) - 1.273L * sinDegL(2.0L * l)) / 3600.0L;
  const long double a1 = sinDegL(51.2L + 20.2L * t);
  const long double a2 = 14.27L * sinDegL(193.4404L - 132.87L * t - 0.0091731L * t2);
  const long double a3 = sinDegL(om);
  const long double meanLongitude = l1 + (0.84L * a1 + a2 + 7.261L * a3) / 3600.0L;
  const long double anomaly = l1 - g + (2.94L * a1 + a2 + 9.337L * a3) / 3600.0L;
  const long double argument =
      l1 - om +
      (0.21L * a1 + a2 - 88.699L * a3 - 15.58L * sinDegL(om + 275.05L - 2.3L * t)) / 3600.0L;
  long double sum = 0.0L;
  for (const MoonTerm& term : kExactMoonSeries) {
    sum +=
        term.arcseconds * sinDegL(term.d * d + term.m * m + term.ml * anomaly + term.f * argument);
  }
  return foldTurnsL(offset + meanLongitude + sum / 3600.0L + nutation);
}

TEST(ExactMoon, MatchesAPlainExtendedPrecisionEvaluationOfItsSeries) {
  for (double t = -9.5; t <= 9.5; t += 0.0731) {
    for (double offset : {0.0, -24.7}) {
      double moon = 0.0;
      ExactMoon(&moon, offset, t);
      const long double expected = exactMoonReference(t, offset);
      ASSERT_LT(angleBetween(moon, static_cast<double>(expected)), 1e-9)
          << "T = " << t << ", offset " << offset;
      // No fold into [0, 360): the sign of the folded sum is kept, as FU keeps it.
      if (std::fabs(expected) > 1e-6L) {
        ASSERT_EQ(moon < 0, expected < 0) << "T = " << t;
      }
    }
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
