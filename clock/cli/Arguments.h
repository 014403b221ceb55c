// SPDX-License-Identifier: GPL-3.0-or-later
// heliodial-chart's command line: what it asks for, or what is wrong with it.
#ifndef HELIODIAL_ARGUMENTS_H
#define HELIODIAL_ARGUMENTS_H

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>
#include <stdexcept>
#include <string>

#include "atlas/Atlas.h"
#include "chart/DayScan.h"
#include "chart/ScanExport.h"

inline constexpr int kDefaultWheelSize = 576;
inline constexpr int kMinWheelSize = 64;
inline constexpr int kMaxWheelSize = 8192;
inline constexpr int kDefaultMoonDays = 7;
inline constexpr int kMaxMoonDays = 366;

extern const char* const kUsage;

struct Options {
  enum class Action { Chart, Scan, Moon, Help, Version };
  Action action = Action::Chart;
  std::optional<QDate> atDate;  // a local date and time of day, as given
  QTime atTime;
  bool json = false;
  std::string wheel;   // the file name's own bytes, whatever the locale's encoding
  QString wheelShown;  // the same name for messages
  int size = kDefaultWheelSize;
  QDate scan;
  std::optional<ScanOrb> orb;
  ScanFileFormat scanFormat = ScanFileFormat::Text;
  // --ephemeris for this run: 0 the documented theory, 1 precise; unset keeps the settings'.
  std::optional<int> ephemeris;
  // --zone for this run: an IANA zone the system knows, in place of the settings' zone (a manual
  // one included); empty keeps the settings'.
  QString zone;
  // --place NAME for this run, as typed; main looks it up in the atlas and fills the two below.
  QString place;
  std::optional<PlaceAngles> placeAngles;  // replaces the settings' latitude and longitude
  QString placeZone;                       // that town's IANA zone, for the zone rules
  // --moon: the Moon's stays from this local day for moonDays days (printed as text, JSON with
  // json, iCalendar with scanFormat ICalendar); --rule for this run, unset keeps the settings'.
  QDate moon;
  int moonDays = kDefaultMoonDays;
  std::optional<int> moonRule;
};

// A bad argument; the text is one line for standard error.
class ArgumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The options of argv; throws ArgumentError for anything it cannot take.
Options ParseCommandLine(int argc, char** argv);

// What --help prints.
QString HelpText();

#endif
