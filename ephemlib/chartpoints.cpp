// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

int32_t FindPlanetHouse(const double* Cusps, int32_t CuspsHigh, double Longitude) {
  ephem::detail::raiseArithmetic("FindPlanetHouse is not available yet");
}

double DistanceFromCusp(double Cusp, double Longitude) {
  ephem::detail::raiseArithmetic("DistanceFromCusp is not available yet");
}

void RotateToCusp(double* Points, int32_t PointsHigh, double* Cusps, int32_t CuspsHigh, uint16_t CuspIndex) {
  ephem::detail::raiseArithmetic("RotateToCusp is not available yet");
}

void Vertex(double* Longitude, double Obliquity, double SiderealTime, double Latitude) {
  ephem::detail::raiseArithmetic("Vertex is not available yet");
}

void EastPoint(double* Longitude, double Obliquity, double SiderealTime) {
  ephem::detail::raiseArithmetic("EastPoint is not available yet");
}

void PartFortune(double* Longitude, double Sun, double Moon, double Asc) {
  ephem::detail::raiseArithmetic("PartFortune is not available yet");
}

void MoonPhase(int16_t* Phase, double Sun, double Moon) {
  ephem::detail::raiseArithmetic("MoonPhase is not available yet");
}

void SunMoonMid(double* Longitude, double Sun, double Moon) {
  ephem::detail::raiseArithmetic("SunMoonMid is not available yet");
}

}  // extern "C"
