// SPDX-License-Identifier: GPL-3.0-or-later
// heliodial-chart's output for a set of settings files and moments, compared with files made by an
// earlier build: the text report, the JSON object and the wheel as PNG pixels and SVG text must
// not change unless a change means them to. HELIODIAL_UPDATE_GOLDEN=1 writes the files anew.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

#include "support/companion.h"

namespace {

struct Case {
  const char* settings;  // file in the golden folder, or "" for no settings file at all
  const char* zone;      // TZ of the run: the system zone matters without a manual zone
  std::vector<const char*> moments;
  bool wheel;  // also compare the wheel pictures (at the first moment)
};

const Case kCases[] = {
    {"", "UTC", {"2000-01-01 12:00", "2031-10-05 00:10"}, true},
    {"greenwich", "UTC", {"2000-01-01 12:00", "1987-07-14 21:45"}, false},
    {"london-full", "UTC", {"2000-01-01 12:00", "1987-07-14 21:45", "2031-10-05 00:10"}, true},
    {"sydney-equal", "UTC", {"2000-01-01 12:00", "2031-10-05 00:10"}, true},
    {"helio-topocentric", "UTC", {"1987-07-14 21:45"}, true},
    {"houses-by-hand", "UTC", {"2000-01-01 12:00"}, true},
    // The first moment has the Ascendant in the band of sidereal times where the ecliptic point
    // on the western horizon was once taken for it (180 degrees off, and every Equal cusp too).
    {"polar-equal", "UTC", {"2026-06-20 23:00", "2026-12-08 17:30", "2026-06-21 03:00"}, true},
    {"polar-placidus", "UTC", {"2000-01-01 12:00"}, false},
    {"no-cusps", "Europe/Paris", {"2024-01-15 08:00"}, true},
};

QString goldenPath(const QString& name) { return QStringLiteral(HELIODIAL_GOLDEN_DIR "/") + name; }

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool updating() { return qEnvironmentVariableIntValue("HELIODIAL_UPDATE_GOLDEN") == 1; }

void writeFile(const QString& path, const QByteArray& data) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  file.write(data);
}

void PrintTo(const Case& c, std::ostream* out) { *out << (*c.settings ? c.settings : "no file"); }

class Golden : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    const Case& c = GetParam();
    if (*c.settings != '\0') {
      ASSERT_TRUE(QFile::copy(goldenPath(QString::fromLatin1(c.settings) + ".ini"),
                              home.filePath("helidial.ini")));
    }
  }

  // Standard output, followed by the status and standard error when the run did not succeed.
  QByteArray run(const QStringList& args) {
    const Outcome r = RunCompanion(
        {home.path(), QString::fromLatin1(GetParam().zone), QStringLiteral("C.UTF-8")}, args);
    QByteArray out = r.out;
    if (r.status != 0 || !r.err.isEmpty()) {
      out += "--- status " + QByteArray::number(r.status) + "\n" + r.err;
    }
    // The private settings folder differs from run to run.
    return out.replace(home.path().toUtf8(), "$XDG_CONFIG_HOME");
  }

  void compare(const QString& name, const QByteArray& actual) {
    if (updating()) {
      writeFile(goldenPath(name), actual);
      return;
    }
    const QByteArray expected = readFile(goldenPath(name));
    ASSERT_FALSE(expected.isEmpty()) << "no golden file " << name.toStdString();
    EXPECT_EQ(actual.toStdString(), expected.toStdString()) << name.toStdString();
  }

  QString stem(const char* moment) const {
    QString name = QString::fromLatin1(*GetParam().settings ? GetParam().settings : "no-file");
    return name + '@' + QString::fromLatin1(moment).replace(' ', 'T').remove(':');
  }

  QTemporaryDir home;
};

TEST_P(Golden, TextAndJsonReports) {
  for (const char* moment : GetParam().moments) {
    compare(stem(moment) + ".txt", run({"--at", moment}));
    compare(stem(moment) + ".json", run({"--at", moment, "--json"}));
  }
}

// The cases whose wheel pictures are compared too.
using GoldenWheel = Golden;
std::vector<Case> WheelCases() {
  std::vector<Case> cases;
  for (const Case& c : kCases) {
    if (c.wheel) cases.push_back(c);
  }
  return cases;
}

TEST_P(GoldenWheel, Pictures) {
  const char* moment = GetParam().moments.front();
  for (const char* kind : {"png", "svg"}) {
    const QString picture = home.filePath(QStringLiteral("wheel.") + kind);
    const QByteArray out = run({"--at", moment, "--size", "300", "--wheel", picture});
    ASSERT_FALSE(out.contains("--- status")) << out.toStdString();
    const QString name = stem(moment) + ".wheel." + kind;
    if (updating()) {
      writeFile(goldenPath(name), readFile(picture));
    } else if (QByteArrayView(kind) == "png") {
      // Pixels, not bytes: the PNG encoder may pack the same picture differently.
      const QImage expected(goldenPath(name));
      ASSERT_FALSE(expected.isNull()) << name.toStdString();
      EXPECT_TRUE(QImage(picture).convertToFormat(QImage::Format_RGB32) ==
                  expected.convertToFormat(QImage::Format_RGB32))
          << name.toStdString();
    } else {
      compare(name, readFile(picture));
    }
  }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  QString name = QString::fromLatin1(*info.param.settings ? info.param.settings : "no_file");
  return name.replace('-', '_').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Charts, Golden, ::testing::ValuesIn(kCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Charts, GoldenWheel, ::testing::ValuesIn(WheelCases()), CaseName);

}  // namespace
