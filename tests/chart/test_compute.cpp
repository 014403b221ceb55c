#include <gtest/gtest.h>

#include <cmath>

#include "chart/ComputeChart.h"
#include "chart/LibraryImports.h"

namespace {

struct Counter : ChartPublisher {
  int icons = 0, lastIcon = 0, positions = 0, lines = 0, clears = 0, yields = 0;
  std::function<void()> onYield;
  void showTrayIcon(int n) override {
    ++icons;
    lastIcon = n;
  }
  void showPositions(const PositionRows&) override { ++positions; }
  void clearAspects(AspectList) override { ++clears; }
  void addAspectLine(AspectList, const QString&) override { ++lines; }
  void yieldToOthers() override {
    ++yields;
    if (onYield) onYield();
  }
};

const QDate kJ2000(2000, 1, 1);
const QTime kNoon(12, 0);

class ComputeChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    libraryImports().InitialisePlanets(state.TheoryTable.data(), kTheoryTableHigh);
    state.ZoneOffset = 0;
    state.LatDeg = 40;
    state.HouseCode = 1;
  }
  TimeSource at(QDateTime moment) {
    return [moment] { return moment; };
  }
  ClockState state;
  Counter out;
};

TEST_F(ComputeChartTest, TropicalAndSiderealCharts) {
  ChartComputer computer(state, &out);
  ASSERT_TRUE(computer.ComputeChart(false, kNoon, kJ2000));
  EXPECT_EQ(state.ZodiacOffset, 0.0);
  EXPECT_NEAR(state.T, 1.0, 1e-15);
  EXPECT_NEAR(state.TruePos[1], 280.37, 0.01);
  const double sun = state.TruePos[1];
  const double asc = state.CuspPos[1];

  state.SiderealZodiac = 1;
  ASSERT_TRUE(computer.ComputeChart(false, kNoon, kJ2000));
  EXPECT_NEAR(state.ZodiacOffset, -24.7365, 1e-4);
  EXPECT_NEAR(std::remainder(state.TruePos[1] - sun - state.ZodiacOffset, 360.0), 0, 1e-9);
  EXPECT_NEAR(std::remainder(state.CuspPos[1] - asc - state.ZodiacOffset, 360.0), 0, 1e-9);
  for (int i = 1; i <= 14; ++i) {
    EXPECT_GE(state.Pos[i], 0.0) << "every longitude folded into the circle, point " << i;
    EXPECT_LT(state.Pos[i], 360.0);
    EXPECT_GE(static_cast<unsigned char>(state.PlanetSign[i][3]), 0x98);
    EXPECT_LE(static_cast<unsigned char>(state.PlanetSign[i][3]), 0xA3);
  }
}

TEST_F(ComputeChartTest, EqualHousesTakeTheMidheavenFromSlotZero) {
  state.HouseCode = 9;
  ChartComputer(state, &out).ComputeChart(false, kNoon, kJ2000);
  EXPECT_EQ(state.Pos[14], state.CuspPos[0]);
  EXPECT_NE(state.Pos[14], state.CuspPos[10]);
  EXPECT_EQ(state.Pos[13], state.CuspPos[1]);
}

TEST_F(ComputeChartTest, InvalidHouseCodesKeepTheOldCusps) {
  for (int code : {0, 10, 255}) {
    for (int i = 0; i <= 12; ++i) state.CuspPos[i] = 15.0 * i;
    state.HouseCode = static_cast<uint8_t>(code);
    ChartComputer(state, &out).ComputeChart(false, kNoon, kJ2000);
    for (int i = 0; i <= 12; ++i) EXPECT_EQ(state.CuspPos[i], 15.0 * i) << code;
  }
}

TEST_F(ComputeChartTest, OnlyALiveComputationPublishesAndRotates) {
  ChartComputer still(state, &out, at(QDateTime(kJ2000, kNoon)));
  still.ComputeChart(false, kNoon, kJ2000);
  EXPECT_EQ(out.icons + out.positions + out.lines + out.clears, 0);
  EXPECT_EQ(state.Pos, state.TruePos);

  state.VOCActive = true;  // as a previous computation might have left it
  state.VOCIcon = true;
  ChartComputer live(state, &out, at(QDateTime(kJ2000, kNoon)));
  live.ComputeChart(true);
  EXPECT_EQ(out.icons, 1);
  EXPECT_EQ(out.lastIcon, 13) << "the icon shows the previous computation's void state";
  EXPECT_EQ(out.positions, 1);
  EXPECT_EQ(out.clears, 2) << "both lists replaced";
  EXPECT_EQ(std::fmod(state.Pos[13], 30.0), 0.0);
  EXPECT_NEAR(std::remainder(state.TruePos[13] - state.Pos[13] - state.WheelOffset, 360), 0, 1e-9);
  EXPECT_EQ(state.TrayIcon, 13);
}

TEST_F(ComputeChartTest, PolarPlacidusFailsWithAdviceAndKeepsThePreviousChart) {
  ChartComputer computer(state, &out);
  computer.ComputeChart(false, kNoon, kJ2000);
  const ClockState before = state;
  state.LatDeg = 70;
  try {
    computer.ComputeChart(false, QTime(13, 0), kJ2000);
    FAIL() << "Placidus at latitude 70 has no cusps";
  } catch (const ChartError& e) {
    EXPECT_NE(std::string(e.what()).find("Equal houses"), std::string::npos) << e.what();
  }
  EXPECT_EQ(state.CuspPos, before.CuspPos);
  EXPECT_EQ(state.Pos, before.Pos);
  EXPECT_EQ(state.PlanetSign, before.PlanetSign);
  EXPECT_FALSE(computer.busy()) << "a failed computation must not block the next";
  state.HouseCode = 9;
  EXPECT_TRUE(computer.ComputeChart(false, QTime(13, 0), kJ2000));
  EXPECT_NE(state.Pos[1], before.Pos[1]);
}

TEST_F(ComputeChartTest, ATickDuringAYieldDoesNotStartASecondComputation) {
  state.UseAspects.fill(true);
  state.TransitOrb = 20;  // plenty of aspects, so the lists yield
  ChartComputer computer(state, &out, at(QDateTime(kJ2000, kNoon)));
  int nested = 0, refused = 0;
  out.onYield = [&] {
    ++nested;
    if (!computer.ComputeChart(true)) ++refused;
  };
  ASSERT_TRUE(computer.ComputeChart(true));
  EXPECT_GT(nested, 0);
  EXPECT_EQ(refused, nested);
}

}  // namespace
