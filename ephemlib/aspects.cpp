// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

void AspCalc(const double* Positions, int32_t PositionsHigh, const float* Orbs, int32_t OrbsHigh, unsigned char* Codes, unsigned char* OrbTexts, int32_t OrbTextsHigh, bool BoostMinor, int32_t BoostPercent, bool BoostLuminaries, int32_t CustomAngle) {
  ephem::detail::raiseArithmetic("AspCalc is not available yet");
}

void MultiAsp(const double* PositionsA, int32_t PositionsAHigh, const double* PositionsB, int32_t PositionsBHigh, const float* Orbs, int32_t OrbsHigh, unsigned char* Codes, unsigned char* OrbTexts, int32_t OrbTextsHigh, int32_t CustomAngle) {
  ephem::detail::raiseArithmetic("MultiAsp is not available yet");
}

}  // extern "C"
