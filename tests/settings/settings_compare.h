// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers: the names of the settings fields two values differ in, so that a failed
// comparison says which setting went wrong rather than only that the two are unequal.
#pragma once

#include <string>

#include "settings/Settings.h"
#include "settings/SettingsSchema.h"
#include "settings/SettingsWriters.h"

inline std::string SettingsDifferences(const Settings& a, const Settings& b) {
  std::string out;
  const auto check = [&out](bool same, const char* name) {
    if (!same) out += std::string(out.empty() ? "" : ", ") + name;
  };
  check(a.Glyphs == b.Glyphs, "Glyphs");
  check(a.HouseCode == b.HouseCode, "HouseCode");
  check(a.SiderealZodiac == b.SiderealZodiac, "SiderealZodiac");
  check(a.Ephemeris == b.Ephemeris, "Ephemeris");
  check(a.Cusps == b.Cusps, "Cusps");
  check(a.Size == b.Size, "Size");
  check(a.GlyphSize == b.GlyphSize, "GlyphSize");
  check(a.Color == b.Color, "Color");
  check(a.LogTN == b.LogTN, "LogTN");
  check(a.LogTT == b.LogTT, "LogTT");
  check(a.LatDeg == b.LatDeg, "LatDeg");
  check(a.LatMin == b.LatMin, "LatMin");
  check(a.LongDeg == b.LongDeg, "LongDeg");
  check(a.LongMin == b.LongMin, "LongMin");
  check(a.ZoneOffset == b.ZoneOffset, "ZoneOffset");
  check(a.ZoneName == b.ZoneName, "ZoneName");
  check(a.Zone == b.Zone, "Zone");
  check(a.ZoneRules == b.ZoneRules, "ZoneRules");
  check(a.Summer == b.Summer, "Summer");
  check(a.CustomAngle == b.CustomAngle, "CustomAngle");
  check(a.TransitOrb == b.TransitOrb, "TransitOrb");
  check(a.NatalOrb == b.NatalOrb, "NatalOrb");
  check(a.HelioMode == b.HelioMode, "HelioMode");
  check(a.Show == b.Show, "Show");
  check(a.TextMode == b.TextMode, "TextMode");
  check(a.ClockGeometry == b.ClockGeometry, "ClockGeometry");
  check(a.ATNGeometry == b.ATNGeometry, "ATNGeometry");
  check(a.ATTGeometry == b.ATTGeometry, "ATTGeometry");
  check(a.AspectTo == b.AspectTo, "AspectTo");
  check(a.AspectFrom == b.AspectFrom, "AspectFrom");
  check(a.DoLine == b.DoLine, "DoLine");
  check(a.UseAspects == b.UseAspects, "UseAspects");
  check(a.Duplicates == b.Duplicates, "Duplicates");
  check(a.LineColor == b.LineColor, "LineColor");
  check(a.LineStyle == b.LineStyle, "LineStyle");
  check(a.AspectLines == b.AspectLines, "AspectLines");
  check(a.Annotate == b.Annotate, "Annotate");
  check(a.AnnotateMin == b.AnnotateMin, "AnnotateMin");
  check(a.Do30 == b.Do30, "Do30");
  check(a.Do45 == b.Do45, "Do45");
  check(a.VOCIcon == b.VOCIcon, "VOCIcon");
  check(a.DoColor == b.DoColor, "DoColor");
  check(a.VOCColor == b.VOCColor, "VOCColor");
  check(a.VOCRule == b.VOCRule, "VOCRule");
  check(a.MoonLine == b.MoonLine, "MoonLine");
  check(a.ExactTimes == b.ExactTimes, "ExactTimes");
  check(a.NatalPos == b.NatalPos, "NatalPos");
  check(a.AlertVoidBegins == b.AlertVoidBegins, "AlertVoidBegins");
  check(a.AlertVoidEnds == b.AlertVoidEnds, "AlertVoidEnds");
  check(a.AlertIngress == b.AlertIngress, "AlertIngress");
  check(a.AlertNatalExact == b.AlertNatalExact, "AlertNatalExact");
  check(a.AlertNewFull == b.AlertNewFull, "AlertNewFull");
  check(a.AlertStation == b.AlertStation, "AlertStation");
  check(a.AlertLead == b.AlertLead, "AlertLead");
  // A field added to Settings but not above shows up as a difference with no name.
  if (out.empty() && !(a == b)) out = "(a field not listed here)";
  return out;
}

// By the table's accessors, named by key; a field the table does not reach still counts.
inline std::string OptionsDifferences(const OptionsValues& a, const OptionsValues& b) {
  std::string out;
  const Settings none;
  for (const SettingKey& row : SettingsSchema()) {
    if (row.savedBy != SavedBy::Options || row.kind == KeyKind::Natal) continue;
    if (SavedText(row, a, none) == SavedText(row, b, none)) continue;
    out += (out.empty() ? "" : ", ") + row.section + "/" + row.key;
  }
  if (a.ManualZone != b.ManualZone) out += (out.empty() ? "" : ", ") + std::string("ManualZone");
  if (out.empty() && !(a == b)) out = "(a field no key reaches)";
  return out;
}

// The dialog's values for one round trip. Over the eight rows every boolean takes both values and
// any two booleans of one section differ in some row: flag n of row r is bit r / 2 of n, inverted
// in the odd rows, and each flag has its own n. A section's point flags use n = point + an offset
// of their own, so one point's flags also differ between sections. Numbers differ from their
// defaults and from their neighbours in every row.
inline bool Flag(int row, int n) { return (((n >> (row / 2)) & 1) != 0) != (row % 2 == 1); }

inline constexpr int kShowOffset = 0, kToOffset = 5, kFromOffset = 9, kLineOffset = 14,
                     kUseOffset = 3;

// Planet glyph sizes that are no multiple of 5, with the glyph size Trunc(Size x 0.2) + 1 that
// each gives on a 576-pixel wheel, by hand.
inline constexpr int kSizes[8] = {26, 33, 41, 48, 57, 64, 72, 99};
inline constexpr int kGlyphSizes[8] = {6, 7, 9, 10, 12, 13, 15, 20};

inline OptionsValues DialogRow(int r) {
  OptionsValues d;
  d.LatD = 10 + r;
  d.LatM = 20 + r;
  d.LongD = 100 + r;
  d.LongM = 40 + r;
  d.North = r % 4 == 0 || r % 4 == 2;  // north west, south east, north east, south west
  d.West = r % 4 == 0 || r % 4 == 3;
  d.ZoneName = r % 3 == 1 ? "Asia/Kolkata" : "";  // a named zone without rules, or the machine's
  d.Glyphs = 1 + r % 2;
  d.Houses = 2 - r % 2;
  d.Cusps = 1 + (r / 2) % 2;
  d.Zodiac = 1 - r % 2;
  d.HelioCentric = r % 2;
  d.Ephemeris = (r / 2) % 2;
  d.Size = kSizes[r];
  d.Color = 0x123456 + r;
  d.VOCColor = 0x654321 + r;
  d.Aspect = 150 + r;
  d.Degree = 2 + r;
  d.Minute = 11 + r;
  d.DegreeN = 20 + r;
  d.MinuteN = 50 + r;
  d.Summer = Flag(r, 1);
  d.Annotate = Flag(r, 2);
  d.AnnotateMin = Flag(r, 3);
  d.AspectLines = Flag(r, 4);
  d.Text = Flag(r, 5);
  d.Duplicates = Flag(r, 6);
  d.LogTT = Flag(r, 7);
  d.LogTN = Flag(r, 8);
  d.Icon = Flag(r, 9);
  d.DoColor = Flag(r, 10);
  d.Do30 = Flag(r, 11);
  d.VOCRule = r % 3;
  d.MoonLine = Flag(r, 12);
  d.ExactTimes = Flag(r, 13);
  d.Show.fill(false);
  d.AspectTo.fill(false);
  d.AspectFrom.fill(false);
  d.DoLine.fill(false);
  for (int p = 1; p <= 14; ++p) {
    if (p <= 12) d.Show[p] = Flag(r, p + kShowOffset);
    d.AspectTo[p] = Flag(r, p + kToOffset);
    d.AspectFrom[p] = Flag(r, p + kFromOffset);
    d.DoLine[p] = Flag(r, p + kLineOffset);
  }
  for (int k = 0; k < 12; ++k) d.UseAspects[k] = Flag(r, k + kUseOffset);
  // Section Alerts is its own, so its flags may take the numbers of other sections'.
  d.AlertVoidBegins = Flag(r, 1);
  d.AlertVoidEnds = Flag(r, 2);
  d.AlertIngress = Flag(r, 3);
  d.AlertNatalExact = Flag(r, 4);
  d.AlertNewFull = Flag(r, 5);
  d.AlertStation = Flag(r, 6);
  d.AlertLead = 1 + r % 2;
  return d;
}
