// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

void EssentialDignities(const double* Positions, int32_t PositionsHigh, unsigned char* DignityTexts, int32_t DignityTextsHigh, uint8_t* Receptions, int32_t ReceptionsHigh) {
  ephem::detail::raiseArithmetic("EssentialDignities is not available yet");
}

void GetQualities(const double* Positions, int32_t PositionsHigh, uint8_t* Counts, int32_t CountsHigh, const uint8_t* Weights, int32_t WeightsHigh) {
  ephem::detail::raiseArithmetic("GetQualities is not available yet");
}

}  // extern "C"
