// SPDX-License-Identifier: LGPL-3.0-or-later
// Aspect grids: every pair of chart points classified by aspect kind, with its deviation as text.
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "internal.h"

using ephem::detail::requireHighIndex;
using ephem::detail::writeShortString;

namespace {

constexpr int kPointCount = EPHEM_CHART_POINT_COUNT;  // Sun .. Midheaven, indices 1..14
constexpr int kKindCount = 12;                        // Conjunction .. Custom, indices 0..11
constexpr int kSingleChartPairs = 90;                 // i < j, without Ascendant-Midheaven
constexpr int kTwoChartPairs = 196;                   // 14 x 14 ordered pairs
constexpr std::size_t kOrbTextSlot = 6;               // length byte + 5 characters
constexpr std::size_t kOrbTextCapacity = 5;
constexpr unsigned char kDegreeSign = 0xB0;
constexpr char kNoAspect = '_';

enum Kind : int {
  kConjunction = 0,
  kSemiSextile = 1,
  kSemiSquare = 2,
  kSextile = 3,
  kQuintile = 4,
  kSquare = 5,
  kTrine = 6,
  kSesquiquadrate = 7,
  kBiquintile = 8,
  kQuincunx = 9,
  kOpposition = 10,
  kCustom = 11,
};

constexpr std::array<int, kKindCount> kExactAngle = {0,   30,  45,  60,  72,  90,
                                                     120, 135, 144, 150, 180, 0};
constexpr std::array<char, kKindCount> kCode = {'=', 'V', '<', '*', 'Q', 'S',
                                                'T', '>', 'B', 'I', '%', 'c'};
// The first kind that matches wins, so overlapping orbs resolve in this order.
constexpr std::array<Kind, kKindCount> kTestOrder = {
    kConjunction,    kOpposition,  kTrine,      kSquare,   kSextile,    kQuincunx,
    kSesquiquadrate, kSemiSextile, kSemiSquare, kQuintile, kBiquintile, kCustom};

// The five major kinds take the luminary boost on its own; the others only with BoostMinor.
constexpr bool isMajor(Kind kind) {
  return kind == kConjunction || kind == kOpposition || kind == kTrine || kind == kSquare ||
         kind == kSextile;
}

// Angular separation folded into [0, 180], held in single precision as the grid has always done.
float separation(double first, double second) {
  float s = static_cast<float>(std::fabs(static_cast<long double>(first) - second));
  if (s > 180.0f) s = static_cast<float>(std::fabs(static_cast<long double>(s) - 360.0L));
  return s;
}

// "3\xB05": whole degrees, degree sign, rounded minutes (60 can occur), no padding, 5 characters.
std::string orbText(float deviation) {
  const float whole = std::trunc(deviation);
  const float fraction = deviation - whole;
  std::string text = std::to_string(static_cast<long long>(whole));
  text += static_cast<char>(kDegreeSign);
  text += std::to_string(FracToMin(fraction));
  return text;
}

class Grid {
 public:
  Grid(unsigned char* codes, unsigned char* orbTexts, std::size_t cap)
      : codes_(codes), orbTexts_(orbTexts), cap_(cap) {}

  // Classifies pair t (counted from 1) and appends its code and orb text.
  void addPair(int t, double first, double second, const std::array<long double, kKindCount>& orbs,
               int32_t customAngle) {
    const float s = separation(first, second);
    for (Kind kind : kTestOrder) {
      const long double exact = kind == kCustom ? customAngle : kExactAngle[kind];
      const long double distance = std::fabs(static_cast<long double>(s) - exact);
      if (distance <= orbs[kind]) {
        append(kCode[kind]);
        writeShortString(slot(t), orbText(static_cast<float>(distance)), kOrbTextCapacity);
        return;
      }
    }
    append(kNoAspect);
    writeShortString(slot(t), "     ", kOrbTextCapacity);
  }

  void finish() { writeShortString(codes_, text_, cap_); }

 private:
  void append(char code) { text_ += code; }
  unsigned char* slot(int t) { return orbTexts_ + static_cast<std::size_t>(t) * kOrbTextSlot; }

  unsigned char* codes_;
  unsigned char* orbTexts_;
  std::size_t cap_;
  std::string text_;
};

std::array<double, kPointCount + 1> copyPoints(const double* positions) {
  std::array<double, kPointCount + 1> points{};
  for (int k = 1; k <= kPointCount; ++k) points[k] = positions[k];
  return points;
}

std::array<long double, kKindCount> copyOrbs(const float* orbs) {
  std::array<long double, kKindCount> copy{};
  for (int k = 0; k < kKindCount; ++k) copy[k] = orbs[k];
  return copy;
}

}  // namespace

extern "C" {

void AspCalc(const double* Positions, int32_t PositionsHigh, const float* Orbs, int32_t OrbsHigh,
             unsigned char* Codes, unsigned char* OrbTexts, int32_t OrbTextsHigh, bool BoostMinor,
             int32_t BoostPercent, bool BoostLuminaries, int32_t CustomAngle) {
  requireHighIndex("AspCalc", "Positions", Positions, PositionsHigh, kPointCount);
  requireHighIndex("AspCalc", "Orbs", Orbs, OrbsHigh, kKindCount - 1);
  requireHighIndex("AspCalc", "OrbTexts", OrbTexts, OrbTextsHigh, kSingleChartPairs);
  ephem::detail::requirePointers("AspCalc", {{"Codes", Codes}});
  const auto points = copyPoints(Positions);
  const auto plainOrbs = copyOrbs(Orbs);
  auto boostedOrbs = plainOrbs;
  for (int k = 0; k < kKindCount; ++k) {
    if (isMajor(static_cast<Kind>(k)) || BoostMinor) {
      boostedOrbs[k] = plainOrbs[k] * BoostPercent * 0.01L + plainOrbs[k];
    }
  }

  Grid grid(Codes, OrbTexts, kSingleChartPairs);
  int t = 0;
  for (int i = 1; i <= EPHEM_BODY_COUNT; ++i) {
    for (int j = i + 1; j <= kPointCount; ++j) {
      const bool luminary = i == 1 || i == 2 || j == 2;
      const auto& orbs = BoostLuminaries && luminary ? boostedOrbs : plainOrbs;
      grid.addPair(++t, points[i], points[j], orbs, CustomAngle);
    }
  }
  grid.finish();
}

void MultiAsp(const double* PositionsA, int32_t PositionsAHigh, const double* PositionsB,
              int32_t PositionsBHigh, const float* Orbs, int32_t OrbsHigh, unsigned char* Codes,
              unsigned char* OrbTexts, int32_t OrbTextsHigh, int32_t CustomAngle) {
  requireHighIndex("MultiAsp", "PositionsA", PositionsA, PositionsAHigh, kPointCount);
  requireHighIndex("MultiAsp", "PositionsB", PositionsB, PositionsBHigh, kPointCount);
  requireHighIndex("MultiAsp", "Orbs", Orbs, OrbsHigh, kKindCount - 1);
  requireHighIndex("MultiAsp", "OrbTexts", OrbTexts, OrbTextsHigh, kTwoChartPairs);
  ephem::detail::requirePointers("MultiAsp", {{"Codes", Codes}});
  const auto pointsA = copyPoints(PositionsA);
  const auto pointsB = copyPoints(PositionsB);
  const auto orbs = copyOrbs(Orbs);

  Grid grid(Codes, OrbTexts, kTwoChartPairs);
  for (int i = 1; i <= kPointCount; ++i) {
    for (int j = 1; j <= kPointCount; ++j) {
      grid.addPair((i - 1) * kPointCount + j, pointsA[i], pointsB[j], orbs, CustomAngle);
    }
  }
  grid.finish();
}

}  // extern "C"
