// SPDX-License-Identifier: GPL-3.0-or-later
// The one Qt application object of a test program, of the kind its code needs (QCoreApplication
// for the core, QGuiApplication for drawing, the clock's own for windows), made on first use.
#pragma once

#include <QCoreApplication>

template <typename Application>
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "heliodial_test";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new Application(argc, argv);
}
