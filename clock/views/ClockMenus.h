// SPDX-License-Identifier: GPL-3.0-or-later
// The clock's two menus: the menu bar (Show, Utilities, Help) and the context menu that the wheel
// and the notification-area icon open, each item by its established name, caption and handler.
#ifndef HELIODIAL_CLOCKMENUS_H
#define HELIODIAL_CLOCKMENUS_H

#include <QStringList>

class QMenu;
class QMenuBar;
class QAction;
class QWidget;
class TfrmClock;

struct ClockMenuActions {
  QAction* onTop = nullptr;      // "On Top" in the context menu
  QAction* keepOnTop = nullptr;  // "Keep on top" in the Show menu
};

// Fills the bar and the context menu; every item runs its handler under the error report.
ClockMenuActions BuildClockMenus(TfrmClock& clock, QMenuBar& bar, QMenu& popup);

// The Moon's lines at the top of the context menu, disabled, above a separator: made on the
// first lines, given new words after, taken out again for no lines, so that without them the
// menu is exactly the established one.
void SetMoonLines(QMenu& popup, const QStringList& lines);

// The context menu opens where the wheel is right-clicked, and from the keyboard (the Menu key,
// Shift+F10) at the wheel's middle.
void OpenOnContextRequest(QWidget& wheel, QMenu& popup);

#endif
