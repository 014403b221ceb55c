// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsWriters.h"
#include "settings/settings_compare.h"
#include "settings/temp_config.h"
#include "support/fixtures.h"

namespace {

// "Section/Key" of every key line, in file order.
std::vector<std::string> KeyOrder(const std::string& contents) {
  std::vector<std::string> keys;
  std::istringstream in(contents);
  std::string line, section;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line.front() == '[') {
      section = line.substr(1, line.size() - 2);
    } else {
      keys.push_back(section + "/" + line.substr(0, line.find('=')));
    }
  }
  return keys;
}

// The documented key names, written out rather than built from the program's tables, so that a
// key written under the wrong name fails.
const char* const kUseKeys[12] = {"Conjunction", "SemiSextile", "SemiSquare", "Sextile",
                                  "Quintile",    "Square",      "Trine",      "Sesquiquadrate",
                                  "Biquintile",  "Quincunx",    "Opposition", "Custom"};
const char* const kLineKeys[12] = {"conjunction", "semisextile", "semisquare", "sextile",
                                   "quintile",    "square",      "trine",      "sesquiquadrate",
                                   "biquintile",  "quincunx",    "opposition", "Custom"};

TEST(SaveGeometry, ThreeWindowsInOrderAndReadBack) {
  TempConfig config;
  IniFile file;
  SaveGeometry(file, {10, 20, 300, 400}, {1, 2, 3, 4}, {-5, -6, 700, 800});
  EXPECT_EQ(config.Contents(),
            "[Show]\nTop=10\nLeft=20\nHeight=300\nWidth=400\n\n"
            "[ATN]\nTop=1\nLeft=2\nHeight=3\nWidth=4\n\n"
            "[ATT]\nTop=-5\nLeft=-6\nHeight=700\nWidth=800\n");
  Settings s;
  LoadSettings(file, s, 576, 0);
  EXPECT_EQ(s.ClockGeometry, (WindowGeometry{10, 20, 300, 400}));
  EXPECT_EQ(s.ATNGeometry, (WindowGeometry{1, 2, 3, 4}));
  EXPECT_EQ(s.ATTGeometry, (WindowGeometry{-5, -6, 700, 800}));
}

TEST(SaveGeometry, ARefusedWriteLeavesTheFileAsItWas) {
  TempConfig config;
  const std::string before = "; by hand\n[Show]\nTop=7\n";
  config.Write(before);
  IniFile file;
  {
    FileSizeLimit limit(60);
    EXPECT_THROW(SaveGeometry(file, {10, 20, 300, 400}, {76, 400, 279, 187}, {1, 1, 1, 1}),
                 IniWriteError);
  }
  EXPECT_EQ(config.Contents(), before);
}

TEST(SaveOptions, WritesEveryKeyInTheDialogsOrder) {
  TempConfig config;
  IniFile file;
  Settings memory;
  SaveOptions(file, ReadOptionsValues(file.Read(), memory), memory);

  // Keys appear in the order each was first written.
  std::vector<std::string> expected = {
      "Setting/Glyphs", "Setting/Houses", "Setting/Cusps", "Setting/Size",
      "Setting/Color",  "Setting/LogTT",  "Setting/LogTN", "Setting/Zodiac",
      "Place/LatD",     "Place/LatM",     "Place/LongM",   "Place/LongD",
      "Place/NS",       "Place/EW",       "Place/Summer",  "Place/ZoneName"};
  // Ephemeris comes after Zodiac in the dialog's order, so it joins the Setting section last.
  expected.insert(expected.begin() + 8, "Setting/Ephemeris");
  // ExactTimes is written after every key the clock always wrote, into the Setting section.
  expected.insert(expected.begin() + 9, "Setting/ExactTimes");
  for (int p = 0; p < 12; ++p) expected.push_back("Show/" + std::string(kPointKeys[p]));
  expected.insert(expected.end(), {"Show/Text", "Show/Heliocentric"});
  for (const char* section : {"AspectTo", "DoLine", "AspectFrom"}) {
    for (const char* point : kPointKeys) expected.push_back(section + ("/" + std::string(point)));
  }
  for (const char* key : kUseKeys) expected.push_back("UseAspects/" + std::string(key));
  expected.push_back("UseAspects/Duplicates");
  for (const char* key : {"Degree", "Minute", "Aspect", "MinuteN", "DegreeN"}) {
    expected.push_back("Custom/" + std::string(key));
  }
  for (const char* prefix : {"ALC", "ALS"}) {
    for (const char* kind : kLineKeys) expected.push_back("Wheel/" + (prefix + std::string(kind)));
  }
  expected.insert(expected.end(),
                  {"Wheel/AspectLines", "Wheel/Annotate", "Wheel/AnnotateMin", "VOC/Icon",
                   "VOC/DoColor", "VOC/Color", "VOC/Do30", "VOC/Rule", "VOC/MoonLine"});
  for (int p = 1; p <= 14; ++p) expected.push_back("Natal/Planet" + std::to_string(p));
  for (const char* key :
       {"VoidBegins", "VoidEnds", "Ingress", "NatalExact", "NewFull", "Station", "Lead"}) {
    expected.push_back("Alerts/" + std::string(key));
  }
  EXPECT_EQ(KeyOrder(config.Contents()), expected);
}

TEST(SaveOptions, HandEditedValuesShowClampedAndAreNormalisedByOk) {
  TempConfig config;
  config.Write(
      "[Setting]\nHouses=5\nGlyphs=-3\nSize=10\nColor=$0000FF\n"
      "[Place]\nNS=2\nEW=1\nLatD=120\nLatM=30\n"
      "[Custom]\nDegree=3\n"
      "[Show]\nHelioCentric=7\n");
  IniFile file;
  Settings memory;
  LoadSettings(file, memory, 576, 0);
  EXPECT_EQ(memory.HouseCode, HouseSystem::Porphyry);
  EXPECT_EQ(memory.LatDeg, 90) << "the loader counts NS 2 as north, and holds 120 at the pole";
  EXPECT_DOUBLE_EQ(memory.TransitOrb, 3.0 + 1.0 / 60.0);

  const OptionsValues shown = ReadOptionsValues(file.Read(), memory);
  EXPECT_EQ(shown.Houses, 2) << "Equal";
  EXPECT_EQ(shown.Glyphs, -1) << "no selection";
  EXPECT_EQ(shown.Size, 25);
  EXPECT_EQ(shown.Color, 255);
  EXPECT_FALSE(shown.North) << "the dialog shows NS 2 as south";
  EXPECT_TRUE(shown.West);
  EXPECT_EQ(shown.LatD, 90);
  EXPECT_EQ(shown.Minute, 0) << "the dialog's orb minutes default to 0";
  EXPECT_EQ(shown.MinuteN, 0);
  EXPECT_EQ(shown.HelioCentric, 1);

  SaveOptions(file, shown, memory);
  EXPECT_EQ(memory.HelioMode, 1);
  LoadSettings(file, memory, 576, 0);
  EXPECT_EQ(memory.HouseCode, HouseSystem::Equal);
  EXPECT_EQ(memory.LatDeg, -90) << "OK stores NS 0";
  EXPECT_EQ(memory.LatMin, 0) << "90 30 south is held at the pole";
  EXPECT_DOUBLE_EQ(memory.TransitOrb, 3.0) << "OK stores the orb minutes as shown";
  EXPECT_DOUBLE_EQ(memory.NatalOrb, 1.0);
  EXPECT_EQ(memory.Size, 25);
  EXPECT_EQ(memory.Color, 255);
  EXPECT_EQ(file.ReadInteger("Setting", "Glyphs", 99), -1);
}

TEST(SaveOptions, LineAppearanceAndNatalComeFromMemory) {
  TempConfig config;
  IniFile file;
  Settings memory;
  LoadSettings(file, memory, 576, 0);
  OptionsValues dialog = ReadOptionsValues(file.Read(), memory);
  memory.LineColor[10] = 0x0000FF;
  memory.LineStyle[10] = AspectLineStyle::Dash;
  memory.LineStyle[11] = AspectLineStyle::DashDot;
  memory.NatalPos[3] = 123.456789012345;
  memory.NatalPos[14] = 359.5;
  dialog.Text = true;
  dialog.Zodiac = 1;
  SaveOptions(file, dialog, memory);
  EXPECT_TRUE(memory.TextMode);
  EXPECT_EQ(memory.SiderealZodiac, 1);
  EXPECT_EQ(file.ReadString("wheel", "ALSCUSTOM", ""), "4");
  EXPECT_NE(config.Contents().find("\nPlanet3= 1.23456789012345E+0002\n"), std::string::npos);

  Settings reloaded;
  LoadSettings(file, reloaded, 576, 0);
  EXPECT_EQ(reloaded.LineColor, memory.LineColor);
  EXPECT_EQ(reloaded.LineStyle, memory.LineStyle);
  EXPECT_EQ(reloaded.NatalPos, memory.NatalPos);
  EXPECT_TRUE(reloaded.TextMode);
  EXPECT_EQ(reloaded.SiderealZodiac, 1);
}

TEST(SaveOptions, ARefusedWriteLeavesTheFileAndMemoryAsTheyWere) {
  TempConfig config;
  const std::string before = "; kept by hand\r\n[Show]\r\nText = 0\r\nTop=3\r\n";
  config.Write(before);
  IniFile file;
  Settings memory;
  OptionsValues dialog = ReadOptionsValues(file.Read(), memory);
  dialog.Text = true;
  dialog.HelioCentric = 1;
  {
    FileSizeLimit limit(1024);  // far less than the keys take
    EXPECT_THROW(SaveOptions(file, dialog, memory), IniWriteError);
  }
  EXPECT_FALSE(memory.TextMode);
  EXPECT_EQ(memory.HelioMode, 0);
  EXPECT_EQ(config.Contents(), before) << "all keys or none";
  EXPECT_TRUE(config.Leftovers().empty());
}

// "Section/Key" to value of every key line.
std::map<std::string, std::string> KeyValues(const std::string& contents) {
  std::map<std::string, std::string> values;
  std::istringstream in(contents);
  std::string line, section;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line.front() == '[') {
      section = line.substr(1, line.size() - 2);
    } else {
      const std::size_t equals = line.find('=');
      values[section + "/" + line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return values;
}

// What memory holds beyond the dialog: line colours and styles, the natal chart.
void MemoryRow(int r, Settings& memory) {
  for (int k = 0; k < 12; ++k) {
    memory.LineColor[k] = 0x010203 * (k + 1) + r;
    memory.LineStyle[k] = static_cast<AspectLineStyle>((k + r) % 5);
  }
  for (int p = 1; p <= 14; ++p) memory.NatalPos[p] = 25.0 * p + 0.125 * r;
}

// The 23-character natal form, by the C library: "%.14E" gives a two-digit exponent at least.
std::string NatalText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.14E", value);
  std::string s(text);
  const std::size_t e = s.find('E');
  std::string exponent = s.substr(e + 2);
  while (exponent.size() < 4) exponent = "0" + exponent;
  return " " + s.substr(0, e + 2) + exponent;
}

std::string Bit(bool on) { return on ? "1" : "0"; }

TEST(SaveOptions, EveryDialogValueGoesToItsOwnKeyAndComesBack) {
  // Houses as the dialog stores it: 1 Koch, 2 Equal.
  const HouseSystem houseCodes[3] = {HouseSystem::Placidus, HouseSystem::Koch, HouseSystem::Equal};

  for (int r = 0; r < 8; ++r) {
    SCOPED_TRACE("row " + std::to_string(r));
    TempConfig config;
    IniFile file;
    const OptionsValues d = DialogRow(r);
    Settings memory;
    MemoryRow(r, memory);
    const Settings before = memory;
    SaveOptions(file, d, memory);

    // 1. The file, key by key, under the names written out here.
    std::map<std::string, std::string> expected = {
        {"Setting/Glyphs", std::to_string(d.Glyphs)},
        {"Setting/Houses", std::to_string(d.Houses)},
        {"Setting/Cusps", std::to_string(d.Cusps)},
        {"Setting/Size", std::to_string(d.Size)},
        {"Setting/Color", std::to_string(d.Color)},
        {"Setting/LogTT", Bit(d.LogTT)},
        {"Setting/LogTN", Bit(d.LogTN)},
        {"Setting/Zodiac", std::to_string(d.Zodiac)},
        {"Setting/Ephemeris", std::to_string(d.Ephemeris)},
        {"Place/LatD", std::to_string(d.LatD)},
        {"Place/LatM", std::to_string(d.LatM)},
        {"Place/LongD", std::to_string(d.LongD)},
        {"Place/LongM", std::to_string(d.LongM)},
        {"Place/NS", Bit(d.North)},
        {"Place/EW", Bit(d.West)},
        {"Place/Summer", Bit(d.Summer)},
        {"Place/ZoneName", d.ZoneName},
        {"Show/Text", Bit(d.Text)},
        {"Show/Heliocentric", std::to_string(d.HelioCentric)},
        {"UseAspects/Duplicates", Bit(d.Duplicates)},
        {"Custom/Degree", std::to_string(d.Degree)},
        {"Custom/Minute", std::to_string(d.Minute)},
        {"Custom/Aspect", std::to_string(d.Aspect)},
        {"Custom/DegreeN", std::to_string(d.DegreeN)},
        {"Custom/MinuteN", std::to_string(d.MinuteN)},
        {"Wheel/AspectLines", Bit(d.AspectLines)},
        {"Wheel/Annotate", Bit(d.Annotate)},
        {"Wheel/AnnotateMin", Bit(d.AnnotateMin)},
        {"VOC/Icon", Bit(d.Icon)},
        {"VOC/DoColor", Bit(d.DoColor)},
        {"VOC/Color", std::to_string(d.VOCColor)},
        {"VOC/Do30", Bit(d.Do30)},
        {"VOC/Rule", std::to_string(d.VOCRule)},
        {"VOC/MoonLine", Bit(d.MoonLine)},
        {"Setting/ExactTimes", Bit(d.ExactTimes)},
        {"Alerts/VoidBegins", Bit(d.AlertVoidBegins)},
        {"Alerts/VoidEnds", Bit(d.AlertVoidEnds)},
        {"Alerts/Ingress", Bit(d.AlertIngress)},
        {"Alerts/NatalExact", Bit(d.AlertNatalExact)},
        {"Alerts/NewFull", Bit(d.AlertNewFull)},
        {"Alerts/Station", Bit(d.AlertStation)},
        {"Alerts/Lead", std::to_string(d.AlertLead)},
    };
    for (int p = 1; p <= 14; ++p) {
      const std::string name = kPointKeys[p - 1];
      if (p <= 12) expected["Show/" + name] = Bit(d.Show[p]);
      expected["AspectTo/" + name] = Bit(d.AspectTo[p]);
      expected["AspectFrom/" + name] = Bit(d.AspectFrom[p]);
      expected["DoLine/" + name] = Bit(d.DoLine[p]);
      expected["Natal/Planet" + std::to_string(p)] = NatalText(before.NatalPos[p]);
    }
    for (int k = 0; k < 12; ++k) {
      expected["UseAspects/" + std::string(kUseKeys[k])] = Bit(d.UseAspects[k]);
      expected["Wheel/ALC" + std::string(kLineKeys[k])] = std::to_string(before.LineColor[k]);
      expected["Wheel/ALS" + std::string(kLineKeys[k])] =
          std::to_string(static_cast<int>(before.LineStyle[k]));
    }
    const std::map<std::string, std::string> written = KeyValues(config.Contents());
    for (const auto& [key, value] : expected) {
      const auto found = written.find(key);
      if (found == written.end()) {
        ADD_FAILURE() << key << " not written";
      } else {
        EXPECT_EQ(found->second, value) << key;
      }
    }
    for (const auto& [key, value] : written) {
      EXPECT_TRUE(expected.count(key) == 1) << key << "=" << value << " written but not expected";
    }

    // 2. What OK changes in memory at once.
    EXPECT_EQ(memory.TextMode, d.Text);
    EXPECT_EQ(memory.Duplicates, d.Duplicates);
    EXPECT_EQ(memory.SiderealZodiac, d.Zodiac);
    EXPECT_EQ(memory.HelioMode, d.HelioCentric);

    // 3. The loader reads every value back into its setting.
    Settings loaded;
    LoadSettings(file, loaded, 576, 0);
    Settings want;
    want.Glyphs = static_cast<SignColouring>(d.Glyphs);
    want.HouseCode = houseCodes[d.Houses];
    want.SiderealZodiac = static_cast<std::int16_t>(d.Zodiac);
    want.Ephemeris = d.Ephemeris;
    want.Cusps = static_cast<CuspMode>(d.Cusps);
    want.Size = static_cast<std::uint16_t>(d.Size);
    want.GlyphSize = static_cast<std::uint16_t>(kGlyphSizes[r]);
    want.Color = d.Color;
    want.LogTN = d.LogTN;
    want.LogTT = d.LogTT;
    want.LatDeg = d.North ? d.LatD : -d.LatD;
    want.LatMin = d.North ? d.LatM : -d.LatM;
    want.LongDeg = d.West ? d.LongD : -d.LongD;
    want.LongMin = d.West ? d.LongM : -d.LongM;
    // A system bias of 0 or Asia/Kolkata, zones without rules: an hour east in summer.
    want.ZoneName = d.ZoneName;
    if (!d.ZoneName.empty()) want.Zone = QTimeZone(QByteArray::fromStdString(d.ZoneName));
    want.Summer = d.Summer;
    want.ZoneOffset = (d.ZoneName.empty() ? 0.0 : 5.5) + (d.Summer ? 1.0 : 0.0);
    want.CustomAngle = d.Aspect;
    want.TransitOrb = d.Degree + d.Minute / 60.0;
    want.NatalOrb = d.DegreeN + d.MinuteN / 60.0;
    want.HelioMode = d.HelioCentric;
    want.Show = d.Show;
    want.TextMode = d.Text;
    want.AspectTo = d.AspectTo;
    want.AspectFrom = d.AspectFrom;
    want.DoLine = d.DoLine;
    want.UseAspects = d.UseAspects;
    want.Duplicates = d.Duplicates;
    want.LineColor = before.LineColor;
    want.LineStyle = before.LineStyle;
    want.AspectLines = d.AspectLines;
    want.Annotate = d.Annotate;
    want.AnnotateMin = d.AnnotateMin;
    want.Do30 = d.Do30;
    want.VOCIcon = d.Icon;
    want.DoColor = d.DoColor;
    want.VOCColor = d.VOCColor;
    want.VOCRule = d.VOCRule;
    want.MoonLine = d.MoonLine;
    want.ExactTimes = d.ExactTimes;
    want.NatalPos = before.NatalPos;
    want.AlertVoidBegins = d.AlertVoidBegins;
    want.AlertVoidEnds = d.AlertVoidEnds;
    want.AlertIngress = d.AlertIngress;
    want.AlertNatalExact = d.AlertNatalExact;
    want.AlertNewFull = d.AlertNewFull;
    want.AlertStation = d.AlertStation;
    want.AlertLead = d.AlertLead;
    EXPECT_TRUE(loaded == want) << SettingsDifferences(loaded, want);

    // 4. The dialog opens on the file showing exactly what was saved.
    const OptionsValues shown = ReadOptionsValues(file.Read(), memory);
    EXPECT_EQ(OptionsDifferences(shown, d), "");
  }
}

// The dialog's opening values from a hand-written file, every field, with key names written out:
// the orb minutes default to 0 (unlike the loader), and Text and Duplicates come from memory.
TEST(ReadOptionsValues, EveryFieldFromItsKey) {
  const IniDocument file = IniDocument::Parse(
      "[Setting]\nGlyphs=1\nHouses=2\nCusps=1\nSize=44\nColor=$00A1B2\nLogTT=1\nLogTN=0\n"
      "Zodiac=1\nEphemeris=1\n"
      "[Place]\nLatD=33\nLatM=52\nNS=1\nLongD=151\nLongM=12\nEW=0\nSummer=1\n"
      "ZoneName= Australia/Sydney \nManualZone=1\n"
      "[Show]\nHelioCentric=1\nSun=0\nMoon=1\nNode=1\nChiron=0\nText=1\n"
      "[AspectTo]\nSun=0\nMidheaven=0\nNode=1\n"
      "[AspectFrom]\nMoon=0\nAscendant=0\nChiron=1\n"
      "[DoLine]\nMercury=0\nPluto=0\n"
      "[UseAspects]\nSemisextile=0\nOpposition=1\nDuplicates=1\n"
      "[Custom]\nAspect=99\nDegree=7\nMinute=8\nDegreeN=9\nMinuteN=10\n"
      "[Wheel]\nAspectLines=1\nAnnotate=0\nAnnotateMin=1\n"
      "[VOC]\nIcon=0\nDoColor=1\nColor=4321\nDo30=0\nRule=1\nMoonLine=1\n");
  Settings memory;
  memory.TextMode = true;     // the file's Show/Text=1 must not be what the dialog shows
  memory.Duplicates = false;  // nor its Duplicates=1
  OptionsValues want;
  want.LatD = 33;
  want.LatM = 52;
  want.North = true;
  want.LongD = 151;
  want.LongM = 12;
  want.West = false;
  want.Summer = true;
  want.ZoneName = "Australia/Sydney";
  want.ManualZone = true;
  want.HelioCentric = 1;
  want.Glyphs = 1;
  want.Houses = 2;
  want.Cusps = 1;
  want.Zodiac = 1;
  want.Ephemeris = 1;
  want.Size = 44;
  want.Color = 0x00A1B2;
  want.Annotate = false;
  want.AnnotateMin = true;
  want.Aspect = 99;
  want.Degree = 7;
  want.Minute = 8;
  want.DegreeN = 9;
  want.MinuteN = 10;
  want.Text = true;
  want.Duplicates = false;
  want.LogTT = true;
  want.LogTN = false;
  want.AspectLines = true;
  want.Do30 = false;
  want.Icon = false;
  want.DoColor = true;
  want.VOCColor = 4321;
  want.VOCRule = 1;
  want.MoonLine = true;
  // Show: Sun..Pluto and AspectTo, AspectFrom, DoLine: all but Node and Chiron, then the file's.
  want.Show = {false, false, true, true, true, true, true, true, true, true, true, true, false};
  want.AspectTo = {false, false, true, true, true,  true, true, true,
                   true,  true,  true, true, false, true, false};
  want.AspectFrom = {false, true, false, true,  true, true,  true, true,
                     true,  true, true,  false, true, false, true};
  want.DoLine = {false, true, true,  false, true,  true, true, true,
                 true,  true, false, false, false, true, true};
  want.UseAspects = {true, false, true, true, true, true, true, true, true, true, true, false};
  EXPECT_EQ(OptionsDifferences(ReadOptionsValues(file, memory), want), "");

  const OptionsValues empty = ReadOptionsValues(IniDocument(), Settings{});
  EXPECT_EQ(empty.Minute, 0) << "the dialog shows 1 degree 00 with no file";
  EXPECT_EQ(empty.MinuteN, 0);
  EXPECT_EQ(empty.Degree, 1);
  EXPECT_EQ(empty.DegreeN, 1);
  EXPECT_TRUE(empty.Do30);
  EXPECT_TRUE(empty.Icon);
  EXPECT_EQ(empty.VOCColor, 16777215);
  EXPECT_EQ(empty.Size, 63);
}

}  // namespace
