#include "tscan.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>

#include "Clock.h"
#include "ErrorReport.h"
#include "ScanRep.h"
#include "ui_tscan.h"

TfrmScan::TfrmScan(QDate day, double transitOrb, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      ui_(std::make_unique<Ui::TfrmScan>()) {
  ui_->setupUi(this);
  dtDateScan = ui_->dtDateScan;
  grpOrb = ui_->grpOrb;
  spOrbDeg = ui_->spOrbDeg;
  spOrbMin = ui_->spOrbMin;
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

TfrmScanReport* TfrmClock::scanReport() const { return scanReport_; }

void TfrmClock::ScanTransitingAspects1Click() {
  if (scanDialog_) {
    scanDialog_->raise();
    scanDialog_->activateWindow();
    return;
  }
  if (scanReport_ && scanReport_->running()) {
    // One scan at a time: the running one is brought forward and the user told why.
    scanReport_->raise();
    scanReport_->activateWindow();
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Aspect Scan"),
                                QStringLiteral("A scan is running. Wait for it to finish, or "
                                               "close its report to stop it."),
                                QMessageBox::Ok, scanReport_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return;
  }

  TfrmScan dialog(env_.now().date().addDays(1), state_.settings.TransitOrb, this);
  scanDialog_ = &dialog;
  connect(&dialog, &TfrmScan::helpRequested, this, [this](int topic) {
    if (help_) help_->showTopic(topic);
  });
  if (dialog.exec() != QDialog::Accepted) return;

  // The scan works on copies: the chart of the moment stays the clock's.
  auto* report =
      new TfrmScanReport(state_.settings, state_.theory, dialog.chosenDay(), dialog.chosenOrb());
  scanReport_ = report;
  report->show();
  report->start();
}
