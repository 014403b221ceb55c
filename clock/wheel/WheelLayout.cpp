// SPDX-License-Identifier: GPL-3.0-or-later
#include "wheel/WheelLayout.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "chart/LibraryImports.h"
#include "model/Angles.h"

namespace {

constexpr long double kDegree = 3.14159265358979323846264338327950288L / 180.0L;

int Trunc(long double value) { return static_cast<int>(std::trunc(value)); }

long double KeyValue(const std::string& key) { return std::strtold(key.c_str(), nullptr); }

// Spreading keys get three integer digits, so that their text order is the order of longitude.
// The prefix follows the written value, which may have rounded up to the next power of ten.
std::string ZeroPrefix(long double value) {
  if (value < 10) return "00";
  if (value < 100) return "0";
  return "";
}

std::string Fixed(long double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Lf", decimals, value);
  return buffer;
}

// The point numbers of the transit pairs (1, 2) .. (12, 14) in the order of the pair string.
struct Pair {
  int from;
  int to;
};

std::vector<Pair> TransitPairs() {
  std::vector<Pair> pairs;
  for (int r = 1; r <= kPointCount - 1; ++r) {
    for (int i = r + 1; i <= kPointCount; ++i) {
      if (r == kAscendant) continue;  // Ascendant to Midheaven is always a fixed angle
      pairs.push_back({r, i});
    }
  }
  return pairs;
}

}  // namespace

int RoundEven(long double value) { return static_cast<int>(std::nearbyint(value)); }

WheelView ViewForWheel(const Chart& chart) {
  WheelView view;
  const double ascendant = chart.CuspPos[1];
  view.WheelOffset = ascendant - std::trunc(ascendant / 30) * 30;
  const auto turned = [&view](double longitude) {
    return FoldLongitude(longitude - view.WheelOffset);
  };
  view.CuspPos = chart.CuspPos;
  for (int i = 1; i <= 12; ++i) view.CuspPos[i] = turned(chart.CuspPos[i]);
  for (int i = 1; i <= kPointCount; ++i) view.Pos[i] = turned(chart.TruePos[i]);
  view.HasCusps = chart.HasCusps;
  view.PlanetSign = chart.PlanetSign;
  view.PairString = chart.PairString;
  view.ChironMissing = chart.ChironMissing;
  view.VOCActive = chart.VOCActive;
  return view;
}

WheelSizes ComputeWheelSizes(int width, bool aspectLines, std::uint16_t glyphSetting) {
  WheelSizes s;
  s.W = width;
  s.c = RoundEven(width / 2.0L);
  s.f = width / 2;
  s.Scale = width / 547.0L;
  s.RingWidth = RoundEven(width / 7.0L);
  s.SignBand = RoundEven(s.RingWidth * 0.5L);
  s.TickBand = Trunc(5 * s.Scale);
  s.PlanetInset = Trunc(8 * s.Scale) + s.SignBand;
  s.AspectInset = aspectLines ? Trunc(s.RingWidth * 1.5L) : 0;
  s.PlanetRing = s.AspectInset > 0 ? Trunc(s.RingWidth * 1.3L) : Trunc(s.RingWidth * 2.0L);
  s.GlyphSize = GlyphSizeFor(glyphSetting, width);
  s.SmallSize = Trunc(s.GlyphSize * 0.7L);
  s.SignSize = RoundEven(s.GlyphSize * 1.65L);
  s.HouseNumSize = Trunc(s.GlyphSize * 0.81L);
  s.R19 = Trunc(s.RingWidth * 0.19L);
  s.R46 = Trunc(s.RingWidth * 0.46L);
  s.R65 = Trunc(s.RingWidth * 0.65L);
  s.R80 = Trunc(s.RingWidth * 0.8L);
  return s;
}

int SignShift(double ascendantCusp) {
  int k = Trunc(ascendantCusp / 30);
  if (ascendantCusp - 30.0 * k > 15) ++k;
  return ((12 - k) % 12 + 12) % 12;
}

double ScreenAngle(double longitude, int signShift) {
  double a = longitude + 180 + 30.0 * signShift;
  if (a > 360) a -= 360;
  return 360 - a;
}

QPoint PolarPoint(int cx, int cy, double radius, double angle) {
  // Double precision is ample here: a pixel position hangs on no last bit.
  const double theta = angle * static_cast<double>(kDegree);
  return {cx + static_cast<int>(std::nearbyint(radius * std::cos(theta))),
          cy + static_cast<int>(std::nearbyint(radius * std::sin(theta)))};
}

std::array<double, kPointCount + 1> SpreadLongitudes(const std::array<double, kPointCount + 1>& pos,
                                                     bool midheavenDrawn) {
  // Each key is the longitude to 9 decimals followed by the point number as two more decimals.
  std::vector<std::string> keys;
  for (int i = 1; i <= kPointCount; ++i) {
    const long double value = pos[i];
    char number[3];
    std::snprintf(number, sizeof number, "%02d", i);
    const std::string text = Fixed(value, 9);
    keys.push_back(ZeroPrefix(KeyValue(text)) + text + number);
  }
  std::sort(keys.begin(), keys.end());

  // The point number a key carries in its last two of 11 decimals.
  auto pointOf = [](const std::string& key) {
    const std::string text = Fixed(KeyValue(key), 11);
    return std::atoi(text.substr(text.size() - 2).c_str());
  };
  // Each key is compared with its already moved predecessor, so crowding cascades forward.
  for (std::size_t j = 1; j < keys.size(); ++j) {
    const long double prev = KeyValue(keys[j - 1]);
    long double cur = KeyValue(keys[j]);
    // The Midheaven's two letters need a wider step, but only where they are drawn: elsewhere
    // the undrawn point keeps the step every other point has.
    const bool besideMidheaven =
        midheavenDrawn && (pointOf(keys[j - 1]) == kMidheaven || pointOf(keys[j]) == kMidheaven);
    const long double step = besideMidheaven ? kMidheavenStep : 4.5L;
    if (cur < prev) cur = (std::trunc(prev) - std::trunc(cur)) + cur + 1;
    if (cur > prev && (cur - prev > 300 || cur - prev <= step)) cur += step;
    const std::string text = Fixed(cur, 11);
    keys[j] = ZeroPrefix(KeyValue(text)) + text;
  }
  std::sort(keys.begin(), keys.end());

  std::array<double, kPointCount + 1> display{};
  for (const std::string& key : keys) {
    const long double value = KeyValue(key);
    const std::string text = Fixed(value, 11);
    const int point = std::atoi(text.substr(text.size() - 2).c_str());
    if (point >= 1 && point <= kPointCount) display[point] = static_cast<double>(value);
  }
  return display;
}

bool PointDrawn(const Settings& settings, int point) {
  if (point >= 1 && point <= kShownPlanetCount) return settings.Show[point];
  if (point == kMidheaven) return settings.HouseCode == HouseSystem::Equal;
  return false;
}

namespace {

// "10 degrees 22 minutes Capricorn", from the chart's own position text so the words say what the
// picture shows; "retrograde" or "stationary" after a motion mark.
QString PositionInWords(double longitude, const std::string& text) {
  const int sign = static_cast<int>(std::trunc(longitude / 30)) % kSignCount;
  const auto field = [&text](std::size_t first, std::size_t count) {
    return text.size() >= first + count - 1
               ? QString::fromLatin1(text.substr(first - 1, count)).trimmed().toInt()
               : 0;
  };
  QString words = QStringLiteral("%1 degrees %2 minutes %3")
                      .arg(field(1, 2))
                      .arg(field(6, 2))
                      .arg(QLatin1String(kSignNames[static_cast<std::size_t>(sign)]));
  const char motion = text.size() >= 9 ? text[8] : ' ';
  if (motion == 'R') words += QStringLiteral(", retrograde");
  if (motion == 's') words += QStringLiteral(", stationary");
  return words;
}

}  // namespace

QString WheelDescription(const Settings& settings, const Chart& chart) {
  QStringList parts;
  for (const int angle : {kAscendant, kMidheaven}) {
    if (!chart.HasCusps) break;  // a house code without cusps has no angles either
    parts << QStringLiteral("%1 %2").arg(
        QLatin1String(kPoints[angle].key),
        PositionInWords(chart.TruePos[angle], chart.PlanetSign[angle]));
  }
  for (int point = 1; point <= kShownPlanetCount; ++point) {
    if (!PointDrawn(settings, point)) continue;
    parts << QStringLiteral("%1 %2").arg(
        QLatin1String(kPoints[point].key),
        PositionInWords(chart.TruePos[point], chart.PlanetSign[point]));
  }
  QString description =
      QStringLiteral("Chart for %1: ").arg(chart.Time.toString(QStringLiteral("hh:mm"))) +
      parts.join(QStringLiteral("; ")) + QLatin1Char('.');
  if (chart.VOCActive) description += QStringLiteral(" The Moon is void of course.");
  return description;
}

Colour ElementColour(int sign) {
  static constexpr Colour kElements[4] = {kRed, kGreen, kYellow, kBlue};  // fire, earth, air, water
  return kElements[((sign % 4) + 4) % 4];
}

double SignGlyphAngle(int sign, int signShift, double wheelOffset) {
  double n = 30.0 * sign + 30.0 * signShift - Trunc(wheelOffset) + 195;
  if (n > 360) n -= 360;
  const double theta = 360 - n;
  return theta < 0 ? 720 - n : theta;
}

Colour DiscColour(const Settings& settings, const WheelView& view) {
  return view.VOCActive && settings.DoColor ? static_cast<Colour>(settings.VOCColor) : kWhite;
}

std::vector<CuspMark> CuspMarks(const Settings& settings, const WheelView& view,
                                const WheelSizes& sizes) {
  std::vector<CuspMark> marks;
  if (settings.Cusps == CuspMode::None || !view.HasCusps) return marks;
  const bool equal = settings.HouseCode == HouseSystem::Equal;
  const int shift = SignShift(view.CuspPos[1]);
  for (int i = 1; i <= 12; ++i) {
    const bool angle = i == 1 || i == 4 || i == 7 || i == 10;
    if (settings.Cusps == CuspMode::Angles && !angle) continue;
    CuspMark mark;
    mark.cusp = i;
    mark.angle = ScreenAngle(view.CuspPos[i], shift);
    bool fullLength = false;
    if (i == 1 || i == 7) {
      mark.colour = kRed;
      mark.penWidth = 2;
      fullLength = true;
    } else if ((i == 4 || i == 10) && !equal) {
      mark.colour = kBlue;
      mark.penWidth = 2;
      fullLength = true;
    }
    mark.innerRadius = sizes.AspectInset;
    mark.outerRadius =
        fullLength ? RoundEven(sizes.W / 2.0L) : RoundEven((sizes.W - 2.0L * sizes.SignBand) / 2);
    // The number of the house opposite, placed opposite: the middle of its own house.
    mark.houseNumber = i <= 7 ? i + 5 : i - 7;
    const double previous = view.CuspPos[i == 1 ? 12 : i - 1];
    mark.numberLongitude =
        view.CuspPos[i] + 0.5 * libraryImports().GetHouseSize(view.CuspPos[i], previous);
    mark.numberDistance = sizes.f - Trunc(sizes.AspectInset + sizes.RingWidth) +
                          Trunc(sizes.RingWidth * 20.0L / 33.0L);
    marks.push_back(mark);
  }
  return marks;
}

int AspectKindOfChar(char code) {
  const int kind = AspectKindOfCode(code);
  return kind == kCustomAspect ? -1 : kind;  // the custom aspect has no line
}

std::vector<AspectStroke> AspectStrokes(const Settings& settings, const WheelView& view,
                                        const WheelSizes& sizes) {
  std::vector<AspectStroke> strokes;
  if (sizes.AspectInset <= 0) return strokes;
  const int shift = SignShift(view.CuspPos[1]);
  const int radius = sizes.c - (sizes.AspectInset + sizes.SignBand) - 2;
  std::array<QPoint, kPointCount + 1> ends{};
  for (int j = 1; j <= kPointCount; ++j) {
    int o = RoundEven(static_cast<long double>(view.Pos[j]) + 180 + 30 * shift);
    if (o >= 361) o -= 360;
    ends[j] = PolarPoint(sizes.c, sizes.c, radius, 360 - o);
  }
  const std::vector<Pair> pairs = TransitPairs();
  const std::size_t count = std::min(pairs.size(), view.PairString.size());
  for (std::size_t n = 0; n < count; ++n) {
    const Pair pair = pairs[n];
    if (!settings.DoLine[pair.from] || !settings.DoLine[pair.to]) continue;
    const int kind = AspectKindOfChar(view.PairString[n]);
    if (kind < 0) continue;
    AspectStroke stroke;
    stroke.from = pair.from;
    stroke.to = pair.to;
    stroke.kind = kind;
    stroke.colour = static_cast<Colour>(settings.LineColor[kind]);
    stroke.style = settings.LineStyle[kind];
    stroke.a = ends[pair.from];
    stroke.b = ends[pair.to];
    strokes.push_back(stroke);
  }
  return strokes;
}
