// SPDX-License-Identifier: GPL-3.0-or-later
// Runs heliodial-chart as a user or a script would: the real program, its settings in a private
// folder, with the environment and working folder a test asks for.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

struct Outcome {
  int status;  // the exit status, or -1 when a signal ended the program
  QByteArray out, err;
};

struct CompanionRun {
  QString configHome;  // XDG_CONFIG_HOME, also the working folder and XDG_RUNTIME_DIR
  QString zone;        // TZ, or "" to keep the test's own
  QString locale;      // LC_ALL, or "" to keep the test's own
  std::function<void(QProcess&)> prepare = {};
};

// The companion with arguments; with shell set, args[0] is a shell line that gets the companion
// as $0, for raw bytes and redirections.
inline Outcome RunCompanion(const CompanionRun& run, const QStringList& args, bool shell = false) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", run.configHome);
  env.insert("XDG_RUNTIME_DIR", run.configHome);  // Qt warns on standard error without one
  if (!run.zone.isEmpty()) env.insert("TZ", run.zone);
  if (!run.locale.isEmpty()) env.insert("LC_ALL", run.locale);
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(run.configHome);
  if (run.prepare) run.prepare(process);
  if (shell) {
    process.start("/bin/sh", {"-c", args.value(0), HELIODIAL_CHART_EXE});
  } else {
    process.start(HELIODIAL_CHART_EXE, args);
  }
  const bool finished = process.waitForFinished(60000);
  if (!finished) process.kill();
  return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
}
