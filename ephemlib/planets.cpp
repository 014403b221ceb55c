// SPDX-License-Identifier: LGPL-3.0-or-later
// Positions, declinations and daily motions of the Sun, the Moon, the planets, the lunar Node and
// Chiron: Kepler's equation on the mean elements of the theory table, periodic corrections for
// the outer planets, then the solar and lunar series for the Sun, the Moon and the Node.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "internal.h"

namespace {

using ephem::detail::kDegToRad;
using ephem::detail::kRadToDeg;
using ephem::detail::kTwoPi;

using ephem::detail::foldTurns;

constexpr long double kTwoPiExtended = 6.283185307179586476925286766559L;

constexpr int kSun = 1;
constexpr int kMoon = 2;
constexpr int kJupiter = 6;
constexpr int kPluto = 10;
constexpr int kNode = 11;
constexpr int kChiron = EPHEM_BODY_COUNT;
constexpr int kTableHigh = EPHEM_THEORY_TABLE_HIGH;
constexpr int kElementCount = 16;

// Where each body's element block starts in the theory table; the Moon and the Node use none.
constexpr std::array<int, EPHEM_BODY_COUNT + 1> kBase = {0,   1,   17,  17,  33,  49, 65,
                                                         153, 220, 278, 336, 394, 394};

// Periodic terms in the corrections of y, x and z of Jupiter .. Pluto; -1: no group at all.
struct GroupTerms {
  int y, x, z;
};
constexpr std::array<GroupTerms, 5> kGroupTerms = {{
    {11, 11, -1},  // Jupiter: no z correction
    {5, 5, 4},     // Saturn
    {4, 4, 3},     // Uranus
    {4, 4, 3},     // Neptune
    {4, 4, 3},     // Pluto
}};

constexpr int groupLength(int terms) { return terms < 0 ? 0 : 3 + 3 * terms; }

// The groups of a body fill the gap between its element block and the next body's block.
constexpr bool layoutIsConsistent() {
  for (int k = kJupiter; k <= kPluto; ++k) {
    const GroupTerms& g = kGroupTerms[k - kJupiter];
    const int next = k == kPluto ? kChiron : k + 1;
    if (kBase[k] + kElementCount + groupLength(g.y) + groupLength(g.x) + groupLength(g.z) !=
        kBase[next]) {
      return false;
    }
  }
  return kBase[4] == kBase[3] + kElementCount && kBase[5] == kBase[4] + kElementCount &&
         kBase[kJupiter] == kBase[5] + kElementCount &&
         kBase[kChiron] + kElementCount == kTableHigh;
}
static_assert(layoutIsConsistent());

struct Vector {
  double x, y, z;
};

// A rotation by a fixed angle, shared by the velocity and the position of one body.
struct Turn {
  double angle, cos, sin;
  // The polar route (angle of the point plus the turn) is taken where the sum can be exactly
  // zero, since a zero angle is then replaced by 1.7e-9 before going back to rectangular form.
  bool polar;
};

Turn makeTurn(double angle) { return {angle, std::cos(angle), std::sin(angle), !(angle > 0)}; }

// Angle of (x, y) in [0, 2 pi).
double polarAngle(double x, double y) {
  double angle = std::atan2(y, x);
  if (angle < 0) angle += kTwoPi;
  return angle;
}

void rotate(double x, double y, const Turn& turn, double& outX, double& outY) {
  if (!turn.polar) {
    outX = x * turn.cos - y * turn.sin;
    outY = x * turn.sin + y * turn.cos;
    return;
  }
  const double radius = std::sqrt(x * x + y * y);
  double angle = polarAngle(x, y) + turn.angle;
  if (angle == 0) angle = 1.7e-9;
  outX = radius * std::cos(angle);
  outY = radius * std::sin(angle);
}

// The three rotations from the orbital plane (p along the perihelion) to the ecliptic of date.
Vector toEcliptic(double p, double q, const Turn& perihelion, const Turn& inclination,
                  const Turn& node) {
  double p1, q1, q2;
  Vector out;
  rotate(p, q, perihelion, p1, q1);
  rotate(q1, 0.0, inclination, q2, out.z);
  rotate(p1, q2, node, out.x, out.y);
  return out;
}

double polynomial(const double* c, double t) { return c[0] + c[1] * t + c[2] * t * t; }

// s0 + s1 T + s2 T^2 plus the periodic terms A cos(r T + p), degrees inside the cosine.
double correction(const double* group, int terms, double t) {
  double value = polynomial(group, t);
  for (int n = 0; n < terms; ++n) {
    const double* term = group + 3 + 3 * n;
    value += term[0] * std::cos((term[1] * t + term[2]) * kDegToRad);
  }
  return value;
}

struct Heliocentric {
  Vector position;  // AU
  Vector velocity;  // AU per day
};

Heliocentric keplerBody(int k, const double* table, double t) {
  const double* el = table + kBase[k];

  // The mean anomaly runs to hundreds of thousands of degrees; form and fold it in extended
  // precision so its last digits survive.
  const long double tx = t;
  long double meanAnomalyX = (static_cast<long double>(el[0]) + el[1] * tx + el[2] * tx * tx) *
                             ephem::detail::kDegToRadExtended;
  meanAnomalyX -= kTwoPiExtended * std::trunc(meanAnomalyX / kTwoPiExtended);
  const double meanAnomaly = static_cast<double>(meanAnomalyX);
  const double e = polynomial(el + 3, t);
  const double a = el[6];

  double eccentric = meanAnomaly;
  for (int i = 0; i < 5; ++i) eccentric = meanAnomaly + e * std::sin(eccentric);
  const double cosE = std::cos(eccentric);
  const double sinE = std::sin(eccentric);

  const double rate = 0.0172021 / ((1.0 - e * cosE) * XToTheY(a, 1.5));
  const double minorAxis = std::sqrt(1.0 - e * e);
  const Turn perihelion = makeTurn(polynomial(el + 7, t) * kDegToRad);
  const Turn node = makeTurn(polynomial(el + 10, t) * kDegToRad);
  const Turn inclination = makeTurn(polynomial(el + 13, t) * kDegToRad);

  Heliocentric body;
  body.velocity =
      toEcliptic(-a * sinE * rate, a * rate * minorAxis * cosE, perihelion, inclination, node);
  body.position = toEcliptic(a * (cosE - e), a * sinE * minorAxis, perihelion, inclination, node);

  if (k >= kJupiter && k <= kPluto) {
    const GroupTerms& g = kGroupTerms[k - kJupiter];
    const double* group = el + kElementCount;
    const double dy = correction(group, g.y, t);
    group += groupLength(g.y);
    const double dx = correction(group, g.x, t);
    group += groupLength(g.x);
    const double dz = g.z < 0 ? 0.0 : correction(group, g.z, t);
    body.position.x += dx;
    body.position.y += dy;
    body.position.z += dz;
  }
  return body;
}

// Longitude rate in radians per day of a position moving with a velocity.
double longitudeRate(const Vector& p, const Vector& v) {
  return (p.x * v.y - p.y * v.x) / (p.x * p.x + p.y * p.y);
}

double latitudeDegrees(const Vector& p) {
  return std::atan(p.z / std::sqrt(p.x * p.x + p.y * p.y)) * kRadToDeg;
}

// The caller's elements 0..12; element 0 is carried along untouched so indices stay the body's.
using Points = std::array<double, kChiron + 1>;

constexpr std::array<const char*, kChiron + 1> kBodyNames = {
    "",       "the Sun", "the Moon", "Mercury", "Venus",    "Mars",  "Jupiter",
    "Saturn", "Uranus",  "Neptune",  "Pluto",   "the Node", "Chiron"};

void computePositions(int32_t First, int32_t Last, int32_t Centric, double ZodiacOffset, double T,
                      int32_t MoonMode, Points& Lon, Points& Decl, Points& Speed,
                      const double* TheoryTable, uint8_t NodeMode);

void requireHigh(const char* name, int32_t high, int32_t needed) {
  if (high < needed) {
    ephem::detail::raiseArithmetic(std::string("PlanetCalc needs ") + name +
                                   " with highest index at least " + std::to_string(needed) +
                                   "; got " + std::to_string(high));
  }
}

}  // namespace

extern "C" {

// Work and TermCounts are scratch in the documented interface; their contents never matter.
void PlanetCalc(int32_t First, int32_t Last, int32_t Centric, double ZodiacOffset,
                const double* /*Work*/, int32_t /*WorkHigh*/, double T,
                const uint8_t* /*TermCounts*/, int32_t /*TermCountsHigh*/, int32_t MoonMode,
                double* Lon, int32_t LonHigh, double* Decl, int32_t DeclHigh, double* Speed,
                int32_t SpeedHigh, const double* TheoryTable, int32_t TheoryTableHigh,
                uint8_t NodeMode) {
  // Refuse what would read or write past the caller's arrays, before anything is written.
  ephem::detail::requireFinite("PlanetCalc", {{"ZodiacOffset", ZodiacOffset}, {"T", T}});
  ephem::detail::requirePointers(
      "PlanetCalc", {{"Lon", Lon}, {"Decl", Decl}, {"Speed", Speed}, {"TheoryTable", TheoryTable}});
  requireHigh("Lon", LonHigh, kChiron);
  requireHigh("Decl", DeclHigh, kChiron);
  requireHigh("Speed", SpeedHigh, kChiron);
  requireHigh("TheoryTable", TheoryTableHigh, kTableHigh);
  if (First <= Last && (First < kSun || Last > kChiron)) {
    ephem::detail::raiseArithmetic("PlanetCalc computes bodies 1 to 12; asked for " +
                                   std::to_string(First) + " to " + std::to_string(Last));
  }

  // The work is done on copies so that a T beyond the theory's reach (a body whose position
  // comes out NaN) is refused before the caller's arrays change. Elements the call does not
  // compute keep the caller's values, as before.
  Points lon, decl, speed;
  std::copy_n(Lon, lon.size(), lon.begin());
  std::copy_n(Decl, decl.size(), decl.begin());
  std::copy_n(Speed, speed.size(), speed.begin());
  computePositions(First, Last, Centric, ZodiacOffset, T, MoonMode, lon, decl, speed, TheoryTable,
                   NodeMode);
  // The Node is this call's own only when it computed the Moon; otherwise it is the caller's.
  const bool moonComputed = First <= kMoon && kMoon <= Last && MoonMode != 2;
  for (int k = std::max(First, kSun); k <= std::min(Last, kChiron); ++k) {
    const bool computed = k != kNode || moonComputed;
    if (computed &&
        (!std::isfinite(lon[k]) || !std::isfinite(decl[k]) || !std::isfinite(speed[k]))) {
      ephem::detail::raiseOutOfRange(
          "PlanetCalc", {"T", T},
          std::string("the theory gives no position of ") + kBodyNames[k] +
              " there; it gives all twelve bodies for T from -131.59778959551761 to "
              "259.49965493443756");
    }
  }
  std::copy_n(lon.begin() + kSun, kChiron, Lon + kSun);
  std::copy_n(decl.begin() + kSun, kChiron, Decl + kSun);
  std::copy_n(speed.begin() + kSun, kChiron, Speed + kSun);
}

}  // extern "C"

namespace {

void computePositions(int32_t First, int32_t Last, int32_t Centric, double ZodiacOffset, double T,
                      int32_t MoonMode, Points& Lon, Points& Decl, Points& Speed,
                      const double* TheoryTable, uint8_t NodeMode) {
  const bool heliocentric = Centric == 1;
  Vector earthPosition{0, 0, 0};
  Vector earthVelocity{0, 0, 0};
  // Later bodies are seen from the Earth found at body 1; a call starting past the Sun still
  // needs it.
  if (!heliocentric && First > kSun && First <= Last) {
    const Heliocentric earth = keplerBody(kSun, TheoryTable, T);
    earthPosition = earth.position;
    earthVelocity = earth.velocity;
  }

  for (int k = First; k <= Last; ++k) {
    Decl[k] = 0.0;
    Speed[k] = 0.0;
    if (k != kNode) Lon[k] = 0.0;
    if (k == kNode) continue;  // written together with the Moon
    if (k == kMoon) {
      if (MoonMode != 2) {
        double unused = 0.0;
        MoonCalc(NodeMode, &unused, 0, ZodiacOffset, T, &Lon[kMoon], &Lon[kNode], &Decl[kMoon]);
      }
      continue;
    }

    Heliocentric body = keplerBody(k, TheoryTable, T);
    Vector& p = body.position;
    double rate = longitudeRate(p, body.velocity);
    double longitude = 0.0;
    double latitude = 0.0;

    if (heliocentric) {
      longitude = polarAngle(p.x, p.y) * kRadToDeg + ZodiacOffset;
      if (longitude < 0) longitude += 360.0;
      longitude = foldTurns(longitude);
      latitude = latitudeDegrees(p);
    } else if (k == kSun) {
      // The Sun's longitude is replaced below; its latitude and motion are the Earth's.
      earthPosition = p;
      earthVelocity = body.velocity;
      latitude = latitudeDegrees(p);
    } else {
      p.x -= earthPosition.x;
      p.y -= earthPosition.y;
      p.z -= earthPosition.z;
      const Vector velocity{body.velocity.x - earthVelocity.x, body.velocity.y - earthVelocity.y,
                            body.velocity.z - earthVelocity.z};
      rate = longitudeRate(p, velocity);
      const double distance = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
      const double lightTime = 0.0057683 * distance * rate * kRadToDeg;
      longitude = polarAngle(p.x, p.y) * kRadToDeg + lightTime + ZodiacOffset;
      if (longitude < 0) longitude += 360.0;
      longitude = foldTurns(longitude);
      latitude = latitudeDegrees(p);
    }

    if (k == kSun) {
      longitude = ephem::detail::apparentSunLongitude(T);
      if (heliocentric) longitude = foldTurns(longitude + 180.0);
      longitude += ZodiacOffset;
      if (longitude < 0) longitude += 360.0;
    }

    Lon[k] = longitude;
    Decl[k] = latitude;
    Speed[k] = 60.0 * rate;
  }

  // Ecliptic longitude and latitude to declination, for every point whatever the range was.
  const Turn obliquity = makeTurn(ephem::detail::meanObliquity(T));
  for (int k = kSun; k <= kChiron; ++k) {
    double lambda = Lon[k] * kDegToRad;
    double beta = Decl[k] * kDegToRad;
    if (lambda == 0) lambda = 1.7453e-9;
    if (beta == 0) beta = 1.7453e-9;
    double unused, s;
    rotate(std::cos(beta) * std::sin(lambda), std::sin(beta), obliquity, unused, s);
    Decl[k] = std::atan(s / std::sqrt(1.0 - s * s)) * kRadToDeg;
  }
}

}  // namespace
