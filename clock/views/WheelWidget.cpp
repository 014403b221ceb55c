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
  update();
}

void TWheelImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (picture_.isNull()) return;
  painter.drawImage(QPoint(0, 0), picture_);
  emit wheelPainted();
}
