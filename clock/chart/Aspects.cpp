// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/Aspects.h"

#include <QLocale>
#include <bit>
#include <cmath>

#include "chart/DisplayText.h"
#include "chart/LibraryImports.h"

namespace {

// The pair string holds the pairs (1, 2) .. (12, 14): the pair (13, 14) is a fixed angle.
constexpr std::size_t kPairStringLength = 90;

// The separation of two longitudes, 0..180, in single precision as the comparisons are made.
float separation(double p1, double p2) {
  float d = static_cast<float>(std::fabs(p1 - p2));
  if (d > 180) d = std::fabs(d - 360.0f);
  return d;
}

AspectOrbs allOrbs(double orb) {
  AspectOrbs orbs;
  orbs.fill(static_cast<float>(orb));
  return orbs;
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
      const double deviation = static_cast<double>(d) - static_cast<double>(kind.angle);
      libraryImports().RealToDegree(deviation, text);
      match.code = kind.code;
      match.deviation = static_cast<float>(deviation);
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
  for (const int index : kAspectTestOrder) {
    if (!useAspects[index]) continue;
    const AspectKind& kind = kAspectKinds[index];
    const float angle =
        index == kCustomAspect ? static_cast<float>(customAngle) : static_cast<float>(kind.angle);
    enabled_[count_++] = {angle, orbs[index], kind.code};
  }
}

namespace {
bool isAngle(int point) { return point == kAscendant || point == kMidheaven; }
}  // namespace

AspectPass FindTransitAspects(const Settings& s, const std::array<double, 15>& pos,
                              bool withAngles) {
  const AspectTester tester(allOrbs(s.TransitOrb), s.CustomAngle, s.UseAspects);
  AspectPass pass;
  for (int r = 1; r <= kPointCount; ++r) {
    for (int i = r + 1; i <= kPointCount; ++i) {
      AspectMatch match;
      const bool present = withAngles || (!isAngle(r) && !isAngle(i));
      if (present && s.AspectFrom[r] && s.AspectTo[i]) {
        pass.anyPairUsed = true;
        match = tester.test(pos[r], pos[i]);
      }
      // Every pair keeps its place, used or not, so the wheel's lines stay in step.
      if (pass.pairString.size() < kPairStringLength) pass.pairString += match.code;
      if (match.found()) pass.found.push_back({r, match.code, i, std::move(match.orbText)});
    }
  }
  return pass;
}

AspectPass FindNatalAspects(const Settings& s, const std::array<double, 15>& pos, bool withAngles) {
  const AspectTester tester(allOrbs(s.NatalOrb), s.CustomAngle, s.UseAspects);
  AspectPass pass;
  for (int r = 1; r <= kPointCount; ++r) {
    if (!withAngles && isAngle(r)) continue;
    for (int i = 1; i <= kPointCount; ++i) {
      if (!s.AspectFrom[r] || !s.AspectTo[i]) continue;
      pass.anyPairUsed = true;
      AspectMatch match = tester.test(pos[r], s.NatalPos[i]);
      if (match.found()) pass.found.push_back({r, match.code, i, std::move(match.orbText)});
    }
  }
  return pass;
}

bool NatalChartSet(const Settings& s) {
  for (int p = 1; p <= kPointCount; ++p) {
    if (s.NatalPos[p] != 0.0) return true;
  }
  return false;
}

QString AspectWord(unsigned char code) {
  for (int p = 1; p <= kPointCount; ++p) {
    if (kPoints[p].glyph == code) return QString::fromLatin1(kPoints[p].word);
  }
  const int kind = AspectKindOfCode(static_cast<char>(code));
  if (kind >= 0) return QString::fromLatin1(kAspectKinds[kind].word);
  return QString(QChar(static_cast<char16_t>(code)));
}

void AspectWords(QString& from, QString& aspect, QString& to) {
  for (QString* text : {&from, &aspect, &to}) {
    if (text->size() == 1) *text = AspectWord(static_cast<unsigned char>(text->at(0).unicode()));
  }
}

QString AspectKey(const FoundAspect& a, bool textMode) {
  // The points straight from the table by index: the day scan asks for thousands of keys.
  const auto code = static_cast<unsigned char>(a.code);
  if (textMode) {
    return QString::fromLatin1(kPoints[a.from].word) + AspectWord(code) +
           QString::fromLatin1(kPoints[a.to].word);
  }
  return pointSymbol(a.from) + glyphSymbol(code) + pointSymbol(a.to);
}

QString AspectLine(const FoundAspect& a, bool textMode) {
  return AspectKey(a, textMode) + QStringLiteral("   ") + libraryText(a.orbText);
}

QString AspectLogDate(QDate date) { return QLocale().toString(date, QLocale::ShortFormat); }

QString AspectLogStart(const QString& dateText, QTime time) {
  return dateText + QStringLiteral("::") + time.toString(QStringLiteral("hh:mm")) +
         QStringLiteral(": ");
}

QString AspectLogItem(const QString& key, const FoundAspect& a) {
  return key + QLatin1Char(':') + libraryText(a.orbText) + QStringLiteral("):");
}

QString AspectLogLine(const std::vector<FoundAspect>& found, bool textMode, const QDateTime& when) {
  if (found.empty()) return {};
  QString line = AspectLogStart(AspectLogDate(when.date()), when.time());
  for (const FoundAspect& a : found) line += AspectLogItem(AspectKey(a, textMode), a);
  return line;
}
