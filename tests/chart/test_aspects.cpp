#include <gtest/gtest.h>

#include <QLocale>
#include <random>

#include "chart/Aspects.h"
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
    for (int k = 0; k < kAspectKindCount; ++k) {
      o[k] = round % 10 == 0 ? 0.0f : orbOf(random);
      on[k] = (random() % 4) != 0;
    }
    const int custom = static_cast<int>(random() % 181);
    const AspectTester tester(o, custom, on);
    for (int angle : {0, 30, 45, 60, 72, 90, 120, 135, 144, 150, 180, custom}) {
      for (int k = 0; k < kAspectKindCount; ++k) {
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

// A chart with only the Sun and the Moon conjunct (across 0 Aries) and only conjunctions in use.
Settings conjunctionsOnly() {
  Settings s;
  s.TransitOrb = 1.0;
  s.NatalOrb = 1.0;
  s.UseAspects.fill(false);
  s.UseAspects[0] = true;
  s.AspectFrom.fill(true);
  s.AspectTo.fill(true);
  for (int i = 1; i <= 14; ++i) s.NatalPos[i] = 200.0 + i * 0.001;
  return s;
}

std::array<double, 15> sunMoonConjunct() {
  std::array<double, 15> pos{};
  for (int i = 3; i <= 14; ++i) pos[i] = 40.0 + 13.0 * i;  // no conjunctions among these
  pos[1] = 359.5;
  pos[2] = 0.3;
  return pos;
}

TEST(AspectPasses, PairStringKeepsEveryPairInStep) {
  Settings s = conjunctionsOnly();
  s.AspectFrom[11] = false;  // Node off
  const AspectPass pass = FindTransitAspects(s, sunMoonConjunct());
  ASSERT_EQ(pass.pairString.size(), 90u) << "pairs (1,2)..(12,14); never (13,14)";
  EXPECT_EQ(pass.pairString[0], '=') << "pair (1,2)";
  EXPECT_EQ(pass.pairString.find_first_not_of(' ', 1), std::string::npos);
  ASSERT_EQ(pass.found.size(), 1u);
  EXPECT_EQ(pass.found[0].from, 1);
  EXPECT_EQ(pass.found[0].to, 2);
}

TEST(AspectPasses, TextModeLineAndGlyphModeLine) {
  const AspectPass pass = FindTransitAspects(conjunctionsOnly(), sunMoonConjunct());
  ASSERT_EQ(pass.found.size(), 1u);
  EXPECT_EQ(AspectLine(pass.found[0], true), QString::fromUtf8("Sun conjunct Moon    +00\u00B048"));
  EXPECT_EQ(AspectLine(pass.found[0], false),
            QString::fromUtf8("\u2609\u260C\u263D   +00\u00B048"));
}

TEST(AspectPasses, LogLineFormat) {
  QLocale::setDefault(QLocale::c());
  std::array<double, 15> pos = sunMoonConjunct();
  pos[3] = 0.0;  // Mercury joins: conjunct Sun and Moon
  const AspectPass pass = FindTransitAspects(conjunctionsOnly(), pos);
  const QDateTime now(QDate(2024, 5, 6), QTime(7, 8));
  const QString date = QLocale::c().toString(now.date(), QLocale::ShortFormat);
  EXPECT_EQ(AspectLogLine(pass.found, true, now),
            date + QString::fromUtf8("::07:08: Sun conjunct Moon :+00\u00B048):"
                                     "Sun conjunct Mercury :+00\u00B030):"
                                     "Moon conjunct Mercury :+00\u00B018):"));
  EXPECT_TRUE(AspectLogLine({}, true, now).isEmpty()) << "no aspects, no log line";
}

TEST(AspectPasses, NatalPassPairsEveryTransitWithEveryNatalPoint) {
  Settings s = conjunctionsOnly();
  s.NatalPos[5] = 359.0;  // natal Mars: the transiting Sun is 0.5 past it
  const AspectPass pass = FindNatalAspects(s, sunMoonConjunct());
  ASSERT_EQ(pass.found.size(), 1u) << "the Moon is 1.3 from natal Mars, outside the orb";
  EXPECT_EQ(AspectLine(pass.found[0], true), QString::fromUtf8("Sun conjunct Mars    +00\u00B030"));
  EXPECT_TRUE(pass.pairString.empty());
}

}  // namespace
