#include "Clock.h"

void TfrmClock::Options1Click() {}
