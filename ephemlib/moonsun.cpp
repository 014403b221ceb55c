// SPDX-License-Identifier: LGPL-3.0-or-later
// The Moon, the lunar Node and the Sun's apparent longitude from trigonometric series.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "internal.h"

namespace {

using ephem::detail::kDegToRad;
using ephem::detail::kRadToDeg;

using ephem::detail::foldTurns;
using ephem::detail::requireFinite;

double sinDeg(double degrees) { return std::sin(degrees * kDegToRad); }
double cosDeg(double degrees) { return std::cos(degrees * kDegToRad); }

// Angles that grow by millions of degrees over a few centuries lose their last digits in double
// precision; these are formed and folded in extended precision before any sine is taken.

// One periodic term: multiples of four fundamental angles and a coefficient in seconds of arc.
struct SeriesTerm {
  int8_t a, b, c, f;
  double coefficient;
};

constexpr int kMaxMultiple = 6;

// cos and sin of n x for n = -6 .. 6, from one sine and cosine by angle addition: the series
// need only these, and products of them are far cheaper than a sine per term.
struct Multiples {
  std::array<double, 2 * kMaxMultiple + 1> cos, sin;

  explicit Multiples(double degrees) {
    const double radians = degrees * kDegToRad;
    cos[kMaxMultiple] = 1.0;
    sin[kMaxMultiple] = 0.0;
    cos[kMaxMultiple + 1] = std::cos(radians);
    sin[kMaxMultiple + 1] = std::sin(radians);
    for (int n = 2; n <= kMaxMultiple; ++n) {
      const int half = n / 2, rest = n - half;
      cos[kMaxMultiple + n] = cos[kMaxMultiple + half] * cos[kMaxMultiple + rest] -
                              sin[kMaxMultiple + half] * sin[kMaxMultiple + rest];
      sin[kMaxMultiple + n] = sin[kMaxMultiple + half] * cos[kMaxMultiple + rest] +
                              cos[kMaxMultiple + half] * sin[kMaxMultiple + rest];
    }
    for (int n = 1; n <= kMaxMultiple; ++n) {
      cos[kMaxMultiple - n] = cos[kMaxMultiple + n];
      sin[kMaxMultiple - n] = -sin[kMaxMultiple + n];
    }
  }
};

// The sine series sum of coefficient x sin(a first + b second + c third + f fourth).
template <std::size_t N>
double sumSeries(const std::array<SeriesTerm, N>& terms, const Multiples& first,
                 const Multiples& second, const Multiples& third, const Multiples& fourth) {
  double sum = 0.0;
  for (const SeriesTerm& term : terms) {
    const int i = kMaxMultiple + term.a, j = kMaxMultiple + term.b;
    const int k = kMaxMultiple + term.c, m = kMaxMultiple + term.f;
    const double c1 = first.cos[i] * second.cos[j] - first.sin[i] * second.sin[j];
    const double s1 = first.sin[i] * second.cos[j] + first.cos[i] * second.sin[j];
    const double c2 = third.cos[k] * fourth.cos[m] - third.sin[k] * fourth.sin[m];
    const double s2 = third.sin[k] * fourth.cos[m] + third.cos[k] * fourth.sin[m];
    sum += term.coefficient * (s1 * c2 + c1 * s2);
  }
  return sum;
}

// MoonCalc's series take the multiples of (l, s, F, D): the Moon's and the Sun's anomalies, the
// argument of latitude and the mean elongation.
constexpr std::array<SeriesTerm, 23> kMoonLongitudeTerms = {{
    {1, 0, 0, 0, 22639.6},   {1, 0, 0, -2, -4586.47},  {0, 0, 0, 2, 2369.91},
    {2, 0, 0, 0, 769.0},     {0, 1, 0, 0, -668.1471},  {0, 0, 2, 0, -411.608},
    {2, 0, 0, -2, -211.656}, {1, 1, 0, -2, -205.962},  {1, 0, 0, 2, 191.953},
    {0, 1, 0, -2, -165.145}, {1, -1, 0, 0, 147.687},   {0, 0, 0, 1, -125.154},
    {1, 1, 0, 0, -109.673},  {0, 0, 2, -2, -55.17301}, {1, 0, 2, 0, -45.09901},
    {1, 0, -2, 0, 39.529},   {1, 0, 0, -4, -38.428},   {3, 0, 0, 0, 36.124},
    {2, 0, 0, -4, -30.773},  {1, -1, 0, -2, 28.475},   {0, 1, 0, 2, -24.42},
    {1, 0, 0, -1, 18.609},   {1, 0, 0, 1, -8.465999},
}};

constexpr std::array<SeriesTerm, 11> kMoonLatitudeTerms = {{
    {0, 0, 1, 0, 18461.5},
    {1, 0, 1, 0, 1010.0},
    {-1, 0, 1, 0, -999.0},
    {0, 0, 1, -2, -624.0},
    {-1, 0, 1, 2, 199.0},
    {1, 0, 1, -2, -167.0},
    {0, 0, 1, 2, 117.0},
    {2, 0, 1, 0, 62.0},
    {-1, 0, 1, -2, -33.0},
    {-2, 0, 1, 0, -32.0},
    {0, 1, 1, -2, -30.0},
}};

// The true node's five corrections to the mean node, seconds of arc.
constexpr std::array<SeriesTerm, 5> kTrueNodeTerms = {{
    {0, 0, 2, -2, 5392.0},
    {0, 1, 0, 0, -541.0},
    {0, 0, 0, 2, -442.0},
    {0, 0, 2, 0, 423.0},
    {2, 0, -2, 0, -291.0},
}};

// ExactMoon's series takes the multiples of (D, M, Ml, F); the row for Ml - 4D appears twice, and
// both count.
constexpr std::array<SeriesTerm, 71> kExactMoonTerms = {{
    {0, 0, 1, 0, 22639.55}, {-2, 0, 1, 0, -4586.47}, {2, 0, 0, 0, 2369.912}, {0, 0, 2, 0, 769.02},
    {0, 1, 0, 0, -668.15},  {0, 0, 0, 2, -411.61},   {-2, 0, 2, 0, -211.66}, {-2, 1, 1, 0, -205.96},
    {2, 0, 1, 0, 191.95},   {-2, 1, 0, 0, -165.15},  {0, -1, 1, 0, 147.69},  {1, 0, 0, 0, -125.15},
    {0, 1, 1, 0, -109.67},  {-2, 0, 0, 2, -55.17},   {0, 0, 1, 2, -45.099},  {0, 0, 1, -2, 39.53},
    {-4, 0, 1, 0, -38.43},  {0, 0, 3, 0, 36.12},     {-4, 0, 2, 0, -30.77},  {-2, -1, 1, 0, 28.48},
    {2, 1, 0, 0, -24.42},   {-1, 0, 1, 0, 18.61},    {1, 1, 0, 0, 18.02},    {2, -1, 1, 0, 14.58},
    {2, 0, 2, 0, 14.39},    {4, 0, 0, 0, 13.9},      {-2, 0, 3, 0, -13.19},  {0, -1, 2, 0, 9.7},
    {-2, 0, 1, -2, 9.37},   {-2, 1, 2, 0, -8.63},    {1, 0, 1, 0, -8.47},    {-2, 2, 0, 0, -8.096},
    {0, 1, 2, 0, -7.65},    {0, 2, 0, 0, -7.49},     {-2, 2, 1, 0, -7.41},   {2, 0, 1, -2, -6.38},
    {2, 0, 0, 2, -5.74},    {-4, 1, 1, 0, -4.39},    {0, 0, 2, 2, -3.99},    {-3, 0, 1, 0, 3.22},
    {2, 1, 1, 0, -2.92},    {-4, 1, 2, 0, -2.74},    {-2, -1, 2, 0, -2.49},  {0, -2, 1, 0, 2.58},
    {-2, -2, 1, 0, 2.53},   {-2, 1, 0, 2, -2.15},    {4, 0, 1, 0, 1.98},     {0, 0, 4, 0, 1.94},
    {-4, 1, 0, 0, -1.88},   {-1, 0, 2, 0, 1.75},     {2, 1, 0, -2, -1.44},   {0, 0, 2, -2, -1.298},
    {1, 1, 1, 0, 1.27},     {-3, 0, 2, 0, 1.23},     {-4, 0, 3, 0, -1.19},   {2, -1, 2, 0, 1.18},
    {0, 2, 1, 0, -1.17},    {-1, -1, 1, 0, -1.09},   {2, 0, 3, 0, 1.06},     {1, 0, 2, 0, -0.59},
    {2, 0, 1, 2, -0.99},    {-2, 0, 4, 0, -0.95},    {-6, 0, 2, 0, -0.57},   {-4, 0, 1, 0, 0.64},
    {-1, 1, 0, 0, 0.56},    {2, -2, 1, 0, 0.76},     {-1, 0, 0, 2, 0.58},    {0, 1, 3, 0, -0.55},
    {0, -1, 3, 0, 0.68},    {-2, 0, 2, 2, 0.557},    {-2, 0, 2, -2, 0.538},
}};

// Every row filled (a short initialiser would leave zero rows) and within the multiples kept.
template <std::size_t N>
constexpr bool wellFormed(const std::array<SeriesTerm, N>& terms) {
  for (const SeriesTerm& t : terms) {
    if (t.coefficient == 0.0) return false;
    for (int n : {t.a, t.b, t.c, t.f}) {
      if (n < -kMaxMultiple || n > kMaxMultiple) return false;
    }
  }
  return true;
}
static_assert(wellFormed(kMoonLongitudeTerms) && wellFormed(kMoonLatitudeTerms) &&
              wellFormed(kTrueNodeTerms) && wellFormed(kExactMoonTerms));

struct LunarAngles {
  double om, l, d, g, m, l1, nut, m1;
};

// The fundamental angles shared by ExactSun and ExactMoon, each folded by whole turns toward zero,
// and the nutation in longitude (degrees, not folded).
void LunarArguments(double& Om, double& L, double& D, double T, double& G, double& M, double& L1,
                    double& Nut, double& M1) {
  const long double t = T;
  const long double days = 36525.0L * t;
  const long double t2 = t * t;
  Om = static_cast<double>(
      foldTurns(259.1833L - 0.05295392L * days + (0.002078L + 0.000002L * t) * t2));
  L = static_cast<double>(foldTurns(279.69668L + 36000.7689L * t + 0.0003025L * t2));
  D = static_cast<double>(foldTurns(350.737486L + 445267.114L * t - 0.001436L * t2));
  G = static_cast<double>(
      foldTurns(334.32956L + 0.11140408L * days + (0.010325L + 0.00015L * t) * t2));
  M = static_cast<double>(foldTurns(358.47584L + 35999.04975L * t - 0.00015L * t2));
  L1 = static_cast<double>(
      foldTurns(270.434164L + 13.1763965L * days + (-0.001133L + 0.0000019L * t) * t2));
  M1 = static_cast<double>(foldTurns(296.1046083L + 477198.849L * t + 0.00919167L * t2));
  Nut = (-(17.2327 + 0.01737 * T) * sinDeg(Om) - 1.273 * sinDeg(2.0 * L)) / 3600.0;
}

LunarAngles lunarArguments(double T) {
  LunarAngles a{};
  LunarArguments(a.om, a.l, a.d, T, a.g, a.m, a.l1, a.nut, a.m1);
  return a;
}

}  // namespace

extern "C" {

void MoonCalc(uint8_t NodeMode, double* LonOnlyResult, int32_t LonOnly, double ZodiacOffset,
              double T, double* MoonLon, double* NodeLon, double* MoonLat) {
  requireFinite("MoonCalc", {{"T", T}});
  // The offset is not applied to the longitude-only result, so only then may it be anything.
  if (LonOnly != 1) requireFinite("MoonCalc", {{"ZodiacOffset", ZodiacOffset}});
  if (LonOnly == 1) {
    ephem::detail::requirePointers("MoonCalc", {{"LonOnlyResult", LonOnlyResult}});
  } else {
    ephem::detail::requirePointers(
        "MoonCalc", {{"MoonLon", MoonLon}, {"NodeLon", NodeLon}, {"MoonLat", MoonLat}});
  }
  // Mean arguments in seconds of arc.
  const long double t = T;
  const long double t2 = t * t;
  const long double lm = 973563.0L + 1732564379.0L * t - 4.0L * t2;
  const long double gs = 1012400.0L + 6189.0L * t;
  const long double om = 933060.0L - 6962910.0L * t + 7.5L * t2;
  const long double gm = 1203590.0L + 14648523.0L * t - 37.0L * t2;
  const long double dm = 1262660.0L + 1602961611.0L * t - 5.0L * t2;
  // Degrees, folded once so that the series' combinations stay small and exact.
  const double l = static_cast<double>(foldTurns((lm - gm) / 3600.0L));
  const double s = static_cast<double>(foldTurns((lm - dm - gs) / 3600.0L));
  const double f = static_cast<double>(foldTurns((lm - om) / 3600.0L));
  const double d = static_cast<double>(foldTurns(dm / 3600.0L));

  const Multiples ml(l), ms(s), mf(f), md(d);
  const double sum = sumSeries(kMoonLongitudeTerms, ml, ms, mf, md);
  const double longitude = static_cast<double>(foldTurns((lm + sum) / 3600.0L));

  // Only the one result: the node and the latitude stay as the caller had them.
  if (LonOnly == 1) {
    *LonOnlyResult = longitude;
    return;
  }

  double moonLon = longitude + ZodiacOffset;
  if (moonLon < 0) moonLon += 360.0;
  *MoonLon = moonLon;

  double node;
  if (NodeMode == 0) {
    const double corrections = sumSeries(kTrueNodeTerms, ml, ms, mf, md);
    node = static_cast<double>(foldTurns((om + corrections) / 3600.0L));
  } else {
    // Any mode but the true node gives the mean node, so the result is always defined.
    const long double turns = std::fabs(om) / 3600.0L / 360.0L;
    const long double sign = om > 0 ? 1.0L : (om < 0 ? -1.0L : 0.0L);
    node = static_cast<double>(sign * (turns - std::trunc(turns)) * 360.0L);
  }
  node += ZodiacOffset;
  if (node < 0) node += 360.0;
  *NodeLon = node;

  const double latitude = sumSeries(kMoonLatitudeTerms, ml, ms, mf, md);
  const double folded = foldTurns(std::fabs(latitude) / 3600.0);
  *MoonLat = latitude < 0 ? -folded : folded;
}

}  // extern "C"

namespace ephem::detail {

double apparentSunLongitude(double T) {
  const LunarAngles a = lunarArguments(T);
  const double e = 0.01675104 - 0.0000418 * T - 0.000000126 * T * T;

  const double meanAnomaly = a.m * kDegToRad;
  double eccentric = meanAnomaly;
  for (int i = 0; i < 5; ++i) eccentric = meanAnomaly + e * std::sin(eccentric);
  const double trueAnomaly =
      2.0 * std::atan(std::sqrt((1.0 + e) / (1.0 - e)) * std::tan(eccentric / 2.0)) * kRadToDeg;
  const double l0 = foldTurns(trueAnomaly - a.m + a.l);

  // Long-period term of the mean anomaly; every perturbation below uses the corrected M2.
  const double dm =
      (6.4 * sinDeg(231.19 + 20.2 * T) + (1.882 - 0.016 * T) * sinDeg(57.24 + 150.27 * T) +
       0.266 * sinDeg(31.8 + 119.0 * T) + 0.202 * sinDeg(315.6 + 893.3 * T)) /
      3600.0;
  const double m2 = a.m + dm;

  const double v = foldTurns(63.07037 + 22518.44298 * T);
  const double ar = foldTurns(165.94905 + 16859.0697 * T);
  const double j = foldTurns(221.64742 + 32964.4669 * T);
  const double s = foldTurns(193.1323 + 34777.259 * T);

  const double byVenus = 4.838 * cosDeg(v + 90.0) + 5.526 * cosDeg(2 * v + 90.12) +
                         2.497 * cosDeg(2 * v - m2 + 257.75) + 1.559 * cosDeg(3 * v - m2 + 77.96) +
                         1.024 * cosDeg(3 * v - 2 * m2 + 50.85) + 0.666 * cosDeg(3 * v + 270.41) +
                         0.21 * cosDeg(4 * v + 89.8) + 0.154 * cosDeg(5 * v - 3 * m2 + 34.1) +
                         0.152 * cosDeg(4 * v - 2 * m2 + 227.4) + 0.144 * cosDeg(4 * v - m2 + 79.0);
  const double byMars = 2.043 * cosDeg(2 * ar + 89.76) + 1.77 * cosDeg(2 * ar - m2 + 306.27) +
                        0.585 * cosDeg(4 * ar - 2 * m2 + 185.82) +
                        0.5 * cosDeg(4 * ar - m2 + 317.7) + 0.425 * cosDeg(3 * ar - m2 + 317.7) +
                        0.204 * cosDeg(5 * ar - 2 * m2 + 185.5);
  const double byJupiter = 7.208 * cosDeg(j + 91.09) + 2.731 * cosDeg(2 * j + 270.25) +
                           2.6 * cosDeg(j - m2 + 174.77) + 1.61 * cosDeg(2 * j - m2 + 292.6) +
                           0.556 * cosDeg(3 * j - m2 + 177.31);
  const double bySaturn = 0.419 * cosDeg(s + 90.34) + 0.32 * cosDeg(s - m2 + 259.22);
  const double byMoon = 6.454 * sinDeg(a.d) + 0.424 * sinDeg(a.d - a.m1);

  double sun =
      foldTurns(l0 + dm + (byVenus + byMars + byJupiter + bySaturn + byMoon) / 3600.0 + a.nut);
  sun -= (20.47 + 0.342 * cosDeg(m2)) / 3600.0;  // aberration
  if (sun < 0) sun += 360.0;
  if (sun > 360.0) sun -= 360.0;
  return sun;
}

}  // namespace ephem::detail

extern "C" {

void ExactSun(double* SunLon, double T) {
  ephem::detail::requirePointers("ExactSun", {{"SunLon", SunLon}});
  requireFinite("ExactSun", {{"T", T}});
  const double sun = ephem::detail::apparentSunLongitude(T);
  if (!std::isfinite(sun)) {
    ephem::detail::raiseOutOfRange("ExactSun", {"T", T}, ephem::detail::kSunRangeText);
  }
  *SunLon = sun;
}

void ExactMoon(double* MoonLon, double ZodiacOffset, double T) {
  ephem::detail::requirePointers("ExactMoon", {{"MoonLon", MoonLon}});
  requireFinite("ExactMoon", {{"ZodiacOffset", ZodiacOffset}, {"T", T}});
  const LunarAngles a = lunarArguments(T);
  double anomaly = a.l1 - a.g;
  double latitudeArgument = a.l1 - a.om;

  const double a1 = sinDeg(51.2 + 20.2 * T);
  const double a2 = 14.27 * sinDeg(193.4404 - 132.87 * T - 0.0091731 * T * T);
  const double a3 = sinDeg(a.om);
  const double meanLongitude = a.l1 + (0.84 * a1 + a2 + 7.261 * a3) / 3600.0;
  anomaly += (2.94 * a1 + a2 + 9.337 * a3) / 3600.0;
  latitudeArgument +=
      (0.21 * a1 + a2 - 88.699 * a3 - 15.58 * sinDeg(a.om + 275.05 - 2.3 * T)) / 3600.0;

  const double sum = sumSeries(kExactMoonTerms, Multiples(a.d), Multiples(a.m), Multiples(anomaly),
                               Multiples(latitudeArgument));
  *MoonLon = foldTurns(ZodiacOffset + meanLongitude + sum / 3600.0 + a.nut);
}

void MoonProgCalc(uint8_t NodeMode, int32_t JD, double UT, double ZodiacOffset, double StartLon,
                  double* Steps, int32_t StepsHigh) {
  // Twelve steps are written; a missing or shorter array would be written past its end.
  ephem::detail::requireHighIndex("MoonProgCalc", "Steps", Steps, StepsHigh, 12);
  requireFinite("MoonProgCalc", {{"UT", UT}, {"StartLon", StartLon}});
  const double T = ((static_cast<double>(JD) + 1.0 - 2415020.0) + UT / 24.0 - 0.5) / 36525.0;
  double end = 0.0;
  double unused = 0.0;
  MoonCalc(NodeMode, &end, 1, ZodiacOffset, T, &unused, &unused, &unused);
  if (end < StartLon) end += 360.0;
  const double step = (end - StartLon) / 12.0;
  Steps[1] = StartLon;
  for (int k = 2; k <= 12; ++k) {
    double next = Steps[k - 1] + step;
    if (next >= 360.0) next -= 360.0;
    Steps[k] = next;
  }
}

}  // extern "C"
