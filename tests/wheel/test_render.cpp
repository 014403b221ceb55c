// SPDX-License-Identifier: GPL-3.0-or-later
// The wheel as pixels, drawn offscreen: background, cusps, disc, sign cells, aspect lines; the
// surface's flood fill; the glyph font; picture files.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>

#include "chart/ComputeChart.h"
#include "chart/DisplayText.h"
#include "support/application.h"
#include "wheel/DrawWheel.h"
#include "wheel/GlyphFont.h"
#include "wheel/QtSurface.h"
#include "wheel/WheelImage.h"
#include "wheel/WheelLayout.h"
#include "wheel/wheel_charts.h"

namespace {

class WheelRender : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApplication<QGuiApplication>(); }
};

constexpr int kWidth = 576;

Colour PixelColour(const QImage& image, QPoint p) {
  const QRgb rgb = image.pixel(p);
  return MakeColour(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

bool NearbyHas(const QImage& image, QPoint p, Colour colour) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (PixelColour(image, p + QPoint(dx, dy)) == colour) return true;
    }
  }
  return false;
}

TEST_F(WheelRender, BackgroundDiscAndAscendant) {
  WheelChart chart = EvenWheel();
  Settings& settings = chart.settings;
  settings.Cusps = CuspMode::Angles;
  chart.view.VOCActive = true;
  settings.DoColor = true;
  settings.VOCColor = MakeColour(200, 255, 200);
  const QImage image = RenderWheelImage(settings, chart.view, kWidth);
  ASSERT_EQ(image.width(), kWidth);
  // Corners lie outside the disc and stay white; the disc takes the void colour.
  EXPECT_EQ(PixelColour(image, {2, 2}), kWhite);
  EXPECT_EQ(PixelColour(image, {kWidth - 3, kWidth - 3}), kWhite);
  EXPECT_EQ(PixelColour(image, {288 + 40, 288 - 60}), settings.VOCColor);
  // The Ascendant cusp: red, horizontal, on the left, reaching the rim.
  for (const int x : {3, 60, 200}) EXPECT_TRUE(NearbyHas(image, {x, 288}, kRed)) << x;
  EXPECT_FALSE(NearbyHas(image, {60, 270}, kRed));
  EXPECT_NE(PixelColour(image, {60, 288}), settings.VOCColor);

  settings.DoColor = false;
  EXPECT_EQ(PixelColour(RenderWheelImage(settings, chart.view, kWidth), {288 + 40, 288 - 60}),
            kWhite);
}

// A pixel of a 576-pixel wheel at a distance from the centre (288, 288) and a screen angle in
// degrees (y growing downward), worked here.
QPoint WheelPixel(double radius, double angle) {
  const double theta = angle * std::numbers::pi / 180;
  return {288 + static_cast<int>(std::lround(radius * std::cos(theta))),
          288 + static_cast<int>(std::lround(radius * std::sin(theta)))};
}

TEST_F(WheelRender, BackgroundSignCellsFillToTheirBoundaries) {
  // The Ascendant (true longitude A) is at the left, screen angle 180, and the zodiac runs
  // counter-clockwise, so true longitude L is at screen angle 180 + A - L: sign s begins at
  // 180 + A - 30 s and fills the 30 degrees below that angle. The band of a 576-pixel wheel runs
  // from the rim (radius 288) in to radius 288 - 41 = 247 (sign band Round(Round(576 / 7) / 2)).
  // Element colours from Aries: fire red, earth green, air yellow, water blue, three times.
  const Colour elements[4] = {MakeColour(255, 0, 0), MakeColour(0, 255, 0), MakeColour(255, 255, 0),
                              MakeColour(0, 0, 255)};
  for (const double ascendant : {120.0, 137.25, 5.5, 359.0, 254.75}) {
    Chart c;
    for (int i = 1; i <= 12; ++i) c.CuspPos[i] = std::fmod(ascendant + 30.0 * (i - 1), 360.0);
    c.TruePos[13] = ascendant;
    c.HasCusps = true;
    WheelChart chart;
    chart.view = ViewForWheel(c);
    chart.settings.Glyphs = SignColouring::Background;
    chart.settings.Show.fill(false);
    const QImage image = RenderWheelImage(chart.settings, chart.view, kWidth);
    for (int sign = 0; sign < 12; ++sign) {
      const Colour own = elements[sign % 4];
      const Colour before = elements[(sign + 11) % 4];
      const double boundary = 180 + ascendant - 30.0 * sign;
      // Either side of the boundary at the middle of the band.
      EXPECT_EQ(PixelColour(image, WheelPixel(267.5, boundary - 1)), own)
          << "ascendant " << ascendant << " sign " << sign << " at its start";
      EXPECT_EQ(PixelColour(image, WheelPixel(267.5, boundary + 1)), before)
          << "ascendant " << ascendant << " sign " << sign << " before its start";
      // Just inside the rim and just outside the inner edge (whose circle is drawn again two
      // pixels wide at the end), away from the glyph.
      for (const double along : {7.0, 23.0}) {
        for (const double radius : {285.0, 251.0}) {
          EXPECT_EQ(PixelColour(image, WheelPixel(radius, boundary - along)), own)
              << "ascendant " << ascendant << " sign " << sign << " radius " << radius;
        }
      }
    }
  }
}

TEST_F(WheelRender, BackgroundSignCellsKeepTheirColourEveryMinuteOfADay) {
  // The Ascendant turns once a day, so a day of minutes puts the sign boundaries at 1440 angles.
  // A boundary that leaves a pixel open lets one cell's fill run on into the next. Only the band
  // is drawn: no planets, cusps or aspect lines. Each cell is looked at on its middle longitude,
  // either side of its glyph, at the middle of the band; the angles are worked here as in the
  // test above, from the Ascendant's true longitude.
  const Colour elements[4] = {kRed, kGreen, kYellow, kBlue};
  Settings settings;
  settings.LatDeg = 51;
  settings.LatMin = 30;
  settings.LongMin = 7;
  settings.Glyphs = SignColouring::Background;
  settings.Show.fill(false);
  const TheoryTable theory = InitialTheoryTable();
  const QDate day(2026, 12, 9);
  int wrong = 0;
  for (int minute = 0; minute < 24 * 60 && wrong < 6; ++minute) {
    const Chart chart = ComputeChart(settings, theory, day, QTime(minute / 60, minute % 60));
    const WheelView view = ViewForWheel(chart);
    // The fill works on device pixels: the scale factors of a desktop give other pixels than
    // the same wheel at twice the size.
    for (const auto& [width, ratio] : {std::pair{576, 1.0}, {578, 2.0}, {578, 1.5}}) {
      const QImage image = RenderWheelImage(settings, view, width, ratio);
      const int band = static_cast<int>(std::nearbyint(std::nearbyint(width / 7.0) / 2));
      const double middle = width / 2.0 - band / 2.0;
      for (int sign = 0; sign < 12; ++sign) {
        const double angle = 180 + chart.CuspPos[1] - 30.0 * sign - 15;
        for (const double side : {-9.0, 9.0}) {
          const double theta = (angle + side) * std::numbers::pi / 180;
          const QPoint at(width / 2 + static_cast<int>(std::lround(middle * std::cos(theta))),
                          width / 2 + static_cast<int>(std::lround(middle * std::sin(theta))));
          if (PixelColour(image, QPoint(std::floor(at.x() * ratio), std::floor(at.y() * ratio))) ==
              elements[sign % 4]) {
            continue;
          }
          ++wrong;
          ADD_FAILURE() << "width " << width << " ratio " << ratio << " at " << minute / 60 << ":"
                        << minute % 60 << " sign " << sign << " side " << side;
        }
      }
    }
  }
}

TEST_F(WheelRender, AspectLineColourAndNoCustomLine) {
  WheelChart chart = EvenWheel();
  Settings& settings = chart.settings;
  settings.AspectLines = true;
  settings.Show.fill(false);  // keep glyphs off the lines
  const Colour trine = MakeColour(0, 128, 255);
  const Colour custom = MakeColour(255, 0, 255);
  settings.LineColor[6] = static_cast<std::int32_t>(trine);
  settings.LineStyle[6] = AspectLineStyle::Solid;
  settings.LineColor[11] = static_cast<std::int32_t>(custom);
  settings.LineStyle[11] = AspectLineStyle::Solid;
  chart.view.PairString = std::string(90, ' ');
  chart.view.PairString[0] = 'T';   // (1, 2)
  chart.view.PairString[25] = 'c';  // (3, 4)
  const QImage image = RenderWheelImage(settings, chart.view, kWidth);
  // The line's ends by hand: the Ascendant's sign at 120 gives the sign shift 8; the Sun at 25
  // and the Moon at 50 land on 360 - (25 + 180 + 240 - 360) = 275 and 250 degrees, at radius
  // 288 - (123 + 41) - 2 = 122 (aspect inset Trunc(82 x 1.5) = 123, sign band 41).
  const QPoint middle = (WheelPixel(122, 275) + WheelPixel(122, 250)) / 2;
  EXPECT_TRUE(NearbyHas(image, middle, trine));
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      ASSERT_NE(PixelColour(image, {x, y}), custom) << x << "," << y;
    }
  }
}

TEST_F(WheelRender, RedrawingLeavesNothingOfTheLastWheel) {
  // A crowded wheel with coloured sign cells and aspect lines, then a plain one on the same
  // picture: nothing green, yellow or blue (cells, lines) may remain, and the cells are white.
  const WheelChart first = CrowdedWheel();
  const WheelChart second = EvenWheel();
  QImage image(kWidth, kWidth, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QtSurface surface(image);
    DrawWheel(surface, first.settings, first.view, kWidth);
    DrawWheel(surface, second.settings, second.view, kWidth);
  }
  for (int y = 0; y < kWidth; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Colour c = PixelColour(image, {x, y});
      ASSERT_TRUE(c != kGreen && c != kYellow && c != kBlue) << x << "," << y;
    }
  }
  const WheelSizes sizes = ComputeWheelSizes(kWidth, false, second.settings.Size);
  const double middle = sizes.c - sizes.SignBand / 2.0;
  for (int sign = 0; sign < 12; ++sign) {
    const double angle = SignGlyphAngle(sign, SignShift(second.view.CuspPos[1]), 0.0);
    EXPECT_EQ(PixelColour(image, PolarPoint(sizes.c, sizes.c, middle, angle + 9)), kWhite) << sign;
  }
}

TEST_F(WheelRender, CaptionIsTheTime) {
  QImage image(100, 100, QImage::Format_RGB32);
  image.fill(Qt::white);
  QtSurface surface(image);
  const WheelChart chart = EvenWheel();
  EXPECT_EQ(DrawWheel(surface, chart.settings, chart.view, 100, QTime(7, 5)),
            QStringLiteral("Heliodial 07:05"));
}

TEST_F(WheelRender, FloodFillSurfaceAndBorderModes) {
  for (const qreal ratio : {1.0, 2.0}) {
    SCOPED_TRACE(ratio);
    QImage image(qRound(40 * ratio), qRound(40 * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    auto at = [&](int x, int y) { return PixelColour(image, QPoint(x, y) * ratio); };
    QtSurface surface(image);
    surface.SetPenColour(kBlack);
    surface.SetBrushStyle(BrushStyle::Clear);
    surface.Ellipse(5, 5, 35, 35);
    surface.SetPenColour(kGreen);
    surface.MoveTo(20, 12);
    surface.LineTo(20, 28);
    // Surface mode fills the white inside, around the green line, and stops at the circle.
    surface.SetBrushColour(kBlue);
    surface.FloodFill(15, 20, kWhite, FillMode::Surface);
    EXPECT_EQ(at(25, 20), kBlue);
    EXPECT_EQ(at(1, 1), kWhite);
    // Border mode goes over every colour but the border: the green line becomes red too.
    surface.SetBrushColour(kRed);
    surface.FloodFill(25, 20, kBlack, FillMode::Border);
    for (int x = 10; x <= 30; ++x) EXPECT_EQ(at(x, 20), kRed) << x;
    EXPECT_EQ(at(1, 1), kWhite);
    EXPECT_EQ(at(38, 20), kWhite);
  }
}

TEST_F(WheelRender, FloodFillSurfaceModeKeepsToItsColour) {
  QImage image(30, 30, QImage::Format_RGB32);
  image.fill(Qt::white);
  QtSurface surface(image);
  surface.SetPenColour(kGreen);
  surface.MoveTo(10, 0);
  surface.LineTo(10, 30);
  surface.SetBrushColour(kBlue);
  surface.FloodFill(5, 5, kWhite, FillMode::Surface);
  surface.FloodFill(5, 5, kBlack, FillMode::Surface);  // the seed is not black: nothing happens
  EXPECT_EQ(PixelColour(image, {5, 5}), kBlue);
  EXPECT_EQ(PixelColour(image, {10, 5}), kGreen);
  EXPECT_EQ(PixelColour(image, {20, 5}), kWhite);
  surface.FloodFill(-1, 5, kWhite, FillMode::Surface);  // off the picture: ignored
}

TEST_F(WheelRender, EveryWheelGlyphHasItsSymbolInTheFont) {
  ASSERT_FALSE(GlyphFontFamilies().isEmpty());
  for (const unsigned char code : WheelGlyphCodes()) {
    const QString symbol = glyphSymbol(code);
    EXPECT_FALSE(symbol.isEmpty()) << int(code);
    EXPECT_TRUE(GlyphFontHas(symbol)) << int(code) << " " << symbol.toStdString();
  }
  EXPECT_TRUE(GlyphFontHas(QStringLiteral("0123456789 Rs")));
}

TEST_F(WheelRender, PictureFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  WheelChart chart = EvenWheel();
  chart.settings.Glyphs = SignColouring::Background;
  const Settings& settings = chart.settings;
  const WheelView& view = chart.view;
  QString error;
  const QString png = dir.filePath(QStringLiteral("wheel.png"));
  ASSERT_TRUE(WriteWheelImage(settings, view, png, 300, &error, 2.0)) << error.toStdString();
  EXPECT_EQ(QImage(png).size(), QSize(600, 600));

  const QString svg = dir.filePath(QStringLiteral("wheel.SVG"));
  ASSERT_TRUE(WriteWheelImage(settings, view, svg, 300, &error)) << error.toStdString();
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.contains("<svg"));
  EXPECT_TRUE(text.contains("<path"));

  EXPECT_FALSE(
      WriteWheelImage(settings, view, dir.filePath(QStringLiteral("wheel.jpg")), 300, &error));
  EXPECT_TRUE(error.contains(QStringLiteral(".png or .svg")));
  EXPECT_FALSE(WriteWheelImage(settings, view, png, 0, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("size 0")));
  EXPECT_FALSE(WriteWheelImage(settings, view, dir.filePath(QStringLiteral("missing/wheel.png")),
                               300, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("missing/wheel.png")));
}

}  // namespace
