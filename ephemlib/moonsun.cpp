// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

void MoonCalc(uint8_t NodeMode, double* LonOnlyResult, int32_t LonOnly, double ZodiacOffset, double T, double* MoonLon, double* NodeLon, double* MoonLat) {
  ephem::detail::raiseArithmetic("MoonCalc is not available yet");
}

void ExactSun(double* SunLon, double T) {
  ephem::detail::raiseArithmetic("ExactSun is not available yet");
}

void ExactMoon(double* MoonLon, double ZodiacOffset, double T) {
  ephem::detail::raiseArithmetic("ExactMoon is not available yet");
}

void MoonProgCalc(uint8_t NodeMode, int32_t JD, double UT, double ZodiacOffset, double StartLon, double* Steps, int32_t StepsHigh) {
  ephem::detail::raiseArithmetic("MoonProgCalc is not available yet");
}

}  // extern "C"
