// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing surface on a QPainter over a QImage. Lines and ellipses are drawn without
// antialiasing, so the outlines that bound a flood fill are closed to a four-way fill; text is
// antialiased. A thin line may leave out the pixel at either end, as QPainter draws it; a fill
// bounded by the line's colour still treats those pixels as the line's (see FloodFill).
#ifndef HELIODIAL_QTSURFACE_H
#define HELIODIAL_QTSURFACE_H

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <memory>
#include <optional>
#include <vector>

#include "wheel/Surface.h"

class QtSurface final : public Surface {
 public:
  // Draws on image in its device-independent pixels (the image's device-pixel ratio scales
  // them). With a mirror device (an SVG generator), every operation is repeated there; a flood
  // fill is worked out on the image and the mirror gets the filled region as a path, since a
  // vector picture has no pixels to fill. An image not in a 32-bit RGB format is converted.
  explicit QtSurface(QImage& image, QPaintDevice* mirror = nullptr);
  ~QtSurface() override;
  QtSurface(const QtSurface&) = delete;
  QtSurface& operator=(const QtSurface&) = delete;

  void SetPenColour(Colour colour) override;
  void SetPenWidth(int width) override;
  void SetPenStyle(PenStyle style) override;
  void SetBrushColour(Colour colour) override;
  void SetBrushStyle(BrushStyle style) override;
  void SetFontFace(FontFace face) override;
  void SetFontSize(int points) override;
  void SetFontColour(Colour colour) override;

  void Ellipse(int left, int top, int right, int bottom) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  QPoint PenPosition() const override;
  void TextOut(int x, int y, const QString& text) override;
  int TextWidth(const QString& text) override;
  int TextHeight(const QString& text) override;
  // A border fill stops at the boundary colour and at the end pixels of every thin solid line
  // drawn in that colour on unscaled pixels since the picture was last filled whole. The raster
  // leaves out the last pixel of such a line, and the first too where the line leaves it through a
  // corner (a line at 45 degrees); where the line ends on a curve, that pixel can be the one gap
  // through which a four-way fill runs on into the next cell. The fill paints such a pixel but goes
  // no further from it, so a fill that never reached a gap leaves the picture as it was.
  void FloodFill(int x, int y, Colour colour, FillMode mode) override;

 private:
  void ApplyPen();
  void ApplyBrush();
  // The font for a text: the glyph face picks its families by what the text holds.
  struct FontChoice {
    QFont font;
    QFontMetrics metrics;
  };
  const FontChoice& FontFor(const QString& text);
  void ClearReservedColour(const QRect& area);
  // Four-way scanline fill from a seed over the pixels fills accepts; records the filled spans.
  // A pixel sealed accepts is painted but the fill goes on from it to no neighbour.
  template <class Fills, class Sealed>
  void FillSpans(int startX, int startY, QRgb paint, Fills fills, Sealed sealed,
                 std::vector<QRect>& spans);
  // The pixels of the line ends drawn in the colour key that are not of that colour now.
  std::vector<QPoint> LineEndsOfColour(QRgb key) const;

  QImage& image_;
  QPainter raster_;
  std::unique_ptr<QPainter> mirror_;

  Colour penColour_ = kBlack;
  int penWidth_ = 1;
  PenStyle penStyle_ = PenStyle::Solid;
  Colour brushColour_ = kWhite;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  FontFace face_ = FontFace::Glyph;
  int fontPoints_ = 10;
  Colour fontColour_ = kBlack;
  bool penDirty_ = true;
  bool brushDirty_ = true;
  std::optional<FontChoice> fonts_[2];  // by IsSignText; reset when face or size change
  QPoint penPosition_;
  std::vector<unsigned char> visited_;  // flood-fill marks, cleared after each fill
  // The pixel at one end of a thin solid line, and the line's colour.
  struct LineEnd {
    QPoint pixel;
    QRgb colour;
  };
  std::vector<LineEnd> lineEnds_;      // since the picture was last filled whole
  std::vector<unsigned char> sealed_;  // the ends that bound the current fill, cleared after it
};

#endif
