// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

void AsMcCalc(double* Asc, double* MC, double RAMC, double Latitude, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("AsMcCalc is not available yet");
}

void PlacHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("PlacHouse is not available yet");
}

void KochHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("KochHouse is not available yet");
}

void TopHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("TopHouse is not available yet");
}

void RegHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("RegHouse is not available yet");
}

void PorHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("PorHouse is not available yet");
}

void MorHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("MorHouse is not available yet");
}

void MeridHouse(double* Cusps, int32_t CuspsHigh, double SiderealTime, double Latitude, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("MeridHouse is not available yet");
}

void CampHouse(double* Cusps, int32_t CuspsHigh, double Latitude, double SiderealTime, double Obliquity, double ZodiacOffset) {
  ephem::detail::raiseArithmetic("CampHouse is not available yet");
}

void EqHouse(double* Asc, double* MC, double SiderealTime, double Latitude, double ZodiacOffset, double Obliquity, double* Cusps, int32_t CuspsHigh) {
  ephem::detail::raiseArithmetic("EqHouse is not available yet");
}

double GetHouseSize(double CuspFrom, double CuspTo) {
  ephem::detail::raiseArithmetic("GetHouseSize is not available yet");
}

}  // extern "C"
