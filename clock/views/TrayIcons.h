// SPDX-License-Identifier: GPL-3.0-or-later
// The thirteen pictures of the notification-area icon, under the names the clock asks for:
// "ICON_1" .. "ICON_12" the signs Aries .. Pisces, "ICON_13" the void-of-course Moon. They are
// painted when asked for, at the size and pixel ratio the tray wants, so they stay crisp.
#ifndef HELIODIAL_TRAYICONS_H
#define HELIODIAL_TRAYICONS_H

#include <QIcon>
#include <QString>

// The icon of a resource name, or a null icon for a name that is not one of the thirteen.
QIcon TrayIconResource(const QString& name);

// The program's own icon: a small wheel, the picture the desktop shows for the program.
QIcon ApplicationIcon();

#endif
