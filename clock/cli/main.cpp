// heliodial-chart [--at "YYYY-MM-DD HH:MM"] [--json] [--wheel FILE.png|FILE.svg] [--size PIXELS]
//                 [--scan YYYY-MM-DD [--orb D:MM] [--csv | --ics]]
#include <QCoreApplication>
#include <QJsonDocument>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>

#include "chart/ComputeChart.h"
#include "chart/DayScan.h"
#include "chart/ScanExport.h"
#include "cli/ChartReport.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#ifdef HELIODIAL_WITH_WHEEL
#include <QGuiApplication>

#include "wheel/WheelImage.h"
#endif

namespace {

constexpr int kDefaultWheelSize = 576;
constexpr int kMinWheelSize = 64;
constexpr int kMaxWheelSize = 8192;

const char* const kUsage =
    "usage: heliodial-chart [--at \"YYYY-MM-DD HH:MM\"] [--json] [--wheel FILE.png|FILE.svg] "
    "[--size PIXELS] [--scan YYYY-MM-DD [--orb D:MM] [--csv | --ics]]";

struct Options {
  std::optional<QDateTime> at;
  bool json = false;
  QString wheel;
  int size = kDefaultWheelSize;
  QDate scan;
  std::optional<ScanOrb> orb;
  ScanFileFormat scanFormat = ScanFileFormat::Text;
};

[[noreturn]] void usageError(const QString& message) {
  std::fprintf(stderr, "heliodial-chart: %s\n", message.toLocal8Bit().constData());
  std::exit(2);
}

Options parseArguments(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    const auto value = [&]() -> QString {
      if (i + 1 >= argc) usageError(arg + QStringLiteral(" needs a value (") + kUsage + ")");
      return QString::fromLocal8Bit(argv[++i]);
    };
    if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
      std::printf("%s\n", kUsage);
      std::exit(0);
    } else if (arg == QLatin1String("--json")) {
      options.json = true;
    } else if (arg == QLatin1String("--at")) {
      const QString text = value();
      const QDateTime at = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
      if (!at.isValid()) {
        usageError(QStringLiteral("--at wants a local time as \"YYYY-MM-DD HH:MM\", not \"%1\"")
                       .arg(text));
      }
      options.at = at;
    } else if (arg == QLatin1String("--wheel")) {
      options.wheel = value();
      const QString suffix = options.wheel.section(QLatin1Char('.'), -1).toLower();
      if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
        usageError(
            QStringLiteral("--wheel writes .png or .svg files, not \"%1\"").arg(options.wheel));
      }
    } else if (arg == QLatin1String("--size")) {
      const QString text = value();
      bool ok = false;
      options.size = text.toInt(&ok);
      if (!ok || options.size < kMinWheelSize || options.size > kMaxWheelSize) {
        usageError(QStringLiteral("--size wants a whole number of pixels from %1 to %2, not \"%3\"")
                       .arg(kMinWheelSize)
                       .arg(kMaxWheelSize)
                       .arg(text));
      }
    } else if (arg == QLatin1String("--scan")) {
      const QString text = value();
      options.scan = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
      if (!options.scan.isValid()) {
        usageError(QStringLiteral("--scan wants a day as YYYY-MM-DD, not \"%1\"").arg(text));
      }
    } else if (arg == QLatin1String("--orb")) {
      const QString text = value();
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
    } else if (arg == QLatin1String("--csv") || arg == QLatin1String("--ics")) {
      const ScanFileFormat format =
          arg == QLatin1String("--csv") ? ScanFileFormat::Csv : ScanFileFormat::ICalendar;
      if (options.scanFormat != ScanFileFormat::Text && options.scanFormat != format) {
        usageError(QStringLiteral("choose one of --csv and --ics"));
      }
      options.scanFormat = format;
    } else {
      usageError(QStringLiteral("unknown argument \"%1\" (%2)").arg(arg, kUsage));
    }
  }
  if (!options.scan.isValid() && (options.orb || options.scanFormat != ScanFileFormat::Text)) {
    usageError(QStringLiteral("--orb, --csv and --ics go with --scan (%1)").arg(kUsage));
  }
  if (options.scan.isValid() && (options.at || options.json || !options.wheel.isEmpty())) {
    usageError(
        QStringLiteral("--scan prints a report of its own: leave out --at, --json and --wheel"));
  }
  return options;
}

// The day scan of the settings' place and aspects, written to standard output.
void printScan(const Options& options) {
  Settings settings;
  LoadSettings(IniFile(), settings, options.size);
  // Without --orb the transit orb, as the clock's scan dialog presets it.
  const ScanOrb orb = options.orb.value_or(ScanOrbPreset(settings.TransitOrb));
  DayScan scan(settings, InitialTheoryTable(), options.scan, orb);
  scan.runAll();
  const QByteArray out = ScanFile(scan, options.scanFormat, QDateTime::currentDateTimeUtc());
  std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool needsFonts) {
#ifdef HELIODIAL_WITH_WHEEL
  if (needsFonts) {
    // Drawing needs a GUI application; without a display the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return std::make_unique<QGuiApplication>(argc, argv);
  }
#else
  (void)needsFonts;
#endif
  return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseArguments(argc, argv);
  auto app = makeApplication(argc, argv, !options.wheel.isEmpty());
#ifndef HELIODIAL_WITH_WHEEL
  if (!options.wheel.isEmpty()) usageError(QStringLiteral("this build cannot draw the wheel"));
#endif

  try {
    if (options.scan.isValid()) {
      printScan(options);
      return 0;
    }
    QDateTime local = options.at.value_or(QDateTime::currentDateTime());
    local.setTime(QTime(local.time().hour(), local.time().minute()));  // the present minute

    Settings settings;
    LoadSettings(IniFile(), settings, options.size);
    Chart chart = ComputeChart(settings, InitialTheoryTable(), local.date(), local.time());
    // A single chart reads best with the lists in words and no running log.
    const AspectPass transits = FindTransitAspects(settings, chart.TruePos);
    const AspectPass natal = FindNatalAspects(settings, chart.TruePos);
    chart.PairString = transits.pairString;
    const ChartWithAspects report{settings, chart, transits, natal};

    if (options.json) {
      const QByteArray json =
          QJsonDocument(jsonReport(report, local)).toJson(QJsonDocument::Indented);
      std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
    } else {
      std::fputs(textReport(report, local).toUtf8().constData(), stdout);
    }

#ifdef HELIODIAL_WITH_WHEEL
    if (!options.wheel.isEmpty()) {
      // The wheel as the clock window shows the chart of this minute.
      QString error;
      if (!WriteWheelImage(settings, ViewForWheel(chart), options.wheel, options.size, &error)) {
        std::fprintf(stderr, "heliodial-chart: %s\n", error.toLocal8Bit().constData());
        return 1;
      }
    }
#endif
  } catch (const std::exception& e) {
    std::fprintf(stderr, "heliodial-chart: %s\n", e.what());
    return 1;
  }
  return 0;
}
