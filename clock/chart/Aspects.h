// SPDX-License-Identifier: GPL-3.0-or-later
// The aspect test shared by the aspect lists and the day scan, the two aspect passes over a chart,
// and the texts of the lists (glyphs or words, single lines or a running log).
#ifndef HELIODIAL_ASPECTS_H
#define HELIODIAL_ASPECTS_H

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/ChartTables.h"
#include "settings/Settings.h"

using AspectOrbs = std::array<float, kAspectKindCount>;
using AspectSwitches = std::array<bool, kAspectKindCount>;

struct AspectMatch {
  char code = ' ';      // the kind's character, blank when no aspect applies
  std::string orbText;  // RealToDegree of the deviation (library bytes); empty without a match
  float deviation = 0;  // separation minus the kind's angle, degrees, as the orb text shows it
  bool found() const { return code != ' '; }
};

// Tries the kinds in their test order (conjunction, opposition, trine, square, sextile, quincunx,
// sesquiquadrate, semi-sextile, semi-square, quintile, biquintile, custom); the first enabled kind
// within its orb wins, equality included.
AspectMatch AspectTest(const AspectOrbs& orbs, double p1, double p2, int customAngle,
                       const AspectSwitches& useAspects);

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

  std::array<Enabled, kAspectKindCount> enabled_{};
  int count_ = 0;
  // Bit k set: enabled_[k] may match a separation within [degree, degree + 1).
  std::array<uint16_t, 181> candidates_{};
};

// One aspect a pass found: points 1..14 (the second a natal point in the natal pass), the kind's
// character and the orb text (library bytes).
struct FoundAspect {
  int from = 0;
  char code = ' ';
  int to = 0;
  std::string orbText;
};

struct AspectPass {
  std::vector<FoundAspect> found;  // in pair order
  bool anyPairUsed = false;        // some pair had both points switched on
  std::string pairString;          // the transit pass only: one character per pair
};

// Transit to transit: pairs (r, i), r = 1..14, i = r + 1..14, each used when AspectFrom[r] and
// AspectTo[i] are set, with the transit orb. The pair string gets a character for every pair,
// used or not, and stops at 90, so it covers (1, 2) .. (12, 14) and never (13, 14). Without
// angles (a house code that computes no cusps) the Ascendant and Midheaven take no part.
AspectPass FindTransitAspects(const Settings& settings, const std::array<double, 15>& pos,
                              bool withAngles = true);
// Transit to natal: every transiting point r = 1..14 (AspectFrom) with every natal point
// i = 1..14 (AspectTo), with the natal orb.
AspectPass FindNatalAspects(const Settings& settings, const std::array<double, 15>& pos,
                            bool withAngles = true);

// Whether a natal chart has been entered: all fourteen positions at 0 degrees is no chart.
bool NatalChartSet(const Settings& settings);

// The word of a point glyph code or aspect character, with its trailing blank; a character
// without a word comes back unchanged.
QString AspectWord(unsigned char code);
// Replaces each of the three one-character texts by its word.
void AspectWords(QString& from, QString& aspect, QString& to);

// From, aspect and to of a found aspect for display: three symbols, or three words in text mode.
QString AspectKey(const FoundAspect& aspect, bool textMode);
// A list line: the key, three blanks and the orb text.
QString AspectLine(const FoundAspect& aspect, bool textMode);
// A log line: the date (short format) + "::" + the time "hh:mm" + ": ", then for every aspect
// the key + ":" + the orb text + "):". Empty when nothing was found.
QString AspectLogLine(const std::vector<FoundAspect>& found, bool textMode, const QDateTime& when);
// Its parts, for a caller that writes many lines of one day and has the keys already: the date
// text, the start of a line, and one aspect's part.
QString AspectLogDate(QDate date);
QString AspectLogStart(const QString& dateText, QTime time);
QString AspectLogItem(const QString& key, const FoundAspect& aspect);

#endif
