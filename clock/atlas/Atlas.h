// SPDX-License-Identifier: GPL-3.0-or-later
// The offline atlas: find a town by the first letters of its name, for its latitude, longitude
// and time zone. The data are GeoNames' towns of 15 000 people or more, read from Debian's
// libtimezonemap-data the first time a search needs them, so a start that never searches pays
// nothing.
#ifndef HELIODIAL_ATLAS_H
#define HELIODIAL_ATLAS_H

#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

// The credit the data's licence (CC-BY-4.0) asks for, for the About window.
inline constexpr const char* kAtlasCredit =
    "Places from GeoNames (https://www.geonames.org/), CC-BY-4.0.";

// The Debian package that holds the place list, for messages.
inline constexpr const char* kAtlasPackage = "libtimezonemap-data";

struct AtlasPlace {
  QString name;            // as GeoNames spells it in its own language: "São Paulo"
  QString country;         // "United Kingdom"
  QString region;          // first-level division: "England"; empty where GeoNames names none
  QString zoneName;        // IANA zone: "Europe/London"
  double latitude = 0.0;   // degrees, north positive
  double longitude = 0.0;  // degrees, east positive (GeoNames' sign, not the settings')
  qint64 population = 0;
};

// "London, England, United Kingdom"; the region is left out where it repeats the name
// ("Berlin, Germany") or is unknown.
QString PlaceLabel(const AtlasPlace& place);

// A place as the settings store it: whole degrees and minutes (the seconds dropped, as a
// printed atlas gives them), with the hemispheres of the Place keys: NS = north ? 1 : 0,
// EW = west ? 1 : 0.
struct PlaceAngles {
  int latD = 0, latM = 0;
  bool north = true;
  int longD = 0, longM = 0;
  bool west = false;
};
PlaceAngles PlaceAnglesOf(const AtlasPlace& place);

// "51°30'N 0°07'W".
QString PlaceAnglesText(const AtlasPlace& place);

// The town an IANA zone is named after ("Europe/London" -> "London", "America/Argentina/
// Buenos_Aires" -> "Buenos Aires"); empty for zones named after no town ("UTC", "Etc/GMT+2").
QString ZoneMainCity(const QString& zoneId);

// Names as a search compares them: accents and case dropped, punctuation as spaces
// ("Saint-Étienne" -> "saint etienne", "Straße" -> "strasse").
QString AtlasKey(const QString& text);

// The one place a name means, for a command line: the best match, unless another place matches
// as well and is not far smaller (a fifth of the population or more), as with "Springfield".
struct PlaceLookup {
  enum class Result { Found, Ambiguous, NotFound, NotInstalled };
  Result result = Result::NotFound;
  AtlasPlace place;                    // when Found
  std::vector<AtlasPlace> candidates;  // when Ambiguous, best first
  QString message;                     // when not Found: one sentence for the user
};

// One loaded place list. Searching is const and safe from any thread.
class Atlas {
 public:
  // Reads cities15000.txt, admin1Codes.txt and countryInfo.txt from the folder; a missing or
  // unreadable list leaves the atlas empty with Problem() saying why.
  explicit Atlas(const QString& folder);
  ~Atlas();
  Atlas(const Atlas&) = delete;
  Atlas& operator=(const Atlas&) = delete;

  // Empty when the list was read; otherwise one sentence for the user.
  const QString& Problem() const;
  int Size() const;

  // Places whose name (or its ASCII spelling, or one of GeoNames' alternate names) begins with
  // what was typed, accents and case aside: exact names first, then by population. Text after a
  // comma narrows by region or country: "London, Canada", "Springfield, Illinois".
  std::vector<AtlasPlace> Search(const QString& typed, int limit) const;

  PlaceLookup LookUp(const QString& typed) const;

 private:
  struct Data;
  std::unique_ptr<Data> d_;
};

// Debian's folder of the place list, or $HELIODIAL_ATLAS_DIR when set (tests, other layouts).
QString AtlasFolder();

// The process's atlas, read from Debian's folder (or $HELIODIAL_ATLAS_DIR) on first use; the
// first caller reads it and any other caller meanwhile waits for it.
const Atlas& SharedAtlas();

// SharedAtlas().Search(typed, limit) and SharedAtlas().LookUp(typed).
std::vector<AtlasPlace> SearchPlaces(const QString& typed, int limit);
PlaceLookup LookUpPlace(const QString& typed);

#endif
