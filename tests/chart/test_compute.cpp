// The chart of a moment (ComputeChart), the void-of-course test and tray icon it carries, and the
// live path that publishes it to the windows one computation at a time.
#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <functional>
#include <vector>

#include "chart/ComputeChart.h"

namespace {

struct Recorder : ChartPublisher {
  int icons = 0, lastIcon = 0, positions = 0, clears = 0;
  PositionRows rows;
  std::vector<QString> transit, natal;
  std::function<void()> onIcon;
  void showTrayIcon(int n) override {
    ++icons;
    lastIcon = n;
    if (onIcon) onIcon();
  }
  void showPositions(const PositionRows& r) override {
    ++positions;
    rows = r;
  }
  void clearAspects(AspectList) override { ++clears; }
  void addAspectLine(AspectList list, const QString& line) override {
    (list == AspectList::TransitToTransit ? transit : natal).push_back(line);
  }
};

const QDate kJ2000(2000, 1, 1);
const QTime kNoon(12, 0);

const TheoryTable& theory() {
  static const TheoryTable table = InitialTheoryTable();
  return table;
}

Settings placidusAt40() {
  Settings s;
  s.ZoneOffset = 0;
  s.LatDeg = 40;
  s.HouseCode = HouseSystem::Placidus;
  return s;
}

TimeSource at(QDateTime moment) {
  return [moment] { return moment; };
}

TEST(ComputeChart, TropicalAndSiderealCharts) {
  Settings s = placidusAt40();
  const Chart tropical = ComputeChart(s, theory(), kJ2000, kNoon);
  EXPECT_EQ(tropical.ZodiacOffset, 0.0);
  EXPECT_NEAR(tropical.T, 1.0, 1e-15);
  // The Sun at J2000 noon: 280.37 in the published almanacs.
  EXPECT_NEAR(tropical.TruePos[1], 280.37, 0.01);
  EXPECT_EQ(tropical.Date, kJ2000);
  EXPECT_EQ(tropical.Time, kNoon);

  s.SiderealZodiac = 1;
  const Chart sidereal = ComputeChart(s, theory(), kJ2000, kNoon);
  EXPECT_NEAR(sidereal.ZodiacOffset, -24.7365, 1e-4);
  EXPECT_NEAR(
      std::remainder(sidereal.TruePos[1] - tropical.TruePos[1] - sidereal.ZodiacOffset, 360.0), 0,
      1e-9);
  EXPECT_NEAR(
      std::remainder(sidereal.CuspPos[1] - tropical.CuspPos[1] - sidereal.ZodiacOffset, 360.0), 0,
      1e-9);
  for (int i = 1; i <= 14; ++i) {
    EXPECT_GE(sidereal.TruePos[i], 0.0) << "every longitude folded into the circle, point " << i;
    EXPECT_LT(sidereal.TruePos[i], 360.0);
    EXPECT_GE(static_cast<unsigned char>(sidereal.PlanetSign[i][3]), 0x98);
    EXPECT_LE(static_cast<unsigned char>(sidereal.PlanetSign[i][3]), 0xA3);
  }
  EXPECT_TRUE(sidereal.PairString.empty()) << "only the transit list fills it";
}

TEST(ComputeChart, EqualHousesTakeTheMidheavenFromSlotZero) {
  Settings s = placidusAt40();
  s.HouseCode = HouseSystem::Equal;
  const Chart c = ComputeChart(s, theory(), kJ2000, kNoon);
  EXPECT_EQ(c.TruePos[14], c.CuspPos[0]);
  EXPECT_NE(c.TruePos[14], c.CuspPos[10]);
  EXPECT_EQ(c.TruePos[13], c.CuspPos[1]);
}

TEST(ComputeChart, HouseCodesWithoutASystemComputeNoCusps) {
  Settings s = placidusAt40();
  EXPECT_TRUE(ComputeChart(s, theory(), kJ2000, kNoon).HasCusps);
  for (int code : {0, 10, 255}) {
    s.HouseCode = static_cast<HouseSystem>(code);
    const Chart c = ComputeChart(s, theory(), kJ2000, kNoon);
    EXPECT_FALSE(c.HasCusps) << code;
    for (int i = 0; i <= 12; ++i) EXPECT_EQ(c.CuspPos[i], 0.0) << code;
  }
}

TEST(ComputeChart, PolarPlacidusFailsWithAdvice) {
  Settings s = placidusAt40();
  s.LatDeg = 70;
  try {
    ComputeChart(s, theory(), kJ2000, QTime(13, 0));
    FAIL() << "Placidus at latitude 70 has no cusps";
  } catch (const ChartError& e) {
    EXPECT_NE(std::string(e.what()).find("Equal houses"), std::string::npos) << e.what();
  }
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

TEST(TrayIcon, AscendantSignOrTheVoidMoon) {
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

class LiveComputation : public ::testing::Test {
 protected:
  void SetUp() override {
    state.theory = theory();
    state.settings = placidusAt40();
  }
  ClockState state;
  Recorder out;
};

TEST_F(LiveComputation, OnlyALiveComputationPublishes) {
  ChartComputer still(state, &out, at(QDateTime(kJ2000, kNoon)));
  still.ComputeChart(false, kNoon, kJ2000);
  EXPECT_EQ(out.icons + out.positions + out.clears, 0);
  EXPECT_TRUE(out.transit.empty() && out.natal.empty());

  state.chart.VOCActive = true;  // as a previous computation might have left it
  state.settings.VOCIcon = true;
  ChartComputer live(state, &out, at(QDateTime(kJ2000, kNoon)));
  live.ComputeChart(true);
  EXPECT_EQ(out.icons, 1);
  EXPECT_EQ(out.lastIcon, 13) << "the icon shows the previous computation's void state";
  EXPECT_EQ(out.positions, 1);
  EXPECT_EQ(out.clears, 2) << "both lists replaced";
  EXPECT_EQ(state.chart.PairString.size(), 90u);
  EXPECT_EQ(state.chart.Time, kNoon);
  // The positions table: glyph, position text, house number, cusp text.
  EXPECT_EQ(out.rows[1][0], QString(QChar(0x2609)));
  EXPECT_EQ(out.rows[1][1], QString::fromUtf8("10 \u2651 22  "));
  EXPECT_EQ(out.rows[12][2], QStringLiteral("12"));
}

TEST_F(LiveComputation, LogModeAddsOneLinePerPassAndIsNeverCleared) {
  QLocale::setDefault(QLocale::c());
  state.settings.LogTT = true;
  state.settings.TextMode = true;
  state.settings.TransitOrb = 8;
  const QDateTime moment(QDate(2024, 5, 6), QTime(7, 8));
  ChartComputer live(state, &out, at(moment));
  live.ComputeChart(true);
  live.ComputeChart(true);
  EXPECT_EQ(out.clears, 2) << "only the natal list, which is not a log, is cleared";
  ASSERT_EQ(out.transit.size(), 2u) << "one line per pass";
  const QString date = QLocale::c().toString(moment.date(), QLocale::ShortFormat);
  EXPECT_TRUE(out.transit[0].startsWith(date + QStringLiteral("::07:08: Sun ")))
      << out.transit[0].toStdString();
}

TEST_F(LiveComputation, ANestedComputationIsRefused) {
  ChartComputer computer(state, &out, at(QDateTime(kJ2000, kNoon)));
  int nested = 0, refused = 0;
  out.onIcon = [&] {
    ++nested;
    if (!computer.ComputeChart(true)) ++refused;
  };
  ASSERT_TRUE(computer.ComputeChart(true));
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(refused, 1);
  EXPECT_FALSE(computer.busy());
}

TEST_F(LiveComputation, AFailedComputationKeepsThePreviousChart) {
  ChartComputer computer(state, &out);
  computer.ComputeChart(false, kNoon, kJ2000);
  const Chart before = state.chart;
  state.settings.LatDeg = 70;
  EXPECT_THROW(computer.ComputeChart(false, QTime(13, 0), kJ2000), ChartError);
  EXPECT_EQ(state.chart.CuspPos, before.CuspPos);
  EXPECT_EQ(state.chart.TruePos, before.TruePos);
  EXPECT_EQ(state.chart.PlanetSign, before.PlanetSign);
  EXPECT_FALSE(computer.busy()) << "a failed computation must not block the next";
  state.settings.HouseCode = HouseSystem::Equal;
  EXPECT_TRUE(computer.ComputeChart(false, QTime(13, 0), kJ2000));
  EXPECT_NE(state.chart.TruePos[1], before.TruePos[1]);
}

}  // namespace
