#include "ScanPrint.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace {

constexpr qreal kScreenDpi = 96;
constexpr qreal kPointsPerInch = 72;
// Continuation pieces of a long line stand this many average characters in.
constexpr qreal kIndentCharacters = 4;

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

bool PrintReportLines(QPagedPaintDevice& device, const QStringList& lines, const QFont& font) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  painter.setFont(PrintFont(font));
  const QFontMetricsF metrics(painter.font(), &device);
  const qreal width = device.width();
  const qreal height = device.height();
  const qreal lineHeight = metrics.lineSpacing();
  const qreal indent = kIndentCharacters * metrics.averageCharWidth();
  qreal y = 0;
  for (const QString& line : lines) {
    const QStringList pieces = WrapReportLine(line, metrics, width, indent);
    for (qsizetype p = 0; p < pieces.size(); ++p) {
      if (y > 0 && y + lineHeight > height) {
        device.newPage();
        y = 0;
      }
      painter.drawText(QPointF(p == 0 ? 0 : indent, y + metrics.ascent()), pieces[p]);
      y += lineHeight;
    }
  }
  return painter.end();
}
