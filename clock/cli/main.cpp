// SPDX-License-Identifier: GPL-3.0-or-later
// heliodial-chart [--at "YYYY-MM-DD HH:MM"] [--json] [--wheel FILE.png|FILE.svg] [--size PIXELS]
//                 [--scan YYYY-MM-DD [--orb D:MM] [--csv | --ics]] [--ephemeris theory|precise]
//                 [--zone NAME] [--place NAME]
//                 [--moon YYYY-MM-DD [--days N] [--rule 0|1|2] [--json | --ics]]
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "atlas/Atlas.h"
#include "chart/ComputeChart.h"
#include "chart/DayScan.h"
#include "chart/MoonExport.h"
#include "chart/NatalChart.h"
#include "chart/PrecisePositions.h"
#include "chart/ScanExport.h"
#include "cli/Arguments.h"
#include "cli/ChartReport.h"
#include "cli/OneLine.h"
#include "cli/Output.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "wheel/WheelImage.h"

namespace {

// A message for standard error. What it quotes from outside (a path, an argument, a zone name)
// has gone through OneLine; the program's own words may run over several lines.
void say(std::string_view message) {
  std::fprintf(stderr, "heliodial-chart: %.*s\n", static_cast<int>(message.size()), message.data());
}

[[noreturn]] void usageError(const QString& message) {
  say(message.toLocal8Bit().toStdString());
  std::exit(2);
}

[[noreturn]] void failure(const std::string& message) {
  say(message);
  std::exit(1);
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool needsFonts) {
  if (needsFonts) {
    // Drawing needs a GUI application; without a display the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return std::make_unique<QGuiApplication>(argc, argv);
  }
  return std::make_unique<QCoreApplication>(argc, argv);
}

// Where the zone in use keeps daylight-saving rules, the local clock skips an hour in spring: a
// time in that gap names no moment, and the user is told so rather than that the format is wrong.
// A time the clocks pass twice in autumn is taken at its first, daylight-saving, occurrence, and
// the user is told which. Returns the offset of the moment in hours.
double offsetOfLocalTime(const Settings& settings, QDate date, QTime time) {
  const LocalMoment m = ResolveSettingsLocalTime(settings, date, time);
  if (!settings.ZoneRules) return settings.ZoneOffset;  // a fixed zone has no gaps
  const QString zone =
      settings.ZoneName.empty()
          ? QStringLiteral("this computer's time zone (%1)").arg(OneLine(ZoneInUseName(settings)))
          : QStringLiteral("the time zone %1").arg(OneLine(ZoneInUseName(settings)));
  const QString at =
      date.toString(Qt::ISODate) + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm"));
  const auto hours = [](int seconds) {
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("UT%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60)
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
  };
  if (m.kind == LocalMoment::Kind::Skipped) {
    usageError(QStringLiteral("--at %1 does not exist in %2: the clocks skip that time for "
                              "daylight saving")
                   .arg(at, zone));
  }
  if (m.kind == LocalMoment::Kind::Repeated) {
    say(QStringLiteral("notice: --at %1 happens twice in %2, first at %3, then at %4; the chart "
                       "is for the first (daylight saving time)")
            .arg(at, zone, hours(m.offsetSeconds), hours(m.otherOffsetSeconds))
            .toLocal8Bit()
            .toStdString());
  }
  return m.offsetSeconds / 3600.0;
}

void writeOut(const QByteArray& bytes) {
  const std::string reason = WriteStandardOutput(
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!reason.empty()) failure("cannot write the report to standard output: " + reason);
}

// The settings, with what had to be changed said on standard error; where the file is, and
// whether it exists.
struct LoadedSettings {
  Settings settings;
  IniDocument file;
  ReportPlace place;
};

LoadedSettings loadSettings(const Options& options) {
  const int wheelWidth = options.size;
  const IniFile settingsFile;
  LoadedSettings loaded;
  try {
    loaded.file = settingsFile.Read();
  } catch (const IniReadError& e) {
    // The path comes from the environment.
    failure("Cannot read settings from " + OneLine(settingsFile.Path().string()) + ": " +
            e.Reason());
  }
  SettingsNotices notices;
  IniDocument place = loaded.file;
  // This run's zone stands in for the settings' zone, a manual one included: --zone's, else the
  // zone of the --place town.
  const QString zone = !options.zone.isEmpty() ? options.zone : options.placeZone;
  if (!zone.isEmpty()) {
    place.Set("Place", "ZoneName", zone.toStdString());
    place.Set("Place", "ManualZone", "0");
  }
  LoadSettings(place, loaded.settings, wheelWidth, QTimeZone::systemTimeZone(), &notices);
  for (const std::string& notice : notices) {
    say(notice);
  }
  if (options.ephemeris) loaded.settings.Ephemeris = *options.ephemeris;
  if (options.placeAngles) {
    // Signed parts as the settings hold them: north and west positive.
    const PlaceAngles& a = *options.placeAngles;
    loaded.settings.LatDeg = a.north ? a.latD : -a.latD;
    loaded.settings.LatMin = a.north ? a.latM : -a.latM;
    loaded.settings.LongDeg = a.west ? a.longD : -a.longD;
    loaded.settings.LongMin = a.west ? a.longM : -a.longM;
  }
  loaded.place = {std::filesystem::exists(settingsFile.Path()),
                  QString::fromStdString(settingsFile.Path().string())};
  return loaded;
}

// --place: the atlas's one town of that name. A name that several towns share lists them and
// stops, rather than drawing the chart for a place the user may not mean.
void lookUpPlace(Options& options) {
  const PlaceLookup lookup = LookUpPlace(options.place);
  switch (lookup.result) {
    case PlaceLookup::Result::Found:
      options.placeAngles = PlaceAnglesOf(lookup.place);
      options.placeZone = lookup.place.zoneName;
      return;
    case PlaceLookup::Result::NotInstalled:
      failure(OneLine(lookup.message).toLocal8Bit().toStdString());
    case PlaceLookup::Result::NotFound:
      usageError(OneLine(lookup.message));
    case PlaceLookup::Result::Ambiguous:
      say(OneLine(lookup.message).toLocal8Bit().toStdString());
      for (const AtlasPlace& place : lookup.candidates) {
        say(QStringLiteral("  %1  %2  %3")
                .arg(PlaceLabel(place), PlaceAnglesText(place), place.zoneName)
                .toLocal8Bit()
                .toStdString());
      }
      std::exit(2);
  }
}

// The chart of a moment as a table or JSON, and its wheel as a picture when asked.
void printChart(const Options& options) {
  LoadedSettings loaded = loadSettings(options);
  Settings& settings = loaded.settings;
  QDate date = options.atDate.value_or(QDate::currentDate());
  QTime time = options.atTime;
  if (options.atDate) {
    settings.ZoneOffset = offsetOfLocalTime(settings, date, time);
  } else {
    const QDateTime instant = QDateTime::currentDateTime();
    settings.ZoneOffset = ZoneOffsetAt(settings, instant);
    const QDateTime now = PlaceClockTime(settings, instant);
    date = now.date();
    time = QTime(now.time().hour(), now.time().minute());  // the present minute
  }

  Chart chart = ComputeChart(settings, InitialTheoryTable(), date, time);
  if (chart.ChironMissing) {
    say("Chiron has no position before " + std::to_string(kPreciseFirstYear) + " or after " +
        std::to_string(kPreciseLastYear) +
        " in the precise ephemeris's files; the report leaves it out");
  }
  const Settings aspects = WithoutMissingChiron(settings, chart);
  const AspectPass transits = FindTransitAspects(aspects, chart.TruePos, chart.HasCusps);
  const AspectPass natal = FindNatalAspects(aspects, chart.TruePos, chart.HasCusps);
  chart.PairString = transits.pairString;
  const ChartWithAspects report{settings, chart, transits, natal, loaded.place};
  if (options.json) {
    writeOut(QJsonDocument(jsonReport(report)).toJson(QJsonDocument::Indented));
  } else {
    writeOut(textReport(report).toUtf8());
  }

  if (!options.wheel.empty()) {
    // The wheel as the clock window shows the chart of this minute.
    QString cause;
    const QByteArray picture = WheelPictureBytes(
        settings, ViewForWheel(chart), *PictureFormatOf(options.wheelShown), options.size, &cause);
    if (picture.isEmpty()) failure("cannot draw the wheel: " + cause.toStdString());
    const std::string reason = WriteFileReplacing(
        options.wheel,
        std::string_view(picture.constData(), static_cast<std::size_t>(picture.size())));
    if (!reason.empty()) {
      failure("cannot write the wheel to " + OneLine(options.wheel) + ": " + reason);
    }
  }
}

// The day scan of the settings' place and aspects: the report's lines, CSV or iCalendar.
void printScan(const Options& options) {
  const LoadedSettings loaded = loadSettings(options);
  // Without --orb the transit orb, as the clock's scan dialog presets it.
  const ScanOrb orb = options.orb.value_or(ScanOrbPreset(loaded.settings.TransitOrb));
  DayScan scan(loaded.settings, InitialTheoryTable(), options.scan, orb);
  scan.runAll();
  writeOut(ScanFile(scan, options.scanFormat, QDateTime::currentDateTimeUtc()));
}

// The void rule when --rule is not given: the settings' Rule (section VOC), as the clock shows it.
VoidRule settingsVoidRule(const Settings& settings) { return VoidRuleFromNumber(settings.VOCRule); }

// The Moon's stays from a local day: lines, JSON or iCalendar, in the zone the day scan uses.
void printMoon(const Options& options) {
  const LoadedSettings loaded = loadSettings(options);
  const Settings& settings = loaded.settings;
  const VoidRule rule =
      options.moonRule ? VoidRuleFromNumber(*options.moonRule) : settingsVoidRule(settings);
  const MoonTable table = ComputeMoonTable(settings, InitialTheoryTable(), options.moon,
                                           options.moonDays, rule, SettingsZone(settings));
  if (options.json) {
    writeOut(QJsonDocument(MoonJson(table)).toJson(QJsonDocument::Indented));
  } else if (options.scanFormat == ScanFileFormat::ICalendar) {
    writeOut(MoonICalendar(table, settings, QDateTime::currentDateTimeUtc()));
  } else {
    writeOut(MoonText(table));
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe is reported like any failed write, not by a signal that ends the program.
  std::signal(SIGPIPE, SIG_IGN);
  Options options;
  try {
    options = ParseCommandLine(argc, argv);
  } catch (const ArgumentError& e) {
    say(e.what());
    return 2;
  }
  if (options.action == Options::Action::Help) {
    std::printf("%s", HelpText().toLocal8Bit().constData());
    return 0;
  }
  if (options.action == Options::Action::Version) {
    std::printf("heliodial-chart %s\n", HELIODIAL_VERSION);
    return 0;
  }
  auto app = makeApplication(argc, argv, !options.wheel.empty());
  if (!options.place.isEmpty()) lookUpPlace(options);
  try {
    if (options.action == Options::Action::Moon) {
      printMoon(options);
    } else if (options.action == Options::Action::Scan) {
      printScan(options);
    } else {
      printChart(options);
    }
  } catch (const std::exception& e) {
    failure(e.what());
  }
  const std::string reason = CloseStandardOutput();
  if (!reason.empty()) failure("cannot write the report to standard output: " + reason);
  return 0;
}
