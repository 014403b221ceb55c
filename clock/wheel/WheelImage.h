// SPDX-License-Identifier: GPL-3.0-or-later
// The wheel as a picture file, for the headless companion and for exports.
#ifndef HELIODIAL_WHEELIMAGE_H
#define HELIODIAL_WHEELIMAGE_H

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

#include "wheel/WheelLayout.h"

// The wheel drawn on a new square image of sizePixels device-independent pixels
// (sizePixels x devicePixelRatio physical pixels). Needs a QGuiApplication; the offscreen
// platform (QT_QPA_PLATFORM=offscreen) serves without a display.
QImage RenderWheelImage(const Settings& settings, const WheelView& view, int sizePixels,
                        qreal devicePixelRatio = 1.0);

enum class PictureFormat { Png, Svg };

// The format a file name asks for by its suffix (".png", ".svg", any case), or nothing.
std::optional<PictureFormat> PictureFormatOf(const QString& fileName);

// The picture file's bytes; the ratio applies to PNG only, an SVG picture being free of
// resolution. On failure an empty array and, when error is given, the cause.
QByteArray WheelPictureBytes(const Settings& settings, const WheelView& view, PictureFormat format,
                             int sizePixels, QString* error, qreal devicePixelRatio = 1.0);

// Writes the wheel as PNG or SVG by the name's suffix, whole or not at all (a temporary file
// renamed into place). On failure returns false and, when error is given, a sentence naming the
// file and the cause.
bool WriteWheelImage(const Settings& settings, const WheelView& view, const QString& path,
                     int sizePixels, QString* error, qreal devicePixelRatio = 1.0);

#endif
