// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpWindow.h"

#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Heliodial Help"));
  setAccessibleName(windowTitle());
  resize(640, 560);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* tools = new QToolBar(this);
  tools->setAccessibleName(QStringLiteral("Help navigation"));
  browser = new QTextBrowser(this);
  browser->setAccessibleName(QStringLiteral("Help page"));
  browser->setOpenExternalLinks(true);
  QAction* back = tools->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                   QStringLiteral("Back"), browser, &QTextBrowser::backward);
  back->setShortcut(QKeySequence::Back);
  tools->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"),
                   browser, &QTextBrowser::forward);
  tools->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Contents"), this,
                   &HelpWindow::showContents);
  layout->addWidget(tools);
  layout->addWidget(browser);
  connect(browser, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Heliodial Help")
                                   : QStringLiteral("Heliodial Help - ") + title);
  });
}

void HelpWindow::showContents() { showPage(QUrl(QStringLiteral("qrc:/help/index.html"))); }

void HelpWindow::showTopic(int topic) {
  showPage(QUrl(QStringLiteral("qrc:/help/topic%1.html").arg(topic)));
}

void HelpWindow::showPage(const QUrl& page) {
  browser->setSource(page);
  show();
  raise();
  activateWindow();
}
