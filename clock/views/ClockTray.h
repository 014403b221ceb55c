// SPDX-License-Identifier: GPL-3.0-or-later
// The clock's icon in the notification area: the sign on the Ascendant or the void Moon, the
// clock's menu, and a click that shows the clock. Whether a notification area is there is
// followed at every minute; without one the clock window keeps a task-bar button instead.
#ifndef HELIODIAL_CLOCKTRAY_H
#define HELIODIAL_CLOCKTRAY_H

#include <QObject>
#include <functional>

class QMenu;
class QSystemTrayIcon;

class ClockTray : public QObject {
  Q_OBJECT
 public:
  // available says whether a notification area is there; empty asks the desktop.
  ClockTray(QMenu* menu, std::function<bool()> available, QObject* parent);

  bool shown() const;
  // Shows or hides the icon as the notification area comes and goes; true when that changed.
  bool follow();
  // Picture ICON_<n>: 1..12 the Ascendant's sign, 13 the void Moon.
  void SetTrayIcon(int n);

 signals:
  // The icon was clicked or double-clicked.
  void clicked();

 private:
  QSystemTrayIcon* TrayIcon1;
  std::function<bool()> available_;
};

#endif
