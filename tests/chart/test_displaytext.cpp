// SPDX-License-Identifier: GPL-3.0-or-later
// Display texts: what each glyph-font code is drawn as and what it reads as in text mode, and the
// library's Windows-1252 texts with sign glyph bytes. Code points are written out here from the
// Unicode charts, so that a symbol or word given to the wrong code fails.
#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "chart/Aspects.h"
#include "chart/DisplayText.h"

namespace {

QString Text(std::u16string_view units) {
  return QString(reinterpret_cast<const QChar*>(units.data()),
                 static_cast<qsizetype>(units.size()));
}

TEST(DisplayText, EveryPointSymbolAndWord) {
  const struct {
    int point;
    unsigned char code;  // 128 + point; the Midheaven 150
    std::u16string_view symbol;
    const char* word;
  } rows[] = {
      {1, 129, u"\u2609", "Sun "},      // SUN
      {2, 130, u"\u263D", "Moon "},     // FIRST QUARTER MOON
      {3, 131, u"\u263F", "Mercury "},  // MERCURY
      {4, 132, u"\u2640", "Venus "},    // FEMALE SIGN
      {5, 133, u"\u2642", "Mars "},     // MALE SIGN
      {6, 134, u"\u2643", "Jupiter "},  // JUPITER
      {7, 135, u"\u2644", "Saturn "},   // SATURN
      {8, 136, u"\u2645", "Uranus "},   // URANUS
      {9, 137, u"\u2646", "Neptune "},  // NEPTUNE
      {10, 138, u"\u2647", "Pluto "},   // PLUTO
      {11, 139, u"\u260A", "Node "},    // ASCENDING NODE
      {12, 140, u"\u26B7", "Chiron "},  // CHIRON
      {13, 141, u"AC", "Ascendant "},   // no Unicode symbol: the initials
      {14, 150, u"MC", "Midheaven "},   // no Unicode symbol: the initials
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.word);
    EXPECT_EQ(pointGlyphCode(r.point), r.code);
    EXPECT_EQ(glyphSymbol(r.code), Text(r.symbol));
    EXPECT_EQ(AspectWord(r.code), QString::fromLatin1(r.word));
  }
}

TEST(DisplayText, EverySignSymbol) {
  // Glyph codes 152 Aries .. 163 Pisces; library texts carry the same bytes (0x98 .. 0xA3).
  const struct {
    unsigned char code;
    char16_t symbol;
  } rows[] = {{152, 0x2648}, {153, 0x2649}, {154, 0x264A}, {155, 0x264B},
              {156, 0x264C}, {157, 0x264D}, {158, 0x264E}, {159, 0x264F},
              {160, 0x2650}, {161, 0x2651}, {162, 0x2652}, {163, 0x2653}};
  for (const auto& r : rows) {
    EXPECT_EQ(glyphSymbol(r.code), QString(QChar(r.symbol))) << int(r.code);
    const std::string position = {'1', '2', ' ', static_cast<char>(r.code), ' ', '3', '4'};
    EXPECT_EQ(libraryText(position),
              QStringLiteral("12 ") + QChar(r.symbol) + QStringLiteral(" 34"))
        << int(r.code);
  }
}

TEST(DisplayText, EveryAspectSymbolAndWord) {
  const struct {
    char code;
    std::u16string_view symbol;
    const char* word;
  } rows[] = {
      {'=', u"\u260C", "conjunct "},        // CONJUNCTION
      {'V', u"\u26BA", "semis-sextile "},   // SEMISEXTILE
      {'<', u"\u2220", "semi-square "},     // ANGLE
      {'*', u"\u26B9", "sextile "},         // SEXTILE
      {'Q', u"Q", "quintile "},             // no Unicode symbol
      {'S', u"\u25A1", "square "},          // WHITE SQUARE
      {'T', u"\u25B3", "trine "},           // WHITE UP-POINTING TRIANGLE
      {'>', u"\u26BC", "sesquiquadrate "},  // SESQUIQUADRATE
      {'B', u"bQ", "biquintile "},          // no Unicode symbol
      {'I', u"\u26BB", "quincunx "},        // QUINCUNX
      {'%', u"\u260D", "opposition "},      // OPPOSITION
      {'c', u"\u2221", "custom "},          // MEASURED ANGLE: an angle of the user's choosing
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.word);
    const auto code = static_cast<unsigned char>(r.code);
    EXPECT_EQ(glyphSymbol(code), Text(r.symbol));
    EXPECT_EQ(AspectWord(code), QString::fromLatin1(r.word));
  }
}

TEST(DisplayText, CodesWithoutASymbol) {
  for (const unsigned char code : {0, 32, 128, 142, 149, 151, 164, 255}) {
    EXPECT_TRUE(glyphSymbol(code).isEmpty()) << int(code);
  }
  EXPECT_TRUE(glyphSymbol(static_cast<unsigned char>('x')).isEmpty());
}

TEST(DisplayText, LibraryBytesAsWindows1252) {
  const struct {
    std::string bytes;
    char16_t shown;
  } rows[] = {{"\xB0", 0x00B0},  // the degree sign of the orb texts
              {"\x80", 0x20AC},  // euro sign
              {"\x96", 0x2013},  // en dash
              {"\x81", 0xFFFD},  // a hole in the code page
              {"\xE9", 0x00E9},  // Latin-1 above 0xA0
              {"R", u'R'}};
  for (const auto& r : rows) {
    EXPECT_EQ(libraryText(r.bytes), QString(QChar(r.shown))) << int(r.shown);
  }
}

}  // namespace
