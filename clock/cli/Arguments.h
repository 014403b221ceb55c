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

#include "chart/DayScan.h"
#include "chart/ScanExport.h"

inline constexpr int kDefaultWheelSize = 576;
inline constexpr int kMinWheelSize = 64;
inline constexpr int kMaxWheelSize = 8192;

extern const char* const kUsage;

struct Options {
  enum class Action { Chart, Scan, Help, Version };
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
