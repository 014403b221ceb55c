// SPDX-License-Identifier: GPL-3.0-or-later
// heliodial-chart --scan and --moon as a script runs them: the real program on a real settings
// file.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <fstream>

#include "chart/export_check.h"
#include "support/companion.h"
#include "support/fixtures.h"

namespace {

// Greenwich on Universal Time, words, the orb 2°30' in the settings.
const std::string kSettings =
    std::string(kGreenwichObservatory) + "[Show]\nText=1\n[Custom]\nDegree=2\nMinute=30\n";

class ScanCompanion : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    std::ofstream(home.filePath("helidial.ini").toStdString()) << kSettings;
  }
  Outcome run(const QStringList& args) {
    return RunCompanion({home.path(), {}, QStringLiteral("en_GB.UTF-8")}, args);
  }
  QTemporaryDir home;
};

TEST_F(ScanCompanion, LinesOfTheDayWithTheSettingsOrbUnlessOneIsGiven) {
  const Outcome byDefault = run({"--scan", "2000-01-01"});
  ASSERT_EQ(byDefault.status, 0) << byDefault.err.toStdString();
  const QList<QByteArray> lines = byDefault.out.split('\n');
  EXPECT_EQ(lines.size(), 1440 + 1) << "a line for every minute, each ended";
  EXPECT_TRUE(
      lines.first().contains("::00:00: Sun trine Saturn :+00\xC2\xB0"
                             "32):"))
      << lines.first().toStdString();
  EXPECT_EQ(run({"--scan", "2000-01-01", "--orb", "2:30"}).out, byDefault.out)
      << "the settings' 2°30' by default";
  const Outcome narrow = run({"--scan", "2000-01-01", "--orb", "0:10"});
  EXPECT_LT(narrow.out.size(), byDefault.out.size() / 2);
}

TEST_F(ScanCompanion, CsvParsesWithAHeaderRow) {
  const Outcome r = run({"--scan", "2000-01-01", "--csv"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  std::string problem;
  const std::vector<QStringList> records = ParseCsv(r.out, &problem);
  ASSERT_EQ(problem, "");
  ASSERT_GT(records.size(), 1440u);
  EXPECT_EQ(records[0], (QStringList{"date", "time", "from", "aspect", "to", "orb"}));
  for (const QStringList& record : records) ASSERT_EQ(record.size(), 6);
  EXPECT_EQ(records[1].mid(0, 5), (QStringList{"2000-01-01", "00:00", "Sun", "trine", "Saturn"}));
}

TEST_F(ScanCompanion, ICalendarIsValidWithTheFourPropertiesInEveryEvent) {
  const Outcome r = run({"--scan", "2000-01-01", "--orb", "1:00", "--ics"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  std::string problem;
  const std::vector<ICalComponent> components = ParseICalendar(r.out, &problem);
  ASSERT_EQ(problem, "");
  int events = 0;
  for (const ICalComponent& c : components) {
    if (c.name != "VEVENT") continue;
    ++events;
    EXPECT_EQ(CheckEvent(c), "") << c.values.at("UID");
  }
  EXPECT_GT(events, 10);
}

TEST_F(ScanCompanion, BadValuesGiveOneLineAndStatusTwo) {
  const QStringList bad[] = {
      {"--scan"},
      {"--scan", "2000-02-30"},
      {"--scan", "tomorrow"},
      {"--scan", "9999-12-31", "--ics"},
      {"--scan", "0001-01-01"},
      {"--scan", "-0001-06-01"},
      {"--scan", "+2000-01-01"},
      {"--scan", "2000-01-01", "--orb", "31:00"},
      {"--scan", "2000-01-01", "--orb", "1:60"},
      {"--scan", "2000-01-01", "--orb", "-1:00"},
      {"--scan", "2000-01-01", "--orb", "1.5"},
      {"--scan", "2000-01-01", "--orb", "1:00:00"},
      {"--scan", "2000-01-01", "--csv", "--ics"},
      {"--scan", "2000-01-01", "--json"},
      {"--scan", "2000-01-01", "--at", "2000-01-01 12:00"},
      {"--orb", "1:00"},
      {"--csv"},
      // The Moon's timetable.
      {"--moon"},
      {"--moon", "2026-02-30"},
      {"--moon", "9999-12-25"},
      {"--moon", "2026-12-09", "--days", "0"},
      {"--moon", "2026-12-09", "--days", "367"},
      {"--moon", "2026-12-09", "--days", "a week"},
      {"--moon", "2026-12-09", "--rule", "3"},
      {"--moon", "2026-12-09", "--rule", "-1"},
      {"--moon", "2026-12-09", "--rule", "01"},
      {"--moon", "2026-12-09", "--json", "--ics"},
      {"--moon", "2026-12-09", "--csv"},
      {"--moon", "2026-12-09", "--scan", "2026-12-09"},
      {"--moon", "2026-12-09", "--at", "2026-12-09 12:00"},
      {"--days", "3"},
      {"--rule", "1"},
  };
  for (const QStringList& args : bad) {
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << args.join(' ').toStdString() << ": " << r.err.toStdString();
  }
  const Outcome help = run({"--help"});
  EXPECT_TRUE(help.out.contains("[--scan YYYY-MM-DD [--orb D:MM] [--csv | --ics]]"))
      << help.out.toStdString();
  for (const char* option : {"--moon YYYY-MM-DD", "--days N", "--rule 0|1|2"}) {
    EXPECT_TRUE(help.out.contains(option)) << option;
  }
}

TEST_F(ScanCompanion, FarDaysAndPolarPlacesEndCleanly) {
  // The first and last days a scan takes give valid iCalendar files even a day of zone away
  // from Universal Time; a house system without cusps says why.
  for (const char* west : {"0", "1"}) {
    std::ofstream(home.filePath("helidial.ini").toStdString())
        << "[Place]\nManualZone=1\nZoneH=24\nEW=" << west << "\n";
    for (const char* day : {"0001-01-02", "9999-12-29"}) {
      const Outcome r = run({"--scan", day, "--ics"});
      EXPECT_EQ(r.status, 0) << day << ": " << r.err.toStdString();
      std::string problem;
      for (const ICalComponent& c : ParseICalendar(r.out, &problem)) {
        if (c.name == "VEVENT") {
          EXPECT_EQ(CheckEvent(c), "") << day << " EW=" << west;
        }
      }
      EXPECT_EQ(problem, "") << day << " EW=" << west;
    }
  }
  std::ofstream(home.filePath("helidial.ini").toStdString())
      << "[Place]\nLatD=70\nNS=1\nEW=1\nManualZone=1\n[Setting]\nHouses=0\n";
  const Outcome polar = run({"--scan", "2000-01-01"});
  EXPECT_EQ(polar.status, 1);
  EXPECT_TRUE(polar.err.contains("Equal houses")) << polar.err.toStdString();
}

// --moon: a week of stays by default; each stay's ingress follows the one before, the void window
// of rules 1 and 2 ends at the next ingress and starts at its last aspect's exact time; times are
// local ISO 8601 with the settings' offset.
TEST_F(ScanCompanion, MoonTimetableAsJsonTextAndICalendar) {
  std::ofstream(home.filePath("helidial.ini").toStdString())
      << "[Place]\nLatD=51\nLatM=28\nNS=1\nEW=0\nManualZone=1\nZoneH=2\nZoneM=0\n";
  const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:00\\+02:00$"));
  for (const char* rule : {"0", "1", "2"}) {
    const Outcome r = run({"--moon", "2026-12-09", "--rule", rule, "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray stays = QJsonDocument::fromJson(r.out).array();
    ASSERT_GE(stays.size(), 3) << r.out.toStdString();
    ASSERT_LE(stays.size(), 5);
    QString before;
    int voids = 0;
    for (const QJsonValue& value : stays) {
      const QJsonObject stay = value.toObject();
      EXPECT_EQ(stay.keys(),
                (QStringList{"ingress", "lastAspect", "sign", "voidEnd", "voidStart"}));
      const QString ingress = stay["ingress"].toString();
      EXPECT_TRUE(iso.match(ingress).hasMatch()) << ingress.toStdString();
      EXPECT_GT(ingress, before);
      before = ingress;
      if (stay["voidStart"].isNull()) {
        EXPECT_TRUE(stay["voidEnd"].isNull());
        EXPECT_TRUE(stay["lastAspect"].isNull());
        continue;
      }
      ++voids;
      EXPECT_TRUE(iso.match(stay["voidStart"].toString()).hasMatch());
      EXPECT_LT(stay["voidStart"].toString(), stay["voidEnd"].toString());
      if (QByteArray(rule) == "0") {
        EXPECT_TRUE(stay["lastAspect"].isNull());
        continue;
      }
      EXPECT_GE(stay["voidStart"].toString(), ingress);
      const QJsonObject last = stay["lastAspect"].toObject();
      EXPECT_EQ(last.keys(), (QStringList{"aspect", "body", "exact"}));
      EXPECT_TRUE(QStringList({"conjunction", "sextile", "square", "trine", "opposition"})
                      .contains(last["aspect"].toString()));
      EXPECT_EQ(last["exact"], stay["voidStart"]);
      if (QByteArray(rule) == "1") {
        EXPECT_FALSE(QStringList({"Uranus", "Neptune", "Pluto"}).contains(last["body"].toString()));
      }
    }
    EXPECT_GE(voids, 2) << rule;
    // Rules 1 and 2: the window ends where the next stay begins.
    for (qsizetype i = 0; QByteArray(rule) != "0" && i + 1 < stays.size(); ++i) {
      EXPECT_EQ(stays[i]["voidEnd"], stays[i + 1]["ingress"]);
    }
  }
  const Outcome month = run({"--moon", "2026-12-09", "--days", "30", "--rule", "1", "--json"});
  EXPECT_GE(QJsonDocument::fromJson(month.out).array().size(), 13);

  const Outcome text = run({"--moon", "2026-12-09", "--rule", "1"});
  ASSERT_EQ(text.status, 0);
  EXPECT_TRUE(
      text.out.startsWith("The Moon from 2026-12-09 for 7 days, void of course by the "
                          "classical rule (Sun..Saturn); local times, zone +02:00\n"))
      << text.out.toStdString();
  EXPECT_TRUE(text.out.contains(" enters ")) << text.out.toStdString();

  // Without --rule the settings' VOC/Rule decides, as in the clock; --rule overrides it.
  std::ofstream(home.filePath("helidial.ini").toStdString(), std::ios::app) << "[VOC]\nRule=2\n";
  const struct {
    QStringList args;
    const char* named;
  } rules[] = {{{"--moon", "2026-12-09"}, "by the modern rule (Sun..Pluto);"},
               {{"--moon", "2026-12-09", "--rule", "0"}, "by the degree test;"}};
  for (const auto& r : rules) {
    const Outcome named = run(r.args);
    ASSERT_EQ(named.status, 0) << named.err.toStdString();
    EXPECT_TRUE(named.out.left(named.out.indexOf('\n')).contains(r.named))
        << named.out.toStdString();
  }

  const Outcome ics = run({"--moon", "2026-12-09", "--rule", "2", "--ics"});
  ASSERT_EQ(ics.status, 0) << ics.err.toStdString();
  std::string problem;
  int events = 0;
  for (const ICalComponent& c : ParseICalendar(ics.out, &problem)) {
    if (c.name != "VEVENT") continue;
    ++events;
    EXPECT_EQ(CheckEvent(c), "") << c.values.at("UID");
    EXPECT_TRUE(c.values.at("SUMMARY").starts_with("Moon void of course in "));
  }
  EXPECT_EQ(problem, "");
  EXPECT_GE(events, 3);
}
}  // namespace
