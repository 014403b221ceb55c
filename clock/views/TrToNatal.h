// SPDX-License-Identifier: GPL-3.0-or-later
// The transit-to-natal aspect window.
#ifndef HELIODIAL_TRTONATAL_H
#define HELIODIAL_TRTONATAL_H

#include "AspectWindow.h"

class TfrmAspectTN : public TfrmAspectList {
  Q_OBJECT
 public:
  // Placed as section ATN of the settings says.
  explicit TfrmAspectTN(const Settings& settings);
};

#endif
