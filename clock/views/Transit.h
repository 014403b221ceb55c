// SPDX-License-Identifier: GPL-3.0-or-later
// The transit-to-transit aspect window.
#ifndef HELIODIAL_TRANSIT_H
#define HELIODIAL_TRANSIT_H

#include "AspectWindow.h"

class TfrmAspectTT : public TfrmAspectList {
  Q_OBJECT
 public:
  // Placed as section ATT of the settings says.
  explicit TfrmAspectTT(const Settings& settings);
};

#endif
