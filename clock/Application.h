// The application object: the title, and the last line of the error report for exceptions that
// escape an event handler.
#ifndef HELIODIAL_APPLICATION_H
#define HELIODIAL_APPLICATION_H

#include <QApplication>

class ErrorReport;

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
