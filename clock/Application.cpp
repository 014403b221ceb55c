#include "Application.h"

#include "ErrorReport.h"

HeliodialApplication::HeliodialApplication(int& argc, char** argv)
    : QApplication(argc, argv), report_(new ErrorReport(this)) {
  setApplicationName(QStringLiteral("heliodial"));
  setApplicationDisplayName(QStringLiteral("Heliodial 3.2"));
  setApplicationVersion(QStringLiteral("3.2"));
  setDesktopFileName(QStringLiteral("heliodial"));
  // A tray clock lives on when its windows are closed; only Exit ends it.
  setQuitOnLastWindowClosed(false);
}

HeliodialApplication::~HeliodialApplication() = default;

bool HeliodialApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    report_->show(e);
  }
  return false;
}
