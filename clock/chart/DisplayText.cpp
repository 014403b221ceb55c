// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/DisplayText.h"

#include <array>

#include "model/ChartTables.h"

namespace {

// Windows-1252 bytes 0x80..0x9F that differ from Latin-1; 0 where the code page leaves a hole.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QChar cp1252(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    const char16_t c = kCp1252High[byte - 0x80];
    return QChar(c ? c : 0xFFFD);
  }
  return QChar(static_cast<char16_t>(byte));
}

QString text(std::u16string_view symbol) {
  return QString(reinterpret_cast<const QChar*>(symbol.data()),
                 static_cast<qsizetype>(symbol.size()));
}

}  // namespace

unsigned char pointGlyphCode(int point) { return kPoints[point].glyph; }

QString pointSymbol(int point) { return text(kPoints[point].symbol); }

QString glyphSymbol(unsigned char code) {
  if (code >= kFirstSignGlyph && code < kFirstSignGlyph + kSignCount) {
    return QString(QChar(kSignSymbols[code - kFirstSignGlyph]));
  }
  for (int p = 1; p <= kPointCount; ++p) {
    if (kPoints[p].glyph == code) return text(kPoints[p].symbol);
  }
  const int kind = AspectKindOfCode(static_cast<char>(code));
  return kind >= 0 ? text(kAspectKinds[kind].symbol) : QString();
}

QString libraryText(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char ch : bytes) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= kFirstSignGlyph && byte < kFirstSignGlyph + kSignCount) {
      out += glyphSymbol(byte);
    } else {
      out += cp1252(byte);  // 0xB0 is the degree sign in both code pages
    }
  }
  return out;
}
