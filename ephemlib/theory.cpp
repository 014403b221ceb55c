// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

void InitialisePlanets(double* TheoryTable, int32_t TheoryTableHigh) {
  ephem::detail::raiseArithmetic("InitialisePlanets is not available yet");
}

}  // extern "C"
