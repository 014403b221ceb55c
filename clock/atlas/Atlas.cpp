// SPDX-License-Identifier: GPL-3.0-or-later
#include "atlas/Atlas.h"

// Where the places come from. Debian ships GeoNames' data twice: inside libgeonames0 (behind a
// GLib API) and as the plain dump files of libtimezonemap-data. The library was tried first and
// does not serve: one geonames_query_cities_sync() takes 300-450 ms on this kind of machine (it
// translates and scans every name on each call), it matches words anywhere in a name ("Berl"
// offers "New Berlin", "London" offers "East London") instead of the beginning, and it knows no
// alternate names ("München", "Koln" find nothing). The dump files have the same towns with
// their ASCII and alternate names, the first-level regions and the countries, so they are read
// here with Qt and indexed once: a search is then a binary search in a sorted key list.

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QHash>
#include <QStringView>
#include <algorithm>
#include <cmath>

namespace {

// Letters that Unicode does not decompose into a base letter and marks, as people type them
// without a special keyboard.
QStringView plainSpelling(char16_t c) {
  switch (c) {
    case u'ß':
    case u'ẞ':
      return u"ss";
    case u'æ':
    case u'Æ':
      return u"ae";
    case u'œ':
    case u'Œ':
      return u"oe";
    case u'ø':
    case u'Ø':
      return u"o";
    case u'ł':
    case u'Ł':
      return u"l";
    case u'đ':
    case u'Đ':
    case u'ð':
    case u'Ð':
      return u"d";
    case u'þ':
    case u'Þ':
      return u"th";
    case u'ı':
      return u"i";
    case u'ħ':
    case u'Ħ':
      return u"h";
    default:
      return {};
  }
}

bool isApostrophe(char16_t c) {
  return c == u'\'' || c == u'\u2019' || c == u'\u02BC' || c == u'\u02BB' || c == u'`';
}

// The base letters of one character, its marks dropped ("ǖ" -> "u").
void appendBase(QString& out, QChar c) {
  const QStringView plain = plainSpelling(c.unicode());
  if (!plain.isEmpty()) {
    out += plain;
    return;
  }
  if (c.isMark()) return;
  if (c.decompositionTag() != QChar::NoDecomposition) {
    const QString parts = c.decomposition();
    if (parts.size() != 1 || parts.front() != c) {
      for (const QChar part : parts) appendBase(out, part);
      return;
    }
  }
  if (c.isLetterOrNumber()) {
    out += QChar(static_cast<char16_t>(QChar::toCaseFolded(c.unicode())));
  } else {
    out += QLatin1Char(' ');
  }
}

// GeoNames' latitude or longitude, or NaN.
double parseAngle(QByteArrayView text) {
  bool ok = false;
  const double value = text.toDouble(&ok);
  return ok ? value : std::nan("");
}

// Tab-separated lines of a GeoNames dump file; '#' starts a comment line.
template <typename Row>
void forEachRow(const QByteArray& bytes, Row row) {
  std::vector<QByteArrayView> fields;
  qsizetype start = 0;
  while (start < bytes.size()) {
    qsizetype end = bytes.indexOf('\n', start);
    if (end < 0) end = bytes.size();
    QByteArrayView line(bytes.constData() + start, end - start);
    start = end + 1;
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty() || line.front() == '#') continue;
    fields.clear();
    qsizetype from = 0;
    for (;;) {
      const qsizetype tab = line.indexOf('\t', from);
      fields.push_back(line.sliced(from, (tab < 0 ? line.size() : tab) - from));
      if (tab < 0) break;
      from = tab + 1;
    }
    row(fields);
  }
}

QString text(QByteArrayView bytes) { return QString::fromUtf8(bytes); }

// How well a place matched: lower is better.
enum Tier : quint8 { ExactName, ExactAlternate, NamePrefix, AlternatePrefix, NoMatch };

}  // namespace

QString AtlasKey(const QString& typed) {
  QString spelled;
  spelled.reserve(typed.size());
  for (qsizetype i = 0; i < typed.size(); ++i) {
    const QChar c = typed[i];
    if (c.unicode() < 0x80) {
      if (c.isLetterOrNumber()) {
        spelled += c.toLower();
      } else if (!isApostrophe(c.unicode())) {
        spelled += QLatin1Char(' ');
      }
    } else if (c.isSurrogate()) {
      spelled += c;  // scripts beyond the first plane are compared as typed
    } else if (!isApostrophe(c.unicode())) {
      appendBase(spelled, c);
    }
  }
  // One space between words, none at the ends.
  QString key;
  key.reserve(spelled.size());
  for (const QChar c : spelled) {
    if (c == QLatin1Char(' ') && (key.isEmpty() || key.back() == QLatin1Char(' '))) continue;
    key += c;
  }
  if (key.endsWith(QLatin1Char(' '))) key.chop(1);
  return key;
}

QString PlaceLabel(const AtlasPlace& place) {
  QStringList parts{place.name};
  if (!place.region.isEmpty() && AtlasKey(place.region) != AtlasKey(place.name)) {
    parts << place.region;
  }
  if (!place.country.isEmpty()) parts << place.country;
  return parts.join(QStringLiteral(", "));
}

PlaceAngles PlaceAnglesOf(const AtlasPlace& place) {
  // Whole minutes, the seconds dropped; the tiny epsilon keeps 51.5 (exactly 3090 minutes in
  // decimal) from falling to 3089.999... in binary.
  const auto minutes = [](double degrees) {
    return static_cast<int>(std::floor(std::abs(degrees) * 60.0 + 1e-9));
  };
  PlaceAngles angles;
  const int lat = minutes(place.latitude);
  const int lon = minutes(place.longitude);
  angles.latD = lat / 60;
  angles.latM = lat % 60;
  angles.north = place.latitude >= 0.0;
  angles.longD = lon / 60;
  angles.longM = lon % 60;
  angles.west = place.longitude < 0.0;
  return angles;
}

QString PlaceAnglesText(const AtlasPlace& place) {
  const PlaceAngles a = PlaceAnglesOf(place);
  return QStringLiteral("%1\u00B0%2'%3 %4\u00B0%5'%6")
      .arg(a.latD)
      .arg(a.latM, 2, 10, QLatin1Char('0'))
      .arg(a.north ? QLatin1Char('N') : QLatin1Char('S'))
      .arg(a.longD)
      .arg(a.longM, 2, 10, QLatin1Char('0'))
      .arg(a.west ? QLatin1Char('W') : QLatin1Char('E'));
}

struct Atlas::Data {
  QString problem;
  std::vector<AtlasPlace> places;
  std::vector<QString> regionKeys, countryKeys, countryCodes;  // for "Name, Region" searches
  // Every name of every place as a key, all in one string; the index is sorted by key.
  QString keys;
  struct Entry {
    qsizetype offset;
    qsizetype length;
    int place;
    bool alternate;
  };
  std::vector<Entry> index;

  QStringView key(const Entry& e) const { return QStringView(keys).mid(e.offset, e.length); }

  struct Ranked {
    int place;
    Tier tier;
  };
  std::vector<Ranked> rank(const QString& typed, int limit) const;
};

namespace {

QByteArray readFile(const QString& path, QString* problem) {
  QFile file(path);
  if (!file.exists()) return {};
  if (!file.open(QIODevice::ReadOnly)) {
    if (problem)
      *problem =
          QStringLiteral("The place list %1 cannot be read: %2.").arg(path, file.errorString());
    return {};
  }
  return file.readAll();
}

}  // namespace

Atlas::Atlas(const QString& folder) : d_(std::make_unique<Data>()) {
  const QString citiesPath = folder + QStringLiteral("/cities15000.txt");
  if (!QFile::exists(citiesPath)) {
    d_->problem = QStringLiteral("The place list is not installed (package %1): %2 is missing.")
                      .arg(QLatin1String(kAtlasPackage), citiesPath);
    return;
  }
  const QByteArray cities = readFile(citiesPath, &d_->problem);
  if (!d_->problem.isEmpty()) return;

  // Regions and countries are optional: without them a place shows its codes' names as known.
  QHash<QByteArray, QString> regions, countries;
  forEachRow(readFile(folder + QStringLiteral("/admin1Codes.txt"), nullptr),
             [&](const std::vector<QByteArrayView>& f) {
               if (f.size() >= 2) regions.insert(f[0].toByteArray(), text(f[1]));
             });
  forEachRow(readFile(folder + QStringLiteral("/countryInfo.txt"), nullptr),
             [&](const std::vector<QByteArrayView>& f) {
               if (f.size() >= 5) countries.insert(f[0].toByteArray(), text(f[4]));
             });
  QHash<QString, QString> keyOf;  // one key string per region or country, shared by its places
  const auto sharedKey = [&keyOf](const QString& name) {
    auto it = keyOf.find(name);
    if (it == keyOf.end()) it = keyOf.insert(name, AtlasKey(name));
    return *it;
  };

  std::vector<QString> names;
  forEachRow(cities, [&](const std::vector<QByteArrayView>& f) {
    if (f.size() < 18) return;
    // Historical, abandoned and destroyed places are no one's home today.
    const QByteArrayView code = f[7];
    if (code == "PPLH" || code == "PPLQ" || code == "PPLW") return;
    AtlasPlace place;
    place.name = text(f[1]);
    place.latitude = parseAngle(f[4]);
    place.longitude = parseAngle(f[5]);
    if (place.name.isEmpty() || !std::isfinite(place.latitude) || !std::isfinite(place.longitude) ||
        std::abs(place.latitude) > 90.0 || std::abs(place.longitude) > 180.0) {
      return;
    }
    const QByteArray country = f[8].toByteArray();
    place.country = countries.value(country, text(f[8]));
    place.region = regions.value(country + '.' + f[10].toByteArray());
    place.zoneName = text(f[17]);
    place.population = f[14].toLongLong();
    const int number = static_cast<int>(d_->places.size());

    // The place's keys, each once: its name, its ASCII spelling, its alternate names.
    names.clear();
    const auto add = [&](const QString& name, bool alternate) {
      const QString key = AtlasKey(name);
      if (key.isEmpty() || std::find(names.begin(), names.end(), key) != names.end()) return;
      names.push_back(key);
      d_->index.push_back({d_->keys.size(), key.size(), number, alternate});
      d_->keys += key;
    };
    add(place.name, false);
    add(text(f[2]), false);
    for (const QByteArrayView alternate : QByteArrayView(f[3]).toByteArray().split(',')) {
      add(text(alternate), true);
    }
    d_->regionKeys.push_back(sharedKey(place.region));
    d_->countryKeys.push_back(sharedKey(place.country));
    d_->countryCodes.push_back(text(f[8]).toLower());
    d_->places.push_back(std::move(place));
  });
  if (d_->places.empty()) {
    d_->problem = QStringLiteral("The place list %1 holds no places.").arg(citiesPath);
    return;
  }
  std::sort(d_->index.begin(), d_->index.end(),
            [this](const Data::Entry& a, const Data::Entry& b) { return d_->key(a) < d_->key(b); });
}

Atlas::~Atlas() = default;

const QString& Atlas::Problem() const { return d_->problem; }

int Atlas::Size() const { return static_cast<int>(d_->places.size()); }

std::vector<Atlas::Data::Ranked> Atlas::Data::rank(const QString& typed, int limit) const {
  if (limit <= 0) return {};
  QStringList parts = typed.split(QLatin1Char(','));
  const QString wanted = AtlasKey(parts.takeFirst());
  if (wanted.isEmpty()) return {};
  QStringList qualifiers;
  for (const QString& part : parts) {
    const QString key = AtlasKey(part);
    if (!key.isEmpty()) qualifiers << key;
  }

  // Every key that begins with what was typed lies in one run of the sorted index.
  auto it = std::lower_bound(index.begin(), index.end(), wanted,
                             [this](const Entry& e, const QString& k) { return key(e) < k; });
  std::vector<Ranked> found;
  QHash<int, std::size_t> seen;
  for (; it != index.end() && key(*it).startsWith(wanted); ++it) {
    const bool exact = it->length == wanted.size();
    const Tier tier = exact ? (it->alternate ? ExactAlternate : ExactName)
                            : (it->alternate ? AlternatePrefix : NamePrefix);
    const auto known = seen.constFind(it->place);
    if (known != seen.cend()) {
      found[*known].tier = std::min(found[*known].tier, tier);
      continue;
    }
    const int p = it->place;
    const bool qualified = std::all_of(qualifiers.begin(), qualifiers.end(), [&](const QString& q) {
      return regionKeys[p].startsWith(q) || countryKeys[p].startsWith(q) || countryCodes[p] == q;
    });
    if (!qualified) continue;
    seen.insert(p, found.size());
    found.push_back({p, tier});
  }
  const auto better = [this](const Ranked& a, const Ranked& b) {
    if (a.tier != b.tier) return a.tier < b.tier;
    const AtlasPlace& x = places[a.place];
    const AtlasPlace& y = places[b.place];
    if (x.population != y.population) return x.population > y.population;
    return a.place < b.place;
  };
  const std::size_t count = std::min(found.size(), static_cast<std::size_t>(limit));
  std::partial_sort(found.begin(), found.begin() + count, found.end(), better);
  found.resize(count);
  return found;
}

std::vector<AtlasPlace> Atlas::Search(const QString& typed, int limit) const {
  std::vector<AtlasPlace> result;
  for (const Data::Ranked& r : d_->rank(typed, limit)) result.push_back(d_->places[r.place]);
  return result;
}

PlaceLookup Atlas::LookUp(const QString& typed) const {
  PlaceLookup lookup;
  if (!d_->problem.isEmpty()) {
    lookup.result = PlaceLookup::Result::NotInstalled;
    lookup.message = d_->problem;
    return lookup;
  }
  const std::vector<Data::Ranked> ranked = d_->rank(typed, 50);
  if (ranked.empty()) {
    lookup.message =
        QStringLiteral("No place in the place list is called \"%1\".").arg(typed.trimmed());
    return lookup;
  }
  // The places that match as well as the best; a far smaller one of the same name does not
  // make the name ambiguous (London, Ontario beside London, England).
  std::vector<AtlasPlace> rivals;
  for (const Data::Ranked& r : ranked) {
    if (r.tier == ranked.front().tier) rivals.push_back(d_->places[r.place]);
  }
  if (rivals.size() >= 2 && rivals[1].population * 5 >= rivals[0].population) {
    lookup.result = PlaceLookup::Result::Ambiguous;
    lookup.candidates = std::move(rivals);
    lookup.message =
        QStringLiteral(
            "\"%1\" names several places; add the region or country after a comma, "
            "as in \"%2\":")
            .arg(typed.trimmed(), lookup.candidates.front().name + QStringLiteral(", ") +
                                      (lookup.candidates.front().region.isEmpty()
                                           ? lookup.candidates.front().country
                                           : lookup.candidates.front().region));
    return lookup;
  }
  lookup.result = PlaceLookup::Result::Found;
  lookup.place = rivals.front();
  return lookup;
}

QString AtlasFolder() {
  return qEnvironmentVariableIsSet("HELIODIAL_ATLAS_DIR")
             ? qEnvironmentVariable("HELIODIAL_ATLAS_DIR")
             : QStringLiteral(HELIODIAL_ATLAS_DIR);
}

const Atlas& SharedAtlas() {
  // A function-local static is built once, and a second thread asking meanwhile waits for it.
  static const Atlas atlas(AtlasFolder());
  return atlas;
}

std::vector<AtlasPlace> SearchPlaces(const QString& typed, int limit) {
  return SharedAtlas().Search(typed, limit);
}

PlaceLookup LookUpPlace(const QString& typed) { return SharedAtlas().LookUp(typed); }

QString ZoneMainCity(const QString& zoneId) {
  const int slash = zoneId.lastIndexOf(QLatin1Char('/'));
  if (slash < 0 || zoneId.startsWith(QStringLiteral("Etc/"))) return {};
  QString town = zoneId.mid(slash + 1);
  town.replace(QLatin1Char('_'), QLatin1Char(' '));
  return town;
}
