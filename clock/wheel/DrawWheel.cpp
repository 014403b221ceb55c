// SPDX-License-Identifier: GPL-3.0-or-later
#include "wheel/DrawWheel.h"

#include <string>

#include "chart/DisplayText.h"
#include "wheel/WheelLayout.h"

namespace {

// Characters first..first+count-1 (counted from 1) of a position text, for display.
QString PositionChars(const std::string& text, std::size_t first, std::size_t count) {
  if (text.size() < first) return {};
  return libraryText(std::string_view(text).substr(first - 1, count));
}

// Text centred on a point: half its extent, truncated, off the point to its top-left corner.
void CentredText(Surface& surface, QPoint centre, const QString& text) {
  const int width = surface.TextWidth(text);
  const int height = surface.TextHeight(text);
  surface.TextOut(centre.x() - width / 2, centre.y() - height / 2, text);
}

void Circle(Surface& surface, int width, int inset) {
  surface.Ellipse(inset, inset, width - inset, width - inset);
}

void Ray(Surface& surface, int centre, double angle, int from, int to) {
  const QPoint start = PolarPoint(centre, centre, from, angle);
  const QPoint end = PolarPoint(centre, centre, to, angle);
  surface.MoveTo(start.x(), start.y());
  surface.LineTo(end.x(), end.y());
}

double Wrap360(double angle) { return angle > 360 ? angle - 360 : angle; }

void DrawSignBoundaries(Surface& surface, const WheelSizes& z, double wheelOffset) {
  surface.SetPenWidth(1);
  const int inner = RoundEven((z.W - 2.0L * z.SignBand) / 2);
  const int outer = RoundEven(z.W / 2.0L);
  for (int i = 1; i <= 12; ++i) Ray(surface, z.c, Wrap360(30.0 * i + wheelOffset), inner, outer);
}

void DrawTicks(Surface& surface, const WheelSizes& z, double wheelOffset) {
  Circle(surface, z.W, z.SignBand + z.TickBand);
  const int inner = RoundEven((z.W - 2.0L * (z.SignBand + z.TickBand)) / 2);
  const int outer = RoundEven((z.W - 2.0L * z.SignBand) / 2) - 1;
  for (int i = 0; i <= 360; ++i) {
    surface.SetPenWidth(i % 5 == 0 ? 2 : 1);
    Ray(surface, z.c, Wrap360(i + wheelOffset), inner, outer);
  }
}

void DrawPlanets(Surface& surface, const Settings& settings, const WheelView& view,
                 const WheelSizes& z, int shift) {
  surface.SetFontFace(FontFace::Glyph);
  surface.SetFontColour(static_cast<Colour>(settings.Color));
  surface.SetBrushStyle(BrushStyle::Clear);
  surface.SetFontSize(z.GlyphSize);

  const std::array<double, kPointCount + 1> display =
      SpreadLongitudes(view.Pos, PointDrawn(settings, kMidheaven));
  // Label distances from the label centre; glyphs and pointers are placed around (c, c).
  auto labelAt = [&](double longitude, int radius, const QString& text) {
    const int distance = z.f - z.PlanetInset - radius;
    CentredText(surface, PolarPoint(z.f, z.f, distance, ScreenAngle(longitude, shift)), text);
  };

  for (int j = 1; j <= kPointCount; ++j) {
    if (!PointDrawn(settings, j)) continue;
    const double trueAngle = ScreenAngle(view.Pos[j], shift);
    const double shownAngle = ScreenAngle(display[j], shift);

    surface.SetPenWidth(1);
    surface.SetPenColour(kRed);
    const QPoint from = PolarPoint(z.c, z.c, z.c - z.PlanetInset, trueAngle);
    const QPoint to = PolarPoint(z.c, z.c, z.c - 6 - z.PlanetInset, shownAngle);
    surface.MoveTo(from.x(), from.y());
    surface.LineTo(to.x(), to.y());
    surface.SetPenColour(kBlack);

    surface.SetFontSize(z.GlyphSize);
    CentredText(surface, PolarPoint(z.c, z.c, z.c - z.PlanetInset - z.R19, shownAngle),
                glyphSymbol(pointGlyphCode(j)));

    const std::string& position = view.PlanetSign[j];
    const QString motion = PositionChars(position, 9, 1);
    if (settings.Annotate) {
      labelAt(display[j], z.R46, PositionChars(position, 1, 2));
      surface.SetFontSize(z.SmallSize);
      if (settings.AnnotateMin) {
        labelAt(display[j], z.R65, PositionChars(position, 6, 2));
        labelAt(display[j], z.R80, motion);
      } else {
        labelAt(display[j], z.R65, motion);
      }
    } else {
      CentredText(surface, PolarPoint(z.c, z.c, z.c - z.PlanetInset - z.R46, shownAngle), motion);
    }
  }
}

void DrawSignGlyphs(Surface& surface, const Settings& settings, const WheelView& view,
                    const WheelSizes& z, int shift) {
  surface.SetFontFace(FontFace::Glyph);
  surface.SetBrushStyle(BrushStyle::Clear);
  surface.SetFontSize(z.SignSize);
  const int half = RoundEven(z.W / 2.0L);
  const int radius = half - half / 14;
  for (int i = 0; i < kSignCount; ++i) {
    const QPoint centre = PolarPoint(z.c, z.c, radius, SignGlyphAngle(i, shift, view.WheelOffset));
    surface.SetFontColour(settings.Glyphs == SignColouring::Glyphs ? ElementColour(i) : kBlack);
    if (settings.Glyphs == SignColouring::Background) {
      surface.SetBrushColour(ElementColour(i));
      surface.SetBrushStyle(BrushStyle::Solid);
      surface.FloodFill(centre.x(), centre.y(), kBlack, FillMode::Border);
    }
    surface.SetBrushStyle(BrushStyle::Clear);  // glyphs over the cell, no background box
    CentredText(surface, centre, glyphSymbol(static_cast<unsigned char>(kFirstSignGlyph + i)));
  }
}

void DrawCusps(Surface& surface, const Settings& settings, const WheelView& view,
               const WheelSizes& z, int shift) {
  surface.SetFontFace(FontFace::Glyph);
  for (const CuspMark& mark : CuspMarks(settings, view, z)) {
    surface.SetPenColour(mark.colour);
    surface.SetPenWidth(mark.penWidth);
    Ray(surface, z.c, mark.angle, mark.innerRadius, mark.outerRadius);
    surface.SetFontSize(z.HouseNumSize);
    const double angle = ScreenAngle(mark.numberLongitude, shift);
    CentredText(surface, PolarPoint(z.f, z.f, mark.numberDistance, angle),
                QString::number(mark.houseNumber));
  }
}

void DrawAspectLines(Surface& surface, const Settings& settings, const WheelView& view,
                     const WheelSizes& z) {
  for (const AspectStroke& stroke : AspectStrokes(settings, view, z)) {
    surface.SetPenColour(stroke.colour);
    switch (stroke.style) {
      case AspectLineStyle::None:
        surface.SetPenStyle(PenStyle::Clear);
        break;
      case AspectLineStyle::Solid:
        surface.SetPenStyle(PenStyle::Solid);
        break;
      case AspectLineStyle::Dot:
        surface.SetPenStyle(PenStyle::Dot);
        break;
      case AspectLineStyle::Dash:
        surface.SetPenStyle(PenStyle::Dash);
        break;
      case AspectLineStyle::DashDot:
        surface.SetPenStyle(PenStyle::DashDot);
        break;
      default:
        break;  // an unknown style keeps the pen as the previous line left it
    }
    surface.MoveTo(stroke.a.x(), stroke.a.y());
    surface.LineTo(stroke.b.x(), stroke.b.y());
  }
}

}  // namespace

void PrepareBackground(Surface& surface) {
  surface.SetBrushColour(kWhite);
  surface.SetBrushStyle(BrushStyle::Solid);
  surface.FloodFill(1, 1, kSilver, FillMode::Border);
  surface.SetPenStyle(PenStyle::Solid);
}

QString DrawWheel(Surface& surface, const Settings& given, const WheelView& view, int width,
                  const QTime& now) {
  // A Chiron the ephemeris files do not cover has no place to be drawn at.
  Settings withoutChiron;
  if (view.ChironMissing) {
    withoutChiron = given;
    withoutChiron.Show[12] = false;
  }
  const Settings& settings = view.ChironMissing ? withoutChiron : given;
  const WheelSizes z = ComputeWheelSizes(width, settings.AspectLines, settings.Size);
  const int shift = SignShift(view.CuspPos[1]);

  // 1. Background, glyph font and the disc's colour. Nothing here yields to the window system:
  // a drawing takes a few milliseconds, and a yield would let a tick start in the middle of it.
  PrepareBackground(surface);
  surface.SetFontFace(FontFace::Glyph);
  surface.SetFontColour(static_cast<Colour>(settings.Color));
  surface.SetBrushColour(DiscColour(settings, view));
  surface.SetBrushStyle(BrushStyle::Solid);
  surface.SetPenColour(kBlack);
  surface.SetFontSize(z.GlyphSize);

  // 2.-4. The filled disc, the sign band and its boundaries, the degree ticks.
  surface.SetPenWidth(1);
  Circle(surface, z.W, 0);
  Circle(surface, z.W, z.SignBand);
  DrawSignBoundaries(surface, z, view.WheelOffset);
  DrawTicks(surface, z, view.WheelOffset);

  // 5.-7. Planets, sign glyphs, the inner edge of the planet ring.
  DrawPlanets(surface, settings, view, z, shift);
  DrawSignGlyphs(surface, settings, view, z, shift);
  surface.SetPenWidth(2);
  Circle(surface, z.W, z.SignBand + z.PlanetRing);

  // 8.-9. House cusps, then the aspect circle and its lines.
  if (settings.Cusps != CuspMode::None) DrawCusps(surface, settings, view, z, shift);
  if (z.AspectInset > 0) {
    surface.SetPenWidth(2);
    Circle(surface, z.W, z.AspectInset + z.SignBand);
    surface.SetPenWidth(1);
    DrawAspectLines(surface, settings, view, z);
  }

  // 10. The ring edges again, over the cusp and aspect lines.
  surface.SetPenColour(kBlack);
  surface.SetPenWidth(2);
  Circle(surface, z.W, z.SignBand + z.PlanetRing);
  Circle(surface, z.W, z.AspectInset + z.SignBand);

  return QStringLiteral("Heliodial ") + now.toString(QStringLiteral("hh:mm"));
}
