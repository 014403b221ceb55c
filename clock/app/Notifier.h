// SPDX-License-Identifier: GPL-3.0-or-later
// The alerts as desktop notifications: org.freedesktop.Notifications on the session bus, each
// with the program's icon and desktop entry and a "Show clock" action. Every call is sent
// without waiting for its answer, so a slow or missing notification server never holds up the
// clock; a missing one is said once on standard error, since the alerts still go out on the
// clock's own D-Bus signal.
#ifndef HELIODIAL_NOTIFIER_H
#define HELIODIAL_NOTIFIER_H

#include <QDBusConnection>
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>

inline constexpr char kNotificationsService[] = "org.freedesktop.Notifications";
inline constexpr char kNotificationsPath[] = "/org/freedesktop/Notifications";
inline constexpr char kNotificationsInterface[] = "org.freedesktop.Notifications";

// The heading of an alert's notification, by its kind ("void-begins" ...).
QString AlertSummary(const QString& kind);

class Notifier : public QObject {
  Q_OBJECT
 public:
  explicit Notifier(const QDBusConnection& connection, QObject* parent = nullptr);
  ~Notifier() override;

  // Sends one notification and returns at once; when is shown only through the text.
  void notify(const QString& kind, const QString& text, const QDateTime& when);
  // The notifications still open, by the ids the server gave them.
  const QSet<uint>& open() const { return ids_; }

 signals:
  // The user chose "Show clock" on one of our notifications.
  void showRequested();

 private slots:
  void onActionInvoked(uint id, const QString& action);
  void onClosed(uint id, uint reason);

 private:
  QDBusConnection connection_;
  QSet<uint> ids_;
  bool saidMissing_ = false;
};

#endif
