// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrayIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <cmath>

#include "model/ChartTables.h"
#include "wheel/GlyphFont.h"

namespace {

constexpr int kVoidIcon = 13;

// Element colours of the signs, deep enough to carry a white symbol: fire, earth, air, water.
QColor signColour(int sign) {
  static const QColor kElements[4] = {QColor(0xC6, 0x28, 0x28), QColor(0x2E, 0x7D, 0x32),
                                      QColor(0xB2, 0x8B, 0x00), QColor(0x15, 0x65, 0xC0)};
  return kElements[sign % 4];
}

class PaintedIcon : public QIconEngine {
 public:
  explicit PaintedIcon(int number) : number_(number) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    const qreal side = qMin(rect.width(), rect.height());
    const QRectF square(rect.x() + (rect.width() - side) / 2.0,
                        rect.y() + (rect.height() - side) / 2.0, side, side);
    const QRectF disc = square.adjusted(side * 0.04, side * 0.04, -side * 0.04, -side * 0.04);
    const bool disabled = mode == QIcon::Disabled;
    if (number_ == kVoidIcon) {
      // The void Moon: a pale crescent on a night-blue disc.
      painter->setPen(Qt::NoPen);
      painter->setBrush(disabled ? QColor(0x70, 0x70, 0x70) : QColor(0x1A, 0x23, 0x7E));
      painter->drawEllipse(disc);
      QPainterPath moon;
      const QRectF full = disc.adjusted(side * 0.18, side * 0.18, -side * 0.18, -side * 0.18);
      moon.addEllipse(full);
      QPainterPath bite;
      bite.addEllipse(full.translated(full.width() * 0.38, -full.height() * 0.12));
      painter->setBrush(QColor(0xFF, 0xF5, 0xC8));
      painter->drawPath(moon.subtracted(bite));
    } else {
      const int sign = number_ - 1;
      painter->setPen(Qt::NoPen);
      painter->setBrush(disabled ? QColor(0x80, 0x80, 0x80) : signColour(sign));
      painter->drawEllipse(disc);
      const QString symbol(QChar(kSignSymbols[static_cast<std::size_t>(sign)]));
      QFont font = GlyphFont(1, symbol);
      font.setPixelSize(qMax(1, qRound(side * 0.62)));
      painter->setFont(font);
      painter->setPen(Qt::white);
      painter->drawText(disc, Qt::AlignCenter, symbol);
    }
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }

  // size is in device pixels already; the picture is painted at that resolution.
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    QPixmap pixmap(size);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), (QSizeF(size) / scale).toSize()), mode, state);
    return pixmap;
  }

  QIconEngine* clone() const override { return new PaintedIcon(number_); }
  QString key() const override { return QStringLiteral("heliodial-tray"); }

 private:
  int number_;
};

// The program's icon, the same picture the desktop shows for it.
class ProgramIcon : public PaintedIcon {
 public:
  ProgramIcon() : PaintedIcon(0) {}
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    static QSvgRenderer picture(QStringLiteral(":/icons/heliodial.svg"));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    picture.render(painter, QRectF(rect));
    painter->restore();
  }
  QIconEngine* clone() const override { return new ProgramIcon; }
};

}  // namespace

QIcon TrayIconResource(const QString& name) {
  static const QRegularExpression pattern(QStringLiteral("^ICON_([1-9]|1[0-3])$"));
  const QRegularExpressionMatch match = pattern.match(name);
  if (!match.hasMatch()) return {};
  return QIcon(new PaintedIcon(match.captured(1).toInt()));
}

QIcon ApplicationIcon() { return QIcon(new ProgramIcon); }
