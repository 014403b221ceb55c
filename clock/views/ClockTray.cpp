// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockTray.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include "TrayIcons.h"

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// An X11 notification area of the older kind: a window owns the screen's tray selection.
bool XEmbedTrayPresent() {
  const auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return false;
  xcb_connection_t* connection = x11->connection();
  const QByteArray name = QByteArrayLiteral("_NET_SYSTEM_TRAY_S0");
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.data()),
      nullptr);
  if (atom == nullptr) return false;
  const xcb_atom_t selection = atom->atom;
  std::free(atom);
  if (selection == XCB_ATOM_NONE) return false;  // no tray ever asked for the name
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, selection), nullptr);
  if (owner == nullptr) return false;
  const bool owned = owner->owner != XCB_WINDOW_NONE;
  std::free(owner);
  return owned;
}

}  // namespace

ClockTray::ClockTray(QMenu* menu, std::function<bool()> available, QObject* parent)
    : QObject(parent),
      menu_(menu),
      picture_(ApplicationIcon()),
      toolTip_(QStringLiteral("Heliodial")),
      available_(std::move(available)) {
  if (available_) {
    icon();  // a notification area the caller switches: the icon as Qt makes it at once
    return;
  }
  watchDesktop();
  // Qt settles once per program whether its icons go to a D-Bus host or an X11 tray, when the
  // first icon is made; so the icon is made only once one of the two is there to take it.
  available_ = [this] { return host_ || XEmbedTrayPresent(); };
}

void ClockTray::watchDesktop() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  auto* watcher = new QDBusServiceWatcher(
      kWatcher, bus,
      QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
      this);
  connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &ClockTray::askForHost);
  connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
    host_ = false;
    emit availabilityChanged();
  });
  // A watcher may come before its panel's host registers with it.
  bus.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"),
              this, SLOT(hostRegistered()));
  askForHost();
}

void ClockTray::askForHost() {
  // Asked without waiting: a panel that is starting must not hold up the clock.
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
  auto* call =
      new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get, 5000), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
    const QDBusPendingReply<QDBusVariant> reply = *done;
    done->deleteLater();
    const bool host = !reply.isError() && reply.value().variant().toBool();
    if (host == host_) return;
    host_ = host;
    emit availabilityChanged();
  });
}

void ClockTray::hostRegistered() {
  if (host_) return;
  host_ = true;
  emit availabilityChanged();
}

QSystemTrayIcon& ClockTray::icon() {
  if (TrayIcon1 == nullptr) {
    TrayIcon1 = new QSystemTrayIcon(this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setToolTip(toolTip_);
    TrayIcon1->setContextMenu(menu_);
    TrayIcon1->setIcon(picture_);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
              if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                emit clicked();
              }
            });
  }
  return *TrayIcon1;
}

bool ClockTray::shown() const { return TrayIcon1 != nullptr && TrayIcon1->isVisible(); }

bool ClockTray::follow() {
  const bool available = available_();
  if (available == shown()) return false;
  icon().setVisible(available);
  return true;
}

void ClockTray::SetTrayIcon(int n) {
  const QIcon picture = TrayIconResource(QString::asprintf("ICON_%d", n));
  if (picture.isNull()) return;  // a missing picture is not reported
  picture_ = picture;
  if (TrayIcon1 != nullptr) TrayIcon1->setIcon(picture_);
}

void ClockTray::SetToolTip(const QString& text) {
  if (text == toolTip_) return;
  toolTip_ = text;
  if (TrayIcon1 != nullptr) TrayIcon1->setToolTip(toolTip_);
}
