// The clock window: the wheel of the present minute, the minute timer, the notification-area
// icon, both menus, and the handlers that tie the other windows to the chart. It owns the
// clock's state and is the publisher of every live computation.
#ifndef HELIODIAL_CLOCK_H
#define HELIODIAL_CLOCK_H

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "About.h"
#include "TrToNatal.h"
#include "Transit.h"
#include "chart/ChartPublisher.h"
#include "chart/ClockState.h"
#include "chart/ComputeChart.h"
#include "position.h"

class MinuteTimer;
class TfrmOptions;
class QAction;
class QMenu;
class TfrmScan;
class TfrmScanReport;

// The wheel image: fills the clock's client area and shows the last drawing.
class TWheelImage : public QWidget {
  Q_OBJECT
 public:
  explicit TWheelImage(QWidget* parent);
  void setPicture(const QImage& picture);
  const QImage& picture() const { return picture_; }

 signals:
  // A drawn wheel reached the screen.
  void wheelPainted();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

// What the clock takes from the machine; tests pass their own.
struct ClockEnvironment {
  TimeSource now = systemLocalTime;
  // Whether a notification area is there to hold the icon; asked at start and at every tick.
  std::function<bool()> trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  // The system zone's standard bias in minutes, watched for a change of the system's time zone.
  std::function<int()> standardBias;
  // Follow the machine: suspend and resume, the zone file. Off in tests.
  bool watchSystem = true;
};

class TfrmClock : public QMainWindow, public ChartPublisher {
  Q_OBJECT
 public:
  explicit TfrmClock(ClockEnvironment environment = {});
  ~TfrmClock() override;

  // The windows created after this one, which the live computation publishes to.
  void attachWindows(TfrmPositions* positions, TfrmAbout* about, TfrmInfo* info,
                     TfrmAspectTT* transits, TfrmAspectTN* natal, HelpWindow* help);

  ClockState& state() { return state_; }
  const ClockState& state() const { return state_; }
  ChartComputer& computer() { return *computer_; }

  // Publishing of a live computation.
  void showTrayIcon(int iconNumber) override;
  void showPositions(const PositionRows& rows) override;
  void clearAspects(AspectList list) override;
  void setAspectFont(AspectList list, bool textMode) override;
  void addAspectLine(AspectList list, const QString& line) override;

  // The live path: compute the chart of the moment, publish it, draw it. A computation already
  // running (the guard) puts the request off until it has finished.
  void ComputeAndDraw();
  // Draws the wheel of the last computation at the image's size and sets the caption.
  void DrawWheel();

  // Event handlers, by the names the program has always used.
  void FormShow();
  void Timer1Timer();
  void TrayIcon1Click();
  void About1Click();
  void OnTop1Click();
  void mnuShowClick();
  void Positions1Click();
  void ShowTransits1Click();
  void ShowTransitingAspects1Click();
  void ScanTransitingAspects1Click();
  void Options1Click();
  void Hideclock1Click();
  void mnuExitClick();
  void About2Click();
  void InfoClick();
  // Words instead of glyphs in both lists, or back; the wheel is not redrawn.
  void ToolbarButton972Click();

  // The session is ending: the window really closes, without saving anything.
  void WMQueryEndSession();
  bool sessionEnding() const { return SessionEnding; }
  // Whether the icon is in the notification area (else closing minimises).
  bool trayShown() const;

  TWheelImage* picWheel = nullptr;
  MinuteTimer* Timer1 = nullptr;
  QSystemTrayIcon* TrayIcon1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  // Menu items, for the handlers that keep two of them in step and for tests.
  QAction* mnuOnTop = nullptr;      // "On Top" in the context menu
  QAction* mnuKeepOnTop = nullptr;  // "Keep on top" in the Show menu
  QAction* mnuExit = nullptr;       // "Exit" in the context menu

  TfrmPositions* positions() const { return positions_; }
  TfrmAspectTT* transitWindow() const { return transits_; }
  TfrmAspectTN* natalWindow() const { return natal_; }
  HelpWindow* helpWindow() const { return help_; }
  TfrmAbout* aboutWindow() const { return about_; }
  TfrmInfo* infoWindow() const { return info_; }
  const QString& HelpFile() const { return helpFile_; }
  // The settings dialog while it is open, else null.
  TfrmOptions* optionsDialog() const;
  // The report of the last scan started, while its window is open.
  TfrmScanReport* scanReport() const;

 signals:
  // After every live computation that succeeded, with the chart in the state.
  void chartComputed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private slots:
  void onPrepareForSleep(bool goingToSleep);

 private:
  void FormCreate();
  void FormResize();
  void createMenus();
  void createTrayIcon();
  void watchSystem();
  void followTray();
  void SetTrayIcon(int n);
  void setOnTop(bool onTop);
  void checkZone();
  TfrmAspectList* listWindow(AspectList list) const;

  ClockEnvironment env_;
  ClockState state_;
  std::unique_ptr<ChartComputer> computer_;
  bool SessionEnding = false;
  bool pendingTick_ = false;
  bool shownOnce_ = false;
  int zoneBias_ = 0;
  QString helpFile_;
  QPointer<TfrmPositions> positions_;
  QPointer<TfrmAbout> about_;
  QPointer<TfrmInfo> info_;
  QPointer<TfrmAspectTT> transits_;
  QPointer<TfrmAspectTN> natal_;
  QPointer<HelpWindow> help_;
  QPointer<TfrmOptions> options_;
  // One scan at a time: its dialog while open, then its report.
  QPointer<TfrmScan> scanDialog_;
  QPointer<TfrmScanReport> scanReport_;
};

// The windows of a running clock, created in the program's fixed order: clock, positions, about,
// information, transit-to-transit, transit-to-natal. They live until the program ends.
struct ClockWindows {
  explicit ClockWindows(ClockEnvironment environment = {});
  ~ClockWindows();
  ClockWindows(const ClockWindows&) = delete;
  ClockWindows& operator=(const ClockWindows&) = delete;

  bool resources;
  std::unique_ptr<TfrmClock> clock;
  std::unique_ptr<TfrmPositions> positions;
  std::unique_ptr<TfrmAbout> about;
  std::unique_ptr<TfrmInfo> info;
  std::unique_ptr<TfrmAspectTT> transits;
  std::unique_ptr<TfrmAspectTN> natal;
  std::unique_ptr<HelpWindow> help;
};

#endif
