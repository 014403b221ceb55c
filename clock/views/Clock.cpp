// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimeZone>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "ClockMenus.h"
#include "ClockTray.h"
#include "ErrorReport.h"
#include "HelpWindow.h"
#include "Options.h"
#include "Registration.h"
#include "ScanRep.h"
#include "TrayIcons.h"
#include "WheelWidget.h"
#include "WindowPlacement.h"
#include "atlas/Atlas.h"
#include "chart/MoonExport.h"
#include "chart/MoonTimetable.h"
#include "core/MinuteTimer.h"
#include "settings/SettingsWriters.h"
#include "tscan.h"
#include "wheel/DrawWheel.h"
#include "wheel/QtSurface.h"
#include "wheel/WheelLayout.h"

namespace {

// One of the clock's other windows, brought to the front.
void ShowWindow(QWidget* window) {
  if (window == nullptr) return;
  window->show();
  window->raise();
}

}  // namespace

TfrmClock::TfrmClock(ClockCore& core) : core_(core) {
  setObjectName(QStringLiteral("TfrmClock"));
  setWindowTitle(QStringLiteral("Heliodial"));
  setAccessibleName(QStringLiteral("Heliodial clock"));
  setWindowIcon(ApplicationIcon());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);

  // The wheel fills the client area; the Moon's line, when shown, takes a row under it, so the
  // wheel's picture is drawn exactly as without it.
  auto* client = new QWidget(this);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  picWheel = new TWheelImage(client);
  column->addWidget(picWheel, 1);
  lblMoon = new QLabel(client);
  lblMoon->setObjectName(QStringLiteral("lblMoon"));
  lblMoon->setAccessibleName(QStringLiteral("The Moon"));
  lblMoon->setAlignment(Qt::AlignCenter);
  // One line that never widens the window: the square wheel decides its width.
  lblMoon->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  lblMoon->hide();
  column->addWidget(lblMoon);
  setCentralWidget(client);
  createMenus();
  OpenOnContextRequest(*picWheel, *PopupMenu1);
  tray_ = new ClockTray(PopupMenu1, core_.environment().trayAvailable, this);
  connect(tray_, &ClockTray::clicked, this, [this] { RunReported([this] { TrayIcon1Click(); }); });
  connect(tray_, &ClockTray::availabilityChanged, this, &TfrmClock::followTray);
  followTray();
  connect(&core_, &ClockCore::minuteBegan, this, &TfrmClock::followTray);
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { WMQueryEndSession(); });
  FormCreate();
}

TfrmClock::~TfrmClock() = default;

void TfrmClock::FormCreate() {
  SessionEnding = false;
  // The glyph size is first taken at the screen's width; the window is not shown yet.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize screenSize = screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
  resize(screenSize);
  const QStringList notices = core_.FormCreate(screenSize.width());
  if (core_.placeNotSet() && core_.environment().askForPlace) {
    // A first start: where the clock is matters more than anything else it could say. Asked once
    // the clock is on the screen; the notices are said if the user cancels.
    QTimer::singleShot(0, this, [this, notices] {
      bool saved = false;
      RunReported([this, &saved] { saved = openSettings(true); });
      if (saved) return;
      if (ErrorReport* report = ErrorReport::instance()) {
        report->inform(notices.join(QStringLiteral("\n\n")));
      }
    });
  } else if (!notices.isEmpty()) {
    // Said once, when the event loop runs and the clock is on the screen.
    const QString text = notices.join(QStringLiteral("\n\n"));
    QTimer::singleShot(0, this, [text] {
      if (ErrorReport* report = ErrorReport::instance()) report->inform(text);
    });
  }
  // As stored, unless that would leave the window out of reach or larger than the screen; the
  // frame's width is known once the window is shown (placeFrame).
  const WindowGeometry& g = core_.state().settings.ClockGeometry;
  savedFramePosition_ = QPoint(g.Left, g.Top);
  const QRect place = PlaceOnScreens(QRect(g.Left, g.Top, g.Width, g.Height), AvailableScreens());
  move(place.topLeft());
  resize(place.size());
  helpFile_ = QCoreApplication::applicationDirPath() + QStringLiteral("/HELIODIAL.HLP");
}

void TfrmClock::attachWindows(ClockMenuTargets targets) { targets_ = std::move(targets); }

void TfrmClock::createMenus() {
  PopupMenu1 = new QMenu(this);
  const ClockMenuActions actions = BuildClockMenus(*this, *menuBar(), *PopupMenu1);
  mnuOnTop = actions.onTop;
  mnuKeepOnTop = actions.keepOnTop;
}

bool TfrmClock::trayShown() const { return tray_ != nullptr && tray_->shown(); }

void TfrmClock::startHidden() {
  if (trayShown()) return;
  hiddenStart_ = true;
  showMinimized();
}

void TfrmClock::followTray() {
  if (!tray_->follow()) return;
  const bool available = tray_->shown();
  if (hiddenStart_) {
    hiddenStart_ = false;
    if (available && isMinimized()) {
      setWindowFlag(Qt::Tool, true);
      return;  // the window goes to the notification area as the session asked
    }
  }
  // With an icon in the notification area the clock needs no task-bar button of its own; without
  // one it keeps the button, so that a minimised clock can be found again.
  const bool visible = isVisible();
  setWindowFlag(Qt::Tool, available);
  if (visible) show();
  if (!available && !isVisible() && shownOnce_) showMinimized();  // never out of reach
}

void TfrmClock::showTrayIcon(const Chart& chart) {
  tray_->SetTrayIcon(chart.IconNumber);
  showMoon(chart);
}

void TfrmClock::showMoon(const Chart& chart) {
  const Settings& s = core_.state().settings;
  const bool inTray = s.VOCRule != 0 || s.MoonLine;
  QStringList lines;
  if (chart.Moon) {
    const MoonStatus status =
        MoonStatusOf(*chart.Moon, chart.MomentUtc, VoidRuleFromNumber(s.VOCRule),
                     static_cast<int>(std::lround(s.ZoneOffset * 3600.0)));
    lines = {status.position, status.voidLine};
  }
  const bool shown = inTray && !lines.isEmpty();
  tray_->SetToolTip(shown ? QStringLiteral("Heliodial\n") + lines.join(QLatin1Char('\n'))
                          : QStringLiteral("Heliodial"));
  SetMoonLines(*PopupMenu1, shown ? lines : QStringList());
  moonLine_ = s.MoonLine ? lines.join(QStringLiteral("; ")) : QString();
  // Two rows under the wheel, so that neither is cut off at the wheel's width.
  lblMoon->setText(s.MoonLine ? lines.join(QLatin1Char('\n')) : QString());
  const bool labelShown = !moonLine_.isEmpty();
  if (lblMoon->isVisibleTo(this) != labelShown) {
    lblMoon->setVisible(labelShown);
    // The wheel's side changes with the row under it: the glyph size and the square follow.
    centralWidget()->layout()->activate();
    if (isVisible()) FormResize();
  }
}

void TfrmClock::showChart(const Chart&, ChartUpdate update) {
  if (update == ChartUpdate::Moment) DrawWheel();
}

void TfrmClock::DrawWheel() {
  const ClockState& state = core_.state();
  const int side = qMax(1, qMin(picWheel->width(), picWheel->height()));
  const qreal ratio = picWheel->devicePixelRatioF();
  QImage image(qRound(side * ratio), qRound(side * ratio), QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);
  {
    QtSurface surface(image);
    const QString caption = ::DrawWheel(surface, state.settings, ViewForWheel(state.chart), side,
                                        core_.environment().now().time());
    setWindowTitle(caption);
  }
  picWheel->setPicture(image);
  QString description = WheelDescription(state.settings, state.chart);
  if (!moonLine_.isEmpty()) description += QLatin1Char(' ') + moonLine_ + QLatin1Char('.');
  picWheel->setAccessibleDescription(description + QLatin1Char(' ') + ZoneWords(state.settings) +
                                     QLatin1Char('.'));
}

QString TfrmClock::ZoneWords(const Settings& s) const {
  // The offset the chart was computed with, and where it comes from.
  const int minutes = static_cast<int>(std::lround(s.ZoneOffset * 60));
  QString text = QStringLiteral("Time zone UT%1%2:%3")
                     .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                     .arg(std::abs(minutes) / 60)
                     .arg(std::abs(minutes) % 60, 2, 10, QLatin1Char('0'));
  const QString name = ZoneInUseName(s);
  if (!name.isEmpty()) text += QLatin1Char(' ') + name;
  if (DaylightAt(s, core_.environment().now().toUTC())) text += QStringLiteral(", daylight saving");
  return text;
}

void TfrmClock::showNoChart(const QString& reason) {
  setWindowTitle(QStringLiteral("No chart: ") + reason.section(QLatin1Char('\n'), 0, 0));
  picWheel->showText(QStringLiteral("No chart: ") + reason);
}

void TfrmClock::FormShow() { core_.ComputeNow(); }

void TfrmClock::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  shownOnce_ = true;
  RunReported([this] { FormShow(); });
  // The window manager frames the window after it is mapped; its frame's width is known then.
  if (!placed_) QTimer::singleShot(100, this, [this] { placeFrame(); });
}

void TfrmClock::placeFrame() {
  if (placed_ || !isVisible()) return;
  placed_ = true;
  PlaceFrame(*this, savedFramePosition_);
}

void TfrmClock::FormResize() {
  Settings& s = core_.state().settings;
  const int image = picWheel->height();
  s.GlyphSize = GlyphSizeFor(s.Size, image);
  // The wheel is square: the window's width follows its client height.
  const int frame = width() - picWheel->width();
  if (picWheel->width() != image) resize(image + frame, height());
  if (core_.state().chart.Date.isValid()) DrawWheel();  // nothing to draw before the first chart
}

void TfrmClock::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  RunReported([this] { FormResize(); });
}

void TfrmClock::closeEvent(QCloseEvent* event) {
  if (SessionEnding) {
    event->accept();
    return;
  }
  event->ignore();
  if (trayShown()) {
    hide();
  } else {
    showMinimized();  // no notification area to come back from: stay in the task bar
  }
}

void TfrmClock::WMQueryEndSession() { SessionEnding = true; }

void TfrmClock::TrayIcon1Click() { mnuShowClick(); }

void TfrmClock::mnuShowClick() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void TfrmClock::About1Click() {
  if (targets_.help) targets_.help->showContents();
}

void TfrmClock::OnTop1Click() { setOnTop(!windowFlags().testFlag(Qt::WindowStaysOnTopHint)); }

void TfrmClock::setOnTop(bool onTop) {
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  if (visible) show();  // changing the flags hides a shown window
  mnuOnTop->setChecked(onTop);
  mnuKeepOnTop->setChecked(onTop);
}

void TfrmClock::Positions1Click() { ShowWindow(targets_.positions); }

void TfrmClock::ShowTransits1Click() { ShowWindow(targets_.natal); }

void TfrmClock::ShowTransitingAspects1Click() { ShowWindow(targets_.transits); }

void TfrmClock::Hideclock1Click() { close(); }

void TfrmClock::mnuExitClick() {
  const Settings& s = core_.state().settings;
  IniFile file;
  try {
    const QPoint place = PlaceToSave(*this, savedFramePosition_);
    SaveGeometry(file, {place.y(), place.x(), height(), width()},
                 targets_.natalGeometry ? targets_.natalGeometry() : s.ATNGeometry,
                 targets_.transitGeometry ? targets_.transitGeometry() : s.ATTGeometry);
  } catch (const IniWriteError&) {
    // Said once, and the clock stays; asked again, the user wants out more than the places kept.
    if (!exitSaveFailed_) {
      exitSaveFailed_ = true;
      throw;
    }
  }
  // Not quit(): that first asks the windows to close, and without a notification area the clock
  // window answers a close by minimising, which cancels the quit.
  QCoreApplication::exit(0);
}

void TfrmClock::About2Click() { ShowWindow(targets_.about); }

void TfrmClock::InfoClick() { ShowWindow(targets_.info); }

TfrmOptions* TfrmClock::optionsDialog() const { return options_; }

TfrmScanReport* TfrmClock::scanReport() const { return scanReport_; }

void TfrmClock::Options1Click() { openSettings(false); }

bool TfrmClock::openSettings(bool askForPlace) {
  // The notification area's menu reaches this while the dialog is open: show that one.
  if (options_) {
    options_->raise();
    options_->activateWindow();
    return false;
  }
  const IniDocument contents = IniFile().Read();
  const auto showHelp = [this](int topic) {
    if (targets_.help) targets_.help->showTopic(topic);
  };
  // Owned here; freed however this ends, a failed save included.
  auto dialog = std::make_unique<TfrmOptions>(core_.state(), showHelp, this);
  options_ = dialog.get();
  dialog->fill(ReadOptionsValues(contents, core_.state().settings));
  if (askForPlace) {
    dialog->askForPlace(ZoneMainCity(QString::fromUtf8(QTimeZone::systemTimeZoneId())));
  }
  const bool startedWithSession = AutostartEnabled();
  dialog->setStartWithSession(startedWithSession);
  // Modal to the clock only, so that the help window it opens can be read and scrolled.
  dialog->setWindowModality(Qt::WindowModal);
  if (dialog->exec() != QDialog::Accepted) return false;
  const OptionsValues values = dialog->values();
  const bool startWithSession = dialog->startWithSession();
  dialog.reset();
  // From here to the drawing nothing lets events run, so no minute tick can come in between.
  core_.ApplySettings(values, picWheel->height());
  // After the settings, so that an entry that cannot be written costs only itself; its error goes
  // to the report like any other.
  if (startWithSession != startedWithSession) {
    RunReported([startWithSession] {
      if (startWithSession) {
        WriteAutostartEntry(ProgramPath());
      } else {
        RemoveAutostartEntry();
      }
    });
  }
  return true;
}

void TfrmClock::ScanTransitingAspects1Click() {
  if (scanDialog_) {
    scanDialog_->raise();
    scanDialog_->activateWindow();
    return;
  }
  if (scanReport_ && scanReport_->running()) {
    // One scan at a time: the running one is brought forward and the user told why.
    scanReport_->raise();
    scanReport_->activateWindow();
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Aspect Scan"),
                                QStringLiteral("A scan is running. Wait for it to finish, or "
                                               "close its report to stop it."),
                                QMessageBox::Ok, scanReport_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return;
  }
  TfrmScan dialog(core_.environment().now().date().addDays(1), core_.state().settings.TransitOrb,
                  this);
  scanDialog_ = &dialog;
  connect(&dialog, &TfrmScan::helpRequested, this, [this](int topic) {
    if (targets_.help) targets_.help->showTopic(topic);
  });
  if (dialog.exec() != QDialog::Accepted) return;
  ScanSession* scan = core_.StartScan(dialog.chosenDay(), dialog.chosenOrb(), dialog.includeMoon());
  if (scan == nullptr) return;
  auto* report = new TfrmScanReport(*scan);
  scanReport_ = report;
  report->show();
  report->start();
}
