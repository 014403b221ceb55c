// SPDX-License-Identifier: LGPL-3.0-or-later
// Event searches: the Sun on the Ascendant or Midheaven, and planetary returns, found by stepping.
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "internal.h"

using ephem::detail::foldSigned180;
using ephem::detail::raiseArithmetic;

namespace {

using ephem::detail::kDegToRad;

constexpr int32_t kTheoryHigh = EPHEM_THEORY_TABLE_HIGH;
constexpr int kPointsHigh = EPHEM_CHART_POINT_COUNT;
constexpr int kTermCountsHigh = 12;
constexpr long double kMinute = 1.0L / 60.0L;  // hours
constexpr int kMinutesPerDay = 1440;

// Moon modes other than 2 include the Moon; each search has always passed its own value.
constexpr int32_t kDawnMoonMode = 99;
constexpr int32_t kReturnMoonMode = 13;

constexpr int kYearTries = 250;            // g = 0..250
constexpr int kDayTries = 10000;           // i = 1..10000
constexpr int kMinuteTries = 400;          // k = 0..400
constexpr double kDayBand = 2.5;           // degrees past the target still accepted by the day scan
constexpr double kNarrowingFloor = 0.008;  // hours
// Past this many halvings the step is below the resolution of the hour, so nothing changes any
// more.
constexpr int kMaxHalvings = 64;

// One call's private planetary tables and PlanetCalc scratch, and its copy of the zodiac value.
class Sky {
 public:
  Sky(int32_t centric, uint8_t nodeMode, double zodiac, int32_t moonMode)
      : centric_(centric), nodeMode_(nodeMode), moonMode_(moonMode), zodiac_(zodiac) {
    InitialisePlanets(theory_.data(), kTheoryHigh);
  }

  // SidTime for day and hour; a non-zero zodiac value is replaced by the correction for this T.
  double centuries(int32_t day, double hour, double longitude) {
    unsigned char text[11];
    double t = 0.0;
    SidTime(day, &zodiac_, &lst_, hour, &t, &obliquity_, longitude, text);
    return t;
  }

  // Ascendant or Midheaven at the sidereal time and obliquity of the latest centuries() call.
  double angle(double latitude, bool midheaven) const {
    double asc = 0.0;
    double mc = 0.0;
    AsMcCalc(&asc, &mc, lst_ * 15.0 * kDegToRad, latitude * kDegToRad, obliquity_, zodiac_);
    return midheaven ? mc : asc;
  }

  // Longitude of one body at T; its speed is kept as the latest speed.
  double longitude(int body, double t) {
    PlanetCalc(1, EPHEM_BODY_COUNT, centric_, zodiac_, work_.data(), kPointsHigh, t,
               termCounts_.data(), kTermCountsHigh, moonMode_, lon_.data(), kPointsHigh,
               decl_.data(), kPointsHigh, speed_.data(), kPointsHigh, theory_.data(), kTheoryHigh,
               nodeMode_);
    latestSpeed_ = speed_[body];
    return lon_[body];
  }

  double latestSpeed() const { return latestSpeed_; }

 private:
  int32_t centric_;
  uint8_t nodeMode_;
  int32_t moonMode_;
  double zodiac_;
  double lst_ = 0.0;
  double obliquity_ = 0.0;
  double latestSpeed_ = 0.0;
  std::array<double, kTheoryHigh + 1> theory_{};
  std::array<double, kPointsHigh + 1> work_{};
  std::array<uint8_t, kTermCountsHigh + 1> termCounts_{};
  std::array<double, kPointsHigh + 1> lon_{};
  std::array<double, kPointsHigh + 1> decl_{};
  std::array<double, kPointsHigh + 1> speed_{};
};

double addHours(double time, long double hours) {
  return static_cast<double>(static_cast<long double>(time) + hours);
}

// Dawn and Noon: estimate from the angle's rate over one minute, then settle by whole minutes.
void sunOnAngle(const char* function, bool midheaven, double start, uint8_t nodeMode,
                int32_t centric, int32_t day, double zodiac, double longitude, double latitude,
                double* angleOut, double* timeOut) {
  ephem::detail::requirePointers(function,
                                 {{midheaven ? "MC" : "Asc", angleOut}, {"Time", timeOut}});
  ephem::detail::requireFinite(function, {{"Longitude", longitude}, {"Latitude", latitude}});
  Sky sky(centric, nodeMode, zodiac, kDawnMoonMode);
  double time = start;
  sky.centuries(day, time, longitude);
  const double a0 = sky.angle(latitude, midheaven);
  time = addHours(time, kMinute);
  const double t1 = sky.centuries(day, time, longitude);
  const double a1 = sky.angle(latitude, midheaven);
  const double rate = a1 - a0;  // degrees per minute
  const double sunEstimate = sky.longitude(1, t1);
  double arc = sunEstimate - a1;
  if (sunEstimate < a1) arc += 360.0;
  time = addHours(time, static_cast<long double>(arc) / rate / 60.0L);

  const double t = sky.centuries(day, time, longitude);
  double angle = sky.angle(latitude, midheaven);
  const double sun = sky.longitude(1, t);

  // The signed difference makes the stepping take the shorter way round, also across 0/360;
  // a day's worth of minutes bounds it where the angle never meets the Sun.
  double diff = foldSigned180(angle - sun);
  if (!std::isfinite(diff)) {
    raiseArithmetic(std::string(function) + ": no " + (midheaven ? "Midheaven" : "Ascendant") +
                    " time can be estimated on day " + std::to_string(day) + " at latitude " +
                    std::to_string(latitude));
  }
  const bool forward = diff < 0.0;
  for (int steps = 0; forward ? diff < 0.0 : diff > 0.0; ++steps) {
    if (steps == kMinutesPerDay) {
      raiseArithmetic(std::string(function) + ": the Sun does not meet the " +
                      (midheaven ? "Midheaven" : "Ascendant") + " within a day of day " +
                      std::to_string(day) + " at latitude " + std::to_string(latitude));
    }
    if (forward) {
      time = addHours(time, kMinute);
      if (time >= 24.0) time -= 24.0;
    } else {
      time = addHours(time, -kMinute);
      if (time < 0.0) time += 24.0;
    }
    sky.centuries(day, time, longitude);
    angle = sky.angle(latitude, midheaven);
    diff = foldSigned180(angle - sun);
    YieldToOthers();
  }
  *angleOut = angle;
  *timeOut = time;
}

class ReturnSearch {
 public:
  ReturnSearch(int body, int32_t centric, double zodiac, uint8_t nodeMode)
      : body_(body), sky_(centric, nodeMode, zodiac, kReturnMoonMode) {}

  // Longitude at 0 h of a day, through SidTime (and so its zodiac correction for that day).
  double atDayStart(int64_t day) {
    return sky_.longitude(body_, sky_.centuries(checkedDay(day), 0.0, 0.0));
  }

  // Longitude at an hour of a day, its centuries formed directly.
  double atHour(int64_t day, double hour) {
    const long double t =
        (static_cast<long double>(day - 2415020) + hour / 24.0L - 0.5L) / 36525.0L;
    return sky_.longitude(body_, static_cast<double>(t));
  }

  bool direct() const { return sky_.latestSpeed() > 0.0; }
  // Whether a longitude has reached the target in the body's latest direction of motion.
  bool reached(double lon, double q) const { return direct() ? lon >= q : lon <= q; }
  double speed() const { return sky_.latestSpeed(); }

 private:
  static int32_t checkedDay(int64_t day) {
    if (day < std::numeric_limits<int32_t>::min() || day > std::numeric_limits<int32_t>::max()) {
      raiseArithmetic("GetReturn: the search ran past the range of day numbers (day " +
                      std::to_string(day) + ")");
    }
    return static_cast<int32_t>(day);
  }

  int body_;
  Sky sky_;
};

// Steps 4 to 6 for the day before the accepted one: half day, halving walk back, minute scan.
bool refineWithinDay(ReturnSearch& search, int64_t day, double upper, double lower, double q,
                     double* time) {
  double m = upper;
  double o = lower;
  double h = 12.0;
  double a = search.atHour(day, h);
  if (o - a > 2.0) a += 360.0;
  const bool afternoon = search.direct() ? (a < q || a - q > 357.0) : a > q;
  if (afternoon) {
    o = a;
    h = 24.0;
  } else {
    m = a;
    h = 12.0;
  }
  if (m >= 0.0 && m < 1.0 && q >= 360.0) m += 360.0;

  double step = 6.0;
  for (int n = 0; n < kMaxHalvings && search.reached(m, q) && h >= kNarrowingFloor; ++n) {
    h -= step;
    m = search.atHour(day, h);
    if (o - m > 180.0) m += 360.0;
    step /= 2.0;
    YieldToOthers();
  }

  const double wholeHour = std::trunc(h);
  for (int k = 0; k <= kMinuteTries; ++k) {
    const double hour = static_cast<double>(wholeHour + k / 60.0L);
    double lon = search.atHour(day, hour);
    if (q >= 360.0 && lon < 1.0) lon += 360.0;
    const double v = search.speed();
    YieldToOthers();
    if ((lon >= q && v >= 0.0) || (lon <= q && v <= 0.0)) {
      *time = hour;
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" {

void Dawn(uint8_t NodeMode, int32_t Centric, int32_t Day, double ZodiacOffset, double Longitude,
          double Latitude, double* Asc, double* Time) {
  sunOnAngle("Dawn", false, 0.0, NodeMode, Centric, Day, ZodiacOffset, Longitude, Latitude, Asc,
             Time);
}

void Noon(uint8_t NodeMode, int32_t Centric, int32_t Day, double ZodiacOffset, double Longitude,
          double Latitude, double* MC, double* Time) {
  sunOnAngle("Noon", true, 6.0, NodeMode, Centric, Day, ZodiacOffset, Longitude, Latitude, MC,
             Time);
}

void GetReturn(uint16_t Body, uint16_t Window, int32_t Centric, double Target, double* Time,
               int32_t* Day, double ZodiacOffset, uint8_t NodeMode) {
  if (Body < 1 || Body > EPHEM_BODY_COUNT) {
    raiseArithmetic("GetReturn: body " + std::to_string(Body) +
                    " is not one of the points 1 (Sun) to 12 (Chiron)");
  }
  ephem::detail::requirePointers("GetReturn", {{"Time", Time}, {"Day", Day}});
  // No longitude equals a NaN or an infinite target: that is a return never found, reported as
  // such (Time unwritten, Day unchanged) at once. An infinitely negative target would otherwise
  // pass the year test every time and walk the whole day scan of each of the 251 years.
  if (!std::isfinite(Target)) return;
  ReturnSearch search(Body, Centric, ZodiacOffset, NodeMode);
  int64_t day = *Day;
  double target = Target;
  if (search.atDayStart(day) > target) target += 360.0;

  for (int g = 0; g <= kYearTries; ++g) {
    const double delta = target - search.atDayStart(day + 365 * g);
    YieldToOthers();
    const bool accepted = delta <= Window || (delta - 360.0 >= 0.0 && delta - 360.0 <= Window);
    if (!accepted) continue;
    if (target >= 360.0) target -= 360.0;
    day += 365 * g;

    // A failed refinement goes on with the next i, counted from the day it moved to.
    for (int i = 1; i <= kDayTries; ++i) {
      const double lon = search.atDayStart(day + i);
      YieldToOthers();
      if (!(lon >= target && std::fabs(lon - target) < kDayBand)) continue;
      day += i - 1;
      const double upper = lon;
      const double lower = search.atDayStart(day);
      const double q = target < 1.0 ? target + 360.0 : target;
      if (refineWithinDay(search, day, upper, lower, q, Time)) {
        *Day = static_cast<int32_t>(day);
        return;
      }
    }
  }
  *Day = static_cast<int32_t>(day);
}

}  // extern "C"
