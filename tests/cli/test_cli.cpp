#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>

namespace {

struct Outcome {
  int status;
  QByteArray out, err;
};

class ChartCompanion : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    std::ofstream(home.filePath("helidial.ini").toStdString())
        << "[Place]\nLatD=0\nLatM=0\nLongD=0\nLongM=0\nNS=1\nEW=1\nManualZone=1\nZoneH=0\n"
           "ZoneM=0\n[Setting]\nHouses=0\nZodiac=0\n";
  }
  Outcome run(const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", home.path());
    process.setProcessEnvironment(env);
    process.start(HELIODIAL_CHART_EXE, args);
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
        "voc", "pairString", "transitAspects", "natalAspects"}) {
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
  const QStringList bad[] = {{"--at", "2000-13-01 12:00"}, {"--at"},         {"--size", "12"},
                             {"--wheel", "out.bmp"},       {"--frobnicate"}, {"--size", "lots"}};
  for (const QStringList& args : bad) {
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
}

}  // namespace
