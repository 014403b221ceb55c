#include <gtest/gtest.h>

#include <QLocale>
#include <vector>

#include "chart/ComputeChart.h"

namespace {

struct Recorder : ChartPublisher {
  std::vector<QString> transit, natal;
  int clears = 0;
  void clearAspects(AspectList) override { ++clears; }
  void addAspectLine(AspectList list, const QString& line) override {
    (list == AspectList::TransitToTransit ? transit : natal).push_back(line);
  }
};

const QDateTime kNow(QDate(2024, 5, 6), QTime(7, 8));

ClockState chartWithSunMoonConjunct() {
  ClockState s;
  for (int i = 3; i <= 14; ++i) s.Pos[i] = 40.0 + 13.0 * i;  // no conjunctions among these
  s.Pos[1] = 359.5;
  s.Pos[2] = 0.3;
  s.TransitOrb = 1.0;
  s.NatalOrb = 1.0;
  s.UseAspects.fill(false);
  s.UseAspects[0] = true;
  s.AspectFrom.fill(true);
  s.AspectTo.fill(true);
  for (int i = 1; i <= 14; ++i) s.NatalPos[i] = 200.0 + i * 0.001;
  return s;
}

TEST(AspectLists, PairStringKeepsEveryPairInStep) {
  ClockState s = chartWithSunMoonConjunct();
  s.AspectFrom[11] = false;  // Node off
  Recorder out;
  ChartComputer computer(s, &out, [] { return kNow; });
  computer.ListTransitAspects();
  ASSERT_EQ(s.PairString.size(), 90u) << "pairs (1,2)..(12,14); never (13,14)";
  EXPECT_EQ(s.PairString[0], '=') << "pair (1,2)";
  EXPECT_EQ(s.PairString.find_first_not_of(' ', 1), std::string::npos);
  ASSERT_EQ(out.transit.size(), 1u);
}

TEST(AspectLists, TextModeLineAndGlyphModeLine) {
  ClockState s = chartWithSunMoonConjunct();
  s.TextMode = true;
  Recorder words;
  ChartComputer(s, &words, [] { return kNow; }).ListTransitAspects();
  ASSERT_EQ(words.transit.size(), 1u);
  EXPECT_EQ(words.transit[0], QString::fromUtf8("Sun conjunct Moon    +00\u00B048"));

  s.TextMode = false;
  Recorder glyphs;
  ChartComputer(s, &glyphs, [] { return kNow; }).ListTransitAspects();
  ASSERT_EQ(glyphs.transit.size(), 1u);
  EXPECT_EQ(glyphs.transit[0], QString::fromUtf8("\u2609\u260C\u263D   +00\u00B048"));
}

TEST(AspectLists, LogModeLineFormatAndGrowth) {
  QLocale::setDefault(QLocale::c());
  ClockState s = chartWithSunMoonConjunct();
  s.TextMode = true;
  s.LogTT = true;
  s.Pos[3] = 0.0;  // Mercury joins: conjunct Sun and Moon
  Recorder out;
  ChartComputer computer(s, &out, [] { return kNow; });
  computer.ListTransitAspects();
  computer.ListTransitAspects();
  EXPECT_EQ(out.clears, 0) << "a log is never cleared";
  ASSERT_EQ(out.transit.size(), 2u) << "one line per pass";
  const QString date = QLocale::c().toString(kNow.date(), QLocale::ShortFormat);
  EXPECT_EQ(out.transit[0], date + QString::fromUtf8("::07:08: Sun conjunct Moon :+00\u00B048):"
                                                     "Sun conjunct Mercury :+00\u00B030):"
                                                     "Moon conjunct Mercury :+00\u00B018):"));
}

TEST(AspectLists, NatalListPairsEveryTransitWithEveryNatalPoint) {
  ClockState s = chartWithSunMoonConjunct();
  s.TextMode = true;
  s.NatalPos[5] = 359.0;  // natal Mars: the transiting Sun is 0.5 past it
  Recorder out;
  ChartComputer(s, &out, [] { return kNow; }).ListNatalAspects();
  ASSERT_EQ(out.natal.size(), 1u) << "the Moon is 1.3 from natal Mars, outside the orb";
  EXPECT_EQ(out.natal[0], QString::fromUtf8("Sun conjunct Mars    +00\u00B030"));
  EXPECT_TRUE(out.transit.empty());
}

}  // namespace
