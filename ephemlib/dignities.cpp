// SPDX-License-Identifier: LGPL-3.0-or-later
// Sign-based classification of planets: essential dignities, mutual receptions, element/quality.
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "internal.h"

using ephem::detail::fold360;
using ephem::detail::raiseArithmetic;
using ephem::detail::requireHighIndex;
using ephem::detail::writeShortString;

namespace {

constexpr int kPlanetCount = EPHEM_BODY_COUNT;        // Sun .. Chiron
constexpr int kRankedPlanets = 10;                    // Node and Chiron have no dignities
constexpr int kPointCount = EPHEM_CHART_POINT_COUNT;  // GetQualities also counts the angles
constexpr int kCellCount = 12;
constexpr std::size_t kDignitySlot = 11;
constexpr std::size_t kDignityCapacity = 10;

enum Sign : uint8_t { Ari = 1, Tau, Gem, Can, Leo, Vir, Lib, Sco, Sag, Cap, Aqu, Pis };

// Each planet's dignity signs; 0 fills the unused second sign of a single-sign dignity.
struct DignitySigns {
  std::array<uint8_t, 2> own;
  uint8_t exaltation;
  std::array<uint8_t, 2> detriment;
  uint8_t fall;
};

constexpr std::array<DignitySigns, kRankedPlanets + 1> kDignities = {{
    {{0, 0}, 0, {0, 0}, 0},              // unused
    {{Leo, 0}, Ari, {Aqu, 0}, Lib},      // Sun
    {{Can, 0}, Tau, {Cap, 0}, Sco},      // Moon
    {{Gem, Vir}, Aqu, {Sag, Pis}, Leo},  // Mercury
    {{Tau, Lib}, Pis, {Ari, Sco}, Vir},  // Venus
    {{Ari, 0}, Cap, {Lib, 0}, Can},      // Mars
    {{Sag, 0}, Can, {Gem, 0}, Cap},      // Jupiter
    {{Cap, 0}, Lib, {Can, 0}, Ari},      // Saturn
    {{Aqu, 0}, Sco, {Leo, 0}, Tau},      // Uranus
    {{Pis, 0}, Can, {Vir, 0}, Cap},      // Neptune
    {{Sco, 0}, Ari, {Tau, 0}, Lib},      // Pluto
}};

// Cell of each sign (Aries first): quality by quality, and within one Fire, Earth, Air, Water.
constexpr std::array<uint8_t, 12> kQualityCell = {1, 6, 11, 4, 5, 10, 3, 8, 9, 2, 7, 12};

// Sign 1..12 of a longitude; angles outside [0, 360) are first brought into it.
int signOf(const char* function, int point, double longitude) {
  if (!std::isfinite(longitude)) {
    raiseArithmetic(std::string(function) + ": the longitude of point " + std::to_string(point) +
                    " is not a finite number");
  }
  const long double reduced = fold360(longitude);
  const int sign = static_cast<int>(std::trunc(reduced / 30.0L)) + 1;
  return sign > 12 ? 12 : sign;
}

std::string_view dignityWord(int planet, int sign) {
  const DignitySigns& d = kDignities[planet];
  if (sign == d.own[0] || sign == d.own[1]) return "Own";
  if (sign == d.exaltation) return "Exaltation";
  if (sign == d.detriment[0] || sign == d.detriment[1]) return "Detriment";
  if (sign == d.fall) return "Fall";
  return " ";
}

}  // namespace

extern "C" {

void EssentialDignities(const double* Positions, int32_t PositionsHigh, unsigned char* DignityTexts,
                        int32_t DignityTextsHigh, uint8_t* Receptions, int32_t ReceptionsHigh) {
  requireHighIndex("EssentialDignities", "Positions", Positions, PositionsHigh, kPlanetCount);
  requireHighIndex("EssentialDignities", "DignityTexts", DignityTexts, DignityTextsHigh,
                   kPlanetCount);
  requireHighIndex("EssentialDignities", "Receptions", Receptions, ReceptionsHigh, kPlanetCount);

  std::array<int, kPlanetCount + 1> sign{};
  for (int n = 1; n <= kPlanetCount; ++n) sign[n] = signOf("EssentialDignities", n, Positions[n]);

  for (int n = 1; n <= kPlanetCount; ++n) {
    const std::string_view word = n <= kRankedPlanets ? dignityWord(n, sign[n]) : " ";
    writeShortString(DignityTexts + static_cast<std::size_t>(n) * kDignitySlot, word,
                     kDignityCapacity);
  }

  // Rulers are planets 1..10 only, so Node and Chiron can never be received.
  for (int n = 1; n <= kPlanetCount; ++n) {
    const int ruler = CheckRuler(static_cast<uint16_t>(sign[n]));
    const bool mutual = ruler != n && ruler >= 1 && ruler <= kPlanetCount &&
                        CheckRuler(static_cast<uint16_t>(sign[ruler])) == n;
    Receptions[n] = mutual ? static_cast<uint8_t>(ruler) : 0;
  }
}

void GetQualities(const double* Positions, int32_t PositionsHigh, uint8_t* Counts,
                  int32_t CountsHigh, const uint8_t* Weights, int32_t WeightsHigh) {
  requireHighIndex("GetQualities", "Positions", Positions, PositionsHigh, kPointCount);
  requireHighIndex("GetQualities", "Counts", Counts, CountsHigh, kCellCount);
  requireHighIndex("GetQualities", "Weights", Weights, WeightsHigh, kPointCount);

  std::array<uint8_t, kPointCount + 1> weights{};
  for (int k = 1; k <= kPointCount; ++k) weights[k] = Weights[k];
  std::array<int, kPointCount + 1> sign{};
  for (int k = 1; k <= kPointCount; ++k) sign[k] = signOf("GetQualities", k, Positions[k]);

  for (int cell = 1; cell <= kCellCount; ++cell) Counts[cell] = 0;
  for (int k = 1; k <= kPointCount; ++k) {
    const int cell = kQualityCell[sign[k] - 1];
    Counts[cell] = static_cast<uint8_t>(Counts[cell] + weights[k]);
  }
}

}  // extern "C"
