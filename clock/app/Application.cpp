// SPDX-License-Identifier: GPL-3.0-or-later
#include "Application.h"

#include "ErrorReport.h"

QString ApplicationTitle() { return QString::fromLatin1(kApplicationTitle); }

HeliodialApplication::HeliodialApplication(int& argc, char** argv)
    : QApplication(argc, argv), report_(new ErrorReport(this)) {
  setApplicationName(QStringLiteral("heliodial"));
  setApplicationVersion(QStringLiteral("3.2"));
  setDesktopFileName(QStringLiteral("heliodial"));
  // A tray clock lives on when its windows are closed; only Exit ends it.
  setQuitOnLastWindowClosed(false);
}

// The report goes first: a message box still open must be destroyed while the application is
// whole, not among its children after it has been taken down.
HeliodialApplication::~HeliodialApplication() { delete report_; }

bool HeliodialApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    report_->show(e);
  }
  return false;
}
