// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ScanSession.h"

ScanSession::ScanSession(const Settings& settings, const TheoryTable& theory, QDate day,
                         ScanOrb orb, QObject* parent, bool includeMoon)
    : QObject(parent), scan_(settings, theory, day, orb) {
  if (includeMoon) {
    try {
      scan_.includeMoon();
    } catch (const std::exception&) {
      // A place without houses fails the scan's first minute too, and the report says why.
    }
  }
  sliceTimer_.setSingleShot(true);
  sliceTimer_.setInterval(0);
  connect(&sliceTimer_, &QTimer::timeout, this, &ScanSession::runSlice);
}

void ScanSession::start() {
  if (started_) return;
  started_ = true;
  if (scan_.finished()) {
    emit finished({});
  } else {
    sliceTimer_.start();
  }
}

void ScanSession::stop() {
  sliceTimer_.stop();
  scan_.stop();
}

void ScanSession::runSlice() {
  try {
    scan_.runFor(kSlice, sliceMinutes_);
  } catch (const std::exception& e) {
    // The chart of a minute could not be computed: keep what was found and say why.
    scan_.stop();
    emit progressed();
    emit finished(QString::fromStdString(e.what()));
    return;
  }
  emit progressed();
  if (scan_.finished()) {
    emit finished({});
  } else {
    sliceTimer_.start();
  }
}
