// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "chart/Aspects.h"
#include "chart/DisplayText.h"
#include "ephemlib.h"

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

// The aspect test as its rules state it, written here rather than taken from the finder: the
// separation of two longitudes in single precision (folded to 180 at most), then the kinds in
// their test order, each with its angle and character, the first enabled kind within its orb
// winning, the comparison made in single precision with equality counting.
struct ReferenceKind {
  int index;
  int angle;  // the custom kind's angle comes from the settings
  char code;
};
constexpr ReferenceKind kReferenceOrder[12] = {
    {0, 0, '='},   {10, 180, '%'}, {6, 120, 'T'}, {5, 90, 'S'}, {3, 60, '*'},  {9, 150, 'I'},
    {7, 135, '>'}, {1, 30, 'V'},   {2, 45, '<'},  {4, 72, 'Q'}, {8, 144, 'B'}, {11, 0, 'c'}};

struct ReferenceMatch {
  char code = ' ';
  std::string orbText;  // the library's RealToDegree of the deviation
};

ReferenceMatch ReferenceAspect(const AspectOrbs& orbs, double p1, double p2, int customAngle,
                               const AspectSwitches& on) {
  float d = static_cast<float>(std::fabs(p1 - p2));
  if (d > 180.0f) d = std::fabs(d - 360.0f);
  for (const ReferenceKind& kind : kReferenceOrder) {
    const float angle = static_cast<float>(kind.index == 11 ? customAngle : kind.angle);
    if (!on[kind.index] || !(std::fabs(d - angle) <= orbs[kind.index])) continue;
    unsigned char text[11];
    ::RealToDegree(static_cast<double>(d) - static_cast<double>(angle), text);
    return {kind.code, std::string(reinterpret_cast<const char*>(text + 1), text[0])};
  }
  return {};
}

TEST(AspectTester, AgreesWithTheRulesAtEveryOrbBorder) {
  // Both the single test and the tester (whose degree table only narrows the candidates; a kind
  // missing from it would lose an aspect) against the rules above. Separations are placed on,
  // just inside and just outside every kind's orb, on either side of its angle and of 0 Aries.
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
    for (const double p1 : {100.0, 355.0}) {
      for (int angle : {0, 30, 45, 60, 72, 90, 120, 135, 144, 150, 180, custom}) {
        for (int k = 0; k < kAspectKindCount; ++k) {
          for (double edge : {-1e-4, 0.0, 1e-4}) {
            for (double side : {-1.0, 1.0}) {
              const double p2 = std::fmod(p1 + angle + side * (o[k] + edge) + 720.0, 360.0);
              const ReferenceMatch want = ReferenceAspect(o, p1, p2, custom, on);
              const AspectMatch single = AspectTest(o, p1, p2, custom, on);
              const AspectMatch table = tester.test(p1, p2);
              ASSERT_EQ(single.code, want.code)
                  << "round " << round << " p1 " << p1 << " p2 " << p2;
              ASSERT_EQ(single.orbText, want.orbText);
              ASSERT_EQ(table.code, want.code) << "round " << round << " p1 " << p1 << " p2 " << p2;
              ASSERT_EQ(table.orbText, want.orbText);
            }
          }
        }
      }
    }
  }
}

TEST(AspectTest, NeighboursByAngleWithAllKindsInUse) {
  // Each pair of kinds next to each other by angle, at the separation half way between them with
  // an orb reaching both (so both match with equality): the kind tried first wins, and with it
  // switched off the other. The test order: conjunction, opposition, trine, square, sextile,
  // quincunx, sesquiquadrate, semi-sextile, semi-square, quintile, biquintile, custom.
  const struct {
    const char* name;
    double separation;
    float orb;
    int first;  // kind index of the winner
    char firstCode;
    const char* firstOrb;
    char secondCode;
    const char* secondOrb;
  } rows[] = {
      {"0 and 30", 15.0, 15.0f, 0, '=', "+15o00", 'V', "-15o00"},
      {"30 and 45", 37.5, 7.5f, 1, 'V', "+07o30", '<', "-07o30"},
      {"45 and 60", 52.5, 7.5f, 3, '*', "-07o30", '<', "+07o30"},
      {"60 and 72", 66.0, 6.0f, 3, '*', "+06o00", 'Q', "-06o00"},
      {"72 and 90", 81.0, 9.0f, 5, 'S', "-09o00", 'Q', "+09o00"},
      {"90 and 120", 105.0, 15.0f, 6, 'T', "-15o00", 'S', "+15o00"},
      {"120 and 135", 127.5, 7.5f, 6, 'T', "+07o30", '>', "-07o30"},
      {"135 and 144", 139.5, 4.5f, 7, '>', "+04o30", 'B', "-04o30"},
      {"144 and 150", 147.0, 3.0f, 9, 'I', "-03o00", 'B', "+03o00"},
      {"150 and 180", 165.0, 15.0f, 10, '%', "-15o00", 'I', "+15o00"},
      {"90 and a custom 100", 95.0, 5.0f, 5, 'S', "+05o00", 'c', "-05o00"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    AspectSwitches on = allKinds();
    for (const double p1 : {10.0, 300.0}) {
      const double p2 = std::fmod(p1 + r.separation, 360.0);
      const AspectMatch first = AspectTest(orbs(r.orb), p1, p2, 100, on);
      EXPECT_EQ(first.code, r.firstCode);
      EXPECT_EQ(readable(first.orbText), r.firstOrb);
      AspectSwitches without = on;
      without[r.first] = false;
      const AspectMatch second = AspectTest(orbs(r.orb), p1, p2, 100, without);
      EXPECT_EQ(second.code, r.secondCode);
      EXPECT_EQ(readable(second.orbText), r.secondOrb);
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

TEST(AspectTest, OfTwoKindsNextInTheTestOrderTheFirstWins) {
  // Only the two kinds enabled, each with an orb reaching the separation half way between their
  // angles (so both match, with equality): the kind earlier in the test order wins, and with it
  // switched off the later. Every two kinds next to each other in the order are a row, so any two
  // of them exchanged fails. The custom angle is 100.
  const struct {
    int first, second;  // kind indices, first before second in the test order
    double separation;
    float orb;
    char firstCode;
    const char* firstOrb;
    char secondCode;
    const char* secondOrb;
  } rows[] = {
      {0, 10, 90.0, 90.0f, '=', "+90o00", '%', "-90o00"},
      {10, 6, 150.0, 30.0f, '%', "-30o00", 'T', "+30o00"},
      {6, 5, 105.0, 15.0f, 'T', "-15o00", 'S', "+15o00"},
      {5, 3, 75.0, 15.0f, 'S', "-15o00", '*', "+15o00"},
      {3, 9, 105.0, 45.0f, '*', "+45o00", 'I', "-45o00"},
      {9, 7, 142.5, 7.5f, 'I', "-07o30", '>', "+07o30"},
      {7, 1, 82.5, 52.5f, '>', "-52o30", 'V', "+52o30"},
      {1, 2, 37.5, 7.5f, 'V', "+07o30", '<', "-07o30"},
      {2, 4, 58.5, 13.5f, '<', "+13o30", 'Q', "-13o30"},
      {4, 8, 108.0, 36.0f, 'Q', "+36o00", 'B', "-36o00"},
      {8, 11, 122.0, 22.0f, 'B', "-22o00", 'c', "+22o00"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(1, r.firstCode) + " before " + std::string(1, r.secondCode));
    AspectSwitches on{};
    on[r.first] = on[r.second] = true;
    const AspectMatch first = AspectTest(orbs(r.orb), 20.0, 20.0 + r.separation, 100, on);
    EXPECT_EQ(first.code, r.firstCode);
    EXPECT_EQ(readable(first.orbText), r.firstOrb);
    on[r.first] = false;
    const AspectMatch second = AspectTest(orbs(r.orb), 20.0, 20.0 + r.separation, 100, on);
    EXPECT_EQ(second.code, r.secondCode);
    EXPECT_EQ(readable(second.orbText), r.secondOrb);
  }
}

using Pairs = std::vector<std::pair<int, int>>;

Pairs FoundPairs(const AspectPass& pass) {
  Pairs pairs;
  for (const FoundAspect& a : pass.found) pairs.emplace_back(a.from, a.to);
  return pairs;
}

TEST(AspectPasses, ASwitchedOffPointMakesNoAspect) {
  // Transits: the Sun (359.5) and the Moon (0.3) are conjunct, pair (1, 2). Natal Mars at 0.0 is
  // conjunct both the transiting Sun and the transiting Moon. The first point of a pair needs its
  // AspectFrom flag, the second its AspectTo flag; the other two flags of the pair do not matter.
  const struct {
    const char* name;
    const char* section;  // "From" or "To"
    int point;
    Pairs transit;
    Pairs natal;
  } rows[] = {
      {"all on", "", 0, {{1, 2}}, {{1, 5}, {2, 5}}},
      {"Sun makes none", "From", 1, {}, {{2, 5}}},
      {"Moon receives none", "To", 2, {}, {{1, 5}, {2, 5}}},
      {"Moon makes none", "From", 2, {{1, 2}}, {{1, 5}}},
      {"Sun receives none", "To", 1, {{1, 2}}, {{1, 5}, {2, 5}}},
      {"natal Mars receives none", "To", 5, {{1, 2}}, {}},
      {"Mars makes none", "From", 5, {{1, 2}}, {{1, 5}, {2, 5}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Settings s = conjunctionsOnly();
    for (int i = 1; i <= 14; ++i) s.NatalPos[i] = 300.0 + i * 0.001;
    s.NatalPos[5] = 0.0;
    if (r.point != 0)
      (std::string(r.section) == "From" ? s.AspectFrom : s.AspectTo)[r.point] = false;
    EXPECT_EQ(FoundPairs(FindTransitAspects(s, sunMoonConjunct())), r.transit);
    EXPECT_EQ(FoundPairs(FindNatalAspects(s, sunMoonConjunct())), r.natal);
  }
}

TEST(AspectPasses, EachPassUsesItsOwnOrb) {
  // The transiting Sun (359.5) and Moon (2.0) are 2.5 apart; natal Mars at 0.8 is 1.3 from the
  // Sun and 1.2 from the Moon.
  const struct {
    double transitOrb, natalOrb;
    Pairs transit;
    Pairs natal;
  } rows[] = {
      {1.0, 3.0, {}, {{1, 5}, {2, 5}}},
      {3.0, 1.0, {{1, 2}}, {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.transitOrb);
    Settings s = conjunctionsOnly();
    s.TransitOrb = r.transitOrb;
    s.NatalOrb = r.natalOrb;
    for (int i = 1; i <= 14; ++i) s.NatalPos[i] = 300.0 + i * 0.001;
    s.NatalPos[5] = 0.8;
    std::array<double, 15> pos = sunMoonConjunct();
    pos[2] = 2.0;
    EXPECT_EQ(FoundPairs(FindTransitAspects(s, pos)), r.transit);
    EXPECT_EQ(FoundPairs(FindNatalAspects(s, pos)), r.natal);
  }
}

}  // namespace
