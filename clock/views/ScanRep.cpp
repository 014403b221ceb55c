// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScanRep.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCursor>
#include <optional>

#include "ErrorReport.h"
#include "ScanPrint.h"
#include "settings/AtomicFile.h"
#include "wheel/GlyphFont.h"

namespace {

QFont ReportFont(bool textMode) {
  QFont font = textMode ? QFont(QStringLiteral("Arial")) : GlyphFont(1, QString());
  font.setPixelSize(TfrmScanReport::kFontPixels);
  return font;
}

// What "Save as..." offers; no file format means the printout as PDF.
struct FormatChoice {
  std::optional<ScanFileFormat> format;
  const char* filter;
  const char* suffix;
};

constexpr FormatChoice kFormats[] = {
    {std::nullopt, "PDF (*.pdf)", "pdf"},
    {ScanFileFormat::Text, "Plain text (*.txt)", "txt"},
    {ScanFileFormat::Csv, "CSV, one row per aspect and minute (*.csv)", "csv"},
    {ScanFileFormat::ICalendar, "iCalendar, one event per aspect (*.ics)", "ics"},
};

// The format a file name's suffix names, in any case; none for another suffix or none.
const FormatChoice* choiceForSuffix(const QString& path) {
  const QString suffix = QFileInfo(path).suffix();
  for (const FormatChoice& c : kFormats) {
    if (suffix.compare(QLatin1String(c.suffix), Qt::CaseInsensitive) == 0) return &c;
  }
  return nullptr;
}

// Qt's file dialog keeps its folders and history in a settings file of its own (QtProject.conf in
// the configuration folder), written as the dialog is destroyed, whether or not it is the static
// one. The program keeps one settings file, so while a dialog lives the user settings folder Qt
// writes to is a temporary one that goes with it. Nothing else in the program uses QSettings.
class QtDialogSettingsAside {
 public:
  QtDialogSettingsAside()
      : previous_(QFileInfo(QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                      QStringLiteral("QtProject"))
                                .fileName())
                      .absolutePath()) {
    if (aside_.isValid()) {
      QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, aside_.path());
    }
  }
  ~QtDialogSettingsAside() {
    if (aside_.isValid()) {
      QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, previous_);
    }
  }
  QtDialogSettingsAside(const QtDialogSettingsAside&) = delete;
  QtDialogSettingsAside& operator=(const QtDialogSettingsAside&) = delete;

 private:
  const QString previous_;
  QTemporaryDir aside_;
};

// The name a saved or printed report is offered under.
QString fileStem(QDate day) { return QStringLiteral("aspects-") + day.toString(Qt::ISODate); }

QString unableToWrite(const QString& path) { return QStringLiteral("Unable to write to ") + path; }

// The whole file or, with the reason in error, the old file as it was.
bool writeFile(const QString& path, const QByteArray& data, QString* error) {
  try {
    WriteFileAtomically(QFile::encodeName(path).toStdString(),
                        std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    return true;
  } catch (const AtomicWriteError& e) {
    if (error)
      *error = unableToWrite(path) + QStringLiteral(": ") + QString::fromStdString(e.Reason());
    return false;
  }
}

// Until Printer Setup says otherwise, paper margins a hand can hold the sheet by; a printer's own
// minimum is often a few millimetres.
constexpr qreal kMarginMillimetres = 15;

void setReportMargins(QPrinter& printer) {
  const qreal m = kMarginMillimetres;
  printer.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
}

}  // namespace

TfrmScanReport::TfrmScanReport(ScanSession& session) : session_(session) {
  session_.setParent(this);
  setObjectName(QStringLiteral("TfrmScanReport"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Scanning...."));
  resize(640, 420);

  memoScan = new QPlainTextEdit(this);
  memoScan->setObjectName(QStringLiteral("memoScan"));
  memoScan->setAccessibleName(QStringLiteral("Scan report"));
  memoScan->setReadOnly(true);
  memoScan->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memoScan->setFont(ReportFont(false));
  setCentralWidget(memoScan);

  Transits1 = menuBar()->addMenu(QStringLiteral("Transits"));
  Transits1->setObjectName(QStringLiteral("Transits1"));
  const auto add = [this](const char* name, const char* caption,
                          void (TfrmScanReport::*handler)()) {
    QAction* action = Transits1->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this,
            [this, handler] { RunReported([this, handler] { (this->*handler)(); }); });
    return action;
  };
  Print1 = add("Print1", "Print", &TfrmScanReport::Print1Click);
  PrinterSetup1 = add("PrinterSetup1", "Printer Setup", &TfrmScanReport::PrinterSetup1Click);
  SaveAs1 = add("SaveAs1", "Save as...", &TfrmScanReport::SaveAs1Click);
  Transits1->addSeparator();
  N1 = add("N1", "Close", &TfrmScanReport::N1Click);
  Print1->setShortcut(QKeySequence::Print);
  SaveAs1->setShortcut(QKeySequence::SaveAs);
  N1->setShortcut(QKeySequence::Close);
  // A half-filled report is neither printed nor saved.
  Print1->setEnabled(false);
  SaveAs1->setEnabled(false);

  connect(&session_, &ScanSession::progressed, this, &TfrmScanReport::showNewLines);
  connect(&session_, &ScanSession::finished, this, &TfrmScanReport::finish);
}

TfrmScanReport::~TfrmScanReport() = default;

void TfrmScanReport::start() {
  if (session_.started()) return;
  if (scan().testsPairs()) memoScan->setFont(ReportFont(scan().textMode()));
  session_.start();
}

void TfrmScanReport::showNewLines() {
  const QStringList& lines = scan().lines();
  if (shownLines_ >= lines.size()) return;
  // One insertion for the whole slice, so that the text box lays out once, and at the end by a
  // cursor of its own: the report stays where the reader is, at 00:00 until scrolled.
  QTextCursor end(memoScan->document());
  end.movePosition(QTextCursor::End);
  if (shownLines_ > 0) end.insertBlock();
  end.insertText(lines.mid(shownLines_).join(QLatin1Char('\n')));
  shownLines_ = lines.size();
}

void TfrmScanReport::finish(const QString& why) {
  const QString date = QLocale().toString(scan().day(), QLocale::ShortFormat);
  QString caption = QStringLiteral("Transiting Aspects for ") + date;
  if (scan().minutesDone() < DayScan::kMinutes) {
    caption +=
        QStringLiteral(" (stopped at %1)")
            .arg(scan().localTime(scan().minutesDone()).time().toString(QStringLiteral("hh:mm")));
  }
  setWindowTitle(caption);
  const QStringList moon = scan().moonLines();
  if (!moon.isEmpty()) {
    // The Moon's lines after the day's aspects, as the saved and printed report has them.
    QTextCursor end(memoScan->document());
    end.movePosition(QTextCursor::End);
    if (!memoScan->document()->isEmpty()) end.insertBlock();
    end.insertText(moon.join(QLatin1Char('\n')));
  }
  Print1->setEnabled(true);
  SaveAs1->setEnabled(true);
  emit scanFinished();
  if (!why.isEmpty()) {
    if (ErrorReport* report = ErrorReport::instance()) report->show(why);
  }
}

void TfrmScanReport::closeEvent(QCloseEvent* event) {
  // The window is freed by its close: the scan ends here and no slice comes after.
  session_.stop();
  QMainWindow::closeEvent(event);
}

QPrinter& TfrmScanReport::printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    setReportMargins(*printer_);
    // The print dialog offers this name when the report goes to a file.
    printer_->setDocName(fileStem(scan().day()));
  }
  return *printer_;
}

bool TfrmScanReport::printTo(QPrinter& target) const {
  return PrintReportLines(target, scan().reportLines(), memoScan->font());
}

bool TfrmScanReport::savePdf(const QString& path, QString* error) const {
  // Drawn in memory first, so a failed save leaves the old file as it was.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    // The page a new printer has (the locale's paper), with the report's margins, until
    // Printer Setup chooses another.
    QPrinter defaults(QPrinter::HighResolution);
    setReportMargins(defaults);
    pdf.setPageLayout(printer_ ? printer_->pageLayout() : defaults.pageLayout());
    pdf.setTitle(windowTitle());
    pdf.setCreator(QStringLiteral("Heliodial"));
    if (!PrintReportLines(pdf, scan().reportLines(), memoScan->font())) {
      if (error) *error = unableToWrite(path);
      return false;
    }
  }
  return writeFile(path, buffer.data(), error);
}

bool TfrmScanReport::saveAs(const QString& path, ScanFileFormat format, QString* error) const {
  return writeFile(path, ScanFile(scan(), format, QDateTime::currentDateTimeUtc()), error);
}

void TfrmScanReport::Print1Click() {
  // The platform's print dialog chooses the printer (or a file); the page setup carries over.
  auto* dialog = new QPrintDialog(&printer(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this] {
    // The printout is titled as the window (a PDF's Title, a print job's name); the file name the
    // dialog offered was made from the plain name.
    printer().setDocName(windowTitle());
    const bool printed = printTo(printer());
    printer().setDocName(fileStem(scan().day()));
    if (!printed) {
      QMessageBox::warning(
          this, windowTitle(),
          QStringLiteral("The report could not be printed on %1.").arg(printer().printerName()));
    }
  });
  dialog->open();
}

void TfrmScanReport::PrinterSetup1Click() {
  if (psDialog == nullptr) psDialog = new QPageSetupDialog(&printer(), this);
  psDialog->open();
}

void TfrmScanReport::SaveAs1Click() {
  QStringList filters;
  for (const FormatChoice& choice : kFormats) filters << QString::fromLatin1(choice.filter);
  QString typed, filter;
  {
    const QtDialogSettingsAside aside;  // outlives the dialog, which writes them as it goes
    QFileDialog dialog(this, QStringLiteral("Save as"),
                       fileStem(scan().day()) + QStringLiteral(".pdf"),
                       filters.join(QStringLiteral(";;")));
    dialog.setObjectName(QStringLiteral("SaveAsDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    typed = dialog.selectedFiles().constFirst();
    filter = dialog.selectedNameFilter();
  }
  if (typed.isEmpty()) return;
  // The name typed is the file written, in the format its suffix names; only a name without one
  // of the formats' suffixes gets the chosen type's.
  QString path = typed;
  const FormatChoice* choice = choiceForSuffix(typed);
  if (choice == nullptr) {
    choice = &kFormats[0];
    for (const FormatChoice& c : kFormats) {
      if (filter == QLatin1String(c.filter)) choice = &c;
    }
    path += QLatin1Char('.') + QLatin1String(choice->suffix);
    // The dialog asked about the name it returned, not about this one.
    if (QFileInfo::exists(path) && !confirmReplace(path)) return;
  }
  QString error;
  const bool saved = choice->format ? saveAs(path, *choice->format, &error) : savePdf(path, &error);
  if (!saved) QMessageBox::warning(this, windowTitle(), error);
}

bool TfrmScanReport::confirmReplace(const QString& path) {
  // Worded as the file dialog words its own question.
  const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                               .arg(QFileInfo(path).fileName());
  return QMessageBox::warning(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

void TfrmScanReport::N1Click() { close(); }
