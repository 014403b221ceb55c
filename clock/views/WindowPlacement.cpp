// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// Enough of a title bar to take hold of with the pointer.
constexpr int kGrip = 40;
constexpr int kTitleBar = 20;

bool TitleBarReachable(const QRect& frame, const QRect& screen) {
  const QRect title(frame.left(), frame.top(), frame.width(), kTitleBar);
  const QRect seen = title.intersected(screen);
  return seen.height() == kTitleBar && seen.width() >= std::min(kGrip, frame.width());
}

qint64 Area(const QRect& r) { return r.isEmpty() ? 0 : qint64{r.width()} * r.height(); }

}  // namespace

QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& screens) {
  if (screens.isEmpty()) return frame;
  QRect screen = screens.first();
  for (const QRect& s : screens) {
    if (Area(frame.intersected(s)) > Area(frame.intersected(screen))) screen = s;
  }
  QRect placed = frame;
  placed.setWidth(std::min(frame.width(), screen.width()));
  placed.setHeight(std::min(frame.height(), screen.height()));
  const bool reachable = std::any_of(screens.begin(), screens.end(),
                                     [&](const QRect& s) { return TitleBarReachable(placed, s); });
  // Beyond its screen's edge it only moves when it has to: a window put half off the screen on
  // purpose stays where it was put.
  if (reachable && placed.size() == frame.size()) return frame;
  placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() + 1 - placed.width()));
  placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() + 1 - placed.height()));
  return placed;
}

QList<QRect> AvailableScreens() {
  QList<QRect> screens;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary != nullptr) screens << primary->availableGeometry();
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen != primary) screens << screen->availableGeometry();
  }
  return screens;
}

void PlaceFrame(QWidget& window, QPoint framePosition) {
  const QRect client = window.geometry();
  const QRect frame = window.frameGeometry();
  const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
  const QRect wanted =
      PlaceOnScreens(QRect(framePosition, client.size().grownBy(margins)), AvailableScreens());
  if (wanted.topLeft() != frame.topLeft() &&
      PlatformPlacesWindows(QGuiApplication::platformName())) {
    window.move(wanted.topLeft());
  }
  if (wanted.size() != frame.size()) window.resize(wanted.size().shrunkBy(margins));
}

bool PlatformPlacesWindows(const QString& platformName) {
  return !platformName.startsWith(QStringLiteral("wayland"));
}

QPoint PlaceToSave(const QWidget& window, QPoint savedBefore) {
  return PlatformPlacesWindows(QGuiApplication::platformName()) ? window.pos() : savedBefore;
}
