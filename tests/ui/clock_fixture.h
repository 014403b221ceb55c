// SPDX-License-Identifier: GPL-3.0-or-later
// A running clock for the window tests: the real windows on the offscreen platform, settings in a
// private folder, a time source the test sets, and a notification area the test switches.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>

#include "Application.h"
#include "ClockWindows.h"
#include "ErrorReport.h"
#include "WheelWidget.h"
#include "core/MinuteTimer.h"
#include "settings/temp_config.h"
#include "support/application.h"
#include "support/fixtures.h"
#include "support/private_bus.h"

// The clock window's parts, found by their object names as a test or a screen reader would.
inline TWheelImage& Wheel(const TfrmClock& clock) {
  return *clock.findChild<TWheelImage*>(QStringLiteral("picWheel"));
}
inline QAction* Action(const TfrmClock& clock, const char* name) {
  return clock.findChild<QAction*>(QString::fromLatin1(name));
}
inline QSystemTrayIcon* Tray(const TfrmClock& clock) {
  return clock.findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon1"));
}
inline QMenu* Popup(const TfrmClock& clock) {
  return clock.findChild<QMenu*>(QStringLiteral("PopupMenu1"));
}

class ClockFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApplication<HeliodialApplication>(); }

  // The windows as the program creates them; the minute timer is stopped so that only the test
  // decides when a tick comes.
  std::unique_ptr<ClockWindows> start() {
    ClockEnvironment environment;
    environment.now = [this] { return now; };
    environment.trayAvailable = [this] { return trayAvailable; };
    environment.standardBias = [this] { return standardBias; };
    environment.watchSystem = false;
    environment.askForPlace = askForPlace;
    auto windows = std::make_unique<ClockWindows>(std::move(environment));
    windows->core->Timer1()->stop();
    return windows;
  }

  // A started clock, shown as the program shows it, with its first chart drawn.
  std::unique_ptr<ClockWindows> run() {
    auto windows = start();
    windows->clock->show();
    QCoreApplication::processEvents();
    return windows;
  }

  void settings(const std::string& contents) { config.Write(contents); }

  // Chooses Exit in the context menu and runs the event loop until the program ends (status 0);
  // a refused Exit leaves the loop running, and a bound then ends it with 99.
  static int ExitFromMenu(TfrmClock& clock) {
    QTimer::singleShot(0, &clock, [&clock] { Action(clock, "mnuExit")->trigger(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(120000);
    return QCoreApplication::exec();
  }

  // The minute timer's tick, as the timer delivers it, a minute on.
  void tick(ClockWindows& windows, int minutes = 1) {
    now = now.addSecs(60 * minutes);
    emit windows.core->Timer1()->timeout();
  }

  // Each test has its own error report, so that no box or waiting message outlives it.
  void SetUp() override { report = std::make_unique<ErrorReport>(); }
  void TearDown() override { report.reset(); }

  std::unique_ptr<ErrorReport> report;
  TempConfig config;
  QDateTime now{QDate(2000, 1, 1), QTime(12, 0)};
  bool trayAvailable = true;
  bool askForPlace = false;  // the first start's question, for the tests about it
  int standardBias = 0;
};

// A clock of this process with a session bus of the test program's own, made once per suite.
class ClockOnPrivateBus : public ClockFixture {
 protected:
  static void SetUpTestSuite() {
    ClockFixture::SetUpTestSuite();
    bus = new PrivateBus();
  }
  static void TearDownTestSuite() {
    delete bus;
    bus = nullptr;
  }
  // The clock as the program starts it: on the bus first, then its windows, then shown.
  std::unique_ptr<ClockWindows> serve() {
    EXPECT_EQ(script.serveOn(bus->connection(QStringLiteral("server"))),
              ClockScript::BusStart::Serving);
    auto windows = start();
    windows->serve(script);
    windows->clock->show();
    QCoreApplication::processEvents();
    return windows;
  }
  inline static PrivateBus* bus = nullptr;
  ClockScript script;
};
