// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaceSearch.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QThreadPool>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kShownMatches = 12;
}

PlaceSearch::PlaceSearch(QWidget* parent)
    : QWidget(parent),
      line_(new QLineEdit(this)),
      status_(new QLabel(this)),
      completer_(new QCompleter(this)),
      model_(new QStandardItemModel(this)) {
  setAccessibleName(QStringLiteral("Find place"));
  line_->setPlaceholderText(QStringLiteral("Find place..."));
  line_->setAccessibleName(QStringLiteral("Find place"));
  line_->setAccessibleDescription(
      QStringLiteral("Type the first letters of a town, then choose it from the list"));
  status_->setAccessibleName(QStringLiteral("Place search result"));
  status_->setWordWrap(true);
  status_->hide();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(line_);
  layout->addWidget(status_);

  // The atlas ranks the matches itself; the completer only shows them, unfiltered.
  completer_->setModel(model_);
  completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  completer_->setMaxVisibleItems(kShownMatches);
  completer_->setWidget(line_);
  completer_->popup()->setAccessibleName(QStringLiteral("Places found"));
  connect(completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
          [this](const QModelIndex& index) { choose(index.row()); });
  connect(line_, &QLineEdit::textEdited, this, &PlaceSearch::search);
  // Enter without a highlighted match takes the best one.
  connect(line_, &QLineEdit::returnPressed, this, [this] {
    if (!results_.empty() && !completer_->popup()->isVisible()) choose(0);
  });
  line_->installEventFilter(this);
}

bool PlaceSearch::eventFilter(QObject* watched, QEvent* event) {
  // The list is read in the background once the user comes to the search, so that the first
  // letters typed find it ready; a start that never searches never reads it.
  if (watched == line_ && event->type() == QEvent::FocusIn && !preloading_) {
    preloading_ = true;
    QThreadPool::globalInstance()->start([] { SharedAtlas(); });
  }
  return QWidget::eventFilter(watched, event);
}

void PlaceSearch::search(const QString& typed) {
  results_ = SearchPlaces(typed, kShownMatches);
  model_->clear();
  for (const AtlasPlace& place : results_) {
    auto* item =
        new QStandardItem(QStringLiteral("%1  (%2, %3)")
                              .arg(PlaceLabel(place), PlaceAnglesText(place), place.zoneName));
    item->setEditable(false);
    model_->appendRow(item);
  }
  // Wide enough for the labels, however narrow the line is.
  int widest = line_->width();
  for (int row = 0; row < model_->rowCount(); ++row) {
    widest = std::max(widest, line_->fontMetrics().horizontalAdvance(model_->item(row)->text()));
  }
  completer_->popup()->setMinimumWidth(
      widest + 2 * line_->fontMetrics().averageCharWidth() +
      completer_->popup()->verticalScrollBar()->sizeHint().width());
  QString status;
  if (!SharedAtlas().Problem().isEmpty()) {
    status = SharedAtlas().Problem();
  } else if (results_.empty() && !AtlasKey(typed.section(QLatin1Char(','), 0, 0)).isEmpty()) {
    status = QStringLiteral("No place found");
  }
  status_->setText(status);
  status_->setVisible(!status.isEmpty());
  if (results_.empty()) {
    completer_->popup()->hide();
  } else if (line_->isVisible()) {  // typed, or asked for by the form that shows it
    completer_->complete();
  }
}

void PlaceSearch::choose(int row) {
  if (row < 0 || row >= static_cast<int>(results_.size())) return;
  const AtlasPlace place = results_[static_cast<std::size_t>(row)];
  completer_->popup()->hide();
  line_->setText(PlaceLabel(place));
  emit placeChosen(place);
}
