// SPDX-License-Identifier: GPL-3.0-or-later
// Compares PlanetCalc with an independent numerical ephemeris every 10 days from 11 January 1800 to
// 2200 and prints the largest and the RMS longitude error of each body as a Markdown table, twice:
//   - "theory": the peer evaluated at the same instant read as ephemeris time, as ephemlib reads
//     universal time; this isolates the error of the theory itself;
//   - "as used": the peer at the true instant (universal time with Delta T applied), which is what
//     a user of the clock sees.
// The peer's ephemeris files are looked for in SE_EPHE_PATH or the system's default directory.
#include <swephexp.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ephemlib.h"

namespace {

constexpr int kPeerBody[EPHEM_BODY_COUNT + 1] = {
    -1,        SE_SUN,    SE_MOON,    SE_MERCURY, SE_VENUS,     SE_MARS,  SE_JUPITER,
    SE_SATURN, SE_URANUS, SE_NEPTUNE, SE_PLUTO,   SE_TRUE_NODE, SE_CHIRON};
const char* const kName[EPHEM_BODY_COUNT + 1] = {
    "",       "Sun",    "Moon",    "Mercury", "Venus",       "Mars",  "Jupiter",
    "Saturn", "Uranus", "Neptune", "Pluto",   "Node (true)", "Chiron"};

struct Error {
  double max = 0, sumSquares = 0, maxDecl = 0;
  long count = 0;
  void add(double lon, double decl) {
    max = std::fmax(max, std::fabs(lon));
    maxDecl = std::fmax(maxDecl, std::fabs(decl));
    sumSquares += lon * lon;
    ++count;
  }
  double rms() const { return std::sqrt(sumSquares / static_cast<double>(count)); }
};

double signedDifference(double a, double b) {
  double d = std::fmod(a - b, 360.0);
  if (d > 180) d -= 360;
  if (d <= -180) d += 360;
  return d;
}

// Longitude (ecliptic of date) and declination of a body from the peer at jd, read as ephemeris
// time or as universal time.
bool peer(int body, double jd, bool universal, double& lon, double& decl) {
  char error[AS_MAXCH] = "";
  double ecliptic[6], equatorial[6];
  const int32 flags = SEFLG_SWIEPH;
  auto calc = [&](int32 extra, double* out) {
    const int32 got = universal ? swe_calc_ut(jd, body, flags | extra, out, error)
                                : swe_calc(jd, body, flags | extra, out, error);
    if (got < 0 || !(got & SEFLG_SWIEPH)) {
      std::fprintf(stderr, "peer ephemeris for body %d at JD %.1f: %s\n", body, jd,
                   got < 0 ? error : "its files were not found (set SE_EPHE_PATH)");
      return false;
    }
    return true;
  };
  if (!calc(0, ecliptic) || !calc(SEFLG_EQUATORIAL, equatorial)) return false;
  lon = ecliptic[0];
  decl = equatorial[1];
  return true;
}

}  // namespace

int main() {
  const char* path = std::getenv("SE_EPHE_PATH");
  swe_set_ephe_path(path ? path : nullptr);

  double table[EPHEM_THEORY_TABLE_SIZE] = {};
  InitialisePlanets(table, EPHEM_THEORY_TABLE_HIGH);
  double work[EPHEM_CHART_POINT_COUNT + 1] = {}, lon[EPHEM_CHART_POINT_COUNT + 1],
                                        decl[EPHEM_CHART_POINT_COUNT + 1],
                                        speed[EPHEM_CHART_POINT_COUNT + 1];
  uint8_t termCounts[13] = {};

  Error theory[EPHEM_BODY_COUNT + 1], asUsed[EPHEM_BODY_COUNT + 1], nearNow[EPHEM_BODY_COUNT + 1];
  const double nearFrom = JulDay(1, 1, 1950) - 0.5, nearTo = JulDay(1, 1, 2050) - 0.5;
  // The peer's files start on 1 January 1800 and need a few days of margin.
  const double first = JulDay(1, 11, 1800) - 0.5;  // 0h UT
  const double last = JulDay(1, 1, 2200) - 0.5;
  for (double jd = first; jd <= last; jd += 10.0) {
    const double t = (jd - 2415020.0) / 36525.0;
    PlanetCalc(1, EPHEM_BODY_COUNT, 0, 0.0, work, EPHEM_CHART_POINT_COUNT, t, termCounts, 12, 1,
               lon, EPHEM_CHART_POINT_COUNT, decl, EPHEM_CHART_POINT_COUNT, speed,
               EPHEM_CHART_POINT_COUNT, table, EPHEM_THEORY_TABLE_HIGH, 0);
    for (int k = 1; k <= EPHEM_BODY_COUNT; ++k) {
      double peerLon, peerDecl;
      if (!peer(kPeerBody[k], jd, false, peerLon, peerDecl)) return 1;
      theory[k].add(signedDifference(lon[k], peerLon), decl[k] - peerDecl);
      if (!peer(kPeerBody[k], jd, true, peerLon, peerDecl)) return 1;
      asUsed[k].add(signedDifference(lon[k], peerLon), decl[k] - peerDecl);
      if (jd >= nearFrom && jd < nearTo) {
        nearNow[k].add(signedDifference(lon[k], peerLon), decl[k] - peerDecl);
      }
    }
  }
  swe_close();

  std::printf(
      "Geocentric, tropical, apparent positions every 10 days from 1800-01-11 to "
      "2200-01-01 (%ld dates), in degrees.\n\n",
      theory[1].count);
  std::printf(
      "| Body | Longitude max (theory) | Longitude RMS (theory) | Longitude max (as used) "
      "| Longitude RMS (as used) | Declination max (as used) |\n");
  std::printf("|---|---:|---:|---:|---:|---:|\n");
  for (int k = 1; k <= EPHEM_BODY_COUNT; ++k) {
    std::printf("| %s | %.4f | %.4f | %.4f | %.4f | %.4f |\n", kName[k], theory[k].max,
                theory[k].rms(), asUsed[k].max, asUsed[k].rms(), asUsed[k].maxDecl);
  }
  std::printf("\nThe same, as used, for 1950-01-01 to 2050-01-01 only (%ld dates):\n\n",
              nearNow[1].count);
  std::printf("| Body | Longitude max | Longitude RMS | Declination max |\n");
  std::printf("|---|---:|---:|---:|\n");
  for (int k = 1; k <= EPHEM_BODY_COUNT; ++k) {
    std::printf("| %s | %.4f | %.4f | %.4f |\n", kName[k], nearNow[k].max, nearNow[k].rms(),
                nearNow[k].maxDecl);
  }
  return 0;
}
