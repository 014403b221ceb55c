// The application's one error report: an error that ends an event handler is shown in a message
// box with its text, and the program goes on. One box at a time, and the same error coming back
// every minute (a house system that fails at this latitude) is shown once: again only after it
// had cleared or the settings changed.
#ifndef HELIODIAL_ERRORREPORT_H
#define HELIODIAL_ERRORREPORT_H

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>

class ErrorReport : public QObject {
  Q_OBJECT
 public:
  // The report of the running application; the program's main() creates it.
  static ErrorReport* instance();
  explicit ErrorReport(QObject* parent = nullptr);
  ~ErrorReport() override;

  // Shows text unless a box is open or it is the error last shown and not cleared since; key tells
  // one error from another where the text carries details that change (the text by default).
  void show(const QString& text, const QString& key = QString());
  // The text of an exception; a chart error is known by its cause.
  void show(const std::exception& error);
  // The error has gone (a computation succeeded) or the settings changed: a new occurrence of it
  // is worth showing again.
  void clear();

  bool boxOpen() const { return !box_.isNull(); }
  int shownCount() const { return shown_; }
  QMessageBox* box() const { return box_; }

 private:
  QPointer<QMessageBox> box_;
  QString last_;
  int shown_ = 0;
};

// Runs an event handler's work, showing what it throws in the error report.
void RunReported(const std::function<void()>& work);

#endif
