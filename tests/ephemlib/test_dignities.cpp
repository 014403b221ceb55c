// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "ephemlib.h"

namespace {

using Points = std::array<double, EPHEM_CHART_POINT_COUNT + 1>;

struct Dignities {
  std::array<unsigned char, (EPHEM_BODY_COUNT + 1) * 11> texts{};
  std::array<uint8_t, EPHEM_BODY_COUNT + 1> receptions{};
  std::string word(int n) const {
    return std::string(reinterpret_cast<const char*>(&texts[n * 11 + 1]), texts[n * 11]);
  }
};

Dignities dignities(const Points& p) {
  Dignities d;
  EssentialDignities(p.data(), EPHEM_CHART_POINT_COUNT, d.texts.data(), EPHEM_BODY_COUNT,
                     d.receptions.data(), EPHEM_BODY_COUNT);
  return d;
}

// Every planet in a sign where it has no dignity and no reception (Libra/Pisces/Gemini mix).
Points neutral() {
  Points p{};
  p.fill(0.0);
  for (int n = 1; n <= EPHEM_CHART_POINT_COUNT; ++n) p[n] = 75.0;  // Gemini: ruled by Mercury
  p[3] = 105.0;                                                    // Mercury in Cancer: nothing
  p[6] = 200.0;                                                    // Jupiter in Libra: nothing
  return p;
}

// The whole dignity table, one row per planet and one letter per sign from Aries to Pisces:
// O own sign, E exaltation, D detriment, F fall, '.' none. Written out from the classical
// rulerships with the modern planets (Uranus, Neptune, Pluto) ruling Aquarius, Pisces, Scorpio.
TEST(EssentialDignities, EveryPlanetInEverySign) {
  const char* const table[11] = {
      nullptr,
      "E...O.F...D.",  // Sun
      ".E.O...F.D..",  // Moon
      "..O.FO..D.ED",  // Mercury
      "DO...FOD...E",  // Venus
      "O..F..D..E..",  // Mars
      "..DE....OF..",  // Jupiter
      "F..D..E..O..",  // Saturn
      ".F..D..E..O.",  // Uranus
      "...E.D...F.O",  // Neptune
      "ED....FO....",  // Pluto
  };
  auto word = [](char letter) -> std::string {
    switch (letter) {
      case 'O':
        return "Own";
      case 'E':
        return "Exaltation";
      case 'D':
        return "Detriment";
      case 'F':
        return "Fall";
      default:
        return " ";
    }
  };
  for (int planet = 1; planet <= EPHEM_BODY_COUNT; ++planet) {
    for (int sign = 0; sign < 12; ++sign) {
      Points p = neutral();
      p[planet] = 30.0 * sign + 17.5;
      const std::string expected = planet <= 10 ? word(table[planet][sign]) : " ";
      EXPECT_EQ(dignities(p).word(planet), expected) << "planet " << planet << ", sign " << sign;
    }
  }
}

// Ruler of each sign, Aries to Pisces, as planet numbers: Mars, Venus, Mercury, Moon, Sun,
// Mercury, Venus, Pluto, Jupiter, Saturn, Uranus, Neptune.
constexpr int kRuler[12] = {5, 4, 3, 2, 1, 3, 4, 10, 6, 7, 8, 9};

TEST(CheckRuler, RulerOfEverySign) {
  for (int sign = 1; sign <= 12; ++sign) EXPECT_EQ(CheckRuler(sign), kRuler[sign - 1]) << sign;
}

// For every planet in every sign: it receives the sign's ruler exactly when that ruler stands in
// a sign the planet rules.
TEST(EssentialDignities, ReceptionForEveryPlanetAndSign) {
  for (int planet = 1; planet <= 10; ++planet) {
    int ruledByPlanet = -1, notRuledByPlanet = -1;
    for (int s = 0; s < 12; ++s) {
      (kRuler[s] == planet ? ruledByPlanet : notRuledByPlanet) = s;
    }
    for (int sign = 0; sign < 12; ++sign) {
      const int ruler = kRuler[sign];
      for (bool mutual : {true, false}) {
        SCOPED_TRACE(testing::Message() << "planet " << planet << " in sign " << sign
                                        << (mutual ? ", ruler in its sign" : ", ruler elsewhere"));
        Points p = neutral();
        p[planet] = 30.0 * sign + 3.0;
        const int rulerSign = mutual ? ruledByPlanet : notRuledByPlanet;
        if (ruler != planet) p[ruler] = 30.0 * rulerSign + 3.0;
        const Dignities d = dignities(p);
        const bool expectReception = ruler != planet && mutual;
        EXPECT_EQ(d.receptions[planet], expectReception ? ruler : 0);
        if (expectReception) {
          EXPECT_EQ(d.receptions[ruler], planet);
        }
        EXPECT_EQ(d.receptions[11], 0);
        EXPECT_EQ(d.receptions[12], 0);
      }
    }
  }
}

TEST(EssentialDignities, FindMutualReceptionsOnlyBetweenRulers) {
  Points p = neutral();
  p[1] = 100.0;  // Sun in Cancer, ruled by the Moon
  p[2] = 130.0;  // Moon in Leo, ruled by the Sun
  p[4] = 10.0;   // Venus in Aries, ruled by Mars
  p[5] = 40.0;   // Mars in Taurus, ruled by Venus
  p[7] = 280.0;  // Saturn in its own sign
  p[11] = 100.0;
  p[12] = 130.0;
  const Dignities d = dignities(p);
  const std::array<int, 13> expected = {0, 2, 1, 0, 5, 4, 0, 0, 0, 0, 0, 0, 0};
  for (int n = 1; n <= EPHEM_BODY_COUNT; ++n)
    EXPECT_EQ(d.receptions[n], expected[n]) << "planet " << n;
}

TEST(GetQualities, CountWeightedPointsPerQualityAndElement) {
  std::array<uint8_t, 13> counts{};
  std::array<uint8_t, EPHEM_CHART_POINT_COUNT + 1> weights{};
  Points p{};
  p.fill(5.0);  // all in Aries
  weights.fill(1);
  GetQualities(p.data(), EPHEM_CHART_POINT_COUNT, counts.data(), 12, weights.data(),
               EPHEM_CHART_POINT_COUNT);
  EXPECT_EQ(counts[1], EPHEM_CHART_POINT_COUNT);
  for (int c = 2; c <= 12; ++c) EXPECT_EQ(counts[c], 0) << "cell " << c;

  // One point per sign, Aries first: the cells follow quality, then Fire/Earth/Air/Water.
  for (int k = 1; k <= 12; ++k) p[k] = 30.0 * (k - 1) + 0.5;
  p[13] = 359.9;  // Pisces, counted twice
  p[14] = 45.0;   // Taurus, left out
  weights[13] = 2;
  weights[14] = 0;
  GetQualities(p.data(), EPHEM_CHART_POINT_COUNT, counts.data(), 12, weights.data(),
               EPHEM_CHART_POINT_COUNT);
  const std::array<int, 13> expected = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3};
  for (int c = 1; c <= 12; ++c) EXPECT_EQ(counts[c], expected[c]) << "cell " << c;

  weights.fill(255);
  p.fill(5.0);
  GetQualities(p.data(), EPHEM_CHART_POINT_COUNT, counts.data(), 12, weights.data(),
               EPHEM_CHART_POINT_COUNT);
  EXPECT_EQ(counts[1], static_cast<uint8_t>(EPHEM_CHART_POINT_COUNT * 255));
}

// Which cell each sign counts in: quality by quality (cardinal, fixed, mutable) and within one
// Fire, Earth, Air, Water. Every point in every sign, alone with weight 1, lands in exactly its
// sign's cell.
TEST(GetQualities, EverySignCountsInItsOwnCell) {
  struct Row {
    const char* sign;
    int cell;
  } rows[12] = {
      {"Aries (cardinal fire)", 1},      {"Taurus (fixed earth)", 6},
      {"Gemini (mutable air)", 11},      {"Cancer (cardinal water)", 4},
      {"Leo (fixed fire)", 5},           {"Virgo (mutable earth)", 10},
      {"Libra (cardinal air)", 3},       {"Scorpio (fixed water)", 8},
      {"Sagittarius (mutable fire)", 9}, {"Capricorn (cardinal earth)", 2},
      {"Aquarius (fixed air)", 7},       {"Pisces (mutable water)", 12},
  };
  for (int point = 1; point <= EPHEM_CHART_POINT_COUNT; ++point) {
    for (int sign = 0; sign < 12; ++sign) {
      SCOPED_TRACE(testing::Message() << "point " << point << " in " << rows[sign].sign);
      Points p{};
      p.fill(200.0);
      p[point] = 30.0 * sign + 29.5;
      std::array<uint8_t, EPHEM_CHART_POINT_COUNT + 1> weights{};
      weights[point] = 1;
      std::array<uint8_t, 13> counts{};
      counts.fill(77);
      GetQualities(p.data(), EPHEM_CHART_POINT_COUNT, counts.data(), 12, weights.data(),
                   EPHEM_CHART_POINT_COUNT);
      EXPECT_EQ(counts[0], 77) << "element 0 is not written";
      for (int cell = 1; cell <= 12; ++cell) {
        EXPECT_EQ(counts[cell], cell == rows[sign].cell ? 1 : 0) << "cell " << cell;
      }
    }
  }
}

}  // namespace
