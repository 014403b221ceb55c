#include "Clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <filesystem>

#include "About.h"
#include "ErrorReport.h"
#include "MinuteTimer.h"
#include "TrToNatal.h"
#include "Transit.h"
#include "TrayIcons.h"
#include "position.h"
#include "settings/SettingsWriters.h"
#include "wheel/DrawWheel.h"
#include "wheel/QtSurface.h"
#include "wheel/WheelLayout.h"

namespace {

constexpr int kVoidIconNumber = 13;

// The files whose change means the system's time zone changed.
const char* const kZoneFiles[] = {"/etc/localtime", "/etc/timezone"};

// One of the clock's other windows, brought to the front.
void ShowWindow(QWidget* window) {
  if (window == nullptr) return;
  window->show();
  window->raise();
}

// With no settings file the chart is for 0 north, 0 east and the computer's zone; say so, and
// where to set the place.
std::string PlaceNotSetNotice(const IniFile& file) {
  return "No place is set yet, so the chart is for latitude 0\u00B0, longitude 0\u00B0 and this "
         "computer's time zone. Choose Settings... in the clock's menu to set your place and "
         "zone; they are kept in " +
         file.Path().string() + ".";
}

}  // namespace

TWheelImage::TWheelImage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picWheel"));
  setAccessibleName(QStringLiteral("Horoscope wheel"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(64, 64);
}

void TWheelImage::setPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void TWheelImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (picture_.isNull()) return;
  painter.drawImage(QPoint(0, 0), picture_);
  emit wheelPainted();
}

TfrmClock::TfrmClock(ClockEnvironment environment) : env_(std::move(environment)) {
  if (!env_.standardBias) env_.standardBias = &SystemStandardBiasMinutes;
  setObjectName(QStringLiteral("TfrmClock"));
  setWindowTitle(QStringLiteral("Heliodial"));
  setAccessibleName(QStringLiteral("Heliodial clock"));
  setWindowIcon(ApplicationIcon());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);

  picWheel = new TWheelImage(this);
  setCentralWidget(picWheel);
  Timer1 = new MinuteTimer(this);
  connect(Timer1, &MinuteTimer::timeout, this, [this] { RunReported([this] { Timer1Timer(); }); });

  createMenus();
  picWheel->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(picWheel, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(picWheel->mapToGlobal(at)); });
  createTrayIcon();
  computer_ = std::make_unique<ChartComputer>(state_, this, env_.now);
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { WMQueryEndSession(); });

  FormCreate();
  if (env_.watchSystem) watchSystem();
  Timer1->start();
}

TfrmClock::~TfrmClock() = default;

void TfrmClock::FormCreate() {
  SessionEnding = false;
  // The glyph size is first taken at the screen's width; the window is not shown yet.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize screenSize = screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
  resize(screenSize);
  state_.theory = InitialTheoryTable();
  const QDateTime now = env_.now();
  state_.StartTime = now.time();
  state_.StartDate = now.date();
  state_.LiveClock = true;
  zoneBias_ = env_.standardBias();
  const IniFile file;
  SettingsNotices notices;
  try {
    LoadSettings(file, state_.settings, screenSize.width(), zoneBias_, &notices);
    if (!std::filesystem::exists(file.Path())) notices.push_back(PlaceNotSetNotice(file));
  } catch (const std::exception& e) {
    // The defaults serve until the file can be read.
    notices.push_back(e.what());
  }
  if (!notices.empty()) {
    // Said once, when the event loop runs and the clock is on the screen.
    QStringList lines;
    for (const std::string& notice : notices) lines << QString::fromStdString(notice);
    const QString text = lines.join(QStringLiteral("\n\n"));
    QTimer::singleShot(0, this, [text] {
      if (ErrorReport* report = ErrorReport::instance()) report->inform(text);
    });
  }
  const WindowGeometry& g = state_.settings.ClockGeometry;
  move(g.Left, g.Top);  // as stored, even off screen: the user put it there
  resize(g.Width, g.Height);
  helpFile_ = QCoreApplication::applicationDirPath() + QStringLiteral("/HELIODIAL.HLP");
}

void TfrmClock::attachWindows(TfrmPositions* positions, TfrmAbout* about, TfrmInfo* info,
                              TfrmAspectTT* transits, TfrmAspectTN* natal, HelpWindow* help) {
  positions_ = positions;
  about_ = about;
  info_ = info;
  transits_ = transits;
  natal_ = natal;
  help_ = help;
  for (TfrmAspectList* list :
       {static_cast<TfrmAspectList*>(transits), static_cast<TfrmAspectList*>(natal)}) {
    connect(list, &TfrmAspectList::toggleTextRequested, this,
            [this] { RunReported([this] { ToolbarButton972Click(); }); });
  }
}

void TfrmClock::createMenus() {
  struct Item {
    const char* name;
    const char* caption;
    void (TfrmClock::*handler)();
  };
  const auto add = [this](QMenu* menu, const Item& item) {
    QAction* action = menu->addAction(QString::fromLatin1(item.caption));
    action->setObjectName(QString::fromLatin1(item.name));
    const auto handler = item.handler;
    connect(action, &QAction::triggered, this,
            [this, handler] { RunReported([this, handler] { (this->*handler)(); }); });
    return action;
  };

  menuBar()->setAccessibleName(QStringLiteral("Clock menu bar"));
  QMenu* show = menuBar()->addMenu(QStringLiteral("Show"));
  show->setObjectName(QStringLiteral("Show1"));
  show->setAccessibleName(QStringLiteral("Show"));
  add(show, {"Positions1", "Positions", &TfrmClock::Positions1Click});
  add(show, {"ShowTransits1", "Transits to Natal", &TfrmClock::ShowTransits1Click});
  add(show,
      {"ShowTransitingAspects1", "Transits to Transits", &TfrmClock::ShowTransitingAspects1Click});
  show->addSeparator();
  mnuKeepOnTop = add(show, {"mnuKeepOnTop", "Keep on top", &TfrmClock::OnTop1Click});
  add(show, {"Hideclock1", "Hide clock", &TfrmClock::Hideclock1Click});
  add(show, {"mnuExitClock", "Exit clock", &TfrmClock::mnuExitClick});

  QMenu* utilities = menuBar()->addMenu(QStringLiteral("Utilities"));
  utilities->setObjectName(QStringLiteral("Utilities1"));
  utilities->setAccessibleName(QStringLiteral("Utilities"));
  add(utilities, {"ScanTransitstotransits1", "Scan Transits to transits",
                  &TfrmClock::ScanTransitingAspects1Click});
  add(utilities, {"Options2", "Settings...", &TfrmClock::Options1Click});

  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  help->setObjectName(QStringLiteral("Help1"));
  help->setAccessibleName(QStringLiteral("Help"));
  add(help, {"Instructions2", "Instructions for use", &TfrmClock::About1Click});
  add(help, {"MoreAstrology2", "More Astrology calculations", &TfrmClock::InfoClick});
  help->addSeparator();
  add(help, {"About2", "About", &TfrmClock::About2Click});

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  PopupMenu1->setAccessibleName(QStringLiteral("Clock menu"));
  add(PopupMenu1, {"About1", "Instructions for use", &TfrmClock::About1Click});
  PopupMenu1->addSeparator();
  mnuOnTop = add(PopupMenu1, {"OnTop1", "On Top", &TfrmClock::OnTop1Click});
  add(PopupMenu1, {"mnuShow", "Show Clock", &TfrmClock::mnuShowClick});
  add(PopupMenu1, {"ShowPositions1", "Show Positions", &TfrmClock::Positions1Click});
  add(PopupMenu1,
      {"ShowTransitstoNatal1", "Show Transits to Natal", &TfrmClock::ShowTransits1Click});
  add(PopupMenu1, {"ShowTransitingAspects2", "Show Transiting Aspects",
                   &TfrmClock::ShowTransitingAspects1Click});
  add(PopupMenu1, {"ScanTransitingAspects1", "Scan Transiting Aspects",
                   &TfrmClock::ScanTransitingAspects1Click});
  PopupMenu1->addSeparator();
  add(PopupMenu1, {"Options1", "Settings...", &TfrmClock::Options1Click});
  PopupMenu1->addSeparator();
  add(PopupMenu1, {"MoreAstrology1", "More Astrology calculations", &TfrmClock::InfoClick});
  mnuExit = add(PopupMenu1, {"mnuExit", "Exit", &TfrmClock::mnuExitClick});

  for (QAction* onTop : {mnuOnTop, mnuKeepOnTop}) onTop->setCheckable(true);
}

void TfrmClock::createTrayIcon() {
  TrayIcon1 = new QSystemTrayIcon(this);
  TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
  TrayIcon1->setToolTip(QStringLiteral("Heliodial"));
  TrayIcon1->setContextMenu(PopupMenu1);
  TrayIcon1->setIcon(ApplicationIcon());
  connect(TrayIcon1, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
              RunReported([this] { TrayIcon1Click(); });
            }
          });
  followTray();
}

bool TfrmClock::trayShown() const { return TrayIcon1 != nullptr && TrayIcon1->isVisible(); }

void TfrmClock::followTray() {
  const bool available = env_.trayAvailable();
  if (available == trayShown()) return;
  TrayIcon1->setVisible(available);
  // With an icon in the notification area the clock needs no task-bar button of its own; without
  // one it keeps the button, so that a minimised clock can be found again.
  const bool visible = isVisible();
  setWindowFlag(Qt::Tool, available);
  if (visible) show();
  if (!available && !isVisible() && shownOnce_) showMinimized();  // never out of reach
}

void TfrmClock::watchSystem() {
  // Waking from a suspend: the wall-clock timer fires if its minute has passed, and logind says
  // so too where the system bus is there.
  QDBusConnection::systemBus().connect(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
      SLOT(onPrepareForSleep(bool)));
  auto* watcher = new QFileSystemWatcher(this);
  for (const char* file : kZoneFiles) {
    if (QFileInfo::exists(QString::fromLatin1(file))) watcher->addPath(QString::fromLatin1(file));
  }
  connect(watcher, &QFileSystemWatcher::fileChanged, this, [this, watcher](const QString& path) {
    // A file replaced by rename drops out of the watch; watch the new one.
    if (QFileInfo::exists(path) && !watcher->files().contains(path)) watcher->addPath(path);
    RunReported([this] {
      checkZone();
      ComputeAndDraw();
    });
  });
}

void TfrmClock::onPrepareForSleep(bool goingToSleep) {
  if (!goingToSleep) RunReported([this] { ComputeAndDraw(); });
}

void TfrmClock::checkZone() {
  const int bias = env_.standardBias();
  if (bias == zoneBias_) return;
  zoneBias_ = bias;
  state_.settings.ZoneOffset = ZoneOffsetFrom(IniFile().Read(), bias);
}

void TfrmClock::showTrayIcon(int iconNumber) { SetTrayIcon(iconNumber); }

void TfrmClock::SetTrayIcon(int n) {
  const QIcon icon = TrayIconResource(QString::asprintf("ICON_%d", n));
  if (!icon.isNull()) TrayIcon1->setIcon(icon);  // a missing picture is not reported
}

void TfrmClock::showPositions(const PositionRows& rows) {
  if (positions_) positions_->Refresh(rows);
}

TfrmAspectList* TfrmClock::listWindow(AspectList list) const {
  return list == AspectList::TransitToTransit ? static_cast<TfrmAspectList*>(transits_)
                                              : static_cast<TfrmAspectList*>(natal_);
}

void TfrmClock::clearAspects(AspectList list) {
  if (TfrmAspectList* window = listWindow(list)) window->clear();
}

void TfrmClock::setAspectFont(AspectList list, bool textMode) {
  if (TfrmAspectList* window = listWindow(list)) window->setListFont(textMode);
}

void TfrmClock::addAspectLine(AspectList list, const QString& line) {
  if (TfrmAspectList* window = listWindow(list)) window->addLine(line);
}

void TfrmClock::ComputeAndDraw() {
  if (!computer_->ComputeChart(state_.LiveClock, state_.StartTime, state_.StartDate)) {
    // A computation is running: make this one up as soon as it has finished.
    if (!pendingTick_) {
      pendingTick_ = true;
      QTimer::singleShot(0, this, [this] {
        pendingTick_ = false;
        RunReported([this] { ComputeAndDraw(); });
      });
    }
    return;
  }
  if (ErrorReport* report = ErrorReport::instance()) report->clear();
  DrawWheel();
  emit chartComputed();
}

void TfrmClock::DrawWheel() {
  const int side = qMax(1, qMin(picWheel->width(), picWheel->height()));
  const qreal ratio = picWheel->devicePixelRatioF();
  QImage image(qRound(side * ratio), qRound(side * ratio), QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);
  {
    QtSurface surface(image);
    const QString caption =
        ::DrawWheel(surface, state_.settings, ViewForWheel(state_.chart), side, env_.now().time());
    setWindowTitle(caption);
  }
  picWheel->setPicture(image);
  picWheel->setAccessibleDescription(WheelDescription(state_.settings, state_.chart));
}

void TfrmClock::FormShow() { ComputeAndDraw(); }

void TfrmClock::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  shownOnce_ = true;
  RunReported([this] { FormShow(); });
}

void TfrmClock::Timer1Timer() {
  followTray();
  checkZone();
  ComputeAndDraw();
}

void TfrmClock::FormResize() {
  Settings& s = state_.settings;
  const int image = picWheel->height();
  s.GlyphSize = GlyphSizeFor(s.Size, image);
  // The wheel is square: the window's width follows its client height.
  const int frame = width() - picWheel->width();
  if (picWheel->width() != image) resize(image + frame, height());
  if (state_.chart.Date.isValid()) DrawWheel();  // nothing to draw before the first chart
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
  if (help_) help_->showContents();
}

void TfrmClock::OnTop1Click() { setOnTop(!windowFlags().testFlag(Qt::WindowStaysOnTopHint)); }

void TfrmClock::setOnTop(bool onTop) {
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  if (visible) show();  // changing the flags hides a shown window
  mnuOnTop->setChecked(onTop);
  mnuKeepOnTop->setChecked(onTop);
}

void TfrmClock::Positions1Click() { ShowWindow(positions_); }

void TfrmClock::ShowTransits1Click() { ShowWindow(natal_); }

void TfrmClock::ShowTransitingAspects1Click() { ShowWindow(transits_); }

void TfrmClock::Hideclock1Click() { close(); }

void TfrmClock::mnuExitClick() {
  IniFile file;
  SaveGeometry(file, {pos().y(), pos().x(), height(), width()},
               natal_ ? natal_->savedGeometry() : state_.settings.ATNGeometry,
               transits_ ? transits_->savedGeometry() : state_.settings.ATTGeometry);
  // Not quit(): that first asks the windows to close, and without a notification area the clock
  // window answers a close by minimising, which cancels the quit.
  QCoreApplication::exit(0);
}

void TfrmClock::About2Click() { ShowWindow(about_); }

void TfrmClock::InfoClick() { ShowWindow(info_); }

void TfrmClock::ToolbarButton972Click() {
  state_.settings.TextMode = !state_.settings.TextMode;
  if (computer_->ComputeChart(state_.LiveClock, state_.StartTime, state_.StartDate)) {
    emit chartComputed();
  }
}

// The help pages and the icon live in the windows' static library, whose resources the program
// must ask for.
static bool LoadResources() {
  Q_INIT_RESOURCE(help);
  Q_INIT_RESOURCE(icons);
  return true;
}

ClockWindows::ClockWindows(ClockEnvironment environment)
    : resources(LoadResources()),
      clock(std::make_unique<TfrmClock>(std::move(environment))),
      positions(std::make_unique<TfrmPositions>()),
      about(std::make_unique<TfrmAbout>()),
      info(std::make_unique<TfrmInfo>()),
      transits(std::make_unique<TfrmAspectTT>(clock->state().settings)),
      natal(std::make_unique<TfrmAspectTN>(clock->state().settings)),
      help(std::make_unique<HelpWindow>()) {
  clock->attachWindows(positions.get(), about.get(), info.get(), transits.get(), natal.get(),
                       help.get());
}

ClockWindows::~ClockWindows() = default;
