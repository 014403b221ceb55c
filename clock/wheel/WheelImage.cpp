// SPDX-License-Identifier: GPL-3.0-or-later
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

std::optional<PictureFormat> PictureFormatOf(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix == QLatin1String("png")) return PictureFormat::Png;
  if (suffix == QLatin1String("svg")) return PictureFormat::Svg;
  return std::nullopt;
}

QByteArray WheelPictureBytes(const Settings& settings, const WheelView& view, PictureFormat format,
                             int sizePixels, QString* error, qreal devicePixelRatio) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    Fail(error, QStringLiteral("no QGuiApplication was created (QT_QPA_PLATFORM=offscreen serves "
                               "without a display)"));
    return {};
  }
  if (sizePixels < 1 || sizePixels > kLargestSize || !(devicePixelRatio >= 1.0) ||
      devicePixelRatio > 4.0) {
    Fail(error, QStringLiteral("size %1 pixels at ratio %2 is outside 1..%3 pixels and ratio 1..4")
                    .arg(sizePixels)
                    .arg(devicePixelRatio)
                    .arg(kLargestSize));
    return {};
  }
  if (format == PictureFormat::Svg) return RenderSvg(settings, view, sizePixels);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(RenderWheelImage(settings, view, sizePixels, devicePixelRatio))) {
    Fail(error, writer.errorString());
    return {};
  }
  return bytes;
}

bool WriteWheelImage(const Settings& settings, const WheelView& view, const QString& path,
                     int sizePixels, QString* error, qreal devicePixelRatio) {
  const std::optional<PictureFormat> format = PictureFormatOf(path);
  if (!format) {
    Fail(error, QStringLiteral("Cannot write the wheel to %1: the name must end in .png or .svg")
                    .arg(path));
    return false;
  }
  QString cause;
  const QByteArray bytes =
      WheelPictureBytes(settings, view, *format, sizePixels, &cause, devicePixelRatio);
  if (bytes.isEmpty()) {
    Fail(error, QStringLiteral("Cannot draw the wheel to %1: %2").arg(path, cause));
    return false;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    Fail(error, QStringLiteral("Cannot write the wheel to %1: %2").arg(path, file.errorString()));
    return false;
  }
  return true;
}
