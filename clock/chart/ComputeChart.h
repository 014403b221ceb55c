// SPDX-License-Identifier: GPL-3.0-or-later
// The chart of a local moment, and what the running clock's windows show of it.
#ifndef HELIODIAL_COMPUTECHART_H
#define HELIODIAL_COMPUTECHART_H

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <array>
#include <functional>
#include <stdexcept>
#include <string>

#include "chart/Aspects.h"
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

// The error for a house system without cusps at this latitude: the library's reason, then what the
// user can do.
ChartError NoCuspsError(const std::string& reason, HouseSystem system, double latitude);

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

// What a chart starts from, at a UT date and hours: points 1..12 with their speeds, the cusps when
// the house code names a system, and the quantities of the moment, from the ephemeris the settings
// choose. Everything that needs positions at other moments (the Moon's timetable) comes here, so
// that it always agrees with the chart. Throws ChartError as ComputeChart does.
void ComputePositions(const Settings& settings, const TheoryTable& theory, const UniversalTime& ut,
                      Chart& chart);

// The chart for a local date and time of day: positions, cusps, texts, the void-of-course test.
// The pair string stays empty (ComputeLiveChart fills it). Throws
// ChartError when the house system has no cusps at this latitude. Settings::Ephemeris 1 takes
// the positions and cusps from the Swiss Ephemeris (PrecisePositions.h), anything else from the
// documented theory of ephemlib.
Chart ComputeChart(const Settings& settings, const TheoryTable& theory, QDate localDate,
                   QTime localTime);

// The settings for the aspect passes of a chart: Chiron takes no part when it has no position.
Settings WithoutMissingChiron(const Settings& settings, const Chart& chart);

// Rows 1..12 of the positions table: point symbol, position text, house number, cusp text
// (display strings).
using PositionRows = std::array<std::array<QString, 4>, 13>;
PositionRows PositionTable(const Chart& chart);

// What the transit-to-natal list says while no natal chart is set.
inline constexpr char kNoNatalChart[] =
    "No natal chart is set: enter one on the Natal page of Settings...";

// The chart the running clock shows at a moment: ComputeChart, then both aspect passes (the
// pair string with them) and the tray icon, which shows the void state of the chart before it
// (previousVoid). Throws ChartError as ComputeChart does.
// previous, when given, is the chart of an earlier minute (within the hour) from the same settings
// and theory: what of the Moon's timetable and of the exact times is still ahead of now is taken
// from it rather than found again, so that a tick stays cheap with precise positions.
Chart ComputeLiveChart(const Settings& settings, const TheoryTable& theory, const QDateTime& now,
                       bool previousVoid, const Chart* previous = nullptr);

enum class AspectList { TransitToTransit, TransitToNatal };

// What one of the two aspect windows does with a live chart: replace its lines (or, in log
// mode, add to them), switch its font when some pair was tested, and the lines to add. Without
// a natal chart the natal list says so instead of listing aspects to 0 Aries.
struct AspectListUpdate {
  bool replace = false;
  bool setFont = false;
  bool textFont = false;  // plain text rather than the symbol font
  QStringList lines;
};
AspectListUpdate AspectListFor(const Settings& settings, const Chart& chart, AspectList list);

// While no chart can be computed: a list says so in one line (a log keeps what it has), and the
// positions table shows the points with "-" for every position and cusp.
AspectListUpdate NoChartListUpdate(const Settings& settings, AspectList list,
                                   const QString& reason);
PositionRows NoChartPositionTable();

#endif
