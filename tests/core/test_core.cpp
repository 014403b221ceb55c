// SPDX-License-Identifier: GPL-3.0-or-later
// The running clock without windows: the live chart it hands out after each computation (tray
// icon, both aspect lists, the pair string), one computation at a time, and a chart that cannot
// be computed. The alerts: found when armed, told once at their time less the lead, armed again
// after a settings change or a jump of the clock, and nothing computed at an idle minute.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <cmath>
#include <memory>

#include "core/AlertSchedule.h"
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

// The alerts, driven by the fixed time source: the test stands in for the timer by moving the
// moment to where the schedule is armed and calling what the timer calls.
class Alerts : public LiveComputation {
 protected:
  void SetUp() override {
    LiveComputation::SetUp();
    now = QDateTime(kJ2000, kNoon, Qt::UTC);
    schedule = std::make_unique<AlertSchedule>(*core);
  }
  Settings& alerts() { return core->state().settings; }
  // Moves the moment to the armed time and lets the timer go off.
  void ring() {
    ASSERT_TRUE(schedule->armedFor().has_value());
    now = *schedule->armedFor();
    schedule->FireDue();
  }
  std::unique_ptr<AlertSchedule> schedule;
};

TEST_F(Alerts, AVoidBeginningIsToldOnceAtItsTimeLessTheLead) {
  alerts().AlertVoidBegins = true;
  const VoidRule rule = AlertVoidRule(alerts());
  const auto window = VoidWindowAt(alerts(), core->state().theory, now, rule);
  ASSERT_TRUE(window.has_value());
  ASSERT_GT(window->start, now) << "the test wants a window still to come";
  const struct {
    int lead;
    int minutes;
  } leads[] = {{0, 0}, {1, 15}, {2, 60}};
  for (const auto& l : leads) {
    alerts().AlertLead = l.lead;
    schedule->Rearm();
    ASSERT_TRUE(schedule->armedFor().has_value());
    EXPECT_EQ(*schedule->armedFor(), window->start.addSecs(-60 * l.minutes)) << "lead " << l.lead;
  }
  QSignalSpy told(schedule.get(), &AlertSchedule::alert);
  ring();
  ASSERT_EQ(told.size(), 1);
  EXPECT_EQ(told[0][0].toString(), QStringLiteral("void-begins"));
  const QString text = told[0][1].toString();
  EXPECT_TRUE(text.startsWith(QStringLiteral("The Moon is void of course from ") +
                              window->start.toString(QStringLiteral("HH:mm"))))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral(" until "))) << text.toStdString();
  EXPECT_EQ(told[0][2].toDateTime(), window->start) << "the event's time, not the alert's";

  // Armed again: a settings change or a clock set finds the same event and says nothing more;
  // the next alert is for the next window.
  schedule->FireDue();
  emit core->settingsChanged();
  schedule->FireDue();
  EXPECT_EQ(told.size(), 1);
  ASSERT_TRUE(schedule->armedFor().has_value());
  EXPECT_GE(*schedule->armedFor(), window->end.addSecs(-3600));
}

TEST_F(Alerts, OnlyTheKindsSwitchedOnAreTold) {
  QSignalSpy told(schedule.get(), &AlertSchedule::alert);
  schedule->Rearm();
  EXPECT_FALSE(schedule->armedFor().has_value()) << "all off: nothing armed";
  EXPECT_EQ(schedule->computations(), 0) << "and nothing computed";

  alerts().AlertIngress = true;
  const MoonIngress ingress = NextMoonIngress(alerts(), core->state().theory, now);
  schedule->Rearm();
  // With nothing before it the schedule wakes once a day to look a day further.
  for (int i = 0; i < 20 && told.size() < 3; ++i) ring();
  ASSERT_EQ(told.size(), 3);
  for (qsizetype i = 0; i < told.size(); ++i) {
    EXPECT_EQ(told[i][0].toString(), QStringLiteral("ingress"))
        << told[i][1].toString().toStdString();
    if (i > 0) {
      EXPECT_GT(told[i][2].toDateTime(), told[i - 1][2].toDateTime().addDays(2))
          << "each ingress once, then the next";
    }
  }
  EXPECT_EQ(told[0][1].toString(), QStringLiteral("The Moon enters %1 at %2")
                                       .arg(QString::fromLatin1(kSignNames[ingress.sign]),
                                            ingress.time.toString(QStringLiteral("HH:mm"))));
  EXPECT_EQ(told[0][2].toDateTime(), ingress.time);

  // With the 30 degree test alone the void ends as she enters the sign. Switched on in the minute
  // of an ingress just told, that end is still told: each kind keeps its own place.
  alerts().Do45 = false;
  alerts().AlertVoidEnds = true;
  emit core->settingsChanged();
  EXPECT_EQ(*schedule->armedFor(), told[2][2].toDateTime());
  schedule->FireDue();
  ASSERT_EQ(told.size(), 4);
  EXPECT_EQ(told[3][0].toString(), QStringLiteral("void-ends"));
  EXPECT_TRUE(told[3][1].toString().endsWith(
      QStringLiteral(" as she enters ") + QString::fromLatin1(kSignNames[(ingress.sign + 2) % 12])))
      << told[3][1].toString().toStdString();
}

TEST_F(Alerts, SettingsAClockJumpAndALateTickArmAgainAnIdleMinuteComputesNothing) {
  alerts().AlertNewFull = true;
  schedule->Rearm();
  EXPECT_EQ(schedule->computations(), 1);
  const QDateTime first = *schedule->armedFor();
  // Ticks before the time only compare it with the moment.
  now = now.addSecs(60);
  emit core->minuteBegan();
  EXPECT_EQ(schedule->computations(), 1);

  // A settings change, through the dialog's path, arms again for what the file now says.
  OptionsValues values;
  values.AlertIngress = true;
  values.AlertLead = 1;
  core->ApplySettings(values, 576);
  EXPECT_EQ(schedule->computations(), 2);
  ASSERT_TRUE(schedule->armedFor().has_value());
  // The ingress a day and a half ahead is beyond the reach: armed to look again at its end.
  EXPECT_EQ(*schedule->armedFor(),
            std::min(NextMoonIngress(alerts(), core->state().theory, now).time.addSecs(-15 * 60),
                     now.addSecs(kAlertReachMinutes * 60)));
  EXPECT_NE(*schedule->armedFor(), first);

  // The wall clock set a day on: armed from the new moment.
  now = now.addDays(1);
  emit core->Timer1()->clockSet();
  EXPECT_EQ(schedule->computations(), 3);
  EXPECT_GT(*schedule->armedFor(), now.addSecs(-15 * 60));

  // After a suspend the timer comes late; the first tick after the time tells.
  QSignalSpy told(schedule.get(), &AlertSchedule::alert);
  now = schedule->armedFor()->addSecs(30);
  emit core->minuteBegan();
  EXPECT_EQ(told.size(), 1);
}

TEST_F(Alerts, NewAndFullMoonNatalAspectsAndStationsAreFoundWhereTheyHappen) {
  const TheoryTable& theory = core->state().theory;
  Settings s = alerts();
  s.AlertNewFull = s.AlertNatalExact = s.AlertStation = true;
  // A natal Sun 5 degrees ahead of the Moon: only the Moon reaches it within the day.
  s.AspectFrom.fill(false);
  s.AspectFrom[2] = true;
  s.AspectTo.fill(false);
  s.AspectTo[1] = true;
  s.UseAspects.fill(false);
  s.UseAspects[0] = true;
  const double moon = MoonLongitudeAt(s, theory, now);
  s.NatalPos.fill(100);
  s.NatalPos[1] = std::fmod(moon + 5, 360);
  const auto speedOf = [&](int point, const QDateTime& utc) {
    Chart c;
    ComputePositions(s, theory, {utc.time().msecsSinceStartOfDay() / 3600000.0, utc.date()}, c);
    return c.Speed[static_cast<std::size_t>(point)];
  };
  // Mercury turns retrograde on 21 February 2000.
  const QDateTime mercuryTurns(QDate(2000, 2, 21), QTime(0, 0), Qt::UTC);
  for (const QDateTime& from : {now, mercuryTurns}) {
    int natal = 0, stations = 0, phases = 0;
    for (const AlertEvent& event : UpcomingAlerts(s, theory, from, from)) {
      const std::string text = event.text.toStdString();
      EXPECT_GE(event.when, from) << text;
      EXPECT_TRUE(event.text.contains(event.when.toString(QStringLiteral("HH:mm")))) << text;
      switch (event.kind) {
        case AlertKind::NewFull: {
          ++phases;
          const double elongation = MoonPhaseAt(s, theory, event.when).elongation;
          const bool full = event.text.startsWith(QStringLiteral("Full Moon in "));
          EXPECT_NEAR(std::remainder(elongation - (full ? 180 : 0), 360), 0, 0.02) << text;
          break;
        }
        case AlertKind::NatalExact:
          ++natal;
          EXPECT_TRUE(
              event.text.startsWith(QStringLiteral("Transiting Moon conjunction natal Sun")))
              << text;
          EXPECT_NEAR(std::remainder(MoonLongitudeAt(s, theory, event.when) - s.NatalPos[1], 360),
                      0, 0.02)
              << text;
          break;
        case AlertKind::Station:
          ++stations;
          EXPECT_TRUE(event.text.startsWith(QStringLiteral("Mercury stations retrograde"))) << text;
          EXPECT_GT(speedOf(3, event.when.addSecs(-300)), 0) << text;
          EXPECT_LT(speedOf(3, event.when.addSecs(300)), 0) << text;
          break;
        default:
          ADD_FAILURE() << "a kind that is off: " << text;
      }
    }
    EXPECT_EQ(phases, 2) << "the next new and the next full Moon";
    EXPECT_EQ(natal, from == now ? 1 : 0) << "the Moon meets the natal Sun only on the first day";
    EXPECT_EQ(stations, from == now ? 0 : 1);
  }
}

}  // namespace
