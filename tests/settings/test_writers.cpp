#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsWriters.h"
#include "settings/temp_config.h"

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

TEST(SaveGeometry, ARefusedWriteStopsTheRestAndKeepsWhatWasWritten) {
  TempConfig config;
  IniFile file;
  {
    FileSizeLimit limit(60);
    EXPECT_THROW(SaveGeometry(file, {10, 20, 300, 400}, {76, 400, 279, 187}, {1, 1, 1, 1}),
                 IniWriteError);
  }
  EXPECT_EQ(config.Contents(), "[Show]\nTop=10\nLeft=20\nHeight=300\nWidth=400\n\n[ATN]\nTop=76\n");
}

TEST(SaveOptions, WritesEveryKeyInTheDialogsOrder) {
  TempConfig config;
  IniFile file;
  Settings memory;
  SaveOptions(file, ReadOptionsValues(file.Read(), memory), memory);

  // Written out here rather than built from the program's tables, so that a key written under the
  // wrong name fails. Keys appear in the order each was first written.
  const std::vector<std::string> points = {"Sun",     "Moon",   "Mercury",   "Venus",    "Mars",
                                           "Jupiter", "Saturn", "Uranus",    "Neptune",  "Pluto",
                                           "Node",    "Chiron", "Ascendant", "Midheaven"};
  std::vector<std::string> expected = {
      "Setting/Glyphs", "Setting/Houses", "Setting/Cusps",  "Setting/Size", "Setting/Color",
      "Setting/LogTT",  "Setting/LogTN",  "Setting/Zodiac", "Place/LatD",   "Place/LatM",
      "Place/LongM",    "Place/LongD",    "Place/NS",       "Place/EW",     "Place/Summer"};
  for (int p = 0; p < 12; ++p) expected.push_back("Show/" + points[p]);
  expected.insert(expected.end(), {"Show/Text", "Show/Heliocentric"});
  for (const char* section : {"AspectTo", "DoLine", "AspectFrom"}) {
    for (const std::string& point : points) expected.push_back(section + ("/" + point));
  }
  for (const char* key :
       {"Conjunction", "SemiSextile", "SemiSquare", "Sextile", "Quintile", "Square", "Trine",
        "Sesquiquadrate", "Biquintile", "Quincunx", "Opposition", "Custom", "Duplicates"}) {
    expected.push_back("UseAspects/" + std::string(key));
  }
  for (const char* key : {"Degree", "Minute", "Aspect", "MinuteN", "DegreeN"}) {
    expected.push_back("Custom/" + std::string(key));
  }
  for (const char* prefix : {"ALC", "ALS"}) {
    for (const char* kind :
         {"conjunction", "semisextile", "semisquare", "sextile", "quintile", "square", "trine",
          "sesquiquadrate", "biquintile", "quincunx", "opposition", "Custom"}) {
      expected.push_back("Wheel/" + (prefix + std::string(kind)));
    }
  }
  expected.insert(expected.end(), {"Wheel/AspectLines", "Wheel/Annotate", "Wheel/AnnotateMin",
                                   "VOC/Icon", "VOC/DoColor", "VOC/Color", "VOC/Do30"});
  for (int p = 1; p <= 14; ++p) expected.push_back("Natal/Planet" + std::to_string(p));
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

TEST(SaveOptions, ARefusedWriteLeavesLaterSettingsInMemoryAlone) {
  TempConfig config;
  IniFile file;
  Settings memory;
  OptionsValues dialog = ReadOptionsValues(file.Read(), memory);
  dialog.Text = true;
  dialog.HelioCentric = 1;
  {
    FileSizeLimit limit(1024);
    EXPECT_THROW(SaveOptions(file, dialog, memory), IniWriteError);
  }
  EXPECT_FALSE(memory.TextMode);
  EXPECT_EQ(memory.HelioMode, 0);
  EXPECT_EQ(file.ReadString("Show", "Text", "absent"), "absent");
  EXPECT_LE(config.Contents().size(), 1024u);
}

}  // namespace
