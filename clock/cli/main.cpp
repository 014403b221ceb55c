// heliodial-chart [--at "YYYY-MM-DD HH:MM"] [--json] [--wheel FILE.png|FILE.svg] [--size PIXELS]
#include <QCoreApplication>
#include <QJsonDocument>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>

#include "chart/ComputeChart.h"
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
    "[--size PIXELS]";

struct Options {
  std::optional<QDateTime> at;
  bool json = false;
  QString wheel;
  int size = kDefaultWheelSize;
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
    } else {
      usageError(QStringLiteral("unknown argument \"%1\" (%2)").arg(arg, kUsage));
    }
  }
  return options;
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
