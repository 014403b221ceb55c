// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrToNatal.h"

TfrmAspectTN::TfrmAspectTN(const Settings& settings)
    : TfrmAspectList(QStringLiteral("Aspects to Natal"), settings.ATNGeometry, QString(), true) {
  setObjectName(QStringLiteral("TfrmAspectTN"));
}
