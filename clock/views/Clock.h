// SPDX-License-Identifier: GPL-3.0-or-later
// The clock window: the wheel of the present minute, both menus and the notification-area icon.
// It draws the charts the clock core hands out and turns menu choices into the core's actions
// and the other windows' appearance; it computes nothing itself.
#ifndef HELIODIAL_CLOCK_H
#define HELIODIAL_CLOCK_H

#include <QMainWindow>
#include <QPointer>

#include "core/ClockCore.h"

class ClockTray;
class HelpWindow;
class QAction;
class QMenu;
class TWheelImage;
class TfrmOptions;
class TfrmScan;
class TfrmScanReport;
class QLabel;
class QWidget;

// The windows the clock's menus open.
struct ClockMenuTargets {
  QWidget* positions = nullptr;
  QWidget* about = nullptr;
  QWidget* info = nullptr;
  QWidget* transits = nullptr;
  QWidget* natal = nullptr;
  HelpWindow* help = nullptr;
  // Where Exit finds the current geometry of the two aspect windows.
  std::function<WindowGeometry()> natalGeometry;
  std::function<WindowGeometry()> transitGeometry;
};

class TfrmClock : public QMainWindow {
  Q_OBJECT
 public:
  explicit TfrmClock(ClockCore& core);
  ~TfrmClock() override;

  void attachWindows(ClockMenuTargets targets);

  // A chart from the core: the tray icon at once; the wheel (DrawWheel) unless only the lists'
  // words changed.
  void showTrayIcon(const Chart& chart);
  // The Moon's lines of a chart: in the notification area's tool tip and menu while an aspect
  // rule or the Moon line is chosen, under the wheel while the Moon line is; else the clock
  // shows what it always has.
  void showMoon(const Chart& chart);
  // The start the session makes (--hidden): the window stays hidden with the icon in the
  // notification area, and is minimised while there is none, until a panel comes.
  void startHidden();
  // "Time zone UT+1:00 Europe/London, daylight saving": what the chart's local time means, for
  // the wheel's description.
  QString ZoneWords(const Settings& settings) const;
  void showChart(const Chart& chart, ChartUpdate update);
  // No chart can be computed (reason says why): caption and wheel say so instead of showing the
  // last chart as if it were the chart of the moment. The next chart restores them.
  void showNoChart(const QString& reason);
  // Draws the wheel of the state's chart at the image's size and sets the caption.
  void DrawWheel();

  // Event handlers, by the names the program has always used.
  void FormShow();
  void TrayIcon1Click();
  void About1Click();
  void OnTop1Click();
  void mnuShowClick();
  void Positions1Click();
  void ShowTransits1Click();
  void ShowTransitingAspects1Click();
  void ScanTransitingAspects1Click();
  void Options1Click();
  // The settings dialog; askForPlace opens it on the first start's question. True after OK.
  bool openSettings(bool askForPlace);
  void Hideclock1Click();
  void mnuExitClick();
  void About2Click();
  void InfoClick();

  // The session is ending: the window really closes, without saving anything.
  void WMQueryEndSession();
  bool sessionEnding() const { return SessionEnding; }
  // Whether the icon is in the notification area (else closing minimises).
  bool trayShown() const;

  // The state this window draws (the core's).
  const ClockState& state() const { return core_.state(); }
  const QString& HelpFile() const { return helpFile_; }
  HelpWindow* helpWindow() const { return targets_.help; }
  // The settings dialog while it is open, else null.
  TfrmOptions* optionsDialog() const;
  // The report of the last scan started, while its window is open.
  TfrmScanReport* scanReport() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate();
  void FormResize();
  void createMenus();
  void followTray();
  void setOnTop(bool onTop);
  // The saved place once the window manager has said how wide its frame is.
  void placeFrame();

  ClockCore& core_;
  TWheelImage* picWheel = nullptr;
  QLabel* lblMoon = nullptr;  // the Moon's status under the wheel, hidden unless asked for
  QString moonLine_;          // the same line, for the wheel's description
  QMenu* PopupMenu1 = nullptr;
  ClockTray* tray_ = nullptr;
  QAction* mnuOnTop = nullptr;      // "On Top" in the context menu
  QAction* mnuKeepOnTop = nullptr;  // "Keep on top" in the Show menu
  bool SessionEnding = false;
  bool shownOnce_ = false;
  bool hiddenStart_ = false;  // started hidden and minimised for want of a notification area
  bool placed_ = false;
  // Exit could not save the windows' places: a second Exit ends without saving.
  bool exitSaveFailed_ = false;
  QPoint savedFramePosition_;
  QString helpFile_;
  ClockMenuTargets targets_;
  QPointer<TfrmOptions> options_;
  // One scan at a time: its dialog while open, then its report.
  QPointer<TfrmScan> scanDialog_;
  QPointer<TfrmScanReport> scanReport_;
};

#endif
