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
  check(a.NatalPos == b.NatalPos, "NatalPos");
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
    if (row.save(a, none, row.index) == row.save(b, none, row.index)) continue;
    out += (out.empty() ? "" : ", ") + row.section + "/" + row.key;
  }
  if (out.empty() && !(a == b)) out = "(a field no key reaches)";
  return out;
}
