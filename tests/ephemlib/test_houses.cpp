// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "ephemlib.h"
#include "ephemlib_houses.h"

namespace {

constexpr double kObliquity = 23.44 * 0.017453292519943295;
constexpr double kArcMinute = 1.0 / 60.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct System {
  const char* name;
  ephem::HouseSystem code;
  bool polarLimited;
  void compute(double* cusps, double siderealTime, double latitude, double offset) const {
    ephem::HouseCusps(ephem::LinkedExports{}, code, cusps, 14, siderealTime, latitude, kObliquity,
                      offset);
  }
};

const std::vector<System>& systems() {
  using ephem::HouseSystem;
  static const std::vector<System> all = {
      {"Placidus", HouseSystem::Placidus, true},
      {"Koch", HouseSystem::Koch, true},
      {"Campanus", HouseSystem::Campanus, false},
      {"Topocentric", HouseSystem::Topocentric, false},
      {"Morinus", HouseSystem::Morinus, false},
      {"Porphyry", HouseSystem::Porphyry, false},
      {"Regiomontanus", HouseSystem::Regiomontanus, false},
      {"Meridian", HouseSystem::Meridian, false},
      {"Equal", HouseSystem::Equal, false},
  };
  return all;
}

const System& system(const std::string& name) {
  for (const System& s : systems()) {
    if (name == s.name) return s;
  }
  throw std::invalid_argument(name);
}

double angleGap(double a, double b) {
  const double d = std::fabs(std::fmod(a - b, 360.0));
  return std::min(d, 360.0 - d);
}

std::vector<double> cuspsOf(const System& s, double siderealTime, double latitude,
                            double offset = 0.0) {
  std::vector<double> cusps(15, kNaN);
  s.compute(cusps.data(), siderealTime, latitude, offset);
  return cusps;
}

TEST(AsMcCalc, ReferenceChartCarriesTheArcMinuteAndTheOffsetOnce) {
  const double ramc = 10.5 * 15.0 * 0.017453292519943295;
  const double phi = 40.0 * 0.017453292519943295;
  double asc = 0, mc = 0;
  AsMcCalc(&asc, &mc, ramc, phi, kObliquity, 0.0);
  EXPECT_NEAR(asc, 233.4665, 5e-5);
  EXPECT_NEAR(mc, 155.7189, 5e-5);
  AsMcCalc(&asc, &mc, ramc, phi, kObliquity, -24.0);
  EXPECT_NEAR(asc, 209.4665, 5e-5);
  EXPECT_NEAR(mc, 131.7189, 5e-5);
}

// Where an ecliptic point (beta = 0) stands for an observer: its altitude and the eastward
// component of its direction, both from the textbook rotations ecliptic -> equator -> horizon,
// evaluated in extended precision independently of the library's Ascendant formula.
struct Horizon {
  long double altitudeDegrees;
  long double east;  // > 0 east of the meridian, < 0 west
};

Horizon horizonOf(double longitudeDegrees, double ramc, double latitudeDegrees, double obliquity) {
  const long double rad = 3.14159265358979323846264338327950288L / 180.0L;
  const long double lambda = longitudeDegrees * rad;
  const long double phi = latitudeDegrees * rad;
  const long double eps = obliquity;
  const long double sinDecl = std::sin(eps) * std::sin(lambda);
  const long double decl = std::asin(sinDecl);
  const long double ra = std::atan2(std::sin(lambda) * std::cos(eps), std::cos(lambda));
  const long double hourAngle = static_cast<long double>(ramc) - ra;
  const long double sinAlt =
      std::sin(phi) * sinDecl + std::cos(phi) * std::cos(decl) * std::cos(hourAngle);
  return {std::asin(sinAlt) / rad, -std::cos(decl) * std::sin(hourAngle)};
}

// Beyond the polar circles the Ascendant formula's arctangent can land on the ecliptic point that
// sets in the west (at 69.6 N for sidereal times of about 16 to 20 h); the Ascendant returned must
// be the rising point everywhere, in both hemispheres.
TEST(AsMcCalc, AscendantIsTheEclipticPointRisingOnTheEasternHorizon) {
  const double obliquities[] = {kObliquity, 23.452294 * 0.017453292519943295};
  for (double obliquity : obliquities) {
    for (int lat = -89; lat <= 89; ++lat) {
      for (int step = 0; step < 480; ++step) {
        const double st = step * 0.05 + 0.0123;
        const double ramc = st * 15.0 * 0.017453292519943295;
        double asc = 0, mc = 0;
        AsMcCalc(&asc, &mc, ramc, lat * 0.017453292519943295, obliquity, 0.0);
        const Horizon h = horizonOf(asc - kArcMinute, ramc, lat, obliquity);
        ASSERT_LT(std::fabs(h.altitudeDegrees), 1e-9L) << "latitude " << lat << ", " << st << " h";
        // Where the ecliptic meets the horizon almost due north or south both points are nearly
        // on the meridian; everywhere else the east component is far from zero.
        ASSERT_GT(h.east, -1e-9L) << "western point at latitude " << lat << ", " << st << " h";
      }
    }
  }
}

TEST(Houses, ReferenceChartCusps) {
  struct Row {
    const char* system;
    double c11, c12, c2, c3;
  };
  const Row rows[] = {
      {"Placidus", 187.285, 212.611, 263.920, 299.322},
      {"Koch", 181.730, 207.723, 260.098, 291.577},
      {"Topocentric", 187.286, 212.641, 264.082, 299.413},
      {"Regiomontanus", 186.913, 210.905, 260.309, 296.273},
      {"Campanus", 181.291, 205.643, 267.825, 304.544},
      {"Porphyry", 181.635, 207.551, 267.551, 301.635},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.system);
    const auto c = cuspsOf(system(row.system), 10.5, 40.0);
    EXPECT_NEAR(c[1], 233.4665, 5e-5);
    EXPECT_NEAR(c[10], 155.7189, 5e-5);
    EXPECT_NEAR(c[11], row.c11, 1e-3);
    EXPECT_NEAR(c[12], row.c12, 1e-3);
    EXPECT_NEAR(c[2], row.c2, 1e-3);
    EXPECT_NEAR(c[3], row.c3, 1e-3);
  }
  const auto meridian = cuspsOf(system("Meridian"), 10.5, 40.0);
  EXPECT_NEAR(meridian[1], 249.192, 1e-3);
  EXPECT_NEAR(meridian[10], 155.702, 1e-3);
  const auto morinus = cuspsOf(system("Morinus"), 10.5, 40.0);
  EXPECT_NEAR(morinus[1], 245.702, 1e-3);
  EXPECT_NEAR(morinus[10], 159.192, 1e-3);
}

TEST(Houses, ZodiacOffsetShiftsEveryCuspOnceInEverySystem) {
  for (const System& s : systems()) {
    SCOPED_TRACE(s.name);
    for (double st : {0.0, 6.0, 10.5, 17.3, 23.9}) {
      const auto tropical = cuspsOf(s, st, 40.0);
      const auto sidereal = cuspsOf(s, st, 40.0, -24.0);
      for (int n = 1; n <= 12; ++n) {
        EXPECT_LT(angleGap(sidereal[n], tropical[n] - 24.0), 1e-9) << "cusp " << n;
        EXPECT_GE(sidereal[n], 0.0) << "cusp " << n;
        EXPECT_LE(sidereal[n], 360.0) << "cusp " << n;
      }
    }
  }
}

TEST(Houses, OppositeCuspsLieHalfATurnApart) {
  for (const System& s : systems()) {
    SCOPED_TRACE(s.name);
    for (double lat : {-60.0, -23.5, 0.0, 40.0, 66.0}) {
      for (int step = 0; step < 48; ++step) {
        const double st = step * 0.5 + 0.01 * (step % 3);
        const auto c = cuspsOf(s, st, lat);
        for (int n = 1; n <= 6; ++n) {
          EXPECT_NEAR(angleGap(c[n], c[n + 6]), 180.0, 1e-9)
              << "cusp " << n << " at " << st << " h, latitude " << lat;
        }
      }
    }
  }
}

// On the equator the quadrant systems collapse onto the Meridian system; round sidereal times put
// cusps exactly on quarter turns, where a half-turn slip would show as a 180 degree error.
TEST(Houses, OnTheEquatorQuadrantSystemsEqualMeridian) {
  struct Row {
    const char* system;
    double tolerance;
  };
  // Campanus' 60.000001 degrees shifts its cusps by about a millionth of a degree.
  const Row rows[] = {{"Placidus", 1e-9},
                      {"Koch", 1e-9},
                      {"Topocentric", 1e-9},
                      {"Regiomontanus", 1e-9},
                      {"Campanus", 1e-5}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.system);
    for (int step = 0; step < 96; ++step) {
      const double st = step * 0.25;
      const auto meridian = cuspsOf(system("Meridian"), st, 0.0);
      const auto c = cuspsOf(system(row.system), st, 0.0);
      for (int n = 1; n <= 12; ++n) {
        const double increment = (n - 1) % 3 == 0 ? kArcMinute : 0.0;
        EXPECT_LT(angleGap(c[n] - increment, meridian[n]), row.tolerance)
            << "cusp " << n << " at " << st << " h";
      }
    }
  }
  const auto meridian = cuspsOf(system("Meridian"), 10.5, 0.0);
  EXPECT_NEAR(meridian[2], 276.887, 1e-3);
  EXPECT_NEAR(meridian[3], 305.146, 1e-3);
  EXPECT_NEAR(meridian[1], 249.192, 1e-3);
  EXPECT_NEAR(cuspsOf(system("Placidus"), 10.5, 0.0)[1], 249.208, 1e-3);
}

TEST(Houses, EqualHousesStepFromTheAscendantAndKeepTheMidheavenInElementZero) {
  double cusps[15];
  double asc = 0, mc = 0;
  EqHouse(&asc, &mc, 10.5, 40.0, 0.0, kObliquity, cusps, 14);
  EXPECT_NEAR(asc, 233.4665, 5e-5);
  EXPECT_EQ(cusps[1], asc);
  EXPECT_EQ(cusps[0], mc);
  for (int n = 2; n <= 12; ++n) EXPECT_NEAR(angleGap(cusps[n], asc + 30.0 * (n - 1)), 0, 1e-9);
}

TEST(Houses, PlacidusAndKochAtTheirPolarLimit) {
  // Hard rows: 66.4 and 66.6 degrees, both hemispheres.
  const double tanEps = std::tan(kObliquity);
  for (double sign : {1.0, -1.0}) {
    for (int step = 0; step < 240; ++step) {
      const double st = step * 0.1 + 0.003;
      SCOPED_TRACE("sidereal time " + std::to_string(st) + ", sign " + std::to_string(sign));
      EXPECT_NO_THROW(cuspsOf(system("Placidus"), st, sign * 66.4));
      EXPECT_NO_THROW(cuspsOf(system("Koch"), st, sign * 66.4));
      // Placidus starts every search at 1 radian and fails from here on at every sidereal time.
      EXPECT_THROW(cuspsOf(system("Placidus"), st, sign * 66.6), EphemArithmeticError);
      // Koch fails only where the Midheaven's ascensional difference has no arc sine.
      const double product = std::fabs(std::sin(st * 15.0 * 0.017453292519943295)) *
                             std::tan(66.6 * 0.017453292519943295) * tanEps;
      if (product > 1.0001) {
        EXPECT_THROW(cuspsOf(system("Koch"), st, sign * 66.6), EphemArithmeticError);
      } else if (product < 0.9999) {
        EXPECT_NO_THROW(cuspsOf(system("Koch"), st, sign * 66.6));
      }
    }
  }
}

TEST(Houses, PolarFailureSaysWhichSystemWhereAndWhatWorks) {
  for (const char* name : {"Placidus", "Koch"}) {
    SCOPED_TRACE(name);
    try {
      cuspsOf(system(name), 6.0, 70.0);
      ADD_FAILURE() << "no error at latitude 70";
    } catch (const EphemArithmeticError& e) {
      const std::string text = e.what();
      EXPECT_NE(text.find(name), std::string::npos) << text;
      EXPECT_NE(text.find("latitude 70.00"), std::string::npos) << text;
      EXPECT_NE(text.find("Porphyry"), std::string::npos) << text;
    }
  }
}

TEST(Houses, OtherSystemsWorkNearThePoles) {
  for (const System& s : systems()) {
    if (s.polarLimited) continue;
    SCOPED_TRACE(s.name);
    for (double lat : {70.0, 89.0, -89.0, 90.0}) {
      for (int step = 0; step < 48; ++step) {
        const auto c = cuspsOf(s, step * 0.5 + 0.01, lat);
        for (int n = 1; n <= 12; ++n) {
          EXPECT_TRUE(c[n] >= 0.0 && c[n] <= 360.0) << "cusp " << n << " at latitude " << lat;
        }
      }
    }
  }
  // Placidus at 89 degrees ends with an error, not an endless search.
  EXPECT_THROW(cuspsOf(system("Placidus"), 3.0, 89.0), EphemArithmeticError);
}

// Every system whose cusp 1 is the Ascendant takes the rising point at polar latitudes too (Koch
// only where it has cusps; Placidus has none there; Meridian's and Morinus' cusp 1 is no angle).
TEST(Houses, CuspOneIsTheRisingAscendantAtPolarLatitudes) {
  for (const char* name :
       {"Koch", "Campanus", "Topocentric", "Porphyry", "Regiomontanus", "Equal"}) {
    SCOPED_TRACE(name);
    int computed = 0;
    for (double lat : {67.0, 69.6, 75.0, 89.0, -67.0, -69.6, -75.0, -89.0}) {
      for (int step = 0; step < 96; ++step) {
        const double st = step * 0.25 + 0.007;
        std::vector<double> c;
        try {
          c = cuspsOf(system(name), st, lat);
        } catch (const EphemArithmeticError&) {
          continue;  // Koch's arc sine fails here
        }
        ++computed;
        const double ramc = st * 15.0 * 0.017453292519943295;
        const Horizon h = horizonOf(c[1] - kArcMinute, ramc, lat, kObliquity);
        ASSERT_LT(std::fabs(h.altitudeDegrees), 1e-9L) << "latitude " << lat << ", " << st << " h";
        ASSERT_GT(h.east, 0.0L) << "latitude " << lat << ", " << st << " h";
        ASSERT_NEAR(angleGap(c[7], c[1]), 180.0, 1e-9);
      }
    }
    EXPECT_GT(computed, 0);
  }
}

// Topocentric never computes element 4 before the angles overwrite it; no system reads what the
// caller left in the array.
TEST(Houses, CallerGarbageInTheArrayIsNeverRead) {
  for (const System& s : systems()) {
    SCOPED_TRACE(s.name);
    const auto c = cuspsOf(s, 10.5, 40.0);  // the array starts as NaN
    for (int n = 1; n <= 12; ++n) EXPECT_TRUE(std::isfinite(c[n])) << "cusp " << n;
    EXPECT_TRUE(std::isnan(c[13]));
  }
}

TEST(Houses, RefuseShortArraysAndNonFiniteInput) {
  double cusps[15];
  EXPECT_THROW(PorHouse(cusps, 11, 10.5, 40.0, kObliquity, 0.0), EphemArithmeticError);
  EXPECT_THROW(PorHouse(nullptr, 14, 10.5, 40.0, kObliquity, 0.0), EphemArithmeticError);
  EXPECT_THROW(RegHouse(cusps, 14, kNaN, 40.0, kObliquity, 0.0), EphemArithmeticError);
  EXPECT_THROW(KochHouse(cusps, 14, 10.5, INFINITY, kObliquity, 0.0), EphemArithmeticError);
  double asc, mc;
  EXPECT_THROW(AsMcCalc(&asc, &mc, kNaN, 0.5, kObliquity, 0.0), EphemArithmeticError);
}

TEST(GetHouseSize, ForwardArc) {
  struct Row {
    double from, to, size;
  };
  for (const Row& r : {Row{350, 20, 30}, Row{20, 20, 0}, Row{20, 350, 330}, Row{0, 359.5, 359.5}}) {
    EXPECT_DOUBLE_EQ(GetHouseSize(r.from, r.to), r.size) << r.from << " to " << r.to;
  }
}

}  // namespace
