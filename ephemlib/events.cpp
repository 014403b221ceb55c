// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

void Dawn(uint8_t NodeMode, int32_t Centric, int32_t Day, double ZodiacOffset, double Longitude, double Latitude, double* Asc, double* Time) {
  ephem::detail::raiseArithmetic("Dawn is not available yet");
}

void Noon(uint8_t NodeMode, int32_t Centric, int32_t Day, double ZodiacOffset, double Longitude, double Latitude, double* MC, double* Time) {
  ephem::detail::raiseArithmetic("Noon is not available yet");
}

void GetReturn(uint16_t Body, uint16_t Window, int32_t Centric, double Target, double* Time, int32_t* Day, double ZodiacOffset, uint8_t NodeMode) {
  ephem::detail::raiseArithmetic("GetReturn is not available yet");
}

}  // extern "C"
