#include "chart/Aspects.h"

#include <bit>
#include <cmath>

#include "chart/LibraryImports.h"

namespace {

constexpr int kCustomKind = 11;

struct Kind {
  int index;
  float angle;  // the custom kind's angle comes from the settings
  char code;
  const char* word;
};

// The order in which the test tries the kinds: with overlapping orbs it decides the answer.
constexpr Kind kTestOrder[kAspectKinds] = {
    {0, 0, '=', "conjunct "},         {10, 180, '%', "opposition "},
    {6, 120, 'T', "trine "},          {5, 90, 'S', "square "},
    {3, 60, '*', "sextile "},         {9, 150, 'I', "quincunx "},
    {7, 135, '>', "sesquiquadrate "}, {1, 30, 'V', "semis-sextile "},
    {2, 45, '<', "semi-square "},     {4, 72, 'Q', "quintile "},
    {8, 144, 'B', "biquintile "},     {kCustomKind, 0, 'c', "custom "},
};

const char* const kPointWords[13] = {"Sun ",     "Moon ",   "Mercury ",  "Venus ",   "Mars ",
                                     "Jupiter ", "Saturn ", "Uranus ",   "Neptune ", "Pluto ",
                                     "Node ",    "Chiron ", "Ascendant "};

// The separation of two longitudes, 0..180, in single precision as the comparisons are made.
float separation(double p1, double p2) {
  float d = static_cast<float>(std::fabs(p1 - p2));
  if (d > 180) d = std::fabs(d - 360.0f);
  return d;
}

}  // namespace

AspectTester::AspectTester(const AspectOrbs& orbs, int customAngle,
                           const AspectSwitches& useAspects) {
  enable(orbs, customAngle, useAspects);
  // A generous margin: a kind listed for a degree it cannot reach costs one comparison, a kind
  // missing would lose an aspect.
  constexpr double kMargin = 0.01;
  for (int degree = 0; degree < static_cast<int>(candidates_.size()); ++degree) {
    for (int k = 0; k < count_; ++k) {
      const double low = static_cast<double>(enabled_[k].angle) - enabled_[k].orb;
      const double high = static_cast<double>(enabled_[k].angle) + enabled_[k].orb;
      if (high >= degree - kMargin && low <= degree + 1 + kMargin) {
        candidates_[degree] = static_cast<uint16_t>(candidates_[degree] | (1u << k));
      }
    }
  }
}

AspectMatch AspectTester::test(double p1, double p2) const {
  const float d = separation(p1, p2);
  if (!(d >= 0 && d <= 180)) return firstMatch(d, (1u << count_) - 1);  // not a number: try all
  return firstMatch(d, candidates_[static_cast<std::size_t>(d)]);
}

AspectMatch AspectTester::firstMatch(float d, unsigned candidates) const {
  AspectMatch match;
  while (candidates != 0) {
    const Enabled& kind = enabled_[static_cast<std::size_t>(std::countr_zero(candidates))];
    candidates &= candidates - 1;
    if (std::fabs(d - kind.angle) <= kind.orb) {
      unsigned char text[11];
      libraryImports().RealToDegree(static_cast<double>(d) - static_cast<double>(kind.angle), text);
      match.code = kind.code;
      match.orbText.assign(reinterpret_cast<const char*>(text + 1), text[0]);
      break;
    }
  }
  return match;
}

AspectMatch AspectTest(const AspectOrbs& orbs, double p1, double p2, int customAngle,
                       const AspectSwitches& useAspects) {
  // A single test needs no table: the exact comparisons over every enabled kind.
  AspectTester tester;
  tester.enable(orbs, customAngle, useAspects);
  return tester.firstMatch(separation(p1, p2), (1u << tester.count_) - 1);
}

void AspectTester::enable(const AspectOrbs& orbs, int customAngle,
                          const AspectSwitches& useAspects) {
  for (const Kind& kind : kTestOrder) {
    if (!useAspects[kind.index]) continue;
    const float angle = kind.index == kCustomKind ? static_cast<float>(customAngle) : kind.angle;
    enabled_[count_++] = {angle, orbs[kind.index], kind.code};
  }
}

QString AspectWord(unsigned char code) {
  if (code >= 129 && code <= 141) return QString::fromLatin1(kPointWords[code - 129]);
  if (code == 150) return QStringLiteral("Midheaven ");
  for (const Kind& kind : kTestOrder) {
    if (kind.code == static_cast<char>(code)) return QString::fromLatin1(kind.word);
  }
  return QString(QChar(static_cast<char16_t>(code)));
}

void AspectWords(QString& from, QString& aspect, QString& to) {
  for (QString* text : {&from, &aspect, &to}) {
    if (text->size() == 1) *text = AspectWord(static_cast<unsigned char>(text->at(0).unicode()));
  }
}
