// SPDX-License-Identifier: GPL-3.0-or-later
// "Find place...": a line to type a town's name into and a list of the atlas's matches below it.
// Choosing one only emits placeChosen(); the form that holds the search decides what to fill,
// so coordinates typed by hand are never changed behind the user's back.
#ifndef HELIODIAL_PLACESEARCH_H
#define HELIODIAL_PLACESEARCH_H

#include <QWidget>
#include <vector>

#include "atlas/Atlas.h"

class QCompleter;
class QLabel;
class QLineEdit;
class QStandardItemModel;

class PlaceSearch : public QWidget {
  Q_OBJECT

 public:
  explicit PlaceSearch(QWidget* parent = nullptr);

  QLineEdit* line() const { return line_; }
  // The matches now listed, best first.
  const std::vector<AtlasPlace>& results() const { return results_; }

 public slots:
  // Lists the matches of the text, as typing does.
  void search(const QString& typed);
  // Takes the listed match at row: the line shows its label and placeChosen() is emitted.
  void choose(int row);

 signals:
  void placeChosen(const AtlasPlace& place);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* line_;
  QLabel* status_;
  QCompleter* completer_;
  QStandardItemModel* model_;
  std::vector<AtlasPlace> results_;
  bool preloading_ = false;
};

#endif
