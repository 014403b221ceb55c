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
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
  int status;
  QByteArray out, err;
};

const char* const kGreenwich =
    "[Place]\nLatD=0\nLatM=0\nLongD=0\nLongM=0\nNS=1\nEW=1\nManualZone=1\nZoneH=0\n"
    "ZoneM=0\n[Setting]\nHouses=0\nZodiac=0\n";

class ChartCompanion : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    settings(kGreenwich);
  }
  void settings(const std::string& contents) {
    std::ofstream(home.filePath("helidial.ini").toStdString()) << contents;
  }
  // The program with arguments; program may be a shell line for raw bytes and redirections, with
  // the companion as $0.
  Outcome run(const QStringList& args, const QString& zone = QStringLiteral("UTC"),
              const std::function<void(QProcess&)>& prepare = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", home.path());
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("TZ", zone);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home.path());
    if (prepare) prepare(process);
    process.start(HELIODIAL_CHART_EXE, args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
  }
  Outcome shell(const QString& line) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", home.path());
    env.insert("XDG_RUNTIME_DIR", home.path());
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home.path());
    process.start("/bin/sh", {"-c", line, HELIODIAL_CHART_EXE});
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
  }
  QTemporaryDir home;
};

TEST_F(ChartCompanion, JsonOfJ2000MatchesTheReferenceChart) {
  const Outcome r = run({"--json", "--at", "2000-01-01 12:00"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QJsonObject chart = QJsonDocument::fromJson(r.out).object();
  for (const char* field :
       {"local", "ut", "jd", "lst", "zodiacOffset", "place", "houseCode", "points", "cusps", "mc",
        "voc", "pairString", "transitAspects", "natalSet", "natalAspects"}) {
    EXPECT_TRUE(chart.contains(field)) << field;
  }
  EXPECT_EQ(chart["jd"].toInt(), 2451545);
  EXPECT_DOUBLE_EQ(chart["ut"].toDouble(), 12.0);
  EXPECT_EQ(chart["houseCode"].toInt(), 1);
  EXPECT_EQ(chart["zodiacOffset"].toDouble(), 0.0);
  EXPECT_EQ(chart["cusps"].toArray().size(), 12);
  EXPECT_EQ(chart["pairString"].toString().size(), 90);
  const double expected[13] = {0,     280.37, 223.32, 271.92, 241.59, 327.99, 25.26,
                               40.39, 314.82, 303.21, 251.49, 123.93, 252.08};
  const QJsonArray points = chart["points"].toArray();
  ASSERT_EQ(points.size(), 14);
  for (int i = 1; i <= 12; ++i) {
    const QJsonObject p = points[i - 1].toObject();
    EXPECT_EQ(p["index"].toInt(), i);
    EXPECT_NEAR(p["longitude"].toDouble(), expected[i], 0.01) << p["name"].toString().toStdString();
    EXPECT_FALSE(p["text"].toString().isEmpty());
  }
  EXPECT_LT(points[6].toObject()["speed"].toDouble(), 0) << "Saturn retrograde";
  EXPECT_TRUE(points[6].toObject()["text"].toString().endsWith(" R"));
}

TEST_F(ChartCompanion, PlainReportListsPositionsAndAspects) {
  const Outcome r = run({"--at", "2000-01-01 12:00"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QString text = QString::fromUtf8(r.out);
  EXPECT_TRUE(text.contains("Sun")) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("10 \u2651 22"))) << "Sun at 280.37: 10 Capricorn 22";
  EXPECT_TRUE(text.contains("Transits to transits:"));
  EXPECT_TRUE(text.contains("Transits to natal:"));
}

TEST_F(ChartCompanion, BadArgumentsGiveOneLineAndStatusTwo) {
  const QStringList bad[] = {{"--at", "2000-13-01 12:00"},
                             {"--at"},
                             {"--size", "12"},
                             {"--wheel", "out.bmp"},
                             {"--frobnicate"},
                             {"--size", "lots"},
                             {"--wheel", "png"},
                             {"--at", "2000-01-01 24:00"}};
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
                             "--ics", "--help", "--version"}) {
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
  EXPECT_EQ(QDir(home.path()).entryList({".heliodial-*"}, QDir::Hidden | QDir::Files).size(), 0);
}

TEST_F(ChartCompanion, AFileNameIsUsedByteForByte) {
  // \377 is no character in UTF-8; the name must still be the one given.
  const Outcome r = shell(QStringLiteral("exec \"$0\" --wheel \"$(printf 'wheel-\\377.svg')\""));
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  std::vector<std::string> pictures;  // the names' own bytes, as the file system has them
  for (const auto& entry : std::filesystem::directory_iterator(home.path().toStdString())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("wheel-", 0) == 0) pictures.push_back(name);
  }
  EXPECT_EQ(pictures, std::vector<std::string>{"wheel-\xff.svg"});
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

}  // namespace
