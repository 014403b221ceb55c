// SPDX-License-Identifier: GPL-3.0-or-later
#include "Transit.h"

TfrmAspectTT::TfrmAspectTT(const Settings& settings)
    : TfrmAspectList(QStringLiteral("Transiting Aspects"), settings.ATTGeometry,
                     QStringLiteral("Times New Roman"), false) {
  setObjectName(QStringLiteral("TfrmAspectTT"));
}
