// SPDX-License-Identifier: GPL-3.0-or-later
// The running clock: its windows, menus, minute tick, notification-area icon, closing and Exit.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "ErrorReport.h"
#include "clock_fixture.h"
#include "wheel/WheelLayout.h"

namespace {

QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions()) {
    // As shown: the "&" before a letter underlines it rather than standing in the caption.
    captions << (action->isSeparator() ? QStringLiteral("-") : action->text().remove('&'));
  }
  return captions;
}

QStringList Lines(const TfrmAspectList* window) {
  return window->memoAspects->toPlainText().split('\n', Qt::SkipEmptyParts);
}

using ClockWindowsTest = ClockFixture;

TEST_F(ClockWindowsTest, StartUpCreatesTheWindowsInOrderWithTheirCaptions) {
  auto windows = start();
  EXPECT_EQ(ApplicationTitle(), QStringLiteral("Heliodial 3.2"));
  EXPECT_EQ(windows->clock->windowTitle(), QStringLiteral("Heliodial")) << "before the first tick";
  EXPECT_EQ(windows->positions->windowTitle(), QStringLiteral("Heliodial Positions"));
  EXPECT_EQ(windows->transits->windowTitle(), QStringLiteral("Transiting Aspects"));
  EXPECT_EQ(windows->natal->windowTitle(), QStringLiteral("Aspects to Natal"));
  EXPECT_EQ(windows->info->windowTitle(), QStringLiteral("More Astrology calculations"));
  for (QWidget* w : {static_cast<QWidget*>(windows->positions.get()),
                     static_cast<QWidget*>(windows->transits.get()),
                     static_cast<QWidget*>(windows->natal.get())}) {
    EXPECT_FALSE(w->isVisible()) << "created hidden: " << w->windowTitle().toStdString();
  }
  // The geometry of the settings (defaults here) is applied, even for hidden windows.
  EXPECT_EQ(windows->clock->pos(), QPoint(1, 1));
  EXPECT_EQ(windows->natal->pos(), QPoint(400, 76));
  EXPECT_EQ(windows->transits->pos(), QPoint(400, 376));
  EXPECT_EQ(windows->transits->size(), QSize(187, 279));
  EXPECT_EQ(windows->positions->size(), QSize(192, 353));
  EXPECT_TRUE(windows->clock->HelpFile().endsWith(QStringLiteral("/HELIODIAL.HLP")));
}

TEST_F(ClockWindowsTest, BothMenusInTheirOrder) {
  auto windows = start();
  EXPECT_EQ(
      Captions(Popup(*windows->clock)),
      (QStringList{"Instructions for use", "-", "On Top", "Show Clock", "Show Positions",
                   "Show Transits to Natal", "Show Transiting Aspects", "Scan Transiting Aspects",
                   "-", "Settings...", "-", "More Astrology calculations", "Exit"}));
  QStringList bar;
  QList<QStringList> items;
  for (QAction* menu : windows->clock->menuBar()->actions()) {
    bar << menu->text().remove('&');
    items << Captions(menu->menu());
  }
  EXPECT_EQ(bar, (QStringList{"Show", "Utilities", "Help"}));
  EXPECT_EQ(items[0], (QStringList{"Positions", "Transits to Natal", "Transits to Transits", "-",
                                   "Keep on top", "Hide clock", "Exit clock"}));
  EXPECT_EQ(items[1], (QStringList{"Scan Transits to transits", "Settings..."}));
  EXPECT_EQ(items[2],
            (QStringList{"Instructions for use", "More Astrology calculations", "-", "About"}));
  EXPECT_EQ(Tray(*windows->clock)->contextMenu(), Popup(*windows->clock));
  EXPECT_EQ(Tray(*windows->clock)->toolTip(), QStringLiteral("Heliodial"));
  // Each bar menu has its letter, and Shift+F10 opens the context menu from the keyboard.
  for (QAction* menu : windows->clock->menuBar()->actions())
    EXPECT_TRUE(menu->text().contains('&'));
  windows->clock->show();
  QApplication::setActiveWindow(windows->clock.get());
  QTest::keyClick(windows->clock.get(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(Popup(*windows->clock)->isVisible());
  Popup(*windows->clock)->hide();
}

// The Moon's lines: in the tool tip and at the top of the context menu (disabled) while an aspect
// rule or the Moon line is chosen, under the wheel and in its description while the Moon line is;
// with neither, everything as the clock has always shown it. 2 January 2000 at Greenwich: the
// classical window 19:32 - 21:33 after square Mars (heliodial-chart --moon --rule 1).
TEST_F(ClockWindowsTest, TheMoonsLinesInTheTrayAndUnderTheWheel) {
  const std::string greenwich(kGreenwichObservatory);
  const QString voidNow =
      QStringLiteral("Void since 19:32 (square Mars), enters Sagittarius 21:33 (classical)");
  const struct {
    std::string file;
    bool inTray;
    bool underWheel;
  } rows[] = {
      {greenwich, false, false},
      {greenwich + "[VOC]\nRule=1\n", true, false},
      {greenwich + "[VOC]\nRule=1\nMoonLine=1\n", true, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file);
    settings(r.file);
    now = QDateTime(QDate(2000, 1, 2), QTime(19, 0));
    auto windows = run();
    TfrmClock& clock = *windows->clock;
    const QSize wheelBefore = Wheel(clock).size();
    tick(*windows, 40);  // 19:40, void
    const QStringList menu = Captions(Popup(clock));
    const QLabel* line = clock.findChild<QLabel*>(QStringLiteral("lblMoon"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->isVisible(), r.underWheel);
    if (!r.inTray) {
      EXPECT_EQ(Tray(clock)->toolTip(), QStringLiteral("Heliodial"));
      EXPECT_EQ(menu.first(), QStringLiteral("Instructions for use"));
      EXPECT_EQ(menu.size(), 13);
      EXPECT_EQ(Wheel(clock).size(), wheelBefore) << "the wheel as large as it always was";
      EXPECT_FALSE(Wheel(clock).accessibleDescription().contains(QStringLiteral("Void since")));
      continue;
    }
    const QStringList tip = Tray(clock)->toolTip().split('\n');
    ASSERT_EQ(tip.size(), 3) << Tray(clock)->toolTip().toStdString();
    EXPECT_EQ(tip[0], QStringLiteral("Heliodial"));
    EXPECT_TRUE(tip[1].startsWith(QStringLiteral("Moon ")) &&
                tip[1].contains(QStringLiteral(" Scorpio, waning crescent ")))
        << tip[1].toStdString();
    EXPECT_EQ(tip[2], voidNow);
    ASSERT_EQ(menu.size(), 16);
    EXPECT_EQ(menu.mid(0, 4), (QStringList{tip[1], voidNow, "-", "Instructions for use"}));
    EXPECT_FALSE(Popup(clock)->actions()[0]->isEnabled());
    EXPECT_FALSE(Popup(clock)->actions()[1]->isEnabled());
    if (r.underWheel) {
      EXPECT_EQ(line->text(), tip[1] + QStringLiteral("\n") + voidNow);
      EXPECT_TRUE(Wheel(clock).accessibleDescription().contains(tip[1] + QStringLiteral("; ") +
                                                                voidNow + '.'));
      EXPECT_EQ(Wheel(clock).width(), Wheel(clock).height()) << "still square";
    }

    tick(*windows, 120);  // 21:40: in Sagittarius, her next window ahead
    EXPECT_EQ(Captions(Popup(clock))[1],
              QStringLiteral("Next void Wed 01:07 - Wed 10:25 (enters Capricorn) (classical)"));
    EXPECT_EQ(Tray(clock)->toolTip().split('\n')[2], Captions(Popup(clock))[1]);
    EXPECT_EQ(Captions(Popup(clock)).size(), 16) << "the lines are replaced, not added";
  }
}

TEST_F(ClockWindowsTest, ATickUpdatesCaptionWheelPositionsAndBothLists) {
  settings(std::string(kGreenwichObservatory) + "[Show]\nText=1\n[Natal]\nPlanet1=280.5\n");
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  EXPECT_EQ(clock.windowTitle(), QStringLiteral("Heliodial 12:00"));
  const QImage first = Wheel(clock).picture();
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(first.width(), first.height());

  tick(*windows, 97);  // 13:37, the Moon has moved on
  EXPECT_EQ(clock.windowTitle(), QStringLiteral("Heliodial 13:37"));
  EXPECT_NE(Wheel(clock).picture(), first);
  // The Sun at 13:37 on 1 January 2000: 10 Capricorn 26 (the companion's chart of that minute).
  const QTableWidget* grid = windows->positions->grdPos;
  EXPECT_EQ(grid->item(1, 0)->text(), QString(QChar(0x2609)));
  EXPECT_EQ(grid->item(1, 1)->text(), QString::fromUtf8("10 \u2651 26  "));
  EXPECT_EQ(grid->item(1, 2)->text(), QStringLiteral("1"));
  EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("Planet"));
  EXPECT_EQ(grid->item(0, 3)->text(), QStringLiteral("House"));
  // Narrow columns white on blue, wide ones black on white, the header row in plain text.
  EXPECT_EQ(grid->item(5, 0)->background().color(), QColor(Qt::blue));
  EXPECT_EQ(grid->item(5, 0)->foreground().color(), QColor(Qt::white));
  EXPECT_EQ(grid->item(0, 2)->background().color(), QColor(Qt::blue));
  EXPECT_EQ(grid->item(7, 3)->background().color(), QColor(Qt::white));
  EXPECT_EQ(grid->item(7, 3)->foreground().color(), QColor(Qt::black));
  EXPECT_EQ(grid->item(0, 1)->font().family(), QStringLiteral("Arial"));
  // Sun trine Saturn at this hour; the natal Sun at 280.5 is met by the transiting Sun.
  EXPECT_TRUE(
      Lines(windows->transits.get()).contains(QString::fromUtf8("Sun trine Saturn    -00\u00B003")))
      << Lines(windows->transits.get()).join('|').toStdString();
  EXPECT_TRUE(
      Lines(windows->natal.get()).contains(QString::fromUtf8("Sun conjunct Sun    +00\u00B004")))
      << Lines(windows->natal.get()).join('|').toStdString();
  // The wheel tells a screen reader what it shows.
  EXPECT_TRUE(Wheel(clock).accessibleDescription().contains(
      QStringLiteral("Sun 10 degrees 26 minutes Capricorn")))
      << Wheel(clock).accessibleDescription().toStdString();
  EXPECT_TRUE(Wheel(clock).accessibleDescription().endsWith(QStringLiteral("Time zone UT+0:00.")))
      << "and which time it means";
}

TEST_F(ClockWindowsTest, CloseHidesAndTheTrayIconShowsTheClockAgain) {
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  ASSERT_TRUE(clock.trayShown());
  EXPECT_FALSE(clock.close()) << "the close is refused";
  EXPECT_FALSE(clock.isVisible());
  tick(*windows);  // the clock goes on while hidden
  emit Tray(clock)->activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(clock.isVisible());
  EXPECT_EQ(clock.windowTitle(), QStringLiteral("Heliodial 12:01"));

  clock.Hideclock1Click();
  EXPECT_FALSE(clock.isVisible()) << "\"Hide clock\" closes, which hides";
  clock.mnuShowClick();
  EXPECT_TRUE(clock.isVisible());

  // Closed into the notification area, the program goes on: closing its last window (this one,
  // or the last the user opened beside it) must not end it.
  EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
}

TEST_F(ClockWindowsTest, WithoutANotificationAreaClosingMinimises) {
  trayAvailable = false;
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  EXPECT_FALSE(clock.trayShown());
  EXPECT_FALSE(clock.close());
  EXPECT_TRUE(clock.isVisible()) << "still reachable";
  EXPECT_TRUE(clock.isMinimized());

  // A notification area that turns up later is followed at the next tick.
  trayAvailable = true;
  tick(*windows);
  EXPECT_TRUE(clock.trayShown());
  clock.mnuShowClick();
  clock.close();
  EXPECT_FALSE(clock.isVisible());
  // And one that goes away brings the hidden clock back within reach.
  trayAvailable = false;
  tick(*windows);
  EXPECT_TRUE(clock.isVisible());
}

TEST_F(ClockWindowsTest, StartedHiddenTheClockWaitsInTheNotificationAreaOrMinimised) {
  for (const bool tray : {true, false}) {
    trayAvailable = tray;
    auto windows = start();
    TfrmClock& clock = *windows->clock;
    clock.startHidden();
    QCoreApplication::processEvents();
    EXPECT_EQ(clock.isVisible(), !tray) << tray;
    if (tray) continue;
    EXPECT_TRUE(clock.isMinimized()) << "with no notification area, still in the task bar";
    trayAvailable = true;  // the panel comes after the clock, as at a session's start
    tick(*windows);
    EXPECT_TRUE(clock.trayShown());
    EXPECT_FALSE(clock.isVisible()) << "gone to the notification area";
  }
}

TEST_F(ClockWindowsTest, ASessionEndReallyClosesWithoutSaving) {
  auto windows = run();
  windows->clock->WMQueryEndSession();
  EXPECT_TRUE(windows->clock->close());
  EXPECT_FALSE(std::filesystem::exists(config.IniPath())) << "nothing written";
}

TEST_F(ClockWindowsTest, OnTopAndKeepOnTopShowTheSameCheck) {
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  EXPECT_FALSE(Action(clock, "OnTop1")->isChecked());
  Action(clock, "OnTop1")->trigger();
  EXPECT_TRUE(Action(clock, "OnTop1")->isChecked());
  EXPECT_TRUE(Action(clock, "mnuKeepOnTop")->isChecked());
  EXPECT_TRUE(clock.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(clock.isVisible());
  Action(clock, "mnuKeepOnTop")->trigger();
  EXPECT_FALSE(Action(clock, "OnTop1")->isChecked());
  EXPECT_FALSE(Action(clock, "mnuKeepOnTop")->isChecked());
  EXPECT_FALSE(clock.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(ClockWindowsTest, ResizingKeepsTheWheelSquare) {
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  for (const QSize size : {QSize(700, 420), QSize(300, 640)}) {
    clock.resize(size);
    QCoreApplication::processEvents();
    EXPECT_EQ(Wheel(clock).width(), Wheel(clock).height()) << size.width();
    EXPECT_EQ(clock.height(), size.height()) << "the height is the user's";
    EXPECT_EQ(Wheel(clock).picture().width(), Wheel(clock).height());
  }
}

TEST_F(ClockWindowsTest, AHugeStoredSizeIsHeldToTheScreen) {
  settings("[Show]\nHeight=16384\nWidth=16384\n");  // a 1 GB wheel picture, were it taken
  auto windows = run();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(windows->clock->height(), screen.height());
  EXPECT_LE(Wheel(*windows->clock).picture().height(), screen.height());
}

TEST_F(ClockWindowsTest, ExitSavesTheThreeWindowsAndANewStartRestoresThem) {
  {
    auto windows = run();
    windows->clock->move(40, 30);
    windows->clock->resize(420, 460);
    windows->natal->move(700, 50);
    windows->natal->resize(230, 300);
    windows->transits->move(710, 420);
    windows->transits->resize(300, 250);
    QCoreApplication::processEvents();
    // Exit ends the event loop even though the clock refuses to close (it hides instead).
    EXPECT_EQ(ExitFromMenu(*windows->clock), 0);
  }
  const std::string saved = config.Contents();
  EXPECT_NE(saved.find("[Show]\nTop=30\nLeft=40\nHeight=460\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("[ATN]\nTop=50\nLeft=700\nHeight=300\nWidth=230\n"), std::string::npos)
      << saved;
  EXPECT_NE(saved.find("[ATT]\nTop=420\nLeft=710\nHeight=250\nWidth=300\n"), std::string::npos)
      << saved;
  auto again = start();
  EXPECT_EQ(again->clock->pos(), QPoint(40, 30));
  EXPECT_EQ(again->clock->height(), 460);
  EXPECT_EQ(again->natal->savedGeometry(), (WindowGeometry{50, 700, 300, 230}));
  EXPECT_EQ(again->transits->savedGeometry(), (WindowGeometry{420, 710, 250, 300}));
}

TEST_F(ClockWindowsTest, AnExitThatCannotWriteSaysSoOnceAndTheClockRunsOn) {
  settings(kGreenwichObservatory);
  auto windows = run();
  const int before = report->shownCount();
  {
    const FileSizeLimit refuseWrites(1);
    Action(*windows->clock, "mnuExit")->trigger();
  }
  ASSERT_TRUE(report->boxOpen());
  EXPECT_EQ(report->box()->text(),
            QStringLiteral("Unable to write to ") + QString::fromStdString(config.IniPath()));
  EXPECT_EQ(report->shownCount() - before, 1);
  EXPECT_EQ(report->box()->windowTitle(), QStringLiteral("Heliodial 3.2"));
  report->box()->close();
  QCoreApplication::processEvents();
  tick(*windows);
  EXPECT_EQ(windows->clock->windowTitle(), QStringLiteral("Heliodial 12:01")) << "still running";

  // Asked again, Exit ends the program rather than leave the user no way out.
  const FileSizeLimit refuseWrites(1);
  EXPECT_EQ(ExitFromMenu(*windows->clock), 0);
}

TEST_F(ClockWindowsTest, APolarPlacidusChartIsReportedOnceNotEveryMinute) {
  settings("[Place]\nLatD=70\nNS=1\nEW=1\nManualZone=1\n[Setting]\nHouses=0\n");
  const int before = report->shownCount();
  auto windows = run();
  for (int minute = 0; minute < 10; ++minute) {
    tick(*windows);
    if (minute == 4 && report->boxOpen()) report->box()->close();  // the user reads and closes it
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(report->shownCount() - before, 1);
  if (report->boxOpen()) report->box()->close();
  QCoreApplication::processEvents();
}

TEST_F(ClockWindowsTest, WhileNoChartCanBeComputedTheWindowsSaySoUntilOneCan) {
  settings(std::string(kGreenwichObservatory) + "[Setting]\nHouses=0\n");
  auto windows = run();
  const QString live = windows->positions->grdPos->item(1, 1)->text();
  windows->core->state().settings.LatDeg = 70;  // a place Placidus cannot draw
  tick(*windows);
  EXPECT_TRUE(windows->clock->windowTitle().startsWith(QStringLiteral("No chart: ")))
      << windows->clock->windowTitle().toStdString();
  EXPECT_TRUE(Wheel(*windows->clock).accessibleDescription().contains(QStringLiteral("Placidus")));
  EXPECT_EQ(windows->positions->grdPos->item(1, 1)->text(), QStringLiteral("-"));
  for (const TfrmAspectList* list : {static_cast<TfrmAspectList*>(windows->transits.get()),
                                     static_cast<TfrmAspectList*>(windows->natal.get())}) {
    ASSERT_EQ(Lines(list).size(), 1);
    EXPECT_TRUE(Lines(list)[0].startsWith(QStringLiteral("No chart: ")))
        << Lines(list)[0].toStdString();
  }
  windows->core->state().settings.LatDeg = 51;
  tick(*windows);
  EXPECT_EQ(windows->clock->windowTitle(), QStringLiteral("Heliodial 12:02")) << "restored";
  EXPECT_EQ(windows->positions->grdPos->item(1, 1)->text(), live);
  if (report->boxOpen()) report->box()->close();
  QCoreApplication::processEvents();
}

TEST_F(ClockWindowsTest, WithoutSettingsTheFirstStartSaysForWhichPlaceTheChartIs) {
  auto windows = run();
  QCoreApplication::processEvents();
  ASSERT_TRUE(report->boxOpen());
  EXPECT_EQ(report->box()->icon(), QMessageBox::Information);
  EXPECT_TRUE(report->box()->text().startsWith(
      QStringLiteral("No place is set yet, so the chart is for latitude 0")))
      << report->box()->text().toStdString();
  EXPECT_TRUE(report->box()->text().contains(QStringLiteral("Settings...")));
  // No natal chart either: the list says so instead of twelve phantom conjunctions.
  EXPECT_EQ(Lines(windows->natal.get()),
            QStringList{"No natal chart is set: enter one on the Natal page of Settings..."});
}

TEST_F(ClockWindowsTest, AMessageThatComesWhileABoxIsOpenFollowsItInsteadOfStacking) {
  report->inform(QStringLiteral("first"));
  report->show(QStringLiteral("second"));
  report->show(QStringLiteral("third"));
  EXPECT_EQ(report->box()->text(), QStringLiteral("first"));
  report->box()->close();
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  ASSERT_TRUE(report->boxOpen());
  EXPECT_EQ(report->box()->text(), QStringLiteral("third")) << "the newest waiting message";
  report->box()->close();
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_FALSE(report->boxOpen());
  EXPECT_EQ(report->shownCount(), 2);
}

TEST_F(ClockWindowsTest, TheGlyphTextToggleRelistsBothWindowsWithoutRedrawing) {
  settings(std::string(kGreenwichObservatory) + "[Natal]\nPlanet1=280.5\n");
  auto windows = run();
  ASSERT_FALSE(windows->natal->isVisible());
  const QString glyphs = windows->transits->memoAspects->toPlainText();
  const QImage wheel = Wheel(*windows->clock).picture();
  EXPECT_TRUE(glyphs.contains(QChar(0x2609))) << "glyphs first";
  windows->transits->ToolbarButton972->click();
  EXPECT_TRUE(windows->core->state().settings.TextMode);
  EXPECT_TRUE(Lines(windows->transits.get()).first().startsWith(QStringLiteral("Sun ")));
  EXPECT_TRUE(Lines(windows->natal.get()).first().startsWith(QStringLiteral("Sun ")))
      << "the hidden window is listed too";
  EXPECT_EQ(Wheel(*windows->clock).picture(), wheel);
  windows->natal->ToolbarButton972->click();
  EXPECT_EQ(windows->transits->memoAspects->toPlainText(), glyphs);
}

// One line a pass, never cleared, stamped with the minute (the core's AspectListFor, through the
// window).
TEST_F(ClockWindowsTest, LogModeAddsOneLinePerMinuteThatHasAspects) {
  QLocale::setDefault(QLocale::c());
  settings(std::string(kGreenwichObservatory) + "[Setting]\nLogTT=1\n[Show]\nText=1\n");
  auto windows = run();
  for (int minute = 1; minute <= 3; ++minute) tick(*windows);
  const QStringList lines = Lines(windows->transits.get());
  ASSERT_EQ(lines.size(), 4) << lines.join('\n').toStdString();
  const QString date = QLocale::c().toString(now.date(), QLocale::ShortFormat);
  EXPECT_TRUE(lines[0].startsWith(date + QStringLiteral("::12:00: Sun trine Saturn :")));
  EXPECT_TRUE(lines[3].startsWith(date + QStringLiteral("::12:03: ")));
}

}  // namespace
