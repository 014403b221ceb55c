// SPDX-License-Identifier: GPL-3.0-or-later
#include "wheel/GlyphFont.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>
#include <algorithm>

namespace {

struct FontSource {
  const char* family;
  const char* file;  // loaded directly when fontconfig does not list the family
};

constexpr FontSource kSources[] = {
    {"Noto Sans Symbols", "/usr/share/fonts/truetype/noto/NotoSansSymbols-Regular.ttf"},
    {"Noto Sans Symbols2", "/usr/share/fonts/truetype/noto/NotoSansSymbols2-Regular.ttf"},
    {"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
};

QStringList LoadFamilies() {
  QStringList families;
  const QStringList installed = QFontDatabase::families();
  for (const FontSource& source : kSources) {
    const QString family = QString::fromLatin1(source.family);
    if (installed.contains(family)) {
      families << family;
      continue;
    }
    if (!QFileInfo::exists(QString::fromLatin1(source.file))) continue;
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(source.file));
    if (id >= 0) families << QFontDatabase::applicationFontFamilies(id);
  }
  return families;
}

// The sign symbols fill their em square best in Noto Sans Symbols; its planet symbols are
// drawn small, so planets, letters and digits prefer DejaVu Sans.
QStringList OrderedFamilies(bool signs) {
  QStringList families = GlyphFontFamilies();
  const QString preferred =
      signs ? QStringLiteral("Noto Sans Symbols") : QStringLiteral("DejaVu Sans");
  if (families.removeAll(preferred) > 0) families.prepend(preferred);
  return families;
}

}  // namespace

const QStringList& GlyphFontFamilies() {
  static const QStringList families = LoadFamilies();
  return families;
}

int PointsToPixels(int points) { return (points * 96 + 36) / 72; }

QFont GlyphFont(int points, const QString& text) {
  static const QStringList signFamilies = OrderedFamilies(true);
  static const QStringList otherFamilies = OrderedFamilies(false);
  QFont font;
  font.setFamilies(IsSignText(text) ? signFamilies : otherFamilies);
  font.setPixelSize(std::max(1, PointsToPixels(points)));
  return font;
}

QFont TextFont(int points) {
  QFont font;
  font.setFamily(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(1, PointsToPixels(points)));
  return font;
}

bool GlyphFontHas(const QString& text) {
  for (const char32_t ucs : text.toUcs4()) {
    bool found = false;
    for (const QString& family : GlyphFontFamilies()) {
      QFont font(family);
      font.setPixelSize(16);
      const QRawFont raw = QRawFont::fromFont(font);
      if (raw.isValid() && raw.familyName() == family && raw.supportsCharacter(ucs)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

std::vector<unsigned char> WheelGlyphCodes() {
  std::vector<unsigned char> codes;
  for (int code = 129; code <= 140; ++code) codes.push_back(static_cast<unsigned char>(code));
  codes.push_back(150);
  for (int code = 152; code <= 163; ++code) codes.push_back(static_cast<unsigned char>(code));
  return codes;
}

bool IsSignText(const QString& text) {
  return !text.isEmpty() && text.at(0).unicode() >= 0x2648 && text.at(0).unicode() <= 0x2653;
}
