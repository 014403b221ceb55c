// SPDX-License-Identifier: GPL-3.0-or-later
// The about window and the window on the larger package's further calculations: shipped pages
// whose links open in the help window.
#ifndef HELIODIAL_ABOUT_H
#define HELIODIAL_ABOUT_H

#include <QWidget>

class QTextBrowser;
class QPushButton;

// A small window showing one of the shipped pages, with a Close button.
class TfrmPage : public QWidget {
  Q_OBJECT
 public:
  TfrmPage(const QString& caption, const QString& page, QSize size);
  QTextBrowser* text = nullptr;
  QPushButton* btnClose = nullptr;

 signals:
  // A link to a help page was followed: the help window shows it, with its way back, and this
  // page stays as it is.
  void pageRequested(const QUrl& page);
};

class TfrmAbout : public TfrmPage {
  Q_OBJECT
 public:
  TfrmAbout();
};

// "More Astrology calculations": what the larger package offers and how natal import works.
class TfrmInfo : public TfrmPage {
  Q_OBJECT
 public:
  TfrmInfo();
};

#endif
