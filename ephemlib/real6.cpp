// SPDX-License-Identifier: LGPL-3.0-or-later
// The six-byte real: 40 significant bits, exponent biased by 129, zero when the exponent byte is 0.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "internal.h"

namespace {

// The format reaches 2^127 (exclusive) at the top and 2^-128 at the bottom.
constexpr long double kReal6Max = 0x1p127L;
constexpr long double kReal6Min = 0x1p-128L;
constexpr int kFractionBits = 39;

}  // namespace

namespace ephem::detail {

// Rounds a double's 53-bit significand to 40 bits, ties to even, on its bit pattern: the same
// result as the general path below, without long double arithmetic on the minute tick's path.
bool roundDoubleBits(double x, double& rounded) {
  uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
  // Only normal doubles well inside Real6's range take the fast path.
  if (biasedExponent < 1023 - 120 || biasedExponent > 1023 + 120) return false;
  constexpr uint64_t kDropped = (uint64_t{1} << 13) - 1;
  constexpr uint64_t kHalf = uint64_t{1} << 12;
  const uint64_t low = bits & kDropped;
  bits &= ~kDropped;
  if (low > kHalf || (low == kHalf && (bits & (kDropped + 1)))) bits += kDropped + 1;
  std::memcpy(&rounded, &bits, sizeof rounded);
  return true;
}

long double real6Round(long double x) {
  const auto asDouble = static_cast<double>(x);
  double fast = 0;
  if (static_cast<long double>(asDouble) == x && roundDoubleBits(asDouble, fast)) return fast;
  if (std::isnan(x))
    raiseArithmetic("Invalid floating-point value (not a number) for a six-byte real");
  if (x == 0) return 0.0L;
  if (std::isinf(x)) raiseArithmetic("Floating-point overflow: infinite value for a six-byte real");
  int exponent = 0;
  const long double mantissa = std::frexp(x, &exponent);  // [0.5, 1)
  // nearbyint rounds ties to even under the default rounding mode, as Real6 stores do.
  const long double scaled = std::nearbyint(std::ldexp(mantissa, kFractionBits + 1));
  const long double rounded = std::ldexp(scaled, exponent - (kFractionBits + 1));
  if (std::fabs(rounded) >= kReal6Max) {
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.6Lg", x);
    raiseArithmetic(std::string("Floating-point overflow: ") + shown +
                    " is too large for a six-byte real");
  }
  if (std::fabs(rounded) < kReal6Min) return 0.0L;
  return rounded;
}

}  // namespace ephem::detail

extern "C" {

double EphemReal6Round(double x) { return static_cast<double>(ephem::detail::real6Round(x)); }

void EphemReal6Encode(double value, uint8_t bytes[6]) {
  ephem::detail::requirePointers("EphemReal6Encode", {{"bytes", bytes}});
  const long double r = ephem::detail::real6Round(value);
  for (int i = 0; i < 6; ++i) bytes[i] = 0;
  if (r == 0) return;
  int exponent = 0;
  const long double mantissa = std::frexp(std::fabs(r), &exponent);  // |r| = 2m x 2^(e-1)
  const auto fraction =
      static_cast<uint64_t>(std::ldexp(2 * mantissa - 1, kFractionBits));  // exact: 39 bits
  bytes[0] = static_cast<uint8_t>(exponent - 1 + 129);
  for (int i = 0; i < 5; ++i) bytes[1 + i] = static_cast<uint8_t>(fraction >> (8 * i));
  if (r < 0) bytes[5] |= 0x80;
}

double EphemReal6Decode(const uint8_t bytes[6]) {
  if (bytes[0] == 0) return 0.0;
  uint64_t fraction = 0;
  for (int i = 0; i < 5; ++i) fraction |= static_cast<uint64_t>(bytes[1 + i]) << (8 * i);
  const bool negative = (fraction >> kFractionBits) & 1;
  fraction &= (uint64_t{1} << kFractionBits) - 1;
  const long double value = std::ldexp(
      1.0L + std::ldexp(static_cast<long double>(fraction), -kFractionBits), bytes[0] - 129);
  return static_cast<double>(negative ? -value : value);
}

}  // extern "C"
