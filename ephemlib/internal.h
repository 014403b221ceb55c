// SPDX-License-Identifier: LGPL-3.0-or-later
// Helpers shared by the library's own source files; nothing here is exported.
#ifndef EPHEMLIB_INTERNAL_H
#define EPHEMLIB_INTERNAL_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "ephemlib.h"

namespace ephem::detail {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// The factors FR and FD multiply by; every degree/radian conversion in the library uses these.
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;
// The same factor as an extended-precision literal, for the planets' mean anomalies, which run to
// hundreds of thousands of degrees and are converted before they are folded. It is not the widened
// kDegToRad: the two differ in the bits below double precision.
constexpr long double kDegToRadExtended = 0.017453292519943295L;

// Degrees to radians written as X x pi / 180, the form of FC, FS and the obliquity. Two roundings:
// for about a quarter of all angles the last bit differs from X x kDegToRad, so each export keeps
// the form it has always had.
template <class F>
constexpr F degreesTimesPiOver180(F degrees) {
  return degrees * static_cast<F>(kPi) / static_cast<F>(180);
}

// Mean obliquity of the ecliptic, degrees at T = 0 and its change per Julian century.
constexpr long double kObliquityAtEpoch = 23.452294L;
constexpr long double kObliquityPerCentury = 0.0130125L;
static_assert(static_cast<double>(kObliquityAtEpoch) == 23.452294 &&
                  static_cast<double>(kObliquityPerCentury) == 0.0130125,
              "the double evaluation must see the same coefficients as the extended one");
// The mean obliquity in radians at T (Julian centuries from 1900 January 0.5). SidTime evaluates
// it in extended precision from its extended T, PlanetCalc in double from the T it was given.
template <class F>
constexpr F meanObliquity(F t) {
  return degreesTimesPiOver180(static_cast<F>(kObliquityAtEpoch) -
                               static_cast<F>(kObliquityPerCentury) * t);
}

// Arctangent of n/d, then a half turn when it is negative and another when the test value is
// negative: the result lies in [0, 2 pi). The house systems and the derived points all resolve
// their quadrants this way.
inline double halfTurn(double n, double d, double test) {
  double a = std::atan(n / d);
  if (a < 0) a += kPi;
  if (test < 0) a += kPi;
  return a;
}

// Real6 keeps 40 significant bits; values are rounded to that precision wherever the library
// stores one in a Real6 (arguments, some locals, results).
long double real6Round(long double x);

// The three angle folds. Each has exactly one definition so every caller agrees on the seams.
// Whole turns toward zero: (-360, 360), sign of x kept (FU).
inline double foldTurns(double x) { return x - 360.0 * std::trunc(x / 360.0); }
// The same in extended precision, for the lunar arguments whose last bits matter at large T.
inline long double foldTurns(long double x) { return x - 360.0L * std::trunc(x / 360.0L); }
// Into [0, 360).
inline double fold360(double x) {
  double r = std::fmod(x, 360.0);
  if (r < 0) r += 360.0;
  return r >= 360.0 ? 0.0 : r;
}
// Into (-180, 180].
inline double foldSigned180(double x) {
  double r = fold360(x);
  return r > 180.0 ? r - 360.0 : r;
}

// The apparent solar longitude of ExactSun, without its checks: NaN where the series' solar
// eccentricity passes -1, which happens for T outside kSunRangeText's range.
double apparentSunLongitude(double T);
inline constexpr const char* kSunRangeText =
    "the solar series holds for T from -3011.3899382980976 to 2679.6439065520658";

// Writes a short string: length byte, then at most `capacity` bytes of text.
void writeShortString(unsigned char* buffer, std::string_view text, std::size_t capacity);
// Reads a short string back into a std::string.
std::string readShortString(const unsigned char* buffer);

[[noreturn]] void raiseArithmetic(const std::string& what);

// One argument of an export, by the name the header gives it.
struct NamedValue {
  const char* name;
  double value;
};
// Raises EphemArithmeticError naming the export and the argument.
[[noreturn]] void raiseNotFinite(const char* function, const NamedValue& argument);
// Raises for the first argument that is NaN or infinite: such a value would otherwise run through
// the arithmetic and come back as a NaN result. Inline, so the hot exports pay only the test.
inline void requireFinite(const char* function, std::initializer_list<NamedValue> arguments) {
  for (const NamedValue& argument : arguments) {
    if (!std::isfinite(argument.value)) raiseNotFinite(function, argument);
  }
}
// Raises EphemArithmeticError when an array is missing or its highest index is below `needed`,
// before anything reads or writes past its end.
void requireHighIndex(const char* function, const char* array, const void* data, int32_t high,
                      int32_t needed);

// One pointer argument of an export, by the name the header gives it.
struct NamedPointer {
  const char* name;
  const void* pointer;
};
// Raises EphemArithmeticError naming the export and the argument that is a null pointer.
[[noreturn]] void raiseMissing(const char* function, const char* name);
// Raises for the first null pointer, before the export writes through any of them.
inline void requirePointers(const char* function, std::initializer_list<NamedPointer> pointers) {
  for (const NamedPointer& p : pointers) {
    if (p.pointer == nullptr) raiseMissing(function, p.name);
  }
}

// Raises EphemArithmeticError for a finite argument whose result would not be finite:
// "Export: Argument is out of range (value given): reason".
[[noreturn]] void raiseOutOfRange(const char* function, const NamedValue& argument,
                                  const std::string& reason);

}  // namespace ephem::detail

#endif
