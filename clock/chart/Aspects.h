// The aspect test shared by the aspect lists and the day scan, and the words of text mode.
#ifndef HELIODIAL_ASPECTS_H
#define HELIODIAL_ASPECTS_H

#include <QString>
#include <array>
#include <cstdint>
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

// The same test with the enabled kinds, their angles and orbs laid out once, for the loops that
// test every pair of a chart (the lists, the day scan). A table by whole degree of separation
// names the kinds whose orb reaches that degree, so most pairs are settled by one look-up; the
// candidates are then compared exactly as above, in test order.
class AspectTester {
 public:
  AspectTester(const AspectOrbs& orbs, int customAngle, const AspectSwitches& useAspects);
  AspectMatch test(double p1, double p2) const;

 private:
  struct Enabled {
    float angle;
    float orb;
    char code;
  };
  friend AspectMatch AspectTest(const AspectOrbs&, double, double, int, const AspectSwitches&);
  AspectTester() = default;
  void enable(const AspectOrbs& orbs, int customAngle, const AspectSwitches& useAspects);
  AspectMatch firstMatch(float separation, unsigned candidates) const;

  std::array<Enabled, kAspectKinds> enabled_{};
  int count_ = 0;
  // Bit k set: enabled_[k] may match a separation within [degree, degree + 1).
  std::array<uint16_t, 181> candidates_{};
};

// Replaces each of the three one-character texts by its word.
void AspectWords(QString& from, QString& aspect, QString& to);

#endif
