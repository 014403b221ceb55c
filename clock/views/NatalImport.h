// Natal import from the larger package: its automation service on the D-Bus session bus answers
// GetDefaultItem(i) with item i of its current chart, items 1..14 being the longitudes of the
// chart points. No widgets: the settings dialog runs it and tells the user when it fails.
#ifndef HELIODIAL_NATALIMPORT_H
#define HELIODIAL_NATALIMPORT_H

#include <QDBusConnection>
#include <QString>
#include <QVariant>
#include <optional>

#include "chart/NatalChart.h"

class NatalImport {
 public:
  static constexpr const char* kService = "Starbench.BenchScript";
  static constexpr const char* kPath = "/BenchScript";
  static constexpr const char* kInterface = "Starbench.BenchScript";
  static constexpr const char* kMethod = "GetDefaultItem";
  // The item asked for last, as text; the clock makes no use of it.
  static constexpr int kTextItem = 64;
  // The whole import must be over within this bound: a service that hangs must not freeze the
  // clock, whose minute ticks wait while the calls block.
  static constexpr int kDefaultTimeoutMs = 5000;

  explicit NatalImport(QDBusConnection bus = QDBusConnection::sessionBus(),
                       int timeoutMs = kDefaultTimeoutMs);

  void setTimeout(int timeoutMs) { timeoutMs_ = timeoutMs; }
  int timeout() const { return timeoutMs_; }

  // Asks for items 1..14 in turn and stores each into natal as soon as it arrives (folded into one
  // turn, as the settings loader folds a stored longitude), then for item 64 as text. Returns
  // false at the first failure: no service, an error, no answer within the bound, or an answer
  // that is not a finite number; the points stored before it stay stored. The calls block without
  // processing events, so no minute tick runs in the middle of an import.
  bool Run(NatalLongitudes& natal);

  // Why the last run failed, for diagnostics; empty after a success.
  const QString& failure() const { return failure_; }

  // The number an answer stands for: a D-Bus number, or text that reads as one in the C locale.
  // Anything else, and any number that is not finite, gives nothing.
  static std::optional<double> ToReal(const QVariant& answer);
  // The text an answer stands for: text or a number; containers and the like give nothing.
  static std::optional<QString> ToText(const QVariant& answer);

 private:
  std::optional<QVariant> call(int item, qint64 deadlineMs);

  QDBusConnection bus_;
  int timeoutMs_;
  QString failure_;
};

#endif
