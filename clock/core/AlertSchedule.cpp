// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/AlertSchedule.h"

#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/ClockCore.h"
#include "model/ChartTables.h"

namespace {

// An event found a little after its minute (the timer's own delay, a tick) is still told.
constexpr qint64 kGraceSeconds = 60;
// Told events are remembered this long: longer than any event can be found again after its time.
constexpr qint64 kRememberSeconds = 2 * 24 * 3600;
// The planets that station, seen from the Earth.
constexpr int kFirstStationing = 3;  // Mercury
constexpr int kLastStationing = 10;  // Pluto

QString SignName(int sign) {
  return QString::fromLatin1(kSignNames[static_cast<std::size_t>(sign % kSignCount)]);
}
QString PointName(int point) {
  return QString::fromLatin1(kPoints[static_cast<std::size_t>(point)].key);
}

// The event's local time as the clock reads it, with the day named when it is not today's.
class LocalTimes {
 public:
  LocalTimes(const Settings& settings, const QDateTime& nowUtc)
      : settings_(settings), today_(local(nowUtc).date()) {}
  QDateTime local(const QDateTime& utc) const {
    return utc.toOffsetFromUtc(static_cast<int>(std::lround(ZoneOffsetAt(settings_, utc) * 3600)));
  }
  QString text(const QDateTime& utc) const {
    const QDateTime at = local(utc);
    const QString time = at.toString(QStringLiteral("HH:mm"));
    if (at.date() == today_) return time;
    return at.toString(QStringLiteral("ddd d MMM ")) + time;
  }

 private:
  const Settings& settings_;
  QDate today_;
};

UniversalTime UniversalOf(const QDateTime& utc) {
  const QDateTime u = utc.toUTC();
  return {u.time().msecsSinceStartOfDay() / 3600000.0, u.date()};
}

QDateTime WholeMinute(double msecs) {
  return QDateTime::fromMSecsSinceEpoch(std::llround(msecs / 60000.0) * 60000, Qt::UTC);
}

// The speeds of points 1..12 at a moment; the houses are left out, so a polar place stops no
// station.
std::array<double, kPointCount + 1> SpeedsAt(const Settings& noHouses, const TheoryTable& theory,
                                             double msecs) {
  Chart scratch;
  ComputePositions(noHouses, theory,
                   UniversalOf(QDateTime::fromMSecsSinceEpoch(std::llround(msecs), Qt::UTC)),
                   scratch);
  return scratch.Speed;
}

// Planets whose motion changes direction within the reach: bracketed by the speeds at both ends
// (a planet turns at most once in a day) and refined by bisection on the speed's sign to a
// minute, some twenty positions for each turn.
void AddStations(const Settings& settings, const TheoryTable& theory, const QDateTime& fromUtc,
                 const LocalTimes& times, std::vector<AlertEvent>& out) {
  // The Sun's centre sees no planet turn back.
  if (settings.HelioMode == 1) return;
  Settings noHouses = settings;
  noHouses.HouseCode = HouseSystem::None;
  const double from = static_cast<double>(fromUtc.toMSecsSinceEpoch());
  const double to = from + kAlertReachMinutes * 60000.0;
  const auto first = SpeedsAt(noHouses, theory, from);
  const auto last = SpeedsAt(noHouses, theory, to);
  for (int p = kFirstStationing; p <= kLastStationing; ++p) {
    const auto i = static_cast<std::size_t>(p);
    if ((first[i] < 0) == (last[i] < 0)) continue;
    double lo = from, hi = to;
    while (hi - lo > 30000.0) {
      const double mid = (lo + hi) / 2;
      if ((SpeedsAt(noHouses, theory, mid)[i] < 0) == (first[i] < 0)) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
    AlertEvent event;
    event.kind = AlertKind::Station;
    event.when = WholeMinute(hi);
    const bool retrograde = last[i] < 0;
    event.text =
        QStringLiteral("%1 stations %2 at %3")
            .arg(PointName(p), retrograde ? QStringLiteral("retrograde") : QStringLiteral("direct"),
                 times.text(event.when));
    event.key = QStringLiteral("station %1 %2").arg(p).arg(retrograde ? 'R' : 'D');
    out.push_back(event);
  }
}

// The transits to the natal chart that the aspect list would show, perfecting within the reach:
// the bodies (the angles sweep the chart each day and would tell of little else), the kinds in
// use, the points switched on each side.
void AddNatalExact(const Settings& settings, const TheoryTable& theory, const QDateTime& fromUtc,
                   const LocalTimes& times, std::vector<AlertEvent>& out) {
  if (!NatalChartSet(settings)) return;
  std::vector<AspectQuery> queries;
  for (int from = 1; from < kAscendant; ++from) {
    if (!settings.AspectFrom[static_cast<std::size_t>(from)]) continue;
    for (int to = 1; to <= kPointCount; ++to) {
      if (!settings.AspectTo[static_cast<std::size_t>(to)]) continue;
      for (int kind = 0; kind < kAspectKindCount; ++kind) {
        if (!settings.UseAspects[static_cast<std::size_t>(kind)]) continue;
        if (kind == kCustomAspect && settings.CustomAngle < 0) continue;
        queries.push_back({from, kind, to, settings.NatalPos[static_cast<std::size_t>(to)]});
      }
    }
  }
  if (queries.empty()) return;
  const std::vector<AspectTiming> timings = ExactAspectTimes(settings, theory, fromUtc, queries);
  for (std::size_t q = 0; q < queries.size(); ++q) {
    const AspectTiming& timing = timings[q];
    if (!timing.applying || !timing.exact) continue;
    const AspectQuery& query = queries[q];
    AlertEvent event;
    event.kind = AlertKind::NatalExact;
    event.when = *timing.exact;
    event.text =
        QStringLiteral("Transiting %1 %2 natal %3 is exact at %4")
            .arg(PointName(query.from),
                 QString::fromLatin1(kAspectKinds[static_cast<std::size_t>(query.kind)].name)
                     .toLower(),
                 PointName(query.to), times.text(event.when));
    event.key = QStringLiteral("natal %1 %2 %3").arg(query.from).arg(query.kind).arg(query.to);
    out.push_back(event);
  }
}

}  // namespace

QString AlertKindName(AlertKind kind) {
  switch (kind) {
    case AlertKind::VoidBegins:
      return QStringLiteral("void-begins");
    case AlertKind::VoidEnds:
      return QStringLiteral("void-ends");
    case AlertKind::Ingress:
      return QStringLiteral("ingress");
    case AlertKind::NatalExact:
      return QStringLiteral("natal-exact");
    case AlertKind::NewFull:
      return QStringLiteral("new-full");
    case AlertKind::Station:
      break;
  }
  return QStringLiteral("station");
}

VoidRule AlertVoidRule(const Settings& settings) {
  // The rule the icon and the tray's lines show, so that an alert never contradicts them.
  return VoidRuleFromNumber(settings.VOCRule);
}

int AlertLeadMinutes(const Settings& settings) {
  switch (settings.AlertLead) {
    case 1:
      return 15;
    case 2:
      return 60;
    default:
      return 0;
  }
}

std::vector<AlertEvent> UpcomingAlerts(const Settings& settings, const TheoryTable& theory,
                                       const QDateTime& fromUtc, const QDateTime& nowUtc) {
  AlertStarts from;
  from.fill(fromUtc);
  return UpcomingAlerts(settings, theory, from, nowUtc);
}

std::vector<AlertEvent> UpcomingAlerts(const Settings& s, const TheoryTable& theory,
                                       const AlertStarts& starts, const QDateTime& nowUtc) {
  const auto fromOf = [&starts](AlertKind kind) { return starts[static_cast<std::size_t>(kind)]; };
  const LocalTimes times(s, nowUtc);
  std::vector<AlertEvent> out;
  const auto moonEvent = [&](AlertKind kind, const QDateTime& when, const QString& text) {
    out.push_back({kind, when, text, AlertKindName(kind)});
  };

  if (s.AlertVoidBegins || s.AlertVoidEnds) {
    const VoidRule rule = AlertVoidRule(s);
    const QDateTime endsFrom = fromOf(AlertKind::VoidEnds);
    std::optional<VoidWindow> window = VoidWindowAt(s, theory, endsFrom, rule);
    if (window && s.AlertVoidEnds && window->end >= endsFrom) {
      const MoonIngress ingress = NextMoonIngress(s, theory, window->start);
      QString text = QStringLiteral("The Moon's void of course ends at ") + times.text(window->end);
      if (ingress.time == window->end)
        text += QStringLiteral(" as she enters ") + SignName(ingress.sign);
      moonEvent(AlertKind::VoidEnds, window->end, text);
    }
    const QDateTime beginsFrom = fromOf(AlertKind::VoidBegins);
    if (beginsFrom != endsFrom) window = VoidWindowAt(s, theory, beginsFrom, rule);
    // Within a window its start has passed: the alert is for the next one.
    if (window && window->start < beginsFrom) window = VoidWindowAt(s, theory, window->end, rule);
    if (window && s.AlertVoidBegins) {
      const MoonIngress ingress = NextMoonIngress(s, theory, window->start);
      QString text = QStringLiteral("The Moon is void of course from ") + times.text(window->start);
      if (window->lastAspect)
        text += QStringLiteral(" (") + MoonAspectText(*window->lastAspect) + ')';
      if (ingress.time == window->end) {
        text += QStringLiteral(" until she enters %1 at %2")
                    .arg(SignName(ingress.sign), times.text(window->end));
      } else {
        text += QStringLiteral(" until ") + times.text(window->end);
      }
      moonEvent(AlertKind::VoidBegins, window->start, text);
    }
  }
  if (s.AlertIngress) {
    const MoonIngress ingress = NextMoonIngress(s, theory, fromOf(AlertKind::Ingress));
    moonEvent(AlertKind::Ingress, ingress.time,
              QStringLiteral("The Moon enters %1 at %2")
                  .arg(SignName(ingress.sign), times.text(ingress.time)));
  }
  if (s.AlertNewFull) {
    const LunarPhase phase = MoonPhaseAt(s, theory, fromOf(AlertKind::NewFull));
    for (const bool full : {false, true}) {
      const QDateTime& when = full ? phase.nextFull : phase.nextNew;
      const int sign = static_cast<int>(MoonLongitudeAt(s, theory, when) / 30);
      out.push_back({AlertKind::NewFull, when,
                     QStringLiteral("%1 Moon in %2 at %3")
                         .arg(full ? QStringLiteral("Full") : QStringLiteral("New"), SignName(sign),
                              times.text(when)),
                     full ? QStringLiteral("full") : QStringLiteral("new")});
    }
  }
  if (s.AlertNatalExact) AddNatalExact(s, theory, fromOf(AlertKind::NatalExact), times, out);
  if (s.AlertStation) AddStations(s, theory, fromOf(AlertKind::Station), times, out);

  for (AlertEvent& event : out) event.key += QLatin1Char('@') + event.when.toString(Qt::ISODate);
  std::stable_sort(out.begin(), out.end(),
                   [](const AlertEvent& a, const AlertEvent& b) { return a.when < b.when; });
  return out;
}

AlertSchedule::AlertSchedule(ClockCore& core, QObject* parent)
    : QObject(parent), core_(core), timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  // Hours ahead, a coarse timer could be late by minutes.
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, &AlertSchedule::FireDue);
  connect(&core_, &ClockCore::settingsChanged, this, &AlertSchedule::Rearm);
  connect(&core_, &ClockCore::timeJumped, this, &AlertSchedule::Rearm);
  connect(&core_, &ClockCore::minuteBegan, this, &AlertSchedule::onMinute);
}

AlertSchedule::~AlertSchedule() = default;

QDateTime AlertSchedule::nowUtc() const {
  // The moment as the chart takes it: the place's clock time less the zone's offset, which is
  // the true Universal Time unless a zone set by hand disagrees with the machine's clock; the
  // alerts then keep to what the wheel shows.
  const Settings& s = core_.state().settings;
  const QDateTime instant = core_.environment().now();
  const QDateTime local = PlaceClockTime(s, instant);
  return QDateTime(local.date(), local.time(), Qt::UTC)
      .addMSecs(-std::llround(ZoneOffsetAt(s, instant) * 3600000.0));
}

void AlertSchedule::Rearm() {
  timer_->stop();
  armedFor_.reset();
  upcoming_.clear();
  const Settings& s = core_.state().settings;
  const bool any = s.AlertVoidBegins || s.AlertVoidEnds || s.AlertIngress || s.AlertNatalExact ||
                   s.AlertNewFull || s.AlertStation;
  if (!any) return;
  const QDateTime now = nowUtc();
  for (auto it = told_.begin(); it != told_.end();) {
    it = it->when.secsTo(now) > kRememberSeconds ? told_.erase(it) : std::next(it);
  }
  // Each kind's first events from here on: those told already are behind, and its search starts
  // after the last of them, so that the next of its kind is found.
  AlertStarts from;
  from.fill(now.addSecs(-kGraceSeconds));
  for (const Told& told : std::as_const(told_)) {
    QDateTime& start = from[static_cast<std::size_t>(told.kind)];
    start = std::max(start, told.when.addSecs(1));
  }
  ++computations_;
  try {
    upcoming_ = UpcomingAlerts(s, core_.state().theory, from, now);
  } catch (const std::exception&) {
    // No positions now (the chart says why); try again when the reach is over.
  }
  const qint64 lead = AlertLeadMinutes(s) * 60;
  QDateTime next = now.addSecs(kAlertReachMinutes * 60);
  for (const AlertEvent& event : upcoming_) {
    if (told_.contains(event.key)) continue;
    next = std::min(next, event.when.addSecs(-lead));
  }
  armedFor_ = next;
  timer_->start(
      static_cast<int>(std::clamp<qint64>(now.msecsTo(next), 0, kAlertReachMinutes * 60000)));
}

void AlertSchedule::FireDue() {
  const QDateTime now = nowUtc();
  const qint64 lead = AlertLeadMinutes(core_.state().settings) * 60;
  const LocalTimes times(core_.state().settings, now);
  // Copied: a receiver may change the settings, and so the list.
  const std::vector<AlertEvent> events = upcoming_;
  for (const AlertEvent& event : events) {
    // Due when its time less the lead has come; the timer may be a few milliseconds early.
    if (now.msecsTo(event.when.addSecs(-lead)) > 500 || told_.contains(event.key)) continue;
    // Passed while the machine slept or the clock was set on: news of nothing.
    if (event.when.secsTo(now) > kGraceSeconds) continue;
    told_.insert(event.key, {event.kind, event.when});
    emit alert(AlertKindName(event.kind), event.text, times.local(event.when));
  }
  Rearm();
}

void AlertSchedule::onMinute() {
  // A suspended machine stops the timer's clock: a tick that finds the time passed tells now.
  if (armedFor_ && *armedFor_ <= nowUtc()) FireDue();
}
