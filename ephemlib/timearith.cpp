// Placeholder until this area is built: every entry raises.
#include "internal.h"

namespace ephem::detail { long double real6Round(long double x) { return x; } }
extern "C" {

int32_t JulDay(int32_t Month, int32_t Day, int32_t Year) {
  ephem::detail::raiseArithmetic("JulDay is not available yet");
}
void JuldayToDate(int32_t JD, int32_t* Month, int32_t* Day, int32_t* Year) {
  ephem::detail::raiseArithmetic("JuldayToDate is not available yet");
}
void SidTime(int32_t JD, double* ZodiacOffset, double* LST, double UT, double* T, double* Obliquity, double Longitude, unsigned char* Text) {
  ephem::detail::raiseArithmetic("SidTime is not available yet");
}
void TimeConv(uint8_t* Hour, uint8_t* Minute, uint8_t* Second, double Hours) {
  ephem::detail::raiseArithmetic("TimeConv is not available yet");
}
void RealToDegree(double X, unsigned char* result) {
  ephem::detail::raiseArithmetic("RealToDegree is not available yet");
}
void MakeSign(double Longitude, double Speed, unsigned char* result) {
  ephem::detail::raiseArithmetic("MakeSign is not available yet");
}
double MinToFrac(uint8_t Minutes) {
  ephem::detail::raiseArithmetic("MinToFrac is not available yet");
}
int32_t FracToMin(double Fraction) {
  ephem::detail::raiseArithmetic("FracToMin is not available yet");
}
double ArcSin(double X) {
  ephem::detail::raiseArithmetic("ArcSin is not available yet");
}
uint16_t CheckRuler(uint16_t Sign) {
  ephem::detail::raiseArithmetic("CheckRuler is not available yet");
}
void QSortReal(double* A, int32_t AHigh, int32_t Lo, int32_t Hi) {
  ephem::detail::raiseArithmetic("QSortReal is not available yet");
}
double XToTheY(double X, double Y) {
  ephem::detail::raiseArithmetic("XToTheY is not available yet");
}
double FC(double X) {
  ephem::detail::raiseArithmetic("FC is not available yet");
}
double FS(double X) {
  ephem::detail::raiseArithmetic("FS is not available yet");
}
double FR(double X) {
  ephem::detail::raiseArithmetic("FR is not available yet");
}
double FD(double X) {
  ephem::detail::raiseArithmetic("FD is not available yet");
}
double FU(double X) {
  ephem::detail::raiseArithmetic("FU is not available yet");
}
void EphemReal6Encode(double value, uint8_t bytes[6]) {
  ephem::detail::raiseArithmetic("EphemReal6Encode is not available yet");
}
double EphemReal6Decode(const uint8_t bytes[6]) {
  ephem::detail::raiseArithmetic("EphemReal6Decode is not available yet");
}
double EphemReal6Round(double x) {
  ephem::detail::raiseArithmetic("EphemReal6Round is not available yet");
}
}  // extern "C"
