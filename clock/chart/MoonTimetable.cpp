// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/MoonTimetable.h"

#include <QTimeZone>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>

#include "chart/ComputeChart.h"
#include "chart/PrecisePositions.h"
#include "model/Angles.h"
#include "model/ChartTables.h"

namespace {

// Time inside this file is minutes since 1970-01-01 00:00 UTC, as a double: whole minutes are
// exact, and a second is 1/60.
constexpr double kMinutesPerDay = 1440;
constexpr double kTolerance = 1.0 / 60;  // a second: the roots are rounded to minutes after

// Bounds of the daily motion, with room to spare, of the Moon (geocentric, in any zodiac) and of
// her elongation from the Sun, in degrees per minute. The searches step by distance / fastest,
// which never passes a crossing, then by distance / slowest, which surely does.
constexpr double kMoonSlowest = 11.0 / kMinutesPerDay;
constexpr double kMoonFastest = 16.0 / kMinutesPerDay;
constexpr double kElongationSlowest = 10.0 / kMinutesPerDay;
constexpr double kElongationFastest = 16.0 / kMinutesPerDay;

// A grid fine enough that the Moon's distance from any aspect angle of any body changes by well
// under 90 degrees between two samples, so a change of sign between them is a crossing and not
// the wrap at 180.
constexpr double kAspectGrid = 180;  // minutes
// The aspect lists' grid: two hours for bodies, a quarter of an hour when an angle takes part
// (the Ascendant can turn 60 degrees in two hours away from the equator).
constexpr double kTimingGrid = 120;
constexpr double kAngleTimingGrid = 15;
constexpr double kTimingReach = kMinutesPerDay;

double wrap180(double x) { return x - 360.0 * std::round(x / 360.0); }
double fold360(double x) {
  const double f = std::fmod(x, 360.0);
  return f < 0 ? f + 360.0 : f;
}

QDateTime dateTimeOfMinute(double minute) {
  return QDateTime::fromMSecsSinceEpoch(std::llround(minute) * 60000, Qt::UTC);
}
double minuteOf(const QDateTime& utc) { return utc.toMSecsSinceEpoch() / 60000.0; }

// The chart's positions at any moment, with the houses left out (the Moon needs none, and a
// polar latitude must not stop her timetable). Angles only when asked for.
//
// The searches follow one or two points at a time. The documented theory computes a whole chart
// at once, so the last one is kept for the next point asked of the same minute; the Swiss
// Ephemeris computes each point alone, which costs a fraction of the whole chart (the other
// bodies, the nutation and the houses), and gives the very same longitude.
class Ephemeris {
 public:
  using Positions = std::array<double, kPointCount + 1>;
  // Which of the points a sample needs: bodies 1..12 and the angles.
  using Needed = std::array<bool, kPointCount + 1>;

  Ephemeris(const Settings& settings, const TheoryTable& theory, bool withAngles = false)
      : settings_(settings), theory_(theory), withAngles_(withAngles) {
    if (!withAngles_) settings_.HouseCode = HouseSystem::None;
  }

  // The whole chart's points.
  const Positions& at(double minute) {
    if (minute == chartMinute_) return scratch_.TruePos;
    const UniversalTime ut = universalTime(minute);
    ComputePositions(settings_, theory_, ut, scratch_);
    Positions& pos = scratch_.TruePos;
    if (withAngles_) {
      pos[kAscendant] = scratch_.CuspPos[1];
      pos[kMidheaven] =
          settings_.HouseCode == HouseSystem::Equal ? scratch_.CuspPos[0] : scratch_.CuspPos[10];
    }
    chartMinute_ = minute;
    return pos;
  }
  // Only the points needed (the others are left at 0 where they can be skipped).
  Positions at(double minute, const Needed& needed) {
    if (!precise()) return at(minute);
    Positions pos{};
    const double jd = julianDay(minute);
    for (int p = 1; p <= kBodyCount; ++p) {
      if (needed[static_cast<std::size_t>(p)]) pos[p] = PreciseLongitude(settings_, jd, p);
    }
    if (needed[kAscendant] || needed[kMidheaven]) {
      const PreciseAngleLongitudes angles = PreciseAngles(settings_, jd);
      pos[kAscendant] = angles.ascendant;
      pos[kMidheaven] = angles.midheaven;
    }
    return pos;
  }
  double point(double minute, int p) {
    if (!precise()) return at(minute)[static_cast<std::size_t>(p)];
    const double jd = julianDay(minute);
    if (p <= kBodyCount) return PreciseLongitude(settings_, jd, p);
    const PreciseAngleLongitudes angles = PreciseAngles(settings_, jd);
    return p == kAscendant ? angles.ascendant : angles.midheaven;
  }
  double moon(double minute) { return point(minute, 2); }
  // The geocentric Sun: in heliocentric charts point 1 is the Earth, opposite it.
  double elongation(double minute) {
    return fold360(moon(minute) - point(minute, 1) - (settings_.HelioMode == 1 ? 180.0 : 0.0));
  }
  // The degree test reads the Sun..Pluto and the Moon: never the Node, Chiron or the angles.
  bool voidByDegree(double minute) {
    static const Needed tested = [] {
      Needed n{};
      for (std::size_t p = 1; p <= 10; ++p) n[p] = true;
      return n;
    }();
    return VoidOfCourse(at(minute, tested), settings_.Do30, settings_.Do45);
  }
  const Settings& settings() const { return settings_; }

 private:
  bool precise() const { return settings_.Ephemeris == 1; }
  static UniversalTime universalTime(double minute) {
    const double day = std::floor(minute / kMinutesPerDay);
    return {(minute - day * kMinutesPerDay) / 60.0, kEpoch.addDays(static_cast<qint64>(day))};
  }
  // As the chart computes it, from the UT date and hours.
  static double julianDay(double minute) {
    const UniversalTime ut = universalTime(minute);
    return PreciseJulianDay(ut.date, ut.hours);
  }

  static inline const QDate kEpoch{1970, 1, 1};
  Settings settings_;
  const TheoryTable& theory_;
  bool withAngles_;
  Chart scratch_;
  double chartMinute_ = std::numeric_limits<double>::quiet_NaN();
};

// A root of g in [a, b], where g(a) and g(b) differ in sign (or one is zero), by the Illinois
// variant of the secant: as sure as bisection, and a handful of evaluations on smooth motion.
template <typename G>
double refine(G&& g, double a, double ga, double b, double gb) {
  if (ga == 0) return a;
  if (gb == 0) return b;
  int kept = 0;
  for (int i = 0; i < 60 && b - a > kTolerance; ++i) {
    double c = (a * gb - b * ga) / (gb - ga);
    if (!(c > a && c < b)) c = (a + b) / 2;
    const double gc = g(c);
    if (gc == 0) return c;
    if ((gc > 0) == (gb > 0)) {
      b = c;
      gb = gc;
      if (kept == -1) ga /= 2;
      kept = -1;
    } else {
      a = c;
      ga = gc;
      if (kept == 1) gb /= 2;
      kept = 1;
    }
  }
  return (a + b) / 2;
}

// When an angle that only grows (the Moon's longitude, her elongation) next reaches target after
// minute t (direction +1), or last reached it at or before t (direction -1).
template <typename Angle>
double crossing(Angle&& angle, double t, double target, int direction, double slowest,
                double fastest) {
  const auto distance = [&](double value) {
    return direction > 0 ? fold360(target - value) : fold360(value - target);
  };
  double a = t;
  double value = angle(a);
  double d = distance(value);
  if (direction < 0 && d == 0) return t;
  if (direction > 0 && d == 0) d = 360;
  // Close in without passing it, until it is near enough that one step surely passes it by
  // less than 90 degrees.
  while (d > 20) {
    a += direction * d / fastest;
    value = angle(a);
    const double next = distance(value);
    if (next > d) break;  // cannot happen at these bounds; never loop on it
    d = next;
  }
  const double b = a + direction * (d / slowest + 1);
  const auto g = [&](double m) { return wrap180(angle(m) - target); };
  double lo = std::min(a, b), hi = std::max(a, b);
  double glo = g(lo), ghi = g(hi);
  // Slower than the bound allows (never seen): widen until the sign changes.
  for (int i = 0; i < 20 && (glo > 0) == (ghi > 0) && glo != 0 && ghi != 0; ++i) {
    if (direction > 0) {
      hi += 60;
      ghi = g(hi);
    } else {
      lo -= 60;
      glo = g(lo);
    }
  }
  return refine(g, lo, glo, hi, ghi);
}

// The first whole minute at which the Moon stands in segment k (of `size` degrees), given the
// root of her entry into it: the minute the clock, ticking once a minute, first shows her there.
// A root within a second of a whole minute is settled on the positions themselves.
double firstMinuteIn(Ephemeris& e, double root, double size, int k) {
  const int count = static_cast<int>(360 / size);
  const auto segment = [&](double m) { return static_cast<int>(e.moon(m) / size) % count; };
  double m = std::ceil(root);
  if (m - 1 >= root - kTolerance && segment(m - 1) == k) return m - 1;
  if (m - root < kTolerance && segment(m) != k) ++m;
  return m;
}

struct Stay {
  int sign = 0;
  double ingress = 0;  // minutes, the roots
  double next = 0;
  double ingressMinute = 0;  // the first whole minutes in the sign and in the next
  double nextMinute = 0;
};

// The Moon's stay in the sign she is in at minute t.
Stay stayAt(Ephemeris& e, double t) {
  const auto moon = [&e](double m) { return e.moon(m); };
  const int sign = static_cast<int>(e.moon(t) / 30) % kSignCount;
  Stay stay;
  stay.sign = sign;
  stay.ingress = crossing(moon, t, 30.0 * sign, -1, kMoonSlowest, kMoonFastest);
  stay.next = crossing(moon, t, 30.0 * ((sign + 1) % kSignCount), +1, kMoonSlowest, kMoonFastest);
  stay.ingressMinute = firstMinuteIn(e, stay.ingress, 30, sign);
  stay.nextMinute = firstMinuteIn(e, stay.next, 30, (sign + 1) % kSignCount);
  return stay;
}

// The stay after one that ends at minute `end` in the next sign.
Stay stayAfter(Ephemeris& e, const Stay& stay) {
  const auto moon = [&e](double m) { return e.moon(m); };
  Stay next;
  next.sign = (stay.sign + 1) % kSignCount;
  next.ingress = stay.next;
  next.next = crossing(moon, stay.next, 30.0 * ((next.sign + 1) % kSignCount), +1, kMoonSlowest,
                       kMoonFastest);
  next.ingressMinute = stay.nextMinute;
  next.nextMinute = firstMinuteIn(e, next.next, 30, (next.sign + 1) % kSignCount);
  return next;
}

// The aspect angles the void counts, each side of the Moon's circle, with their kinds.
struct Target {
  double angle;
  int kind;
};
constexpr std::array<Target, 8> kVoidTargets{
    {{0, 0}, {60, 3}, {90, 5}, {120, 6}, {180, 10}, {240, 6}, {270, 5}, {300, 3}}};

struct Exact {
  double minute;
  int kind;
  int body;
};

// The Moon's last exact aspect to a counted body in [from, to], searched from the end back: the
// first grid step that holds a crossing holds the last one.
std::optional<Exact> lastAspect(Ephemeris& e, double from, double to,
                                const std::vector<int>& bodies) {
  Ephemeris::Needed needed{};
  needed[2] = true;
  for (int body : bodies) needed[static_cast<std::size_t>(body)] = true;
  auto hi = e.at(to, needed);
  double tHi = to;
  while (tHi > from) {
    const double tLo = std::max(from, tHi - kAspectGrid);
    const auto lo = e.at(tLo, needed);
    std::optional<Exact> found;
    for (int body : bodies) {
      for (const Target& target : kVoidTargets) {
        const double gLo = wrap180(lo[2] - lo[body] - target.angle);
        const double gHi = wrap180(hi[2] - hi[body] - target.angle);
        if (std::fabs(gLo) > 90 || std::fabs(gHi) > 90) continue;
        const bool crosses =
            (gLo < 0 && gHi >= 0) || (gLo > 0 && gHi <= 0) || (gLo == 0 && tLo == from);
        if (!crosses) continue;
        const auto g = [&](double m) {
          return wrap180(e.moon(m) - e.point(m, body) - target.angle);
        };
        const double when = refine(g, tLo, gLo, tHi, gHi);
        if (!found || when > found->minute) found = Exact{when, target.kind, body};
      }
    }
    if (found) return found;
    hi = lo;
    tHi = tLo;
  }
  return std::nullopt;
}

MoonAspect moonAspectOf(const Exact& exact) {
  return {exact.kind, exact.body, dateTimeOfMinute(exact.minute)};
}

// Rules 1 and 2: the window of a stay.
VoidWindow aspectWindow(Ephemeris& e, const Stay& stay, VoidRule rule) {
  VoidWindow window;
  window.rule = rule;
  window.end = dateTimeOfMinute(stay.nextMinute);
  const std::optional<Exact> last = lastAspect(e, stay.ingress, stay.next, VoidBodies(rule));
  if (last) {
    window.start = dateTimeOfMinute(std::min<double>(std::llround(last->minute), stay.nextMinute));
    window.lastAspect = moonAspectOf(*last);
  } else {
    window.start = dateTimeOfMinute(stay.ingressMinute);
  }
  return window;
}

// Rule 0 works on whole minutes, as the clock runs the test once a minute. Within one stay of
// the Moon in a segment of the test (a sign for the 30 degree test, an eighth of the circle for
// the 45 degree one) the test can only turn from false to true: she is faster than every body,
// so she only gains on them, and a body leaving its segment only lowers the bar. It turns false
// when she leaves the segment. So one bisection finds the start, and the end is her exit.
class DegreeWindows {
 public:
  explicit DegreeWindows(Ephemeris& e) : e_(e) {
    const Settings& s = e.settings();
    segment_ = s.Do45 ? 45.0 : 30.0;
  }

  // First and last+1 whole minute of the Moon's segment that holds minute m.
  std::pair<double, double> segmentOf(double m) {
    const auto moon = [this](double t) { return e_.moon(t); };
    const int count = static_cast<int>(360 / segment_);
    const int k = static_cast<int>(e_.moon(m) / segment_) % count;
    const double in = crossing(moon, m, segment_ * k, -1, kMoonSlowest, kMoonFastest);
    const double out =
        crossing(moon, m, segment_ * ((k + 1) % count), +1, kMoonSlowest, kMoonFastest);
    // The minutes whose positions put her in the segment; a root within a second of a whole
    // minute is checked on the positions themselves.
    return {firstMinuteIn(e_, in, segment_, k), firstMinuteIn(e_, out, segment_, (k + 1) % count)};
  }

  // The window holding minute m, or the next one, within about two months.
  std::optional<VoidWindow> at(double m) {
    m = std::floor(m);
    for (int tries = 0; tries < 80; ++tries) {
      auto [in, out] = segmentOf(m);
      if (!e_.voidByDegree(out - 1)) {
        m = out;
        continue;
      }
      double start = firstVoid(in, out - 1);
      // Carried over from the segments before.
      while (start == in && e_.voidByDegree(in - 1)) {
        const auto before = segmentOf(in - 1);
        in = before.first;
        start = firstVoid(in, before.second - 1);
      }
      double end = out;
      while (e_.voidByDegree(end)) end = segmentOf(end).second;
      VoidWindow window;
      window.rule = VoidRule::Degree;
      window.start = dateTimeOfMinute(start);
      window.end = dateTimeOfMinute(end);
      return window;
    }
    return std::nullopt;
  }

 private:
  // The first void minute in [lo, hi], the test being false then true there and true at hi.
  double firstVoid(double lo, double hi) {
    if (e_.voidByDegree(lo)) return lo;
    while (hi - lo > 1) {
      const double mid = std::floor((lo + hi) / 2);
      if (e_.voidByDegree(mid)) {
        hi = mid;
      } else {
        lo = mid;
      }
    }
    return hi;
  }

  Ephemeris& e_;
  double segment_ = 30;
};

std::optional<VoidWindow> windowAt(Ephemeris& e, double m, VoidRule rule) {
  if (rule == VoidRule::Degree) {
    if (!e.settings().Do30 && !e.settings().Do45) return std::nullopt;
    return DegreeWindows(e).at(m);
  }
  Stay stay = stayAt(e, m);
  // Within the half minute before an ingress that rounds to the minute in hand.
  if (stay.nextMinute <= std::floor(m)) stay = stayAfter(e, stay);
  return aspectWindow(e, stay, rule);
}

MoonIngress ingressOf(const Stay& stay) {
  return {dateTimeOfMinute(stay.nextMinute), (stay.sign + 1) % kSignCount};
}

LunarPhase phaseAt(Ephemeris& e, double m) {
  const auto elongation = [&e](double t) { return e.elongation(t); };
  LunarPhase phase;
  phase.elongation = e.elongation(m);
  phase.name = MoonPhaseOfElongation(phase.elongation);
  phase.illuminated = (1 - std::cos(phase.elongation * std::numbers::pi / 180)) / 2;
  phase.nextNew =
      dateTimeOfMinute(crossing(elongation, m, 0, +1, kElongationSlowest, kElongationFastest));
  phase.nextFull =
      dateTimeOfMinute(crossing(elongation, m, 180, +1, kElongationSlowest, kElongationFastest));
  return phase;
}

}  // namespace

VoidRule VoidRuleFromNumber(int number) {
  switch (number) {
    case 1:
      return VoidRule::Classical;
    case 2:
      return VoidRule::Modern;
    default:
      return VoidRule::Degree;
  }
}

namespace {
struct VoidRuleNames {
  const char* name;
  const char* shortName;
};
// In the order of VoidRule.
constexpr VoidRuleNames kVoidRuleNames[kVoidRuleCount] = {
    {"degree test", "degree test"},
    {"classical rule (Sun..Saturn)", "classical"},
    {"modern rule (Sun..Pluto)", "modern"}};
}  // namespace

QString VoidRuleName(VoidRule rule) {
  return QString::fromLatin1(kVoidRuleNames[static_cast<std::size_t>(rule)].name);
}

QString VoidRuleShortName(VoidRule rule) {
  return QString::fromLatin1(kVoidRuleNames[static_cast<std::size_t>(rule)].shortName);
}

std::vector<int> VoidBodies(VoidRule rule) {
  switch (rule) {
    case VoidRule::Classical:
      return {1, 3, 4, 5, 6, 7};
    case VoidRule::Modern:
      return {1, 3, 4, 5, 6, 7, 8, 9, 10};
    case VoidRule::Degree:
      break;
  }
  return {1, 3, 4, 5, 6, 7, 8, 9, 10};  // what VoidOfCourse looks at
}

QString MoonAspectText(const MoonAspect& aspect) {
  return QString::fromLatin1(kAspectKinds[static_cast<std::size_t>(aspect.kind)].name).toLower() +
         QLatin1Char(' ') + QString::fromLatin1(kPoints[static_cast<std::size_t>(aspect.body)].key);
}

QString MoonPhaseText(MoonPhaseName phase) {
  static const char* const names[] = {
      "new",  "waxing crescent", "first quarter", "waxing gibbous",
      "full", "waning gibbous",  "last quarter",  "waning crescent"};
  return QString::fromLatin1(names[static_cast<int>(phase)]);
}

MoonPhaseName MoonPhaseOfElongation(double elongation) {
  const double e = fold360(elongation);
  // The principal phase nearest, if within its band; otherwise the stretch between two of them.
  const int nearest = static_cast<int>(std::lround(e / 90)) % 4;
  if (std::fabs(wrap180(e - 90.0 * nearest)) <= kPrincipalPhaseBand) {
    return static_cast<MoonPhaseName>(2 * nearest);
  }
  return static_cast<MoonPhaseName>(2 * static_cast<int>(e / 90) + 1);
}

MoonNow MoonAt(const Settings& settings, const TheoryTable& theory, const QDateTime& utc,
               VoidRule rule) {
  Ephemeris e(settings, theory);
  const double m = minuteOf(utc);
  MoonNow now;
  now.longitude = e.moon(m);
  Stay stay = stayAt(e, m);
  if (stay.nextMinute <= std::floor(m)) stay = stayAfter(e, stay);
  now.nextIngress = ingressOf(stay);
  if (rule == VoidRule::Degree) {
    now.voidWindow = windowAt(e, m, rule);
  } else {
    now.voidWindow = aspectWindow(e, stay, rule);
  }
  now.phase = phaseAt(e, m);
  return now;
}

std::optional<VoidWindow> VoidWindowAt(const Settings& settings, const TheoryTable& theory,
                                       const QDateTime& utc, VoidRule rule) {
  Ephemeris e(settings, theory);
  return windowAt(e, minuteOf(utc), rule);
}

MoonIngress NextMoonIngress(const Settings& settings, const TheoryTable& theory,
                            const QDateTime& utc) {
  Ephemeris e(settings, theory);
  const double m = minuteOf(utc);
  Stay stay = stayAt(e, m);
  if (stay.nextMinute <= std::floor(m)) stay = stayAfter(e, stay);
  return ingressOf(stay);
}

LunarPhase MoonPhaseAt(const Settings& settings, const TheoryTable& theory, const QDateTime& utc) {
  Ephemeris e(settings, theory);
  return phaseAt(e, minuteOf(utc));
}

double MoonLongitudeAt(const Settings& settings, const TheoryTable& theory, const QDateTime& utc) {
  Ephemeris e(settings, theory);
  return e.moon(minuteOf(utc));
}

std::vector<MoonStay> MoonStays(const Settings& settings, const TheoryTable& theory,
                                const QDateTime& utcStart, int days, VoidRule rule) {
  Ephemeris e(settings, theory);
  const double first = minuteOf(utcStart);
  const double last = first + days * kMinutesPerDay;
  std::vector<MoonStay> stays;
  // Rule 0: the first window not yet known to end before the stay in hand.
  std::optional<VoidWindow> degree;
  const bool degreeTest = settings.Do30 || settings.Do45;
  for (Stay stay = stayAt(e, first); stay.ingress < last; stay = stayAfter(e, stay)) {
    MoonStay out;
    out.sign = stay.sign;
    out.ingress = dateTimeOfMinute(stay.ingressMinute);
    out.nextIngress = dateTimeOfMinute(stay.nextMinute);
    if (rule != VoidRule::Degree) {
      out.voidWindow = aspectWindow(e, stay, rule);
    } else if (degreeTest) {
      if (!degree || degree->end <= out.ingress) degree = windowAt(e, minuteOf(out.ingress), rule);
      while (degree && degree->start < out.nextIngress) {
        if (degree->start >= out.ingress) out.voidWindow = degree;
        if (degree->end > out.nextIngress) break;  // runs into the next stay: kept for it
        degree = windowAt(e, minuteOf(degree->end), rule);
      }
    }
    stays.push_back(out);
  }
  return stays;
}

std::vector<AspectTiming> ExactAspectTimes(const Settings& settings, const TheoryTable& theory,
                                           const QDateTime& utc,
                                           const std::vector<AspectQuery>& queries) {
  const auto usesAngle = [](const AspectQuery& q) {
    return q.from >= kAscendant || (!q.natalLongitude && q.to >= kAscendant);
  };
  const double t0 = minuteOf(utc);
  // The angles need the houses; where the house system has none, the bodies still get times.
  bool angles = std::any_of(queries.begin(), queries.end(), usesAngle);
  std::optional<Ephemeris> e;
  if (angles) {
    try {
      e.emplace(settings, theory, true).at(t0);
    } catch (const ChartError&) {
      e.reset();
      angles = false;
    }
  }
  if (!e) e.emplace(settings, theory, false);
  // Two grids of positions, each shared by the queries that use it: the angles turn once a day
  // and need the fine one, the bodies only the coarse one, which they search in an eighth of the
  // evaluations. Slot k of a grid is t0 + k * its step.
  using Positions = Ephemeris::Positions;
  std::array<std::map<int, Positions>, 2> grids;
  const auto stepOf = [](bool fine) { return fine ? kAngleTimingGrid : kTimingGrid; };
  // The points each grid needs, and all of them for the minute after t0.
  std::array<Ephemeris::Needed, 2> needed{};
  Ephemeris::Needed all{};
  for (const AspectQuery& q : queries) {
    if (usesAngle(q) && !angles) continue;
    for (Ephemeris::Needed* mask : {&needed[usesAngle(q) ? 1 : 0], &all}) {
      (*mask)[static_cast<std::size_t>(q.from)] = true;
      if (!q.natalLongitude) (*mask)[static_cast<std::size_t>(q.to)] = true;
    }
  }
  std::optional<Positions> soon;

  std::vector<AspectTiming> timings;
  timings.reserve(queries.size());
  for (const AspectQuery& q : queries) {
    AspectTiming timing;
    if (usesAngle(q) && !angles) {
      timings.push_back(timing);
      continue;
    }
    const bool fine = usesAngle(q);
    const double step = stepOf(fine);
    const int reach = static_cast<int>(kTimingReach / step);
    const auto sample = [&](int k) -> const Positions& {
      std::map<int, Positions>& grid = grids[fine ? 1 : 0];
      auto found = grid.find(k);
      if (found == grid.end()) {
        found = grid.emplace(k, e->at(t0 + k * step, needed[fine ? 1 : 0])).first;
      }
      return found->second;
    };
    const Positions& now = sample(0);
    if (!soon) soon = e->at(t0 + 1, all);
    const double angle = q.kind == kCustomAspect
                             ? settings.CustomAngle
                             : kAspectKinds[static_cast<std::size_t>(q.kind)].angle;
    const auto other = [&q](const Positions& pos) {
      return q.natalLongitude ? *q.natalLongitude : pos[static_cast<std::size_t>(q.to)];
    };
    const auto otherAt = [&](double m) {
      return q.natalLongitude ? *q.natalLongitude : e->point(m, q.to);
    };
    // The side of the circle the aspect stands on now: from - to near +angle or near -angle.
    const double d0 = now[static_cast<std::size_t>(q.from)] - other(now);
    const double side =
        std::fabs(wrap180(d0 - angle)) <= std::fabs(wrap180(d0 + angle)) ? angle : -angle;
    const auto off = [&](const Positions& pos) {
      return wrap180(pos[static_cast<std::size_t>(q.from)] - other(pos) - side);
    };
    timing.applying = std::fabs(off(*soon)) < std::fabs(off(now));
    const int direction = timing.applying ? 1 : -1;
    for (int k = 0; k < reach; ++k) {
      const double ga = off(sample(direction * k));
      const double gb = off(sample(direction * (k + 1)));
      if (std::fabs(ga) > 90 || std::fabs(gb) > 90) continue;
      if ((ga > 0 && gb > 0) || (ga < 0 && gb < 0)) continue;
      const auto g = [&](double m) { return wrap180(e->point(m, q.from) - otherAt(m) - side); };
      const double ta = t0 + direction * k * step, tb = t0 + direction * (k + 1) * step;
      const double when = direction > 0 ? refine(g, ta, ga, tb, gb) : refine(g, tb, gb, ta, ga);
      timing.exact = dateTimeOfMinute(when);
      break;
    }
    timings.push_back(timing);
  }
  return timings;
}

QString AspectTimingText(const AspectTiming& timing, int zoneSeconds) {
  QString text = timing.applying ? QStringLiteral("applying") : QStringLiteral("separating");
  if (timing.exact) {
    text += QStringLiteral(", exact ") +
            timing.exact->toOffsetFromUtc(zoneSeconds).toString(QStringLiteral("HH:mm"));
  }
  return text;
}
