// SPDX-License-Identifier: LGPL-3.0-or-later
// The library frame: its exceptions, the ordinal export table and the yield hook.
#include <algorithm>

#include "internal.h"

EphemArithmeticError::EphemArithmeticError(const std::string& what) : std::runtime_error(what) {}
EphemArithmeticError::~EphemArithmeticError() = default;
EphemIoError::EphemIoError(const std::string& what) : std::runtime_error(what) {}
EphemIoError::~EphemIoError() = default;

namespace ephem::detail {

void writeShortString(unsigned char* buffer, std::string_view text, std::size_t capacity) {
  const std::size_t n = std::min(text.size(), capacity);
  buffer[0] = static_cast<unsigned char>(n);
  std::copy_n(reinterpret_cast<const unsigned char*>(text.data()), n, buffer + 1);
}

std::string readShortString(const unsigned char* buffer) {
  return std::string(reinterpret_cast<const char*>(buffer + 1), buffer[0]);
}

void raiseArithmetic(const std::string& what) { throw EphemArithmeticError(what); }

}  // namespace ephem::detail

namespace {

// The one piece of library state: the host's message pump. Installed once by the host at start-up.
void (*yieldHandler)(void) = nullptr;

template <typename F>
void (*anyAddress(F* f))(void) {
  return reinterpret_cast<void (*)(void)>(f);
}

// Ordinals are part of the interface: hosts bind by them, so this order never changes.
const EphemExport exportTable[] = {
    {1, "ArcSin", anyAddress(&ArcSin)},
    {2, "MinToFrac", anyAddress(&MinToFrac)},
    {3, "FracToMin", anyAddress(&FracToMin)},
    {4, "CheckRuler", anyAddress(&CheckRuler)},
    {5, "RealToDegree", anyAddress(&RealToDegree)},
    {6, "AsMcCalc", anyAddress(&AsMcCalc)},
    {7, "CampHouse", anyAddress(&CampHouse)},
    {8, "EqHouse", anyAddress(&EqHouse)},
    {9, "ExactMoon", anyAddress(&ExactMoon)},
    {10, "ExactSun", anyAddress(&ExactSun)},
    {11, "GetHouseSize", anyAddress(&GetHouseSize)},
    {12, "JuldayToDate", anyAddress(&JuldayToDate)},
    {13, "JulDay", anyAddress(&JulDay)},
    {14, "KochHouse", anyAddress(&KochHouse)},
    {15, "MakeSign", anyAddress(&MakeSign)},
    {16, "MeridHouse", anyAddress(&MeridHouse)},
    {17, "MorHouse", anyAddress(&MorHouse)},
    {18, "PlacHouse", anyAddress(&PlacHouse)},
    {19, "PorHouse", anyAddress(&PorHouse)},
    {20, "RegHouse", anyAddress(&RegHouse)},
    {21, "TimeConv", anyAddress(&TimeConv)},
    {22, "SidTime", anyAddress(&SidTime)},
    {23, "TopHouse", anyAddress(&TopHouse)},
    {24, "QSortReal", anyAddress(&QSortReal)},
    {25, "RotateToCusp", anyAddress(&RotateToCusp)},
    {26, "GetQualities", anyAddress(&GetQualities)},
    {27, "Vertex", anyAddress(&Vertex)},
    {28, "EastPoint", anyAddress(&EastPoint)},
    {29, "MoonPhase", anyAddress(&MoonPhase)},
    {30, "PartFortune", anyAddress(&PartFortune)},
    {31, "MoonProgCalc", anyAddress(&MoonProgCalc)},
    {32, "Dawn", anyAddress(&Dawn)},
    {33, "Noon", anyAddress(&Noon)},
    {34, "FindPlanetHouse", anyAddress(&FindPlanetHouse)},
    {35, "DistanceFromCusp", anyAddress(&DistanceFromCusp)},
    {36, "InitialisePlanets", anyAddress(&InitialisePlanets)},
    {37, "PlanetCalc", anyAddress(&PlanetCalc)},
    {38, "MoonCalc", anyAddress(&MoonCalc)},
    {39, "XToTheY", anyAddress(&XToTheY)},
    {40, "FC", anyAddress(&FC)},
    {41, "FD", anyAddress(&FD)},
    {42, "FR", anyAddress(&FR)},
    {43, "FS", anyAddress(&FS)},
    {44, "FU", anyAddress(&FU)},
    {45, "YieldToOthers", anyAddress(&YieldToOthers)},
    {46, "GetReturn", anyAddress(&GetReturn)},
    {47, "CopyFile", anyAddress(&CopyFile)},
    {48, "DirExists", anyAddress(&DirExists)},
    {49, "EssentialDignities", anyAddress(&EssentialDignities)},
    {50, "SunMoonMid", anyAddress(&SunMoonMid)},
    {51, "AspCalc", anyAddress(&AspCalc)},
    {52, "MultiAsp", anyAddress(&MultiAsp)},
};
static_assert(sizeof(exportTable) / sizeof(exportTable[0]) == 52, "ephemlib exports 52 functions");

}  // namespace

extern "C" {

const EphemExport* EphemlibExportTable(int32_t* count) {
  if (count) *count = 52;
  return exportTable;
}

void SetYieldHandler(void (*handler)(void)) { yieldHandler = handler; }

void YieldToOthers(void) {
  if (yieldHandler) yieldHandler();
}

}  // extern "C"
