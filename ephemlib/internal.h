// Helpers shared by the library's own source files; nothing here is exported.
#ifndef EPHEMLIB_INTERNAL_H
#define EPHEMLIB_INTERNAL_H

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>

#include "ephemlib.h"

namespace ephem::detail {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// The factors FR and FD multiply by; every degree/radian conversion in the library uses these.
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

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

// Writes a short string: length byte, then at most `capacity` bytes of text.
void writeShortString(unsigned char* buffer, std::string_view text, std::size_t capacity);
// Reads a short string back into a std::string.
std::string readShortString(const unsigned char* buffer);

[[noreturn]] void raiseArithmetic(const std::string& what);

}  // namespace ephem::detail

#endif
