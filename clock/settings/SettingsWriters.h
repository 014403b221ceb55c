// SPDX-License-Identifier: GPL-3.0-or-later
// The two writers of helidial.ini: the settings dialog's OK and the Exit command. Each is one
// update of the file: a refused write throws IniWriteError and leaves the file as it was, with
// none of the keys written.
#pragma once

#include <cstdint>
#include <string>

#include "settings/IniFile.h"
#include "settings/Settings.h"

// What the settings dialog's controls hold, as they show it: spin fields and the track bar within
// their ranges, a choice group's index (-1 for no selection), radio pairs as one flag.
struct OptionsValues {
  // General page.
  int LatD = 0;              // spnLatD 0..90
  int LatM = 0;              // spnLatM 0..59
  bool North = false;        // optN, else optS
  int LongD = 0;             // spnLongD 0..180
  int LongM = 0;             // spnLongM 0..59
  bool West = false;         // optW, else optE
  bool Summer = false;       // optSummer
  std::string ZoneName;      // the zone of the place's own (IANA id), empty for the machine's
  bool ManualZone = false;   // shown only: a zone typed by hand wins, the summer box is the user's
  int HelioCentric = 0;      // optEphem 0..1
  int Glyphs = 0;            // optColor 0..2
  int Houses = 0;            // optHouse 0..2
  int Cusps = 0;             // optCusp 0..2
  int Zodiac = 0;            // optZodiac 0..1
  int Ephemeris = 0;         // cbPositions 0..1: documented theory, precise
  PointFlags Show{};         // lstPlanets, points 1..12
  int Size = 63;             // tbPSize 25..100
  std::int32_t Color = 0;    // ColorDialog's planet colour
  bool Annotate = false;     // optAnnotate
  bool AnnotateMin = false;  // cbAnnMin

  // Aspects page.
  AspectFlags UseAspects{};  // lstSAAspects
  int Aspect = 0;            // spnCustDeg -1..180
  PointFlags AspectFrom{};   // lstTransitFrom
  PointFlags AspectTo{};     // lstTransitTo
  int Degree = 1;            // spOrbDeg 0..30
  int Minute = 0;            // spOrbMin 0..59
  int DegreeN = 1;           // spOrbDeg2 0..30
  int MinuteN = 0;           // spOrbMin2 0..59
  bool Text = false;         // optText
  bool Duplicates = false;   // optDupe
  bool LogTT = false;        // optLogTT
  bool LogTN = false;        // optLogTN

  // Show page.
  bool AspectLines = false;          // optAspectLines
  PointFlags DoLine{};               // lstAspectLines
  bool Do30 = true;                  // optVOC30
  bool Icon = true;                  // optVOCIcon
  bool DoColor = false;              // optVOCcolor
  std::int32_t VOCColor = 16777215;  // ColorDialog1's colour
  int VOCRule = 0;                   // cbVOCRule 0..2
  bool MoonLine = false;             // optMoonLine
  bool ExactTimes = false;           // optExactTimes

  // Alerts page.
  bool AlertVoidBegins = false;  // cbAlertVoidBegins
  bool AlertVoidEnds = false;    // cbAlertVoidEnds
  bool AlertIngress = false;     // cbAlertIngress
  bool AlertNatalExact = false;  // cbAlertNatalExact
  bool AlertNewFull = false;     // cbAlertNewFull
  bool AlertStation = false;     // cbAlertStation
  int AlertLead = 0;             // cbAlertLead 0..2: at the moment, 15 min, 1 h before

  bool operator==(const OptionsValues&) const = default;
};

// The dialog's opening values: from the file (orb minutes default to 0 there, unlike the loader),
// "Use Text" and "No duplicates" from memory; out-of-range values shown clamped.
OptionsValues ReadOptionsValues(const IniDocument& file, const Settings& inMemory);

// The dialog's OK: writes every dialog key in its fixed order, the Wheel and Natal keys from
// memory, and on the way sets TextMode, Duplicates, SiderealZodiac and HelioMode in memory.
void SaveOptions(IniFile& file, const OptionsValues& dialog, Settings& inMemory);

// Exit: Top, Left, Height, Width of the clock window (section Show), then of the
// transits-to-natal window (ATN) and of the transit-to-transit window (ATT).
void SaveGeometry(IniFile& file, const WindowGeometry& clock, const WindowGeometry& transitsToNatal,
                  const WindowGeometry& transitsToTransits);
