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
    EXPECT_EQ(ExitFromMenu(*windows->clock), 0)
        << (tray ? "with" : "without") << " a notification area";
  }
}

}  // namespace
