// SPDX-License-Identifier: GPL-3.0-or-later
// The clock's one fold of an angle into a turn.
#ifndef HELIODIAL_ANGLES_H
#define HELIODIAL_ANGLES_H

#include <cmath>

// A longitude in degrees into [0, 360): whole turns off, a negative angle from the far side, and
// a result that rounds up to 360 taken as 0. Not a number and the infinities give 0.
inline double FoldLongitude(double longitude) {
  if (!std::isfinite(longitude)) return 0.0;
  double folded = std::fmod(longitude, 360.0);
  if (folded < 0.0) folded += 360.0;
  return folded >= 360.0 ? 0.0 : folded;
}

#endif
