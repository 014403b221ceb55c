// SPDX-License-Identifier: GPL-3.0-or-later
#include "About.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

TfrmPage::TfrmPage(const QString& caption, const QString& page, QSize size)
    : QWidget(nullptr, Qt::Dialog) {
  setWindowTitle(caption);
  setAccessibleName(caption);
  resize(size);
  auto* layout = new QVBoxLayout(this);
  text = new QTextBrowser(this);
  text->setAccessibleName(caption);
  // Web links open in the browser; the help pages' links go to the help window.
  text->setOpenExternalLinks(true);
  text->setOpenLinks(false);
  connect(text, &QTextBrowser::anchorClicked, this, &TfrmPage::pageRequested);
  text->setSource(QUrl(page));
  layout->addWidget(text);
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setAccessibleName(QStringLiteral("Close"));
  btnClose->setDefault(true);
  connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnClose);
  layout->addLayout(buttons);
}

TfrmAbout::TfrmAbout()
    : TfrmPage(QStringLiteral("About Heliodial"), QStringLiteral("qrc:/help/about.html"),
               QSize(420, 320)) {
  setObjectName(QStringLiteral("TfrmAbout"));
}

TfrmInfo::TfrmInfo()
    : TfrmPage(QStringLiteral("More Astrology calculations"),
               QStringLiteral("qrc:/help/moreastrology.html"), QSize(520, 460)) {
  setObjectName(QStringLiteral("TfrmInfo"));
}
