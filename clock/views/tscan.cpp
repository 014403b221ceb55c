// SPDX-License-Identifier: GPL-3.0-or-later
#include "tscan.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>

#include "ErrorReport.h"
#include "ui_tscan.h"

TfrmScan::TfrmScan(QDate day, double transitOrb, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      ui_(std::make_unique<Ui::TfrmScan>()) {
  ui_->setupUi(this);
  dtDateScan = ui_->dtDateScan;
  grpOrb = ui_->grpOrb;
  spOrbDeg = ui_->spOrbDeg;
  spOrbMin = ui_->spOrbMin;
  optScanMoon = ui_->optScanMoon;
  btnBox = ui_->btnBox;
  // Modal to the clock only, so that the help window and the lists stay usable meanwhile.
  setWindowModality(Qt::WindowModal);

  dtDateScan->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
  dtDateScan->setDate(day);
  const ScanOrb orb = ScanOrbPreset(transitOrb);
  spOrbDeg->setRange(0, kScanOrbMaxDegrees);
  spOrbMin->setRange(0, kScanOrbMaxMinutes);
  spOrbDeg->setValue(orb.degrees);
  spOrbMin->setValue(orb.minutes);

  const auto help = [this] { emit helpRequested(kHelpContext); };
  connect(btnBox, &QDialogButtonBox::helpRequested, this, help);
  connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, help);

  // Centred on the screen, at the size the layout fixes.
  adjustSize();
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());
}

TfrmScan::~TfrmScan() = default;

QDate TfrmScan::chosenDay() const { return dtDateScan->date(); }

ScanOrb TfrmScan::chosenOrb() const { return {spOrbDeg->value(), spOrbMin->value()}; }

bool TfrmScan::includeMoon() const { return optScanMoon->isChecked(); }
