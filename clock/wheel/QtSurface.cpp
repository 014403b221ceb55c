// SPDX-License-Identifier: GPL-3.0-or-later
#include "wheel/QtSurface.h"

#include <QPainterPath>
#include <QRegion>
#include <cmath>

#include "wheel/GlyphFont.h"

namespace {

QColor ToQColor(Colour colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

// The image's pixel value (0x00RRGGBB once alpha is masked) for a colour.
QRgb ToRgb(Colour colour) { return ToQColor(colour).rgb() & 0x00FFFFFFu; }

Qt::PenStyle ToQtPenStyle(PenStyle style) {
  switch (style) {
    case PenStyle::Solid:
      return Qt::SolidLine;
    case PenStyle::Dot:
      return Qt::DotLine;
    case PenStyle::Dash:
      return Qt::DashLine;
    case PenStyle::DashDot:
      return Qt::DashDotLine;
    case PenStyle::Clear:
      return Qt::NoPen;
  }
  return Qt::SolidLine;
}

bool ContainsColour(const QImage& image, QRgb colour) {
  const int width = image.width();
  const int height = image.height();
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    bool found = false;
    for (int x = 0; x < width; ++x) found |= (line[x] & 0x00FFFFFFu) == colour;
    if (found) return true;
  }
  return false;
}

}  // namespace

QtSurface::QtSurface(QImage& image, QPaintDevice* mirror) : image_(image) {
  if (image_.format() != QImage::Format_RGB32 && image_.format() != QImage::Format_ARGB32 &&
      image_.format() != QImage::Format_ARGB32_Premultiplied) {
    const qreal ratio = image_.devicePixelRatio();
    image_ = image_.convertToFormat(QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
  }
  raster_.begin(&image_);
  raster_.setRenderHint(QPainter::Antialiasing, false);
  raster_.setRenderHint(QPainter::TextAntialiasing, true);
  if (mirror != nullptr) {
    mirror_ = std::make_unique<QPainter>(mirror);
    mirror_->setRenderHint(QPainter::Antialiasing, true);
  }
}

QtSurface::~QtSurface() {
  if (mirror_) mirror_->end();
  raster_.end();
}

void QtSurface::SetPenColour(Colour colour) {
  penColour_ = colour;
  penDirty_ = true;
}

void QtSurface::SetPenWidth(int width) {
  penWidth_ = width;
  penDirty_ = true;
}

void QtSurface::SetPenStyle(PenStyle style) {
  penStyle_ = style;
  penDirty_ = true;
}

void QtSurface::SetBrushColour(Colour colour) {
  brushColour_ = colour;
  brushDirty_ = true;
}

void QtSurface::SetBrushStyle(BrushStyle style) {
  brushStyle_ = style;
  brushDirty_ = true;
}

void QtSurface::SetFontFace(FontFace face) {
  if (face == face_) return;
  face_ = face;
  fonts_[0].reset();
  fonts_[1].reset();
}

void QtSurface::SetFontSize(int points) {
  if (points == fontPoints_) return;
  fontPoints_ = points;
  fonts_[0].reset();
  fonts_[1].reset();
}

void QtSurface::SetFontColour(Colour colour) { fontColour_ = colour; }

void QtSurface::ApplyPen() {
  if (!penDirty_) return;
  // Patterns apply to thin pens only; a wider patterned pen draws solid.
  const PenStyle style =
      penWidth_ > 1 && penStyle_ != PenStyle::Clear ? PenStyle::Solid : penStyle_;
  QPen pen(ToQColor(penColour_), std::max(1, penWidth_), ToQtPenStyle(style),
           penWidth_ > 1 ? Qt::RoundCap : Qt::FlatCap, Qt::RoundJoin);
  if (mirror_) mirror_->setPen(pen);
  // On scaled pixels a one-pixel line is stroked as an outline whose flat end can stop a device
  // pixel short of the circle it runs into, which opens the sign cell it bounds to the next
  // cell's fill. A square end reaches half the pen's width on, inside that circle's own stroke.
  if (style == PenStyle::Solid && penWidth_ <= 1 && image_.devicePixelRatio() != 1) {
    pen.setCapStyle(Qt::SquareCap);
  }
  raster_.setPen(pen);
  penDirty_ = false;
}

void QtSurface::ApplyBrush() {
  if (!brushDirty_) return;
  const QBrush brush =
      brushStyle_ == BrushStyle::Solid ? QBrush(ToQColor(brushColour_)) : QBrush(Qt::NoBrush);
  raster_.setBrush(brush);
  if (mirror_) mirror_->setBrush(brush);
  brushDirty_ = false;
}

const QtSurface::FontChoice& QtSurface::FontFor(const QString& text) {
  const bool signs = face_ == FontFace::Glyph && IsSignText(text);
  std::optional<FontChoice>& slot = fonts_[signs ? 1 : 0];
  if (!slot) {
    const QFont font =
        face_ == FontFace::Glyph ? GlyphFont(fontPoints_, text) : TextFont(fontPoints_);
    slot.emplace(FontChoice{font, QFontMetrics(font)});
  }
  return *slot;
}

void QtSurface::Ellipse(int left, int top, int right, int bottom) {
  ApplyPen();
  ApplyBrush();
  // The right and bottom edges lie just outside the shape, as the bounding box of a region.
  const QRectF box(left, top, right - left - 1, bottom - top - 1);
  raster_.drawEllipse(box);
  if (mirror_) mirror_->drawEllipse(box);
}

void QtSurface::MoveTo(int x, int y) { penPosition_ = QPoint(x, y); }

void QtSurface::LineTo(int x, int y) {
  ApplyPen();
  const QPoint from = penPosition_;
  const QPoint to(x, y);
  raster_.drawLine(from, to);
  if (mirror_) mirror_->drawLine(from, to);
  penPosition_ = to;
  // Only a one-pixel pen on unscaled pixels leaves its end pixels out; a wider or scaled pen is
  // stroked as an outline that takes in its ends, and a patterned line bounds no fill anyway.
  if (penWidth_ <= 1 && penStyle_ == PenStyle::Solid && image_.devicePixelRatio() == 1) {
    const QRgb colour = ToRgb(penColour_);
    lineEnds_.push_back({from, colour});
    lineEnds_.push_back({to, colour});
  }
}

QPoint QtSurface::PenPosition() const { return penPosition_; }

void QtSurface::TextOut(int x, int y, const QString& text) {
  const FontChoice& choice = FontFor(text);
  const int baseline = y + choice.metrics.ascent();
  const QColor colour = ToQColor(fontColour_);
  raster_.save();
  raster_.setFont(choice.font);
  raster_.setPen(colour);
  raster_.drawText(x, baseline, text);
  raster_.restore();
  ClearReservedColour(choice.metrics.boundingRect(text).translated(x, baseline));
  if (mirror_) {
    // As outlines, so the picture does not depend on the viewer having the symbol fonts.
    QPainterPath path;
    path.addText(x, baseline, choice.font, text);
    mirror_->fillPath(path, colour);
  }
}

int QtSurface::TextWidth(const QString& text) {
  return FontFor(text).metrics.horizontalAdvance(text);
}

int QtSurface::TextHeight(const QString& text) { return FontFor(text).metrics.height(); }

void QtSurface::FloodFill(int x, int y, Colour colour, FillMode mode) {
  const qreal ratio = image_.devicePixelRatio();
  const int width = image_.width();
  const int height = image_.height();
  const int startX = static_cast<int>(std::floor(x * ratio));
  const int startY = static_cast<int>(std::floor(y * ratio));
  if (startX < 0 || startY < 0 || startX >= width || startY >= height) return;

  const QRgb key = ToRgb(colour);
  const QRgb paint = ToQColor(brushColour_).rgb();
  const bool surfaceMode = mode == FillMode::Surface;
  auto fills = [&](QRgb pixel) { return ((pixel & 0x00FFFFFFu) == key) == surfaceMode; };
  auto row = [&](int ry) { return reinterpret_cast<const QRgb*>(image_.constScanLine(ry)); };

  if (!fills(row(startY)[startX])) return;

  std::vector<QRect> spans;
  // Most fills are the background's: bounded by a colour the picture lacks, they cover it all.
  if (!surfaceMode && !ContainsColour(image_, key)) {
    image_.fill(paint);
    spans.emplace_back(0, 0, width, height);
    lineEnds_.clear();  // painted over with the rest
  } else {
    const std::vector<QPoint> ends = surfaceMode ? std::vector<QPoint>() : LineEndsOfColour(key);
    if (ends.empty()) {
      FillSpans(
          startX, startY, paint, fills, [](int, int) { return false; }, spans);
    } else {
      sealed_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
      auto at = [width](int px, int py) {
        return static_cast<std::size_t>(py) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(px);
      };
      // The fill starts wherever it is asked to, even on a line's end.
      for (const QPoint end : ends) sealed_[at(end.x(), end.y())] = 1;
      sealed_[at(startX, startY)] = 0;
      FillSpans(
          startX, startY, paint, fills, [&](int px, int py) { return sealed_[at(px, py)] != 0; },
          spans);
      for (const QPoint end : ends) sealed_[at(end.x(), end.y())] = 0;
    }
  }

  if (mirror_) {
    QRegion region;
    region.setRects(spans.data(), static_cast<int>(spans.size()));
    QPainterPath path;
    path.addRegion(region);
    mirror_->save();
    mirror_->scale(1 / ratio, 1 / ratio);
    mirror_->fillPath(path.simplified(), ToQColor(brushColour_));
    mirror_->restore();
  }
}

void QtSurface::ClearReservedColour(const QRect& area) {
  // Antialiased edges can hit the background fill's boundary colour exactly; one step lighter
  // looks the same and lets the next background fill take its whole-picture shortcut.
  const qreal ratio = image_.devicePixelRatio();
  const QRect pixels = QRect(QPoint(static_cast<int>(std::floor((area.left() - 2) * ratio)),
                                    static_cast<int>(std::floor((area.top() - 2) * ratio))),
                             QPoint(static_cast<int>(std::ceil((area.right() + 2) * ratio)),
                                    static_cast<int>(std::ceil((area.bottom() + 2) * ratio))))
                           .intersected(image_.rect());
  const QRgb reserved = ToRgb(kSilver);
  const QRgb lighter = ToQColor(MakeColour(193, 193, 193)).rgb();
  for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = pixels.left(); x <= pixels.right(); ++x) {
      if ((line[x] & 0x00FFFFFFu) == reserved) line[x] = lighter;
    }
  }
}

std::vector<QPoint> QtSurface::LineEndsOfColour(QRgb key) const {
  std::vector<QPoint> ends;
  for (const LineEnd& end : lineEnds_) {
    if (end.colour != key) continue;
    if (!image_.rect().contains(end.pixel)) continue;
    if ((image_.pixel(end.pixel) & 0x00FFFFFFu) != key) ends.push_back(end.pixel);
  }
  return ends;
}

template <class Fills, class Sealed>
void QtSurface::FillSpans(int startX, int startY, QRgb paint, Fills fills, Sealed sealed,
                          std::vector<QRect>& spans) {
  struct Seed {
    int x;
    int y;
  };
  const int width = image_.width();
  const int height = image_.height();
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  visited_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  auto pixels = [&](int y) { return reinterpret_cast<QRgb*>(bits + y * stride); };
  auto marks = [&](int y) { return visited_.data() + static_cast<std::size_t>(y) * width; };

  std::vector<Seed> stack{{startX, startY}};
  while (!stack.empty()) {
    const Seed seed = stack.back();
    stack.pop_back();
    QRgb* line = pixels(seed.y);
    unsigned char* seen = marks(seed.y);
    if (seen[seed.x] || !fills(line[seed.x])) continue;
    int left = seed.x;
    int right = seed.x;
    const bool sealedSeed = sealed(seed.x, seed.y);
    // A span ends on a sealed pixel, taking it in.
    while (!sealedSeed && left > 0 && !seen[left - 1] && fills(line[left - 1])) {
      if (sealed(--left, seed.y)) break;
    }
    while (!sealedSeed && right < width - 1 && !seen[right + 1] && fills(line[right + 1])) {
      if (sealed(++right, seed.y)) break;
    }
    std::fill(line + left, line + right + 1, paint);
    std::fill(seen + left, seen + right + 1, 1);
    spans.emplace_back(left, seed.y, right - left + 1, 1);
    if (sealedSeed) continue;
    // Only the span's open pixels pass the fill up and down; a sealed pixel met there is a span
    // of its own, so the run beyond it gets a seed too.
    const int from = sealed(left, seed.y) ? left + 1 : left;
    const int to = sealed(right, seed.y) ? right - 1 : right;
    for (const int y : {seed.y - 1, seed.y + 1}) {
      if (y < 0 || y >= height) continue;
      const QRgb* next = pixels(y);
      const unsigned char* nextSeen = marks(y);
      bool inRun = false;
      for (int x = from; x <= to; ++x) {
        const bool open = !nextSeen[x] && fills(next[x]);
        const bool end = open && sealed(x, y);
        if (open && (!inRun || end)) stack.push_back({x, y});
        inRun = open && !end;
      }
    }
  }
  // Clear only what this fill marked, so the next fill starts clean without a full reset.
  for (const QRect& span : spans) {
    std::fill_n(marks(span.y()) + span.x(), span.width(), 0);
  }
}
