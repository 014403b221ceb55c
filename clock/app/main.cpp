// SPDX-License-Identifier: GPL-3.0-or-later
// heliodial: the clock. Creates the windows in their fixed order and runs until Exit or the end of
// the session.
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QDBusConnection>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <vector>

#include "Application.h"
#include "ClockWindows.h"
#include "Registration.h"
#include "WheelWidget.h"

namespace {

int terminationPipe[2] = {-1, -1};

void onTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(terminationPipe[1], &byte, 1);
}

// The session manager ends the programs of a session with SIGTERM: close as a session end does,
// without saving, from the event loop rather than from the signal handler.
void followTerminationSignals(TfrmClock& clock) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationPipe) != 0) return;
  auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &clock);
  QObject::connect(notifier, &QSocketNotifier::activated, &clock, [&clock] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(terminationPipe[0], &byte, 1);
    clock.WMQueryEndSession();
    QCoreApplication::exit(0);
  });
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
}

// For the start-up benchmark: with HELIODIAL_EXIT_AFTER_FIRST_PAINT set, the program prints its
// resident memory once the first wheel is on the screen, and ends.
void exitAfterFirstPaint(TfrmClock& clock) {
  if (!qEnvironmentVariableIsSet("HELIODIAL_EXIT_AFTER_FIRST_PAINT")) return;
  QObject::connect(clock.findChild<TWheelImage*>(QStringLiteral("picWheel")),
                   &TWheelImage::wheelPainted, &clock, [] {
                     QFile status(QStringLiteral("/proc/self/status"));
                     if (status.open(QIODevice::ReadOnly)) {
                       for (const QByteArray& line : status.readAll().split('\n')) {
                         if (line.startsWith("VmRSS:")) std::printf("%s\n", line.constData());
                       }
                     }
                     std::fflush(stdout);
                     QCoreApplication::exit(0);
                   });
}

void Say(const std::string& text) { std::fprintf(stderr, "heliodial: %s\n", text.c_str()); }

// --help and --version answer without a display; every other argument is a start switch or one
// of Qt's own options (-platform, -style), which the application object takes.
bool AnswerInformationOptions(int argc, char** argv) {
  QCoreApplication core(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Heliodial, an astrological clock: the horoscope wheel of the present minute "
                     "for your place, from the notification area."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("List the options and switches."));
  const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Print the version."));
  parser.addOption(help);
  parser.addOption(version);
  parser.parse(core.arguments());  // anything else is not ours to judge
  if (parser.isSet(version)) {
    std::printf("heliodial %s\n", HELIODIAL_VERSION);
    return true;
  }
  if (!parser.isSet(help)) return false;
  std::printf(
      "usage: heliodial [--hidden] [-Automation | -Embedding | -RegServer | -UnregServer]\n\n%s\n"
      "Switches (any case, led by - or /):\n"
      "  (none)        Run the clock.\n"
      "  -Automation   Run for a program that asked over D-Bus; end when its last client goes.\n"
      "  -Embedding    The same.\n"
      "  -RegServer    Write the D-Bus activation file, and end.\n"
      "  -UnregServer  Remove it, and end.\n"
      "  --hidden      Start in the notification area, the window hidden (minimised where the\n"
      "                desktop has no notification area): how the session starts the clock.\n\n"
      "The settings are kept in ${XDG_CONFIG_HOME:-~/.config}/helidial.ini.\n",
      parser.helpText()
          .mid(parser.helpText().indexOf(QStringLiteral("Options:")))
          .toLocal8Bit()
          .constData());
  return true;
}

// The platform Qt will load: the last -platform argument (Qt takes "--platform" too), else
// QT_QPA_PLATFORM; empty when neither names one.
QString PlatformAsked(int argc, char** argv) {
  QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-platform" || arg == "--platform") platform = QString::fromLocal8Bit(argv[i + 1]);
  }
  return platform;
}

// Whether the clock is about to start on a desktop platform with no display to connect to (an
// SSH session, an activation on a headless machine): Qt's X11 plugin would abort with a core
// dump. Other platforms (offscreen, a framebuffer, VNC) need no display variable, and Qt says
// itself what is wrong with them.
bool WantsAMissingDisplay(int argc, char** argv) {
  if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    return false;
  }
  const QString platform = PlatformAsked(argc, argv);
  if (platform.isEmpty()) return true;  // Qt's default here is X11, or Wayland in its session
  // "wayland;xcb" tries each in turn; "xcb:option" carries options after the name.
  for (const QString& entry : platform.split(u';', Qt::SkipEmptyParts)) {
    const QString name = entry.section(u':', 0, 0).trimmed();
    if (name != u"xcb" && !name.startsWith(u"wayland")) return false;
  }
  return true;
}

constexpr char kNeedsADisplay[] =
    "the clock needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set; heliodial-chart "
    "computes the same charts without one.";

// "REGSERVER" and "UNREGSERVER": the activation file alone, with no window and no display.
int RunRegistrationSwitch(StartAction action) {
  try {
    if (action == StartAction::Register) {
      WriteActivationFile(ProgramPath());
    } else {
      RemoveActivationFile();
    }
  } catch (const RegistrationError& e) {
    Say(e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "--version") {
      if (AnswerInformationOptions(argc, argv)) return 0;
      break;
    }
  }
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const StartAction action = ParseStartSwitches(arguments);
  if (action == StartAction::Register || action == StartAction::Unregister) {
    return RunRegistrationSwitch(action);
  }

  // Before the application object, which would abort; a bus that started the clock for a client
  // sees it end and answers the client with an error.
  if (WantsAMissingDisplay(argc, argv)) {
    Say(kNeedsADisplay);
    return 1;
  }

  HeliodialApplication app(argc, argv);
  // Registered on every start, so that the file follows the program when it moves.
  try {
    WriteActivationFile(ProgramPath());
  } catch (const RegistrationError& e) {
    Say(std::string(e.what()) + " (other programs cannot start the clock when it is not running)");
  }

  // One clock per session, decided before any window exists: the bus name is the lock.
  ClockScript script;
  QString why;
  switch (script.serveOn(QDBusConnection::sessionBus(), &why)) {
    case ClockScript::BusStart::Serving:
      break;
    case ClockScript::BusStart::NameTaken:
      // Started for a client, the running clock serves it; started by a person, it shows itself.
      if (action == StartAction::RunForClient) return 0;
      if (!AskRunningClockToShow(QDBusConnection::sessionBus(), &why)) {
        Say("a clock already runs in this session but did not come forward: " + why.toStdString());
        return 1;
      }
      return 0;
    case ClockScript::BusStart::Unavailable:
      // Said once the clock is running, on standard error: a box at every start would nag those
      // who never script the clock.
      QTimer::singleShot(0, &app, [why] {
        Say("no D-Bus session bus (" + why.toStdString() +
            "): the clock runs, but other programs cannot read its positions.");
      });
      break;
  }

  // Whether a notification area holds the icon decides how closing behaves; it is asked before
  // any window exists, and followed afterwards.
  ClockEnvironment environment;
  ClockWindows windows(std::move(environment));
  windows.serve(script);
  windows.notifyOn(QDBusConnection::sessionBus());
  if (action == StartAction::RunForClient) {
    script.endWithLastClient();
    // Not quit(): that asks the windows to close, and the clock window only hides.
    QObject::connect(&script, &ClockScript::lastClientGone, &app,
                     [] { QCoreApplication::exit(0); });
  }
  followTerminationSignals(*windows.clock);
  exitAfterFirstPaint(*windows.clock);
  if (std::ranges::find(arguments, std::string_view("--hidden")) != arguments.end()) {
    windows.clock->startHidden();
  } else {
    windows.clock->show();
  }
  return app.exec();
}
