// SPDX-License-Identifier: GPL-3.0-or-later
// The one place where library texts (Windows-1252 bytes with glyph-font codes) become display text.
#ifndef HELIODIAL_DISPLAYTEXT_H
#define HELIODIAL_DISPLAYTEXT_H

#include <QString>
#include <string_view>

// Glyph code of a chart point: 128 + index, except the Midheaven (14), which is 150.
unsigned char pointGlyphCode(int point);
// The symbol of chart point 1..14, as glyphSymbol gives it for the point's glyph code.
QString pointSymbol(int point);

// The symbol a glyph-font code stands for: points (129..141, 150), signs (152..163) and the aspect
// characters ("=", "V", "<", "*", "Q", "S", "T", ">", "B", "I", "%", "c"). Other codes give an
// empty string.
QString glyphSymbol(unsigned char code);

// A library text for display: sign glyph bytes become sign symbols, 0xB0 the degree sign, other
// bytes are read as Windows-1252.
QString libraryText(std::string_view bytes);

#endif
