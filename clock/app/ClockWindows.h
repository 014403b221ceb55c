// SPDX-License-Identifier: GPL-3.0-or-later
// The running clock as the program starts it: the core, then the windows in the program's fixed
// order (clock, positions, about, information, transit-to-transit, transit-to-natal), and the
// wiring that hands each chart of the core to the windows, and the alerts. They live until the
// program ends.
#ifndef HELIODIAL_CLOCKWINDOWS_H
#define HELIODIAL_CLOCKWINDOWS_H

#include <memory>

#include "About.h"
#include "Clock.h"
#include "ClockScript.h"
#include "HelpWindow.h"
#include "Notifier.h"
#include "TrToNatal.h"
#include "Transit.h"
#include "core/AlertSchedule.h"
#include "core/ClockCore.h"
#include "position.h"

struct ClockWindows {
  explicit ClockWindows(ClockEnvironment environment = {});
  ~ClockWindows();
  ClockWindows(const ClockWindows&) = delete;
  ClockWindows& operator=(const ClockWindows&) = delete;

  // The automation object serves the core's charts and alerts, and its Show() brings the clock
  // up.
  void serve(ClockScript& script);
  // The alerts also go to the desktop's notification server on this bus; their "Show clock"
  // takes the path of Show().
  void notifyOn(const QDBusConnection& bus);

  bool resources;
  std::unique_ptr<ClockCore> core;
  std::unique_ptr<TfrmClock> clock;
  std::unique_ptr<TfrmPositions> positions;
  std::unique_ptr<TfrmAbout> about;
  std::unique_ptr<TfrmInfo> info;
  std::unique_ptr<TfrmAspectTT> transits;
  std::unique_ptr<TfrmAspectTN> natal;
  std::unique_ptr<HelpWindow> help;
  std::unique_ptr<AlertSchedule> alerts;
  std::unique_ptr<Notifier> notifier;
  ClockScript* script = nullptr;
};

#endif
