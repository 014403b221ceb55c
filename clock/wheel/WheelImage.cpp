#include "wheel/WheelImage.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "wheel/DrawWheel.h"
#include "wheel/QtSurface.h"

namespace {

// Large enough for any print, small enough that a typing slip cannot exhaust memory.
constexpr int kLargestSize = 16384;

void Fail(QString* error, const QString& text) {
  if (error != nullptr) *error = text;
}

QImage BlankImage(int sizePixels, qreal devicePixelRatio) {
  const int physical = qRound(sizePixels * devicePixelRatio);
  QImage image(physical, physical, QImage::Format_RGB32);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::white);
  return image;
}

QByteArray RenderSvg(const Settings& settings, const WheelView& view, int sizePixels) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(sizePixels, sizePixels));
  svg.setViewBox(QRect(0, 0, sizePixels, sizePixels));
  svg.setResolution(96);
  svg.setTitle(QStringLiteral("Heliodial"));
  // The fills are worked out on a raster copy and handed to the picture as regions.
  QImage shadow = BlankImage(sizePixels, 1.0);
  {
    QtSurface surface(shadow, &svg);
    DrawWheel(surface, settings, view, sizePixels);
  }
  return buffer.data();
}

}  // namespace

QImage RenderWheelImage(const Settings& settings, const WheelView& view, int sizePixels,
                        qreal devicePixelRatio) {
  QImage image = BlankImage(sizePixels, devicePixelRatio);
  QtSurface surface(image);
  DrawWheel(surface, settings, view, sizePixels);
  return image;
}

bool WriteWheelImage(const Settings& settings, const WheelView& view, const QString& path,
                     int sizePixels, QString* error, qreal devicePixelRatio) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    Fail(error, QStringLiteral("Cannot draw the wheel to %1: no QGuiApplication was created "
                               "(QT_QPA_PLATFORM=offscreen serves without a display)")
                    .arg(path));
    return false;
  }
  if (sizePixels < 1 || sizePixels > kLargestSize || !(devicePixelRatio >= 1.0) ||
      devicePixelRatio > 4.0) {
    Fail(error, QStringLiteral("Cannot draw the wheel to %1: size %2 pixels at ratio %3 is "
                               "outside 1..%4 pixels and ratio 1..4")
                    .arg(path)
                    .arg(sizePixels)
                    .arg(devicePixelRatio)
                    .arg(kLargestSize));
    return false;
  }
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("svg")) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(RenderSvg(settings, view, sizePixels)) < 0 ||
        !file.commit()) {
      Fail(error, QStringLiteral("Cannot write the wheel to %1: %2").arg(path, file.errorString()));
      return false;
    }
    return true;
  }
  if (suffix == QLatin1String("png")) {
    const QImage image = RenderWheelImage(settings, view, sizePixels, devicePixelRatio);
    QImageWriter writer(path, "png");
    if (!writer.write(image)) {
      Fail(error,
           QStringLiteral("Cannot write the wheel to %1: %2").arg(path, writer.errorString()));
      return false;
    }
    return true;
  }
  Fail(error,
       QStringLiteral("Cannot write the wheel to %1: the name must end in .png or .svg").arg(path));
  return false;
}
