// SPDX-License-Identifier: GPL-3.0-or-later
// Exit ends the running program, with or without a notification area, the clock shown or not.
#include <QTimer>

#include "clock_fixture.h"

namespace {

using ExitTest = ClockFixture;

TEST_F(ExitTest, ExitEndsTheEventLoopWhateverTheWindowDoesOnClose) {
  // Without a notification area a close only minimises: the window stays.
  for (const bool tray : {true, false}) {
    trayAvailable = tray;
    auto windows = run();
    QTimer::singleShot(0, windows->clock.get(),
                       [&] { Action(*windows->clock, "mnuExit")->trigger(); });
    // A refused exit leaves the loop running; this bound ends it with another code.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(120000);
    EXPECT_EQ(QApplication::exec(), 0) << (tray ? "with" : "without") << " a notification area";
  }
}

}  // namespace
