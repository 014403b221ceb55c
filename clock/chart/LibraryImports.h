// SPDX-License-Identifier: GPL-3.0-or-later
// The 18 ephemlib functions the clock uses, bound by ordinal at start-up as the library's hosts do.
#ifndef HELIODIAL_LIBRARYIMPORTS_H
#define HELIODIAL_LIBRARYIMPORTS_H

#include <cstdint>

#include "ephemlib.h"

struct LibraryImports {
  decltype(&::JulDay) JulDay = nullptr;                        // 13
  decltype(&::SidTime) SidTime = nullptr;                      // 22
  decltype(&::MakeSign) MakeSign = nullptr;                    // 15
  decltype(&::RealToDegree) RealToDegree = nullptr;            // 5
  decltype(&::InitialisePlanets) InitialisePlanets = nullptr;  // 36
  decltype(&::PlanetCalc) PlanetCalc = nullptr;                // 37
  decltype(&::PlacHouse) PlacHouse = nullptr;                  // 18
  decltype(&::KochHouse) KochHouse = nullptr;                  // 14
  decltype(&::CampHouse) CampHouse = nullptr;                  // 7
  decltype(&::TopHouse) TopHouse = nullptr;                    // 23
  decltype(&::MorHouse) MorHouse = nullptr;                    // 17
  decltype(&::PorHouse) PorHouse = nullptr;                    // 19
  decltype(&::RegHouse) RegHouse = nullptr;                    // 20
  decltype(&::MeridHouse) MeridHouse = nullptr;                // 16
  decltype(&::EqHouse) EqHouse = nullptr;                      // 8
  decltype(&::GetHouseSize) GetHouseSize = nullptr;            // 11
  decltype(&::FindPlanetHouse) FindPlanetHouse = nullptr;      // 34
  decltype(&::DistanceFromCusp) DistanceFromCusp = nullptr;    // 35
};

// Binds every import through EphemlibExportTable by its ordinal, checking each name; throws
// std::runtime_error naming the ordinal when the library does not offer what the clock needs.
const LibraryImports& libraryImports();

#endif
