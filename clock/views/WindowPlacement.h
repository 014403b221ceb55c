// SPDX-License-Identifier: GPL-3.0-or-later
// Where a window with a saved place goes: where it was, unless that would leave its title bar out
// of reach (a monitor that is gone, a scale factor that makes it taller than the screen). Then it
// is moved, and shrunk, onto the screen that holds most of it (or the first).
#ifndef HELIODIAL_WINDOWPLACEMENT_H
#define HELIODIAL_WINDOWPLACEMENT_H

#include <QList>
#include <QRect>

class QWidget;

// frame: the saved outer rectangle, title bar included; screens: their available areas, the
// primary first. The result is frame itself when its title bar can be reached and it fits.
QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& screens);

// The available areas of this desktop's screens, the primary first.
QList<QRect> AvailableScreens();

// Puts a shown window's frame where it was saved (framePosition), or onto a screen by the rule
// above; before the window is shown its frame's width is not known.
void PlaceFrame(QWidget& window, QPoint framePosition);

#endif
