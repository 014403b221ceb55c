// SPDX-License-Identifier: GPL-3.0-or-later
// The help window over the help pages shipped with the program.
#ifndef HELIODIAL_HELPWINDOW_H
#define HELIODIAL_HELPWINDOW_H

#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The help viewer: a contents page and numbered topics (10 the settings, 102 the orbs).
class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  HelpWindow();
  // The contents page, "Instructions for use".
  void showContents();
  void showTopic(int topic);
  // Any shipped page, such as one another window links to.
  void showPage(const QUrl& page);
  QTextBrowser* browser = nullptr;
};

#endif
