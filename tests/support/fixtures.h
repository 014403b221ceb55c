// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files the tests start from, named for the place they put the chart, and the documented
// key names of the points.
#pragma once

// The Royal Observatory at Greenwich, 51°28' north on the meridian, on Universal Time.
inline constexpr const char* kGreenwichObservatory =
    "[Place]\nLatD=51\nLatM=28\nNS=1\nEW=1\nManualZone=1\nZoneH=0\nZoneM=0\n";

// Where the equator meets the Greenwich meridian, on Universal Time, with Placidus houses and the
// tropical zodiac written out.
inline constexpr const char* kEquatorAtGreenwich =
    "[Place]\nLatD=0\nLatM=0\nLongD=0\nLongM=0\nNS=1\nEW=1\nManualZone=1\nZoneH=0\n"
    "ZoneM=0\n[Setting]\nHouses=0\nZodiac=0\n";

// The points' keys in sections Show, AspectTo, AspectFrom and DoLine, Sun (1) to Midheaven (14).
inline constexpr const char* kPointKeys[14] = {
    "Sun",    "Moon",    "Mercury", "Venus", "Mars",   "Jupiter",   "Saturn",
    "Uranus", "Neptune", "Pluto",   "Node",  "Chiron", "Ascendant", "Midheaven"};

// The documented theory's table, made once per test program: it is large and never changes.
template <typename Table, Table (*make)()>
const Table& OnceMade() {
  static const Table table = make();
  return table;
}
