// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ephemlib.h"

namespace {

std::vector<double> filledTable(int high) {
  std::vector<double> table(high + 1, -7.0);
  InitialisePlanets(table.data(), high);
  return table;
}

TEST(InitialisePlanets, WritesIndices1To410AndLeavesTheRestAlone) {
  const std::vector<double> table = filledTable(412);
  EXPECT_EQ(table[0], -7.0);
  EXPECT_EQ(table[1], 358.4758);
  EXPECT_EQ(table[409], 0.0);
  EXPECT_EQ(table[EPHEM_THEORY_TABLE_HIGH], 0.0);
  EXPECT_EQ(table[EPHEM_THEORY_TABLE_SIZE], -7.0);
  EXPECT_EQ(table[412], -7.0);
}

// Each body's block at its base index: M0 first, the inclination's c1 at offset 14.
struct BlockRow {
  const char* body;
  int base;
  double meanAnomaly0, axis, inclination1;
};

TEST(InitialisePlanets, ElementBlocksSitAtTheirBaseIndices) {
  const std::vector<double> table = filledTable(EPHEM_THEORY_TABLE_HIGH);
  const BlockRow rows[] = {
      {"Sun", 1, 358.4758, 1.0, 0.0},
      {"Mercury", 17, 102.2794, 0.387098, 0.0019},
      {"Venus", 33, 212.6032, 0.7233, 0.001},
      {"Mars", 49, 319.5294, 1.5237, -0.0007},
      {"Jupiter", 65, 225.4928, 5.202905, -0.00515613},
      {"Saturn", 153, 174.2153, 9.5525, -0.0047},
      {"Uranus", 220, 74.1757, 19.2215, 0.0001},
      {"Neptune", 278, 30.13294, 30.11375, -0.0098},
      {"Pluto", 336, 229.781, 39.539, -0.0161},
      {"Chiron", 394, 34.6127752, 13.66975144, 0.011236955},
  };
  for (const BlockRow& row : rows) {
    SCOPED_TRACE(row.body);
    EXPECT_EQ(table[row.base], row.meanAnomaly0);
    EXPECT_EQ(table[row.base + 6], row.axis);
    EXPECT_EQ(table[row.base + 14], row.inclination1);
  }
}

// A group's secular s0 at its start, its first amplitude after the three secular terms, and
// its last phase where its term count says the group ends.
struct GroupRow {
  const char* name;
  int start, terms;
  double s0, firstAmplitude, lastPhase;
};

TEST(InitialisePlanets, CorrectionGroupsHaveTheirStartsAndTermCounts) {
  const std::vector<double> table = filledTable(EPHEM_THEORY_TABLE_HIGH);
  const GroupRow rows[] = {
      {"Jupiter y", 81, 11, -0.001, 0.0051, -50.8501},
      {"Jupiter x", 117, 11, 0.002, -0.0023, 36.2451},
      {"Saturn y", 169, 5, -0.0009, 0.0134, -69.4},
      {"Saturn x", 187, 5, -0.0014, 0.0111, -141.4},
      {"Saturn z", 205, 4, 0.0006, -0.0005, 78.2},
      {"Uranus y", 236, 4, -0.0021, 0.0299, -4.99},
      {"Uranus x", 251, 4, 0.0134, 0.0317, 79.2},
      {"Uranus z", 266, 3, -0.0003, 0.0005, -88.0},
      {"Neptune y", 294, 4, 0.1832, -0.1923, -31.3},
      {"Neptune x", 309, 4, -0.1122, -0.00496, 78.0},
      {"Neptune z", 324, 3, 0.00196, 0.0001, -25.2},
      {"Pluto y", 352, 4, -0.0426, 0.0371, -238.3},
      {"Pluto x", 367, 4, -0.0603, 0.049, 20.3},
      {"Pluto z", 382, 3, 0.0145, 0.0117, -46.1},
  };
  for (const GroupRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(table[row.start], row.s0);
    EXPECT_EQ(table[row.start + 3], row.firstAmplitude);
    EXPECT_EQ(table[row.start + 3 + 3 * row.terms - 1], row.lastPhase);
  }
}

TEST(InitialisePlanets, RefusesAShortTableWithoutWritingIt) {
  std::array<double, 400> table{};
  table.fill(-7.0);
  EXPECT_THROW(InitialisePlanets(table.data(), 399), EphemArithmeticError);
  for (double value : table) EXPECT_EQ(value, -7.0);
}

}  // namespace
