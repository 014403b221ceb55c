// SPDX-License-Identifier: GPL-3.0-or-later
#include "position.h"

#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

#include "wheel/GlyphFont.h"

namespace {

constexpr int kColumns = 4;
constexpr int kRows = 13;
constexpr int kClientWidth = 192;
constexpr int kClientHeight = 353;
constexpr int kGridHeight = 328;
constexpr int kNarrowColumn = 30;
constexpr int kWideColumn = 64;
constexpr int kCellFontPixels = 11;

// Plain text in the header row; the astrological symbols in the rows below.
QFont CellFont(int row) {
  if (row == 0) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kCellFontPixels);
    return font;
  }
  QFont font = GlyphFont(1, QString());
  font.setPixelSize(kCellFontPixels);
  return font;
}

}  // namespace

TfrmPositions::TfrmPositions(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("TfrmPositions"));
  setWindowTitle(QStringLiteral("Heliodial Positions"));
  setAccessibleName(windowTitle());
  setFixedSize(kClientWidth, kClientHeight);
  move(635, 192);

  grdPos = new QTableWidget(kRows, kColumns, this);
  grdPos->setObjectName(QStringLiteral("grdPos"));
  grdPos->setAccessibleName(QStringLiteral("Positions of the planets and the house cusps"));
  grdPos->setGeometry(0, 0, kClientWidth, kGridHeight);
  grdPos->horizontalHeader()->hide();
  grdPos->verticalHeader()->hide();
  grdPos->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grdPos->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grdPos->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdPos->setSelectionMode(QAbstractItemView::NoSelection);
  grdPos->setFocusPolicy(Qt::TabFocus);
  const int rowHeight = (kGridHeight - 2) / kRows;
  for (int row = 0; row < kRows; ++row) grdPos->setRowHeight(row, rowHeight);

  btnClose = new QPushButton(QStringLiteral("&Close"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setAccessibleName(QStringLiteral("Close"));
  btnClose->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  btnClose->setGeometry(2, kClientHeight - 24, 95, 22);
  connect(btnClose, &QPushButton::clicked, this, &TfrmPositions::btnCloseClick);

  btnTop = new QPushButton(QStringLiteral("Keep On Top"), this);
  btnTop->setObjectName(QStringLiteral("btnTop"));
  btnTop->setAccessibleName(QStringLiteral("Keep On Top"));
  btnTop->setIcon(style()->standardIcon(QStyle::SP_TitleBarShadeButton));
  btnTop->setCheckable(true);
  btnTop->setGeometry(kClientWidth - 98, kClientHeight - 24, 96, 22);
  connect(btnTop, &QPushButton::toggled, this, &TfrmPositions::btnTopClick);

  FormCreate();
}

void TfrmPositions::FormCreate() {
  grdPos->setColumnWidth(0, kNarrowColumn);
  grdPos->setColumnWidth(1, kWideColumn);
  grdPos->setColumnWidth(2, kNarrowColumn);
  grdPos->setColumnWidth(3, kWideColumn);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      auto* item = new QTableWidgetItem;
      grdPosGetCellColor(row, column, item);
      grdPos->setItem(row, column, item);
    }
  }
  grdPos->item(0, 1)->setText(QStringLiteral("Planet"));
  grdPos->item(0, 3)->setText(QStringLiteral("House"));
}

void TfrmPositions::grdPosGetCellColor(int row, int column, QTableWidgetItem* item) const {
  item->setFont(CellFont(row));
  const bool narrow = column == 0 || column == 2;
  item->setForeground(narrow ? Qt::white : Qt::black);
  item->setBackground(narrow ? Qt::blue : Qt::white);
  item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TfrmPositions::Refresh(const PositionRows& rows) {
  for (int row = 1; row <= 12; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      grdPos->item(row, column)->setText(rows[static_cast<std::size_t>(row)][column]);
    }
  }
}

void TfrmPositions::btnTopClick(bool down) {
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, down);
  if (shown) show();  // changing the flags hides a shown window
}

void TfrmPositions::btnCloseClick() { close(); }
