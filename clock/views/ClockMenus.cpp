// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockMenus.h"

#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStringList>

#include "Clock.h"
#include "ErrorReport.h"

namespace {

// An item, or a separator where name is null.
struct Item {
  const char* name;
  const char* caption;
  void (TfrmClock::*handler)();
};

constexpr Item kSeparator{nullptr, nullptr, nullptr};

QAction* Add(TfrmClock& clock, QMenu& menu, const Item& item) {
  if (item.name == nullptr) return menu.addSeparator();
  QAction* action = menu.addAction(QString::fromLatin1(item.caption));
  action->setObjectName(QString::fromLatin1(item.name));
  const auto handler = item.handler;
  QObject::connect(action, &QAction::triggered, &clock,
                   [&clock, handler] { RunReported([&clock, handler] { (clock.*handler)(); }); });
  return action;
}

QMenu& AddMenu(QMenuBar& bar, const char* name, const char* caption) {
  QMenu* menu = bar.addMenu(QString::fromLatin1(caption));
  menu->setObjectName(QString::fromLatin1(name));
  menu->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char('&')));
  return *menu;
}

}  // namespace

ClockMenuActions BuildClockMenus(TfrmClock& c, QMenuBar& bar, QMenu& popup) {
  ClockMenuActions actions;
  bar.setAccessibleName(QStringLiteral("Clock menu bar"));
  QMenu& show = AddMenu(bar, "Show1", "&Show");
  Add(c, show, {"Positions1", "&Positions", &TfrmClock::Positions1Click});
  Add(c, show, {"ShowTransits1", "Transits to &Natal", &TfrmClock::ShowTransits1Click});
  Add(c, show,
      {"ShowTransitingAspects1", "Transits to T&ransits", &TfrmClock::ShowTransitingAspects1Click});
  Add(c, show, kSeparator);
  actions.keepOnTop = Add(c, show, {"mnuKeepOnTop", "&Keep on top", &TfrmClock::OnTop1Click});
  Add(c, show, {"Hideclock1", "&Hide clock", &TfrmClock::Hideclock1Click});
  Add(c, show, {"mnuExitClock", "E&xit clock", &TfrmClock::mnuExitClick});

  QMenu& utilities = AddMenu(bar, "Utilities1", "&Utilities");
  Add(c, utilities,
      {"ScanTransitstotransits1", "&Scan Transits to transits",
       &TfrmClock::ScanTransitingAspects1Click});
  Add(c, utilities, {"Options2", "S&ettings...", &TfrmClock::Options1Click});

  QMenu& help = AddMenu(bar, "Help1", "&Help");
  Add(c, help, {"Instructions2", "&Instructions for use", &TfrmClock::About1Click});
  Add(c, help, {"MoreAstrology2", "&More Astrology calculations", &TfrmClock::InfoClick});
  Add(c, help, kSeparator);
  Add(c, help, {"About2", "&About", &TfrmClock::About2Click});

  popup.setObjectName(QStringLiteral("PopupMenu1"));
  popup.setAccessibleName(QStringLiteral("Clock menu"));
  Add(c, popup, {"About1", "&Instructions for use", &TfrmClock::About1Click});
  Add(c, popup, kSeparator);
  actions.onTop = Add(c, popup, {"OnTop1", "On &Top", &TfrmClock::OnTop1Click});
  Add(c, popup, {"mnuShow", "Show &Clock", &TfrmClock::mnuShowClick});
  Add(c, popup, {"ShowPositions1", "Show &Positions", &TfrmClock::Positions1Click});
  Add(c, popup,
      {"ShowTransitstoNatal1", "Show Transits to &Natal", &TfrmClock::ShowTransits1Click});
  Add(c, popup,
      {"ShowTransitingAspects2", "Show Transiting &Aspects",
       &TfrmClock::ShowTransitingAspects1Click});
  Add(c, popup,
      {"ScanTransitingAspects1", "&Scan Transiting Aspects",
       &TfrmClock::ScanTransitingAspects1Click});
  Add(c, popup, kSeparator);
  Add(c, popup, {"Options1", "S&ettings...", &TfrmClock::Options1Click});
  Add(c, popup, kSeparator);
  Add(c, popup, {"MoreAstrology1", "&More Astrology calculations", &TfrmClock::InfoClick});
  Add(c, popup, {"mnuExit", "E&xit", &TfrmClock::mnuExitClick});
  for (QAction* onTop : {actions.onTop, actions.keepOnTop}) onTop->setCheckable(true);
  return actions;
}

void SetMoonLines(QMenu& popup, const QStringList& lines) {
  const char* const names[] = {"mnuMoonPosition", "mnuMoonVoid", "mnuMoonSeparator"};
  QList<QAction*> made;
  for (const char* name : names) {
    if (auto* action = popup.findChild<QAction*>(QString::fromLatin1(name))) made << action;
  }
  if (lines.isEmpty()) {
    for (QAction* action : made) {
      popup.removeAction(action);
      delete action;
    }
    return;
  }
  if (made.isEmpty()) {
    for (const char* name : names) {
      auto* action = new QAction(&popup);
      action->setObjectName(QString::fromLatin1(name));
      action->setEnabled(false);
      made << action;
    }
    made.last()->setSeparator(true);
    popup.insertActions(popup.actions().value(0), made);
  }
  for (int i = 0; i < 2; ++i) {
    // An "&" in a line is shown, not taken as a letter to press.
    made[i]->setText(lines.value(i).replace(QLatin1Char('&'), QStringLiteral("&&")));
  }
}

void OpenOnContextRequest(QWidget& wheel, QMenu& popup) {
  wheel.setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(&wheel, &QWidget::customContextMenuRequested, &popup,
                   [&wheel, &popup](const QPoint& at) { popup.popup(wheel.mapToGlobal(at)); });
  for (const QKeySequence& keys :
       {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
    QObject::connect(new QShortcut(keys, wheel.window()), &QShortcut::activated, &popup,
                     [&wheel, &popup] { popup.popup(wheel.mapToGlobal(wheel.rect().center())); });
  }
}
