// SPDX-License-Identifier: GPL-3.0-or-later
// "Compute from birth data...": the small form that takes a birth date, local time, place and
// time zone and computes the natal chart of that moment with the clock's own chart computation.
#ifndef HELIODIAL_BIRTHFORM_H
#define HELIODIAL_BIRTHFORM_H

#include <QDialog>
#include <optional>

#include "chart/NatalChart.h"

class PlaceSearch;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

class TfrmBirthData : public QDialog {
  Q_OBJECT
 public:
  // place prefills the place of birth; base and theory are what the chart is computed with.
  TfrmBirthData(const BirthPlace& place, const Settings& base, const TheoryTable& theory,
                QWidget* parent);

  // The fourteen longitudes computed when OK was pressed.
  const NatalLongitudes& positions() const { return positions_; }

  // The birth data as the form holds it; no zone offset when the zone name is unknown.
  std::optional<BirthData> birthData() const;

  // The zone offset text ("UTC+02:00") for seconds east of Greenwich.
  static QString OffsetText(int seconds);

  QDateEdit* dtBirthDate = nullptr;
  QTimeEdit* tmBirthTime = nullptr;
  PlaceSearch* placeSearch = nullptr;  // "Find place...": fills the place and its zone
  QSpinBox* spnLatD = nullptr;
  QSpinBox* spnLatM = nullptr;
  QRadioButton* optN = nullptr;
  QRadioButton* optS = nullptr;
  QSpinBox* spnLongD = nullptr;
  QSpinBox* spnLongM = nullptr;
  QRadioButton* optE = nullptr;
  QRadioButton* optW = nullptr;
  QRadioButton* optZoneName = nullptr;
  QComboBox* cbZone = nullptr;
  QRadioButton* optZoneOffset = nullptr;
  QComboBox* cbOffset = nullptr;
  QLabel* lblZoneNote = nullptr;  // the offset in force, and a skipped or repeated local time
  QLabel* lblError = nullptr;     // why no chart could be computed
  QPushButton* btnOK = nullptr;

 private:
  void updateZoneNote();
  void compute();

  // Copies: the settings the dialog passes are made for this form and do not outlive the call.
  const Settings base_;
  const TheoryTable theory_;
  NatalLongitudes positions_{};
};

#endif
