// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/LibraryImports.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

template <typename F>
void bind(F& slot, const EphemExport* table, int32_t count, int32_t ordinal, const char* name) {
  if (ordinal < 1 || ordinal > count || table[ordinal - 1].ordinal != ordinal ||
      std::strcmp(table[ordinal - 1].name, name) != 0 || !table[ordinal - 1].address) {
    throw std::runtime_error("ephemlib does not export " + std::string(name) + " as ordinal " +
                             std::to_string(ordinal) + "; the library and the clock do not match");
  }
  slot = reinterpret_cast<F>(table[ordinal - 1].address);
}

LibraryImports bindAll() {
  int32_t count = 0;
  const EphemExport* table = EphemlibExportTable(&count);
  LibraryImports imports;
  bind(imports.RealToDegree, table, count, 5, "RealToDegree");
  bind(imports.CampHouse, table, count, 7, "CampHouse");
  bind(imports.EqHouse, table, count, 8, "EqHouse");
  bind(imports.GetHouseSize, table, count, 11, "GetHouseSize");
  bind(imports.JulDay, table, count, 13, "JulDay");
  bind(imports.KochHouse, table, count, 14, "KochHouse");
  bind(imports.MakeSign, table, count, 15, "MakeSign");
  bind(imports.MeridHouse, table, count, 16, "MeridHouse");
  bind(imports.MorHouse, table, count, 17, "MorHouse");
  bind(imports.PlacHouse, table, count, 18, "PlacHouse");
  bind(imports.PorHouse, table, count, 19, "PorHouse");
  bind(imports.RegHouse, table, count, 20, "RegHouse");
  bind(imports.SidTime, table, count, 22, "SidTime");
  bind(imports.TopHouse, table, count, 23, "TopHouse");
  bind(imports.FindPlanetHouse, table, count, 34, "FindPlanetHouse");
  bind(imports.DistanceFromCusp, table, count, 35, "DistanceFromCusp");
  bind(imports.InitialisePlanets, table, count, 36, "InitialisePlanets");
  bind(imports.PlanetCalc, table, count, 37, "PlanetCalc");
  return imports;
}

}  // namespace

const LibraryImports& libraryImports() {
  static const LibraryImports imports = bindAll();
  return imports;
}
