// SPDX-License-Identifier: GPL-3.0-or-later
// The wheel's geometry without pixels: sizes, the angle mapping, planet spreading, which cusps,
// house numbers and aspect lines are drawn and where. DrawWheel paints what these decide.
#ifndef HELIODIAL_WHEELLAYOUT_H
#define HELIODIAL_WHEELLAYOUT_H

#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "chart/ClockState.h"
#include "wheel/Surface.h"

// The chart as the wheel draws it: turned so that the Ascendant's sign starts at 0 degrees. The
// chart itself keeps its true longitudes; this view is made for each drawing.
struct WheelView {
  double WheelOffset = 0;  // the Ascendant's degree within its sign, 0 to below 30
  // Points 1..14 and cusps 1..12 less WheelOffset, in [0, 360); the other cusp slots as the
  // chart has them.
  std::array<double, kPointCount + 1> Pos{};
  std::array<double, kPointCount + 1> CuspPos{};
  bool HasCusps = true;  // false: the house code computes no cusps, and none are drawn
  std::array<std::string, kPointCount + 1> PlanetSign;  // position texts, for the labels
  std::string PairString;                               // aspect characters by transit pair
  bool VOCActive = false;
  bool ChironMissing = false;  // outside the precise ephemeris's years: Chiron is not drawn
};

WheelView ViewForWheel(const Chart& chart);

// Every length of the wheel, derived from its width W in pixels.
struct WheelSizes {
  int W = 0;
  int c = 0;              // Round(W / 2): centre of circles, rays and glyphs
  int f = 0;              // Trunc(W / 2): centre of labels
  long double Scale = 0;  // W / 547
  int RingWidth = 0;
  int SignBand = 0;
  int TickBand = 0;
  int PlanetInset = 0;
  int AspectInset = 0;  // 0: no aspect circle
  int PlanetRing = 0;
  int GlyphSize = 0;  // points
  int SmallSize = 0;
  int SignSize = 0;
  int HouseNumSize = 0;
  int R19 = 0;
  int R46 = 0;
  int R65 = 0;
  int R80 = 0;
};

WheelSizes ComputeWheelSizes(int width, bool aspectLines, std::uint16_t glyphSetting);

// Round half to even, as every Round of the wheel's layout.
int RoundEven(long double value);

// Sign shift s of the angle mapping, from the rotated Ascendant cusp.
int SignShift(double ascendantCusp);
// Screen angle in degrees (y down) of a rotated longitude; the Ascendant lands at 180, the left.
double ScreenAngle(double longitude, int signShift);
// The point at distance radius from centre (cx, cy) in direction angle (degrees).
QPoint PolarPoint(int cx, int cy, double radius, double angle);

// Display longitude of each point 1..14 after spreading crowded points forward; slot 0 unused.
// Values may exceed 360 where a point was pushed past Aries. A point within 4.5 degrees of the
// one before it moves on by 4.5 degrees, one glyph's width; where the Midheaven is drawn (Equal
// houses), its symbol is two letters, about half as wide again, so a step beside it takes
// kMidheavenStep instead.
inline constexpr double kMidheavenStep = 6.75;
std::array<double, kPointCount + 1> SpreadLongitudes(const std::array<double, kPointCount + 1>& pos,
                                                     bool midheavenDrawn = false);

// Whether the wheel draws the glyph of a point: the Show flags for 1..12, never the Ascendant
// (cusp 1 marks it), the Midheaven only in Equal houses (elsewhere cusp 10 marks it).
bool PointDrawn(const Settings& settings, int point);

// The wheel in words, for screen readers: the Ascendant, the Midheaven and each point the wheel
// shows, as degrees and minutes of a sign, with retrograde motion and a void Moon named.
QString WheelDescription(const Settings& settings, const Chart& chart);

Colour ElementColour(int sign);  // sign 0 Aries .. 11 Pisces
// Screen angle of the centre of sign 0..11 in the band.
double SignGlyphAngle(int sign, int signShift, double wheelOffset);
// The disc's fill: the void-of-course colour while the Moon is void and colouring is asked for.
Colour DiscColour(const Settings& settings, const WheelView& view);

struct CuspMark {
  int cusp = 0;  // 1..12
  Colour colour = kBlack;
  int penWidth = 1;
  double angle = 0;
  int innerRadius = 0;
  int outerRadius = 0;
  int houseNumber = 0;
  double numberLongitude = 0;
  int numberDistance = 0;  // label distance from the label centre
};

// The cusp lines and house numbers the Cusps setting asks for, in drawing order.
std::vector<CuspMark> CuspMarks(const Settings& settings, const WheelView& view,
                                const WheelSizes& sizes);

// Aspect kind 0..10 of a pair character whose line is drawn; -1 for a blank, the custom aspect
// (whose line is never drawn) and anything else.
int AspectKindOfChar(char code);

struct AspectStroke {
  int from = 0;
  int to = 0;
  int kind = 0;
  Colour colour = kBlack;
  AspectLineStyle style = AspectLineStyle::None;  // other values keep the previous style
  QPoint a;
  QPoint b;
};

// The aspect lines of the transit pairs, in pair order; empty without the aspect circle.
std::vector<AspectStroke> AspectStrokes(const Settings& settings, const WheelView& view,
                                        const WheelSizes& sizes);

#endif
