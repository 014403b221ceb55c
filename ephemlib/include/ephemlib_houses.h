// SPDX-License-Identifier: LGPL-3.0-or-later
/* ephemlib_houses.h: the nine house systems of ephemlib behind one call, for C++ hosts.
 *
 * The house exports take their arguments in two orders (Campanus puts the latitude first, Equal
 * returns its angles separately and takes the offset before the obliquity). HouseCusps calls the
 * right one in the right order, whether the host links the exports by name (LinkedExports) or binds
 * them by ordinal into a table of its own with members of the same names.
 */
#ifndef EPHEMLIB_HOUSES_H
#define EPHEMLIB_HOUSES_H

#include <cstdint>

#include "ephemlib.h"

namespace ephem {

/* House-system codes as the hosts number them; None (and any code above 9) computes no cusps. */
enum class HouseSystem : std::uint8_t {
  None = 0,
  Placidus = 1,
  Koch = 2,
  Campanus = 3,
  Topocentric = 4,
  Morinus = 5,
  Porphyry = 6,
  Regiomontanus = 7,
  Meridian = 8,
  Equal = 9,
};
inline constexpr int kHouseSystemCount = 9;

/* "Placidus" .. "Equal"; an empty text for None and unknown codes. */
constexpr const char* HouseSystemName(HouseSystem system) {
  constexpr const char* kNames[kHouseSystemCount + 1] = {
      "",        "Placidus", "Koch",          "Campanus", "Topocentric",
      "Morinus", "Porphyry", "Regiomontanus", "Meridian", "Equal"};
  const auto code = static_cast<unsigned>(system);
  return code <= static_cast<unsigned>(kHouseSystemCount) ? kNames[code] : "";
}

/* The house exports called by name, for hosts that link ephemlib directly. */
struct LinkedExports {
  static constexpr auto PlacHouse = &::PlacHouse;
  static constexpr auto KochHouse = &::KochHouse;
  static constexpr auto CampHouse = &::CampHouse;
  static constexpr auto TopHouse = &::TopHouse;
  static constexpr auto MorHouse = &::MorHouse;
  static constexpr auto PorHouse = &::PorHouse;
  static constexpr auto RegHouse = &::RegHouse;
  static constexpr auto MeridHouse = &::MeridHouse;
  static constexpr auto EqHouse = &::EqHouse;
};

/* Cusps[1..12] of a system from sidereal time (hours), latitude (degrees, north positive),
 * obliquity (radians) and ZodiacOffset (degrees), as the system's export computes them; in Equal
 * houses the Midheaven goes to Cusps[0] (Equal's separate angle results are dropped). Returns
 * false, leaving Cusps as they are, for None and codes above 9. Cusp 1 is the Ascendant rising in
 * the east in every system that takes it (not Meridian or Morinus), at any latitude. Raises what
 * the export raises: EphemArithmeticError where Placidus or Koch have no cusps, for a null array
 * or a highest index below 12, and for a non-finite sidereal time, latitude, obliquity or offset.
 */
template <class Exports>
bool HouseCusps(const Exports& lib, HouseSystem system, double* cusps, int32_t cuspsHigh,
                double siderealTime, double latitude, double obliquity, double zodiacOffset) {
  double ascendant = 0;
  double midheaven = 0;
  switch (system) {
    case HouseSystem::Placidus:
      lib.PlacHouse(cusps, cuspsHigh, siderealTime, latitude, obliquity, zodiacOffset);
      return true;
    case HouseSystem::Koch:
      lib.KochHouse(cusps, cuspsHigh, siderealTime, latitude, obliquity, zodiacOffset);
      return true;
    case HouseSystem::Campanus:
      lib.CampHouse(cusps, cuspsHigh, latitude, siderealTime, obliquity, zodiacOffset);
      return true;
    case HouseSystem::Topocentric:
      lib.TopHouse(cusps, cuspsHigh, siderealTime, latitude, obliquity, zodiacOffset);
      return true;
    case HouseSystem::Morinus:
      lib.MorHouse(cusps, cuspsHigh, siderealTime, latitude, obliquity, zodiacOffset);
      return true;
    case HouseSystem::Porphyry:
      lib.PorHouse(cusps, cuspsHigh, siderealTime, latitude, obliquity, zodiacOffset);
      return true;
    case HouseSystem::Regiomontanus:
      lib.RegHouse(cusps, cuspsHigh, siderealTime, latitude, obliquity, zodiacOffset);
      return true;
    case HouseSystem::Meridian:
      lib.MeridHouse(cusps, cuspsHigh, siderealTime, latitude, obliquity, zodiacOffset);
      return true;
    case HouseSystem::Equal:
      lib.EqHouse(&ascendant, &midheaven, siderealTime, latitude, zodiacOffset, obliquity, cusps,
                  cuspsHigh);
      return true;
    case HouseSystem::None:
      break;
  }
  return false;
}

}  // namespace ephem

#endif
