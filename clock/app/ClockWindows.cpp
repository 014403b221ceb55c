// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockWindows.h"

#include "ErrorReport.h"
#include "core/MinuteTimer.h"

// The help pages and the icon live in the windows' static library, whose resources the program
// must ask for.
static bool LoadResources() {
  Q_INIT_RESOURCE(help);
  Q_INIT_RESOURCE(icons);
  return true;
}

namespace {

ErrorReport* Report() { return ErrorReport::instance(); }

}  // namespace

ClockWindows::ClockWindows(ClockEnvironment environment)
    : resources(LoadResources()),
      core(std::make_unique<ClockCore>(std::move(environment))),
      clock(std::make_unique<TfrmClock>(*core)),
      positions(std::make_unique<TfrmPositions>()),
      about(std::make_unique<TfrmAbout>()),
      info(std::make_unique<TfrmInfo>()),
      transits(std::make_unique<TfrmAspectTT>(core->state().settings)),
      natal(std::make_unique<TfrmAspectTN>(core->state().settings)),
      help(std::make_unique<HelpWindow>()) {
  ClockMenuTargets targets;
  targets.positions = positions.get();
  targets.about = about.get();
  targets.info = info.get();
  targets.transits = transits.get();
  targets.natal = natal.get();
  targets.help = help.get();
  targets.natalGeometry = [this] { return natal->savedGeometry(); };
  targets.transitGeometry = [this] { return transits->savedGeometry(); };
  clock->attachWindows(std::move(targets));
  for (TfrmPage* page : std::initializer_list<TfrmPage*>{about.get(), info.get()})
    QObject::connect(page, &TfrmPage::pageRequested, help.get(), &HelpWindow::showPage);

  // Each chart reaches the windows in this order: the tray icon, the positions table, the
  // transit-to-transit list, the transit-to-natal list, then the wheel.
  ClockCore& c = *core;
  QObject::connect(&c, &ClockCore::chartComputed, clock.get(),
                   [this](const Chart& chart) { clock->showTrayIcon(chart); });
  QObject::connect(&c, &ClockCore::chartComputed, positions.get(),
                   [this](const Chart& chart) { positions->Refresh(PositionTable(chart)); });
  for (TfrmAspectList* list :
       {static_cast<TfrmAspectList*>(transits.get()), static_cast<TfrmAspectList*>(natal.get())}) {
    const AspectList kind =
        list == transits.get() ? AspectList::TransitToTransit : AspectList::TransitToNatal;
    QObject::connect(&c, &ClockCore::chartComputed, list, [this, list, kind](const Chart& chart) {
      list->showList(AspectListFor(core->state().settings, chart, kind));
    });
    QObject::connect(&c, &ClockCore::chartFailed, list, [this, list, kind](const QString& why) {
      list->showList(NoChartListUpdate(core->state().settings, kind, why));
    });
    QObject::connect(list, &TfrmAspectList::toggleTextRequested, &c,
                     [this] { RunReported([this] { core->ToggleTextMode(); }); });
  }
  // A chart of the moment means an error shown before has gone; a new one is worth showing.
  QObject::connect(&c, &ClockCore::chartComputed, clock.get(), [](const Chart&, ChartUpdate u) {
    if (u == ChartUpdate::Moment && Report() != nullptr) Report()->clear();
  });
  QObject::connect(&c, &ClockCore::chartComputed, clock.get(), &TfrmClock::showChart);
  // No chart: every window says so (the chart before is not the chart of the moment), and the
  // error is reported once until it clears.
  QObject::connect(&c, &ClockCore::chartFailed, clock.get(), &TfrmClock::showNoChart);
  QObject::connect(&c, &ClockCore::chartFailed, positions.get(),
                   [this] { positions->Refresh(NoChartPositionTable()); });
  QObject::connect(&c, &ClockCore::chartFailed, clock.get(),
                   [](const QString& reason, const QString& key) {
                     if (Report() != nullptr) Report()->show(reason, key);
                   });
  QObject::connect(&c, &ClockCore::settingsChanged, clock.get(), [] {
    if (Report() != nullptr) Report()->clear();
  });
  c.Timer1()->start();
  // The settings are loaded (the clock window's creation): the alerts find their first event.
  alerts = std::make_unique<AlertSchedule>(c);
  alerts->Rearm();
}

ClockWindows::~ClockWindows() = default;

void ClockWindows::serve(ClockScript& script) {
  script.attachCore(*core);
  QObject::connect(&script, &ClockScript::showRequested, clock.get(),
                   [this] { clock->mnuShowClick(); });
  QObject::connect(alerts.get(), &AlertSchedule::alert, &script, &ClockScript::publishAlert);
  this->script = &script;
}

void ClockWindows::notifyOn(const QDBusConnection& bus) {
  notifier = std::make_unique<Notifier>(bus);
  QObject::connect(alerts.get(), &AlertSchedule::alert, notifier.get(), &Notifier::notify);
  QObject::connect(notifier.get(), &Notifier::showRequested, clock.get(), [this] {
    if (script != nullptr) {
      script->Show();
    } else {
      clock->mnuShowClick();
    }
  });
}
