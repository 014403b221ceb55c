// SPDX-License-Identifier: GPL-3.0-or-later
// The scan report: one window per scan, filled while the scan runs, then printed or saved. The
// window takes its scan over, so closing it stops the scan and nothing writes into it afterwards.
#ifndef HELIODIAL_SCANREP_H
#define HELIODIAL_SCANREP_H

#include <QMainWindow>
#include <memory>

#include "chart/ScanExport.h"
#include "core/ScanSession.h"

class QAction;
class QMenu;
class QPageSetupDialog;
class QPlainTextEdit;
class QPrinter;

class TfrmScanReport : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kFontPixels = 11;

  explicit TfrmScanReport(ScanSession& session);
  ~TfrmScanReport() override;

  // Starts the scan; it goes on in slices from the event loop.
  void start();
  bool running() const { return session_.running(); }
  const DayScan& scan() const { return session_.scan(); }
  // At most this many minutes a slice (tests stop a scan part way with it).
  void setSliceMinutes(int minutes) { session_.setSliceMinutes(minutes); }

  // Prints the report's lines, in its font, on printer; false when it cannot be printed on.
  bool printTo(QPrinter& printer) const;
  // Write the report to path, as a printout or as a file of the format; on failure false and the
  // reason in error.
  bool savePdf(const QString& path, QString* error) const;
  bool saveAs(const QString& path, ScanFileFormat format, QString* error) const;

  void Print1Click();
  void PrinterSetup1Click();
  void SaveAs1Click();
  void N1Click();

  QPlainTextEdit* memoScan = nullptr;
  QMenu* Transits1 = nullptr;
  QAction* Print1 = nullptr;
  QAction* PrinterSetup1 = nullptr;
  QAction* SaveAs1 = nullptr;
  QAction* N1 = nullptr;
  QPageSetupDialog* psDialog = nullptr;  // made when first asked for

 signals:
  // The scan has ended: the whole day, or stopped by an error.
  void scanFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void showNewLines();
  // The usual question before a file is replaced; true for yes.
  bool confirmReplace(const QString& path);
  void finish(const QString& why);
  QPrinter& printer();

  ScanSession& session_;
  qsizetype shownLines_ = 0;
  std::unique_ptr<QPrinter> printer_;
};

#endif
