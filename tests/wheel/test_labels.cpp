// SPDX-License-Identifier: GPL-3.0-or-later
// The texts the wheel draws beside each planet (degrees, minutes, the motion mark), seen through a
// surface that records what is written where: each must be present exactly where the settings
// ask for it, at its own distance from the centre and in its own size.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "wheel/DrawWheel.h"
#include "wheel/Surface.h"
#include "wheel/wheel_charts.h"

namespace {

// A test double of the drawing surface: texts have no extent, so a centred text is written at
// its centre, and every TextOut is kept with the font size in force.
class RecordingSurface final : public Surface {
 public:
  struct Text {
    QPoint at;
    QString text;
    int size;
  };
  std::vector<Text> texts;

  void SetPenColour(Colour) override {}
  void SetPenWidth(int) override {}
  void SetPenStyle(PenStyle) override {}
  void SetBrushColour(Colour) override {}
  void SetBrushStyle(BrushStyle) override {}
  void SetFontFace(FontFace) override {}
  void SetFontSize(int points) override { size_ = points; }
  void SetFontColour(Colour) override {}
  void Ellipse(int, int, int, int) override {}
  void MoveTo(int x, int y) override { pen_ = {x, y}; }
  void LineTo(int x, int y) override { pen_ = {x, y}; }
  QPoint PenPosition() const override { return pen_; }
  void TextOut(int x, int y, const QString& text) override {
    texts.push_back({{x, y}, text, size_});
  }
  int TextWidth(const QString&) override { return 0; }
  int TextHeight(const QString&) override { return 0; }
  void FloodFill(int, int, Colour, FillMode) override {}

 private:
  int size_ = 0;
  QPoint pen_;
};

bool IsSignSymbol(const QString& text) {
  return text.size() == 1 && text[0].unicode() >= 0x2648 && text[0].unicode() <= 0x2653;
}

// The point at distance radius from the centre of a 576-pixel wheel in direction angle (degrees,
// y growing downward), worked here.
QPoint At(double radius, double angle) {
  const double theta = angle * std::numbers::pi / 180;
  return {288 + static_cast<int>(std::lround(radius * std::cos(theta))),
          288 + static_cast<int>(std::lround(radius * std::sin(theta)))};
}

TEST(WheelLabels, DegreesMinutesAndMotionWhereTheSettingsAskForThem) {
  // Only the Sun is shown, at rotated longitude 25 with the Ascendant's sign at 120: sign shift
  // 8, screen angle 360 - (25 + 180 + 240 - 360) = 275. Its position text "12 x 34 R " gives the
  // degrees "12", the minutes "34" and the motion mark "R".
  // Sizes by hand for a 576-pixel wheel: ring width Round(576 / 7) = 82, sign band 41, planet
  // inset Trunc(8 x 576 / 547) + 41 = 49; R19 = 15, R46 = 37, R65 = 53, R80 = 65. Glyph size
  // Trunc(63 x 0.2) + 1 = 13, small size Trunc(13 x 0.7) = 9.
  // Distances from the centre: glyph 288 - 49 - 15 = 224; degrees 288 - 49 - 37 = 202; minutes
  // 288 - 49 - 53 = 186; the motion mark 288 - 49 - 65 = 174 after the minutes, 186 after the
  // degrees alone, and 202 in glyph size without annotation.
  const QString sun(QChar(0x2609));
  struct Label {
    QString text;
    int radius;
    int size;
  };
  const struct {
    const char* name;
    bool annotate, annotateMin;
    std::vector<Label> labels;
  } rows[] = {
      {"plain", false, false, {{sun, 224, 13}, {"R", 202, 13}}},
      {"minutes alone ask for nothing", false, true, {{sun, 224, 13}, {"R", 202, 13}}},
      {"degrees", true, false, {{sun, 224, 13}, {"12", 202, 13}, {"R", 186, 9}}},
      {"degrees and minutes",
       true,
       true,
       {{sun, 224, 13}, {"12", 202, 13}, {"34", 186, 9}, {"R", 174, 9}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    WheelChart chart = EvenWheel();
    chart.settings.Show.fill(false);
    chart.settings.Show[1] = true;
    chart.settings.Annotate = r.annotate;
    chart.settings.AnnotateMin = r.annotateMin;
    RecordingSurface surface;
    DrawWheel(surface, chart.settings, chart.view, 576);
    std::vector<RecordingSurface::Text> planetTexts;
    for (const auto& t : surface.texts) {
      if (!IsSignSymbol(t.text)) planetTexts.push_back(t);
    }
    ASSERT_EQ(planetTexts.size(), r.labels.size());
    for (std::size_t n = 0; n < r.labels.size(); ++n) {
      const Label& want = r.labels[n];
      EXPECT_EQ(planetTexts[n].text, want.text) << n;
      EXPECT_EQ(planetTexts[n].at, At(want.radius, 275)) << want.text.toStdString();
      EXPECT_EQ(planetTexts[n].size, want.size) << want.text.toStdString();
    }
  }
}

TEST(WheelLabels, EveryShownPlanetGetsItsOwnLabels) {
  // Three planets far apart, each with its own position text: every label belongs to its planet.
  WheelChart chart = EvenWheel();
  chart.settings.Show.fill(false);
  chart.settings.Annotate = true;
  chart.settings.AnnotateMin = true;
  const struct {
    int point;
    double longitude;
    const char* text;
    const char* degrees;
    const char* minutes;
    const char* motion;
  } planets[] = {{3, 30.0, "05 x 07 R ", "05", "07", "R"},
                 {7, 150.0, "17 x 41 s ", "17", "41", "s"},
                 {12, 270.0, "29 x 59   ", "29", "59", " "}};
  for (const auto& p : planets) {
    chart.settings.Show[p.point] = true;
    chart.view.Pos[p.point] = p.longitude;
    chart.view.PlanetSign[p.point] = p.text;
  }
  RecordingSurface surface;
  DrawWheel(surface, chart.settings, chart.view, 576);
  std::vector<QString> texts;
  for (const auto& t : surface.texts) {
    if (!IsSignSymbol(t.text)) texts.push_back(t.text);
  }
  const std::vector<QString> expected = {
      QString(QChar(0x263F)), "05", "07", "R",  // Mercury
      QString(QChar(0x2644)), "17", "41", "s",  // Saturn
      QString(QChar(0x26B7)), "29", "59", " ",  // Chiron
  };
  EXPECT_EQ(texts, expected);
}

}  // namespace
