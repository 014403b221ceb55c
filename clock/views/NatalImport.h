// SPDX-License-Identifier: GPL-3.0-or-later
// Natal import from the larger package: its automation service on the D-Bus session bus answers
// GetDefaultItem(i) with item i of its current chart, items 1..14 being the longitudes of the
// chart points. No widgets: the settings dialog runs it and tells the user when it fails.
#ifndef HELIODIAL_NATALIMPORT_H
#define HELIODIAL_NATALIMPORT_H

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <optional>

#include "chart/NatalChart.h"

class QDBusPendingCallWatcher;

class NatalImport : public QObject {
  Q_OBJECT
 public:
  static constexpr const char* kService = "Starbench.BenchScript";
  static constexpr const char* kPath = "/BenchScript";
  static constexpr const char* kInterface = "Starbench.BenchScript";
  static constexpr const char* kMethod = "GetDefaultItem";
  // The item asked for last, as text; the clock makes no use of it.
  static constexpr int kTextItem = 64;
  // The whole import must be over within this bound. The calls do not block, so the clock runs on
  // meanwhile; the bound only decides when a slow service is given up.
  static constexpr int kDefaultTimeoutMs = 5000;

  enum class Outcome {
    Imported,   // all fourteen longitudes and the text item arrived
    NoService,  // nobody owns the service's name, or its activation failed
    TooSlow,    // the service is there but the import did not end within the bound
    Failed,     // an error answer, or an answer that is no longitude
  };
  Q_ENUM(Outcome)

  explicit NatalImport(QDBusConnection bus = QDBusConnection::sessionBus(),
                       int timeoutMs = kDefaultTimeoutMs, QObject* parent = nullptr);
  ~NatalImport() override;

  // For the next import; the running one keeps what it started with.
  void setConnection(QDBusConnection bus) { bus_ = std::move(bus); }
  void setTimeout(int timeoutMs) { timeoutMs_ = timeoutMs; }
  int timeout() const { return timeoutMs_; }

  // Asks for items 1..14 in turn, then for item 64 as text, each call waiting for the one before
  // without blocking the event loop. finished() tells the outcome, always later than this call.
  // Returns false, and starts nothing, while an import runs.
  bool Start();
  // Drops the running import: no finished(), and its answers, should any still come, are ignored.
  void Cancel();
  bool running() const { return running_; }

  // The fourteen longitudes of the last import, folded into one turn as the settings loader folds
  // a stored longitude. Complete after Imported only: the caller stores nothing else.
  const NatalLongitudes& positions() const { return positions_; }
  // Why the last import failed, for diagnostics; empty after a success.
  const QString& failure() const { return failure_; }

  // The number an answer stands for: a D-Bus number, or text that reads as one in the C locale.
  // Anything else, and any number that is not finite, gives nothing.
  static std::optional<double> ToReal(const QVariant& answer);
  // The longitude an answer stands for, folded into 0..360: a number more than a turn outside
  // the zodiac (below -360 or from 720 on, 1e300 say) is no longitude a chart could hold.
  static std::optional<double> ToLongitude(const QVariant& answer);
  // The text an answer stands for: text or a number; containers and the like give nothing.
  static std::optional<QString> ToText(const QVariant& answer);

 signals:
  void finished(NatalImport::Outcome outcome);

 private:
  void ask(int item);
  void answered(QDBusPendingCallWatcher* watcher, int item);
  void finish(Outcome outcome, const QString& why);

  QDBusConnection bus_;
  QDBusConnection callBus_;
  int timeoutMs_;
  bool running_ = false;
  QElapsedTimer elapsed_;
  QTimer deadline_;
  QPointer<QDBusPendingCallWatcher> pending_;
  NatalLongitudes positions_{};
  QString failure_;
};

#endif
