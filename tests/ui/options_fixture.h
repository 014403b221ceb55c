// SPDX-License-Identifier: GPL-3.0-or-later
// The settings dialog as the user reaches it: opened from the clock's menu on a running clock, a
// script acting on it while its modal loop runs.
#pragma once

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>

#include "Options.h"
#include "clock_fixture.h"

class OptionsFixture : public ClockFixture {
 protected:
  // Opens "Settings..." from the context menu and runs script on the open dialog; a dialog the
  // script leaves open is cancelled, so a failed expectation cannot hang the test.
  static void Open(ClockWindows& windows, const std::function<void(TfrmOptions&)>& script) {
    bool ran = false;
    QTimer::singleShot(0, windows.clock.get(), [&] {
      TfrmOptions* dialog = windows.clock->optionsDialog();
      if (dialog == nullptr) return;
      script(*dialog);
      ran = true;
      if (windows.clock->optionsDialog() == dialog && dialog->isVisible()) dialog->reject();
    });
    windows.clock->findChild<QAction*>(QStringLiteral("Options1"))->trigger();
    EXPECT_TRUE(ran) << "the dialog did not open";
  }

  template <typename T>
  static T* Find(const QObject& dialog, const QString& name) {
    T* found = dialog.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
  }
  static QSpinBox* Spin(const QObject& d, const QString& name) { return Find<QSpinBox>(d, name); }
  static QComboBox* Combo(const QObject& d, const QString& name) {
    return Find<QComboBox>(d, name);
  }
  // The index of a choice group's selected button, -1 for none.
  static int Choice(const QObject& d, const char* group) {
    return Find<QButtonGroup>(d, QString::fromLatin1(group))->checkedId();
  }
  // A pick in a drop-down as the user makes it.
  static void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  static void Ok(const TfrmOptions& d) { Find<QPushButton>(d, QStringLiteral("btnOK"))->click(); }

  // Sign index, degrees and minutes of natal row k as the page shows them.
  static NatalFields Row(const TfrmOptions& d, int k) {
    return {Combo(d, QStringLiteral("cbS%1").arg(k))->currentIndex(),
            Spin(d, QStringLiteral("spM%1").arg(k))->value(),
            Spin(d, QStringLiteral("spD%1").arg(k))->value()};
  }
};
