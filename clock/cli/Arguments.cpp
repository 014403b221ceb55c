// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Arguments.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

#include "cli/OneLine.h"
#include "wheel/WheelImage.h"

const char* const kUsage =
    "usage: heliodial-chart [--at \"YYYY-MM-DD HH:MM\"] [--json] [--wheel FILE.png|FILE.svg] "
    "[--size PIXELS] [--scan YYYY-MM-DD [--orb D:MM] [--csv | --ics]] "
    "[--ephemeris theory|precise] [--zone NAME] [--place NAME] "
    "[--moon YYYY-MM-DD [--days N] [--rule 0|1|2] [--json | --ics]]";

namespace {

// Usage messages are one line of our own words, so the whole of each can go through OneLine with
// the arguments it quotes.
[[noreturn]] void usageError(const QString& message) {
  throw ArgumentError(OneLine(message).toLocal8Bit().toStdString());
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
  QCommandLineOption ephemeris{
      QStringLiteral("ephemeris"),
      QStringLiteral("Positions from the documented theory or, precise, from the Swiss Ephemeris "
                     "(default: the settings' choice)."),
      QStringLiteral("theory|precise")};
  QCommandLineOption zone{QStringLiteral("zone"),
                          QStringLiteral("The time zone of this run, such as Europe/London, in "
                                         "place of the settings' zone (default: the settings')."),
                          QStringLiteral("NAME")};
  QCommandLineOption place{
      QStringLiteral("place"),
      QStringLiteral("The chart for this town of the offline atlas instead of the settings' "
                     "latitude and longitude (\"London\", \"Springfield, Illinois\")."),
      QStringLiteral("NAME")};
  QCommandLineOption moon{QStringLiteral("moon"),
                          QStringLiteral("The Moon's stays in the signs, her ingresses and void "
                                         "windows, from this local day (--json, --ics)."),
                          QStringLiteral("YYYY-MM-DD")};
  QCommandLineOption days{QStringLiteral("days"),
                          QStringLiteral("How many days --moon covers, 1 to %1 (default %2).")
                              .arg(kMaxMoonDays)
                              .arg(kDefaultMoonDays),
                          QStringLiteral("N")};
  QCommandLineOption rule{QStringLiteral("rule"),
                          QStringLiteral("The void of course for --moon: 0 the degree test, 1 "
                                         "classical (Sun..Saturn), 2 modern (Sun..Pluto)."),
                          QStringLiteral("0|1|2")};
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                          QStringLiteral("List the options.")};
  QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Print the version.")};

  Parser() {
    parser.setApplicationDescription(
        QStringLiteral("The chart of a moment, or the aspects of a day, from the clock's "
                       "settings, without a window."));
    for (const QCommandLineOption* option :
         {&at, &json, &wheel, &size, &scan, &orb, &csv, &ics, &ephemeris, &zone, &place, &moon,
          &days, &rule, &help, &version}) {
      parser.addOption(*option);
    }
  }
};

// --moon DAY [--days N] [--rule 0|1|2] [--json | --ics]: a timetable of its own.
void parseMoon(const Parser& p, Options& options) {
  if (!p.parser.isSet(p.moon)) {
    usageError(QStringLiteral("--days and --rule go with --moon (%1)").arg(kUsage));
  }
  if (p.parser.isSet(p.scan) || options.atDate || !options.wheel.empty() || p.parser.isSet(p.orb) ||
      p.parser.isSet(p.csv)) {
    usageError(
        QStringLiteral("--moon prints a timetable of its own: leave out --scan, --at, "
                       "--wheel, --orb and --csv"));
  }
  if (options.json && p.parser.isSet(p.ics))
    usageError(QStringLiteral("choose one of --json and --ics"));
  if (p.parser.isSet(p.days)) {
    const QString text = p.parser.value(p.days);
    bool ok = false;
    options.moonDays = text.toInt(&ok);
    if (!ok || options.moonDays < 1 || options.moonDays > kMaxMoonDays) {
      usageError(QStringLiteral("--days wants a whole number of days from 1 to %1, not \"%2\"")
                     .arg(kMaxMoonDays)
                     .arg(text));
    }
  }
  if (p.parser.isSet(p.rule)) {
    const QString text = p.parser.value(p.rule);
    bool ok = false;
    const int rule = text.toInt(&ok);
    if (!ok || rule < 0 || rule > 2 || text.size() != 1) {
      usageError(QStringLiteral("--rule wants 0, 1 or 2, not \"%1\"").arg(text));
    }
    options.moonRule = rule;
  }
  // As for --scan, the whole span must lie within the years --at takes, zone included.
  const QString text = p.parser.value(p.moon);
  static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
  const QDate first(1, 1, 2), last = QDate(9999, 12, 29).addDays(-options.moonDays);
  options.moon = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
  if (!form.match(text).hasMatch() || !options.moon.isValid() || options.moon < first ||
      options.moon > last) {
    usageError(QStringLiteral("--moon wants a day from %1 to %2 as YYYY-MM-DD, not \"%3\"")
                   .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate), text));
  }
  if (p.parser.isSet(p.ics)) options.scanFormat = ScanFileFormat::ICalendar;
  options.action = Options::Action::Moon;
}

}  // namespace

Options ParseCommandLine(int argc, char** argv) {
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
  Options options;
  if (p.parser.isSet(p.help)) {
    options.action = Options::Action::Help;
    return options;
  }
  if (p.parser.isSet(p.version)) {
    options.action = Options::Action::Version;
    return options;
  }
  if (!p.parser.positionalArguments().isEmpty()) {
    usageError(QStringLiteral("unknown argument \"%1\" (%2)")
                   .arg(p.parser.positionalArguments().front(), QString::fromLatin1(kUsage)));
  }

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
    // The years --at takes, 1 to 9999, must hold the whole scan in Universal Time: the day moved
    // by up to a day of zone either way, and the end of its last minute.
    const QString text = p.parser.value(p.scan);
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate first(1, 1, 2), last(9999, 12, 29);
    options.scan = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!form.match(text).hasMatch() || !options.scan.isValid() || options.scan < first ||
        options.scan > last) {
      usageError(QStringLiteral("--scan wants a day from %1 to %2 as YYYY-MM-DD, not \"%3\"")
                     .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate), text));
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
  if (p.parser.isSet(p.ephemeris)) {
    const QString text = p.parser.value(p.ephemeris);
    if (text == QLatin1String("theory")) {
      options.ephemeris = 0;
    } else if (text == QLatin1String("precise")) {
      options.ephemeris = 1;
    } else {
      usageError(QStringLiteral("--ephemeris wants theory or precise, not \"%1\"").arg(text));
    }
  }
  if (p.parser.isSet(p.zone)) {
    options.zone = p.parser.value(p.zone).trimmed();
    if (options.zone.isEmpty() || !QTimeZone(options.zone.toUtf8()).isValid()) {
      usageError(QStringLiteral("--zone wants a time zone this system knows, such as "
                                "Europe/London or America/New_York, not \"%1\"")
                     .arg(p.parser.value(p.zone)));
    }
  }
  if (p.parser.isSet(p.place)) {
    options.place = p.parser.value(p.place);
    if (AtlasKey(options.place.section(QLatin1Char(','), 0, 0)).isEmpty()) {
      usageError(QStringLiteral("--place wants the name of a town, not \"%1\"").arg(options.place));
    }
  }
  if (p.parser.isSet(p.csv) && p.parser.isSet(p.ics)) {
    usageError(QStringLiteral("choose one of --csv and --ics"));
  }
  if (p.parser.isSet(p.moon) || p.parser.isSet(p.days) || p.parser.isSet(p.rule)) {
    parseMoon(p, options);
    return options;
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
  if (options.scan.isValid()) options.action = Options::Action::Scan;
  return options;
}

QString HelpText() {
  Parser p;
  const QString help = p.parser.helpText();
  return QString::fromLatin1(kUsage) + QStringLiteral("\n\n") +
         help.mid(help.indexOf(QStringLiteral("Options:"))) +
         QStringLiteral(
             "\nThe settings are read from ${XDG_CONFIG_HOME:-~/.config}/helidial.ini.\n"
             "Exit status: 0 success, 1 the chart or its output failed, 2 a bad "
             "argument.\n");
}
