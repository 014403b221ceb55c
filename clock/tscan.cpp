#include "Clock.h"

void TfrmClock::ScanTransitingAspects1Click() {}
