// The wheel as a picture file, for the headless companion and for exports.
#ifndef HELIODIAL_WHEELIMAGE_H
#define HELIODIAL_WHEELIMAGE_H

#include <QImage>
#include <QString>

#include "wheel/WheelLayout.h"

// The wheel drawn on a new square image of sizePixels device-independent pixels
// (sizePixels x devicePixelRatio physical pixels). Needs a QGuiApplication; the offscreen
// platform (QT_QPA_PLATFORM=offscreen) serves without a display.
QImage RenderWheelImage(const Settings& settings, const WheelView& view, int sizePixels,
                        qreal devicePixelRatio = 1.0);

// Writes the wheel as PNG, or SVG when path ends in ".svg" (case-insensitive); the ratio
// applies to PNG only, an SVG picture being free of resolution. On failure
// returns false and, when error is given, a sentence naming the file and the cause. The caller
// must have created a QGuiApplication (the offscreen platform needs no display).
bool WriteWheelImage(const Settings& settings, const WheelView& view, const QString& path,
                     int sizePixels, QString* error, qreal devicePixelRatio = 1.0);

#endif
