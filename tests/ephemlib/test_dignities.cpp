#include <gtest/gtest.h>

#include <array>
#include <string>

#include "ephemlib.h"

namespace {

using Points = std::array<double, 15>;

struct Dignities {
  std::array<unsigned char, 13 * 11> texts{};
  std::array<uint8_t, 13> receptions{};
  std::string word(int n) const {
    return std::string(reinterpret_cast<const char*>(&texts[n * 11 + 1]), texts[n * 11]);
  }
};

Dignities dignities(const Points& p) {
  Dignities d;
  EssentialDignities(p.data(), 14, d.texts.data(), 12, d.receptions.data(), 12);
  return d;
}

// Every planet in a sign where it has no dignity and no reception (Libra/Pisces/Gemini mix).
Points neutral() {
  Points p{};
  p.fill(0.0);
  for (int n = 1; n <= 14; ++n) p[n] = 75.0;  // Gemini: ruled by Mercury
  p[3] = 105.0;                               // Mercury in Cancer: nothing
  p[6] = 200.0;                               // Jupiter in Libra: nothing
  return p;
}

TEST(EssentialDignities, NameTheDignityOfEachPlanetBySign) {
  struct Row {
    int planet;
    double longitude;
    const char* word;
  } rows[] = {
      {1, 125, "Own"},        {1, 15, "Exaltation"},
      {1, 200, "Fall"},       {1, 100, " "},
      {1, 315, "Detriment"},  {2, 45, "Exaltation"},
      {2, 280, "Detriment"},  {3, 165, "Own"},
      {3, 75, "Own"},         {3, 315, "Exaltation"},
      {3, 345, "Detriment"},  {3, 135, "Fall"},
      {4, 195, "Own"},        {4, 225, "Detriment"},
      {4, 350, "Exaltation"}, {4, 170, "Fall"},
      {5, 225, " "},          {5, 10, "Own"},
      {5, 280, "Exaltation"}, {5, 100, "Fall"},
      {6, 95, "Exaltation"},  {7, 10, "Fall"},
      {7, 185, "Exaltation"}, {8, 130, "Detriment"},
      {9, 100, "Exaltation"}, {10, 220, "Own"},
      {10, 30, "Detriment"},  {10, 29.999, "Exaltation"},
      {11, 125, " "},         {12, 125, " "},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "planet " << r.planet << " at " << r.longitude);
    Points p = neutral();
    p[r.planet] = r.longitude;
    EXPECT_EQ(dignities(p).word(r.planet), r.word);
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
  for (int n = 1; n <= 12; ++n) EXPECT_EQ(d.receptions[n], expected[n]) << "planet " << n;
}

TEST(GetQualities, CountWeightedPointsPerQualityAndElement) {
  std::array<uint8_t, 13> counts{};
  std::array<uint8_t, 15> weights{};
  Points p{};
  p.fill(5.0);  // all in Aries
  weights.fill(1);
  GetQualities(p.data(), 14, counts.data(), 12, weights.data(), 14);
  EXPECT_EQ(counts[1], 14);
  for (int c = 2; c <= 12; ++c) EXPECT_EQ(counts[c], 0) << "cell " << c;

  // One point per sign, Aries first: the cells follow quality, then Fire/Earth/Air/Water.
  for (int k = 1; k <= 12; ++k) p[k] = 30.0 * (k - 1) + 0.5;
  p[13] = 359.9;  // Pisces, counted twice
  p[14] = 45.0;   // Taurus, left out
  weights[13] = 2;
  weights[14] = 0;
  GetQualities(p.data(), 14, counts.data(), 12, weights.data(), 14);
  const std::array<int, 13> expected = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3};
  for (int c = 1; c <= 12; ++c) EXPECT_EQ(counts[c], expected[c]) << "cell " << c;

  weights.fill(255);
  p.fill(5.0);
  GetQualities(p.data(), 14, counts.data(), 12, weights.data(), 14);
  EXPECT_EQ(counts[1], static_cast<uint8_t>(14 * 255));
}

}  // namespace
