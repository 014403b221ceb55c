// SPDX-License-Identifier: GPL-3.0-or-later
// Wheel geometry without pixels: sizes, the angle mapping, spreading, cusps and aspect lines.
#include <gtest/gtest.h>

#include <cmath>

#include "wheel/WheelLayout.h"

namespace {

// A rotated chart: Ascendant at 120 (left of the wheel), equal 30-degree houses, points far apart.
WheelView EvenChart() {
  WheelView view;
  for (int i = 1; i <= 12; ++i) view.CuspPos[i] = std::fmod(120.0 + 30.0 * (i - 1), 360.0);
  for (int j = 1; j <= kPointCount; ++j) view.Pos[j] = 25.0 * j;
  return view;
}

TEST(WheelView, TheAscendantsSignStartsTheWheel) {
  // An Ascendant of 123.4 turns the wheel by 3.4: the Ascendant lands on 120, a planet at 2.0 on
  // 358.6; the chart keeps its true longitudes.
  Chart chart;
  chart.CuspPos[1] = 123.4;
  for (int i = 2; i <= 12; ++i) chart.CuspPos[i] = 123.4 + 30 * (i - 1) - (i >= 9 ? 360 : 0);
  chart.CuspPos[0] = 77.0;
  chart.TruePos[13] = 123.4;
  chart.TruePos[3] = 2.0;
  chart.PairString = "=";
  const WheelView view = ViewForWheel(chart);
  EXPECT_NEAR(view.WheelOffset, 3.4, 1e-12);
  EXPECT_EQ(view.Pos[13], 120.0) << "an exact multiple of 30";
  EXPECT_NEAR(view.Pos[3], 358.6, 1e-12);
  EXPECT_EQ(view.CuspPos[0], 77.0) << "slot 0 is not turned";
  EXPECT_EQ(chart.TruePos[3], 2.0);
  for (int i = 1; i <= 12; ++i) {
    EXPECT_GE(view.CuspPos[i], 0.0);
    EXPECT_LT(view.CuspPos[i], 360.0);
  }
  EXPECT_EQ(view.PairString, "=");
}

TEST(WheelSizes, DerivedFromTheWidth) {
  struct Row {
    int width;
    bool aspectLines;
    int c, f, ringWidth, signBand, tickBand, planetInset, aspectInset, planetRing;
    int glyph, small, sign, houseNum, r19, r46, r65, r80;
  };
  const Row rows[] = {
      {576, true, 288, 288, 82, 41, 5, 49, 123, 106, 13, 9, 21, 10, 15, 37, 53, 65},
      {576, false, 288, 288, 82, 41, 5, 49, 0, 164, 13, 9, 21, 10, 15, 37, 53, 65},
      // Odd widths: the centre rounds half to even (273.5 to 274, 274.5 to 274).
      {547, true, 274, 273, 78, 39, 5, 47, 117, 101, 12, 8, 20, 9, 14, 35, 50, 62},
      {549, false, 274, 274, 78, 39, 5, 47, 0, 156, 13, 9, 21, 10, 14, 35, 50, 62},
      {1152, true, 576, 576, 165, 82, 10, 98, 247, 214, 26, 18, 43, 21, 31, 75, 107, 132},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.width);
    const WheelSizes s = ComputeWheelSizes(row.width, row.aspectLines, 63);
    EXPECT_EQ(s.c, row.c);
    EXPECT_EQ(s.f, row.f);
    EXPECT_EQ(s.RingWidth, row.ringWidth);
    EXPECT_EQ(s.SignBand, row.signBand);
    EXPECT_EQ(s.TickBand, row.tickBand);
    EXPECT_EQ(s.PlanetInset, row.planetInset);
    EXPECT_EQ(s.AspectInset, row.aspectInset);
    EXPECT_EQ(s.PlanetRing, row.planetRing);
    EXPECT_EQ(s.GlyphSize, row.glyph);
    EXPECT_EQ(s.SmallSize, row.small);
    EXPECT_EQ(s.SignSize, row.sign);
    EXPECT_EQ(s.HouseNumSize, row.houseNum);
    EXPECT_EQ(s.R19, row.r19);
    EXPECT_EQ(s.R46, row.r46);
    EXPECT_EQ(s.R65, row.r65);
    EXPECT_EQ(s.R80, row.r80);
  }
}

TEST(WheelAngles, AscendantOnTheLeftZodiacCounterClockwise) {
  struct Row {
    double ascendant;
    int shift;
  };
  const Row shifts[] = {{0, 0}, {15, 0}, {15.5, 11}, {120, 8}, {345, 1}, {345.1, 0}, {359.9, 0}};
  for (const Row& row : shifts) {
    SCOPED_TRACE(row.ascendant);
    EXPECT_EQ(SignShift(row.ascendant), row.shift);
  }
  // After the rotation the Ascendant is a multiple of 30 and lands at 180 degrees, the left.
  for (int sign = 0; sign < 12; ++sign) {
    const double ascendant = 30.0 * sign;
    EXPECT_DOUBLE_EQ(std::fmod(ScreenAngle(ascendant, SignShift(ascendant)) + 360, 360), 180);
  }
  // Ten degrees further along the zodiac is ten degrees less on screen: below the left edge.
  EXPECT_DOUBLE_EQ(ScreenAngle(130, 8), 170);
  EXPECT_EQ(PolarPoint(288, 288, 100, 180), QPoint(188, 288));
  EXPECT_EQ(PolarPoint(288, 288, 100, 90), QPoint(288, 388));
}

TEST(WheelAngles, SignGlyphsSitInTheMiddleOfTheirSign) {
  // The sign that holds the Ascendant, (12 - shift) mod 12, starts at the left (180 degrees) and
  // the zodiac runs counter-clockwise (falling screen angles), so sign s is centred at
  // 165 - 30 (s + shift), moved clockwise by the whole degrees of the wheel offset, as the sign
  // boundaries are. Worked by hand, modulo 360:
  const struct {
    int shift;
    double wheelOffset;
    int sign;
    double angle;
  } rows[] = {
      {0, 0.0, 0, 165},   {0, 0.0, 1, 135},   {0, 0.0, 5, 15},    {0, 0.0, 6, 345},
      {0, 0.0, 11, 195},  {3, 0.0, 0, 75},    {3, 0.0, 9, 165},   {8, 0.0, 4, 165},
      {8, 17.25, 4, 182}, {8, 17.25, 5, 152}, {11, 29.9, 0, 224}, {11, 29.9, 1, 194},
      {1, 5.5, 11, 170},  {1, 5.5, 10, 200},
  };
  for (const auto& r : rows) {
    EXPECT_NEAR(std::fmod(SignGlyphAngle(r.sign, r.shift, r.wheelOffset) + 720, 360), r.angle, 1e-9)
        << "shift " << r.shift << " offset " << r.wheelOffset << " sign " << r.sign;
  }
}

TEST(WheelSpreading, CrowdedPointsMoveForward) {
  struct Row {
    const char* name;
    std::array<double, kPointCount + 1> pos;
    std::array<double, kPointCount + 1> display;
    bool midheavenDrawn = false;
  };
  std::array<double, kPointCount + 1> apart{};
  for (int j = 1; j <= kPointCount; ++j) apart[j] = 20.0 * j + 30;
  Row rows[5] = {{"10, 12 and 13", apart, apart},
                 {"gap over 300", {}, {}},
                 {"equal", apart, apart},
                 {"Midheaven drawn", apart, apart, true},
                 {"Midheaven not drawn", apart, apart}};
  // Three planets at 10, 12 and 13 cascade to 10, 16.5 and 21.5.
  rows[0].pos[1] = rows[0].display[1] = 10;
  rows[0].pos[2] = 12;
  rows[0].display[2] = 16.5;
  rows[0].pos[3] = 13;
  rows[0].display[3] = 21.5;
  // One point at 0.5, the rest 4.6 apart from 301: the gap pushes 301 on, and the push cascades.
  rows[1].pos[1] = rows[1].display[1] = 0.5;
  for (int j = 2; j <= kPointCount; ++j) {
    rows[1].pos[j] = 301 + 4.6 * (j - 2);
    rows[1].display[j] = rows[1].pos[j] + 4.5;
  }
  // Two points on the same degree; the higher point number goes second.
  rows[2].pos[4] = rows[2].pos[9] = rows[2].display[4] = 200.25;
  rows[2].display[9] = 204.75;
  // The Sun at 255, the Midheaven at 257 and the Moon at 259, the Node at 250 and Chiron at 270.
  // Drawn, the Midheaven takes 6.75 degrees either side: 257 moves to 263.75, the Moon first to
  // 264 (past the moved Midheaven) and on to 270.75; Chiron, beside the Moon, takes 4.5 from 271.
  // Not drawn, every step is 4.5: 261.5, then 262 and 266.5, and Chiron 274.5.
  for (Row* row : {&rows[3], &rows[4]}) {
    row->pos[1] = row->display[1] = 255;
    row->pos[14] = 257;
    row->pos[2] = 259;
  }
  rows[3].display[14] = 263.75;
  rows[3].display[2] = 270.75;
  rows[3].display[12] = 275.5;
  rows[4].display[14] = 261.5;
  rows[4].display[2] = 266.5;
  rows[4].display[12] = 274.5;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto display = SpreadLongitudes(row.pos, row.midheavenDrawn);
    for (int j = 1; j <= kPointCount; ++j) EXPECT_NEAR(display[j], row.display[j], 1e-9) << j;
  }
}

TEST(WheelPoints, AnglesAreMarkedByCuspsExceptTheEqualMidheaven) {
  Settings settings;
  settings.Show[5] = false;
  EXPECT_TRUE(PointDrawn(settings, 1));
  EXPECT_FALSE(PointDrawn(settings, 5));
  EXPECT_FALSE(PointDrawn(settings, 11));  // Node hidden by default
  EXPECT_FALSE(PointDrawn(settings, 13));
  EXPECT_FALSE(PointDrawn(settings, 14));
  settings.HouseCode = HouseSystem::Equal;
  EXPECT_TRUE(PointDrawn(settings, 14));
  EXPECT_FALSE(PointDrawn(settings, 13));
}

TEST(WheelDisc, VoidColourOnlyWhenVoidAndAsked) {
  Settings settings;
  WheelView view;
  settings.VOCColor = 0x00C0FFC0;
  EXPECT_EQ(DiscColour(settings, view), kWhite);
  view.VOCActive = true;
  EXPECT_EQ(DiscColour(settings, view), kWhite);
  settings.DoColor = true;
  EXPECT_EQ(DiscColour(settings, view), 0x00C0FFC0u);
  EXPECT_EQ(ElementColour(0), kRed);
  EXPECT_EQ(ElementColour(5), kGreen);
  EXPECT_EQ(ElementColour(10), kYellow);
  EXPECT_EQ(ElementColour(11), kBlue);
}

TEST(WheelCusps, WhichCuspsAndNumbersAreDrawn) {
  struct Row {
    const char* name;
    int cuspsSetting;
    int houseCode;
    bool aspectLines;
    std::vector<int> cusps;
    std::vector<int> numbers;
  };
  const Row rows[] = {
      {"none", 0, 1, true, {}, {}},
      {"angles", 1, 1, true, {1, 4, 7, 10}, {6, 9, 12, 3}},
      {"all",
       2,
       1,
       false,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
       {6, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5}},
      {"angles, Equal", 1, 9, false, {1, 4, 7, 10}, {6, 9, 12, 3}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const WheelView view = EvenChart();
    Settings settings;
    settings.Cusps = static_cast<CuspMode>(row.cuspsSetting);
    settings.HouseCode = static_cast<HouseSystem>(row.houseCode);
    const WheelSizes sizes = ComputeWheelSizes(576, row.aspectLines, 63);
    const std::vector<CuspMark> marks = CuspMarks(settings, view, sizes);
    std::vector<int> cusps;
    std::vector<int> numbers;
    for (const CuspMark& mark : marks) {
      cusps.push_back(mark.cusp);
      numbers.push_back(mark.houseNumber);
      const bool horizon = mark.cusp == 1 || mark.cusp == 7;
      const bool meridian = (mark.cusp == 4 || mark.cusp == 10) && row.houseCode != 9;
      EXPECT_EQ(mark.colour, horizon ? kRed : meridian ? kBlue : kBlack) << mark.cusp;
      EXPECT_EQ(mark.penWidth, horizon || meridian ? 2 : 1) << mark.cusp;
      EXPECT_EQ(mark.outerRadius, horizon || meridian ? 288 : 247) << mark.cusp;
      // Without the aspect circle the cusps start at the centre.
      EXPECT_EQ(mark.innerRadius, row.aspectLines ? 123 : 0);
      EXPECT_EQ(mark.numberDistance, row.aspectLines ? 132 : 255);
      // The number of the opposite house lands in the middle of that house.
      const double ownCusp = view.CuspPos[mark.houseNumber];
      EXPECT_NEAR(std::fmod(mark.numberLongitude - ownCusp + 720, 360), 15, 1e-9) << mark.cusp;
    }
    EXPECT_EQ(cusps, row.cusps);
    EXPECT_EQ(numbers, row.numbers);
  }
  Settings settings;
  settings.Cusps = CuspMode::Angles;
  EXPECT_DOUBLE_EQ(CuspMarks(settings, EvenChart(), ComputeWheelSizes(576, true, 63)).front().angle,
                   180);
}

TEST(WheelAspectLines, PairsKindsAndFlags) {
  WheelView view = EvenChart();
  Settings settings;
  view.Pos[1] = 120;
  settings.AspectLines = true;
  for (int k = 0; k < kAspectKindCount; ++k) {
    settings.LineColor[k] = 0x10 * (k + 1);
    settings.LineStyle[k] = static_cast<AspectLineStyle>(k % 5);
  }
  view.PairString = std::string(90, ' ');
  view.PairString[0] = '=';   // (1, 2)
  view.PairString[1] = 'c';   // (1, 3): the custom aspect draws no line
  view.PairString[9] = 'T';   // (1, 11): the Node's DoLine is off
  view.PairString[13] = 'S';  // (2, 3)
  view.PairString[89] = '%';  // (12, 14), the last pair; Chiron's DoLine switched on below
  settings.DoLine[12] = true;
  const WheelSizes sizes = ComputeWheelSizes(576, true, 63);
  const std::vector<AspectStroke> strokes = AspectStrokes(settings, view, sizes);
  ASSERT_EQ(strokes.size(), 3u);
  struct Expected {
    int from, to, kind;
  };
  const Expected expected[] = {{1, 2, 0}, {2, 3, 5}, {12, 14, 10}};
  for (std::size_t n = 0; n < strokes.size(); ++n) {
    EXPECT_EQ(strokes[n].from, expected[n].from) << n;
    EXPECT_EQ(strokes[n].to, expected[n].to) << n;
    EXPECT_EQ(strokes[n].kind, expected[n].kind) << n;
    EXPECT_EQ(strokes[n].colour, static_cast<Colour>(settings.LineColor[expected[n].kind]));
    EXPECT_EQ(strokes[n].style, settings.LineStyle[expected[n].kind]);
  }
  // Endpoints lie just inside the aspect circle: point 1 on the Ascendant, at the left.
  EXPECT_EQ(strokes[0].a, QPoint(288 - 122, 288));

  EXPECT_EQ(AspectKindOfChar('c'), -1);
  EXPECT_EQ(AspectKindOfChar(' '), -1);
  EXPECT_EQ(AspectKindOfChar('B'), 8);
  settings.AspectLines = false;
  EXPECT_TRUE(AspectStrokes(settings, view, ComputeWheelSizes(576, false, 63)).empty());
  // A short pair string draws only the pairs it covers.
  view.PairString = "=";
  EXPECT_EQ(AspectStrokes(settings, view, sizes).size(), 1u);
}

}  // namespace
