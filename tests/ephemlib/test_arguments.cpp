// SPDX-License-Identifier: GPL-3.0-or-later
// Non-finite times, places and angles, finite ones whose results would not be finite, and null
// result pointers are refused with a text that names the export and the argument, instead of
// running through the arithmetic and coming back as NaN results or writing through null.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "ephemlib.h"

namespace {

constexpr double kObliquity = 0.409;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Case {
  const char* expectedText;  // "Export: Argument"
  std::function<void(double)> call;
  const char* complaint = " must be a finite number";
  std::vector<double> values = {kNaN, HUGE_VAL, -HUGE_VAL};
};
// The other two complaints: a finite value whose result would not be finite, a null pointer.
constexpr const char* kOutOfRange = " is out of range";
constexpr const char* kMissing = " is missing";

std::array<double, EPHEM_THEORY_TABLE_SIZE> theoryTable() {
  std::array<double, EPHEM_THEORY_TABLE_SIZE> table{};
  InitialisePlanets(table.data(), EPHEM_THEORY_TABLE_HIGH);
  return table;
}

// Which of PlanetCalc's arrays a row passes as null.
enum Null { kNone, kLon, kTable };

void planetCalc(double t, double offset, Null null = kNone, int first = 1) {
  static const auto table = theoryTable();
  std::array<double, EPHEM_CHART_POINT_COUNT + 1> work{}, lon{}, decl{}, speed{};
  std::array<uint8_t, 13> termCounts{};
  PlanetCalc(first, EPHEM_BODY_COUNT, 0, offset, work.data(), EPHEM_CHART_POINT_COUNT, t,
             termCounts.data(), 12, 1, null == kLon ? nullptr : lon.data(), EPHEM_CHART_POINT_COUNT,
             decl.data(), EPHEM_CHART_POINT_COUNT, speed.data(), EPHEM_CHART_POINT_COUNT,
             null == kTable ? nullptr : table.data(), EPHEM_THEORY_TABLE_HIGH, 0);
}

// The next double after a positive limit.
double above(double limit) { return std::nextafter(limit, HUGE_VAL); }

TEST(BadArguments, AreRefusedNamingTheExportAndTheArgument) {
  double out = 0, out2 = 0, out3 = 0, out4 = 0;
  unsigned char text[11];
  double cusps[15];
  std::array<double, 13> steps{};
  uint8_t bytes[2];
  int32_t ints[2];
  double lons[15] = {};
  float orbs[12] = {};
  unsigned char orbTexts[6 * 91];
  const double kLastPlanetT = 259.49965493443756, kFirstPlanetT = -131.59778959551761;
  const double kLastSunT = 2679.6439065520658, kLastFcX = 5.7222349715140557e307;
  const Case cases[] = {
      {"PlanetCalc: T", [](double x) { planetCalc(x, 0.0); }},
      {"PlanetCalc: ZodiacOffset", [](double x) { planetCalc(1.0, x); }},
      {"MoonCalc: T", [&](double x) { MoonCalc(0, &out, 0, 0.0, x, &out2, &out3, &out4); }},
      {"MoonCalc: ZodiacOffset",
       [&](double x) { MoonCalc(0, &out, 0, x, 1.0, &out2, &out3, &out4); }},
      {"ExactSun: T", [&](double x) { ExactSun(&out, x); }},
      {"ExactMoon: T", [&](double x) { ExactMoon(&out, 0.0, x); }},
      {"ExactMoon: ZodiacOffset", [&](double x) { ExactMoon(&out, x, 1.0); }},
      {"MoonProgCalc: UT",
       [&](double x) { MoonProgCalc(0, 2451545, x, 0.0, 10.0, steps.data(), 12); }},
      {"MoonProgCalc: StartLon",
       [&](double x) { MoonProgCalc(0, 2451545, 1.0, 0.0, x, steps.data(), 12); }},
      {"SidTime: UT", [&](double x) { SidTime(2451545, &out, &out2, x, &out3, &out4, 0.0, text); }},
      {"SidTime: Longitude",
       [&](double x) { SidTime(2451545, &out, &out2, 12.0, &out3, &out4, x, text); }},
      {"TimeConv: Hours",
       [](double x) {
         uint8_t h, m, s;
         TimeConv(&h, &m, &s, x);
       }},
      {"FU: X", [](double x) { FU(x); }},
      {"FC: X", [](double x) { FC(x); }},
      {"FS: X", [](double x) { FS(x); }},
      {"FR: X", [](double x) { FR(x); }},
      {"FD: X", [](double x) { FD(x); }},
      {"XToTheY: Y", [](double x) { XToTheY(2.0, x); }},
      {"GetHouseSize: CuspFrom", [](double x) { GetHouseSize(x, 10.0); }},
      {"GetHouseSize: CuspTo", [](double x) { GetHouseSize(10.0, x); }},
      {"MeridHouse: Latitude", [&](double x) { MeridHouse(cusps, 14, 10.5, x, kObliquity, 0.0); }},
      {"MorHouse: Latitude", [&](double x) { MorHouse(cusps, 14, 10.5, x, kObliquity, 0.0); }},
      {"PlacHouse: SiderealTime",
       [&](double x) { PlacHouse(cusps, 14, x, 40.0, kObliquity, 0.0); }},
      {"CampHouse: Latitude", [&](double x) { CampHouse(cusps, 14, x, 10.5, kObliquity, 0.0); }},
      {"EqHouse: ZodiacOffset",
       [&](double x) { EqHouse(&out, &out2, 10.5, 40.0, x, kObliquity, cusps, 14); }},
      {"AsMcCalc: Latitude", [&](double x) { AsMcCalc(&out, &out2, 1.0, x, kObliquity, 0.0); }},
      {"DistanceFromCusp: Longitude", [](double x) { DistanceFromCusp(10.0, x); }},
      {"FindPlanetHouse: Longitude",
       [&](double x) {
         for (int n = 0; n <= 12; ++n) cusps[n] = 30.0 * n;
         FindPlanetHouse(cusps, 12, x);
       }},
      {"Vertex: Latitude", [&](double x) { Vertex(&out, kObliquity, 10.5, x); }},
      {"Dawn: Latitude", [&](double x) { Dawn(0, 0, 2451545, 0.0, 0.0, x, &out, &out2); }},
      {"Noon: Longitude", [&](double x) { Noon(0, 0, 2451545, 0.0, x, 0.0, &out, &out2); }},
      // Finite, but the result would be NaN: an orbit no longer elliptic, X x pi overflowing.
      {"PlanetCalc: T", [](double x) { planetCalc(x, 0.0); }, kOutOfRange, {above(kLastPlanetT)}},
      {"PlanetCalc: T", [](double x) { planetCalc(x, 0.0); }, kOutOfRange, {-131.59778959551764}},
      {"PlanetCalc: T", [](double x) { planetCalc(x, 0.0, kNone, 10); }, kOutOfRange, {260.0}},
      {"ExactSun: T", [&](double x) { ExactSun(&out, x); }, kOutOfRange, {above(kLastSunT), -3012}},
      {"FC: X", [](double x) { FC(x); }, kOutOfRange, {above(kLastFcX), -1e308}},
      {"FS: X", [](double x) { FS(x); }, kOutOfRange, {-above(kLastFcX)}},
      {"FD: X", [](double x) { FD(x); }, kOutOfRange, {3.1375664143845872e306}},
      // Null pointers where the export writes its results or reads its table.
      {"PlanetCalc: TheoryTable", [](double) { planetCalc(1.0, 0.0, kTable); }, kMissing},
      {"PlanetCalc: Lon", [](double) { planetCalc(1.0, 0.0, kLon); }, kMissing},
      {"ExactSun: SunLon", [](double) { ExactSun(nullptr, 1.0); }, kMissing},
      {"ExactMoon: MoonLon", [](double) { ExactMoon(nullptr, 0.0, 1.0); }, kMissing},
      {"MoonCalc: LonOnlyResult", [&](double) { MoonCalc(0, nullptr, 1, 0, 1, &out, &out, &out); },
       kMissing},
      {"MoonCalc: MoonLat", [&](double) { MoonCalc(0, &out, 0, 0, 1, &out, &out, nullptr); },
       kMissing},
      {"SidTime: Text", [&](double) { SidTime(2451545, &out, &out, 1, &out, &out, 0, nullptr); },
       kMissing},
      {"TimeConv: Second", [&](double) { TimeConv(&bytes[0], &bytes[1], nullptr, 1.0); }, kMissing},
      {"JuldayToDate: Year", [&](double) { JuldayToDate(2451545, &ints[0], &ints[1], nullptr); },
       kMissing},
      {"RealToDegree: result", [](double) { RealToDegree(1.0, nullptr); }, kMissing},
      {"MakeSign: result", [](double) { MakeSign(1.0, 0.0, nullptr); }, kMissing},
      {"EphemReal6Encode: bytes", [](double) { EphemReal6Encode(1.0, nullptr); }, kMissing},
      {"QSortReal: A", [](double) { QSortReal(nullptr, 12, 1, 12); }, kMissing},
      {"Dawn: Time", [&](double) { Dawn(0, 0, 2451545, 0, 0, 40, &out, nullptr); }, kMissing},
      {"Noon: MC", [&](double) { Noon(0, 0, 2451545, 0, 0, 40, nullptr, &out); }, kMissing},
      {"GetReturn: Day", [&](double) { GetReturn(1, 30, 0, 1, &out, nullptr, 0, 0); }, kMissing},
      {"AspCalc: Codes",
       [&](double) { AspCalc(lons, 14, orbs, 11, nullptr, orbTexts, 90, false, 0, false, 0); },
       kMissing},
  };
  for (const Case& c : cases) {
    for (double bad : c.values) {
      SCOPED_TRACE(testing::Message() << c.expectedText << " = " << bad);
      try {
        c.call(bad);
        ADD_FAILURE() << "no error raised";
      } catch (const EphemArithmeticError& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind(std::string(c.expectedText) + c.complaint, 0), 0u) << what;
      }
    }
  }
  // The last values that still give results keep giving them.
  EXPECT_NO_THROW(planetCalc(kLastPlanetT, 0.0));
  EXPECT_NO_THROW(planetCalc(kFirstPlanetT, 0.0));
  EXPECT_NO_THROW(planetCalc(290.0, 0.0, kNone, 11));  // Chiron alone reaches further
  EXPECT_NO_THROW(ExactSun(&out, kLastSunT));
  EXPECT_NO_THROW(FC(-kLastFcX));
}

TEST(MissingArrays, AreRefusedInsteadOfWrittenThrough) {
  EXPECT_THROW(InitialisePlanets(nullptr, EPHEM_THEORY_TABLE_HIGH), EphemArithmeticError);
  std::array<uint8_t, 13> counts{};
  std::array<uint8_t, 15> weights{};
  EXPECT_THROW(GetQualities(nullptr, EPHEM_CHART_POINT_COUNT, counts.data(), 12, weights.data(),
                            EPHEM_CHART_POINT_COUNT),
               EphemArithmeticError);
}

}  // namespace
