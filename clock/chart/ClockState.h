// The clock's one state record: settings as loaded, plus the chart of the last computation.
#ifndef HELIODIAL_CLOCKSTATE_H
#define HELIODIAL_CLOCKSTATE_H

#include <array>
#include <string>

#include "settings/Settings.h"

constexpr int kTheoryTableHigh = 410;

// Point indices (kPointCount in the settings): 1 Sun .. 12 Chiron, 13 Ascendant, 14 Midheaven.
struct ClockState : Settings {
  // Longitudes of points 1..14. After a live computation rotated by WheelOffset for the wheel.
  std::array<double, 15> Pos{};
  // Pos before the rotation: always true longitudes.
  std::array<double, 15> TruePos{};
  // Cusps 1..12; the Midheaven in slot 10, or in slot 0 for Equal houses.
  std::array<double, 15> CuspPos{};
  // Daily motion of points 1..14 (60 x radians per day; 13 and 14 set to 1).
  std::array<double, 15> Speed{};
  // Position texts as the library builds them (Windows-1252 bytes with glyph codes).
  std::array<std::string, 15> PlanetSign;
  std::array<std::string, 13> CuspSign;
  // The Ascendant's degree within its sign, set by each live computation.
  double WheelOffset = 0;
  bool VOCActive = false;
  // One aspect character per transit pair (1,2) .. (12,14), at most 90; read by the wheel.
  std::string PairString;
  bool LiveClock = true;
  std::array<double, kTheoryTableHigh + 1> TheoryTable{};

  // What the last computation worked from, for the companion's report.
  int JD = 0;
  double UT = 0;
  double LST = 0;
  double T = 0;
  double Obliquity = 0;
  double ZodiacOffset = 0;
  int TrayIcon = 0;  // icon number 1..13 chosen by the last live computation
};

#endif
