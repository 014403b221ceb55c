// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "ephemlib.h"

namespace {

// Library texts with the degree sign shown as 'o' and sign glyph bytes as <n> (0..11).
std::string readable(const unsigned char* s) {
  std::string out;
  for (int i = 1; i <= s[0]; ++i) {
    const unsigned char c = s[i];
    if (c == 0xB0) {
      out += 'o';
    } else if (c >= 0x98 && c <= 0xA3) {
      out += "<" + std::to_string(c - 0x98) + ">";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string makeSign(double lon, double speed) {
  unsigned char buffer[11];
  MakeSign(lon, speed, buffer);
  return readable(buffer);
}

std::string realToDegree(double x) {
  unsigned char buffer[11];
  RealToDegree(x, buffer);
  return readable(buffer);
}

TEST(JulDay, CalendarSwitchAndKnownDays) {
  struct Row {
    const char* name;
    int month, day, year, jd;
  } rows[] = {
      {"J2000", 1, 1, 2000, 2451545},
      {"1900", 1, 1, 1900, 2415021},
      {"last Julian date read as such", 10, 4, 1582, 2299160},
      {"15 Oct 1582 still Julian (strictly greater)", 10, 15, 1582, 2299171},
      {"first Gregorian date", 10, 16, 1582, 2299162},
      {"year 1", 1, 1, 1, 1721424},
      {"1583 Gregorian", 7, 1, 1583, 2299420},
  };
  for (const Row& r : rows) EXPECT_EQ(JulDay(r.month, r.day, r.year), r.jd) << r.name;
}

TEST(JulDay, RoundTripsThroughJuldayToDateFrom1582To2400) {
  const int daysInMonth[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int previous = JulDay(10, 15, 1582);
  int checked = 0;
  for (int year = 1582; year <= 2400; ++year) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    for (int month = 1; month <= 12; ++month) {
      const int days = daysInMonth[month] + (month == 2 && leap ? 1 : 0);
      for (int day = 1; day <= days; ++day) {
        if (year == 1582 && (month < 10 || (month == 10 && day < 16))) continue;
        const int jd = JulDay(month, day, year);
        ASSERT_EQ(jd, previous + (checked == 0 ? -9 : 1)) << year << "-" << month << "-" << day;
        int m = 0, d = 0, y = 0;
        JuldayToDate(jd, &m, &d, &y);
        ASSERT_EQ(m * 100 + d, month * 100 + day) << year;
        ASSERT_EQ(y, year);
        previous = jd;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 298000);
  int m, d, y;
  JuldayToDate(JulDay(2, 29, 1600), &m, &d, &y);
  EXPECT_EQ(m * 100 + d, 229);
  JuldayToDate(JulDay(3, 1, 1900), &m, &d, &y);
  EXPECT_EQ(m * 100 + d, 301);
  EXPECT_EQ(JulDay(3, 1, 1900) - JulDay(2, 28, 1900), 1);
}

// Proleptic Gregorian date of a Julian day number by the era arithmetic of days_from_civil's
// inverse (H. Hinnant, "chrono-compatible low-level date algorithms"), independent of the
// library's month-stepping steps.
void civilFromDay(int64_t jd, int64_t& year, int& month, int& day) {
  const int64_t z = jd - 2440588 + 719468;  // days from 0000-03-01
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

// The conversion is exact from 1 March of the year 0 to 28 February 94452 and refuses day numbers
// outside, where it used to return dates such as month -45236.
TEST(JuldayToDate, ExactOverItsWholeRangeAndRefusesDaysOutsideIt) {
  struct Row {
    const char* name;
    int32_t jd;
    int year, month, day;
  } rows[] = {
      {"first day converted", 1721120, 0, 3, 1},
      {"1 January 1", 1721426, 1, 1, 1},
      {"J2000", 2451545, 2000, 1, 1},
      {"last day converted", 36219003, 94452, 2, 28},
  };
  for (const Row& r : rows) {
    int m = 0, d = 0, y = 0;
    JuldayToDate(r.jd, &m, &d, &y);
    EXPECT_EQ(y * 10000 + m * 100 + d, r.year * 10000 + r.month * 100 + r.day) << r.name;
  }
  for (int64_t jd = 1721120; jd <= 36219003; jd += 997) {
    int m = 0, d = 0, y = 0;
    JuldayToDate(static_cast<int32_t>(jd), &m, &d, &y);
    int64_t year = 0;
    int month = 0, day = 0;
    civilFromDay(jd, year, month, day);
    ASSERT_EQ(y * 10000LL + m * 100 + d, year * 10000 + month * 100 + day) << "JD " << jd;
  }
  for (int32_t jd : {1721119, 0, -5, INT32_MIN, 36219004, 40000000, INT32_MAX}) {
    int m = -1, d = -1, y = -1;
    try {
      JuldayToDate(jd, &m, &d, &y);
      ADD_FAILURE() << "JD " << jd << " gave " << y << "-" << m << "-" << d;
    } catch (const EphemArithmeticError& e) {
      EXPECT_NE(std::string(e.what()).find("JuldayToDate: day number " + std::to_string(jd)),
                std::string::npos)
          << e.what();
      EXPECT_EQ(m, -1) << "nothing written";
    }
  }
}

TEST(SidTime, ReferenceValuesAtJ2000) {
  double offset = 0, lst = 0, t = 0, obliquity = 0;
  unsigned char text[11];
  SidTime(2451545, &offset, &lst, 12.0, &t, &obliquity, 0.0, text);
  EXPECT_EQ(t, 1.0);
  EXPECT_NEAR(lst, 18.69739, 1e-5);
  EXPECT_EQ(readable(text), "18H41M51S");
  EXPECT_NEAR(obliquity, 0.4090926, 1e-7);
  EXPECT_EQ(offset, 0.0) << "a tropical request stays exactly 0";

  offset = 1.0;
  SidTime(2451545, &offset, &lst, 12.0, &t, &obliquity, 0.0, text);
  EXPECT_NEAR(offset, -24.7365, 1e-4);

  offset = 0;
  SidTime(2451545, &offset, &lst, 0.0, &t, &obliquity, 0.0, text);
  EXPECT_NEAR(lst, 6.66454, 1e-5);
  EXPECT_EQ(readable(text), "6H39M52S") << "no leading zeros";
}

// Local sidereal time in hours, folded into [0, 24) with a floor, from the same expression in
// extended precision: an independent check of the library's fold, which removes whole turns
// toward zero and then adds 24 to a negative result.
long double referenceLst(int32_t jd, double ut, double longitude) {
  const long double t = ((jd - 2415020.0L) + ut / 24.0L - 0.5L) / 36525.0L;
  const long double hours =
      ((2400.0513L * t + 6.6460656L + 0.0000258L * t * t) + ut) - longitude / 15.0L;
  return hours - 24.0L * std::floor(hours / 24.0L);
}

double hoursApart(double a, double b) {
  const double d = std::fabs(std::fmod(a - b, 24.0));
  return std::min(d, 24.0 - d);
}

// Before 1900 T is negative and the raw sidereal angle is a large negative number of degrees: the
// fold toward zero leaves it negative, and only the added day brings it into [0, 24).
TEST(SidTime, BeforeAndAfter1900FoldsIntoTheDay) {
  struct Row {
    const char* name;
    int month, day, year;
    double ut, longitude;
  } rows[] = {
      {"1 January 1700, 3 h", 1, 1, 1700, 3.0, 0.0},
      {"1 January 1800, 0 h, 120 W", 1, 1, 1800, 0.0, 120.0},
      {"31 December 1899, 23.9 h, 75 E", 12, 31, 1899, 23.9, -75.0},
      {"15 June 1620, 12 h, 10 W", 6, 15, 1620, 12.0, 10.0},
      {"1 January 1900, noon", 1, 1, 1900, 12.0, 0.0},
      {"1 March 2100, 18 h, 170 E", 3, 1, 2100, 18.0, -170.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const int32_t jd = JulDay(r.month, r.day, r.year);
    double offset = 0, lst = -1, t = 0, obliquity = 0;
    unsigned char text[11];
    SidTime(jd, &offset, &lst, r.ut, &t, &obliquity, r.longitude, text);
    EXPECT_GE(lst, 0.0);
    EXPECT_LT(lst, 24.0);
    EXPECT_NEAR(lst, static_cast<double>(referenceLst(jd, r.ut, r.longitude)), 1e-9);
  }
  // 1 January 1700 (JD 2341973) at 3 h UT on the Greenwich meridian, worked by hand:
  // T = (2341973 - 2415020 + 0.125 - 0.5) / 36525 = -1.9999281 centuries;
  // 2400.0513 T + 6.6460656 + 0.0000258 T^2 + 3 = -4790.2839 h = -200 days + 9.7161 h.
  double offset = 0, lst = -1, t = 0, obliquity = 0;
  unsigned char text[11];
  SidTime(JulDay(1, 1, 1700), &offset, &lst, 3.0, &t, &obliquity, 0.0, text);
  EXPECT_NEAR(lst, 9.7161, 1e-4);
}

// 24.0 h of one day is 0 h of the next: the same T, the same sidereal time, never 24 itself.
TEST(SidTime, TwentyFourHoursIsMidnightOfTheNextDay) {
  for (int32_t jd = 2305000; jd < 2490000; jd += 3653) {
    for (double longitude : {-179.5, -45.0, 0.0, 33.3, 150.0}) {
      double offset = 0, lstEnd = -1, tEnd = 0, obliquity = 0;
      double lstNext = -1, tNext = 0;
      unsigned char text[11];
      SidTime(jd, &offset, &lstEnd, 24.0, &tEnd, &obliquity, longitude, text);
      SidTime(jd + 1, &offset, &lstNext, 0.0, &tNext, &obliquity, longitude, text);
      ASSERT_EQ(tEnd, tNext) << "JD " << jd;
      ASSERT_GE(lstEnd, 0.0);
      ASSERT_LT(lstEnd, 24.0);
      ASSERT_LT(hoursApart(lstEnd, lstNext), 1e-9) << "JD " << jd << ", longitude " << longitude;
    }
  }
}

TEST(SidTime, LocalSiderealTimeStaysInItsDayForAnyLongitude) {
  for (double longitude = -180; longitude <= 180; longitude += 7.5) {
    for (double ut = 0; ut < 24; ut += 1.25) {
      double offset = 0, lst = 0, t = 0, obliquity = 0;
      unsigned char text[11];
      SidTime(2460000, &offset, &lst, ut, &t, &obliquity, longitude, text);
      ASSERT_GE(lst, 0.0);
      ASSERT_LT(lst, 24.0);
      ASSERT_LE(text[0], 10);
      ASSERT_TRUE(text[1] != '0' || text[2] == 'H') << "no leading zero unless the hour is 0";
    }
  }
}

TEST(TimeConv, RoundsToTheNearestSecond) {
  struct Row {
    double hours;
    int h, m, s;
  } rows[] = {{0.0, 0, 0, 0},
              {12.5, 12, 30, 0},
              {1.0 + 59.0 / 60 + 59.6 / 3600, 2, 0, 0},
              {6.0 + 5.0 / 60 + 9.2 / 3600, 6, 5, 9}};
  for (const Row& r : rows) {
    uint8_t h = 0, m = 0, s = 0;
    TimeConv(&h, &m, &s, r.hours);
    EXPECT_EQ(h * 3600 + m * 60 + s, r.h * 3600 + r.m * 60 + r.s) << r.hours;
  }
}

TEST(MakeSign, TextsOfExactMinutesSignsAndMotionMarks) {
  struct Row {
    const char* name;
    double lon, speed;
    const char* text;
  } rows[] = {
      {"exact degree", 200.0, 1.0, "20 <6> 00  "},
      {"Real6 of 123.45 lies below it", 123.45, 1.0, "03 <4> 27  "},
      {"zero", 0.0, 0.0, "00 <0> 00  "},
      {"Taurus half degree", 45.5, 1.0, "15 <1> 30  "},
      {"retrograde", 10.0, -0.0001, "10 <0> 00 R"},
      {"nearly stationary", 10.0, 0.00002, "10 <0> 00 s"},
      {"moving", 10.0, 0.00003, "10 <0> 00  "},
      {"last minute of Pisces", 359.99, 1.0, "29 <11> 59  "},
      {"every exact minute", 330.0 + 29.0 + 59.0 / 60.0, 1.0, "29 <11> 59  "},
  };
  for (const Row& r : rows) EXPECT_EQ(makeSign(r.lon, r.speed), r.text) << r.name;
}

TEST(MakeSign, EveryExactMinuteOfTheCirclePrintsItself) {
  for (int minute = 0; minute < 360 * 60; minute += 7) {
    const double lon = minute / 60.0;
    const int inSign = minute % 1800;
    char expected[16];
    std::snprintf(expected, sizeof expected, "%02d <%d> %02d  ", inSign / 60, minute / 1800,
                  inSign % 60);
    ASSERT_EQ(makeSign(lon, 1.0), expected) << lon;
  }
}

TEST(RealToDegree, SignedDegreesAndRoundedMinutes) {
  struct Row {
    double x;
    const char* text;
  } rows[] = {{5.5, "+05o30"},
              {-123.25, "-123o15"},
              {0.0, "+00o00"},
              {-0.0, "+00o00"},
              {0.9999, "+00o60"},
              {-1.999, "-01o60"},
              {12.0 + 1.0 / 60, "+12o01"}};
  for (const Row& r : rows) EXPECT_EQ(realToDegree(r.x), r.text) << r.x;
}

TEST(Real6Functions, RoundingOfArgumentsAndResults) {
  EXPECT_EQ(FracToMin(0.125), 8) << "7.5 minutes: a tie goes to the even neighbour";
  EXPECT_EQ(FracToMin(0.375), 22) << "22.5 minutes";
  EXPECT_EQ(FracToMin(0.25), 15);
  EXPECT_EQ(MinToFrac(30), 0.5);
  EXPECT_EQ(MinToFrac(1), EphemReal6Round(1.0 / 60));
  EXPECT_NEAR(ArcSin(0.5), 0.5235987755982988, 1e-11);
  EXPECT_EQ(ArcSin(0.5), EphemReal6Round(ArcSin(0.5)));
}

TEST(BadInput, RaisesTheArithmeticErrorWithAClearText) {
  for (double x : {1.0, -1.0, 1.5, -7.0}) {
    try {
      ArcSin(x);
      ADD_FAILURE() << "ArcSin(" << x << ") returned";
    } catch (const EphemArithmeticError& e) {
      EXPECT_NE(std::string(e.what()).find("ArcSin"), std::string::npos);
    }
  }
  EXPECT_THROW(XToTheY(0.0, 2.0), EphemArithmeticError);
  EXPECT_THROW(XToTheY(-2.0, 0.5), EphemArithmeticError);
  EXPECT_THROW(XToTheY(10.0, 400.0), EphemArithmeticError) << "overflow, not infinity";
  EXPECT_DOUBLE_EQ(XToTheY(2.0, 10.0), 1024.0);
  EXPECT_THROW(RealToDegree(1e300, nullptr), EphemArithmeticError) << "too large for Real6";
}

TEST(DegreeFunctions, FoldsAndConversions) {
  EXPECT_EQ(FU(370), 10);
  EXPECT_EQ(FU(-370), -10);
  EXPECT_EQ(FU(-30), -30) << "negative angles stay negative";
  EXPECT_EQ(FU(720), 0);
  EXPECT_NEAR(FS(30), 0.5, 1e-15);
  EXPECT_NEAR(FC(60), 0.5, 1e-15);
  EXPECT_NEAR(FD(FR(123.456)), 123.456, 1e-12);
}

TEST(QSortReal, SortsInPlaceIncludingEqualElements) {
  std::vector<std::vector<double>> inputs = {
      {5, 5, 5, 5, 5}, {3, 1, 2}, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, {1, 2, 2, 1, 2, 1, 0, 0}, {4}};
  for (auto a : inputs) {
    auto expected = a;
    std::sort(expected.begin(), expected.end());
    QSortReal(a.data(), static_cast<int32_t>(a.size()) - 1, 0, static_cast<int32_t>(a.size()) - 1);
    EXPECT_EQ(a, expected);
  }
  std::vector<double> part = {9, 3, 2, 1, 0};
  QSortReal(part.data(), 4, 1, 3);
  EXPECT_EQ(part, (std::vector<double>{9, 1, 2, 3, 0})) << "only Lo..Hi is touched";
  EXPECT_THROW(QSortReal(part.data(), 4, 0, 5), EphemArithmeticError);
}

}  // namespace
