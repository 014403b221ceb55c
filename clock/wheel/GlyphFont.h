// SPDX-License-Identifier: GPL-3.0-or-later
// The glyph font: system fonts that hold the astrological symbols, loaded once, tried in order
// for every character so that each glyph code draws as its symbol.
#ifndef HELIODIAL_GLYPHFONT_H
#define HELIODIAL_GLYPHFONT_H

#include <QFont>
#include <QString>
#include <QStringList>
#include <vector>

// The families, in order of preference, that are installed or could be loaded from their files.
// Needs a QGuiApplication.
const QStringList& GlyphFontFamilies();

// The glyph font at a size in points (drawn at 96 dots per inch, as the wheel's layout assumes)
// for drawing text: the family order depends on whether text is a sign symbol.
QFont GlyphFont(int points, const QString& text);
// Whether text starts with a zodiac sign symbol.
bool IsSignText(const QString& text);

// Plain text beside the glyphs.
QFont TextFont(int points);
int PointsToPixels(int points);

// Whether every character of text has a glyph in one of the glyph font's families.
bool GlyphFontHas(const QString& text);

// The glyph codes the wheel draws: points 129..140, the Midheaven 150, signs 152..163.
std::vector<unsigned char> WheelGlyphCodes();

#endif
