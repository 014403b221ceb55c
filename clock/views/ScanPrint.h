// SPDX-License-Identifier: GPL-3.0-or-later
// Printing a report as text: one printed line per report line, in the report's font, over as many
// pages as it takes. Plain code over a paged device, so a PDF file serves as well as a printer.
#ifndef HELIODIAL_SCANPRINT_H
#define HELIODIAL_SCANPRINT_H

#include <QFont>
#include <QFontMetricsF>
#include <QStringList>

class QPagedPaintDevice;

// The report font for paper: a size set in screen pixels becomes the same size in points at the
// screen's 96 dots per inch, so that it keeps its size at the printer's resolution.
QFont PrintFont(const QFont& screenFont);

// A line split into pieces that fit width: breaks after an aspect's "):" where one fits, else
// after a blank, else within a word. Pieces after the first are meant to stand indent further in.
QStringList WrapReportLine(const QString& line, const QFontMetricsF& metrics, qreal width,
                           qreal indent);

// The foot of each printed page: "Page 2 of 5".
QString PageFoot(int page, int pages);

// Prints the lines on device, each page numbered at its foot; a line wider than the page goes on,
// indented, on the lines under it rather than being cut off. False when the device cannot be
// painted on.
bool PrintReportLines(QPagedPaintDevice& device, const QStringList& lines, const QFont& font);

#endif
