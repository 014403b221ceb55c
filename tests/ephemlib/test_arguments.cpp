// Non-finite times, places and angles are refused with a text that names the export and the
// argument, instead of running through the arithmetic and coming back as NaN results.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "ephemlib.h"

namespace {

constexpr double kObliquity = 0.409;

struct Case {
  const char* expectedText;  // "Export: Argument"
  std::function<void(double)> call;
};

std::array<double, EPHEM_THEORY_TABLE_SIZE> theoryTable() {
  std::array<double, EPHEM_THEORY_TABLE_SIZE> table{};
  InitialisePlanets(table.data(), EPHEM_THEORY_TABLE_HIGH);
  return table;
}

void planetCalc(double t, double offset) {
  static const auto table = theoryTable();
  std::array<double, EPHEM_CHART_POINT_COUNT + 1> work{}, lon{}, decl{}, speed{};
  std::array<uint8_t, 13> termCounts{};
  PlanetCalc(1, EPHEM_BODY_COUNT, 0, offset, work.data(), EPHEM_CHART_POINT_COUNT, t,
             termCounts.data(), 12, 1, lon.data(), EPHEM_CHART_POINT_COUNT, decl.data(),
             EPHEM_CHART_POINT_COUNT, speed.data(), EPHEM_CHART_POINT_COUNT, table.data(),
             EPHEM_THEORY_TABLE_HIGH, 0);
}

TEST(NonFiniteArguments, AreRefusedNamingTheExportAndTheArgument) {
  double out = 0, out2 = 0, out3 = 0, out4 = 0;
  unsigned char text[11];
  double cusps[15];
  std::array<double, 13> steps{};
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
  };
  const double kBad[] = {std::numeric_limits<double>::quiet_NaN(), HUGE_VAL, -HUGE_VAL};
  for (const Case& c : cases) {
    for (double bad : kBad) {
      SCOPED_TRACE(testing::Message() << c.expectedText << " = " << bad);
      try {
        c.call(bad);
        ADD_FAILURE() << "no error raised";
      } catch (const EphemArithmeticError& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind(std::string(c.expectedText) + " must be a finite number", 0), 0u)
            << what;
      }
    }
  }
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
