// SPDX-License-Identifier: LGPL-3.0-or-later
// The two chart angles and the house cusps of nine house systems.
//
// Every system follows its published steps literally (constants, order of operations, reductions),
// because hosts compare cusps with other implementations to 1e-9 degree.
#include <cmath>
#include <cstdio>
#include <string>

#include "internal.h"

namespace {

using ephem::detail::kDegToRad;
using ephem::detail::kPi;
using ephem::detail::kRadToDeg;
using ephem::detail::kTwoPi;

using ephem::detail::foldTurns;
using ephem::detail::halfTurn;
using ephem::detail::raiseArithmetic;
using ephem::detail::requireFinite;

constexpr double kArcMinute = 0.016666666666666666;
constexpr double kThirtyDegrees = 0.5235987755982989;
// Fixed-point rounds Placidus may take per cusp. Below 66 degrees of latitude it settles within a
// few hundred, but just short of its limit (about 66.5) it may need over 100000 before it settles.
constexpr int kPlacidusMaxRounds = 1000000;

struct Angles {
  double asc;
  double mc;
};

std::string decimal(double x, int places) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", places, x);
  return text;
}

// The four inputs every house export takes, by the names the header gives them.
void requireFiniteInputs(const char* function, double siderealTime, double latitude,
                         double obliquity, double zodiacOffset) {
  requireFinite(function, {{"SiderealTime", siderealTime},
                           {"Latitude", latitude},
                           {"Obliquity", obliquity},
                           {"ZodiacOffset", zodiacOffset}});
}

void requireCuspArray(const char* function, const double* cusps, int32_t high) {
  // Writing cusp 12 into a shorter array would corrupt the caller's memory.
  if (cusps == nullptr || high < 12) {
    raiseArithmetic(std::string(function) +
                    ": the cusp array must have elements 0 to 12 (highest index " +
                    std::to_string(high) + " given)");
  }
}

// A house system whose cusps do not exist at this place: say which, where, and what works instead.
[[noreturn]] void raiseNoCusps(const char* system, double latitude, double siderealTime,
                               const std::string& reason) {
  raiseArithmetic(
      std::string(system) + " houses cannot be computed at latitude " + decimal(latitude, 2) +
      " degrees (sidereal time " + decimal(siderealTime, 4) + " h): " + reason +
      ". Choose a house system that works at every latitude, such as Porphyry or Equal.");
}

void requireFiniteCusps(const char* system, const double* cusps, double latitude,
                        double siderealTime) {
  for (int n = 1; n <= 12; ++n) {
    if (!std::isfinite(cusps[n])) {
      raiseNoCusps(system, latitude, siderealTime, "cusp " + std::to_string(n) + " has no value");
    }
  }
}

constexpr const char* kPolarReason =
    "so near the pole part of the ecliptic never rises or sets, and this system's cusps do not "
    "exist there";

// x rounded to the 40 significant bits a Real6 keeps (Veltkamp split; exact IEEE steps, no
// contraction).
inline double roundToReal6(double x) {
  const double c = x * 8193.0;  // 2^13 + 1
  return c - (c - x);
}

// The ArcSin export's value (argument and result rounded to Real6) at a fraction of its cost:
// Placidus calls it in every round of its search. The failure names the house system.
double houseArcSin(double x, const char* system, double latitude, double siderealTime) {
  const double rounded = roundToReal6(x);
  if (!(std::fabs(rounded) < 1.0)) raiseNoCusps(system, latitude, siderealTime, kPolarReason);
  return roundToReal6(std::asin(rounded));
}

// The trigonometry of the sky that the angles and several systems share, computed once per call.
struct Frame {
  double ramc;
  double sinRamc;
  double cosRamc;
  double tanPhi;
  double cosPhi;
  double sinEps;
  double cosEps;
};

Frame frameOf(double ramc, double phi, double eps) {
  return {ramc,          std::sin(ramc), std::cos(ramc), std::tan(phi),
          std::cos(phi), std::sin(eps),  std::cos(eps)};
}

// The ecliptic meets the horizon in two opposite points, and the Ascendant's arctangent finds the
// eastern one only while cos(eps) + tan(phi) sin(eps) sin(RAMC) is positive: that expression is
// the eastward component of the point it finds, up to a positive factor. Within the polar circles
// (tan(phi) tan(eps) < 1) it always is; beyond them, for a band of sidereal times, the formula
// lands on the point setting in the west, and the rising point lies half a turn on.
double risingPoint(const Frame& f) {
  double asc = halfTurn(f.cosRamc, -f.sinRamc * f.cosEps - f.tanPhi * f.sinEps, f.cosRamc);
  if (f.cosEps + f.tanPhi * f.sinEps * f.sinRamc < 0) {
    asc += kPi;
    if (asc >= kTwoPi) asc -= kTwoPi;
  }
  return asc;
}

Angles ascMc(const Frame& f, double zodiacOffset) {
  double mc = halfTurn(std::tan(f.ramc), f.cosEps, f.sinRamc) * kRadToDeg + zodiacOffset;
  if (mc < 0) mc += 360.0;
  double asc = risingPoint(f) * kRadToDeg + zodiacOffset;
  if (asc < 0) asc += 360.0;
  asc += kArcMinute;
  if (asc >= 360.0) asc -= 360.0;
  mc += kArcMinute;
  if (mc >= 360.0) mc -= 360.0;
  return {asc, mc};
}

void overwriteAngles(double* cusps, Angles angles) {
  cusps[1] = angles.asc;
  cusps[10] = angles.mc;
  cusps[7] = angles.asc + 180.0;
  if (cusps[7] >= 360.0) cusps[7] -= 360.0;
  cusps[4] = angles.mc + 180.0;
  if (cusps[4] >= 360.0) cusps[4] -= 360.0;
}

// Ecliptic longitude (radians) of the point with oblique ascension s under a pole of tangent
// tanPole: A = arctan(tanPole / cos s), then the arctangent of cos A tan s / cos(A + eps). cos A
// and sin A follow from tan A without further trigonometric calls (A lies within a quarter turn of
// 0).
inline double obliqueToLongitude(double s, double tanPole, double cosEps, double sinEps) {
  const double sinS = std::sin(s);
  const double cosS = std::cos(s);
  const double tanA = tanPole / cosS;
  const double cosA = 1.0 / std::sqrt(1.0 + tanA * tanA);
  const double sinA = tanA * cosA;
  return halfTurn(cosA * (sinS / cosS), cosA * cosEps - sinA * sinEps, sinS);
}

inline double reduceTurn(double x) { return x - kTwoPi * std::trunc(x / kTwoPi); }

inline double plus180Below360(double x) {
  x += 180.0;
  if (x > 360.0) x -= 360.0;
  return x;
}

enum class HourAngleSystem { Regiomontanus, Campanus, Meridian, Morinus };

// The hour angles H = 30 n + 60 degrees of cusps 1 to 6, with the sine and tangent of Campanus'
// H = 30 n + 60.000001 degrees, computed once.
struct HourAngleTable {
  double h[7];
  double sinH[7];
  double sinCampanus[7];
  double tanCampanus[7];
};

const HourAngleTable& hourAngles() {
  static const HourAngleTable table = [] {
    HourAngleTable t{};
    for (int n = 1; n <= 6; ++n) {
      t.h[n] = (30.0 * n + 60.0) * kDegToRad;
      t.sinH[n] = std::sin(t.h[n]);
      // 60.000001 keeps tan H finite on the meridian and the horizon.
      const double campanus = (30.0 * n + 60.000001) * kDegToRad;
      t.sinCampanus[n] = std::sin(campanus);
      t.tanCampanus[n] = std::tan(campanus);
    }
    return t;
  }();
  return table;
}

// Cusp n + 6 lies half a turn of H beyond cusp n: numerator and denominator of its arctangent both
// change sign, so it shares the quotient and differs only in the half-turn test.
inline void cuspPair(double n, double d, double test, double& cusp, double& opposite) {
  double a = std::atan(n / d);
  if (a < 0) a += kPi;
  cusp = test < 0 ? a + kPi : a;
  opposite = -test < 0 ? a + kPi : a;
}

// The four systems that divide a circle through the meridian by hour angles from it. The sine of
// RAMC + H is taken directly, not by the addition theorem: that could return an exact zero at
// round sidereal times, where the half-turn test would put the cusp half a turn off.
void hourAngleCusps(HourAngleSystem system, double* cusps, const Frame& f, double zodiacOffset) {
  const HourAngleTable& table = hourAngles();
  const double ramc = f.ramc;
  const double cosEps = f.cosEps;
  const double sinEps = f.sinEps;
  const double tanPhi = f.tanPhi;
  const double cosPhi = f.cosPhi;
  double radians[13];
  for (int n = 1; n <= 6; ++n) {
    if (system == HourAngleSystem::Campanus) {
      const double t = halfTurn(table.tanCampanus[n] * cosPhi, 1.0, table.sinCampanus[n]);
      const double sinRt = std::sin(ramc + t);
      const double cosRt = std::cos(ramc + t);
      cuspPair(sinRt, cosRt * cosEps - std::sin(t) * tanPhi * sinEps, sinRt, radians[n],
               radians[n + 6]);
      continue;
    }
    const double sinRh = std::sin(ramc + table.h[n]);
    const double cosRh = std::cos(ramc + table.h[n]);
    switch (system) {
      case HourAngleSystem::Regiomontanus:
        cuspPair(sinRh, cosRh * cosEps - table.sinH[n] * tanPhi * sinEps, sinRh, radians[n],
                 radians[n + 6]);
        break;
      case HourAngleSystem::Meridian:
        cuspPair(sinRh, cosRh * cosEps, sinRh, radians[n], radians[n + 6]);
        break;
      default:
        cuspPair(sinRh * cosEps, cosRh, sinRh, radians[n], radians[n + 6]);
        break;
    }
  }
  for (int n = 1; n <= 12; ++n) {
    double degrees = radians[n] * kRadToDeg + zodiacOffset;
    if (system == HourAngleSystem::Campanus) {
      if (degrees <= 360.0) degrees += 360.0;
    } else if (degrees < 0) {
      degrees += 360.0;
    }
    cusps[n] = foldTurns(degrees);
  }
}

// Meridian and Morinus: hour-angle cusps on the equator; the place's latitude plays no part.
void equatorHourAngleHouse(const char* exportName, const char* systemName, HourAngleSystem system,
                           double* cusps, int32_t cuspsHigh, double siderealTime, double latitude,
                           double obliquity, double zodiacOffset) {
  requireCuspArray(exportName, cusps, cuspsHigh);
  // The latitude plays no part in these cusps, but a host that passes a NaN has lost its place.
  requireFiniteInputs(exportName, siderealTime, latitude, obliquity, zodiacOffset);
  hourAngleCusps(system, cusps, frameOf(siderealTime * 15.0 * kDegToRad, 0.0, obliquity),
                 zodiacOffset);
  requireFiniteCusps(systemName, cusps, latitude, siderealTime);
}

// Regiomontanus and Campanus: hour-angle cusps at the place's latitude, then the exact angles.
void quadrantHourAngleHouse(const char* exportName, const char* systemName, HourAngleSystem system,
                            double* cusps, int32_t cuspsHigh, double siderealTime, double latitude,
                            double obliquity, double zodiacOffset) {
  requireCuspArray(exportName, cusps, cuspsHigh);
  requireFiniteInputs(exportName, siderealTime, latitude, obliquity, zodiacOffset);
  const Frame frame = frameOf(siderealTime * 15.0 * kDegToRad, latitude * kDegToRad, obliquity);
  const Angles angles = ascMc(frame, zodiacOffset);
  hourAngleCusps(system, cusps, frame, zodiacOffset);
  overwriteAngles(cusps, angles);
  requireFiniteCusps(systemName, cusps, latitude, siderealTime);
}

}  // namespace

extern "C" {

void AsMcCalc(double* Asc, double* MC, double RAMC, double Latitude, double Obliquity,
              double ZodiacOffset) {
  if (Asc == nullptr || MC == nullptr) raiseArithmetic("AsMcCalc: Asc and MC must be writable");
  requireFinite("AsMcCalc", {{"RAMC", RAMC},
                             {"Latitude", Latitude},
                             {"Obliquity", Obliquity},
                             {"ZodiacOffset", ZodiacOffset}});
  const Angles angles = ascMc(frameOf(RAMC, Latitude, Obliquity), ZodiacOffset);
  if (!std::isfinite(angles.asc) || !std::isfinite(angles.mc)) {
    raiseArithmetic("AsMcCalc: the angles have no value for RAMC " + decimal(RAMC, 6) +
                    " rad at latitude " + decimal(Latitude, 6) + " rad");
  }
  *Asc = angles.asc;
  *MC = angles.mc;
}

void PlacHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
               double Obliquity, double ZodiacOffset) {
  requireCuspArray("PlacHouse", Cusps, CuspsHigh);
  requireFiniteInputs("PlacHouse", SiderealTime, Latitude, Obliquity, ZodiacOffset);
  const double ramc = SiderealTime * 15.0 * kDegToRad;
  const double phi = Latitude * kDegToRad;
  const Frame frame = frameOf(ramc, phi, Obliquity);
  const Angles angles = ascMc(frame, ZodiacOffset);
  const double tanEps = std::tan(Obliquity);
  const double tanPhi = frame.tanPhi;
  const double cosEps = frame.cosEps;
  for (int n = 1; n <= 6; ++n) {
    const double fraction = (std::abs(n - 7) - 3) / 3.0;
    const double hourAngle = (n + 2) * 30 * kDegToRad;
    // Every cusp starts from 1 radian: this start, not only the place, decides where it fails.
    double r = 1.0;
    for (int round = 0;; ++round) {
      if (round == kPlacidusMaxRounds) {
        raiseNoCusps("Placidus", Latitude, SiderealTime,
                     "the search for cusp " + std::to_string(n) + " does not settle");
      }
      const double x = std::sin(r) * tanEps * tanPhi;
      const double next =
          houseArcSin(x, "Placidus", Latitude, SiderealTime) * fraction + ramc + hourAngle;
      const bool settled = !(std::fabs(next - r) > 0.001);
      r = next;
      if (settled) break;
    }
    const double rDegrees = r * kRadToDeg;
    double lambda = std::atan(std::tan(r) / cosEps) * kRadToDeg;
    lambda -= 180.0 * std::trunc((rDegrees + 90.0) / 180.0);
    // Where R lies on a quarter turn (round sidereal times) tan R and the rounded R in degrees can
    // disagree on the side, leaving the cusp half a turn away from R: bring it back.
    if (std::fabs(ephem::detail::foldSigned180(lambda - rDegrees)) > 90.0) lambda += 180.0;
    lambda = foldTurns(lambda);
    Cusps[n] = lambda;
    Cusps[n + 6] = foldTurns(lambda + 180.0);
  }
  for (int n = 1; n <= 12; ++n) {
    if (Cusps[n] < 0) Cusps[n] += 360.0;
    Cusps[n] += ZodiacOffset;
    if (Cusps[n] < 0) Cusps[n] += 360.0;
  }
  overwriteAngles(Cusps, angles);
  requireFiniteCusps("Placidus", Cusps, Latitude, SiderealTime);
}

void KochHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
               double Obliquity, double ZodiacOffset) {
  requireCuspArray("KochHouse", Cusps, CuspsHigh);
  requireFiniteInputs("KochHouse", SiderealTime, Latitude, Obliquity, ZodiacOffset);
  const double ramc = SiderealTime * kPi / 12.0;
  const double phi = Latitude * kDegToRad;
  const Frame frame = frameOf(ramc, phi, Obliquity);
  const Angles angles = ascMc(frame, ZodiacOffset);
  const double d = houseArcSin(frame.sinRamc * frame.tanPhi * std::tan(Obliquity), "Koch", Latitude,
                               SiderealTime);
  const double step = (kPi / 2.0 + d) / 3.0;
  const double tanPhi = frame.tanPhi;
  const double cosEps = frame.cosEps;
  const double sinEps = frame.sinEps;
  double s = ramc - d;
  for (int k = 1; k <= 6; ++k) {
    double lambda = obliqueToLongitude(s, tanPhi, cosEps, sinEps) * kRadToDeg;
    s += step;
    if (lambda < 0) lambda += 360.0;
    lambda += ZodiacOffset;
    if (lambda < 0) lambda += 360.0;
    lambda = foldTurns(lambda);
    const int element = k + 9 > 12 ? k - 3 : k + 9;
    const int opposite = element + 6 > 12 ? element - 6 : element + 6;
    Cusps[element] = lambda;
    Cusps[opposite] = foldTurns(lambda + 180.0);
  }
  overwriteAngles(Cusps, angles);
  requireFiniteCusps("Koch", Cusps, Latitude, SiderealTime);
}

void TopHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
              double Obliquity, double ZodiacOffset) {
  requireCuspArray("TopHouse", Cusps, CuspsHigh);
  requireFiniteInputs("TopHouse", SiderealTime, Latitude, Obliquity, ZodiacOffset);
  const double ramc = SiderealTime * 15.0 * kDegToRad;
  const double phi = Latitude * kDegToRad;
  const Frame frame = frameOf(ramc, phi, Obliquity);
  const Angles angles = ascMc(frame, ZodiacOffset);
  // Pole heights P1 = arctan(tan(phi) / 3) and P2 = arctan(2 tan(phi) / 3), kept as tangents.
  const double tanPhi = frame.tanPhi;
  const double tanPole1 = tanPhi / 3.0;
  const double tanPole2 = 2.0 * tanPhi / 3.0;
  const double cosEps = frame.cosEps;
  const double sinEps = frame.sinEps;
  const auto cusp = [&](int steps, double tanPole) {
    return obliqueToLongitude(reduceTurn(ramc + steps * kThirtyDegrees), tanPole, cosEps, sinEps);
  };
  // Element 4 comes from the Midheaven in the angle overwrite; whatever the caller left there is
  // never read.
  double radians[7] = {};
  radians[5] = reduceTurn(cusp(1, tanPole1) + kPi);
  radians[6] = reduceTurn(cusp(2, tanPole2) + kPi);
  radians[1] = cusp(3, tanPhi);
  radians[2] = cusp(4, tanPole2);
  radians[3] = cusp(5, tanPole1);
  for (int n : {1, 2, 3, 5, 6}) {
    double degrees = ZodiacOffset + radians[n] * kRadToDeg;
    if (degrees < 0) degrees += 360.0;
    Cusps[n] = foldTurns(degrees);
    Cusps[n + 6] = plus180Below360(Cusps[n]);
  }
  overwriteAngles(Cusps, angles);
  requireFiniteCusps("Topocentric", Cusps, Latitude, SiderealTime);
}

void RegHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
              double Obliquity, double ZodiacOffset) {
  quadrantHourAngleHouse("RegHouse", "Regiomontanus", HourAngleSystem::Regiomontanus, Cusps,
                         CuspsHigh, SiderealTime, Latitude, Obliquity, ZodiacOffset);
}

void CampHouse(double* Cusps, int32_t CuspsHigh, double Latitude, double SiderealTime,
               double Obliquity, double ZodiacOffset) {
  quadrantHourAngleHouse("CampHouse", "Campanus", HourAngleSystem::Campanus, Cusps, CuspsHigh,
                         SiderealTime, Latitude, Obliquity, ZodiacOffset);
}

void MeridHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
                double Obliquity, double ZodiacOffset) {
  equatorHourAngleHouse("MeridHouse", "Meridian", HourAngleSystem::Meridian, Cusps, CuspsHigh,
                        SiderealTime, Latitude, Obliquity, ZodiacOffset);
}

void MorHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
              double Obliquity, double ZodiacOffset) {
  equatorHourAngleHouse("MorHouse", "Morinus", HourAngleSystem::Morinus, Cusps, CuspsHigh,
                        SiderealTime, Latitude, Obliquity, ZodiacOffset);
}

void PorHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude,
              double Obliquity, double ZodiacOffset) {
  requireCuspArray("PorHouse", Cusps, CuspsHigh);
  requireFiniteInputs("PorHouse", SiderealTime, Latitude, Obliquity, ZodiacOffset);
  const Angles angles = ascMc(
      frameOf(SiderealTime * 15.0 * kDegToRad, Latitude * kDegToRad, Obliquity), ZodiacOffset);
  double eastern = angles.asc - angles.mc;
  if (eastern < 0) eastern += 360.0;
  for (int k = 1; k <= 2; ++k) {
    Cusps[4 + k] = foldTurns(180.0 + angles.mc + k * eastern / 3.0);
  }
  double western = foldTurns(180.0 + angles.mc) - angles.asc;
  if (western < 0) western += 360.0;
  Cusps[1] = angles.asc;
  for (int k = 1; k <= 3; ++k) Cusps[1 + k] = foldTurns(angles.asc + k * western / 3.0);
  for (int n = 1; n <= 6; ++n) Cusps[n + 6] = plus180Below360(Cusps[n]);
  for (int n = 1; n <= 12; ++n) {
    if (Cusps[n] < 0) Cusps[n] += 360.0;
  }
  overwriteAngles(Cusps, angles);
  requireFiniteCusps("Porphyry", Cusps, Latitude, SiderealTime);
}

void EqHouse(double* Asc, double* MC, double SiderealTime, double Latitude, double ZodiacOffset,
             double Obliquity, double* Cusps, int32_t CuspsHigh) {
  requireCuspArray("EqHouse", Cusps, CuspsHigh);
  if (Asc == nullptr || MC == nullptr) raiseArithmetic("EqHouse: Asc and MC must be writable");
  requireFiniteInputs("EqHouse", SiderealTime, Latitude, Obliquity, ZodiacOffset);
  const Angles angles = ascMc(
      frameOf(SiderealTime * 15.0 * kDegToRad, Latitude * kDegToRad, Obliquity), ZodiacOffset);
  Cusps[0] = angles.mc;
  Cusps[1] = angles.asc;
  for (int n = 1; n <= 11; ++n) {
    Cusps[n + 1] = Cusps[n] + 30.0;
    if (Cusps[n + 1] > 360.0) Cusps[n + 1] -= 360.0;
  }
  for (int n = 1; n <= 12; ++n) {
    if (Cusps[n] < 0) Cusps[n] += 360.0;
  }
  requireFiniteCusps("Equal", Cusps, Latitude, SiderealTime);
  *Asc = angles.asc;
  *MC = angles.mc;
}

double GetHouseSize(double CuspFrom, double CuspTo) {
  requireFinite("GetHouseSize", {{"CuspFrom", CuspFrom}, {"CuspTo", CuspTo}});
  if (CuspTo < CuspFrom) CuspTo += 360.0;
  return CuspTo - CuspFrom;
}

}  // extern "C"
