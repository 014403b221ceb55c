// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing surface the wheel paints on: exactly the operations the wheel needs, so the wheel
// does not depend on one raster library.
#ifndef HELIODIAL_SURFACE_H
#define HELIODIAL_SURFACE_H

#include <QPoint>
#include <QString>
#include <cstdint>

// A colour as the settings store it: 0x00BBGGRR, red in the low byte.
using Colour = std::uint32_t;

constexpr Colour MakeColour(int red, int green, int blue) {
  return static_cast<Colour>(red & 0xFF) | static_cast<Colour>(green & 0xFF) << 8 |
         static_cast<Colour>(blue & 0xFF) << 16;
}

inline constexpr Colour kBlack = MakeColour(0, 0, 0);
inline constexpr Colour kWhite = MakeColour(255, 255, 255);
inline constexpr Colour kRed = MakeColour(255, 0, 0);
inline constexpr Colour kGreen = MakeColour(0, 255, 0);
inline constexpr Colour kBlue = MakeColour(0, 0, 255);
inline constexpr Colour kYellow = MakeColour(255, 255, 0);
// Never drawn by the wheel, so a fill bounded by it covers the whole picture.
inline constexpr Colour kSilver = MakeColour(192, 192, 192);

enum class PenStyle { Solid, Dot, Dash, DashDot, Clear };
enum class BrushStyle { Solid, Clear };
// Surface: fill the connected area that has the colour given. Border: fill up to that colour.
enum class FillMode { Surface, Border };

// Font faces the wheel asks for.
enum class FontFace { Glyph, Text };

class Surface {
 public:
  virtual ~Surface() = default;

  virtual void SetPenColour(Colour colour) = 0;
  virtual void SetPenWidth(int width) = 0;
  virtual void SetPenStyle(PenStyle style) = 0;
  virtual void SetBrushColour(Colour colour) = 0;
  virtual void SetBrushStyle(BrushStyle style) = 0;
  virtual void SetFontFace(FontFace face) = 0;
  virtual void SetFontSize(int points) = 0;
  virtual void SetFontColour(Colour colour) = 0;

  // Outlined with the pen, filled with the brush when its style is solid. Corners inclusive.
  virtual void Ellipse(int left, int top, int right, int bottom) = 0;
  virtual void MoveTo(int x, int y) = 0;
  // Draws from the current pen position and leaves the pen at (x, y).
  virtual void LineTo(int x, int y) = 0;
  virtual QPoint PenPosition() const = 0;
  virtual void TextOut(int x, int y, const QString& text) = 0;
  virtual int TextWidth(const QString& text) = 0;
  virtual int TextHeight(const QString& text) = 0;
  // Fills with the brush colour from (x, y).
  virtual void FloodFill(int x, int y, Colour colour, FillMode mode) = 0;
};

#endif
