// SPDX-License-Identifier: GPL-3.0-or-later
#include "BirthForm.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "PlaceSearch.h"

namespace {

// Every offset in use on Earth lies on a quarter hour from UTC-12:00 to UTC+14:00.
constexpr int kOffsetStep = 15 * 60;
constexpr int kLowestOffset = -12 * 3600;
constexpr int kHighestOffset = 14 * 3600;

QSpinBox* Spin(QWidget* parent, int high, const QString& suffix, const QString& name, int value) {
  auto* spin = new QSpinBox(parent);
  spin->setRange(0, high);
  spin->setSuffix(suffix);
  spin->setAccessibleName(name);
  spin->setValue(value);
  return spin;
}

QRadioButton* Radio(QWidget* parent, const QString& text, const QString& name) {
  auto* radio = new QRadioButton(text, parent);
  radio->setAccessibleName(name);
  return radio;
}

}  // namespace

QString TfrmBirthData::OffsetText(int seconds) {
  const QChar sign = seconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
  const int magnitude = std::abs(seconds);
  QString text = QStringLiteral("UTC%1%2:%3")
                     .arg(sign)
                     .arg(magnitude / 3600, 2, 10, QLatin1Char('0'))
                     .arg(magnitude / 60 % 60, 2, 10, QLatin1Char('0'));
  // Local mean times of the nineteenth century keep their seconds.
  if (magnitude % 60 != 0)
    text += QStringLiteral(":%1").arg(magnitude % 60, 2, 10, QLatin1Char('0'));
  return text;
}

TfrmBirthData::TfrmBirthData(const BirthPlace& place, const Settings& base,
                             const TheoryTable& theory, QWidget* parent)
    : QDialog(parent), base_(base), theory_(theory) {
  setObjectName(QStringLiteral("TfrmBirthData"));
  setWindowTitle(QStringLiteral("Natal Chart from Birth Data"));
  setAccessibleName(windowTitle());
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* when = new QFormLayout;
  dtBirthDate = new QDateEdit(QDate(2000, 1, 1), this);
  dtBirthDate->setObjectName(QStringLiteral("dtBirthDate"));
  dtBirthDate->setAccessibleName(QStringLiteral("Date of birth"));
  dtBirthDate->setCalendarPopup(true);
  dtBirthDate->setDisplayFormat(QStringLiteral("d MMMM yyyy"));
  dtBirthDate->setDateRange(QDate(1600, 1, 1), QDate(2399, 12, 31));
  tmBirthTime = new QTimeEdit(QTime(12, 0), this);
  tmBirthTime->setObjectName(QStringLiteral("tmBirthTime"));
  tmBirthTime->setAccessibleName(QStringLiteral("Local time of birth"));
  tmBirthTime->setDisplayFormat(QStringLiteral("HH:mm"));
  when->addRow(QStringLiteral("&Date of birth:"), dtBirthDate);
  when->addRow(QStringLiteral("Local &time of birth:"), tmBirthTime);

  auto* where = new QGroupBox(QStringLiteral("Place of birth"), this);
  auto* grid = new QGridLayout(where);
  spnLatD =
      Spin(where, 90, QStringLiteral("\u00b0"), QStringLiteral("Latitude degrees"), place.latD);
  spnLatM = Spin(where, 59, QStringLiteral("'"), QStringLiteral("Latitude minutes"), place.latM);
  optN = Radio(where, QStringLiteral("N"), QStringLiteral("North"));
  optS = Radio(where, QStringLiteral("S"), QStringLiteral("South"));
  spnLongD =
      Spin(where, 180, QStringLiteral("\u00b0"), QStringLiteral("Longitude degrees"), place.longD);
  spnLongM = Spin(where, 59, QStringLiteral("'"), QStringLiteral("Longitude minutes"), place.longM);
  optE = Radio(where, QStringLiteral("E"), QStringLiteral("East"));
  optW = Radio(where, QStringLiteral("W"), QStringLiteral("West"));
  auto* latitude = new QLabel(QStringLiteral("Latitude"), where);
  latitude->setBuddy(spnLatD);
  auto* longitude = new QLabel(QStringLiteral("Longitude"), where);
  longitude->setBuddy(spnLongD);
  grid->addWidget(latitude, 0, 0);
  grid->addWidget(spnLatD, 0, 1);
  grid->addWidget(spnLatM, 0, 2);
  grid->addWidget(optN, 0, 3);
  grid->addWidget(optS, 0, 4);
  grid->addWidget(longitude, 1, 0);
  grid->addWidget(spnLongD, 1, 1);
  grid->addWidget(spnLongM, 1, 2);
  grid->addWidget(optE, 1, 3);
  grid->addWidget(optW, 1, 4);
  // A town from the atlas fills the place and its zone; coordinates typed by hand stay as typed
  // until the user chooses one.
  placeSearch = new PlaceSearch(where);
  grid->addWidget(placeSearch, 2, 0, 1, 6);
  grid->setColumnStretch(5, 1);
  auto* ns = new QButtonGroup(this);
  ns->addButton(optN);
  ns->addButton(optS);
  auto* ew = new QButtonGroup(this);
  ew->addButton(optE);
  ew->addButton(optW);
  // Checked only once grouped: the four buttons share one parent.
  (place.north ? optN : optS)->setChecked(true);
  (place.west ? optW : optE)->setChecked(true);

  auto* zone = new QGroupBox(QStringLiteral("Time zone of the place of birth"), this);
  auto* zoneGrid = new QGridLayout(zone);
  optZoneName = Radio(zone, QStringLiteral("Zone &name"), QStringLiteral("Time zone by name"));
  cbZone = new QComboBox(zone);
  cbZone->setObjectName(QStringLiteral("cbZone"));
  cbZone->setAccessibleName(QStringLiteral("Time zone name"));
  cbZone->setEditable(true);
  cbZone->setInsertPolicy(QComboBox::NoInsert);
  cbZone->setMaxVisibleItems(20);
  QList<QByteArray> ids = QTimeZone::availableTimeZoneIds();
  std::sort(ids.begin(), ids.end());
  for (const QByteArray& id : ids) cbZone->addItem(QString::fromUtf8(id));
  cbZone->completer()->setCompletionMode(QCompleter::PopupCompletion);
  cbZone->completer()->setFilterMode(Qt::MatchContains);
  cbZone->completer()->setCaseSensitivity(Qt::CaseInsensitive);
  // The clock's own zone first: the place's when the settings name one, else the machine's.
  const QByteArray system = QTimeZone::systemTimeZoneId();
  const QString inUse = base.ZoneName.empty() ? QString() : ZoneInUseName(base);
  cbZone->setCurrentText(!inUse.isEmpty()              ? inUse
                         : QTimeZone(system).isValid() ? QString::fromUtf8(system)
                                                       : QStringLiteral("UTC"));
  optZoneOffset =
      Radio(zone, QStringLiteral("Fixed &offset"), QStringLiteral("Fixed offset from UTC"));
  cbOffset = new QComboBox(zone);
  cbOffset->setObjectName(QStringLiteral("cbOffset"));
  cbOffset->setAccessibleName(QStringLiteral("Offset from UTC"));
  for (int offset = kLowestOffset; offset <= kHighestOffset; offset += kOffsetStep) {
    cbOffset->addItem(OffsetText(offset), offset);
  }
  cbOffset->setCurrentIndex(cbOffset->findData(0));
  lblZoneNote = new QLabel(zone);
  lblZoneNote->setObjectName(QStringLiteral("lblZoneNote"));
  lblZoneNote->setWordWrap(true);
  // Room for the longest note, so that the form does not change size as the notes change.
  lblZoneNote->setMinimumHeight(lblZoneNote->fontMetrics().lineSpacing() * 5);
  lblZoneNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  zoneGrid->addWidget(optZoneName, 0, 0);
  zoneGrid->addWidget(cbZone, 0, 1);
  zoneGrid->addWidget(optZoneOffset, 1, 0);
  zoneGrid->addWidget(cbOffset, 1, 1);
  zoneGrid->addWidget(lblZoneNote, 2, 0, 1, 2);
  zoneGrid->setColumnStretch(1, 1);
  auto* zoneKind = new QButtonGroup(this);
  zoneKind->addButton(optZoneName);
  zoneKind->addButton(optZoneOffset);
  optZoneName->setChecked(true);
  cbOffset->setEnabled(false);

  lblError = new QLabel(this);
  lblError->setObjectName(QStringLiteral("lblError"));
  lblError->setWordWrap(true);
  lblError->setStyleSheet(QStringLiteral("color: #a00000;"));
  lblError->hide();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  btnOK = buttons->button(QDialogButtonBox::Ok);
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnOK->setAccessibleName(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { compute(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(when);
  layout->addWidget(where);
  layout->addWidget(zone);
  layout->addWidget(lblError);
  layout->addWidget(buttons);

  connect(placeSearch, &PlaceSearch::placeChosen, this, [this](const AtlasPlace& town) {
    const PlaceAngles a = PlaceAnglesOf(town);
    spnLatD->setValue(a.latD);
    spnLatM->setValue(a.latM);
    (a.north ? optN : optS)->setChecked(true);
    spnLongD->setValue(a.longD);
    spnLongM->setValue(a.longM);
    (a.west ? optW : optE)->setChecked(true);
    if (!town.zoneName.isEmpty()) {
      optZoneName->setChecked(true);
      cbZone->setCurrentText(town.zoneName);
    }
  });
  const auto changed = [this] { updateZoneNote(); };
  connect(dtBirthDate, &QDateEdit::dateChanged, this, changed);
  connect(tmBirthTime, &QTimeEdit::timeChanged, this, changed);
  connect(cbZone, &QComboBox::currentTextChanged, this, changed);
  connect(cbOffset, &QComboBox::currentIndexChanged, this, changed);
  connect(optZoneName, &QRadioButton::toggled, this, [this](bool byName) {
    cbZone->setEnabled(byName);
    cbOffset->setEnabled(!byName);
    updateZoneNote();
  });
  updateZoneNote();
  resize(sizeHint().width() + 40, sizeHint().height());
}

std::optional<BirthData> TfrmBirthData::birthData() const {
  BirthData birth;
  birth.date = dtBirthDate->date();
  birth.time = tmBirthTime->time();
  birth.place = {spnLatD->value(),  spnLatM->value(),  optN->isChecked(),
                 spnLongD->value(), spnLongM->value(), optW->isChecked()};
  int offset = cbOffset->currentData().toInt();
  if (optZoneName->isChecked()) {
    const QTimeZone zone(cbZone->currentText().trimmed().toUtf8());
    if (!zone.isValid()) return std::nullopt;
    offset = ResolveLocalTime(zone, birth.date, birth.time).offsetSeconds;
  }
  birth.zoneOffset = offset / 3600.0;
  return birth;
}

void TfrmBirthData::updateZoneNote() {
  lblError->hide();
  if (!optZoneName->isChecked()) {
    lblZoneNote->setText(QStringLiteral("The chart is computed with %1.")
                             .arg(OffsetText(cbOffset->currentData().toInt())));
    btnOK->setEnabled(true);
    return;
  }
  const QString name = cbZone->currentText().trimmed();
  const QTimeZone zone(name.toUtf8());
  btnOK->setEnabled(zone.isValid());
  if (!zone.isValid()) {
    lblZoneNote->setText(
        QStringLiteral("\"%1\" is not a time zone known to this system: choose one from the list, "
                       "or give a fixed offset.")
            .arg(name));
    return;
  }
  const QTime time = tmBirthTime->time();
  const LocalMoment m = ResolveLocalTime(zone, dtBirthDate->date(), time);
  const QString clock = time.toString(QStringLiteral("HH:mm"));
  switch (m.kind) {
    case LocalMoment::Kind::Unique:
      lblZoneNote->setText(
          QStringLiteral("Offset at the time of birth: %1 (%2).")
              .arg(OffsetText(m.offsetSeconds), m.daylight ? QStringLiteral("daylight saving time")
                                                           : QStringLiteral("standard time")));
      break;
    case LocalMoment::Kind::Skipped:
      lblZoneNote->setText(
          QStringLiteral("There was no %1 on this date in %2: the clocks jumped from %3 to %4. "
                         "The chart is computed with %3. If you know the offset that was meant, "
                         "give it as a fixed offset.")
              .arg(clock, name, OffsetText(m.offsetSeconds), OffsetText(m.otherOffsetSeconds)));
      break;
    case LocalMoment::Kind::Repeated:
      lblZoneNote->setText(
          QStringLiteral("%1 occurred twice on this date in %2, first at %3, then at %4. The "
                         "chart is computed with the first; for the second, give %4 as a fixed "
                         "offset.")
              .arg(clock, name, OffsetText(m.offsetSeconds), OffsetText(m.otherOffsetSeconds)));
      break;
  }
}

void TfrmBirthData::compute() {
  const std::optional<BirthData> birth = birthData();
  if (!birth) return;
  try {
    positions_ = BirthPositions(base_, theory_, *birth);
  } catch (const std::exception& e) {
    // A house system without cusps at that latitude: say so here, and let the user change it.
    lblError->setText(QString::fromUtf8(e.what()));
    lblError->show();
    return;
  }
  accept();
}
