// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "ephemlib.h"

namespace {

using Points = std::array<double, EPHEM_CHART_POINT_COUNT + 1>;
using Orbs = std::array<float, 12>;

struct Grid {
  std::string codes;
  std::array<unsigned char, 197 * 6> orbTexts{};
  std::string orb(int t) const {
    return std::string(reinterpret_cast<const char*>(&orbTexts[t * 6 + 1]), orbTexts[t * 6]);
  }
};

std::string text(const unsigned char* shortString) {
  return std::string(reinterpret_cast<const char*>(shortString + 1), shortString[0]);
}

Grid single(const Points& p, const Orbs& orbs, bool minor = false, int percent = 0,
            bool luminaries = false, int custom = 0) {
  Grid g;
  unsigned char codes[91] = {};
  AspCalc(p.data(), EPHEM_CHART_POINT_COUNT, orbs.data(), 11, codes, g.orbTexts.data(), 196, minor,
          percent, luminaries, custom);
  g.codes = text(codes);
  return g;
}

Grid twoCharts(const Points& a, const Points& b, const Orbs& orbs, int custom = 0) {
  Grid g;
  unsigned char codes[197] = {};
  MultiAsp(a.data(), EPHEM_CHART_POINT_COUNT, b.data(), EPHEM_CHART_POINT_COUNT, orbs.data(), 11,
           codes, g.orbTexts.data(), 196, custom);
  g.codes = text(codes);
  return g;
}

// Pair number of points i < j in AspCalc's order.
int singlePair(int i, int j) {
  int t = 0;
  for (int a = 1; a <= EPHEM_BODY_COUNT; ++a)
    for (int b = a + 1; b <= EPHEM_CHART_POINT_COUNT; ++b) {
      ++t;
      if (a == i && b == j) return t;
    }
  return -1;
}

// Points that sit at no aspect to each other with the tight orbs these tests use.
Points scattered() {
  Points p{};
  for (int k = 1; k <= EPHEM_CHART_POINT_COUNT; ++k) p[k] = 3.7 + 11.13 * k;
  return p;
}

const std::string kDeg = "\xB0";

struct PairCase {
  const char* name;
  double first, second;
  Orbs orbs;
  int custom;
  char code;
  std::string orb;
};

Orbs every(float orb) {
  Orbs o;
  o.fill(orb);
  return o;
}
Orbs with(Orbs o, int kind, float orb) {
  o[kind] = orb;
  return o;
}

TEST(AspectPairs, ClassifyAndDescribeOneSeparationInBothGrids) {
  const PairCase cases[] = {
      {"opposition short of exact", 0.0, 179.5, with(every(0), 10, 1), 0, '%', "0" + kDeg + "30"},
      {"opposition folded past 180", 0.0, 180.5, with(every(0), 10, 1), 0, '%', "0" + kDeg + "30"},
      {"sextile tested before semi-square", 10.0, 60.0, with(with(every(0), 3, 10), 2, 5), 0, '*',
       "10" + kDeg + "0"},
      {"exactly on the orb boundary", 0.0, 62.5, with(every(0), 3, 2.5f), 0, '*',
       "2" + kDeg + "30"},
      {"a hair beyond the boundary", 0.0, 62.5001, with(every(0), 3, 2.5f), 0, '_', "     "},
      {"below the exact angle", 0.0, 143.75, with(every(2), 8, 1), 0, 'B', "0" + kDeg + "15"},
      {"minutes round up to 60", 0.0, 0.999, every(2), 0, '=', "0" + kDeg + "60"},
      {"conjunction across 0/360", 359.99, 0.0, every(1), 0, '=', "0" + kDeg + "1"},
      {"square above exact", 100.0, 6.75, every(5), 0, 'S', "3" + kDeg + "15"},
      {"custom angle uses orb 11", 0.0, 100.5, with(every(0), 11, 1), 100, 'c', "0" + kDeg + "30"},
      {"long text cut to five", 0.0, 179.5, with(every(0), 11, 200), 300, 'c', "120" + kDeg + "3"},
      {"nothing in orb", 0.0, 37.0, every(1), 0, '_', "     "},
  };
  for (const PairCase& c : cases) {
    SCOPED_TRACE(c.name);
    Points a = scattered(), b = scattered();
    a[1] = c.first;
    b[1] = c.second;
    const Grid multi = twoCharts(a, b, c.orbs, c.custom);
    EXPECT_EQ(multi.codes[0], c.code);
    EXPECT_EQ(multi.orb(1), c.orb);

    Points p = scattered();
    p[5] = c.first;  // Mars and Saturn: no luminary boost can apply
    p[7] = c.second;
    const Grid one = single(p, c.orbs, true, 100, true, c.custom);
    EXPECT_EQ(one.codes[singlePair(5, 7) - 1], c.code);
    EXPECT_EQ(one.orb(singlePair(5, 7)), c.orb);
  }
}

// Overlapping orbs: for each two kinds next to each other in the order the grids test them, a
// separation inside both orbs takes the earlier kind, and the same separation with the earlier
// kind's orb a quarter degree short takes the later one. Every other orb is 0 and no separation
// sits on another kind's exact angle. Custom is set to 100 degrees.
TEST(AspectPairs, OverlappingOrbsResolveByTheTestOrder) {
  struct Row {
    const char* kinds;
    int first, second;  // orb indices: 0 conjunction .. 10 opposition, 11 custom
    double separation;
    float firstOrb, secondOrb;
    char firstCode, secondCode;
  } rows[] = {
      {"conjunction before opposition", 0, 10, 90.0, 90.25f, 90.25f, '=', '%'},
      {"opposition before trine", 10, 6, 151.0, 29.25f, 31.25f, '%', 'T'},
      {"trine before square", 6, 5, 105.0, 15.25f, 15.25f, 'T', 'S'},
      {"square before sextile", 5, 3, 75.0, 15.25f, 15.25f, 'S', '*'},
      {"sextile before quincunx", 3, 9, 105.0, 45.25f, 45.25f, '*', 'I'},
      {"quincunx before sesquiquadrate", 9, 7, 142.0, 8.25f, 7.25f, 'I', '>'},
      {"sesquiquadrate before semi-sextile", 7, 1, 82.5, 52.75f, 52.75f, '>', 'V'},
      {"semi-sextile before semi-square", 1, 2, 37.5, 7.75f, 7.75f, 'V', '<'},
      {"semi-square before quintile", 2, 4, 58.5, 13.75f, 13.75f, '<', 'Q'},
      {"quintile before biquintile", 4, 8, 108.0, 36.25f, 36.25f, 'Q', 'B'},
      {"biquintile before custom", 8, 11, 122.25, 21.75f, 22.5f, 'B', 'c'},
  };
  for (const Row& r : rows) {
    for (bool firstInOrb : {true, false}) {
      SCOPED_TRACE(testing::Message() << r.kinds << (firstInOrb ? "" : ", first orb short"));
      Orbs orbs = every(0);
      orbs[r.first] = firstInOrb ? r.firstOrb : r.firstOrb - 0.5f;
      orbs[r.second] = r.secondOrb;
      const char expected = firstInOrb ? r.firstCode : r.secondCode;

      Points a = scattered(), b = scattered();
      a[1] = 10.0;
      b[1] = 10.0 + r.separation;
      EXPECT_EQ(twoCharts(a, b, orbs, 100).codes[0], expected) << "MultiAsp";

      Points p = scattered();
      p[5] = 10.0;
      p[7] = 10.0 + r.separation;
      EXPECT_EQ(single(p, orbs, false, 0, false, 100).codes[singlePair(5, 7) - 1], expected)
          << "AspCalc";
    }
  }
}

TEST(AspectBoosts, LuminaryPairsWidenMajorOrbsAndMinorOnlyOnRequest) {
  const Orbs orbs = with(with(every(0), 6, 6), 9, 2);
  Points p = scattered();
  p[1] = 0.0;    // Sun
  p[2] = 200.0;  // Moon
  p[5] = 128.5;  // Mars: trine to the Sun by 8.5
  p[7] = 257.0;  // Saturn: trine to Mars by 8.5
  p[9] = 47.5;   // Neptune: quincunx to the Moon by 2.5
  struct Row {
    const char* name;
    bool minor, luminaries;
    char sunMars, marsSaturn, moonNeptune;
  } rows[] = {
      {"no boost", false, false, '_', '_', '_'},
      {"luminaries only", false, true, 'T', '_', '_'},
      {"luminaries and minor", true, true, 'T', '_', 'I'},
      {"minor alone does nothing", true, false, '_', '_', '_'},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Grid g = single(p, orbs, r.minor, 50, r.luminaries);
    EXPECT_EQ(g.codes[singlePair(1, 5) - 1], r.sunMars);
    EXPECT_EQ(g.codes[singlePair(5, 7) - 1], r.marsSaturn);
    EXPECT_EQ(g.codes[singlePair(2, 9) - 1], r.moonNeptune);
  }
  EXPECT_EQ(single(p, orbs, false, 50, true).orb(singlePair(1, 5)), "8" + kDeg + "30");
}

TEST(AspectGrids, AreFullLengthInPairOrderLeaveSlotZeroAndRefuseShortArrays) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> longitude(0.0, 360.0);
  const Orbs orbs = {8, 2, 2, 6, 2, 8, 8, 2, 2, 3, 8, 2};
  const std::string allowed = "=V<*QSTBI>%c_";
  for (int round = 0; round < 50; ++round) {
    Points a{}, b{};
    for (int k = 1; k <= EPHEM_CHART_POINT_COUNT; ++k)
      a[k] = longitude(random), b[k] = longitude(random);
    const Grid one = single(a, orbs, false, 0, false, 17);
    const Grid multi = twoCharts(a, b, orbs, 17);
    ASSERT_EQ(one.codes.size(), 90u);
    ASSERT_EQ(multi.codes.size(), 196u);
    EXPECT_EQ(one.codes.find_first_not_of(allowed), std::string::npos);
    EXPECT_EQ(multi.codes.find_first_not_of(allowed), std::string::npos);

    // Without boosts the single grid is the two-chart grid of a chart with itself, i < j.
    const Grid self = twoCharts(a, a, orbs, 17);
    for (int i = 1; i <= EPHEM_BODY_COUNT; ++i)
      for (int j = i + 1; j <= EPHEM_CHART_POINT_COUNT; ++j) {
        const int t = singlePair(i, j);
        EXPECT_EQ(one.codes[t - 1], self.codes[(i - 1) * EPHEM_CHART_POINT_COUNT + j - 1])
            << i << "-" << j;
        EXPECT_EQ(one.orb(t), self.orb((i - 1) * EPHEM_CHART_POINT_COUNT + j));
      }
  }
  Points p = scattered();
  std::array<unsigned char, 91 * 6> slots{};
  slots[0] = 0xAA;
  unsigned char codes[91];
  AspCalc(p.data(), EPHEM_CHART_POINT_COUNT, every(1).data(), 11, codes, slots.data(), 90, false, 0,
          false, 0);
  EXPECT_EQ(slots[0], 0xAA);
  EXPECT_THROW(AspCalc(p.data(), EPHEM_CHART_POINT_COUNT, every(1).data(), 11, codes, slots.data(),
                       89, 0, 0, 0, 0),
               EphemArithmeticError);
}

}  // namespace
