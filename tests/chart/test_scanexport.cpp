// SPDX-License-Identifier: GPL-3.0-or-later
// A day scan written as plain text, CSV and iCalendar, read back by the standards' own rules.
#include <gtest/gtest.h>

#include <QLocale>
#include <set>

#include "chart/DayScan.h"
#include "chart/ScanExport.h"
#include "export_check.h"
#include "support/fixtures.h"

namespace {

const TheoryTable& theory() { return OnceMade<TheoryTable, InitialTheoryTable>(); }

// Greenwich, 1 January 2000, the orb 1°01' (or 4°00', where Uranus sextile Pluto lasts all day).
DayScan greenwichScan(double zoneOffset = 0, ScanOrb orb = {1, 1}, bool textMode = false) {
  Settings s;
  s.LatDeg = 51;
  s.LatMin = 28;
  s.ZoneOffset = zoneOffset;
  s.TextMode = textMode;
  DayScan scan(s, theory(), QDate(2000, 1, 1), orb);
  scan.runAll();
  return scan;
}

const QDateTime kStamp(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC);

// The Moon's void windows and ingresses of the day join the report and both files only when the
// scan includes her. 2 January 2000 at Greenwich: the classical window 19:32 - 21:33 after square
// Mars, the ingress into Sagittarius at 21:33 (heliodial-chart --moon --rule 1).
TEST(ScanExport, TheMoonsWindowsAndIngressesFollowTheAspects) {
  Settings s;
  s.LatDeg = 51;
  s.LatMin = 28;
  s.VOCRule = 1;
  DayScan plain(s, theory(), QDate(2000, 1, 2), {0, 10});
  plain.runAll();
  DayScan moon(s, theory(), QDate(2000, 1, 2), {0, 10});
  moon.includeMoon();
  moon.runAll();
  EXPECT_TRUE(plain.moonEvents().empty());
  ASSERT_EQ(moon.moonEvents().size(), 2u);
  const QStringList added = {
      QStringLiteral("Moon void of course 19:32 - 21:33 (square Mars; classical)"),
      QStringLiteral("Moon enters Sagittarius 21:33")};
  EXPECT_EQ(moon.moonLines(), added);
  EXPECT_EQ(ScanText(moon), ScanText(plain) + (added.join('\n') + '\n').toUtf8());

  std::string problem;
  const std::vector<QStringList> rows = ParseCsv(ScanCsv(moon), &problem);
  ASSERT_EQ(problem, "");
  ASSERT_EQ(rows.size(), plain.entries().size() + 1 + 3);
  EXPECT_TRUE(ScanCsv(moon).startsWith(ScanCsv(plain)));
  EXPECT_EQ(rows[rows.size() - 3], (QStringList{"2000-01-02", "19:32", "Moon", "void begins",
                                                "classical", "square Mars"}));
  EXPECT_EQ(rows[rows.size() - 2],
            (QStringList{"2000-01-02", "21:33", "Moon", "void ends", "classical", ""}));
  EXPECT_EQ(rows.back(), (QStringList{"2000-01-02", "21:33", "Moon", "enters", "Sagittarius", ""}));

  std::vector<ICalComponent> events;
  for (ICalComponent& c : ParseICalendar(ScanICalendar(moon, kStamp), &problem)) {
    if (c.name == "VEVENT") events.push_back(c);
  }
  ASSERT_EQ(problem, "");
  int plainEvents = 0;
  for (const ICalComponent& c : ParseICalendar(ScanICalendar(plain, kStamp), &problem)) {
    plainEvents += c.name == "VEVENT";
  }
  ASSERT_EQ(events.size(), static_cast<std::size_t>(plainEvents) + 2);
  for (const ICalComponent& c : events) EXPECT_EQ(CheckEvent(c), "") << c.values.at("UID");
  const ICalComponent& window = events[events.size() - 2];
  EXPECT_EQ(window.values.at("DTSTART"), "20000102T193200Z");
  EXPECT_EQ(window.values.at("DTEND"), "20000102T213300Z");
  EXPECT_EQ(window.values.at("SUMMARY"), "Moon void of course");
  EXPECT_EQ(events.back().values.at("SUMMARY"), "Moon enters Sagittarius");

  // The degree test (30 degrees alone) has the same window here, and names no aspect.
  s.VOCRule = 0;
  s.Do45 = false;
  DayScan degree(s, theory(), QDate(2000, 1, 2), {0, 10});
  degree.includeMoon();
  EXPECT_EQ(degree.moonLines(), (QStringList{"Moon void of course 19:32 - 21:33 (degree test)",
                                             "Moon enters Sagittarius 21:33"}));
}

TEST(ScanExport, CsvFieldsAreQuotedWhereRfc4180SaysSo) {
  struct Row {
    const char* text;
    const char* field;
  } rows[] = {
      {"Sun", "Sun"},
      {"+00\u00B032", "+00\u00B032"},
      {"a,b", "\"a,b\""},
      {"say \"so\"", "\"say \"\"so\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"", ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CsvField(QString::fromUtf8(r.text)), QByteArray(r.field)) << r.text;
  }
}

TEST(ScanExport, CsvHasAHeaderAndOneRowPerReportedAspectMinuteInWords) {
  const DayScan scan = greenwichScan();  // glyph mode: the CSV still has words
  std::string problem;
  const std::vector<QStringList> records = ParseCsv(ScanCsv(scan), &problem);
  ASSERT_EQ(problem, "");
  ASSERT_EQ(records.size(), scan.entries().size() + 1);
  EXPECT_EQ(records[0], (QStringList{"date", "time", "from", "aspect", "to", "orb"}));
  for (const QStringList& r : records) ASSERT_EQ(r.size(), 6) << r.join('|').toStdString();
  // The first aspect of the first line of the day (see the scan's own tests).
  EXPECT_EQ(records[1], (QStringList{"2000-01-01", "00:00", "Sun", "trine", "Saturn",
                                     QString::fromUtf8("+00\u00B032")}));
  EXPECT_EQ(records[2][3], QStringLiteral("semis-sextile"));
  EXPECT_EQ(records.back()[1], QStringLiteral("23:59"));
}

TEST(ScanExport, ICalendarLinesFoldAt75OctetsBetweenCharacters) {
  const QByteArray degree = "\xC2\xB0";  // two octets
  struct Row {
    const char* name;
    QByteArray line;
    int physicalLines;
  } rows[] = {
      {"short", "SUMMARY:Sun trine Saturn", 1},
      {"exactly 75 octets", QByteArray(75, 'a'), 1},
      {"76 octets", QByteArray(76, 'a'), 2},
      {"a long description", QByteArray(300, 'x'), 5},
      {"a two-octet character across the first fold", QByteArray(74, 'a') + degree + "bc", 2},
      {"two-octet characters all along", degree.repeated(100), 3},
  };
  for (const Row& r : rows) {
    const QByteArray folded = FoldICalendarLine(r.line);
    ASSERT_TRUE(folded.endsWith("\r\n")) << r.name;
    const QList<QByteArray> physical = folded.chopped(2).split('\n');
    EXPECT_EQ(physical.size(), r.physicalLines) << r.name;
    QByteArray unfolded;
    for (qsizetype i = 0; i < physical.size(); ++i) {
      QByteArray line = physical[i];
      if (i + 1 < physical.size()) {
        ASSERT_TRUE(line.endsWith('\r')) << r.name;
        line.chop(1);
      }
      EXPECT_LE(line.size(), 75) << r.name;
      if (i > 0) {
        ASSERT_TRUE(line.startsWith(' ')) << r.name;
        line = line.mid(1);
      }
      EXPECT_FALSE(QString::fromUtf8(line).contains(QChar::ReplacementCharacter))
          << r.name << ": split inside a character";
      unfolded += line;
    }
    EXPECT_EQ(unfolded, r.line) << r.name;
  }
}

TEST(ScanExport, ICalendarHasOneValidEventPerRunOfAnAspect) {
  const DayScan scan = greenwichScan(0, {4, 0});
  std::string problem;
  const std::vector<ICalComponent> components =
      ParseICalendar(ScanICalendar(scan, kStamp), &problem);
  ASSERT_EQ(problem, "");
  std::vector<ICalComponent> events;
  for (const ICalComponent& c : components) {
    if (c.name == "VEVENT") events.push_back(c);
  }
  ASSERT_EQ(events.size(), scan.events().size());
  std::set<std::string> uids;
  for (const ICalComponent& e : events) {
    EXPECT_EQ(CheckEvent(e), "") << e.values.at("SUMMARY");
    EXPECT_EQ(e.values.at("DTSTAMP"), "20240506T070809Z");
    EXPECT_TRUE(uids.insert(e.values.at("UID")).second) << "UIDs are unique";
  }
  // Uranus sextile Pluto holds all day: from 00:00 to the end of 23:59.
  const auto whole = std::find_if(events.begin(), events.end(), [](const ICalComponent& e) {
    return e.values.at("SUMMARY") == "Uranus sextile Pluto";
  });
  ASSERT_NE(whole, events.end());
  EXPECT_EQ(whole->values.at("DTSTART"), "20000101T000000Z");
  EXPECT_EQ(whole->values.at("DTEND"), "20000102T000000Z");
  const std::string description = whole->values.at("DESCRIPTION");
  EXPECT_NE(description.find("within 4\u00B000' from 00:00 to 23:59"), std::string::npos)
      << description;
  EXPECT_NE(description.find("closest at "), std::string::npos) << description;
  EXPECT_NE(description.find("\\,"), std::string::npos) << "commas escaped: " << description;
}

TEST(ScanExport, ICalendarTimesAreUniversalTimeFromTheSettingsZone) {
  struct Row {
    double zoneOffset;
    const char* start;  // of an aspect that holds from local midnight
  } rows[] = {{0, "20000101T000000Z"}, {2, "19991231T220000Z"}, {-5.5, "20000101T053000Z"}};
  for (const Row& r : rows) {
    const DayScan scan = greenwichScan(r.zoneOffset, {4, 0});
    std::string problem;
    const std::vector<ICalComponent> components =
        ParseICalendar(ScanICalendar(scan, kStamp), &problem);
    ASSERT_EQ(problem, "");
    std::set<std::string> starts;
    for (const ICalComponent& c : components) {
      if (c.name == "VEVENT") starts.insert(c.values.at("DTSTART"));
    }
    EXPECT_EQ(*starts.begin(), r.start) << r.zoneOffset;
  }
}

TEST(ScanExport, AStoppedOrEmptyScanStillGivesWellFormedFiles) {
  Settings s;
  DayScan empty(s, theory(), QDate(2000, 1, 1), {0, 0});
  empty.stop();
  std::string problem;
  ParseICalendar(ScanICalendar(empty, kStamp), &problem);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(ParseCsv(ScanCsv(empty), &problem).size(), 1u);
  EXPECT_EQ(problem, "");
  EXPECT_TRUE(ScanText(empty).isEmpty());
}

}  // namespace
