// SPDX-License-Identifier: GPL-3.0-or-later
// A session bus of the test program's own: its own dbus-daemon, so that the clock's well-known
// name never meets another test program's clock, with an activation folder the test chooses.
// And the two ways a test waits while this thread serves the bus: a real client program, and
// QtDBus calls made from a thread of their own.
#pragma once

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>

// Generous bounds: a sanitizer build starts programs slowly. Nothing waits for them to pass.
inline constexpr int kPatience = 120000;

class PrivateBus {
 public:
  // serviceFolder: where the bus looks for activation files (none when empty); environment: what
  // the programs it starts for clients get.
  explicit PrivateBus(
      const QString& serviceFolder = {},
      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    const QString config = folder_.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write bus.conf");
    file.write(QStringLiteral(
                   "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig>\n  <type>session</type>\n  <listen>unix:dir=%1</listen>\n%2"
                   "  <limit name=\"service_start_timeout\">%3</limit>\n"
                   "  <policy context=\"default\">\n    <allow send_destination=\"*\"/>\n"
                   "    <allow receive_sender=\"*\"/>\n    <allow own=\"*\"/>\n  </policy>\n"
                   "</busconfig>\n")
                   .arg(folder_.path(),
                        serviceFolder.isEmpty()
                            ? QString()
                            : QStringLiteral("  <servicedir>%1</servicedir>\n").arg(serviceFolder))
                   .arg(kPatience)
                   .toUtf8());
    file.close();
    daemon_.setProcessEnvironment(environment);
    daemon_.setProcessChannelMode(QProcess::SeparateChannels);
    // A test program that dies takes its bus with it.
    daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                   QStringLiteral("--print-address")});
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(kPatience)) {
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) throw std::runtime_error("dbus-daemon gave no address");
  }
  ~PrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    daemon_.terminate();
    daemon_.waitForFinished(kPatience);
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  const QString& address() const { return address_; }

  // A connection of this process to the bus, one per name.
  QDBusConnection connection(const QString& name) {
    if (!names_.contains(name)) names_ << name;
    return QDBusConnection::connectToBus(address_, name);
  }

  // The environment of a program that is to use this bus as its session bus.
  QProcessEnvironment clientEnvironment(
      QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const {
    base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    return base;
  }

 private:
  QTemporaryDir folder_;
  QProcess daemon_;
  QString address_;
  QStringList names_;
};

struct ClientRun {
  bool finished = false;
  int status = -1;
  QString out, err;
};

// Runs a program to its end while this thread's event loop serves the bus.
inline ClientRun RunServing(const QString& program, const QStringList& arguments,
                            const QProcessEnvironment& environment) {
  QProcess process;
  process.setProcessEnvironment(environment);
  QSignalSpy finished(&process, &QProcess::finished);
  process.start(program, arguments);
  ClientRun run;
  run.finished = finished.count() > 0 || finished.wait(kPatience);
  if (!run.finished) {
    process.kill();
    process.waitForFinished(kPatience);
  }
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromUtf8(process.readAllStandardOutput());
  run.err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

// Runs work on a thread of its own (blocking QtDBus calls there) while this thread's event loop
// serves the bus.
inline void OffThread(std::function<void()> work) {
  QThread* thread = QThread::create(std::move(work));
  QSignalSpy finished(thread, &QThread::finished);
  thread->start();
  if (finished.count() == 0 && !finished.wait(kPatience)) {
    ADD_FAILURE() << "the client thread hangs";
    thread->terminate();
  }
  thread->wait();
  delete thread;
}
