// SPDX-License-Identifier: GPL-3.0-or-later
// The clock's icon in the notification area: the sign on the Ascendant or the void Moon, the
// clock's menu, and a click that shows the clock. A panel often starts after the clock (both
// started by the session), and panels restart, so the notification area is followed: its D-Bus
// watcher coming and going on the session bus at once, an older X11 tray at every minute. Without
// one the clock window keeps a task-bar button instead.
#ifndef HELIODIAL_CLOCKTRAY_H
#define HELIODIAL_CLOCKTRAY_H

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

class QMenu;
class QSystemTrayIcon;

class ClockTray : public QObject {
  Q_OBJECT
 public:
  // available says whether a notification area is there; empty follows the desktop's.
  ClockTray(QMenu* menu, std::function<bool()> available, QObject* parent);

  bool shown() const;
  // Shows or hides the icon as the notification area comes and goes; true when that changed.
  bool follow();
  // Picture ICON_<n>: 1..12 the Ascendant's sign, 13 the void Moon.
  void SetTrayIcon(int n);
  void SetToolTip(const QString& text);

 signals:
  // The icon was clicked or double-clicked.
  void clicked();
  // The desktop's notification area appeared or went away: follow() has news.
  void availabilityChanged();

 private slots:
  void hostRegistered();

 private:
  void watchDesktop();
  void askForHost();
  QSystemTrayIcon& icon();

  QMenu* menu_;
  QSystemTrayIcon* TrayIcon1 = nullptr;  // made when first shown, see icon()
  QIcon picture_;
  QString toolTip_;
  std::function<bool()> available_;
  bool host_ = false;  // a StatusNotifier host is registered with the session's watcher
};

#endif
