// SPDX-License-Identifier: GPL-3.0-or-later
// The offline atlas on Debian's place list, a small list of its own for the file's odd corners,
// and the "Find place..." search as a user types into it.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <vector>

#include "PlaceSearch.h"
#include "atlas/Atlas.h"
#include "support/application.h"

namespace {

// First in the file, so that these searches are the ones that load the list: four threads ask
// at once and each gets the whole list, read once.
TEST(Atlas, SearchesBeforeTheLoadWaitForIt) {
  std::vector<std::future<std::vector<AtlasPlace>>> searches;
  for (int i = 0; i < 4; ++i) {
    searches.push_back(std::async(std::launch::async, [] { return SearchPlaces("Berl", 5); }));
  }
  for (auto& search : searches) {
    const std::vector<AtlasPlace> found = search.get();
    ASSERT_FALSE(found.empty()) << SharedAtlas().Problem().toStdString();
    EXPECT_EQ(found.front().name, "Berlin");
  }
  EXPECT_GT(SharedAtlas().Size(), 20000);
}

TEST(Atlas, LondonIsLondonEngland) {
  const std::vector<AtlasPlace> found = SearchPlaces("London", 10);
  ASSERT_GE(found.size(), 2u);
  const AtlasPlace& london = found.front();
  EXPECT_EQ(PlaceLabel(london), "London, England, United Kingdom");
  EXPECT_EQ(london.zoneName, "Europe/London");
  EXPECT_EQ(PlaceAnglesText(london), QString::fromUtf8("51\u00B030'N 0\u00B007'W"));
  const PlaceAngles a = PlaceAnglesOf(london);
  EXPECT_EQ(a.latD, 51);
  EXPECT_EQ(a.latM, 30);
  EXPECT_TRUE(a.north);
  EXPECT_EQ(a.longD, 0);
  EXPECT_EQ(a.longM, 7);
  EXPECT_TRUE(a.west);
  // Every place named exactly London comes before Londonderry and the other longer names.
  bool pastExact = false;
  for (const AtlasPlace& place : found) {
    if (place.name != "London") pastExact = true;
    EXPECT_FALSE(pastExact && place.name == "London") << PlaceLabel(place).toStdString();
  }
  EXPECT_EQ(PlaceLabel(found[1]), "London, Ontario, Canada");
}

TEST(Atlas, TypedNamesFindTheirTown) {
  const struct {
    const char* typed;
    const char* label;  // of the first match
  } cases[] = {
      {"Berl", "Berlin, Germany"},
      {"Sao Paulo", "S\u00E3o Paulo, Brazil"},
      {"s\u00E3o paulo", "S\u00E3o Paulo, Brazil"},
      {"SAO PAU", "S\u00E3o Paulo, Brazil"},
      {"  london  ", "London, England, United Kingdom"},
      // Alternate names, and letters that do not decompose.
      {"M\u00FCnchen", "Munich, Bavaria, Germany"},
      {"Munchen", "Munich, Bavaria, Germany"},
      {"Koln", "K\u00F6ln, North Rhine-Westphalia, Germany"},
      {"Koeln", "K\u00F6ln, North Rhine-Westphalia, Germany"},
      {"lodz", "\u0141\u00F3d\u017A, \u0141\u00F3d\u017A Voivodeship, Poland"},
      {"saint etienne", "Saint-\u00C9tienne, Rh\u00F4ne-Alpes, France"},
      // After a comma: the region or the country, or its code.
      {"London, Canada", "London, Ontario, Canada"},
      {"london, on", "London, Ontario, Canada"},
      {"London,CA", "London, Ontario, Canada"},
      {"Springfield, Illinois", "Springfield, Illinois, United States"},
  };
  for (const auto& c : cases) {
    const std::vector<AtlasPlace> found = SearchPlaces(QString::fromUtf8(c.typed), 5);
    ASSERT_FALSE(found.empty()) << c.typed;
    EXPECT_EQ(PlaceLabel(found.front()), QString::fromUtf8(c.label)) << c.typed;
  }
}

TEST(Atlas, NothingTypedOrNothingLikeAPlaceFindsNothing) {
  for (const QString& typed : {QString(), QStringLiteral("   "), QStringLiteral(",,,"),
                               QStringLiteral("''-."), QStringLiteral("xqzxqzxqz"),
                               QStringLiteral("London, Atlantis"), QString::fromUtf8("\U0001F600"),
                               QString(10000, QLatin1Char('a')), QStringLiteral("Lon\ndon")}) {
    EXPECT_TRUE(SearchPlaces(typed, 10).empty()) << typed.left(20).toStdString();
  }
  EXPECT_TRUE(SearchPlaces("London", 0).empty());
  EXPECT_EQ(SearchPlaces("s", 7).size(), 7u);
}

TEST(Atlas, KeysDropAccentsCaseAndPunctuation) {
  const struct {
    const char* text;
    const char* key;
  } cases[] = {{"Saint-\u00C9tienne", "saint etienne"},
               {"Stra\u00DFe", "strasse"},
               {"  \u0141\u00F3d\u017A ", "lodz"},
               {"L'Aquila", "laquila"},
               {"St. John\u2019s", "st johns"},
               {"K\u00F8benhavn", "kobenhavn"},
               {"\u01D6", "u"},
               {"\u041C\u043E\u0441\u043A\u0432\u0430", "\u043C\u043E\u0441\u043A\u0432\u0430"},
               {"--", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(AtlasKey(QString::fromUtf8(c.text)), QString::fromUtf8(c.key)) << c.text;
}

TEST(Atlas, OneNameOnePlaceOrTheCandidates) {
  const PlaceLookup london = LookUpPlace("London");
  EXPECT_EQ(london.result, PlaceLookup::Result::Found) << london.message.toStdString();
  EXPECT_EQ(london.place.zoneName, "Europe/London");

  const PlaceLookup springfield = LookUpPlace("springfield");
  ASSERT_EQ(springfield.result, PlaceLookup::Result::Ambiguous);
  ASSERT_GE(springfield.candidates.size(), 3u);
  for (const AtlasPlace& place : springfield.candidates) EXPECT_EQ(place.name, "Springfield");
  EXPECT_TRUE(springfield.message.contains("Springfield, Missouri"))
      << springfield.message.toStdString();
  EXPECT_EQ(LookUpPlace("Springfield, Illinois").place.region, "Illinois");

  const PlaceLookup nowhere = LookUpPlace("Xqzxqz");
  EXPECT_EQ(nowhere.result, PlaceLookup::Result::NotFound);
  EXPECT_TRUE(nowhere.message.contains("\"Xqzxqz\"")) << nowhere.message.toStdString();
}

// A list of our own: the file's odd lines, missing region and country files, southern and
// eastern hemispheres, and minutes that must not round up.
TEST(Atlas, OwnListReadsWhatItCanAndSaysWhatIsMissing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const Atlas missing(dir.path());
  EXPECT_TRUE(
      missing.Problem().startsWith("The place list is not installed (package libtimezonemap-data)"))
      << missing.Problem().toStdString();
  EXPECT_TRUE(missing.Search("London", 5).empty());
  EXPECT_EQ(missing.LookUp("London").result, PlaceLookup::Result::NotInstalled);

  QFile cities(dir.filePath("cities15000.txt"));
  ASSERT_TRUE(cities.open(QIODevice::WriteOnly));
  const auto row = [](const char* name, const char* alternates, const char* lat, const char* lon,
                      const char* code, const char* population) {
    return QByteArray("1\t") + name + "\t" + name + "\t" + alternates + "\t" + lat + "\t" + lon +
           "\tP\t" + code + "\tXX\t\t01\t\t\t\t" + population + "\t\t5\tEtc/UTC\t2020-01-01";
  };
  cities.write("# a comment line\n");
  cities.write(row("Southeast", "", "-33.999999", "151.5", "PPL", "100") + "\r\n");
  cities.write(row("Bad Latitude", "", "north", "1", "PPL", "100") + "\n");
  cities.write(row("Too Far", "", "91", "1", "PPL", "100") + "\n");
  cities.write(row("Old Town", "", "1", "1", "PPLH", "100") + "\n");
  cities.write("short\tline\n\n");
  cities.write(
      row("Second", "Zweite,Deuxi\u00E8me", "10", "-20", "PPL", "50"));  // no final newline
  cities.close();
  const Atlas own(dir.path());
  EXPECT_TRUE(own.Problem().isEmpty()) << own.Problem().toStdString();
  EXPECT_EQ(own.Size(), 2);
  const std::vector<AtlasPlace> south = own.Search("south", 5);
  ASSERT_EQ(south.size(), 1u);
  EXPECT_EQ(PlaceLabel(south.front()), "Southeast, XX") << "the country's code without its name";
  EXPECT_EQ(PlaceAnglesText(south.front()), QString::fromUtf8("33\u00B059'S 151\u00B030'E"));
  EXPECT_EQ(own.Search("deuxieme", 5).size(), 1u);
  EXPECT_TRUE(own.Search("old", 5).empty());

  {
    QFile regions(dir.filePath("admin1Codes.txt"));
    ASSERT_TRUE(regions.open(QIODevice::WriteOnly));
    regions.write("XX.01\tFirst Province\tFirst Province\t7\n");
    QFile countries(dir.filePath("countryInfo.txt"));
    ASSERT_TRUE(countries.open(QIODevice::WriteOnly));
    countries.write("#ISO\tISO3\n\nXX\tXXX\t999\tXX\tExampleland\tCapital\n");
  }
  const Atlas named(dir.path());
  EXPECT_EQ(PlaceLabel(named.Search("zweite", 5).at(0)), "Second, First Province, Exampleland");
  EXPECT_EQ(named.Search("second, exampleland", 5).size(), 1u);
  EXPECT_TRUE(named.Search("second, first province, elsewhere", 5).empty());
}

TEST(PlaceSearchWidget, TypingListsMatchesAndChoosingOnlyEmits) {
  EnsureApplication<QApplication>();
  PlaceSearch search;
  search.show();
  EXPECT_EQ(search.line()->placeholderText(), "Find place...");
  EXPECT_FALSE(search.line()->accessibleName().isEmpty());
  QSignalSpy chosen(&search, &PlaceSearch::placeChosen);

  search.line()->setFocus();
  QTest::keyClicks(search.line(), "Berl");
  ASSERT_FALSE(search.results().empty());
  EXPECT_EQ(search.results().front().name, "Berlin");
  EXPECT_TRUE(chosen.isEmpty()) << "typing chooses nothing";

  search.choose(0);
  ASSERT_EQ(chosen.size(), 1);
  const auto place = chosen.front().front().value<AtlasPlace>();
  EXPECT_EQ(place.zoneName, "Europe/Berlin");
  EXPECT_EQ(search.line()->text(), "Berlin, Germany");
  search.choose(99);  // no such row
  EXPECT_EQ(chosen.size(), 1);

  search.line()->clear();
  QTest::keyClicks(search.line(), "xqzxqz");
  EXPECT_TRUE(search.results().empty());
  const auto* status = search.findChild<QLabel*>();
  ASSERT_NE(status, nullptr);
  EXPECT_FALSE(status->accessibleName().isEmpty());
  EXPECT_EQ(status->text(), "No place found");
  for (const QWidget* widget : search.findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
  }
}

}  // namespace
