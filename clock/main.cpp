// heliodial: the clock. Creates the windows in their fixed order and runs until Exit or the end of
// the session.
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "Application.h"
#include "Clock.h"

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
  QObject::connect(clock.picWheel, &TWheelImage::wheelPainted, &clock, [] {
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

}  // namespace

int main(int argc, char** argv) {
  HeliodialApplication app(argc, argv);
  // Whether a notification area holds the icon decides how closing behaves; it is asked before
  // any window exists, and followed afterwards.
  ClockEnvironment environment;
  ClockWindows windows(std::move(environment));
  followTerminationSignals(*windows.clock);
  exitAfterFirstPaint(*windows.clock);
  windows.clock->show();
  return app.exec();
}
