// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <optional>

class ErrorReport : public QObject {
  Q_OBJECT
 public:
  // The report of the running application: the one created last (the application creates the
  // first; a test may put its own in front for its duration).
  static ErrorReport* instance();
  explicit ErrorReport(QObject* parent = nullptr);
  ~ErrorReport() override;

  // Shows text unless it is the error last shown and not cleared since; key tells one error from
  // another where the text carries details that change (the text by default). While a box is
  // open the newest message waits and follows when it closes: boxes are never stacked, and a
  // one-off error is not lost behind a notice.
  void show(const QString& text, const QString& key = QString());
  // The text of an exception; a chart error is known by its cause.
  void show(const std::exception& error);
  // A notice rather than an error (the settings could not be used as they stand, the place is
  // not set yet), under the same one-box rule.
  void inform(const QString& text);
  // The error has gone (a computation succeeded) or the settings changed: a new occurrence of it
  // is worth showing again.
  void clear();

  bool boxOpen() const { return !box_.isNull(); }
  int shownCount() const { return shown_; }
  QMessageBox* box() const { return box_; }

 private:
  struct Message {
    QMessageBox::Icon icon;
    QString text;
    QString key;  // empty for a notice
  };
  void open(const Message& message);
  void next();

  ErrorReport* previous_;
  QPointer<QMessageBox> box_;
  std::optional<Message> waiting_;
  QString last_;
  int shown_ = 0;
};

// Runs an event handler's work, showing what it throws in the error report, every time: it is
// what the user asked for that failed.
void RunReported(const std::function<void()>& work);

#endif
