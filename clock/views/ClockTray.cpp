// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockTray.h"

#include <QSystemTrayIcon>

#include "TrayIcons.h"

ClockTray::ClockTray(QMenu* menu, std::function<bool()> available, QObject* parent)
    : QObject(parent), TrayIcon1(new QSystemTrayIcon(this)), available_(std::move(available)) {
  if (!available_) available_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
  TrayIcon1->setToolTip(QStringLiteral("Heliodial"));
  TrayIcon1->setContextMenu(menu);
  TrayIcon1->setIcon(ApplicationIcon());
  connect(TrayIcon1, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
              emit clicked();
            }
          });
}

bool ClockTray::shown() const { return TrayIcon1->isVisible(); }

bool ClockTray::follow() {
  const bool available = available_();
  if (available == shown()) return false;
  TrayIcon1->setVisible(available);
  return true;
}

void ClockTray::SetTrayIcon(int n) {
  const QIcon icon = TrayIconResource(QString::asprintf("ICON_%d", n));
  if (!icon.isNull()) TrayIcon1->setIcon(icon);  // a missing picture is not reported
}
