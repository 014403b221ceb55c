// SPDX-License-Identifier: GPL-3.0-or-later
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ephemlib.h"

namespace {

// The documented ordinal order; hosts bind by these numbers.
const char* const kExportNames[53] = {nullptr,
                                      "ArcSin",
                                      "MinToFrac",
                                      "FracToMin",
                                      "CheckRuler",
                                      "RealToDegree",
                                      "AsMcCalc",
                                      "CampHouse",
                                      "EqHouse",
                                      "ExactMoon",
                                      "ExactSun",
                                      "GetHouseSize",
                                      "JuldayToDate",
                                      "JulDay",
                                      "KochHouse",
                                      "MakeSign",
                                      "MeridHouse",
                                      "MorHouse",
                                      "PlacHouse",
                                      "PorHouse",
                                      "RegHouse",
                                      "TimeConv",
                                      "SidTime",
                                      "TopHouse",
                                      "QSortReal",
                                      "RotateToCusp",
                                      "GetQualities",
                                      "Vertex",
                                      "EastPoint",
                                      "MoonPhase",
                                      "PartFortune",
                                      "MoonProgCalc",
                                      "Dawn",
                                      "Noon",
                                      "FindPlanetHouse",
                                      "DistanceFromCusp",
                                      "InitialisePlanets",
                                      "PlanetCalc",
                                      "MoonCalc",
                                      "XToTheY",
                                      "FC",
                                      "FD",
                                      "FR",
                                      "FS",
                                      "FU",
                                      "YieldToOthers",
                                      "GetReturn",
                                      "CopyFile",
                                      "DirExists",
                                      "EssentialDignities",
                                      "SunMoonMid",
                                      "AspCalc",
                                      "MultiAsp"};

TEST(ExportTable, EveryOrdinalHasItsDocumentedNameAndTheDynamicSymbolsAddress) {
  int32_t count = 0;
  const EphemExport* table = EphemlibExportTable(&count);
  ASSERT_EQ(count, 52);
  // The loaded library by its soname; under a sanitizer dlopen runs from the sanitizer's runtime,
  // which has no path to search, so only the name of the object already loaded finds it.
  void* self = dlopen("libephemlib.so.3", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(self, nullptr) << dlerror();
  for (int i = 0; i < 52; ++i) {
    SCOPED_TRACE(kExportNames[i + 1]);
    EXPECT_EQ(table[i].ordinal, i + 1);
    EXPECT_STREQ(table[i].name, kExportNames[i + 1]);
    void* symbol = dlsym(self, kExportNames[i + 1]);
    EXPECT_EQ(reinterpret_cast<void*>(table[i].address), symbol);
  }
  dlclose(self);
}

int yieldCalls = 0;
void countYield() { ++yieldCalls; }

TEST(YieldToOthers, CallsTheInstalledHandlerAndNothingWithoutOne) {
  yieldCalls = 0;
  YieldToOthers();
  EXPECT_EQ(yieldCalls, 0);
  SetYieldHandler(&countYield);
  YieldToOthers();
  YieldToOthers();
  EXPECT_EQ(yieldCalls, 2);
  SetYieldHandler(nullptr);
  YieldToOthers();
  EXPECT_EQ(yieldCalls, 2);
}

}  // namespace
