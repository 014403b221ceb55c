// The wheel as pixels, drawn offscreen: background, cusps, disc, sign cells, aspect lines; the
// surface's flood fill; the glyph font; picture files.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>

#include "chart/DisplayText.h"
#include "wheel/DrawWheel.h"
#include "wheel/GlyphFont.h"
#include "wheel/QtSurface.h"
#include "wheel/WheelImage.h"
#include "wheel/WheelLayout.h"

namespace {

class WheelRender : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "wheel_test";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) app_ = new QGuiApplication(argc, argv);
  }
  static QGuiApplication* app_;
};

QGuiApplication* WheelRender::app_ = nullptr;

constexpr int kWidth = 576;

// The chart of the layout tests: Ascendant at 120 on the left, equal houses, points 25 apart.
ClockState Chart() {
  ClockState state;
  for (int i = 1; i <= 12; ++i) state.CuspPos[i] = std::fmod(120.0 + 30.0 * (i - 1), 360.0);
  for (int j = 1; j <= kPointCount; ++j) {
    state.Pos[j] = 25.0 * j;
    state.PlanetSign[j] = "12 x 34 R ";
  }
  state.Pos[13] = 120;
  return state;
}

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
  ClockState state = Chart();
  state.Cusps = 1;
  state.VOCActive = true;
  state.DoColor = true;
  state.VOCColor = MakeColour(200, 255, 200);
  const QImage image = RenderWheelImage(state, kWidth);
  ASSERT_EQ(image.width(), kWidth);
  // Corners lie outside the disc and stay white; the disc takes the void colour.
  EXPECT_EQ(PixelColour(image, {2, 2}), kWhite);
  EXPECT_EQ(PixelColour(image, {kWidth - 3, kWidth - 3}), kWhite);
  EXPECT_EQ(PixelColour(image, {288 + 40, 288 - 60}), state.VOCColor);
  // The Ascendant cusp: red, horizontal, on the left, reaching the rim.
  for (const int x : {3, 60, 200}) EXPECT_TRUE(NearbyHas(image, {x, 288}, kRed)) << x;
  EXPECT_FALSE(NearbyHas(image, {60, 270}, kRed));
  EXPECT_NE(PixelColour(image, {60, 288}), state.VOCColor);

  state.DoColor = false;
  EXPECT_EQ(PixelColour(RenderWheelImage(state, kWidth), {288 + 40, 288 - 60}), kWhite);
}

TEST_F(WheelRender, BackgroundSignCellsTakeTheirElementColour) {
  for (const double wheelOffset : {0.0, 17.25}) {
    ClockState state = Chart();
    state.Glyphs = 2;
    state.WheelOffset = wheelOffset;
    const QImage image = RenderWheelImage(state, kWidth);
    const WheelSizes sizes = ComputeWheelSizes(kWidth, false, state.Size);
    const int shift = SignShift(state.CuspPos[1]);
    const double middle = sizes.c - sizes.SignBand / 2.0;
    for (int sign = 0; sign < 12; ++sign) {
      const double angle = SignGlyphAngle(sign, shift, wheelOffset);
      // Beside the glyph, inside the cell, on both sides of it.
      for (const double side : {-9.0, 9.0}) {
        const QPoint p = PolarPoint(sizes.c, sizes.c, middle, angle + side);
        EXPECT_EQ(PixelColour(image, p), ElementColour(sign))
            << "offset " << wheelOffset << " sign " << sign << " side " << side;
      }
    }
  }
}

TEST_F(WheelRender, AspectLineColourAndNoCustomLine) {
  ClockState state = Chart();
  state.AspectLines = true;
  state.Show.fill(false);  // keep glyphs off the lines
  const Colour trine = MakeColour(0, 128, 255);
  const Colour custom = MakeColour(255, 0, 255);
  state.LineColor[6] = static_cast<std::int32_t>(trine);
  state.LineStyle[6] = 1;
  state.LineColor[11] = static_cast<std::int32_t>(custom);
  state.LineStyle[11] = 1;
  state.PairString = std::string(90, ' ');
  state.PairString[0] = 'T';   // (1, 2)
  state.PairString[25] = 'c';  // (3, 4)
  const QImage image = RenderWheelImage(state, kWidth);
  const WheelSizes sizes = ComputeWheelSizes(kWidth, true, state.Size);
  const std::vector<AspectStroke> strokes = AspectStrokes(state, sizes);
  ASSERT_EQ(strokes.size(), 1u);
  const QPoint middle = (strokes[0].a + strokes[0].b) / 2;
  EXPECT_TRUE(NearbyHas(image, middle, trine));
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      ASSERT_NE(PixelColour(image, {x, y}), custom) << x << "," << y;
    }
  }
}

TEST_F(WheelRender, RedrawingLeavesNothingOfTheLastWheel) {
  // A crowded wheel, redrawn with the planets moved on, comes out as if drawn fresh.
  ClockState first;
  first.WheelOffset = 3.4;
  for (int i = 1; i <= 12; ++i) first.CuspPos[i] = std::fmod(120.0 + 28.0 * (i - 1), 360.0);
  const double pos[15] = {0,     6.6,   8.6,   9.6,   41.6, 96.6, 196.6, 246.6,
                          286.6, 326.6, 266.6, 146.6, 1.6,  120,  16.6};
  for (int j = 1; j <= kPointCount; ++j) {
    first.Pos[j] = pos[j];
    first.PlanetSign[j] = "12 x 34 R ";
  }
  first.Show.fill(true);
  first.Cusps = 2;
  first.Glyphs = 2;
  first.AspectLines = true;
  first.Annotate = true;
  first.AnnotateMin = true;
  ClockState second = Chart();
  for (int j = 1; j <= kPointCount; ++j) second.Pos[j] += 7;
  QImage image(kWidth, kWidth, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QtSurface surface(image);
    DrawWheel(surface, first, kWidth);
    DrawWheel(surface, second, kWidth);
  }
  EXPECT_EQ(image, RenderWheelImage(second, kWidth));
}

TEST_F(WheelRender, CaptionIsTheTime) {
  QImage image(100, 100, QImage::Format_RGB32);
  image.fill(Qt::white);
  QtSurface surface(image);
  EXPECT_EQ(DrawWheel(surface, Chart(), 100, QTime(7, 5)), QStringLiteral("Heliodial 07:05"));
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
  ClockState state = Chart();
  state.Glyphs = 2;
  QString error;
  const QString png = dir.filePath(QStringLiteral("wheel.png"));
  ASSERT_TRUE(WriteWheelImage(state, png, 300, &error, 2.0)) << error.toStdString();
  EXPECT_EQ(QImage(png).size(), QSize(600, 600));

  const QString svg = dir.filePath(QStringLiteral("wheel.SVG"));
  ASSERT_TRUE(WriteWheelImage(state, svg, 300, &error)) << error.toStdString();
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.contains("<svg"));
  EXPECT_TRUE(text.contains("<path"));

  EXPECT_FALSE(WriteWheelImage(state, dir.filePath(QStringLiteral("wheel.jpg")), 300, &error));
  EXPECT_TRUE(error.contains(QStringLiteral(".png or .svg")));
  EXPECT_FALSE(WriteWheelImage(state, png, 0, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("size 0")));
  EXPECT_FALSE(
      WriteWheelImage(state, dir.filePath(QStringLiteral("missing/wheel.png")), 300, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("missing/wheel.png")));
}

}  // namespace
