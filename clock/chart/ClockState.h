// SPDX-License-Identifier: GPL-3.0-or-later
// The running clock's record, made of named parts: the settings as loaded, the chart of the last
// computation and the planetary theory table. Nothing in it changes meaning with a mode: the
// chart always holds true longitudes, and the wheel derives its rotated view from it.
#ifndef HELIODIAL_CLOCKSTATE_H
#define HELIODIAL_CLOCKSTATE_H

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "chart/Aspects.h"
#include "chart/MoonTypes.h"
#include "ephemlib.h"
#include "settings/Settings.h"

using TheoryTable = std::array<double, EPHEM_THEORY_TABLE_SIZE>;

// The planetary theory table as the library fills it once at start.
TheoryTable InitialTheoryTable();

// The chart of one local moment: a plain value that a computation makes and nothing else changes.
struct Chart {
  QDate Date;  // the local date and time of day the chart is for
  QTime Time;
  // Ecliptic longitudes of points 1..14, in [0, 360).
  std::array<double, kPointCount + 1> TruePos{};
  // Cusps 1..12, in [0, 360); the Midheaven in slot 10, or in slot 0 for Equal houses. All zero
  // when the house code names no system (HasCusps false).
  std::array<double, kPointCount + 1> CuspPos{};
  bool HasCusps = false;
  // Daily motion of points 1..14 (60 x radians per day, negative when retrograde; 13 and 14 are 1).
  std::array<double, kPointCount + 1> Speed{};
  // Position texts as the library builds them (Windows-1252 bytes with glyph codes).
  std::array<std::string, kPointCount + 1> PlanetSign;
  std::array<std::string, 13> CuspSign;
  bool VOCActive = false;
  // Precise positions only: the moment lies outside the ephemeris files' years (1800-2399), so
  // Chiron has no position. Its longitude and speed are 0, its text "-", and it takes no part in
  // the aspects of ComputeLiveChart; a view may say why once.
  bool ChironMissing = false;
  // One aspect character per transit pair (1,2) .. (12,14), at most 90, from the transit pass of
  // a live computation; the wheel draws the aspect lines from it.
  std::string PairString;

  // What a live computation adds for the windows, so that they only draw (ComputeLiveChart):
  QDateTime Moment;     // the moment asked for, seconds included; the log lines carry it
  AspectPass Transits;  // transit to transit
  AspectPass Natal;     // transit to natal; empty while no natal chart is set
  bool NatalSet = false;
  // Tray icon 1..12 (the Ascendant's sign) or 13 (the void Moon: under the degree test of the
  // chart before this one, under an aspect rule of this one).
  int IconNumber = 0;
  // The Moon of the moment under the settings' void rule, so that the windows, the notification
  // area and the bus only format her; empty when her timetable could not be found.
  std::optional<MoonNow> Moon;
  QDateTime MomentUtc;  // the moment in Universal Time, as the Moon's times are given
  // With Settings::ExactTimes: one timing per aspect found by each pass, in the same order.
  std::vector<AspectTiming> TransitTimings;
  std::vector<AspectTiming> NatalTimings;

  // What the computation worked from.
  int JD = 0;               // Julian day number of the Universal Time date
  double UT = 0;            // hours
  double LST = 0;           // local sidereal time, hours (precise: the ARMC / 15)
  double T = 0;             // Julian centuries from 1900 January 0.5
  double Obliquity = 0;     // radians (precise: the true obliquity of date)
  double ZodiacOffset = 0;  // degrees added to every longitude; 0 in the tropical zodiac
                            // (precise sidereal: minus the Fagan/Bradley ayanamsa)
};

struct ClockState {
  Settings settings;
  Chart chart;
  TheoryTable theory{};
  // The clock follows the present moment; StartDate and StartTime are when it started.
  bool LiveClock = true;
  QDate StartDate;
  QTime StartTime;
};

#endif
