// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ClockCore.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <filesystem>

#include "core/MinuteTimer.h"
#include "core/ScanSession.h"

namespace {

// The files whose change means the system's time zone changed.
const char* const kZoneFiles[] = {"/etc/localtime", "/etc/timezone"};

// With no settings file the chart is for 0 north, 0 east and the computer's zone; say so, and
// where to set the place.
std::string PlaceNotSetNotice(const IniFile& file) {
  return "No place is set yet, so the chart is for latitude 0\u00B0, longitude 0\u00B0 and this "
         "computer's time zone. Choose Settings... in the clock's menu to set your place and "
         "zone; they are kept in " +
         file.Path().string() + ".";
}

// Clears the busy flag however the computation ends.
class BusyGuard {
 public:
  explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyGuard() { flag_ = false; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace

ClockCore::ClockCore(ClockEnvironment environment, QObject* parent)
    : QObject(parent), env_(std::move(environment)), timer_(new MinuteTimer(this)) {
  if (!env_.standardBias) {
    env_.standardBias = &SystemStandardBiasMinutes;
    if (!env_.systemZone) env_.systemZone = [] { return QTimeZone::systemTimeZone(); };
  }
  if (!env_.now) env_.now = systemLocalTime;
  timer_->setObjectName(QStringLiteral("Timer1"));
  connect(timer_, &MinuteTimer::timeout, this, &ClockCore::Timer1Timer);
  connect(timer_, &MinuteTimer::clockSet, this, &ClockCore::ClockWasSet);
  if (env_.watchSystem) watchSystem();
}

ClockCore::~ClockCore() = default;

QStringList ClockCore::FormCreate(int glyphWidth) {
  state_.theory = InitialTheoryTable();
  const QDateTime now = env_.now();
  state_.StartTime = now.time();
  state_.StartDate = now.date();
  state_.LiveClock = true;
  const IniFile file;
  SettingsNotices notices;
  try {
    load(file.Read(), glyphWidth, &notices);
    placeNotSet_ = !std::filesystem::exists(file.Path());
    if (placeNotSet_) notices.push_back(PlaceNotSetNotice(file));
  } catch (const std::exception& e) {
    // The defaults serve until the file can be read.
    notices.push_back(e.what());
  }
  QStringList said;
  for (const std::string& notice : notices) said << QString::fromStdString(notice);
  return said;
}

void ClockCore::Timer1Timer() {
  emit minuteBegan();
  checkZone();
  ComputeNow();
}

void ClockCore::ClockWasSet() {
  const bool zoneChanged = checkZone();
  const QDateTime now = env_.now();
  const Chart& shown = state_.chart;
  const bool sameMinute = shown.Date == now.date() && shown.Time.hour() == now.time().hour() &&
                          shown.Time.minute() == now.time().minute();
  if (zoneChanged || !sameMinute) {
    // Those that wait for a time of day first, so that the minute finds them set from it.
    emit timeJumped();
    Timer1Timer();
  }
}

void ClockCore::ComputeNow() { compute(ChartUpdate::Moment); }

void ClockCore::ToggleTextMode() {
  state_.settings.TextMode = !state_.settings.TextMode;
  compute(ChartUpdate::ListsOnly);
}

bool ClockCore::compute(ChartUpdate update) {
  if (busy_) {
    // A computation is running (a window it handed a chart to let events run): make this one up
    // as soon as it has finished.
    if (!pending_) {
      pending_ = true;
      QTimer::singleShot(0, this, [this, update] {
        pending_ = false;
        compute(update);
      });
    }
    return false;
  }
  BusyGuard guard(busy_);
  Settings& s = state_.settings;
  QDateTime now;
  if (state_.LiveClock) {
    // The present instant, at the place's clock; its own offset where the zone keeps rules.
    const QDateTime instant = env_.now();
    s.ZoneOffset = ZoneOffsetAt(s, instant);
    now = PlaceClockTime(s, instant);
  } else {
    now = QDateTime(state_.StartDate, state_.StartTime);
    if (s.ZoneRules) s.ZoneOffset = ZoneOffsetAt(s, QDateTime(now.date(), now.time(), s.Zone));
  }
  try {
    // The chart before lends what of its Moon and exact times still holds, when it came from
    // these same settings.
    const bool sameSettings = chartSettings_ && *chartSettings_ == state_.settings;
    state_.chart = ComputeLiveChart(state_.settings, state_.theory, now, state_.chart.VOCActive,
                                    sameSettings ? &state_.chart : nullptr);
    chartSettings_ = state_.settings;
  } catch (const ChartError& e) {
    emit chartFailed(QString::fromStdString(e.what()), QString::fromStdString(e.key()));
    return false;
  } catch (const std::exception& e) {
    emit chartFailed(QString::fromStdString(e.what()), QString::fromStdString(e.what()));
    return false;
  }
  emit chartComputed(state_.chart, update);
  return true;
}

void ClockCore::ApplySettings(const OptionsValues& values, int wheelSide) {
  IniFile file;
  SaveOptions(file, values, state_.settings);
  state_.LiveClock = true;
  timer_->start();
  load(file.Read(), wheelSide, nullptr);
  emit settingsChanged();
  ComputeNow();
}

ScanSession* ClockCore::StartScan(QDate day, const ScanOrb& orb, bool includeMoon) {
  if (scan_ && scan_->running()) return nullptr;
  // The scan's report takes it over, and frees it with itself.
  scan_ = new ScanSession(state_.settings, state_.theory, day, orb, this, includeMoon);
  return scan_;
}

void ClockCore::watchSystem() {
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
    const bool changed = checkZone();
    ComputeNow();
    if (changed) emit timeJumped();
  });
}

void ClockCore::onPrepareForSleep(bool goingToSleep) {
  if (goingToSleep) return;
  ComputeNow();
  emit timeJumped();
}

void ClockCore::load(const IniDocument& file, int glyphWidth, SettingsNotices* notices) {
  zoneBias_ = env_.standardBias();
  if (env_.systemZone) {
    const QTimeZone zone = env_.systemZone();
    zoneId_ = zone.id();
    LoadSettings(file, state_.settings, glyphWidth, zone, notices);
  } else {
    LoadSettings(file, state_.settings, glyphWidth, zoneBias_, notices);
  }
}

bool ClockCore::checkZone() {
  const int bias = env_.standardBias();
  const QTimeZone zone = env_.systemZone ? env_.systemZone() : QTimeZone();
  if (bias == zoneBias_ && zone.id() == zoneId_) return false;
  zoneBias_ = bias;
  zoneId_ = zone.id();
  if (env_.systemZone) {
    LoadZone(IniFile().Read(), state_.settings, zone, bias);
  } else {
    LoadZone(IniFile().Read(), state_.settings, QTimeZone(), bias);
  }
  return true;
}
