// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

void PlanetCalc(int32_t First, int32_t Last, int32_t Centric, double ZodiacOffset, const double* Work, int32_t WorkHigh, double T, const uint8_t* TermCounts, int32_t TermCountsHigh, int32_t MoonMode, double* Lon, int32_t LonHigh, double* Decl, int32_t DeclHigh, double* Speed, int32_t SpeedHigh, const double* TheoryTable, int32_t TheoryTableHigh, uint8_t NodeMode) {
  ephem::detail::raiseArithmetic("PlanetCalc is not available yet");
}

}  // extern "C"
