#include <gtest/gtest.h>

#include <QLocale>
#include <random>

#include "chart/Aspects.h"
#include "chart/ComputeChart.h"
#include "chart/DisplayText.h"

namespace {

AspectOrbs orbs(float degrees) {
  AspectOrbs o;
  o.fill(degrees);
  return o;
}

AspectSwitches allKinds() {
  AspectSwitches on;
  on.fill(true);
  return on;
}

std::string readable(const std::string& orbText) {
  return libraryText(orbText).replace(QChar(0xB0), QLatin1Char('o')).toStdString();
}

TEST(AspectTest, SeparationsOrbsAndTestOrder) {
  struct Row {
    const char* name;
    double p1, p2;
    float orb;
    char code;
    const char* orbText;
  } rows[] = {
      {"across 0 Aries", 359.5, 0.3, 1.0f, '=', "+00o48"},
      {"separation equal to the orb counts", 10.0, 11.0, 1.0f, '=', "+01o00"},
      {"just outside the orb", 10.0, 11.25, 1.0f, ' ', ""},
      {"105 with orb 16: trine is tried before square", 0.0, 105.0, 16.0f, 'T', "-15o00"},
      {"135 with orb 16: trine before sesquiquadrate", 200.0, 335.0, 16.0f, 'T', "+15o00"},
      {"opposition across the seam", 350.0, 170.5, 1.0f, '%', "-00o30"},
      {"deviation below the exact angle is negative", 0.0, 59.5, 1.0f, '*', "-00o30"},
  };
  for (const Row& r : rows) {
    const AspectMatch m = AspectTest(orbs(r.orb), r.p1, r.p2, 0, allKinds());
    EXPECT_EQ(m.code, r.code) << r.name;
    EXPECT_EQ(readable(m.orbText), r.orbText) << r.name;
  }
}

TEST(AspectTest, DisabledKindsAndTheCustomAngle) {
  AspectSwitches only{};
  only[11] = true;  // custom
  EXPECT_EQ(AspectTest(orbs(1), 0, 100, 100, only).code, 'c');
  EXPECT_EQ(AspectTest(orbs(1), 0, 0.5, 100, only).code, ' ') << "conjunction is switched off";
  AspectSwitches none{};
  EXPECT_FALSE(AspectTest(orbs(10), 0, 0, 0, none).found());
}

TEST(AspectTester, AgreesWithTheSingleTestAtEveryOrbBorder) {
  // The tester's degree table only narrows the candidates; a kind missing from it would lose an
  // aspect. Separations are placed on, just inside and just outside every kind's orb.
  std::mt19937 random(7);
  std::uniform_real_distribution<float> orbOf(0.0f, 12.0f);
  for (int round = 0; round < 200; ++round) {
    AspectOrbs o;
    AspectSwitches on;
    for (int k = 0; k < kAspectKinds; ++k) {
      o[k] = round % 10 == 0 ? 0.0f : orbOf(random);
      on[k] = (random() % 4) != 0;
    }
    const int custom = static_cast<int>(random() % 181);
    const AspectTester tester(o, custom, on);
    for (int angle : {0, 30, 45, 60, 72, 90, 120, 135, 144, 150, 180, custom}) {
      for (int k = 0; k < kAspectKinds; ++k) {
        for (double edge : {-1e-4, 0.0, 1e-4}) {
          for (double side : {-1.0, 1.0}) {
            const double p2 = 100.0 + angle + side * (o[k] + edge);
            const AspectMatch single = AspectTest(o, 100.0, p2, custom, on);
            const AspectMatch table = tester.test(100.0, p2);
            ASSERT_EQ(table.code, single.code) << "round " << round << " p2 " << p2;
            ASSERT_EQ(table.orbText, single.orbText);
          }
        }
      }
    }
  }
}

TEST(AspectWords, TextModeWords) {
  QString from(QChar(pointGlyphCode(1))), aspect(QChar('V')), to(QChar(pointGlyphCode(14)));
  AspectWords(from, aspect, to);
  EXPECT_EQ(from, "Sun ");
  EXPECT_EQ(aspect, "semis-sextile ");
  EXPECT_EQ(to, "Midheaven ");
  EXPECT_EQ(AspectWord('c'), "custom ");
  EXPECT_EQ(AspectWord(141), "Ascendant ");
  EXPECT_EQ(AspectWord('x'), "x") << "a character without a word stays";
}

TEST(VoidOfCourse, ThirtyAndFortyFiveDegreeTests) {
  std::array<double, 15> pos{};
  // Every body below 28 degrees of its sign, the Moon at 28 Leo.
  for (int i = 1; i <= 10; ++i) pos[i] = 30.0 * (i - 1) + 5.0;
  pos[2] = 148.0;
  EXPECT_TRUE(VoidOfCourse(pos, true, false)) << "Moon 28 Leo, nothing further on";
  pos[3] = 179.0;  // Mercury 29 Virgo
  EXPECT_FALSE(VoidOfCourse(pos, true, false));
  pos[3] = 148.0;  // exactly the Moon's degree does not break the void
  EXPECT_TRUE(VoidOfCourse(pos, true, false));

  std::array<double, 15> seg{};
  for (int i = 1; i <= 10; ++i) seg[i] = 45.0 * (i % 8) + 1.0;
  seg[2] = 40.0;  // 40 of a 45 degree segment
  seg[4] = 89.0;  // Venus at 44 of hers
  EXPECT_FALSE(VoidOfCourse(seg, true, true)) << "the 45 degree test decides when both are on";
  seg[4] = 50.0;
  EXPECT_TRUE(VoidOfCourse(seg, false, true));
  EXPECT_FALSE(VoidOfCourse(pos, false, false)) << "both tests off: never void";
}

TEST(WheelRotation, AscendantSignStartsTheWheel) {
  ClockState s;
  s.CuspPos[1] = 123.4;
  for (int i = 2; i <= 12; ++i) s.CuspPos[i] = 123.4 + 30 * (i - 1) - (i >= 9 ? 360 : 0);
  s.Pos[13] = 123.4;
  s.Pos[3] = 2.0;
  s.TruePos = s.Pos;
  RotateForWheel(s);
  EXPECT_NEAR(s.WheelOffset, 3.4, 1e-12);
  EXPECT_EQ(s.Pos[13], 120.0) << "an exact multiple of 30";
  EXPECT_NEAR(s.Pos[3], 358.6, 1e-12);
  EXPECT_EQ(s.TruePos[3], 2.0) << "true positions are not rotated";
  for (int i = 1; i <= 12; ++i) {
    EXPECT_GE(s.CuspPos[i], 0.0);
    EXPECT_LT(s.CuspPos[i], 360.0);
  }
  EXPECT_EQ(TrayIconNumber(123.4, false, true), 5);
  EXPECT_EQ(TrayIconNumber(123.4, true, true), 13);
  EXPECT_EQ(TrayIconNumber(123.4, true, false), 5) << "void icon switched off";
  EXPECT_EQ(TrayIconNumber(360.0, false, true), 1) << "a cusp of exactly 360 is Aries";
}

TEST(UniversalTime, DayWrapBothWays) {
  const UniversalTime back = toUniversalTime(QTime(0, 30), QDate(2024, 3, 1), 2.0);
  EXPECT_DOUBLE_EQ(back.hours, 22.5);
  EXPECT_EQ(back.date, QDate(2024, 2, 29));
  const UniversalTime ahead = toUniversalTime(QTime(23, 30), QDate(2023, 12, 31), -3.0);
  EXPECT_DOUBLE_EQ(ahead.hours, 2.5);
  EXPECT_EQ(ahead.date, QDate(2024, 1, 1));
}

}  // namespace
