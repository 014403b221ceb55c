// SPDX-License-Identifier: GPL-3.0-or-later
#include "AspectWindow.h"

#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "WindowPlacement.h"
#include "wheel/GlyphFont.h"

namespace {

constexpr int kToolbarHeight = 26;
constexpr int kListFontPixels = 13;

QFont ListFont(const QString& family, bool glyphs) {
  QFont font = glyphs ? GlyphFont(1, QString()) : QFont(family);
  font.setPixelSize(kListFontPixels);
  return font;
}

// The toolbar's pictures, drawn in the palette's button text colour so that they show on a dark
// theme as on a light one (the style's own pictures are dark drawings).
QIcon ToolIcon(bool keepOnTop, const QPalette& palette) {
  QIcon icon;
  const QColor ink = palette.color(QPalette::ButtonText);
  for (const qreal ratio : {1.0, 2.0}) {
    QPixmap pixmap(QSize(18, 18) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ink, 1.5));
    if (keepOnTop) {
      // A window standing in front of another.
      painter.drawRect(QRectF(2.5, 2.5, 9, 8));
      painter.setBrush(ink);
      painter.drawRect(QRectF(6.5, 7.5, 9, 8));
    } else {
      // A glyph beside a letter: the Sun's circle and dot, and "A".
      painter.drawEllipse(QPointF(5.5, 9), 4, 4);
      painter.drawPoint(QPointF(5.5, 9));
      QFont font = painter.font();
      font.setPixelSize(12);
      font.setBold(true);
      painter.setFont(font);
      painter.drawText(QRectF(9, 2, 9, 14), Qt::AlignCenter, QStringLiteral("A"));
    }
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

TfrmAspectList::TfrmAspectList(const QString& caption, const WindowGeometry& geometry,
                               const QString& startFamily, bool startWithGlyphs)
    : QWidget(nullptr, Qt::Tool) {
  setWindowTitle(caption);
  setAccessibleName(caption);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Toolbar971 = new QToolBar(this);
  Toolbar971->setObjectName(QStringLiteral("Toolbar971"));
  Toolbar971->setAccessibleName(QStringLiteral("Aspect list tools"));
  Toolbar971->setMovable(false);
  Toolbar971->setFixedHeight(kToolbarHeight);
  Toolbar971->setIconSize(QSize(18, 18));

  ToolbarButton972 = new QToolButton(Toolbar971);
  ToolbarButton972->setObjectName(QStringLiteral("ToolbarButton972"));
  ToolbarButton972->setToolTip(QStringLiteral("Toggle glyphs/text"));
  ToolbarButton972->setAccessibleName(QStringLiteral("Toggle glyphs/text"));
  connect(ToolbarButton972, &QToolButton::clicked, this, &TfrmAspectList::toggleTextRequested);
  Toolbar971->addWidget(ToolbarButton972);

  ToolbarButton971 = new QToolButton(Toolbar971);
  ToolbarButton971->setObjectName(QStringLiteral("ToolbarButton971"));
  ToolbarButton971->setToolTip(QStringLiteral("Keep on top"));
  ToolbarButton971->setAccessibleName(QStringLiteral("Keep on top"));
  ToolbarButton971->setCheckable(true);
  connect(ToolbarButton971, &QToolButton::clicked, this, &TfrmAspectList::ToolbarButton971Click);
  Toolbar971->addWidget(ToolbarButton971);
  layout->addWidget(Toolbar971);

  memoAspects = new QPlainTextEdit(this);
  memoAspects->setObjectName(QStringLiteral("memoAspects"));
  memoAspects->setAccessibleName(caption);
  memoAspects->setReadOnly(true);
  memoAspects->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memoAspects->setLineWrapMode(QPlainTextEdit::NoWrap);
  memoAspects->setFont(ListFont(startFamily, startWithGlyphs));
  layout->addWidget(memoAspects);

  updateIcons();
  FormCreate(geometry);
}

void TfrmAspectList::updateIcons() {
  ToolbarButton972->setIcon(ToolIcon(false, palette()));
  ToolbarButton971->setIcon(ToolIcon(true, palette()));
}

void TfrmAspectList::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
    updateIcons();
  }
  QWidget::changeEvent(event);
}

void TfrmAspectList::FormCreate(const WindowGeometry& g) {
  // As stored, unless that leaves the window out of reach; the frame is placed once it is known.
  savedFramePosition_ = QPoint(g.Left, g.Top);
  const QRect place = PlaceOnScreens(QRect(g.Left, g.Top, g.Width, g.Height), AvailableScreens());
  move(place.topLeft());
  resize(place.size());
}

void TfrmAspectList::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (placed_) return;
  placed_ = true;
  QTimer::singleShot(100, this, [this] { PlaceFrame(*this, savedFramePosition_); });
}

void TfrmAspectList::showList(const AspectListUpdate& update) {
  // The reader's place survives the minute: a replaced list stays where it was read, a log follows
  // its newest line only while the reader is at its end, and lines show from their first
  // character (the time of a log line, the first planet of an aspect).
  QScrollBar* vertical = memoAspects->verticalScrollBar();
  const int top = vertical->value();
  const bool atEnd = top >= vertical->maximum();
  if (update.setFont) setListFont(update.textFont);
  if (update.replace) {
    memoAspects->setPlainText(update.lines.join(QLatin1Char('\n')));
  } else {
    for (const QString& line : update.lines) addLine(line);
  }
  // The list's own cursor stays at the start, so that no later layout scrolls to where text went
  // in.
  memoAspects->setTextCursor(QTextCursor(memoAspects->document()));
  vertical->setValue(!update.replace && atEnd ? vertical->maximum() : top);
  memoAspects->horizontalScrollBar()->setValue(0);
}

void TfrmAspectList::clear() { memoAspects->clear(); }

void TfrmAspectList::addLine(const QString& line) {
  // Written at the end by a cursor of its own: the view's cursor and place are left alone.
  QTextCursor end(memoAspects->document());
  end.movePosition(QTextCursor::End);
  if (!memoAspects->document()->isEmpty()) end.insertBlock();
  end.insertText(line);
}

void TfrmAspectList::setListFont(bool textMode) {
  const QFont font = ListFont(QStringLiteral("Arial"), !textMode);
  if (memoAspects->font() != font) memoAspects->setFont(font);
}

WindowGeometry TfrmAspectList::savedGeometry() const {
  const QPoint place = PlaceToSave(*this, savedFramePosition_);
  return {place.y(), place.x(), height(), width()};
}

void TfrmAspectList::ToolbarButton971Click() {
  const bool onTop = !windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  ToolbarButton971->setChecked(onTop);
  if (shown) show();  // changing the flags hides a shown window
}
