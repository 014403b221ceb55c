// SPDX-License-Identifier: GPL-3.0-or-later
// One day scan as it runs for the clock: the scan works through the day in short slices from
// the event loop, so the windows stay responsive, and stops when its report is closed.
#ifndef HELIODIAL_SCANSESSION_H
#define HELIODIAL_SCANSESSION_H

#include <QObject>
#include <QTimer>
#include <chrono>

#include "chart/DayScan.h"

class ScanSession : public QObject {
  Q_OBJECT
 public:
  // The event loop gets its turn after at most this much scanning.
  static constexpr std::chrono::milliseconds kSlice{8};

  // includeMoon: the report and its files add the Moon's void windows and ingresses of the day.
  ScanSession(const Settings& settings, const TheoryTable& theory, QDate day, ScanOrb orb,
              QObject* parent = nullptr, bool includeMoon = false);

  // Starts the scan; it goes on in slices from the event loop.
  void start();
  void stop();
  bool started() const { return started_; }
  bool running() const { return started_ && !scan_.finished(); }
  const DayScan& scan() const { return scan_; }
  // At most this many minutes a slice (tests stop a scan part way with it).
  void setSliceMinutes(int minutes) { sliceMinutes_ = minutes; }

 signals:
  // New lines were found in the last slice.
  void progressed();
  // The scan has ended: the whole day, stopped, or a minute that could not be computed (why
  // says which, empty otherwise).
  void finished(const QString& why);

 private:
  void runSlice();

  DayScan scan_;
  QTimer sliceTimer_;
  int sliceMinutes_ = DayScan::kMinutes;
  bool started_ = false;
};

#endif
