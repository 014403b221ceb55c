// SPDX-License-Identifier: GPL-3.0-or-later
// Where a window with a saved place goes: where it was, unless that would leave its title bar out
// of reach (a monitor that is gone, a scale factor that makes it taller than the screen). Then it
// is moved, and shrunk, onto the screen that holds most of it (or the first).
#ifndef HELIODIAL_WINDOWPLACEMENT_H
#define HELIODIAL_WINDOWPLACEMENT_H

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// frame: the saved outer rectangle, title bar included; screens: their available areas, the
// primary first. The result is frame itself when its title bar can be reached and it fits.
QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& screens);

// The available areas of this desktop's screens, the primary first.
QList<QRect> AvailableScreens();

// Puts a shown window's frame where it was saved (framePosition), or onto a screen by the rule
// above; before the window is shown its frame's width is not known.
void PlaceFrame(QWidget& window, QPoint framePosition);

// Whether the platform lets a program read and set where its windows are: Wayland does neither,
// and a window there always says it is at 0,0.
bool PlatformPlacesWindows(const QString& platformName);
// The place Exit saves for a window: where its frame is, or, where the platform cannot say, the
// place saved before, kept as it was.
QPoint PlaceToSave(const QWidget& window, QPoint savedBefore);

#endif
