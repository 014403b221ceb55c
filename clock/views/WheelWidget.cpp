// SPDX-License-Identifier: GPL-3.0-or-later
#include "WheelWidget.h"

#include <QPainter>

TWheelImage::TWheelImage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picWheel"));
  setAccessibleName(QStringLiteral("Horoscope wheel"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(64, 64);
}

void TWheelImage::setPicture(const QImage& picture) {
  picture_ = picture;
  text_.clear();
  update();
}

void TWheelImage::showText(const QString& text) {
  picture_ = QImage();
  text_ = text;
  setAccessibleDescription(text);
  update();
}

void TWheelImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!text_.isEmpty()) {
    painter.setPen(Qt::black);
    painter.drawText(rect().adjusted(width() / 10, height() / 10, -width() / 10, -height() / 10),
                     Qt::AlignCenter | Qt::TextWordWrap, text_);
    return;
  }
  if (picture_.isNull()) return;
  painter.drawImage(QPoint(0, 0), picture_);
  emit wheelPainted();
}
