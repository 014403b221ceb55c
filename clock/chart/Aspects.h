// The aspect test shared by the aspect lists and the day scan, and the words of text mode.
#ifndef HELIODIAL_ASPECTS_H
#define HELIODIAL_ASPECTS_H

#include <QString>
#include <array>
#include <string>

// Aspect kind indices: 0 conjunction .. 10 opposition, 11 custom.
constexpr int kAspectKinds = 12;
using AspectOrbs = std::array<float, kAspectKinds>;
using AspectSwitches = std::array<bool, kAspectKinds>;

struct AspectMatch {
  char code = ' ';      // the kind's character, blank when no aspect applies
  std::string orbText;  // RealToDegree of the deviation (library bytes); empty without a match
  bool found() const { return code != ' '; }
};

// Tries the kinds in their fixed order (conjunction, opposition, trine, square, sextile, quincunx,
// sesquiquadrate, semi-sextile, semi-square, quintile, biquintile, custom); the first enabled kind
// within its orb wins, equality included.
AspectMatch AspectTest(const AspectOrbs& orbs, double p1, double p2, int customAngle,
                       const AspectSwitches& useAspects);

// The word of a point glyph code or aspect character, with its trailing blank; a character
// without a word comes back unchanged.
QString AspectWord(unsigned char code);

// Replaces each of the three one-character texts by its word.
void AspectWords(QString& from, QString& aspect, QString& to);

#endif
