// SPDX-License-Identifier: GPL-3.0-or-later
// The scan dialog: the day to scan and the orb, asked before each scan.
#ifndef HELIODIAL_TSCAN_H
#define HELIODIAL_TSCAN_H

#include <QDate>
#include <QDialog>
#include <memory>

#include "chart/DayScan.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QSpinBox;
class QDialogButtonBox;

namespace Ui {
class TfrmScan;
}

class TfrmScan : public QDialog {
  Q_OBJECT
 public:
  // The help topic of the orb group.
  static constexpr int kHelpContext = 102;

  // Preset with the day (the clock's tomorrow) and the transit orb of the settings.
  TfrmScan(QDate day, double transitOrb, QWidget* parent = nullptr);
  ~TfrmScan() override;

  QDate chosenDay() const;
  ScanOrb chosenOrb() const;
  // Whether the report adds the Moon's void windows and ingresses (off when the dialog opens).
  bool includeMoon() const;

  QDateEdit* dtDateScan = nullptr;
  QGroupBox* grpOrb = nullptr;
  QSpinBox* spOrbDeg = nullptr;
  QSpinBox* spOrbMin = nullptr;
  QCheckBox* optScanMoon = nullptr;
  QDialogButtonBox* btnBox = nullptr;

 signals:
  // F1 or the Help button: the help window should show this topic.
  void helpRequested(int topic);

 private:
  std::unique_ptr<Ui::TfrmScan> ui_;
};

#endif
