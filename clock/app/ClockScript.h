// SPDX-License-Identifier: GPL-3.0-or-later
// The clock's automation object on the session bus (resources/dbus/Heliodial.ClockScript.xml is
// its contract): GetPlanet, Show, the chart as read-only properties, signals after each chart
// of the present minute, and the alerts. Every read copies from the clock's state at the time of
// the call, where the computation puts each chart whole, so a call never sees half of one.
#ifndef HELIODIAL_CLOCKSCRIPT_H
#define HELIODIAL_CLOCKSCRIPT_H

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "chart/ClockState.h"

class QDBusServiceWatcher;
class QTimer;
class ClockCore;

// How long an activated clock stays after its last client, and again after it has given up its
// bus name: long enough for a script that calls once a second, short for a clock nobody sees.
inline constexpr std::chrono::milliseconds kClientGrace{2000};

// The chart point a GetPlanet argument names: the argument is converted to an integer as an
// automation runtime converts a variant (integers of any width; doubles and decimal text rounded
// to nearest, halves to even; integer text of any length; true is -1, false 0; a variant inside
// the variant is opened), and the low 16 bits of that integer, read as a signed 16-bit number, are
// the index. error is empty when the index is a chart point 0..14, else it says what was wrong and
// what is wanted.
struct PointIndex {
  int index = 0;
  QString error;
};
PointIndex PointIndexOf(const QVariant& argument);

// Sign 1 (Aries) .. 12 (Pisces) of an ecliptic longitude.
int SignOf(double longitude);

// What the bus shows of a chart, and what changed between two of them.
struct ChartSnapshot {
  std::array<double, kPointCount + 1> longitudes{};
  std::array<double, 13> cusps{};
  int houseSystem = 0;
  bool hasCusps = false;
  bool voidOfCourse = false;
  QString chartTime;  // empty before the first chart
  // The Moon under the settings' rule (empty texts before the first chart or without her).
  int voidRule = 0;
  QString voidSince;
  QString voidUntil;
  QString voidLastAspect;
  QString moonNextIngress;
  QString moonPhase;
  double moonIllumination = 0;
};
ChartSnapshot SnapshotOf(const ClockState& state);

struct ChartEvents {
  QStringList changedProperties;
  std::optional<bool> voidOfCourse;            // the new state, when it changed
  std::vector<std::pair<int, int>> ingresses;  // (point 1..14, sign 1..12)
};
// The first chart changes every property but makes no ingress and no void change: there is no
// sign or state to leave. The angles make ingresses only between two charts with cusps.
ChartEvents EventsBetween(const std::optional<ChartSnapshot>& before, const ChartSnapshot& after);

class ClockScript : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_PROPERTY(QList<double> Longitudes READ longitudes)
  Q_PROPERTY(QList<double> Cusps READ cusps)
  Q_PROPERTY(int HouseSystem READ houseSystem)
  Q_PROPERTY(bool VoidOfCourse READ voidOfCourse)
  Q_PROPERTY(QString ChartTime READ chartTime)
  Q_PROPERTY(int VoidRule READ voidRule)
  Q_PROPERTY(QString VoidSince READ voidSince)
  Q_PROPERTY(QString VoidUntil READ voidUntil)
  Q_PROPERTY(QString VoidLastAspect READ voidLastAspect)
  Q_PROPERTY(QString MoonNextIngress READ moonNextIngress)
  Q_PROPERTY(QString MoonPhase READ moonPhase)
  Q_PROPERTY(double MoonIllumination READ moonIllumination)

 public:
  explicit ClockScript(QObject* parent = nullptr);
  ~ClockScript() override;

  enum class BusStart {
    Serving,      // the object is on the bus under the well-known name
    NameTaken,    // another clock owns the name
    Unavailable,  // no session bus, or it refused us
  };
  // Puts the object on the connection and claims the bus name; why says what failed.
  BusStart serveOn(const QDBusConnection& connection, QString* why = nullptr);

  // Serves the core's state and publishes its charts (showRequested is for the window).
  void attachCore(ClockCore& core);
  // The state every call reads; none answers that there is no chart yet.
  void setState(const ClockState* state);

  // Started by the bus for a client: end (lastClientGone) once every caller has left the bus.
  // The end never races a call: after the last client the clock keeps its name for the grace
  // time, then releases it, so that new calls start another clock, and waits the grace time
  // again for calls the bus had already routed here. Any call on the way back to the clock
  // starts the waiting over. Show() ends this mode, since then a person wants the clock.
  void endWithLastClient(std::chrono::milliseconds grace = kClientGrace);
  bool endsWithLastClient() const { return watcher_ != nullptr; }
  int clientCount() const { return static_cast<int>(clients_.size()); }
  // Whether the clock still owns the well-known name (false once an ending clock released it).
  bool ownsName() const { return connection_.has_value() && !nameReleased_; }

  QList<double> longitudes() const;
  QList<double> cusps() const;
  int houseSystem() const;
  bool voidOfCourse() const;
  QString chartTime() const;
  int voidRule() const;
  QString voidSince() const;
  QString voidUntil() const;
  QString voidLastAspect() const;
  QString moonNextIngress() const;
  QString moonPhase() const;
  double moonIllumination() const;

 public slots:
  QDBusVariant GetPlanet(const QDBusVariant& index);
  void Show();
  // After a chart of the present minute: announce what changed, then ChartUpdated.
  void publishChart();
  // An alert as it falls due: the Alert signal, the time as local ISO 8601 with its offset.
  void publishAlert(const QString& kind, const QString& text, const QDateTime& when);

 signals:
  void ChartUpdated();
  void VoidOfCourseChanged(bool active);
  void SignIngress(int point, int sign);
  void Alert(const QString& kind, const QString& text, const QString& time);
  void showRequested();
  void lastClientGone();

 private:
  // The chart as the bus shows it, copied from the state at the time of the call.
  ChartSnapshot current() const;
  // Counts the caller as a client. Only method calls can: QtDBus serves property reads without
  // saying who asked.
  void noteCaller();
  void forgetClient(const QString& name);
  // A call or property read while the clock waits to end: the waiting starts over.
  void noteActivity() const;
  void graceOver();
  void announce(const ChartSnapshot& snapshot, const QStringList& properties);

  const ClockState* state_ = nullptr;
  std::optional<QDBusConnection> connection_;
  std::optional<ChartSnapshot> published_;
  // Callers' unique names while the clock serves only its clients.
  QDBusServiceWatcher* watcher_ = nullptr;
  QSet<QString> clients_;
  // Runs while no client is there; on its end the name is released, on its second the clock ends.
  QTimer* grace_ = nullptr;
  bool nameReleased_ = false;
};

// Asks the clock that owns the bus name to show its window; why says what failed.
bool AskRunningClockToShow(const QDBusConnection& connection, QString* why = nullptr);

#endif
