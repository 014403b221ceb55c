// SPDX-License-Identifier: GPL-3.0-or-later
#include "Notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <cstdio>

namespace {

// The name of the program's desktop entry (heliodial.desktop) and of its icon in the theme.
const QString kDesktopEntry = QStringLiteral("heliodial");
const QString kShowLabel = QStringLiteral("Show clock");

}  // namespace

QString AlertSummary(const QString& kind) {
  if (kind == QLatin1String("void-begins")) return QStringLiteral("The Moon goes void of course");
  if (kind == QLatin1String("void-ends")) return QStringLiteral("The Moon's void of course ends");
  if (kind == QLatin1String("ingress")) return QStringLiteral("The Moon changes sign");
  if (kind == QLatin1String("natal-exact")) return QStringLiteral("A transit to your chart");
  if (kind == QLatin1String("new-full")) return QStringLiteral("New or full Moon");
  if (kind == QLatin1String("station")) return QStringLiteral("A planet stations");
  return QStringLiteral("Heliodial");
}

Notifier::Notifier(const QDBusConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {
  // From whichever process serves the name now: a server that restarts keeps its path.
  connection_.connect(QString(), QString::fromLatin1(kNotificationsPath),
                      QString::fromLatin1(kNotificationsInterface), QStringLiteral("ActionInvoked"),
                      this, SLOT(onActionInvoked(uint, QString)));
  connection_.connect(QString(), QString::fromLatin1(kNotificationsPath),
                      QString::fromLatin1(kNotificationsInterface),
                      QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
}

Notifier::~Notifier() = default;

void Notifier::notify(const QString& kind, const QString& text, const QDateTime&) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromLatin1(kNotificationsService), QString::fromLatin1(kNotificationsPath),
      QString::fromLatin1(kNotificationsInterface), QStringLiteral("Notify"));
  // "default" is what a click on the notification itself invokes; "show" is its button.
  const QStringList actions{QStringLiteral("default"), kShowLabel, QStringLiteral("show"),
                            kShowLabel};
  const QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopEntry}};
  call << QStringLiteral("Heliodial") << uint(0) << kDesktopEntry << AlertSummary(kind) << text
       << actions << hints << int(-1);
  auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isValid()) {
      ids_.insert(reply.value());
      return;
    }
    if (saidMissing_) return;
    saidMissing_ = true;
    std::fprintf(stderr,
                 "heliodial: no desktop notifications (%s); alerts still go out as the clock's "
                 "D-Bus signal Alert.\n",
                 qPrintable(reply.error().message()));
  });
}

void Notifier::onActionInvoked(uint id, const QString& action) {
  if (!ids_.contains(id)) return;
  if (action == QLatin1String("default") || action == QLatin1String("show")) emit showRequested();
}

void Notifier::onClosed(uint id, uint) { ids_.remove(id); }
