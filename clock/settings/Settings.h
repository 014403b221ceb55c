// SPDX-License-Identifier: GPL-3.0-or-later
// The clock's settings in memory and their loading from helidial.ini. A setting kept unchanged
// bears its key's name; one converted while loading is named for what it becomes.
#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/ChartTables.h"
#include "settings/IniFile.h"

using PointFlags = std::array<bool, kPointCount + 1>;  // indexed by point, slot 0 unused
using AspectFlags = std::array<bool, kAspectKindCount>;

// Top, left edge, height and width of a window in screen pixels.
struct WindowGeometry {
  std::int32_t Top = 0;
  std::int32_t Left = 0;
  std::int32_t Height = 0;
  std::int32_t Width = 0;
  bool operator==(const WindowGeometry&) const = default;
};

// Every setting, with the value it has when the file is missing (GlyphSize for a 576-pixel wheel;
// ZoneOffset depends on the machine's time zone, 0 here).
struct Settings {
  // Section Setting.
  SignColouring Glyphs = SignColouring::None;
  HouseSystem HouseCode = HouseSystem::Placidus;  // None computes no cusps
  std::int16_t SiderealZodiac = 0;                // 0 tropical, 1 sidereal
  CuspMode Cusps = CuspMode::None;
  std::uint16_t Size = 63;       // planet glyph size on the dialog's 25..100 scale
  std::uint16_t GlyphSize = 13;  // planet glyph font size, from Size and the wheel width
  std::int32_t Color = 0;        // planet glyph colour, 0x00BBGGRR
  bool LogTN = false;
  bool LogTT = false;
  std::int32_t Ephemeris = 0;  // positions: 0 the documented theory, 1 the Swiss Ephemeris

  // Section Place: latitude positive north, longitude positive west, both parts carry the sign.
  std::int32_t LatDeg = 0;
  std::int32_t LatMin = 0;
  std::int32_t LongDeg = 0;
  std::int32_t LongMin = 0;
  // Hours, local clock time minus Universal Time: fixed, or with ZoneRules that of the moment
  // last computed (ZoneOffsetAt gives it for any moment).
  double ZoneOffset = 0.0;
  std::string ZoneName;  // the zone of the place's own, an IANA id; empty for the machine's zone
  // The zone in use where it is known by name: ZoneName's, else the machine's. Not valid with
  // ManualZone, nor when the machine's zone is given only as a standard bias.
  QTimeZone Zone;
  // Zone keeps daylight-saving rules: each moment takes the zone's own offset and Summer is not
  // added. Without rules ZoneOffset is the standard offset, plus an hour with Summer.
  bool ZoneRules = false;
  bool Summer = false;  // the hour Summer adds in a zone without rules is in ZoneOffset

  // Section Custom.
  std::int32_t CustomAngle = 0;  // whole degrees
  double TransitOrb = 1.0 + 1.0 / 60.0;
  double NatalOrb = 1.0 + 1.0 / 60.0;

  // Section Show. Show flags exist for points 1..12; 13 and 14 are always false.
  std::int32_t HelioMode = 0;  // 0 geocentric, 1 heliocentric
  PointFlags Show{false, true, true, true, true, true, true, true, true, true, true};
  bool TextMode = false;
  WindowGeometry ClockGeometry{1, 1, 576, 545};
  // Sections ATN (transits to natal) and ATT (transits to transits).
  WindowGeometry ATNGeometry{76, 400, 279, 187};
  WindowGeometry ATTGeometry{376, 400, 279, 187};

  // Sections AspectTo, AspectFrom, DoLine: all points but Node and Chiron.
  PointFlags AspectTo{false, true, true, true,  true,  true, true, true,
                      true,  true, true, false, false, true, true};
  PointFlags AspectFrom = AspectTo;
  PointFlags DoLine = AspectTo;

  // Section UseAspects: all kinds but Opposition and Custom.
  AspectFlags UseAspects{true, true, true, true, true, true, true, true, true, true, false, false};
  bool Duplicates = false;

  // Section Wheel, line colour (0x00BBGGRR) and style by aspect kind.
  std::array<std::int32_t, kAspectKindCount> LineColor{};
  std::array<AspectLineStyle, kAspectKindCount> LineStyle{};
  bool AspectLines = false;
  bool Annotate = false;
  bool AnnotateMin = false;

  // Section VOC.
  bool Do30 = true;
  bool Do45 = true;
  bool VOCIcon = true;
  bool DoColor = false;
  std::int32_t VOCColor = 16777215;  // white
  // Which void of course the icon, the colour and the Moon's lines follow: 0 the degree test
  // above, 1 classical (Sun..Saturn), 2 modern (Sun..Pluto) aspect windows.
  std::int32_t VOCRule = 0;
  // The Moon's one-line status under the wheel and her lines in the notification area.
  bool MoonLine = false;
  // Section Setting: when each listed aspect perfects, on the lines of both lists.
  bool ExactTimes = false;

  // Section Natal: longitudes in degrees, 0 to below 360, by point 1..14.
  std::array<double, kPointCount + 1> NatalPos{};

  // Section Alerts: the events told as they fall due, each kind on its own, and how early
  // (AlertLead 0 at the moment, 1 a quarter of an hour before, 2 an hour before).
  bool AlertVoidBegins = false;
  bool AlertVoidEnds = false;
  bool AlertIngress = false;
  bool AlertNatalExact = false;
  bool AlertNewFull = false;
  bool AlertStation = false;
  std::int32_t AlertLead = 0;

  bool operator==(const Settings&) const = default;
};

// Planet glyph font size: Trunc(Size x 0.2 x W / 576) + 1 in extended precision, W the wheel
// picture's width in pixels.
std::uint16_t GlyphSizeFor(std::uint16_t size, int wheelWidth);

// The machine's standard (non-daylight) time-zone bias in minutes: Universal Time = local
// standard time + bias.
int SystemStandardBiasMinutes();

// What the loader had to change so that the place exists: a sentence for each value no place can
// have (a latitude beyond 90 degrees, a longitude beyond 180, a zone beyond 24 hours), saying
// what the file holds and what is used instead.
using SettingsNotices = std::vector<std::string>;

// Whether a zone keeps daylight-saving rules around a moment: daylight time is in force at some
// time of the year about it. QTimeZone::hasDaylightTime alone also counts zones that kept it only
// once (Asia/Kolkata in the 1940s), where the hand-set Summer must keep its meaning.
bool KeepsDaylightRules(const QTimeZone& zone, const QDateTime& around);

// The zone rule of the file's place section: ZoneName, Zone, ZoneRules and ZoneOffset. The zone
// in use is ZoneName's when it names a zone the system knows (else a notice and the machine's),
// the machine's when it is empty, none with ManualZone. machineZone is the system's zone;
// standardBiasMinutes (Universal Time = local standard time + bias) serves where it is not valid.
// ZoneOffset stays within a day either way; with rules it is the offset at `now`.
void LoadZone(const IniDocument& file, Settings& settings, const QTimeZone& machineZone,
              int standardBiasMinutes, SettingsNotices* notices = nullptr,
              const QDateTime& now = QDateTime::currentDateTimeUtc());

// Hours, local clock time minus Universal Time, at an instant: with ZoneRules the zone's offset
// then, daylight saving included; else the fixed ZoneOffset.
double ZoneOffsetAt(const Settings& settings, const QDateTime& instant);

// Daylight saving time is in force at an instant: by the zone's rules, else as Summer says (a
// manual zone has none).
bool DaylightAt(const Settings& settings, const QDateTime& instant);

// The local clock time of an instant as the chart takes it: the time in the zone of the place's
// own when ZoneName names the zone in use, else the instant as the machine gives it.
QDateTime PlaceClockTime(const Settings& settings, const QDateTime& instant);

// The zone in use as a person reads it: "Europe/London", or empty with ManualZone or a zone known
// only by its bias.
QString ZoneInUseName(const Settings& settings);

// Replaces every setting from the file. wheelWidth is the wheel picture's current width. The
// machine's zone is given by its standard bias (tests, a fixed zone) or as the zone itself
// (the clock: QTimeZone::systemTimeZone()).
void LoadSettings(const IniDocument& file, Settings& settings, int wheelWidth,
                  int standardBiasMinutes, SettingsNotices* notices = nullptr);
void LoadSettings(const IniDocument& file, Settings& settings, int wheelWidth,
                  const QTimeZone& machineZone, SettingsNotices* notices = nullptr);
void LoadSettings(const IniFile& file, Settings& settings, int wheelWidth, int standardBiasMinutes,
                  SettingsNotices* notices = nullptr);
void LoadSettings(const IniFile& file, Settings& settings, int wheelWidth,
                  const QTimeZone& machineZone = QTimeZone::systemTimeZone(),
                  SettingsNotices* notices = nullptr);

// Planet colour conversion: blanks skipped, a sign, decimal digits or "$" and hexadecimal digits;
// reading stops at the first character that does not fit and never fails.
std::int32_t ParseLenientInteger(std::string_view text);

// Natal real conversion: decimal in plain or scientific notation, read up to the first
// character that does not fit; nothing readable gives 0.
double ParseLenientReal(std::string_view text);

// The 23-character form of a natal value: sign or blank, 15 significant digits, four-digit
// exponent (123.5 gives " 1.23500000000000E+0002").
std::string FormatNatalReal(double value);
