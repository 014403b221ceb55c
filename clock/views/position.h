// SPDX-License-Identifier: GPL-3.0-or-later
// The positions window: the twelve planets of the chart of the moment beside the twelve house
// cusps, refreshed by every live computation whether it is shown or not.
#ifndef HELIODIAL_POSITION_H
#define HELIODIAL_POSITION_H

#include <QWidget>

#include "chart/ComputeChart.h"

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

class TfrmPositions : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmPositions(QWidget* parent = nullptr);

  // Rows 1..12, columns 0..3 in that order, as a live computation hands them over.
  void Refresh(const PositionRows& rows);

  QTableWidget* grdPos = nullptr;
  QPushButton* btnClose = nullptr;
  QPushButton* btnTop = nullptr;

 private:
  void FormCreate();
  // Font and colours of a cell by its row and column.
  void grdPosGetCellColor(int row, int column, QTableWidgetItem* item) const;
  void btnTopClick(bool down);
  void btnCloseClick();
};

#endif
