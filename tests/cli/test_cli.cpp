// SPDX-License-Identifier: GPL-3.0-or-later
// heliodial-chart as a user runs it: the real program on a real settings file in a private folder.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "support/companion.h"
#include "support/fixtures.h"

namespace {

class ChartCompanion : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    settings(kEquatorAtGreenwich);
  }
  void settings(const std::string& contents) {
    std::ofstream(home.filePath("helidial.ini").toStdString()) << contents;
  }
  Outcome run(const QStringList& args, const QString& zone = QStringLiteral("UTC"),
              const std::function<void(QProcess&)>& prepare = {}) {
    return RunCompanion({home.path(), zone, {}, prepare}, args);
  }
  // A shell line for raw bytes and redirections, with the companion as $0.
  Outcome shell(const QString& line) { return RunCompanion({home.path(), {}, {}}, {line}, true); }
  QTemporaryDir home;
};

TEST_F(ChartCompanion, BadArgumentsGiveOneLineAndStatusTwo) {
  const QStringList bad[] = {{"--at", "2000-13-01 12:00"},
                             {"--at"},
                             {"--size", "12"},
                             {"--wheel", "out.bmp"},
                             {"--frobnicate"},
                             {"--size", "lots"},
                             {"--wheel", "png"},
                             {"--at", "2000-01-01 24:00"},
                             // A line break or an escape in an argument stays on one line.
                             {"two\nlines"},
                             {"--at", "\x1b[31m\n"},
                             {"--ephemeris", "exact"},
                             {"--ephemeris"},
                             {"--place", "Xqzxqz"},
                             {"--place", ", -"},
                             {"--place"},
                             {"--zone", "Mars/Olympus"},
                             {"--zone", ""}};
  for (const QStringList& args : bad) {
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
}

TEST_F(ChartCompanion, HelpListsEveryOptionAndVersionSaysWhich) {
  const Outcome help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--at", "--json", "--wheel", "--size", "--scan", "--orb", "--csv",
                             "--ics", "--ephemeris", "--place", "--zone", "--help", "--version"}) {
    EXPECT_TRUE(help.out.contains(option)) << option;
  }
  const Outcome version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "heliodial-chart 3.2.0\n");
}

TEST_F(ChartCompanion, ATimeInTheSpringGapExistsOnlyForAFixedZone) {
  // 02:30 on 31 March 2024 is skipped by the clocks of Berlin; a manual zone has no such gap.
  settings("[Place]\nLatD=52\nNS=1\nLongD=13\nEW=0\nManualZone=1\nZoneH=1\n");
  EXPECT_EQ(run({"--at", "2024-03-31 02:30"}, "Europe/Berlin").status, 0);
  settings("[Place]\nLatD=52\nNS=1\nLongD=13\nEW=0\n");
  const Outcome gap = run({"--at", "2024-03-31 02:30"}, "Europe/Berlin");
  EXPECT_EQ(gap.status, 2);
  EXPECT_TRUE(gap.err.contains("does not exist in this computer's time zone (Europe/Berlin)"))
      << gap.err.toStdString();
  EXPECT_EQ(run({"--at", "2024-03-31 03:30"}, "Europe/Berlin").status, 0);
}

TEST_F(ChartCompanion, PlaceFromTheAtlasForOneRun) {
  // London, England: 51 30 N, 0 07 W (west positive in the JSON), whatever the settings say.
  const Outcome london = run({"--json", "--place", "london", "--at", "2026-01-15 12:00"});
  ASSERT_EQ(london.status, 0) << london.err.toStdString();
  EXPECT_TRUE(london.err.isEmpty()) << london.err.toStdString();
  const QJsonObject place = QJsonDocument::fromJson(london.out).object()["place"].toObject();
  EXPECT_DOUBLE_EQ(place["latitude"].toDouble(), 51.5);
  EXPECT_DOUBLE_EQ(place["longitude"].toDouble(), 7 / 60.0);
  // South and east take the minus sign on both parts: Sydney, 33 52 S, 151 12 E.
  const QJsonObject sydney =
      QJsonDocument::fromJson(run({"--json", "--place", "Sydney, Australia"}).out)
          .object()["place"]
          .toObject();
  EXPECT_DOUBLE_EQ(sydney["latitude"].toDouble(), -(33 + 52 / 60.0));
  EXPECT_DOUBLE_EQ(sydney["longitude"].toDouble(), -(151 + 12 / 60.0));

  // A name several towns share lists them and runs no chart.
  const Outcome springfield = run({"--place", "Springfield"});
  EXPECT_EQ(springfield.status, 2);
  EXPECT_TRUE(springfield.out.isEmpty());
  EXPECT_TRUE(springfield.err.contains("Springfield, Illinois, United States"))
      << springfield.err.toStdString();
  EXPECT_GE(springfield.err.count('\n'), 4);
  EXPECT_EQ(run({"--place", "Springfield, Illinois"}).status, 0);

  // Without the place list: said plainly, not a crash.
  const Outcome missing = run({"--place", "London"}, "UTC", [](QProcess& process) {
    QProcessEnvironment env = process.processEnvironment();
    env.insert("HELIODIAL_ATLAS_DIR", "/nonexistent");
    process.setProcessEnvironment(env);
  });
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.contains("The place list is not installed (package libtimezonemap-data)"))
      << missing.err.toStdString();
  // And the town's zone comes with it: London in July is an hour ahead of UT.
  const Outcome summer = run({"--json", "--place", "London", "--at", "2026-07-01 12:00"});
  EXPECT_EQ(QJsonDocument::fromJson(summer.out).object()["place"].toObject()["zoneName"],
            QStringLiteral("Europe/London"));
  EXPECT_EQ(QJsonDocument::fromJson(summer.out).object()["place"].toObject()["zoneOffset"], 1.0);
}

// The zone in use, the machine's, ZoneName's or --zone's, gives the moment its own offset.
TEST_F(ChartCompanion, TheZoneInUseGivesEachMomentItsOffset) {
  const struct {
    const char* name;
    const char* tz;    // the machine's zone
    const char* file;  // the Place section
    QStringList args;
    double ut, offset;
    QJsonValue zoneName;
    bool daylight;
  } rows[] = {
      {"London in July",
       "Europe/London",
       "",
       {"--at", "2026-07-01 12:00"},
       11,
       1,
       "Europe/London",
       true},
      {"London in January",
       "Europe/London",
       "",
       {"--at", "2026-01-15 12:00"},
       12,
       0,
       "Europe/London",
       false},
      {"Summer adds no second hour",
       "Europe/London",
       "Summer=1\n",
       {"--at", "2026-07-01 12:00"},
       11,
       1,
       "Europe/London",
       true},
      {"ZoneName",
       "UTC",
       "ZoneName=America/New_York\n",
       {"--at", "2026-07-01 12:00"},
       16,
       -4,
       "America/New_York",
       true},
      {"--zone for one run",
       "UTC",
       "",
       {"--zone", "America/New_York", "--at", "2026-07-01 12:00"},
       16,
       -4,
       "America/New_York",
       true},
      {"--zone before a manual zone",
       "UTC",
       "ManualZone=1\nZoneH=3\n",
       {"--zone", "Europe/London", "--at", "2026-07-01 12:00"},
       11,
       1,
       "Europe/London",
       true},
      {"Kolkata with Summer",
       "UTC",
       "ZoneName=Asia/Kolkata\nSummer=1\n",
       {"--at", "2026-07-01 12:00"},
       5.5,
       6.5,
       "Asia/Kolkata",
       true},
      {"manual zone as ever",
       "Europe/London",
       "ManualZone=1\nZoneH=5\nZoneM=30\nSummer=1\n",
       {"--at", "2026-07-01 12:00"},
       6.5,
       5.5,
       QJsonValue(),
       false},
  };
  for (const auto& r : rows) {
    settings(std::string("[Place]\nLatD=51\nNS=1\n") + r.file);
    const Outcome o = run(QStringList(r.args) << "--json", QString::fromLatin1(r.tz));
    ASSERT_EQ(o.status, 0) << r.name << ": " << o.err.toStdString();
    EXPECT_TRUE(o.err.isEmpty()) << r.name << ": " << o.err.toStdString();
    const QJsonObject chart = QJsonDocument::fromJson(o.out).object();
    const QJsonObject place = chart["place"].toObject();
    EXPECT_DOUBLE_EQ(chart["ut"].toDouble(), r.ut) << r.name;
    EXPECT_DOUBLE_EQ(place["zoneOffset"].toDouble(), r.offset) << r.name;
    EXPECT_EQ(place["zoneName"], r.zoneName) << r.name;
    EXPECT_EQ(place["daylightSaving"].toBool(), r.daylight) << r.name;
  }
  // The text report names the zone.
  settings("[Place]\nLatD=51\nNS=1\n");
  const Outcome text = run({"--at", "2026-07-01 12:00"}, "Europe/London");
  EXPECT_TRUE(text.out.contains("zone UT+1:00 Europe/London, daylight saving time (settings:"))
      << text.out.toStdString();
}

TEST_F(ChartCompanion, TheClocksGapAndRepeatedHourAreSaid) {
  settings("[Place]\nLatD=51\nNS=1\nZoneName=Europe/London\n");
  // 01:30 on 29 March 2026 does not exist in London.
  const Outcome gap = run({"--at", "2026-03-29 01:30"});
  EXPECT_EQ(gap.status, 2);
  EXPECT_EQ(gap.err,
            "heliodial-chart: --at 2026-03-29 01:30 does not exist in the time zone "
            "Europe/London: the clocks skip that time for daylight saving\n");
  // 01:30 on 25 October 2026 happens twice: the first, in summer time, is 00:30 UT.
  const Outcome twice = run({"--at", "2026-10-25 01:30", "--json"});
  ASSERT_EQ(twice.status, 0) << twice.err.toStdString();
  EXPECT_EQ(twice.err,
            "heliodial-chart: notice: --at 2026-10-25 01:30 happens twice in the time zone "
            "Europe/London, first at UT+1:00, then at UT+0:00; the chart is for the first "
            "(daylight saving time)\n");
  EXPECT_DOUBLE_EQ(QJsonDocument::fromJson(twice.out).object()["ut"].toDouble(), 0.5);
  // The day scan of a summer day takes the summer offset: its iCalendar times are an hour less.
  const Outcome scan = run({"--scan", "2026-07-01", "--ics"});
  ASSERT_EQ(scan.status, 0) << scan.err.toStdString();
  const Outcome scanUtc = run({"--scan", "2026-07-01", "--ics", "--zone", "UTC"});
  EXPECT_TRUE(scan.out.contains("DTSTART:20260630T230000Z")) << scan.out.left(2000).toStdString();
  EXPECT_TRUE(scanUtc.out.contains("DTSTART:20260701T000000Z"));
}

TEST_F(ChartCompanion, AFailedWriteIsNeverASuccess) {
  // Standard output on a full disk, and into a pipe nobody reads.
  const Outcome full = shell(QStringLiteral("exec \"$0\" --at '2000-01-01 12:00' > /dev/full"));
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err,
            "heliodial-chart: cannot write the report to standard output: No space "
            "left on device\n");
  const Outcome pipe = shell(QStringLiteral("exec 3>&1; (\"$0\" --json; echo $? >&3) | true"));
  EXPECT_EQ(pipe.out.trimmed(), "1") << "a closed pipe";

  // A picture that does not fit leaves the old file whole and no temporary behind.
  const QString picture = home.filePath("wheel.png");
  QFile old(picture);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("the old picture");
  old.close();
  const Outcome limited =
      run({"--at", "2000-01-01 12:00", "--wheel", picture}, "UTC", [](QProcess& process) {
        process.setChildProcessModifier([] {
          ::signal(SIGXFSZ, SIG_IGN);
          rlimit limit{4096, 4096};
          ::setrlimit(RLIMIT_FSIZE, &limit);
        });
      });
  EXPECT_EQ(limited.status, 1);
  EXPECT_EQ(
      limited.err,
      ("heliodial-chart: cannot write the wheel to " + picture + ": File too large\n").toUtf8());
  QFile kept(picture);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "the old picture");
  EXPECT_EQ(QDir(home.path()).entryList({".*tmp-*"}, QDir::Hidden | QDir::Files).size(), 0);

  // A path that cannot be written is quoted on one line, with no escape reaching the terminal.
  const Outcome nowhere =
      run({"--at", "2000-01-01 12:00", "--wheel", home.filePath("none/a\n\x1b[31m.png")});
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_EQ(nowhere.err, ("heliodial-chart: cannot write the wheel to " +
                          home.filePath("none/a??[31m.png") + ": No such file or directory\n")
                             .toUtf8());
}

TEST_F(ChartCompanion, AFileNameIsUsedByteForByte) {
  // \377 is no character in UTF-8; the name must still be the one given.
  const Outcome r =
      shell(QStringLiteral("umask 027; exec \"$0\" --wheel \"$(printf 'wheel-\\377.svg')\""));
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  std::vector<std::string> pictures;  // the names' own bytes, as the file system has them
  for (const auto& entry : std::filesystem::directory_iterator(home.path().toStdString())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("wheel-", 0) == 0) pictures.push_back(name);
  }
  EXPECT_EQ(pictures, std::vector<std::string>{"wheel-\xff.svg"});
  // A new picture is readable as the user's umask says (0666 less 027), not private to its
  // writer.
  EXPECT_EQ(std::filesystem::status(home.path().toStdString() + "/wheel-\xff.svg").permissions(),
            std::filesystem::perms(0640));

  // A link is written through, as the settings are: the picture lands where it points.
  const std::filesystem::path link = home.filePath("linked.svg").toStdString();
  std::filesystem::create_symlink("pictures/wheel.svg", link);
  std::filesystem::create_directory(link.parent_path() / "pictures");
  ASSERT_EQ(run({"--wheel", "linked.svg"}).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_GT(std::filesystem::file_size(link.parent_path() / "pictures" / "wheel.svg"), 0u);
}

TEST_F(ChartCompanion, ValuesNoPlaceCanHaveAreNamedOnceOnStandardError) {
  settings("[Setting]\nHouses=2\n[Place]\nLatD=120\nNS=1\nManualZone=1\nZoneH=30\nEW=1\n");
  const Outcome r = run({"--at", "2000-01-01 12:00", "--json"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.count("lies beyond 90"), 1) << r.err.toStdString();
  EXPECT_EQ(r.err.count("more than a day"), 1) << r.err.toStdString();
  const QJsonObject place = QJsonDocument::fromJson(r.out).object()["place"].toObject();
  EXPECT_EQ(place["latitude"].toDouble(), 90.0);
  EXPECT_EQ(place["zoneOffset"].toDouble(), -24.0);
}

TEST_F(ChartCompanion, NoSettingsFileAndNoNatalChartAreSaidPlainly) {
  QFile::remove(home.filePath("helidial.ini"));
  const Outcome text = run({"--at", "2000-01-01 12:00"});
  ASSERT_EQ(text.status, 0) << text.err.toStdString();
  const QString report = QString::fromUtf8(text.out);
  EXPECT_TRUE(report.contains(QStringLiteral("(no settings file yet: set your place and zone in "
                                             "the clock's Settings..., or in ") +
                              home.filePath("helidial.ini") + ")"))
      << report.toStdString();
  EXPECT_TRUE(
      report.contains("Transits to natal:\n  (no natal chart is set: enter one on the "
                      "Natal page of the clock's Settings...)\n"))
      << report.toStdString();
  const QJsonObject json = QJsonDocument::fromJson(run({"--json"}).out).object();
  EXPECT_FALSE(json["natalSet"].toBool());
  EXPECT_TRUE(json["natalAspects"].toArray().isEmpty());
  EXPECT_FALSE(json["place"].toObject()["fromSettingsFile"].toBool());

  settings("[Natal]\nPlanet1=280.5\n");
  const QJsonObject natal =
      QJsonDocument::fromJson(run({"--json", "--at", "2000-01-01 12:00"}).out).object();
  EXPECT_TRUE(natal["natalSet"].toBool());
  EXPECT_TRUE(natal["place"].toObject()["fromSettingsFile"].toBool());
  EXPECT_FALSE(natal["natalAspects"].toArray().isEmpty());
}

// Sydney, 33 52 south and 151 12 east, ten hours east of Greenwich, Koch houses; the angles
// make no aspects of their own. The natal chart is chosen so that two natal points receive an
// aspect within the natal orb of 0 30, natal Mercury one only within 0 47 (inside the transit
// orb, outside the natal), and every other natal point none within 1 15.
const char* const kSydney =
    "[Place]\nLatD=33\nLatM=52\nNS=0\nLongD=151\nLongM=12\nEW=0\nManualZone=1\nZoneH=10\n"
    "ZoneM=0\n[Setting]\nHouses=1\n[AspectFrom]\nAscendant=0\nMidheaven=0\n"
    "[Custom]\nDegreeN=0\nMinuteN=30\n"
    "[Natal]\nPlanet1=223.4\nPlanet2=133.3\nPlanet3=304.0\nPlanet4=5.0\nPlanet5=19.0\n"
    "Planet6=21.0\nPlanet7=23.0\nPlanet8=37.5\nPlanet9=49.5\nPlanet10=51.5\nPlanet11=53.5\n"
    "Planet12=60.5\nPlanet13=66.0\nPlanet14=67.0\n";

// An aspect's orb text worked from two longitudes as the rules state it: the separation in
// single precision, less the angle; sign, whole degrees, the degree sign, minutes rounded.
QString OrbText(double p1, double p2, int angle) {
  float d = static_cast<float>(std::fabs(p1 - p2));
  if (d > 180.0f) d = std::fabs(d - 360.0f);
  double x = static_cast<double>(d) - angle;
  const QChar sign = x < 0 ? QLatin1Char('-') : QLatin1Char('+');
  x = std::fabs(x);
  const int degrees = static_cast<int>(std::trunc(x));
  const int minutes = static_cast<int>(std::nearbyint((x - degrees) * 60));
  return sign + QStringLiteral("%1\u00B0%2")
                    .arg(degrees, 2, 10, QLatin1Char('0'))
                    .arg(minutes, 2, 10, QLatin1Char('0'));
}

// A position text worked from a longitude and a speed: degrees and minutes within the sign, both
// truncated, the sign's symbol between them, then the motion mark.
QString PositionText(double longitude, double speed) {
  const int sign = static_cast<int>(longitude / 30);
  const double inSign = longitude - 30 * sign;
  const int degrees = static_cast<int>(inSign);
  const int minutes = static_cast<int>((inSign - degrees) * 60);
  const char16_t signs[12] = {0x2648, 0x2649, 0x264A, 0x264B, 0x264C, 0x264D,
                              0x264E, 0x264F, 0x2650, 0x2651, 0x2652, 0x2653};
  return QStringLiteral("%1 ").arg(degrees, 2, 10, QLatin1Char('0')) + QChar(signs[sign]) +
         QStringLiteral(" %1").arg(minutes, 2, 10, QLatin1Char('0')) +
         (speed < 0 ? QStringLiteral(" R") : QStringLiteral("  "));
}

// Index of the transit pair (r, i) in the pair string: (1, 2) .. (1, 14), (2, 3) .. (12, 14).
int PairIndex(int r, int i) {
  int index = 0;
  for (int k = 1; k < r; ++k) index += 14 - k;
  return index + (i - r - 1);
}

TEST_F(ChartCompanion, EveryJsonFieldHasItsValue) {
  settings(kSydney);
  const Outcome run22 = run({"--json", "--at", "2000-01-01 22:00"});
  ASSERT_EQ(run22.status, 0) << run22.err.toStdString();
  const QJsonObject chart = QJsonDocument::fromJson(run22.out).object();

  // The moment: local 22:00 ten hours east is 12:00 UT on 2000 January 1, Julian day 2451545.
  EXPECT_EQ(chart["local"].toString(), "2000-01-01T22:00:00");
  EXPECT_EQ(chart["ut"].toDouble(), 12.0);
  EXPECT_EQ(chart["jd"].toInt(), 2451545);
  // Sidereal time by the library's formula worked here (T = 1 exactly, longitude east negative):
  // ((2400.0513 + 6.6460656 + 0.0000258) + 12) x 15 + 151.2 degrees, folded, in hours.
  double lst = ((2400.0513 + 6.6460656 + 0.0000258) + 12) * 15 + 151.2;
  lst = (lst - 360 * std::trunc(lst / 360)) / 15;
  EXPECT_NEAR(chart["lst"].toDouble(), lst, 1e-9);
  // ... and the published Greenwich sidereal time of that moment, 18h 41m 50.55s, plus 151.2
  // degrees east.
  EXPECT_NEAR(chart["lst"].toDouble(), 18 + 41 / 60.0 + 50.55 / 3600 + 151.2 / 15 - 24, 1e-4);
  EXPECT_EQ(chart["zodiacOffset"].toDouble(), 0.0);

  const QJsonObject place = chart["place"].toObject();
  EXPECT_DOUBLE_EQ(place["latitude"].toDouble(), -(33 + 52 / 60.0));
  EXPECT_DOUBLE_EQ(place["longitude"].toDouble(), -(151 + 12 / 60.0));
  EXPECT_EQ(place["zoneOffset"].toDouble(), 10.0);
  EXPECT_TRUE(place["fromSettingsFile"].toBool());
  EXPECT_EQ(chart["houseCode"].toInt(), 2) << "stored Houses 1 is Koch";

  // Points: names and glyphs written out; the Sun and Moon against the published positions for
  // 2000 January 1, 12h (280.37, 223.32), the others against the same tables; the Sun's daily
  // motion 1.0194 degrees, 60 x radians a day. The Moon and Node carry no speed, Saturn is
  // retrograde.
  const struct {
    const char* name;
    const char* glyph;
    double longitude;  // negative: checked through the angles below
    int speedSign;
  } points[14] = {{"Sun", "\u2609", 280.37, 1},     {"Moon", "\u263D", 223.32, 0},
                  {"Mercury", "\u263F", 271.92, 1}, {"Venus", "\u2640", 241.59, 1},
                  {"Mars", "\u2642", 327.99, 1},    {"Jupiter", "\u2643", 25.26, 1},
                  {"Saturn", "\u2644", 40.39, -1},  {"Uranus", "\u2645", 314.82, 1},
                  {"Neptune", "\u2646", 303.21, 1}, {"Pluto", "\u2647", 251.49, 1},
                  {"Node", "\u260A", 123.93, 0},    {"Chiron", "\u26B7", 252.08, 1},
                  {"Ascendant", "AC", -1, 1},       {"Midheaven", "MC", -1, 1}};
  const QJsonArray array = chart["points"].toArray();
  ASSERT_EQ(array.size(), 14);
  double lon[15] = {};
  for (int i = 1; i <= 14; ++i) {
    const QJsonObject p = array[i - 1].toObject();
    const auto& want = points[i - 1];
    SCOPED_TRACE(want.name);
    lon[i] = p["longitude"].toDouble();
    const double speed = p["speed"].toDouble();
    EXPECT_EQ(p["index"].toInt(), i);
    EXPECT_EQ(p["name"].toString(), QString::fromLatin1(want.name));
    EXPECT_EQ(p["glyph"].toString(), QString::fromUtf8(want.glyph));
    if (want.longitude >= 0) {
      EXPECT_NEAR(lon[i], want.longitude, 0.01);
    }
    EXPECT_EQ((speed > 0) - (speed < 0), want.speedSign);
    EXPECT_EQ(p["text"].toString(), PositionText(lon[i], speed));
  }
  EXPECT_NEAR(array[0].toObject()["speed"].toDouble(), 1.0194 * std::numbers::pi / 180 * 60, 1e-3);

  // The angles from the sidereal time, the latitude and the obliquity (23.452294 - 0.0130125)
  // by the textbook formulas, plus the library's increment of one arc-minute.
  const double ramc = lst * 15 * std::numbers::pi / 180;
  const double eps = (23.452294 - 0.0130125) * std::numbers::pi / 180;
  const double phi = -(33 + 52 / 60.0) * std::numbers::pi / 180;
  const auto degrees = [](double radians) {
    return std::fmod(radians * 180 / std::numbers::pi + 360, 360.0);
  };
  const double mc = degrees(std::atan2(std::sin(ramc), std::cos(ramc) * std::cos(eps))) + 1 / 60.0;
  const double asc = degrees(std::atan2(std::cos(ramc), -(std::sin(ramc) * std::cos(eps) +
                                                          std::tan(phi) * std::sin(eps)))) +
                     1 / 60.0;
  EXPECT_NEAR(lon[13], asc, 1e-6);
  EXPECT_NEAR(lon[14], mc, 1e-6);
  EXPECT_NEAR(chart["mc"].toDouble(), mc, 1e-6);
  const QJsonArray cusps = chart["cusps"].toArray();
  ASSERT_EQ(cusps.size(), 12);
  EXPECT_NEAR(cusps[0].toDouble(), asc, 1e-6) << "cusp 1";
  EXPECT_NEAR(cusps[9].toDouble(), mc, 1e-6) << "cusp 10";
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(std::fmod(cusps[i + 6].toDouble() - cusps[i].toDouble() + 360, 360.0), 180, 1e-6)
        << "cusp " << i + 7 << " opposite cusp " << i + 1;
  }

  // Void of course: with both tests on the 45 degree test decides; Uranus at 44.8 of its segment
  // stands further on than the Moon at 43.3, so the Moon is not void. Worked from the longitudes:
  bool voidMoon = true;
  for (int i = 1; i <= 10; ++i) voidMoon &= std::fmod(lon[i], 45.0) <= std::fmod(lon[2], 45.0);
  EXPECT_FALSE(voidMoon);
  EXPECT_EQ(chart["voc"].toBool(), voidMoon);

  // Aspects with the transit orb 1 01, worked by hand from the published positions and the
  // angles above; the orbs from the longitudes the program reports.
  const struct {
    int from;
    const char* aspect;
    int to;
    int angle;
    char code;
  } transits[] = {{1, "trine", 7, 120, 'T'},        {2, "quincunx", 14, 150, 'I'},
                  {3, "semis-sextile", 4, 30, 'V'}, {3, "trine", 13, 120, 'T'},
                  {4, "biquintile", 6, 144, 'B'},   {4, "square", 13, 90, 'S'},
                  {5, "quintile", 7, 72, 'Q'},      {9, "quincunx", 13, 150, 'I'}};
  const QJsonArray transitAspects = chart["transitAspects"].toArray();
  ASSERT_EQ(transitAspects.size(), 8);
  QString pairString(90, QLatin1Char(' '));
  for (int n = 0; n < 8; ++n) {
    const auto& want = transits[n];
    const QJsonObject a = transitAspects[n].toObject();
    EXPECT_EQ(a["from"].toString(), QString::fromLatin1(points[want.from - 1].name)) << n;
    EXPECT_EQ(a["aspect"].toString(), QString::fromLatin1(want.aspect)) << n;
    EXPECT_EQ(a["to"].toString(), QString::fromLatin1(points[want.to - 1].name)) << n;
    EXPECT_EQ(a["orb"].toString(), OrbText(lon[want.from], lon[want.to], want.angle)) << n;
    pairString[PairIndex(want.from, want.to)] = QLatin1Char(want.code);
  }
  // One character per pair (1, 2) .. (12, 14): Sun trine Saturn is pair (1, 7), the sixth.
  EXPECT_EQ(PairIndex(1, 7), 5);
  EXPECT_EQ(chart["pairString"].toString().size(), 90);
  EXPECT_EQ(chart["pairString"].toString()[5], QLatin1Char('T'));
  EXPECT_EQ(chart["pairString"].toString(), pairString);

  // Natal aspects with the natal orb 0 30: the transiting Moon on natal Sun and square natal
  // Moon; natal Mercury's conjunction with Neptune (0 47) is outside this orb.
  EXPECT_TRUE(chart["natalSet"].toBool());
  const QJsonArray natal = chart["natalAspects"].toArray();
  ASSERT_EQ(natal.size(), 2);
  const struct {
    const char* from;
    const char* aspect;
    const char* to;
    QString orb;
  } natalWant[] = {{"Moon", "conjunct", "Sun", OrbText(lon[2], 223.4, 0)},
                   {"Moon", "square", "Moon", OrbText(lon[2], 133.3, 90)}};
  for (int n = 0; n < 2; ++n) {
    const QJsonObject a = natal[n].toObject();
    EXPECT_EQ(a["from"].toString(), natalWant[n].from);
    EXPECT_EQ(a["aspect"].toString(), natalWant[n].aspect);
    EXPECT_EQ(a["to"].toString(), natalWant[n].to);
    EXPECT_EQ(a["orb"].toString(), natalWant[n].orb);
  }
}

TEST_F(ChartCompanion, PlainReportWordsTheAspectLines) {
  // The same chart: each list line is two blanks, the three words padded to the longest key of
  // the list, three blanks and the orb text.
  settings(kSydney);
  const Outcome r = run({"--at", "2000-01-01 22:00"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QString text = QString::fromUtf8(r.out);
  const QString expected = QString::fromUtf8(
      "Transits to transits:\n"
      "  Sun trine Saturn               +00\u00B001\n"
      "  Moon quincunx Midheaven        +00\u00B013\n"
      "  Mercury semis-sextile Venus    +00\u00B020\n"
      "  Mercury trine Ascendant        -00\u00B035\n"
      "  Venus biquintile Jupiter       -00\u00B020\n"
      "  Venus square Ascendant         -00\u00B055\n"
      "  Mars quintile Saturn           +00\u00B024\n"
      "  Neptune quincunx Ascendant     +00\u00B043\n"
      "\n"
      "Transits to natal:\n"
      "  Moon conjunct Sun    +00\u00B005\n"
      "  Moon square Moon     +00\u00B001\n");
  EXPECT_TRUE(text.endsWith(expected)) << text.toStdString();
  EXPECT_TRUE(text.contains(
      QString::fromUtf8("Place 33\u00B052' south, 151\u00B012' east, zone UT+10:00 (settings: ")))
      << text.toStdString();
}

TEST_F(ChartCompanion, PreciseEphemerisForOneRunAndChironOutsideItsFiles) {
  // 2026 December 9, 19:14 UT: Jupiter 27 00 Leo, Pluto 3 45 Aquarius and Chiron 26 37 Aries in
  // the Swiss Ephemeris, where the documented theory has 26 53 Leo, 3 39 Aquarius, 27 43 Aries.
  const auto json = [this](const QStringList& args) {
    const Outcome r = run(QStringList{"--json", "--at", "2026-12-09 19:14"} + args);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    return QJsonDocument::fromJson(r.out).object();
  };
  const QJsonObject theory = json({});
  EXPECT_EQ(theory["ephemeris"].toString(), "theory");
  EXPECT_EQ(json({"--ephemeris", "theory"}), theory);
  const QJsonObject precise = json({"--ephemeris", "precise"});
  EXPECT_EQ(precise["ephemeris"].toString(), "precise");
  const QJsonArray points = precise["points"].toArray();
  const QJsonArray theoryPoints = theory["points"].toArray();
  EXPECT_NEAR(points[5].toObject()["longitude"].toDouble(), 120 + 27.0, 1 / 60.0);
  EXPECT_NEAR(points[9].toObject()["longitude"].toDouble(), 300 + 3.75, 1 / 60.0);
  EXPECT_NEAR(points[11].toObject()["longitude"].toDouble(), 26 + 37 / 60.0, 1 / 60.0);
  EXPECT_NEAR(theoryPoints[11].toObject()["longitude"].toDouble(), 27 + 43 / 60.0, 1 / 60.0);
  EXPECT_NE(points[1].toObject()["speed"].toDouble(), 0.0) << "the Moon moves";

  // The settings' choice, and Chiron before the files' first year: one line, and the rest shown.
  settings(std::string(kEquatorAtGreenwich) + "Ephemeris=1\n");
  EXPECT_EQ(run({"--json", "--at", "2026-12-09 19:14"}).out,
            run({"--json", "--at", "2026-12-09 19:14", "--ephemeris", "precise"}).out);
  const Outcome early = run({"--json", "--at", "1750-06-01 12:00"});
  EXPECT_EQ(early.status, 0);
  EXPECT_EQ(early.err.count('\n'), 1);
  EXPECT_TRUE(early.err.contains("Chiron")) << early.err.toStdString();
  const QJsonArray earlyPoints = QJsonDocument::fromJson(early.out).object()["points"].toArray();
  EXPECT_TRUE(earlyPoints[11].toObject()["longitude"].isNull());
  EXPECT_EQ(earlyPoints[11].toObject()["text"].toString(), "-");
  EXPECT_TRUE(earlyPoints[6].toObject()["longitude"].isDouble()) << "Saturn is still shown";
}

}  // namespace
