// The chart of a local moment, and the live path of the running clock: compute, then publish.
#ifndef HELIODIAL_COMPUTECHART_H
#define HELIODIAL_COMPUTECHART_H

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <array>
#include <functional>
#include <stdexcept>
#include <string>

#include "chart/Aspects.h"
#include "chart/ChartPublisher.h"
#include "chart/ClockState.h"

// The machine's local date and time; tests and the companion pass a fixed one.
using TimeSource = std::function<QDateTime()>;
QDateTime systemLocalTime();

// A chart that could not be computed (a house system without cusps at this latitude); the text
// says why and what to do. The key names the cause without the details that change from minute to
// minute (the sidereal time), so that a report can tell the same trouble coming back.
class ChartError : public std::runtime_error {
 public:
  ChartError(const std::string& text, std::string key)
      : std::runtime_error(text), key_(std::move(key)) {}
  const std::string& key() const { return key_; }

 private:
  std::string key_;
};

// Universal time of a local moment: hours 0 <= UT < 24 and the UT date.
struct UniversalTime {
  double hours;
  QDate date;
};
UniversalTime toUniversalTime(QTime localTime, QDate localDate, double zoneOffsetHours);

// House-system dispatch: the nine systems write cusps 1..12 (and slot 0 for Equal) and return
// true; None and unknown codes leave the cusps as they are and return false.
bool CalcHouses(HouseSystem houseCode, double lst, double latitude, double obliquity,
                double zodiacOffset, std::array<double, 15>& cuspPos);

// Position within a 30 degree sign and within a 45 degree segment.
double Mod30(double x);
double Mod45(double x);
// Void of course: no body Sun..Pluto stands further on in its sign (or 45 degree segment) than
// the Moon. Each enabled test starts from true; with both on, the 45 degree test decides.
bool VoidOfCourse(const std::array<double, 15>& pos, bool do30, bool do45);

// Tray icon number: the Ascendant's sign 1..12, or 13 while the Moon is void and the void icon
// is wanted.
int TrayIconNumber(double ascendant, bool vocActive, bool vocIcon);

// The chart for a local date and time of day: positions, cusps, texts, the void-of-course test.
// The pair string stays empty (the transit list of a live computation fills it). Throws
// ChartError when the house system has no cusps at this latitude.
Chart ComputeChart(const Settings& settings, const TheoryTable& theory, QDate localDate,
                   QTime localTime);

// The positions table, rows 1..12: point symbol, position text, house number, cusp text.
PositionRows PositionTable(const Chart& chart);

// What the transit-to-natal list says while no natal chart is set.
inline constexpr char kNoNatalChart[] =
    "No natal chart is set: enter one on the Natal page of Settings...";

// Hands a freshly computed chart to the windows, in this order: the tray icon (showing the void
// state of the chart before it, previousVoid), the positions table, the transit-to-transit list,
// then the transit-to-natal list (replaced, or one line added in log mode; without a natal chart
// a line saying so). Fills the chart's pair string.
void PublishChart(const Settings& settings, Chart& chart, bool previousVoid, const QDateTime& now,
                  ChartPublisher& publisher);

// The clock's computation of the moment into its state, one at a time.
class ChartComputer {
 public:
  explicit ChartComputer(ClockState& state, ChartPublisher* publisher = nullptr,
                         TimeSource now = systemLocalTime);

  // Computes the chart of the present moment (Live) or of the given local time and date into the
  // state; a live computation is then published. Returns false without doing anything when a
  // computation is already running. Throws ChartError when the houses cannot be computed; the
  // state then keeps its previous chart.
  bool ComputeChart(bool Live, QTime TimeValue = {}, QDate DateValue = {});

  bool busy() const { return busy_; }

 private:
  ClockState& state_;
  ChartPublisher* publisher_;
  ChartPublisher silent_;
  TimeSource now_;
  bool busy_ = false;
};

#endif
