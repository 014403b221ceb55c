#include "chart/DisplayText.h"

#include <array>

namespace {

// Windows-1252 bytes 0x80..0x9F that differ from Latin-1; 0 where the code page leaves a hole.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Aries .. Pisces.
constexpr char16_t kSignSymbols[12] = {0x2648, 0x2649, 0x264A, 0x264B, 0x264C, 0x264D,
                                       0x264E, 0x264F, 0x2650, 0x2651, 0x2652, 0x2653};

// Sun .. Chiron (codes 129..140).
constexpr char16_t kPointSymbols[12] = {0x2609, 0x263D, 0x263F, 0x2640, 0x2642, 0x2643,
                                        0x2644, 0x2645, 0x2646, 0x2647, 0x260A, 0x26B7};

QChar cp1252(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    const char16_t c = kCp1252High[byte - 0x80];
    return QChar(c ? c : 0xFFFD);
  }
  return QChar(static_cast<char16_t>(byte));
}

}  // namespace

unsigned char pointGlyphCode(int point) {
  return point == 14 ? 150 : static_cast<unsigned char>(128 + point);
}

QString glyphSymbol(unsigned char code) {
  if (code >= 129 && code <= 140) return QString(QChar(kPointSymbols[code - 129]));
  if (code >= 152 && code <= 163) return QString(QChar(kSignSymbols[code - 152]));
  switch (code) {
    case 141:
      return QStringLiteral("AC");  // Ascendant: astrologers write its initials
    case 150:
      return QStringLiteral("MC");  // Midheaven: medium coeli
    case '=':
      return QString(QChar(0x260C));
    case 'V':
      return QString(QChar(0x26BA));
    case '<':
      return QString(QChar(0x2220));
    case '*':
      return QString(QChar(0x26B9));
    case 'Q':
      return QStringLiteral("Q");  // quintile and biquintile have no Unicode symbol
    case 'S':
      return QString(QChar(0x25A1));
    case 'T':
      return QString(QChar(0x25B3));
    case '>':
      return QString(QChar(0x26BC));
    case 'B':
      return QStringLiteral("bQ");
    case 'I':
      return QString(QChar(0x26BB));
    case '%':
      return QString(QChar(0x260D));
    case 'c':
      return QString(QChar(0x2221));  // custom angle: the measured-angle sign
    default:
      return {};
  }
}

QString libraryText(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char ch : bytes) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 152 && byte <= 163) {
      out += glyphSymbol(byte);
    } else {
      out += cp1252(byte);  // 0xB0 is the degree sign in both code pages
    }
  }
  return out;
}

QString glyphText(std::string_view bytes) {
  QString out;
  for (const char ch : bytes) {
    const auto byte = static_cast<unsigned char>(ch);
    const QString symbol = byte == ' ' ? QString() : glyphSymbol(byte);
    out += symbol.isEmpty() ? QString(cp1252(byte)) : symbol;
  }
  return out;
}
