// SPDX-License-Identifier: GPL-3.0-or-later
// The day scan without a window: orbs, duplicates, keys, the pairs it tests, the report line, the
// runs it gathers for calendars, and scanning in slices.
#include <gtest/gtest.h>

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "chart/ComputeChart.h"
#include "chart/DayScan.h"
#include "chart/DisplayText.h"
#include "support/fixtures.h"

namespace {

const TheoryTable& theory() { return OnceMade<TheoryTable, InitialTheoryTable>(); }

// Greenwich (51°28' N, 0° W) on Universal Time, the companion's reference place.
Settings greenwich(bool textMode = true) {
  Settings s;
  s.LatDeg = 51;
  s.LatMin = 28;
  s.ZoneOffset = 0;
  s.TextMode = textMode;
  return s;
}

const QDate kJ2000Day(2000, 1, 1);

DayScan scanned(const Settings& settings, ScanOrb orb, QDate day = kJ2000Day) {
  DayScan scan(settings, theory(), day, orb);
  scan.runAll();
  return scan;
}

int linesContaining(const DayScan& scan, const QString& text) {
  int n = 0;
  for (const QString& line : scan.lines()) n += line.contains(text) ? 1 : 0;
  return n;
}

class DayScanTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(DayScanTest, APreciseDayWithoutChironScansTheRestAndSaysSoOnce) {
  Settings s = greenwich();
  s.Ephemeris = 1;
  s.AspectFrom[12] = s.AspectTo[12] = true;
  const DayScan scan = scanned(s, {8, 0}, QDate(1750, 6, 1));
  ASSERT_FALSE(scan.entries().empty());
  for (const ScanEntry& e : scan.entries()) EXPECT_TRUE(e.aspect.from != 12 && e.aspect.to != 12);
  EXPECT_EQ(linesContaining(scan, QStringLiteral("Chiron is outside")), 1);
  EXPECT_TRUE(scan.lines().last().startsWith(QStringLiteral("Chiron is outside")));
}

TEST_F(DayScanTest, TheFirstLineOfAKnownDayIsTheDocumentedFormat) {
  // Derived by hand from the companion's positions for 2000-01-01 00:00 at Greenwich
  // (heliodial-chart --json): Sun 279.858, Moon 217.284, Mercury 271.139, Venus 240.983,
  // Mars 327.598, Jupiter 25.239, Saturn 40.398, Uranus 314.799, Neptune 303.195, Pluto 251.470,
  // Ascendant 187.050, Midheaven 99.177. Within 1°01', in pair order:
  //   Sun-Saturn 120.540: trine +0°32'; Moon-Ascendant 30.234: semi-sextile +0°14';
  //   Mercury-Venus 30.156: semi-sextile +0°09'; Venus-Jupiter 144.256: biquintile +0°15';
  //   Mars-Saturn 72.800: quintile +0°48'; Uranus-Midheaven 144.378: biquintile +0°23'.
  // The date in the short format (en_GB), "::", the time, ": ", then key + ":" + orb + "):".
  const DayScan scan = scanned(greenwich(), {1, 1});
  ASSERT_EQ(scan.lines().size(), DayScan::kMinutes);
  EXPECT_EQ(scan.lines().first(),
            QString::fromUtf8("01/01/2000::00:00: Sun trine Saturn :+00\u00B032):"
                              "Moon semis-sextile Ascendant :+00\u00B014):"
                              "Mercury semis-sextile Venus :+00\u00B009):"
                              "Venus biquintile Jupiter :+00\u00B015):"
                              "Mars quintile Saturn :+00\u00B048):"
                              "Uranus biquintile Midheaven :+00\u00B023):"));
  EXPECT_TRUE(scan.lines().last().startsWith(QStringLiteral("01/01/2000::23:59: ")));
}

TEST_F(DayScanTest, TheScannedDayTakesItsOwnOffset) {
  // A clock loaded in January (offset 0) scanning a July day in London: the day's +1, so its
  // noon is 11:00 UT. On the day the clocks go forward the offset of local noon serves.
  Settings s = greenwich();
  s.ZoneName = "Europe/London";
  s.Zone = QTimeZone("Europe/London");
  s.ZoneRules = true;
  const struct {
    QDate day;
    double offset;
  } rows[] = {{QDate(2026, 7, 1), 1.0}, {QDate(2026, 1, 15), 0.0}, {QDate(2026, 3, 29), 1.0}};
  for (const auto& r : rows) {
    DayScan scan(s, theory(), r.day, {1, 0});
    EXPECT_DOUBLE_EQ(scan.settings().ZoneOffset, r.offset) << r.day.toString().toStdString();
    EXPECT_DOUBLE_EQ(ComputeChart(scan.settings(), theory(), r.day, QTime(12, 0)).UT,
                     12 - r.offset);
  }
  // Without rules the settings' fixed offset stays as it is.
  s.ZoneRules = false;
  s.ZoneOffset = 6.5;
  EXPECT_DOUBLE_EQ(DayScan(s, theory(), QDate(2026, 7, 1), {1, 0}).settings().ZoneOffset, 6.5);
}

TEST_F(DayScanTest, AnOrbOfNoMinutesReportsOnlyExactSeparations) {
  // Whatever an orb of 0°00' reports stands at its exact angle; one minute of orb lets the near
  // misses in, so the test is not "always exact" either.
  const DayScan exact = scanned(greenwich(), {0, 0});
  for (const ScanEntry& e : exact.entries()) {
    const QString orb = libraryText(e.aspect.orbText);
    ASSERT_TRUE(orb == QString::fromUtf8("+00\u00B000") || orb == QString::fromUtf8("-00\u00B000"))
        << orb.toStdString();
  }
  const DayScan near = scanned(greenwich(), {0, 1});
  EXPECT_GT(near.entries().size(), exact.entries().size());
}

TEST_F(DayScanTest, WithoutHouseCuspsTheAnglesTakeNoPart) {
  // A house code that computes no cusps leaves the angles at 0 Aries; a conjunction of the two
  // all day long would be no aspect of the sky.
  Settings noCusps = greenwich();
  noCusps.HouseCode = HouseSystem::None;
  const DayScan scan = scanned(noCusps, {1, 0});
  ASSERT_FALSE(scan.lines().isEmpty());
  for (const QString& line : scan.lines()) {
    ASSERT_FALSE(line.contains(QStringLiteral("Ascendant")) ||
                 line.contains(QStringLiteral("Midheaven")))
        << line.toStdString();
  }
}

TEST_F(DayScanTest, DuplicatesDecideWhetherASlowAspectRepeats) {
  // Uranus 314.8 and Pluto 251.5 on this day: a sextile 3°20' wide, all day within 4°.
  const QString uranusPluto = QStringLiteral("Uranus sextile Pluto :");
  struct Row {
    const char* name;
    bool duplicates;
    int linesWithIt;
  } rows[] = {{"listed in every minute", false, DayScan::kMinutes},
              {"listed once, in the first minute", true, 1}};
  for (const Row& r : rows) {
    Settings s = greenwich();
    s.Duplicates = r.duplicates;
    const DayScan scan = scanned(s, {4, 0});
    EXPECT_EQ(linesContaining(scan, uranusPluto), r.linesWithIt) << r.name;
    EXPECT_TRUE(scan.lines().first().contains(uranusPluto)) << r.name;
  }
}

TEST_F(DayScanTest, KeysAreWordsInTextModeSoTheDuplicateCheckComparesWords) {
  struct Row {
    const char* name;
    bool textMode;
    QString uranusPluto;
  } rows[] = {
      {"text mode", true, QStringLiteral("Uranus sextile Pluto ")},
      {"glyph mode", false, QString::fromUtf8("\u2645\u26B9\u2647")},
  };
  const QRegularExpression words(QStringLiteral("^([A-Z][a-z]+ )([a-z-]+ )([A-Z][a-z]+ )$"));
  for (const Row& r : rows) {
    Settings s = greenwich(r.textMode);
    s.Duplicates = true;
    const DayScan scan = scanned(s, {4, 0});
    EXPECT_TRUE(scan.SeenKeys().contains(r.uranusPluto)) << r.name;
    for (const QString& key : scan.SeenKeys()) {
      EXPECT_EQ(words.match(key).hasMatch(), r.textMode) << r.name << ": " << key.toStdString();
      // Each key is reported once in the whole day, as it is written in the report.
      int reported = 0;
      for (const QString& line : scan.lines()) reported += line.count(key + QLatin1Char(':'));
      EXPECT_EQ(reported, 1) << r.name << ": " << key.toStdString();
    }
  }
}

TEST_F(DayScanTest, ThePairAscendantMidheavenIsTested) {
  // Only the Ascendant may start a pair and only the Midheaven end one: the pair (13, 14).
  Settings s = greenwich();
  s.AspectFrom.fill(false);
  s.AspectTo.fill(false);
  s.AspectFrom[kAscendant] = true;
  s.AspectTo[kMidheaven] = true;
  const DayScan scan = scanned(s, {0, 30});
  EXPECT_TRUE(scan.testsPairs());
  EXPECT_EQ(linesContaining(scan, QStringLiteral(": Ascendant square Midheaven :")), 22);
  for (const ScanEntry& e : scan.entries()) {
    EXPECT_EQ(e.aspect.from, kAscendant);
    EXPECT_EQ(e.aspect.to, kMidheaven);
  }
  // The other way round is no pair: the first point comes before the second.
  std::swap(s.AspectFrom, s.AspectTo);
  const DayScan none = scanned(s, {30, 0});
  EXPECT_FALSE(none.testsPairs());
  EXPECT_TRUE(none.lines().isEmpty());
}

TEST_F(DayScanTest, EventsSpanEachRunOfMinutesWithinTheOrb) {
  // With duplicates listed, the entries hold every aspect-minute: each event must be exactly one
  // unbroken run of them, and its closest minute the one with the smallest orb.
  const DayScan scan = scanned(greenwich(), {1, 1});
  ASSERT_FALSE(scan.events().empty());
  std::map<std::tuple<int, char, int, int>, std::string> minutes;  // (from, code, to, minute)
  for (const ScanEntry& e : scan.entries()) {
    minutes[{e.aspect.from, e.aspect.code, e.aspect.to, e.minute}] = e.aspect.orbText;
  }
  const auto orbMinutes = [](const std::string& text) {
    // Library bytes: sign, two-digit degrees, the degree byte, two-digit minutes.
    return std::stoi(text.substr(1, 2)) * 60 + std::stoi(text.substr(4, 2));
  };
  std::size_t covered = 0;
  for (const ScanEvent& ev : scan.events()) {
    const auto at = [&](int minute) { return minutes.find({ev.from, ev.code, ev.to, minute}); };
    ASSERT_LE(ev.first, ev.last);
    EXPECT_TRUE(ev.first == 0 || at(ev.first - 1) == minutes.end()) << "starts a run";
    EXPECT_TRUE(ev.last == DayScan::kMinutes - 1 || at(ev.last + 1) == minutes.end())
        << "ends a run";
    int smallest = 1 << 30;
    for (int m = ev.first; m <= ev.last; ++m) {
      ASSERT_NE(at(m), minutes.end()) << "no gap inside an event, minute " << m;
      smallest = std::min(smallest, orbMinutes(at(m)->second));
    }
    EXPECT_EQ(orbMinutes(ev.closestOrbText), smallest);
    EXPECT_EQ(at(ev.closest)->second, ev.closestOrbText);
    covered += static_cast<std::size_t>(ev.last - ev.first + 1);
  }
  EXPECT_EQ(covered, scan.entries().size()) << "every aspect-minute belongs to one event";
  EXPECT_TRUE(
      std::is_sorted(scan.events().begin(), scan.events().end(),
                     [](const ScanEvent& a, const ScanEvent& b) { return a.first < b.first; }));
}

TEST_F(DayScanTest, SlicesGiveTheSameReportAndAStopKeepsWhatWasFound) {
  const Settings s = greenwich();
  const DayScan whole = scanned(s, {1, 1});

  DayScan sliced(s, theory(), kJ2000Day, {1, 1});
  EXPECT_TRUE(sliced.runFor(std::chrono::hours(1), 100));
  EXPECT_EQ(sliced.minutesDone(), 100);
  while (sliced.runFor(std::chrono::microseconds(0), 7)) {
  }
  EXPECT_EQ(sliced.lines(), whole.lines());
  EXPECT_EQ(sliced.events().size(), whole.events().size());

  DayScan stopped(s, theory(), kJ2000Day, {1, 1});
  stopped.runFor(std::chrono::hours(1), 60);
  stopped.stop();
  EXPECT_TRUE(stopped.finished());
  EXPECT_FALSE(stopped.scanMinute()) << "nothing more after a stop";
  EXPECT_EQ(stopped.minutesDone(), 60);
  EXPECT_EQ(stopped.lines(), whole.lines().mid(0, 60));
  for (const ScanEvent& e : stopped.events()) EXPECT_LT(e.last, 60) << "runs closed at the stop";
}

TEST_F(DayScanTest, BadInputEndsTheScanWithoutACrash) {
  DayScan noDay(greenwich(), theory(), QDate(), {1, 0});
  EXPECT_TRUE(noDay.finished());
  EXPECT_FALSE(noDay.scanMinute());

  // Placidus has no cusps at 70° north: the first minute says why and the scan stops there.
  Settings polar = greenwich();
  polar.LatDeg = 70;
  DayScan scan(polar, theory(), kJ2000Day, {1, 0});
  EXPECT_THROW(scan.scanMinute(), ChartError);
  EXPECT_TRUE(scan.stopped());
  EXPECT_EQ(scan.minutesDone(), 0);
}

TEST(ScanOrbPreset, TruncatesTheDegreesAndRoundsTheMinutesWithinTheDialogsRanges) {
  struct Row {
    const char* name;
    double transitOrb;
    ScanOrb preset;
  } rows[] = {
      {"the default 1°01'", 1.0 + 1.0 / 60, {1, 1}},
      {"59 minutes survive the division", 59.0 / 60, {0, 59}},
      {"half a degree", 2.5, {2, 30}},
      {"no orb", 0, {0, 0}},
      {"minutes rounding up to a whole degree carry", 1.9999, {2, 0}},
      {"beyond the spin edit's 30 degrees", 45.5, {30, 30}},
      {"negative from a hand-edited file", -1.5, {0, 0}},
      {"not a number", std::nan(""), {0, 0}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ScanOrbPreset(r.transitOrb), r.preset) << r.name;
  }
  EXPECT_EQ(ScanOrbText({1, 5}), QString::fromUtf8("1\u00B005'"));
}

}  // namespace
