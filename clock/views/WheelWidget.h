// The wheel image: fills the clock's client area and shows the last drawing.
#ifndef HELIODIAL_WHEELWIDGET_H
#define HELIODIAL_WHEELWIDGET_H

#include <QImage>
#include <QWidget>

class TWheelImage : public QWidget {
  Q_OBJECT
 public:
  explicit TWheelImage(QWidget* parent);
  void setPicture(const QImage& picture);
  const QImage& picture() const { return picture_; }

 signals:
  // A drawn wheel reached the screen.
  void wheelPainted();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

#endif
