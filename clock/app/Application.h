// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: the title, and the last line of the error report for exceptions that
// escape an event handler.
#ifndef HELIODIAL_APPLICATION_H
#define HELIODIAL_APPLICATION_H

#include <QApplication>

class ErrorReport;

// The application's title, for the message boxes. Not Qt's display name: the desktop would add
// that to every window's caption, and the captions are the program's own ("Heliodial 12:00").
inline constexpr char kApplicationTitle[] = "Heliodial 3.2";
QString ApplicationTitle();

class HeliodialApplication : public QApplication {
  Q_OBJECT
 public:
  HeliodialApplication(int& argc, char** argv);
  ~HeliodialApplication() override;

  // An exception thrown while an event is delivered is shown in the error report; the program
  // goes on.
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  ErrorReport* report_;
};

#endif
