// SPDX-License-Identifier: LGPL-3.0-or-later
// House placement of a longitude and the derived chart points (Vertex, East Point, Part of Fortune,
// lunar phase, Sun/Moon midpoint).
#include <cmath>
#include <string>

#include "internal.h"

namespace {

using ephem::detail::kDegToRad;
using ephem::detail::kPi;
using ephem::detail::kRadToDeg;

using ephem::detail::halfTurn;
using ephem::detail::raiseArithmetic;
using ephem::detail::requireFinite;

// One phase per 12.85 degrees of elongation (not 360/28), so the last sliver of a lunation is 29.
constexpr double kPhasesPerDegree = 0.07782101167315175;

void requireOut(const char* function, const void* out) {
  if (out == nullptr) raiseArithmetic(std::string(function) + ": the result must be writable");
}

void requireTwelve(const char* function, const char* what, const double* array, int32_t high) {
  if (array == nullptr || high < 12) {
    raiseArithmetic(std::string(function) + ": the " + what +
                    " array must have elements 0 to 12 (highest index " + std::to_string(high) +
                    " given)");
  }
}

void requireFiniteResult(const char* function, double value) {
  if (!std::isfinite(value))
    raiseArithmetic(std::string(function) + ": the point has no value here");
}

}  // namespace

extern "C" {

int32_t FindPlanetHouse(const double* Cusps, int32_t CuspsHigh, double Longitude) {
  requireTwelve("FindPlanetHouse", "cusp", Cusps, CuspsHigh);
  // A NaN lies in no house and would come back as 0, the answer for cusps that hold no house.
  requireFinite("FindPlanetHouse", {{"Longitude", Longitude}});
  for (int n = 1; n <= 12; ++n) {
    const double c1 = Cusps[n];
    const double c2 = Cusps[n == 12 ? 1 : n + 1];
    bool inside;
    if (c2 < c1) {
      // The house spans 0 degrees. Adding 360 in double can round a longitude just below c2 onto
      // c2 + 360 and lose it from every house, so the side of c2 is decided before adding, and
      // the remaining bounds are checked in extended precision, where +360 is exact.
      const long double p = Longitude;
      inside = Longitude < c2 ? p + 360.0L >= c1 : c1 <= p && p < c2 + 360.0L;
    } else {
      inside = c1 <= Longitude && Longitude < c2;
    }
    if (inside) return n;
  }
  return 0;
}

double DistanceFromCusp(double Cusp, double Longitude) {
  requireFinite("DistanceFromCusp", {{"Cusp", Cusp}, {"Longitude", Longitude}});
  if (Longitude < Cusp) Longitude += 360.0;
  return Longitude - Cusp;
}

void RotateToCusp(double* Points, int32_t PointsHigh, double* Cusps, int32_t CuspsHigh,
                  uint16_t CuspIndex) {
  requireTwelve("RotateToCusp", "point", Points, PointsHigh);
  requireTwelve("RotateToCusp", "cusp", Cusps, CuspsHigh);
  if (CuspIndex > CuspsHigh) {
    raiseArithmetic("RotateToCusp: cusp " + std::to_string(CuspIndex) +
                    " is beyond the cusp array (highest index " + std::to_string(CuspsHigh) + ")");
  }
  // Read once: rotating the cusps overwrites the pivot on the way.
  const double pivot = Cusps[CuspIndex];
  for (int n = 1; n <= 12; ++n) {
    Points[n] -= pivot;
    if (Points[n] < 0) Points[n] += 360.0;
    Cusps[n] -= pivot;
    if (Cusps[n] < 0) Cusps[n] += 360.0;
  }
}

void Vertex(double* Longitude, double Obliquity, double SiderealTime, double Latitude) {
  requireOut("Vertex", Longitude);
  requireFinite("Vertex",
                {{"Obliquity", Obliquity}, {"SiderealTime", SiderealTime}, {"Latitude", Latitude}});
  const double r = SiderealTime * 15.0 * kDegToRad;
  double phi = Latitude * kDegToRad;
  // The formula divides by tan(latitude): the equator itself is taken as 0.01 radian.
  if (phi == 0) phi = 0.01;
  const double a = r + kPi;
  const double cosA = std::cos(a);
  const double result =
      halfTurn(cosA, -std::sin(a) * std::cos(Obliquity) - std::sin(Obliquity) / std::tan(phi),
               cosA) *
      kRadToDeg;
  requireFiniteResult("Vertex", result);
  *Longitude = result;
}

void EastPoint(double* Longitude, double Obliquity, double SiderealTime) {
  requireOut("EastPoint", Longitude);
  requireFinite("EastPoint", {{"Obliquity", Obliquity}, {"SiderealTime", SiderealTime}});
  const double r = SiderealTime * 15.0 * kDegToRad;
  const double cosR = std::cos(r);
  const double result = halfTurn(cosR, -std::sin(r) * std::cos(Obliquity), cosR) * kRadToDeg;
  requireFiniteResult("EastPoint", result);
  *Longitude = result;
}

void PartFortune(double* Longitude, double Sun, double Moon, double Asc) {
  requireOut("PartFortune", Longitude);
  requireFinite("PartFortune", {{"Sun", Sun}, {"Moon", Moon}, {"Asc", Asc}});
  double d = Sun - Asc;
  if (d < 0) d += 360.0;
  double result;
  if (d >= 180.0) {
    // Sun above the horizon: the Moon's distance from the Sun, laid off from the Ascendant.
    if (Moon < Sun) Moon += 360.0;
    result = Asc + (Moon - Sun);
  } else {
    if (Sun < Moon) Sun += 360.0;
    result = Asc + (Sun - Moon);
  }
  if (result >= 360.0) result -= 360.0;
  *Longitude = result;
}

void MoonPhase(int16_t* Phase, double Sun, double Moon) {
  requireOut("MoonPhase", Phase);
  requireFinite("MoonPhase", {{"Sun", Sun}, {"Moon", Moon}});
  double elongation = Moon - Sun;
  if (elongation < 0) elongation += 360.0;
  const double phase = std::trunc(elongation * kPhasesPerDegree) + 1.0;
  if (!(phase >= INT16_MIN && phase <= INT16_MAX)) {
    raiseArithmetic("MoonPhase: Sun and Moon must be longitudes in degrees, 0 to 360");
  }
  *Phase = static_cast<int16_t>(phase);
}

void SunMoonMid(double* Longitude, double Sun, double Moon) {
  requireOut("SunMoonMid", Longitude);
  requireFinite("SunMoonMid", {{"Sun", Sun}, {"Moon", Moon}});
  const double m = (Sun + Moon) * 0.5;
  if (std::fabs(Sun - Moon) > 180.0) {
    *Longitude = m >= 180.0 ? m - 180.0 : m + 180.0;
  } else {
    *Longitude = m;
  }
}

}  // extern "C"
