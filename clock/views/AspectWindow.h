// SPDX-License-Identifier: GPL-3.0-or-later
// What the two aspect list windows share: a toolbar with "Toggle glyphs/text" and "Keep on top",
// and the list itself, replaced each minute or growing as a log.
#ifndef HELIODIAL_ASPECTWINDOW_H
#define HELIODIAL_ASPECTWINDOW_H

#include <QWidget>

#include "chart/ComputeChart.h"
#include "settings/Settings.h"

class QPlainTextEdit;
class QToolBar;
class QToolButton;

class TfrmAspectList : public QWidget {
  Q_OBJECT
 public:
  // caption, the settings section of its geometry, and the list's font until the first listing
  // (the font family and whether it is the glyph font).
  TfrmAspectList(const QString& caption, const WindowGeometry& geometry, const QString& startFamily,
                 bool startWithGlyphs);

  // What a live chart changes in the list: replaced or added to, its font, its new lines.
  void showList(const AspectListUpdate& update);
  void clear();
  void addLine(const QString& line);
  // Plain text in text mode, the symbol font otherwise.
  void setListFont(bool textMode);

  // The window's place and size as the settings store it.
  WindowGeometry savedGeometry() const;

  QToolBar* Toolbar971 = nullptr;
  QToolButton* ToolbarButton972 = nullptr;  // toggle glyphs/text
  QToolButton* ToolbarButton971 = nullptr;  // keep on top
  QPlainTextEdit* memoAspects = nullptr;

 signals:
  // The user asked for words instead of glyphs, or the other way round.
  void toggleTextRequested();

 protected:
  // A new palette (a dark theme chosen) redraws the toolbar's pictures in its colours.
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void updateIcons();
  void FormCreate(const WindowGeometry& geometry);
  void ToolbarButton971Click();

  QPoint savedFramePosition_;
  bool placed_ = false;
};

#endif
