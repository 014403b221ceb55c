// The scan report: one window per scan, filled while the scan runs, then printed or saved. The
// window owns its scan, so closing it stops the scan and nothing writes into it afterwards.
#ifndef HELIODIAL_SCANREP_H
#define HELIODIAL_SCANREP_H

#include <QMainWindow>
#include <QTimer>
#include <chrono>
#include <memory>

#include "chart/DayScan.h"
#include "chart/ScanExport.h"

class QAction;
class QMenu;
class QPageSetupDialog;
class QPlainTextEdit;
class QPrinter;

class TfrmScanReport : public QMainWindow {
  Q_OBJECT
 public:
  // The event loop gets its turn after at most this much scanning.
  static constexpr std::chrono::milliseconds kSlice{8};
  static constexpr int kFontPixels = 11;

  TfrmScanReport(const Settings& settings, const TheoryTable& theory, QDate day, ScanOrb orb);
  ~TfrmScanReport() override;

  // Starts the scan; it goes on in slices from the event loop.
  void start();
  bool running() const { return started_ && !scan_.finished(); }
  const DayScan& scan() const { return scan_; }
  // At most this many minutes a slice (tests stop a scan part way with it).
  void setSliceMinutes(int minutes) { sliceMinutes_ = minutes; }

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
  void runSlice();
  void showNewLines();
  void finish();
  QPrinter& printer();

  DayScan scan_;
  QTimer sliceTimer_;
  int sliceMinutes_ = DayScan::kMinutes;
  bool started_ = false;
  qsizetype shownLines_ = 0;
  std::unique_ptr<QPrinter> printer_;
};

#endif
