// heliodial-chart [--at "YYYY-MM-DD HH:MM"] [--json] [--wheel FILE.png|FILE.svg] [--size PIXELS]
//                 [--scan YYYY-MM-DD [--orb D:MM] [--csv | --ics]]
#include <QCommandLineParser>
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

#include "chart/ComputeChart.h"
#include "chart/DayScan.h"
#include "chart/ScanExport.h"
#include "cli/ChartReport.h"
#include "cli/Output.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "wheel/WheelImage.h"

namespace {

constexpr int kDefaultWheelSize = 576;
constexpr int kMinWheelSize = 64;
constexpr int kMaxWheelSize = 8192;

const char* const kUsage =
    "usage: heliodial-chart [--at \"YYYY-MM-DD HH:MM\"] [--json] [--wheel FILE.png|FILE.svg] "
    "[--size PIXELS] [--scan YYYY-MM-DD [--orb D:MM] [--csv | --ics]]";

struct Options {
  std::optional<QDate> atDate;  // a local date and time of day, as given
  QTime atTime;
  bool json = false;
  std::string wheel;   // the file name's own bytes, whatever the locale's encoding
  QString wheelShown;  // the same name for messages
  int size = kDefaultWheelSize;
  QDate scan;
  std::optional<ScanOrb> orb;
  ScanFileFormat scanFormat = ScanFileFormat::Text;
};

[[noreturn]] void usageError(const QString& message) {
  std::fprintf(stderr, "heliodial-chart: %s\n", message.toLocal8Bit().constData());
  std::exit(2);
}

[[noreturn]] void failure(const std::string& message) {
  std::fprintf(stderr, "heliodial-chart: %s\n", message.c_str());
  std::exit(1);
}

// The raw bytes of an option's value as the command line gave them ("--wheel NAME" or
// "--wheel=NAME"), so that a file name is used as it is, whatever the locale's encoding.
std::string rawValue(int argc, char** argv, const char* option) {
  const std::string prefix = std::string(option) + "=";
  std::string value;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") break;
    if (arg == option && i + 1 < argc) value = argv[++i];
    if (arg.rfind(prefix, 0) == 0) value = arg.substr(prefix.size());
  }
  return value;
}

struct Parser {
  QCommandLineParser parser;
  QCommandLineOption at{QStringLiteral("at"),
                        QStringLiteral("The chart of this local date and time instead of the "
                                       "present minute."),
                        QStringLiteral("YYYY-MM-DD HH:MM")};
  QCommandLineOption json{QStringLiteral("json"), QStringLiteral("Print one JSON object.")};
  QCommandLineOption wheel{QStringLiteral("wheel"),
                           QStringLiteral("Also draw the wheel to a .png or .svg file."),
                           QStringLiteral("FILE")};
  QCommandLineOption size{QStringLiteral("size"),
                          QStringLiteral("The wheel's size in pixels, %1 to %2 (default %3).")
                              .arg(kMinWheelSize)
                              .arg(kMaxWheelSize)
                              .arg(kDefaultWheelSize),
                          QStringLiteral("PIXELS")};
  QCommandLineOption scan{QStringLiteral("scan"),
                          QStringLiteral("Scan this day for the transiting aspects."),
                          QStringLiteral("YYYY-MM-DD")};
  QCommandLineOption orb{QStringLiteral("orb"),
                         QStringLiteral("The scan's orb (default: the settings' transit orb)."),
                         QStringLiteral("D:MM")};
  QCommandLineOption csv{QStringLiteral("csv"), QStringLiteral("Print the scan as CSV.")};
  QCommandLineOption ics{QStringLiteral("ics"), QStringLiteral("Print the scan as iCalendar.")};
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                          QStringLiteral("List the options.")};
  QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Print the version.")};

  Parser() {
    parser.setApplicationDescription(
        QStringLiteral("The chart of a moment, or the aspects of a day, from the clock's "
                       "settings, without a window."));
    for (const QCommandLineOption* option :
         {&at, &json, &wheel, &size, &scan, &orb, &csv, &ics, &help, &version}) {
      parser.addOption(*option);
    }
  }
};

Options parseArguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  Parser p;
  if (!p.parser.parse(arguments)) {
    // The parser's own words, put as the program has always put them.
    const QStringList unknown = p.parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
      const QString name = unknown.front();
      usageError(QStringLiteral("unknown argument \"%1%2\" (%3)")
                     .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name,
                          QString::fromLatin1(kUsage)));
    }
    static const QRegularExpression missing(QStringLiteral("^Missing value after '(.*)'\\.$"));
    const QRegularExpressionMatch match = missing.match(p.parser.errorText());
    if (match.hasMatch()) {
      usageError(match.captured(1) + QStringLiteral(" needs a value (") + kUsage + ")");
    }
    usageError(p.parser.errorText());
  }
  if (p.parser.isSet(p.help)) {
    const QString help = p.parser.helpText();
    std::printf("%s\n\n%s\n%s", kUsage,
                help.mid(help.indexOf(QStringLiteral("Options:"))).toLocal8Bit().constData(),
                "The settings are read from ${XDG_CONFIG_HOME:-~/.config}/helidial.ini.\n"
                "Exit status: 0 success, 1 the chart or its output failed, 2 a bad argument.\n");
    std::exit(0);
  }
  if (p.parser.isSet(p.version)) {
    std::printf("heliodial-chart %s\n", HELIODIAL_VERSION);
    std::exit(0);
  }
  if (!p.parser.positionalArguments().isEmpty()) {
    usageError(QStringLiteral("unknown argument \"%1\" (%2)")
                   .arg(p.parser.positionalArguments().front(), QString::fromLatin1(kUsage)));
  }

  Options options;
  options.json = p.parser.isSet(p.json);
  if (p.parser.isSet(p.at)) {
    // A date and a time of day, kept apart: whether that moment exists on the local clock
    // depends on the zone the settings name, which is known only once they are read.
    const QString text = p.parser.value(p.at);
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}) (\\d{2}:\\d{2})$"));
    const QRegularExpressionMatch match = form.match(text);
    const QDate date = QDate::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(match.captured(2), QStringLiteral("HH:mm"));
    if (!match.hasMatch() || !date.isValid() || !time.isValid()) {
      usageError(
          QStringLiteral("--at wants a local time as \"YYYY-MM-DD HH:MM\", not \"%1\"").arg(text));
    }
    options.atDate = date;
    options.atTime = time;
  }
  if (p.parser.isSet(p.wheel)) {
    options.wheel = rawValue(argc, argv, "--wheel");
    options.wheelShown = p.parser.value(p.wheel);
    if (!PictureFormatOf(options.wheelShown)) {
      usageError(
          QStringLiteral("--wheel writes .png or .svg files, not \"%1\"").arg(options.wheelShown));
    }
  }
  if (p.parser.isSet(p.size)) {
    const QString text = p.parser.value(p.size);
    bool ok = false;
    options.size = text.toInt(&ok);
    if (!ok || options.size < kMinWheelSize || options.size > kMaxWheelSize) {
      usageError(QStringLiteral("--size wants a whole number of pixels from %1 to %2, not \"%3\"")
                     .arg(kMinWheelSize)
                     .arg(kMaxWheelSize)
                     .arg(text));
    }
  }
  if (p.parser.isSet(p.scan)) {
    const QString text = p.parser.value(p.scan);
    options.scan = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!options.scan.isValid()) {
      usageError(QStringLiteral("--scan wants a day as YYYY-MM-DD, not \"%1\"").arg(text));
    }
  }
  if (p.parser.isSet(p.orb)) {
    const QString text = p.parser.value(p.orb);
    const QStringList parts = text.split(QLatin1Char(':'));
    bool degreesOk = false, minutesOk = false;
    const ScanOrb orb{parts.value(0).toInt(&degreesOk), parts.value(1).toInt(&minutesOk)};
    if (parts.size() != 2 || !degreesOk || !minutesOk || orb.degrees < 0 ||
        orb.degrees > kScanOrbMaxDegrees || orb.minutes < 0 || orb.minutes > kScanOrbMaxMinutes) {
      usageError(QStringLiteral("--orb wants degrees 0..%1 and minutes 0..%2 as D:MM, not \"%3\"")
                     .arg(kScanOrbMaxDegrees)
                     .arg(kScanOrbMaxMinutes)
                     .arg(text));
    }
    options.orb = orb;
  }
  if (p.parser.isSet(p.csv) && p.parser.isSet(p.ics)) {
    usageError(QStringLiteral("choose one of --csv and --ics"));
  }
  if (p.parser.isSet(p.csv)) options.scanFormat = ScanFileFormat::Csv;
  if (p.parser.isSet(p.ics)) options.scanFormat = ScanFileFormat::ICalendar;
  if (!options.scan.isValid() && (options.orb || options.scanFormat != ScanFileFormat::Text)) {
    usageError(QStringLiteral("--orb, --csv and --ics go with --scan (%1)").arg(kUsage));
  }
  if (options.scan.isValid() && (options.atDate || options.json || !options.wheel.empty())) {
    usageError(
        QStringLiteral("--scan prints a report of its own: leave out --at, --json and --wheel"));
  }
  return options;
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

// With the computer's own zone the local clock skips an hour in spring: a time in that gap names
// no moment, and the user is told so rather than that the format is wrong.
void requireExistingLocalTime(const IniDocument& file, QDate date, QTime time) {
  if (file.ReadBool("Place", "ManualZone", false)) return;  // a fixed zone has no gaps
  const QDateTime local(date, time);
  if (local.isValid() && local.time() == time) return;
  usageError(QStringLiteral("--at %1 %2 does not exist in this computer's time zone (%3): the "
                            "clocks skip that time for daylight saving")
                 .arg(date.toString(Qt::ISODate), time.toString(QStringLiteral("HH:mm")),
                      QString::fromUtf8(QTimeZone::systemTimeZoneId())));
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

LoadedSettings loadSettings(int wheelWidth) {
  const IniFile settingsFile;
  LoadedSettings loaded;
  loaded.file = settingsFile.Read();
  SettingsNotices notices;
  LoadSettings(loaded.file, loaded.settings, wheelWidth, SystemStandardBiasMinutes(), &notices);
  for (const std::string& notice : notices) {
    std::fprintf(stderr, "heliodial-chart: %s\n", notice.c_str());
  }
  loaded.place = {std::filesystem::exists(settingsFile.Path()),
                  QString::fromStdString(settingsFile.Path().string())};
  return loaded;
}

// The chart of a moment as a table or JSON, and its wheel as a picture when asked.
void printChart(const Options& options) {
  const LoadedSettings loaded = loadSettings(options.size);
  const Settings& settings = loaded.settings;
  QDate date = options.atDate.value_or(QDate::currentDate());
  QTime time = options.atTime;
  if (options.atDate) {
    requireExistingLocalTime(loaded.file, date, time);
  } else {
    const QDateTime now = QDateTime::currentDateTime();
    date = now.date();
    time = QTime(now.time().hour(), now.time().minute());  // the present minute
  }

  Chart chart = ComputeChart(settings, InitialTheoryTable(), date, time);
  const AspectPass transits = FindTransitAspects(settings, chart.TruePos, chart.HasCusps);
  const AspectPass natal = FindNatalAspects(settings, chart.TruePos, chart.HasCusps);
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
    if (!reason.empty()) failure("cannot write the wheel to " + options.wheel + ": " + reason);
  }
}

// The day scan of the settings' place and aspects: the report's lines, CSV or iCalendar.
void printScan(const Options& options) {
  const LoadedSettings loaded = loadSettings(options.size);
  // Without --orb the transit orb, as the clock's scan dialog presets it.
  const ScanOrb orb = options.orb.value_or(ScanOrbPreset(loaded.settings.TransitOrb));
  DayScan scan(loaded.settings, InitialTheoryTable(), options.scan, orb);
  scan.runAll();
  writeOut(ScanFile(scan, options.scanFormat, QDateTime::currentDateTimeUtc()));
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe is reported like any failed write, not by a signal that ends the program.
  std::signal(SIGPIPE, SIG_IGN);
  const Options options = parseArguments(argc, argv);
  auto app = makeApplication(argc, argv, !options.wheel.empty());
  try {
    if (options.scan.isValid()) {
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
