#include "chart/Aspects.h"

#include <cmath>

#include "chart/LibraryImports.h"

namespace {

struct Kind {
  int index;
  int angle;  // -1: the custom angle
  char code;
  const char* word;
};

// The order in which the test tries the kinds: with overlapping orbs it decides the answer.
constexpr Kind kTestOrder[kAspectKinds] = {
    {0, 0, '=', "conjunct "},         {10, 180, '%', "opposition "},  {6, 120, 'T', "trine "},
    {5, 90, 'S', "square "},          {3, 60, '*', "sextile "},       {9, 150, 'I', "quincunx "},
    {7, 135, '>', "sesquiquadrate "}, {1, 30, 'V', "semis-sextile "}, {2, 45, '<', "semi-square "},
    {4, 72, 'Q', "quintile "},        {8, 144, 'B', "biquintile "},   {11, -1, 'c', "custom "},
};

const char* const kPointWords[13] = {"Sun ",     "Moon ",   "Mercury ",  "Venus ",   "Mars ",
                                     "Jupiter ", "Saturn ", "Uranus ",   "Neptune ", "Pluto ",
                                     "Node ",    "Chiron ", "Ascendant "};

}  // namespace

AspectMatch AspectTest(const AspectOrbs& orbs, double p1, double p2, int customAngle,
                       const AspectSwitches& useAspects) {
  float d = static_cast<float>(std::fabs(p1 - p2));
  if (d > 180) d = std::fabs(d - 360.0f);
  AspectMatch match;
  for (const Kind& kind : kTestOrder) {
    if (!useAspects[kind.index]) continue;
    const float angle = static_cast<float>(kind.angle < 0 ? customAngle : kind.angle);
    if (std::fabs(d - angle) <= orbs[kind.index]) {
      unsigned char text[11];
      libraryImports().RealToDegree(static_cast<double>(d) - static_cast<double>(angle), text);
      match.code = kind.code;
      match.orbText.assign(reinterpret_cast<const char*>(text + 1), text[0]);
      break;
    }
  }
  return match;
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
