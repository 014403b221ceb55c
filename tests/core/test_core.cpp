// SPDX-License-Identifier: GPL-3.0-or-later
// The running clock without windows: the live chart it hands out after each computation (tray
// icon, both aspect lists, the pair string), one computation at a time, and a chart that cannot
// be computed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <memory>

#include "core/ClockCore.h"
#include "core/MinuteTimer.h"
#include "settings/temp_config.h"
#include "support/application.h"

namespace {

const QDate kJ2000(2000, 1, 1);
const QTime kNoon(12, 0);

class LiveComputation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApplication<QCoreApplication>(); }
  void SetUp() override {
    ClockEnvironment environment;
    environment.now = [this] { return now; };
    environment.standardBias = [] { return 0; };
    environment.watchSystem = false;
    core = std::make_unique<ClockCore>(std::move(environment));
    core->FormCreate(576);
    Settings& s = core->state().settings;
    s.ZoneOffset = 0;
    s.LatDeg = 40;
    s.LatMin = 0;
    s.HouseCode = HouseSystem::Placidus;
  }
  // The chart the core handed out last.
  Chart computed() {
    QSignalSpy spy(core.get(), &ClockCore::chartComputed);
    core->ComputeNow();
    EXPECT_EQ(spy.size(), 1);
    return spy.isEmpty() ? Chart{} : spy.takeLast().at(0).value<Chart>();
  }
  const Settings& settings() const { return core->state().settings; }

  TempConfig config;
  QDateTime now{kJ2000, kNoon};
  std::unique_ptr<ClockCore> core;
};

TEST_F(LiveComputation, TheChartCarriesTheIconTheListsAndThePairString) {
  core->state().chart.VOCActive = true;  // as a previous computation might have left it
  core->state().settings.VOCIcon = true;
  const Chart chart = computed();
  EXPECT_EQ(chart.IconNumber, 13) << "the icon shows the previous computation's void state";
  EXPECT_TRUE(AspectListFor(settings(), chart, AspectList::TransitToTransit).replace);
  EXPECT_TRUE(AspectListFor(settings(), chart, AspectList::TransitToNatal).replace);
  EXPECT_EQ(chart.PairString.size(), 90u);
  EXPECT_EQ(core->state().chart.PairString, chart.PairString) << "the state is the chart shown";
  EXPECT_EQ(chart.Time, kNoon);
  // The positions table: glyph, position text, house number, cusp text.
  const PositionRows rows = PositionTable(chart);
  EXPECT_EQ(rows[1][0], QString(QChar(0x2609)));
  EXPECT_EQ(rows[1][1], QString::fromUtf8("10 \u2651 22  "));
  EXPECT_EQ(rows[12][2], QStringLiteral("12"));
}

TEST_F(LiveComputation, ANestedComputationIsMadeUpAfterTheFirst) {
  int handed = 0, nestedAsked = 0;
  QObject::connect(core.get(), &ClockCore::chartComputed, core.get(), [&] {
    ++handed;
    if (nestedAsked++ == 0) core->ComputeNow();  // a window that let a tick in while drawing
  });
  core->ComputeNow();
  EXPECT_EQ(handed, 1) << "the nested request did not start inside the first";
  EXPECT_FALSE(core->busy());
  QCoreApplication::processEvents();
  EXPECT_EQ(handed, 2) << "and was made up afterwards";
}

TEST_F(LiveComputation, AFailedComputationKeepsThePreviousChart) {
  const Chart before = computed();
  QSignalSpy failed(core.get(), &ClockCore::chartFailed);
  core->state().settings.LatDeg = 70;
  now = QDateTime(kJ2000, QTime(13, 0));
  core->ComputeNow();
  ASSERT_EQ(failed.size(), 1);
  EXPECT_TRUE(failed[0][0].toString().contains(QStringLiteral("Equal houses")));
  EXPECT_EQ(failed[0][1].toString(), QStringLiteral("houses Placidus at 70.00"))
      << "known by its cause, not by the changing sidereal time";
  const Chart& kept = core->state().chart;
  EXPECT_EQ(kept.CuspPos, before.CuspPos);
  EXPECT_EQ(kept.TruePos, before.TruePos);
  EXPECT_EQ(kept.PlanetSign, before.PlanetSign);
  EXPECT_FALSE(core->busy()) << "a failed computation must not block the next";
  core->state().settings.HouseCode = HouseSystem::Equal;
  EXPECT_NE(computed().TruePos[1], before.TruePos[1]);
}

TEST_F(LiveComputation, ATickFollowsTheMinuteAndHandsOutItsChart) {
  QSignalSpy began(core.get(), &ClockCore::minuteBegan);
  QSignalSpy charts(core.get(), &ClockCore::chartComputed);
  now = now.addSecs(97 * 60);
  emit core->Timer1()->timeout();
  EXPECT_EQ(began.size(), 1);
  ASSERT_EQ(charts.size(), 1);
  EXPECT_EQ(charts[0][0].value<Chart>().Time, QTime(13, 37));
  EXPECT_EQ(charts[0][1].value<ChartUpdate>(), ChartUpdate::Moment);

  // A clock set within the minute (a virtual machine steps its clock many times a second) asks
  // for no new chart; one set to another minute does.
  now = now.addSecs(20);
  emit core->Timer1()->clockSet();
  EXPECT_EQ(charts.size(), 1);
  now = now.addSecs(3600);
  emit core->Timer1()->clockSet();
  ASSERT_EQ(charts.size(), 2);
  EXPECT_EQ(charts[1][0].value<Chart>().Time.hour(), 14);
}

TEST_F(LiveComputation, EachTickTakesTheOffsetOfItsOwnMoment) {
  // A clock started in January keeps the right hour in July, and a zone of the place's own is
  // the clock time there, whatever the machine's zone.
  const QTimeZone london("Europe/London");
  Settings& s = core->state().settings;
  s.ZoneName = "Europe/London";
  s.Zone = london;
  s.ZoneRules = true;
  const struct {
    const char* zone;
    QDateTime now;
    QTime local;
    double ut;
  } rows[] = {
      {"Europe/London", QDateTime(QDate(2026, 1, 15), kNoon, london), kNoon, 12.0},
      {"Europe/London", QDateTime(QDate(2026, 7, 1), kNoon, london), kNoon, 11.0},
      {"America/New_York", QDateTime(QDate(2026, 7, 1), QTime(17, 0), london), kNoon, 16.0},
  };
  for (const auto& r : rows) {
    s.ZoneName = r.zone;
    s.Zone = QTimeZone(r.zone);
    now = r.now;
    const Chart chart = computed();
    EXPECT_EQ(chart.Time, r.local) << r.zone;
    EXPECT_DOUBLE_EQ(chart.UT, r.ut) << r.zone << " " << r.now.toString().toStdString();
  }
}

}  // namespace
