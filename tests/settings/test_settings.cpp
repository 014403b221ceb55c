// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/settings_compare.h"
#include "settings/temp_config.h"
#include "support/fixtures.h"

namespace {

constexpr int kWheel = 576;

Settings Load(const TempConfig& config, const std::string& contents, int biasMinutes = 0) {
  config.Write(contents);
  Settings s;
  s.Color = 12345;  // every field must be replaced, not merely defaulted when already default
  s.NatalPos.fill(7.0);
  s.ClockGeometry = {9, 9, 9, 9};
  LoadSettings(IniFile(), s, kWheel, biasMinutes);
  return s;
}

TEST(LoadSettings, NoFileGivesTheDocumentedDefaults) {
  TempConfig config;
  Settings s;
  s.Show.fill(false);
  s.UseAspects.fill(true);
  LoadSettings(IniFile(), s, kWheel, -60);  // a zone one hour east of Greenwich
  Settings expected;
  expected.ZoneOffset = 1.0;
  EXPECT_EQ(s.HouseCode, HouseSystem::Placidus);
  EXPECT_EQ(s.GlyphSize, 13);
  EXPECT_EQ(s.ClockGeometry, (WindowGeometry{1, 1, 576, 545}));
  EXPECT_TRUE(s == expected) << "a field the loader forgets shows up here";
}

TEST(LoadSettings, KeysReadWithTheirEncodings) {
  TempConfig config;
  const Settings s = Load(config,
                          "[Setting]\nGlyphs=0x2\nCusps=$1\nColor=  $FF00zz\nLogTN=5\n"
                          "[Custom]\nAspect=0x1F\nDegree=31abc\nMinute=\nDegreeN=2\nMinuteN=30\n"
                          "[show]\nheliocentric=1\nSun=0\nNode=1\nText=-1\nTop=-20\n"
                          "[VOC]\nDo30=0\nColor=255\n[Wheel]\nALCopposition=16711680\n"
                          "ALScustom=3\nALSsquare=70000\n[UseAspects]\nsemisextile=0\n");
  EXPECT_EQ(s.Glyphs, SignColouring::Background);
  EXPECT_EQ(s.Cusps, CuspMode::Angles);
  EXPECT_EQ(s.Color, 0xFF00);
  EXPECT_TRUE(s.LogTN);
  EXPECT_EQ(s.CustomAngle, 31);
  EXPECT_DOUBLE_EQ(s.TransitOrb, 1.0 + 1.0 / 60.0) << "31abc and an empty value read the default";
  EXPECT_DOUBLE_EQ(s.NatalOrb, 2.5);
  EXPECT_EQ(s.HelioMode, 1);
  EXPECT_FALSE(s.Show[1]);
  EXPECT_TRUE(s.Show[11]);
  EXPECT_FALSE(s.Show[13]);
  EXPECT_TRUE(s.TextMode);
  EXPECT_EQ(s.ClockGeometry.Top, -20);
  EXPECT_FALSE(s.Do30);
  EXPECT_EQ(s.VOCColor, 255);
  EXPECT_EQ(s.LineColor[10], 16711680);
  EXPECT_EQ(s.LineStyle[11], AspectLineStyle::Dash);
  EXPECT_EQ(s.LineStyle[5], AspectLineStyle::None) << "a style beyond 16 bits reads the default";
  EXPECT_FALSE(s.UseAspects[1]);
}

TEST(LoadSettings, ValuesNoPlaceCanHaveAreHeldAtTheLimitAndNamed) {
  TempConfig config;
  config.Write(
      "[Place]\nLatD=120\nLatM=30\nNS=1\nLongD=200\nEW=0\nManualZone=1\nZoneH=30\n"
      "ZoneM=15\n");
  Settings s;
  SettingsNotices notices;
  LoadSettings(IniFile(), s, kWheel, 0, &notices);
  EXPECT_EQ(s.LatDeg, 90);
  EXPECT_EQ(s.LatMin, 0);
  EXPECT_EQ(s.LongDeg, -180) << "east";
  EXPECT_EQ(s.LongMin, 0);
  EXPECT_DOUBLE_EQ(s.ZoneOffset, 24.0);
  const SettingsNotices expected = {
      "The time zone in the settings, +30:15 hours from Universal Time, is more than a day; the "
      "chart uses +24:00 hours.",
      "The latitude in the settings, 120\u00B030' north, lies beyond 90\u00B0; the chart uses "
      "90\u00B000' north.",
      "The longitude in the settings, 200\u00B000' east, lies beyond 180\u00B0; the chart uses "
      "180\u00B000' east."};
  EXPECT_EQ(notices, expected);

  config.Write("[Place]\nLatD=90\nNS=0\nLongD=180\nEW=1\nManualZone=1\nZoneH=24\n");
  notices.clear();
  LoadSettings(IniFile(), s, kWheel, 0, &notices);
  EXPECT_TRUE(notices.empty()) << "the limits themselves are places";
  EXPECT_EQ(s.LatDeg, -90);
  EXPECT_EQ(s.LongDeg, 180);
}

TEST(LoadSettings, HouseCodeFromTheStoredSystem) {
  TempConfig config;
  const struct {
    const char* houses;
    int code;
  } rows[] = {{"0", 1}, {"1", 2}, {"2", 9}, {"3", 4},  {"4", 5},   {"5", 6},   {"6", 7},
              {"7", 8}, {"8", 9}, {"9", 0}, {"-1", 0}, {"255", 0}, {"256", 0}, {"x", 1}};
  for (const auto& r : rows) {
    const Settings s = Load(config, std::string("[Setting]\nHouses=") + r.houses + "\n");
    EXPECT_EQ(static_cast<int>(s.HouseCode), r.code) << "Houses=" << r.houses;
  }
}

TEST(LoadSettings, OnlyEphemerisOneIsPrecise) {
  // Any other value keeps the documented theory, in memory and in the dialog alike.
  TempConfig config;
  const struct {
    const char* value;
    int ephemeris;
  } rows[] = {{"1", 1}, {"0", 0}, {"7", 0}, {"-1", 0}, {"2", 0}, {"junk", 0}, {"1abc", 0}, {"", 0}};
  for (const auto& r : rows) {
    const std::string file = std::string("[Setting]\nEphemeris=") + r.value + "\n";
    EXPECT_EQ(Load(config, file).Ephemeris, r.ephemeris) << "Ephemeris=" << r.value;
    EXPECT_EQ(ReadOptionsValues(IniDocument::Parse(file), Settings{}).Ephemeris, r.ephemeris)
        << "Ephemeris=" << r.value;
  }
}

TEST(LoadSettings, OnlyRulesOneAndTwoLeaveTheDegreeTest) {
  // A rule the clock does not know is the documented test, so that nothing it shows changes.
  TempConfig config;
  const struct {
    const char* value;
    int rule;
  } rows[] = {{"1", 1}, {"2", 2}, {"0", 0}, {"3", 0}, {"-1", 0}, {"junk", 0}, {"", 0}};
  for (const auto& r : rows) {
    const std::string file = std::string("[VOC]\nRule=") + r.value + "\n";
    EXPECT_EQ(Load(config, file).VOCRule, r.rule) << "Rule=" << r.value;
    EXPECT_EQ(ReadOptionsValues(IniDocument::Parse(file), Settings{}).VOCRule, r.rule)
        << "Rule=" << r.value;
  }
}

TEST(LoadSettings, PlaceAndTimeZone) {
  TempConfig config;
  const struct {
    const char* name;
    const char* place;
    int bias;
    int latDeg, latMin, longDeg, longMin;
    double zone;
  } rows[] = {
      {"south east by default", "LatD=51\nLatM=30\nLongD=7\nLongM=5\n", 0, -51, -30, -7, -5, 0},
      {"north west", "LatD=51\nLatM=30\nNS=1\nLongD=7\nLongM=5\nEW=1\n", 300, 51, 30, 7, 5, -5},
      {"NS 2 counts as north", "LatD=10\nNS=2\nEW=3\nLongD=4\n", 0, 10, 0, 4, 0, 0},
      {"summer moves the zone an hour east", "Summer=1\n", 300, 0, 0, 0, 0, -4},
      {"manual zone east", "ManualZone=1\nZoneH=5\nZoneM=30\nEW=0\nSummer=1\n", 60, 0, 0, 0, 0,
       5.5},
      {"manual zone west", "ManualZone=1\nZoneH=5\nZoneM=30\nEW=1\nSummer=1\n", 60, 0, 0, 0, 0,
       -5.5},
      {"absurd manual zone held within a day", "ManualZone=1\nZoneH=1000\nEW=1\n", 0, 0, 0, 0, 0,
       -24},
      {"most negative latitude does not overflow, and no place lies beyond the pole",
       "LatD=-2147483648\n", 0, 90, 0, 0, 0, 0},
  };
  for (const auto& r : rows) {
    const Settings s = Load(config, std::string("[Place]\n") + r.place, r.bias);
    EXPECT_EQ(s.LatDeg, r.latDeg) << r.name;
    EXPECT_EQ(s.LatMin, r.latMin) << r.name;
    EXPECT_EQ(s.LongDeg, r.longDeg) << r.name;
    EXPECT_EQ(s.LongMin, r.longMin) << r.name;
    EXPECT_DOUBLE_EQ(s.ZoneOffset, r.zone) << r.name;
  }
}

// The zone in use, ZoneName's or the machine's, gives each instant its own offset where it keeps
// daylight-saving rules; Summer adds its hour only in a zone without them; a manual zone wins.
TEST(LoadSettings, ZoneRuleGivesEachMomentItsOffset) {
  const QDateTime july(QDate(2026, 7, 1), QTime(11, 0), Qt::UTC);      // 12:00 in London
  const QDateTime january(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);  // 12:00 in London
  const QDateTime newYorkNoon(QDate(2026, 7, 1), QTime(16, 0), Qt::UTC);
  const struct {
    const char* name;
    const char* machine;  // the system's zone
    const char* place;
    QDateTime instant;
    double offset;
    bool rules;
    const char* inUse;  // ZoneInUseName
  } rows[] = {
      {"London machine, July", "Europe/London", "", july, 1.0, true, "Europe/London"},
      {"London machine, January", "Europe/London", "", january, 0.0, true, "Europe/London"},
      {"no second hour for Summer", "Europe/London", "Summer=1\n", july, 1.0, true,
       "Europe/London"},
      {"nor in winter", "Europe/London", "Summer=1\n", january, 0.0, true, "Europe/London"},
      {"ZoneName before the machine's", "UTC", "ZoneName=Europe/London\n", july, 1.0, true,
       "Europe/London"},
      {"New York July noon", "Europe/London", "ZoneName=America/New_York\n", newYorkNoon, -4.0,
       true, "America/New_York"},
      {"Kolkata keeps no rules: Summer adds its hour", "UTC", "ZoneName=Asia/Kolkata\nSummer=1\n",
       july, 6.5, false, "Asia/Kolkata"},
      {"UTC machine with Summer", "UTC", "Summer=1\n", january, 1.0, false, "UTC"},
      {"manual zone wins over name and rules", "Europe/London",
       "ZoneName=America/New_York\nManualZone=1\nZoneH=5\nZoneM=30\nEW=0\nSummer=1\n", july, 5.5,
       false, ""},
      {"unknown name: the machine's zone", "Europe/London", "ZoneName=Mars/Olympus\n", july, 1.0,
       true, "Europe/London"},
  };
  for (const auto& r : rows) {
    Settings s;
    SettingsNotices notices;
    LoadSettings(IniDocument::Parse(std::string("[Place]\n") + r.place), s, kWheel,
                 QTimeZone(r.machine), &notices);
    EXPECT_EQ(s.ZoneRules, r.rules) << r.name;
    EXPECT_DOUBLE_EQ(ZoneOffsetAt(s, r.instant), r.offset) << r.name;
    EXPECT_EQ(ZoneInUseName(s).toStdString(), r.inUse) << r.name;
    const bool unknown = std::string(r.place).find("Mars") != std::string::npos;
    EXPECT_EQ(notices.size(), unknown ? 1u : 0u) << r.name;
    if (unknown) {
      EXPECT_NE(notices[0].find("\"Mars/Olympus\""), std::string::npos) << notices[0];
    }
  }
}

TEST(LoadSettings, ZoneOfThePlaceSetsTheClockTimeThere) {
  Settings s;
  LoadSettings(IniDocument::Parse("[Place]\nZoneName=America/New_York\n"), s, kWheel,
               QTimeZone("Europe/London"));
  const QDateTime instant(QDate(2026, 7, 1), QTime(16, 0), Qt::UTC);
  EXPECT_EQ(PlaceClockTime(s, instant).time(), QTime(12, 0));
  EXPECT_TRUE(DaylightAt(s, instant));
  // The machine's own zone leaves the machine's clock time as it is.
  LoadSettings(IniDocument(), s, kWheel, QTimeZone("Europe/London"));
  EXPECT_EQ(PlaceClockTime(s, instant), instant);
  EXPECT_FALSE(DaylightAt(s, QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC)));
}

TEST(LoadSettings, SizesAndGeometryStayDrawable) {
  TempConfig config;
  Settings s = Load(config, "[Setting]\nSize=-5\n[Show]\nHeight=0\nWidth=99999999\n");
  EXPECT_EQ(s.Size, 0);
  EXPECT_EQ(s.GlyphSize, 1);
  EXPECT_EQ(s.ClockGeometry.Height, 1);
  EXPECT_EQ(s.ClockGeometry.Width, 16384);
  s = Load(config, "[Setting]\nSize=70000\n");
  EXPECT_EQ(s.Size, 1000);
}

TEST(SystemZone, StandardBiasIgnoresDaylightSaving) {
  // Berlin keeps a standard bias of -60 minutes even while its clocks run on summer time.
  for (const auto& [zone, bias] : {std::pair{"Europe/Berlin", -60}, std::pair{"Asia/Kolkata", -330},
                                   std::pair{"America/New_York", 300}}) {
    if (!std::filesystem::exists(std::string("/usr/share/zoneinfo/") + zone)) continue;
    ::setenv("TZ", zone, 1);
    ::tzset();
    EXPECT_EQ(SystemStandardBiasMinutes(), bias) << zone;
  }
}

TEST(GlyphSize, TruncatedInExtendedPrecision) {
  const struct {
    int size, width, glyph;
  } rows[] = {{63, 576, 13}, {25, 576, 6}, {100, 576, 21},          {63, 1152, 26},
              {63, 0, 1},    {63, -5, 1},  {1000, 100000000, 65535}};
  for (const auto& r : rows) {
    EXPECT_EQ(GlyphSizeFor(static_cast<std::uint16_t>(r.size), r.width), r.glyph)
        << r.size << " on " << r.width;
  }
}

TEST(NatalReal, WrittenInTheFixedScientificForm) {
  const struct {
    double value;
    const char* text;
  } rows[] = {
      {123.5, " 1.23500000000000E+0002"},        {0.0, " 0.00000000000000E+0000"},
      {-0.25, "-2.50000000000000E-0001"},        {359.99999999999994, " 3.60000000000000E+0002"},
      {1e-300, " 1.00000000000000E-0300"},       {1.0 / 3.0, " 3.33333333333333E-0001"},
      {std::nan(""), " 0.00000000000000E+0000"},
  };
  for (const auto& r : rows) {
    const std::string text = FormatNatalReal(r.value);
    EXPECT_EQ(text, r.text) << r.value;
    EXPECT_EQ(text.size(), 23u);
  }
}

TEST(NatalReal, LenientConversion) {
  const struct {
    const char* text;
    double value;
  } rows[] = {{" 1.23500000000000E+0002", 123.5},
              {"12.5", 12.5},
              {"+7", 7},
              {"-1e2", -100},
              {".5", 0.5},
              {"5.", 5},
              {"12.5deg", 12.5},
              {"3e", 3},
              {"3e+", 3},
              {"", 0},
              {"abc", 0},
              {"-", 0},
              {"inf", 0},
              {"nan", 0},
              {"0x10", 0},
              {"1e999", 0}};
  for (const auto& r : rows) EXPECT_DOUBLE_EQ(ParseLenientReal(r.text), r.value) << r.text;
}

TEST(LenientInteger, PlanetColourConversion) {
  const struct {
    const char* text;
    std::int32_t value;
  } rows[] = {
      {"255", 255}, {"  -3", -3}, {"$ff", 255}, {"$FFFFFFFF", -1},         {"16777215x", 16777215},
      {"", 0},      {"abc", 0},   {"0x1F", 0},  {"99999999999", 999999999}};
  for (const auto& r : rows) EXPECT_EQ(ParseLenientInteger(r.text), r.value) << r.text;
}

TEST(LoadSettings, NatalPositionsKeepFifteenDigitsAndStayWithinOneTurn) {
  TempConfig config;
  const double exact = 123.456789012345678;
  std::string natal = "[Natal]\nPlanet1=" + FormatNatalReal(exact) +
                      "\nPlanet2=370.5\nPlanet3=-10\nPlanet4=1e308\nPlanet5=garbage\nplanet14=42\n";
  const Settings s = Load(config, natal);
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.14e", exact);
  EXPECT_EQ(s.NatalPos[1], std::stod(digits));
  EXPECT_NEAR(s.NatalPos[1], exact, 1e-12);
  EXPECT_DOUBLE_EQ(s.NatalPos[2], 10.5);
  EXPECT_DOUBLE_EQ(s.NatalPos[3], 350.0);
  EXPECT_GE(s.NatalPos[4], 0.0);
  EXPECT_LT(s.NatalPos[4], 360.0);
  EXPECT_EQ(s.NatalPos[5], 0.0);
  EXPECT_EQ(s.NatalPos[6], 0.0);
  EXPECT_EQ(s.NatalPos[14], 42.0);
}

// Every key the loader reads, each in its own section, with the one setting it changes. A key is
// written with a value unlike its default and must change exactly its own setting; the same lines
// in any other section must change nothing. Key names and defaults are written out here, not taken
// from the program's tables, so that a key read under the wrong name, into the wrong field or from
// the wrong section fails.
struct KeyRow {
  std::string section;
  std::string lines;                  // key=value lines of that section
  std::function<void(Settings&)> is;  // the defaults changed as those lines ask
  std::vector<std::string> alsoIn;    // other sections where the same key names mean something
};

const char* const kSections[] = {"Setting", "Place",    "Custom",     "Show",   "ATN",
                                 "ATT",     "AspectTo", "AspectFrom", "DoLine", "UseAspects",
                                 "Wheel",   "VOC",      "Natal",      "Alerts", "Other"};

std::vector<KeyRow> KeyRows() {
  std::vector<KeyRow> rows = {
      {"Setting", "Glyphs=2", [](Settings& s) { s.Glyphs = SignColouring::Background; }, {}},
      // Stored 1 is the dialog's second entry, Koch, house code 2.
      {"Setting", "Houses=1", [](Settings& s) { s.HouseCode = HouseSystem::Koch; }, {}},
      {"Setting", "Zodiac=1", [](Settings& s) { s.SiderealZodiac = 1; }, {}},
      {"Setting", "Ephemeris=1", [](Settings& s) { s.Ephemeris = 1; }, {}},
      {"Setting", "Cusps=2", [](Settings& s) { s.Cusps = CuspMode::All; }, {}},
      // Glyph size on a 576-pixel wheel: Trunc(41 x 0.2) + 1 = 9.
      {"Setting",
       "Size=41",
       [](Settings& s) {
         s.Size = 41;
         s.GlyphSize = 9;
       },
       {}},
      {"Setting", "Color=$ABCDEF", [](Settings& s) { s.Color = 0xABCDEF; }, {"VOC"}},
      {"Setting", "LogTN=1", [](Settings& s) { s.LogTN = true; }, {}},
      {"Setting", "LogTT=1", [](Settings& s) { s.LogTT = true; }, {}},
      // Without NS or EW the place is south and east: both parts negative.
      {"Place", "LatD=12", [](Settings& s) { s.LatDeg = -12; }, {}},
      {"Place", "LatM=34", [](Settings& s) { s.LatMin = -34; }, {}},
      {"Place", "LongD=56", [](Settings& s) { s.LongDeg = -56; }, {}},
      {"Place", "LongM=7", [](Settings& s) { s.LongMin = -7; }, {}},
      {"Place",
       "LatD=12\nLatM=34\nNS=1",
       [](Settings& s) {
         s.LatDeg = 12;
         s.LatMin = 34;
       },
       {}},
      {"Place",
       "LongD=56\nLongM=7\nEW=1",
       [](Settings& s) {
         s.LongDeg = 56;
         s.LongMin = 7;
       },
       {}},
      // The system's bias is 0 here: summer time puts the zone an hour east.
      {"Place",
       "Summer=1",
       [](Settings& s) {
         s.ZoneOffset = 1.0;
         s.Summer = true;
       },
       {}},
      // A zone without rules, so the offset does not depend on the day the test runs.
      {"Place",
       "ZoneName=Asia/Kolkata",
       [](Settings& s) {
         s.ZoneName = "Asia/Kolkata";
         s.Zone = QTimeZone("Asia/Kolkata");
         s.ZoneOffset = 5.5;
       },
       {}},
      {"Place", "ManualZone=1\nZoneH=3\nZoneM=30", [](Settings& s) { s.ZoneOffset = 3.5; }, {}},
      {"Place",
       "ManualZone=1\nZoneH=3\nZoneM=30\nEW=1",
       [](Settings& s) { s.ZoneOffset = -3.5; },
       {}},
      {"Custom", "Aspect=77", [](Settings& s) { s.CustomAngle = 77; }, {}},
      {"Custom", "Degree=4", [](Settings& s) { s.TransitOrb = 4 + 1 / 60.0; }, {}},
      {"Custom", "Minute=20", [](Settings& s) { s.TransitOrb = 1 + 20 / 60.0; }, {}},
      {"Custom", "DegreeN=6", [](Settings& s) { s.NatalOrb = 6 + 1 / 60.0; }, {}},
      {"Custom", "MinuteN=40", [](Settings& s) { s.NatalOrb = 1 + 40 / 60.0; }, {}},
      {"Show", "HelioCentric=1", [](Settings& s) { s.HelioMode = 1; }, {}},
      {"Show", "Text=1", [](Settings& s) { s.TextMode = true; }, {}},
      {"UseAspects", "Duplicates=1", [](Settings& s) { s.Duplicates = true; }, {}},
      {"Wheel", "AspectLines=1", [](Settings& s) { s.AspectLines = true; }, {}},
      {"Wheel", "Annotate=1", [](Settings& s) { s.Annotate = true; }, {}},
      {"Wheel", "AnnotateMin=1", [](Settings& s) { s.AnnotateMin = true; }, {}},
      {"VOC", "Do30=0", [](Settings& s) { s.Do30 = false; }, {}},
      {"VOC", "Do45=0", [](Settings& s) { s.Do45 = false; }, {}},
      {"VOC", "Icon=0", [](Settings& s) { s.VOCIcon = false; }, {}},
      {"VOC", "DoColor=1", [](Settings& s) { s.DoColor = true; }, {}},
      {"VOC", "Color=255", [](Settings& s) { s.VOCColor = 255; }, {"Setting"}},
      {"VOC", "Rule=2", [](Settings& s) { s.VOCRule = 2; }, {}},
      {"VOC", "MoonLine=1", [](Settings& s) { s.MoonLine = true; }, {}},
      {"Setting", "ExactTimes=1", [](Settings& s) { s.ExactTimes = true; }, {}},
      {"Alerts", "VoidBegins=1", [](Settings& s) { s.AlertVoidBegins = true; }, {}},
      {"Alerts", "VoidEnds=1", [](Settings& s) { s.AlertVoidEnds = true; }, {}},
      {"Alerts", "Ingress=1", [](Settings& s) { s.AlertIngress = true; }, {}},
      {"Alerts", "NatalExact=1", [](Settings& s) { s.AlertNatalExact = true; }, {}},
      {"Alerts", "NewFull=1", [](Settings& s) { s.AlertNewFull = true; }, {}},
      {"Alerts", "Station=1", [](Settings& s) { s.AlertStation = true; }, {}},
      {"Alerts", "Lead=2", [](Settings& s) { s.AlertLead = 2; }, {}},
      // A lead no choice offers is held to the nearest one.
      {"Alerts", "Lead=9", [](Settings& s) { s.AlertLead = 2; }, {}},
  };

  // Window geometry: the same four keys in three sections.
  const struct {
    const char* section;
    WindowGeometry Settings::*field;
  } windows[] = {{"Show", &Settings::ClockGeometry},
                 {"ATN", &Settings::ATNGeometry},
                 {"ATT", &Settings::ATTGeometry}};
  for (const auto& w : windows) {
    const auto field = w.field;
    const std::pair<const char*, std::int32_t WindowGeometry::*> keys[] = {
        {"Top=11", &WindowGeometry::Top},
        {"Left=22", &WindowGeometry::Left},
        {"Height=333", &WindowGeometry::Height},
        {"Width=444", &WindowGeometry::Width}};
    for (const auto& [line, part] : keys) {
      const std::int32_t value = std::atoi(std::strchr(line, '=') + 1);
      rows.push_back({w.section,
                      line,
                      [field, part, value](Settings& s) { (s.*field).*part = value; },
                      {"Show", "ATN", "ATT"}});
    }
  }

  // Point flags: Show has the first twelve points (Sun to Pluto shown, Node and Chiron not);
  // the other three sections have all fourteen, every point on but Node and Chiron.
  const struct {
    const char* section;
    PointFlags Settings::*field;
    int points;
  } flags[] = {{"Show", &Settings::Show, 12},
               {"AspectTo", &Settings::AspectTo, 14},
               {"AspectFrom", &Settings::AspectFrom, 14},
               {"DoLine", &Settings::DoLine, 14}};
  for (const auto& f : flags) {
    for (int p = 1; p <= f.points; ++p) {
      const bool byDefault = p != 11 && p != 12;
      const auto field = f.field;
      rows.push_back({f.section,
                      std::string(kPointKeys[p - 1]) + (byDefault ? "=0" : "=1"),
                      [field, p, byDefault](Settings& s) { (s.*field)[p] = !byDefault; },
                      {"Show", "AspectTo", "AspectFrom", "DoLine"}});
    }
  }

  // Aspect kinds by index, as the loader spells them; all in use but Opposition and Custom.
  const char* const useKeys[12] = {"Conjunction", "Semisextile", "Semisquare", "Sextile",
                                   "Quintile",    "Square",      "Trine",      "Sesquiquadrate",
                                   "Biquintile",  "Quincunx",    "Opposition", "Custom"};
  const char* const lineKeys[12] = {"conjunction", "semisextile", "semisquare", "sextile",
                                    "quintile",    "square",      "trine",      "sesquiquadrate",
                                    "biquintile",  "quincunx",    "opposition", "custom"};
  for (int k = 0; k < 12; ++k) {
    const bool byDefault = k < 10;
    rows.push_back({"UseAspects",
                    std::string(useKeys[k]) + (byDefault ? "=0" : "=1"),
                    [k, byDefault](Settings& s) { s.UseAspects[k] = !byDefault; },
                    {}});
    const int colour = 0x010203 * (k + 1);
    rows.push_back({"Wheel",
                    "ALC" + std::string(lineKeys[k]) + "=" + std::to_string(colour),
                    [k, colour](Settings& s) { s.LineColor[k] = colour; },
                    {}});
    const int style = 1 + k % 4;
    rows.push_back(
        {"Wheel",
         "ALS" + std::string(lineKeys[k]) + "=" + std::to_string(style),
         [k, style](Settings& s) { s.LineStyle[k] = static_cast<AspectLineStyle>(style); },
         {}});
  }
  for (int p = 1; p <= 14; ++p) {
    const double longitude = 10.25 * p;
    rows.push_back({"Natal",
                    "Planet" + std::to_string(p) + "=" + std::to_string(longitude),
                    [p, longitude](Settings& s) { s.NatalPos[p] = longitude; },
                    {}});
  }
  return rows;
}

TEST(LoadSettings, EveryKeyIsReadFromItsOwnSectionOnly) {
  const Settings defaults;  // what no file gives with a system bias of 0
  const std::vector<KeyRow> rows = KeyRows();
  // A key added to the program's table comes with its expectation written out above.
  const auto lines = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "\n" + text;
  };
  for (const SettingKey& key : SettingsSchema()) {
    EXPECT_TRUE(std::ranges::any_of(rows,
                                    [&](const KeyRow& row) {
                                      return row.section == key.section &&
                                             lines(row.lines).find(lines(key.key + "=")) !=
                                                 std::string::npos;
                                    }))
        << key.section << "/" << key.key << " has no row";
  }
  for (const KeyRow& row : rows) {
    Settings loaded;
    LoadSettings(IniDocument::Parse("[" + row.section + "]\n" + row.lines + "\n"), loaded, kWheel,
                 0);
    Settings expected;
    row.is(expected);
    ASSERT_FALSE(expected == defaults) << "the row must change something: " << row.lines;
    EXPECT_TRUE(loaded == expected)
        << "[" << row.section << "] " << row.lines << ": " << SettingsDifferences(loaded, expected);

    for (const char* other : kSections) {
      if (other == row.section ||
          std::find(row.alsoIn.begin(), row.alsoIn.end(), other) != row.alsoIn.end()) {
        continue;
      }
      Settings elsewhere;
      LoadSettings(IniDocument::Parse("[" + std::string(other) + "]\n" + row.lines + "\n"),
                   elsewhere, kWheel, 0);
      EXPECT_TRUE(elsewhere == defaults)
          << row.lines << " in [" << other
          << "] was read: " << SettingsDifferences(elsewhere, defaults);
    }
  }
}

}  // namespace
