// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScanPrint.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <vector>

namespace {

constexpr qreal kScreenDpi = 96;
constexpr qreal kPointsPerInch = 72;
// Continuation pieces of a long line stand this many average characters in.
constexpr qreal kIndentCharacters = 4;
// Lines of the page kept for its number: a blank one, then the number.
constexpr qreal kFootLines = 2;

// The longest prefix of text, in whole characters, whose width is within width; at least one
// character, so that every piece makes progress.
qsizetype fittingLength(const QString& text, const QFontMetricsF& metrics, qreal width) {
  qsizetype low = 1, high = text.size();
  while (low < high) {
    const qsizetype mid = (low + high + 1) / 2;
    if (metrics.horizontalAdvance(text.left(mid)) <= width) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  if (low < text.size() && text.at(low).isLowSurrogate() && low > 1) --low;
  return low;
}

}  // namespace

QFont PrintFont(const QFont& screenFont) {
  QFont font = screenFont;
  if (font.pixelSize() > 0) font.setPointSizeF(font.pixelSize() * kPointsPerInch / kScreenDpi);
  return font;
}

QStringList WrapReportLine(const QString& line, const QFontMetricsF& metrics, qreal width,
                           qreal indent) {
  QStringList pieces;
  QString rest = line;
  qreal room = width;
  while (!rest.isEmpty() && metrics.horizontalAdvance(rest) > room) {
    const qsizetype fits = fittingLength(rest, metrics, room);
    const QString head = rest.left(fits);
    qsizetype cut = head.lastIndexOf(QStringLiteral("):"));
    if (cut > 0) {
      cut += 2;
    } else if ((cut = head.lastIndexOf(QLatin1Char(' '))) > 0) {
      cut += 1;
    } else {
      cut = fits;
    }
    pieces << rest.left(cut);
    rest = rest.mid(cut);
    room = std::max(width - indent, width / 2);
  }
  if (!rest.isEmpty() || pieces.isEmpty()) pieces << rest;
  return pieces;
}

QString PageFoot(int page, int pages) {
  return QStringLiteral("Page %1 of %2").arg(page).arg(pages);
}

bool PrintReportLines(QPagedPaintDevice& device, const QStringList& lines, const QFont& font) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  painter.setFont(PrintFont(font));
  const QFontMetricsF metrics(painter.font(), &device);
  const qreal width = device.width();
  const qreal height = device.height();
  const qreal lineHeight = metrics.lineSpacing();
  const qreal indent = kIndentCharacters * metrics.averageCharWidth();
  // The foot of each page holds its number, a blank line under the last report line.
  const qreal bodyHeight = height - kFootLines * lineHeight;

  // Laid out first, so that each foot can say how many pages there are.
  struct Piece {
    qreal x, y;
    QString text;
  };
  std::vector<std::vector<Piece>> pages(1);
  qreal y = 0;
  for (const QString& line : lines) {
    const QStringList pieces = WrapReportLine(line, metrics, width, indent);
    for (qsizetype p = 0; p < pieces.size(); ++p) {
      if (y > 0 && y + lineHeight > bodyHeight) {
        pages.emplace_back();
        y = 0;
      }
      pages.back().push_back({p == 0 ? 0 : indent, y + metrics.ascent(), pieces[p]});
      y += lineHeight;
    }
  }

  const int count = static_cast<int>(pages.size());
  for (int page = 0; page < count; ++page) {
    if (page > 0) device.newPage();
    for (const Piece& piece : pages[static_cast<std::size_t>(page)]) {
      painter.drawText(QPointF(piece.x, piece.y), piece.text);
    }
    const QString foot = PageFoot(page + 1, count);
    painter.drawText(
        QPointF((width - metrics.horizontalAdvance(foot)) / 2, height - metrics.descent()), foot);
  }
  return painter.end();
}
