// SPDX-License-Identifier: GPL-3.0-or-later
// The wheel image: fills the clock's client area and shows the last drawing.
#ifndef HELIODIAL_WHEELWIDGET_H
#define HELIODIAL_WHEELWIDGET_H

#include <QImage>
#include <QString>
#include <QWidget>

class TWheelImage : public QWidget {
  Q_OBJECT
 public:
  explicit TWheelImage(QWidget* parent);
  void setPicture(const QImage& picture);
  // A message in place of the wheel (no chart can be computed); the next picture replaces it.
  void showText(const QString& text);
  const QImage& picture() const { return picture_; }

 signals:
  // A drawn wheel reached the screen.
  void wheelPainted();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  QString text_;
};

#endif
