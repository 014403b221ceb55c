// SPDX-License-Identifier: GPL-3.0-or-later
// The things a chart is made of, each described once: the chart points, the aspect kinds, the
// signs, and the named choices of the settings. The settings file, the aspect finder, the wheel,
// the display texts and the windows all read these tables, so a name or a code never exists twice.
#ifndef HELIODIAL_CHARTTABLES_H
#define HELIODIAL_CHARTTABLES_H

#include <array>
#include <cstdint>
#include <string_view>

#include "ephemlib.h"
#include "ephemlib_houses.h"

// Chart points are numbered 1 Sun .. 12 Chiron, 13 Ascendant, 14 Midheaven; slot 0 of a point
// array carries no point.
inline constexpr int kPointCount = EPHEM_CHART_POINT_COUNT;
inline constexpr int kBodyCount = EPHEM_BODY_COUNT;  // the library computes points 1..12
inline constexpr int kShownPlanetCount = 12;         // section Show has flags for Sun .. Chiron
inline constexpr int kAscendant = 13;
inline constexpr int kMidheaven = 14;

struct ChartPoint {
  std::string_view key;        // its key in sections Show, AspectTo, AspectFrom, DoLine; its name
  std::string_view word;       // in the aspect lists' text mode, with its trailing blank
  unsigned char glyph;         // glyph-font code: 128 + index, the Midheaven 150
  std::u16string_view symbol;  // what the glyph code is drawn as
};

inline constexpr std::array<ChartPoint, kPointCount + 1> kPoints{{
    {"", "", 0, u""},
    {"Sun", "Sun ", 129, u"\u2609"},
    {"Moon", "Moon ", 130, u"\u263D"},
    {"Mercury", "Mercury ", 131, u"\u263F"},
    {"Venus", "Venus ", 132, u"\u2640"},
    {"Mars", "Mars ", 133, u"\u2642"},
    {"Jupiter", "Jupiter ", 134, u"\u2643"},
    {"Saturn", "Saturn ", 135, u"\u2644"},
    {"Uranus", "Uranus ", 136, u"\u2645"},
    {"Neptune", "Neptune ", 137, u"\u2646"},
    {"Pluto", "Pluto ", 138, u"\u2647"},
    {"Node", "Node ", 139, u"\u260A"},
    {"Chiron", "Chiron ", 140, u"\u26B7"},
    // The angles have no Unicode symbols; astrologers write their initials.
    {"Ascendant", "Ascendant ", 141, u"AC"},
    {"Midheaven", "Midheaven ", 150, u"MC"},
}};

// Aspect kinds are numbered 0 Conjunction .. 10 Opposition, 11 Custom (whose angle is a setting).
inline constexpr int kAspectKindCount = 12;
inline constexpr int kCustomAspect = 11;

struct AspectKind {
  std::string_view name;        // as the settings dialog lists it
  int angle;                    // degrees; the custom kind's comes from the settings
  char code;                    // glyph-font character, and the letter in the pair string
  std::string_view word;        // in text mode, with its trailing blank
  std::string_view useKey;      // section UseAspects, as read
  std::string_view useKeyOut;   // ... and as written (the same key, matched without case)
  std::string_view lineKey;     // after "ALC"/"ALS" in section Wheel, as read
  std::string_view lineKeyOut;  // ... and as written
  std::u16string_view symbol;   // what the code is drawn as
};

inline constexpr std::array<AspectKind, kAspectKindCount> kAspectKinds{{
    {"Conjunction", 0, '=', "conjunct ", "Conjunction", "Conjunction", "conjunction", "conjunction",
     u"\u260C"},
    {"Semi-sextile", 30, 'V', "semis-sextile ", "Semisextile", "SemiSextile", "semisextile",
     "semisextile", u"\u26BA"},
    {"Semi-square", 45, '<', "semi-square ", "Semisquare", "SemiSquare", "semisquare", "semisquare",
     u"\u2220"},
    {"Sextile", 60, '*', "sextile ", "Sextile", "Sextile", "sextile", "sextile", u"\u26B9"},
    // The quintiles have no Unicode symbols.
    {"Quintile", 72, 'Q', "quintile ", "Quintile", "Quintile", "quintile", "quintile", u"Q"},
    {"Square", 90, 'S', "square ", "Square", "Square", "square", "square", u"\u25A1"},
    {"Trine", 120, 'T', "trine ", "Trine", "Trine", "trine", "trine", u"\u25B3"},
    {"Sesquiquadrate", 135, '>', "sesquiquadrate ", "Sesquiquadrate", "Sesquiquadrate",
     "sesquiquadrate", "sesquiquadrate", u"\u26BC"},
    {"Biquintile", 144, 'B', "biquintile ", "Biquintile", "Biquintile", "biquintile", "biquintile",
     u"bQ"},
    {"Quincunx", 150, 'I', "quincunx ", "Quincunx", "Quincunx", "quincunx", "quincunx", u"\u26BB"},
    {"Opposition", 180, '%', "opposition ", "Opposition", "Opposition", "opposition", "opposition",
     u"\u260D"},
    // The measured-angle sign stands for an angle of the user's choosing.
    {"Custom", 0, 'c', "custom ", "Custom", "Custom", "custom", "Custom", u"\u2221"},
}};

// The order in which an aspect test tries the kinds: with overlapping orbs the first match wins.
inline constexpr std::array<int, kAspectKindCount> kAspectTestOrder{0, 10, 6, 5, 3, 9,
                                                                    7, 1,  2, 4, 8, 11};

// The kind of a code character, or -1 for any other character (a blank among them).
constexpr int AspectKindOfCode(char code) {
  for (int k = 0; k < kAspectKindCount; ++k) {
    if (kAspectKinds[static_cast<std::size_t>(k)].code == code) return k;
  }
  return -1;
}

// Signs 0 Aries .. 11 Pisces; sign i has glyph code 152 + i.
inline constexpr int kSignCount = 12;
inline constexpr unsigned char kFirstSignGlyph = 152;
inline constexpr std::array<std::string_view, kSignCount> kSignNames{
    "Aries", "Taurus",  "Gemini",      "Cancer",    "Leo",      "Virgo",
    "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces"};
inline constexpr std::array<char16_t, kSignCount> kSignSymbols{
    0x2648, 0x2649, 0x264A, 0x264B, 0x264C, 0x264D, 0x264E, 0x264F, 0x2650, 0x2651, 0x2652, 0x2653};

using HouseSystem = ephem::HouseSystem;

// Sign colouring of the wheel (setting Glyphs); the file may hold other values, which colour
// nothing.
enum class SignColouring : std::uint8_t { None = 0, Glyphs = 1, Background = 2 };

// House cusp lines on the wheel (setting Cusps); values above All draw every cusp too.
enum class CuspMode : std::uint8_t { None = 0, Angles = 1, All = 2 };

// Aspect line style by kind (section Wheel); other values keep the pen's previous style.
enum class AspectLineStyle : std::uint16_t { None = 0, Solid = 1, Dot = 2, Dash = 3, DashDot = 4 };

#endif
