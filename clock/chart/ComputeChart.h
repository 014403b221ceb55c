// The chart of the moment: local time to the chart in ClockState, then the live publishing steps.
#ifndef HELIODIAL_COMPUTECHART_H
#define HELIODIAL_COMPUTECHART_H

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <array>
#include <functional>
#include <stdexcept>

#include "chart/ChartPublisher.h"
#include "chart/ClockState.h"

// The machine's local date and time; tests and the companion pass a fixed one.
using TimeSource = std::function<QDateTime()>;
QDateTime systemLocalTime();

// A chart that could not be computed (a house system without cusps at this latitude); the text
// says why and what to do.
class ChartError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Universal time of a local moment: hours 0 <= UT < 24 and the UT date.
struct UniversalTime {
  double hours;
  QDate date;
};
UniversalTime toUniversalTime(QTime localTime, QDate localDate, double zoneOffsetHours);

// House-system dispatch: codes 1..9 write cusps 1..12 (and slot 0 for Equal); other codes leave
// the cusps as they are.
void CalcHouses(int houseCode, double lst, double latitude, double obliquity, double zodiacOffset,
                std::array<double, 15>& cuspPos);

// Position within a 30 degree sign and within a 45 degree segment.
double Mod30(double x);
double Mod45(double x);
// Void of course: no body Sun..Pluto stands further on in its sign (or 45 degree segment) than
// the Moon. Each enabled test starts from true; with both on, the 45 degree test decides.
bool VoidOfCourse(const std::array<double, 15>& pos, bool do30, bool do45);

// Tray icon number: the Ascendant's sign 1..12, or 13 while the Moon is void and the void icon
// is wanted.
int TrayIconNumber(double ascendant, bool vocActive, bool vocIcon);

// Turns the chart so the Ascendant's sign starts at 0: sets WheelOffset and rotates Pos[1..14]
// and CuspPos[1..12] into [0, 360). TruePos and the other cusp slots stay as they are.
void RotateForWheel(ClockState& state);

class ChartComputer {
 public:
  explicit ChartComputer(ClockState& state, ChartPublisher* publisher = nullptr,
                         TimeSource now = systemLocalTime);

  // Fills the state for the present moment (Live) or for the given local time and date. Returns
  // false without doing anything when a computation is already running (a tick that fell due
  // while the previous one let messages run). Throws ChartError when the houses cannot be
  // computed; the state then keeps its previous chart.
  bool ComputeChart(bool Live, QTime TimeValue = {}, QDate DateValue = {});

  // The two aspect lists of a live computation, on the unrotated positions.
  void ListTransitAspects();
  void ListNatalAspects();

  bool busy() const { return busy_; }

 private:
  void publishPositions();
  void listAspects(AspectList list);

  ClockState& state_;
  ChartPublisher* publisher_;
  ChartPublisher silent_;
  TimeSource now_;
  bool busy_ = false;
};

#endif
