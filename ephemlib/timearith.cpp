// SPDX-License-Identifier: LGPL-3.0-or-later
// Time and angle arithmetic: Julian days, sidereal time, position texts, degree trigonometry.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "internal.h"

using ephem::detail::raiseArithmetic;
using ephem::detail::raiseOutOfRange;
using ephem::detail::real6Round;
using ephem::detail::requireFinite;
using ephem::detail::requirePointers;
using ephem::detail::writeShortString;

namespace {

constexpr std::size_t kShortTextCapacity = 10;
constexpr unsigned char kDegreeSign = 0xB0;
constexpr unsigned char kAriesGlyph = 0x98;

// Pascal-style conversion of a truncated floating value to an 8-bit field: wraps modulo 256
// instead of the undefined behaviour of converting a negative or huge float to unsigned.
uint8_t wrapToByte(long double truncated) {
  if (!std::isfinite(truncated) || std::fabs(truncated) > 9.0e18L) return 0;
  return static_cast<uint8_t>(static_cast<int64_t>(truncated));
}

// Decimal text of a truncated, finite value, with a leading "0" when below 10. Whole numbers of
// ordinary size take the integer path: the clock formats 26 texts every minute.
std::string twoDigit(long double wholeValue, bool padBelowTen) {
  std::string text = padBelowTen ? "0" : "";
  if (std::fabs(wholeValue) < 1e18L) {
    char buffer[24];
    const auto whole = static_cast<int64_t>(wholeValue);
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, whole).ptr;
    return text.append(buffer, end);
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.0Lf", wholeValue);
  return text + buffer;
}

// Writes the decimal digits of value and returns the end.
char* appendDecimal(char* out, uint32_t value) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) *out++ = digits[--n];
  return out;
}

// Whole degrees and minutes of an exact longitude in [0, 360): the 1e-9 degree nudge absorbs the
// representation error of values such as 200.0 / 30 x 30 = 19.999..., and the minute count is
// kept below 360 degrees so the sign index stays 0..11.
void splitLongitude(long double longitude, int& sign, int& degrees, int& minutes) {
  constexpr long double kNudgeDegrees = 1e-9L;
  auto totalMinutes = static_cast<int64_t>(std::trunc((longitude + kNudgeDegrees) * 60.0L));
  if (totalMinutes > 360 * 60 - 1) totalMinutes = 360 * 60 - 1;
  sign = static_cast<int>(totalMinutes / (30 * 60));
  degrees = static_cast<int>((totalMinutes % (30 * 60)) / 60);
  minutes = static_cast<int>(totalMinutes % 60);
}

// The day numbers JuldayToDate converts exactly, found by comparing it with an independent
// proleptic Gregorian conversion over every day number. Below the first, N is negative and its
// integer divisions truncate where the steps need the floor; above the last, the bounded loops
// stop before the year is right.
constexpr int32_t kFirstConvertibleDay = 1721120;  // 0000-03-01
constexpr int32_t kLastConvertibleDay = 36219003;  // 94452-02-28

// FC and FS form X x pi first: beyond |X| = 5.7222349715140557e307 that product overflows, and
// the cosine or sine of the infinity would come back as NaN.
double radiansOfFiniteProduct(const char* function, double X) {
  requireFinite(function, {{"X", X}});
  const double radians = ephem::detail::degreesTimesPiOver180(X);
  if (!std::isfinite(radians)) {
    raiseOutOfRange(function, {"X", X}, "X x pi exceeds the largest double");
  }
  return radians;
}

}  // namespace

extern "C" {

int32_t JulDay(int32_t Month, int32_t Day, int32_t Year) {
  // Months counted from March of year -4800 keep every division below non-negative.
  const int64_t t12 = 12 * (static_cast<int64_t>(Year) + 4800) + Month - 3;
  int64_t j = Day + (365 * t12 + 2 * (t12 % 12) + 7) / 12 + t12 / 48 - 32083;
  // Strictly greater: 15 October 1582 is still read in the Julian calendar.
  if (j > 2299171) j = j + t12 / 4800 - t12 / 1200 + 38;
  return static_cast<int32_t>(j);
}

void JuldayToDate(int32_t JD, int32_t* Month, int32_t* Day, int32_t* Year) {
  requirePointers("JuldayToDate", {{"Month", Month}, {"Day", Day}, {"Year", Year}});
  if (JD < kFirstConvertibleDay || JD > kLastConvertibleDay) {
    raiseArithmetic("JuldayToDate: day number " + std::to_string(JD) + " lies outside " +
                    std::to_string(kFirstConvertibleDay) + " (1 March of the year 0) to " +
                    std::to_string(kLastConvertibleDay) +
                    " (28 February 94452), the days it converts exactly");
  }
  const int64_t n = static_cast<int64_t>(JD) - 1721029;
  int64_t y = n / 365;
  int64_t m = 0;
  int64_t d = 0;
  // Each loop moves by a month or a year toward the answer; their bounds set the top of the range
  // above, where N div 365 runs more years ahead of the date than the year loop takes back.
  for (int yearStep = 0; yearStep < 64; ++yearStep) {
    const int64_t r = n - 365 * y - y / 4 + y / 100 - y / 400;
    m = r / 31;
    for (int monthStep = 0; monthStep < 64; ++monthStep) {
      d = static_cast<int64_t>(std::trunc(0.4 * static_cast<double>(m) + 2.3)) + r - 31 * m;
      if (d > 31 || (d == 31 && (m == 4 || m == 6 || m == 9 || m == 11))) {
        ++m;
        continue;
      }
      break;
    }
    if (m < 3) {
      --y;
      continue;
    }
    break;
  }
  if (m > 12) {
    m -= 12;
    ++y;
  }
  if (d == 0) d = 1;
  *Month = static_cast<int32_t>(m);
  *Day = static_cast<int32_t>(d);
  *Year = static_cast<int32_t>(y);
}

void TimeConv(uint8_t* Hour, uint8_t* Minute, uint8_t* Second, double Hours) {
  requirePointers("TimeConv", {{"Hour", Hour}, {"Minute", Minute}, {"Second", Second}});
  requireFinite("TimeConv", {{"Hours", Hours}});
  // Single-precision steps; the half second added first rounds to the nearest second.
  float x = static_cast<float>(static_cast<long double>(Hours) + 1.0L / 7200.0L);
  const long double hour = std::trunc(static_cast<long double>(x));
  x = static_cast<float>(x - hour);
  const long double minute = std::trunc(static_cast<long double>(x) * 60.0L);
  x = static_cast<float>(x - minute / 60.0L);
  const long double second = std::trunc(static_cast<long double>(x) * 3600.0L);
  *Hour = wrapToByte(hour);
  *Minute = wrapToByte(minute);
  *Second = wrapToByte(second);
}

void SidTime(int32_t JD, double* ZodiacOffset, double* LST, double UT, double* T, double* Obliquity,
             double Longitude, unsigned char* Text) {
  requirePointers("SidTime", {{"ZodiacOffset", ZodiacOffset},
                              {"LST", LST},
                              {"T", T},
                              {"Obliquity", Obliquity},
                              {"Text", Text}});
  requireFinite("SidTime", {{"UT", UT}, {"Longitude", Longitude}});
  const long double t =
      ((static_cast<long double>(JD) - 2415020.0L) + UT / 24.0L - 0.5L) / 36525.0L;
  const double tStored = static_cast<double>(t);
  *T = tStored;

  long double s = ((2400.0513L * t + 6.6460656L + 0.0000258L * t * t) + UT) * 15.0L - Longitude;
  s = s - 360.0L * std::trunc(s / 360.0L);
  s = s / 15.0L;
  if (s < 0) s += 24.0L;
  double lst = static_cast<double>(s);
  if (lst >= 24.0) lst -= 24.0;  // a hair below zero can round up to exactly 24
  *LST = lst;

  *Obliquity = static_cast<double>(ephem::detail::meanObliquity(t));

  uint8_t h = 0, m = 0, sec = 0;
  TimeConv(&h, &m, &sec, lst);
  const std::string text =
      std::to_string(h) + "H" + std::to_string(m) + "M" + std::to_string(sec) + "S";
  writeShortString(Text, text, kShortTextCapacity);

  if (*ZodiacOffset != 0) {
    const double om = FU((933060.0 - 6962911.0 * tStored + 7.5 * tStored * tStored) / 3600.0);
    const double l2 = (259205536.0 * tStored + 20138160.0) / 3600.0;
    *ZodiacOffset =
        (17.23 * FS(om) + 1.27 * FS(l2) - (5025.64 + 1.11 * tStored) * tStored - 84038.27) / 3600.0;
  }
}

int32_t FracToMin(double Fraction) {
  const long double minutes = std::nearbyint(real6Round(Fraction) * 60.0L);  // ties to even
  if (minutes > 2147483647.0L || minutes < -2147483648.0L) {
    raiseArithmetic("FracToMin: " + std::to_string(Fraction) +
                    " degrees is too large to count in minutes");
  }
  return static_cast<int32_t>(minutes);
}

double MinToFrac(uint8_t Minutes) {
  return static_cast<double>(real6Round(static_cast<long double>(Minutes) / 60.0L));
}

void RealToDegree(double X, unsigned char* result) {
  requirePointers("RealToDegree", {{"result", result}});
  long double x = real6Round(X);
  const char signChar = x < 0 ? '-' : '+';
  x = std::fabs(x);
  const long double whole = std::trunc(x);
  const long double fraction = real6Round(x - whole);
  const int32_t minutes = FracToMin(static_cast<double>(fraction));
  if (whole < 1e7L) {
    // Every orb text of the aspect lists and the day scan: built in place, no allocation.
    char text[32];
    char* out = text;
    *out++ = signChar;
    const auto degrees = static_cast<uint32_t>(whole);
    if (degrees < 10) *out++ = '0';
    out = appendDecimal(out, degrees);
    *out++ = static_cast<char>(kDegreeSign);
    if (minutes < 10) *out++ = '0';
    out = appendDecimal(out, static_cast<uint32_t>(minutes));
    writeShortString(result, std::string_view(text, static_cast<std::size_t>(out - text)),
                     kShortTextCapacity);
    return;
  }
  std::string text(1, signChar);
  text += twoDigit(whole, whole < 10);
  text += static_cast<char>(kDegreeSign);
  text += twoDigit(minutes, minutes < 10);
  writeShortString(result, text, kShortTextCapacity);
}

void MakeSign(double Longitude, double Speed, unsigned char* result) {
  requirePointers("MakeSign", {{"result", result}});
  const long double longitude = real6Round(Longitude);
  const long double speed = real6Round(Speed);
  const char* mark = "  ";
  if (speed < 0) {
    mark = " R";
  } else if (speed > 0 && 60.0L * speed < 0.0013888891666666667L) {
    mark = " s";
  }
  if (longitude >= 0 && longitude < 360) {
    // The clock's path, 26 texts a minute: written straight into the result.
    int sign = 0, degrees = 0, minutes = 0;
    splitLongitude(longitude, sign, degrees, minutes);
    unsigned char* out = result + 1;
    *out++ = static_cast<unsigned char>('0' + degrees / 10);
    *out++ = static_cast<unsigned char>('0' + degrees % 10);
    *out++ = ' ';
    *out++ = static_cast<unsigned char>(kAriesGlyph + sign);
    *out++ = ' ';
    *out++ = static_cast<unsigned char>('0' + minutes / 10);
    *out++ = static_cast<unsigned char>('0' + minutes % 10);
    *out++ = static_cast<unsigned char>(mark[0]);
    *out++ = static_cast<unsigned char>(mark[1]);
    result[0] = static_cast<unsigned char>(out - (result + 1));
    return;
  }
  // Outside the circle the sign index leaves 0..11 and so does the glyph byte; callers fold first.
  const long double s = longitude / 30.0L;
  const long double n = std::trunc(s);
  const long double deg = (s - n) * 30.0L;
  const long double mn = (deg - std::trunc(deg)) * 60.0L;
  std::string text = twoDigit(std::trunc(deg), deg < 10);
  text += ' ';
  text += static_cast<char>(static_cast<unsigned char>(kAriesGlyph + wrapToByte(n)));
  text += ' ';
  text += twoDigit(std::trunc(mn), mn < 10);
  if (text.size() > kShortTextCapacity) text.resize(kShortTextCapacity);
  text += mark;
  writeShortString(result, text, kShortTextCapacity);
}

double ArcSin(double X) {
  const long double x = real6Round(X);
  if (std::fabs(x) >= 1) {
    raiseArithmetic("ArcSin: the argument " + std::to_string(static_cast<double>(x)) +
                    " lies outside -1 < X < 1");
  }
  return static_cast<double>(real6Round(std::atan(x / std::sqrt(1.0L - x * x))));
}

uint16_t CheckRuler(uint16_t Sign) {
  static constexpr uint16_t kRulers[13] = {0, 5, 4, 3, 2, 1, 3, 4, 10, 6, 7, 8, 9};
  return Sign >= 1 && Sign <= 12 ? kRulers[Sign] : 0;
}

void QSortReal(double* A, int32_t AHigh, int32_t Lo, int32_t Hi) {
  if (Lo >= Hi) return;
  requirePointers("QSortReal", {{"A", A}});
  // The sort trusts its range; a range outside the array would write past it, so refuse that.
  if (Lo < 0 || Hi > AHigh) {
    raiseArithmetic("QSortReal: the range " + std::to_string(Lo) + ".." + std::to_string(Hi) +
                    " lies outside the array 0.." + std::to_string(AHigh));
  }
  const double pivot = A[Lo + (Hi - Lo) / 2];
  int32_t i = Lo;
  int32_t j = Hi;
  do {
    while (A[i] < pivot && i < Hi) ++i;
    while (pivot < A[j] && j > Lo) --j;
    if (i <= j) {
      const double swap = A[i];
      A[i] = A[j];
      A[j] = swap;
      ++i;
      --j;
    }
  } while (i <= j);
  if (Lo < j) QSortReal(A, AHigh, Lo, j);
  if (i < Hi) QSortReal(A, AHigh, i, Hi);
}

double XToTheY(double X, double Y) {
  requireFinite("XToTheY", {{"X", X}, {"Y", Y}});
  if (!(X > 0)) {
    raiseArithmetic("XToTheY: the base " + std::to_string(X) +
                    " must be positive (logarithm of a non-positive number)");
  }
  const double result = std::exp(Y * std::log(X));
  if (!std::isfinite(result)) {
    raiseArithmetic("XToTheY: " + std::to_string(X) + " to the power " + std::to_string(Y) +
                    " overflows");
  }
  return result;
}

double FC(double X) { return std::cos(radiansOfFiniteProduct("FC", X)); }
double FS(double X) { return std::sin(radiansOfFiniteProduct("FS", X)); }
double FR(double X) {
  requireFinite("FR", {{"X", X}});
  return X * ephem::detail::kDegToRad;
}
double FD(double X) {
  requireFinite("FD", {{"X", X}});
  const double degrees = X * ephem::detail::kRadToDeg;
  if (!std::isfinite(degrees)) {
    raiseOutOfRange("FD", {"X", X}, "X x 57.29577951308232 exceeds the largest double");
  }
  return degrees;
}
double FU(double X) {
  requireFinite("FU", {{"X", X}});
  return ephem::detail::foldTurns(X);
}

}  // extern "C"
