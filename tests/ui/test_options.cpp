// SPDX-License-Identifier: GPL-3.0-or-later
// The settings dialog on a running clock: what it shows of the file, what OK and Cancel do, the
// controls that act at once, a save that fails, and its help.
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QColorDialog>
#include <QDateEdit>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimeEdit>
#include <QTimeZone>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "BirthForm.h"
#include "ErrorReport.h"
#include "PlaceSearch.h"
#include "Registration.h"
#include "options_fixture.h"
#include "settings/settings_compare.h"
#include "wheel/WheelLayout.h"

namespace {

using OptionsDialog = OptionsFixture;

// Hand-edited values out of the controls' ranges, and no orb minutes.
const char* const kOddFile =
    "[Setting]\nHouses=5\nGlyphs=-3\nSize=10\nColor=$0000FF\nZodiac=1\nEphemeris=7\n"
    "[Place]\nNS=2\nEW=1\nLatD=120\nLatM=30\nLongD=13\n"
    "[Custom]\nDegree=3\nAspect=200\n"
    "[Show]\nHelioCentric=7\nText=1\n";

TEST_F(OptionsDialog, ShowsTheFileClampedAndOkStoresWhatItShowed) {
  settings(kOddFile);
  auto windows = run();
  Settings& memory = windows->core->state().settings;
  memory.TextMode = false;  // "Use Text" comes from memory, not from the file
  const Settings before = memory;

  Open(*windows, [&](TfrmOptions& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Set Clock"));
    EXPECT_EQ(d.size(), QSize(471, 390));
    EXPECT_EQ(d.minimumSize(), d.maximumSize()) << "not resizable";
    const auto* pages = Find<QTabWidget>(d, QStringLiteral("PageControl1"));
    EXPECT_EQ(pages->currentIndex(), 0);
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i) captions << pages->tabText(i);
    EXPECT_EQ(captions, (QStringList{"General", "Aspects", "Natal", "Show", "Alerts"}));

    const std::pair<const char*, int> choices[] = {
        {"optHouse", 2},    // Houses 5: "Equal", the last entry
        {"optColor", -1},   // Glyphs -3: nothing selected
        {"optEphem", 1},    // HelioCentric 7
        {"optZodiac", 1}};  //
    for (const auto& [group, index] : choices) EXPECT_EQ(Choice(d, group), index) << group;
    const std::pair<const char*, int> spins[] = {
        {"spnLatD", 90}, {"spnLatM", 30},  {"spnLongD", 13}, {"spOrbDeg", 3},
        {"spOrbMin", 0}, {"spOrbDeg2", 1}, {"spOrbMin2", 0}, {"spnCustDeg", 180}};
    for (const auto& [name, value] : spins) {
      EXPECT_EQ(Spin(d, QString::fromLatin1(name))->value(), value) << name;
    }
    EXPECT_EQ(Find<QSlider>(d, QStringLiteral("tbPSize"))->value(), 25);
    EXPECT_EQ(Find<QLabel>(d, QStringLiteral("lblSize"))->text(), QStringLiteral("Very Small"));
    EXPECT_TRUE(Find<QRadioButton>(d, QStringLiteral("optS"))->isChecked()) << "NS 2";
    EXPECT_TRUE(Find<QRadioButton>(d, QStringLiteral("optW"))->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(d, QStringLiteral("optText"))->isChecked());
    EXPECT_EQ(Combo(d, QStringLiteral("cbPositions"))->currentIndex(), 0) << "Ephemeris 7";
    Ok(d);
  });

  // Exactly what the settings model's save writes for those values, byte for byte.
  TempConfig expectedConfig;  // a second private folder
  expectedConfig.Write(kOddFile);
  IniFile expectedFile(expectedConfig.IniPath());
  Settings expectedMemory = before;
  SaveOptions(expectedFile, ReadOptionsValues(IniDocument::Parse(kOddFile), before),
              expectedMemory);
  const std::string written = config.Contents();
  EXPECT_EQ(written, expectedConfig.Contents());
  for (const char* line : {"Houses=2\n", "Glyphs=-1\n", "Size=25\n", "NS=0\n", "EW=1\n",
                           "LatD=90\n", "Minute=0\n", "MinuteN=0\n", "Aspect=180\n",
                           "HelioCentric=1\n", "Text=0\n", "Color=255\n", "Ephemeris=0\n"}) {
    EXPECT_NE(written.find(line), std::string::npos) << line;
  }

  // Reloaded: the transit orb is now 3 00 rather than the loader's 3 01.
  EXPECT_EQ(memory.TransitOrb, 3.0);
  EXPECT_EQ(memory.HouseCode, HouseSystem::Equal);
  EXPECT_EQ(memory.LatDeg, -90);
  EXPECT_TRUE(windows->core->state().LiveClock);
  EXPECT_TRUE(windows->core->Timer1()->isActive()) << "restarted";
  windows->core->Timer1()->stop();
}

TEST_F(OptionsDialog, PrecisePositionsAreSavedAndTheChartFollowsAtOnce) {
  settings(kGreenwichObservatory);
  auto windows = run();
  EXPECT_EQ(windows->core->state().chart.Speed[2], 0.0) << "the theory's Moon has no speed";
  Open(*windows, [&](TfrmOptions& d) {
    QComboBox* positions = Combo(d, QStringLiteral("cbPositions"));
    EXPECT_EQ(positions->currentIndex(), 0);
    EXPECT_EQ(positions->count(), 2);
    Choose(positions, 1);
    Ok(d);
  });
  EXPECT_NE(config.Contents().find("Ephemeris=1\n"), std::string::npos);
  EXPECT_EQ(windows->core->state().settings.Ephemeris, 1);
  EXPECT_NE(windows->core->state().chart.Speed[2], 0.0) << "recomputed with precise positions";
  Open(*windows, [&](TfrmOptions& d) {
    EXPECT_EQ(Combo(d, QStringLiteral("cbPositions"))->currentIndex(), 1);
    d.reject();
  });
  windows->core->Timer1()->stop();
}

TEST_F(OptionsDialog, AZoneWithRulesFixesTheSummerBoxAndOkKeepsTheZone) {
  settings("[Place]\nLatD=51\nNS=1\nSummer=1\nZoneName=Europe/London\n");
  auto windows = run();
  const bool londonSummer =
      QTimeZone("Europe/London").isDaylightTime(QDateTime::currentDateTimeUtc());
  Open(*windows, [&](TfrmOptions& d) {
    auto* summer = Find<QCheckBox>(d, QStringLiteral("optSummer"));
    auto* rule = Find<QLabel>(d, QStringLiteral("lblZoneRule"));
    EXPECT_FALSE(summer->isEnabled()) << "the zone's rules decide";
    EXPECT_EQ(summer->isChecked(), londonSummer);
    EXPECT_FALSE(rule->isHidden());
    EXPECT_EQ(rule->text(), QStringLiteral("Daylight saving follows Europe/London."));
    // A zone without rules gives the box back to the user, with the value set by hand.
    d.setZoneName(QStringLiteral("Asia/Kolkata"));
    EXPECT_TRUE(summer->isEnabled());
    EXPECT_TRUE(summer->isChecked());
    EXPECT_TRUE(rule->isHidden());
    d.setZoneName(QStringLiteral("Europe/London"));
    Ok(d);
  });
  EXPECT_NE(config.Contents().find("ZoneName=Europe/London\n"), std::string::npos);
  EXPECT_NE(config.Contents().find("Summer=1\n"), std::string::npos) << "the hand-set value stays";
  EXPECT_TRUE(windows->core->state().settings.ZoneRules);

  // A manual zone wins over the zone's rules: the box is the user's, as documented.
  settings("[Place]\nManualZone=1\nZoneH=1\nZoneName=Europe/London\n");
  Open(*windows, [&](TfrmOptions& d) {
    EXPECT_TRUE(Find<QCheckBox>(d, QStringLiteral("optSummer"))->isEnabled());
    EXPECT_TRUE(Find<QLabel>(d, QStringLiteral("lblZoneRule"))->isHidden());
    d.reject();
  });
  windows->core->Timer1()->stop();
}

// The Moon's three controls on the page of the void options: the rule (with the line saying what
// it counts), the Moon line, the exact times; OK stores them and the chart of the moment follows.
TEST_F(OptionsDialog, TheMoonsControlsAreSavedAndTheChartFollows) {
  settings(std::string(kGreenwichObservatory) + "[VOC]\nDo45=0\n");
  now = QDateTime(QDate(2000, 1, 2), QTime(12, 0));
  auto windows = run();
  Open(*windows, [&](TfrmOptions& d) {
    QComboBox* rule = Combo(d, QStringLiteral("cbVOCRule"));
    EXPECT_EQ(rule->currentIndex(), 0);
    EXPECT_EQ(rule->count(), 3);
    EXPECT_EQ(rule->itemText(0), QStringLiteral("Degree test (documented)"));
    auto* counts = Find<QLabel>(d, QStringLiteral("lblVOCRuleCounts"));
    const QString degree = counts->text();
    Choose(rule, 2);
    EXPECT_NE(counts->text(), degree);
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Pluto")));
    EXPECT_TRUE(counts->toolTip().contains(QStringLiteral("opposition")));
    for (const char* name : {"optMoonLine", "optExactTimes"}) {
      auto* box = Find<QCheckBox>(d, QString::fromLatin1(name));
      EXPECT_FALSE(box->isChecked()) << name;
      box->setChecked(true);
    }
    Ok(d);
  });
  for (const char* key : {"[VOC]", "Rule=2\n", "MoonLine=1\n", "ExactTimes=1\n"}) {
    EXPECT_NE(config.Contents().find(key), std::string::npos) << key;
  }
  const ClockState& state = windows->core->state();
  EXPECT_EQ(state.settings.VOCRule, 2);
  EXPECT_TRUE(state.settings.ExactTimes);
  ASSERT_TRUE(state.chart.Moon);
  EXPECT_EQ(state.chart.Moon->voidWindow->rule, VoidRule::Modern);
  EXPECT_EQ(state.chart.TransitTimings.size(), state.chart.Transits.found.size());
  EXPECT_TRUE(windows->clock->findChild<QLabel*>(QStringLiteral("lblMoon"))->isVisible());
  Open(*windows, [&](TfrmOptions& d) {
    EXPECT_EQ(Combo(d, QStringLiteral("cbVOCRule"))->currentIndex(), 2);
    EXPECT_TRUE(Find<QCheckBox>(d, QStringLiteral("optMoonLine"))->isChecked());
    d.reject();
  });
  windows->core->Timer1()->stop();
}

TEST_F(OptionsDialog, CancelWritesNothingAndKeepsOnlyTheSizeItSetAtOnce) {
  settings(std::string(kGreenwichObservatory) + "[Setting]\nSize=70\nHouses=1\n");
  auto windows = run();
  const std::string file = config.Contents();
  Settings expected = windows->core->state().settings;
  expected.Size = 72;  // the track bar's position plus two, from the moment the dialog shows

  TfrmOptions* first = nullptr;
  Open(*windows, [&](TfrmOptions& d) {
    first = &d;
    Find<QTabWidget>(d, QStringLiteral("PageControl1"))->setCurrentIndex(3);
    Find<QRadioButton>(d, QStringLiteral("optHouse_2"))->click();
    // The menu again while it is open brings this one forward instead of a second dialog.
    windows->clock->findChild<QAction*>(QStringLiteral("Options2"))->trigger();
    EXPECT_EQ(windows->clock->findChildren<TfrmOptions*>().size(), 1);
    Find<QPushButton>(d, QStringLiteral("btnCancel"))->click();
  });
  EXPECT_EQ(config.Contents(), file);
  EXPECT_EQ(windows->core->state().settings, expected);
  EXPECT_EQ(windows->clock->optionsDialog(), nullptr) << "freed";

  // Every control shows what it is given and gives it back (in two rows every flag takes both
  // values), so that OK stores what the user saw.
  Open(*windows, [&](TfrmOptions& d) {
    for (int r : {0, 1}) {
      d.fill(DialogRow(r));
      EXPECT_EQ(OptionsDifferences(d.values(), DialogRow(r)), "") << "row " << r;
    }
    d.close();
  });

  // The close box cancels too, and a new dialog opens on General again.
  Open(*windows, [&](TfrmOptions& d) {
    EXPECT_EQ(Find<QTabWidget>(d, QStringLiteral("PageControl1"))->currentIndex(), 0);
    d.close();
  });
  EXPECT_EQ(config.Contents(), file);
}

TEST_F(OptionsDialog, TheAlertsPageArmsTheAlertsAndStartWithMySessionWritesTheEntry) {
  settings(std::string(kGreenwichObservatory) + "[Alerts]\nIngress=1\nLead=2\n");
  auto windows = run();
  const std::filesystem::path entry = AutostartFile();
  const int armed = windows->alerts->computations();
  EXPECT_EQ(armed, 1) << "armed once at start, for the ingress in the file";
  Open(*windows, [&](TfrmOptions& d) {
    EXPECT_TRUE(Find<QCheckBox>(d, QStringLiteral("cbAlertIngress"))->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(d, QStringLiteral("cbAlertVoidBegins"))->isChecked());
    EXPECT_EQ(Combo(d, QStringLiteral("cbAlertLead"))->currentIndex(), 2);
    auto* autostart = Find<QCheckBox>(d, QStringLiteral("cbAutostart"));
    EXPECT_FALSE(autostart->isChecked()) << "no entry yet";
    Find<QCheckBox>(d, QStringLiteral("cbAlertVoidBegins"))->click();
    autostart->click();
    Ok(d);
  });
  EXPECT_NE(config.Contents().find("VoidBegins=1\n"), std::string::npos) << config.Contents();
  EXPECT_TRUE(windows->core->state().settings.AlertVoidBegins);
  EXPECT_EQ(windows->alerts->computations(), armed + 1) << "OK arms the alerts again";
  ASSERT_TRUE(AutostartEnabled());
  std::ifstream in(entry);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, AutostartEntryText(ProgramPath()));

  // Opened again it shows the entry; unticked, OK removes it.
  Open(*windows, [&](TfrmOptions& d) {
    auto* autostart = Find<QCheckBox>(d, QStringLiteral("cbAutostart"));
    EXPECT_TRUE(autostart->isChecked());
    autostart->click();
    Ok(d);
  });
  EXPECT_FALSE(std::filesystem::exists(entry));

  // An entry that cannot be written (its folder is a file) is reported; the settings are kept.
  std::filesystem::remove_all(entry.parent_path());
  std::ofstream(entry.parent_path()) << "not a folder";
  ErrorReport* report = ErrorReport::instance();
  const int shown = report->shownCount();
  Open(*windows, [&](TfrmOptions& d) {
    Find<QCheckBox>(d, QStringLiteral("cbAlertStation"))->click();
    Find<QCheckBox>(d, QStringLiteral("cbAutostart"))->click();
    Ok(d);
  });
  EXPECT_EQ(report->shownCount(), shown + 1);
  EXPECT_TRUE(windows->core->state().settings.AlertStation);
  if (report->boxOpen()) {
    EXPECT_TRUE(report->box()->text().contains(QStringLiteral("autostart")))
        << report->box()->text().toStdString();
    report->box()->close();
  }
  QCoreApplication::processEvents();
}

TEST_F(OptionsDialog, ALargerDesktopFontGrowsTheDialogInsteadOfCuttingControls) {
  auto windows = run();
  const QFont normal = QApplication::font();
  for (const int pixels : {0, 17}) {
    if (pixels > 0) {
      QFont large = normal;
      large.setPixelSize(pixels);
      QApplication::setFont(large);
    }
    Open(*windows, [&](TfrmOptions& d) {
      const QSize needed = d.layout()->totalMinimumSize();
      EXPECT_GE(d.width(), needed.width()) << pixels;
      EXPECT_GE(d.height(), needed.height()) << pixels;
      // Nothing laid over anything else on the busiest page (both are the page's children).
      Find<QTabWidget>(d, QStringLiteral("PageControl1"))->setCurrentIndex(1);
      QCoreApplication::processEvents();
      const QRect list = Find<QWidget>(d, QStringLiteral("lstTransitTo"))->geometry();
      EXPECT_FALSE(list.intersects(Find<QWidget>(d, QStringLiteral("optText"))->geometry()))
          << pixels;
      if (pixels == 0) {
        EXPECT_EQ(d.size(), QSize(471, 390));
      } else {
        EXPECT_GT(d.height(), 390);
      }
    });
  }
  QApplication::setFont(normal);
}

// Fuchsia pixels in the wheel: nothing else the wheel draws is fuchsia.
int FuchsiaPixels(const QImage& picture) {
  int count = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) count += picture.pixel(x, y) == qRgb(255, 0, 255);
  }
  return count;
}

std::vector<AspectStroke> Oppositions(const TfrmClock& clock) {
  const ClockState& state = clock.state();
  const int side = Wheel(clock).picture().width();
  std::vector<AspectStroke> found;
  for (const AspectStroke& s :
       AspectStrokes(state.settings, ViewForWheel(state.chart),
                     ComputeWheelSizes(side, state.settings.AspectLines, state.settings.Size))) {
    if (s.kind == 10) found.push_back(s);
  }
  return found;
}

TEST_F(OptionsDialog, ALineColourActsAtOnceAndCancelLeavesItUnsaved) {
  // At 17:50 Neptune opposes the Ascendant, drawn as a solid black line.
  settings(std::string(kGreenwichObservatory) +
           "[UseAspects]\nOpposition=1\n[Wheel]\nAspectLines=1\nALSopposition=1\n"
           "ALCopposition=0\n");
  now = QDateTime(QDate(2000, 1, 1), QTime(17, 49));
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  const std::string file = config.Contents();
  tick(*windows);
  ASSERT_EQ(Oppositions(clock).size(), 1u) << clock.state().chart.PairString;
  EXPECT_EQ(Oppositions(clock)[0].colour, kBlack);
  EXPECT_EQ(FuchsiaPixels(Wheel(clock).picture()), 0);

  Open(*windows, [&](TfrmOptions& d) {
    QComboBox* aspect = Combo(d, QStringLiteral("cbAspectLine"));
    QComboBox* style = Combo(d, QStringLiteral("cbAspectLStyle"));
    QComboBox* colour = Combo(d, QStringLiteral("cbAspectLColor"));
    EXPECT_EQ(aspect->currentText(), QStringLiteral("Conjunction"));
    EXPECT_EQ(colour->count(), 16);
    Choose(aspect, 10);
    EXPECT_EQ(style->currentText(), QStringLiteral("Solid"));
    EXPECT_EQ(colour->currentText(), QStringLiteral("Black"));
    Choose(colour, colour->findText(QStringLiteral("Fuchsia")));
    EXPECT_EQ(clock.state().settings.LineColor[10], 0xFF00FF) << "at once, before OK";
    // The minute timer runs while the dialog is open and draws with the new colour.
    tick(*windows);
    Find<QPushButton>(d, QStringLiteral("btnCancel"))->click();
  });
  ASSERT_EQ(Oppositions(clock).size(), 1u);
  EXPECT_EQ(Oppositions(clock)[0].colour, MakeColour(255, 0, 255));
  EXPECT_GT(FuchsiaPixels(Wheel(clock).picture()), 0);
  EXPECT_EQ(config.Contents(), file) << "the file keeps the old colour";

  // Until the next load: the companion or a new start reads black again.
  Settings reloaded;
  LoadSettings(IniFile(), reloaded, 576, 0);
  EXPECT_EQ(reloaded.LineColor[10], 0);
}

TEST_F(OptionsDialog, TheNatalPageShowsSignDegreesMinutesAndOkStoresThem) {
  settings("[Natal]\nPlanet1=0\nPlanet2=359.99\nPlanet3=45.999\nPlanet4=132.5\n");
  auto windows = run();
  Open(*windows, [&](TfrmOptions& d) {
    const std::pair<int, NatalFields> rows[] = {
        {1, {0, 0, 0}}, {2, {11, 29, 59}}, {3, {1, 15, 59}}, {4, {4, 12, 30}}};
    for (const auto& [k, shown] : rows) EXPECT_EQ(Row(d, k), shown) << "row " << k;
    QComboBox* sign = Combo(d, QStringLiteral("cbS5"));
    EXPECT_FALSE(sign->isEditable()) << "every row keeps a sign";
    EXPECT_EQ(sign->count(), 12);
    EXPECT_EQ(sign->itemText(4), QString(QChar(0x264C)));
    sign->setCurrentIndex(4);  // Leo 12 30
    Spin(d, QStringLiteral("spM5"))->setValue(12);
    Spin(d, QStringLiteral("spD5"))->setValue(30);
    Ok(d);
  });
  const auto& natal = windows->core->state().settings.NatalPos;
  // Stored to fifteen digits and read back.
  EXPECT_NEAR(natal[2], 359 + 59.0 / 60, 1e-12);
  EXPECT_NEAR(natal[3], 45 + 59.0 / 60, 1e-12);
  EXPECT_EQ(natal[5], 132.5);
  EXPECT_NE(config.Contents().find("Planet5= 1.32500000000000E+0002\n"), std::string::npos);
  Open(*windows, [&](TfrmOptions& d) { EXPECT_EQ(Row(d, 5), (NatalFields{4, 12, 30})); });
}

TEST_F(OptionsDialog, ColourPickersStartFromMemoryAndActAtOnce) {
  settings("[Setting]\nColor=255\n");
  auto windows = run();
  Settings& memory = windows->core->state().settings;
  memory.Color = 0xFF0000;  // changed in memory since the load
  QColor preset;
  Open(*windows, [&](TfrmOptions& d) {
    QTimer::singleShot(0, &d, [&] {
      preset = d.ColorDialog->currentColor();
      d.ColorDialog->setCurrentColor(QColor(0, 255, 0));
      d.ColorDialog->accept();
    });
    Find<QPushButton>(d, QStringLiteral("btnColor"))->click();
    EXPECT_EQ(memory.Color, 0x00FF00) << "at once";
    QTimer::singleShot(0, &d, [&] {
      d.ColorDialog1->setCurrentColor(QColor(1, 2, 3));
      d.ColorDialog1->reject();
    });
    Find<QPushButton>(d, QStringLiteral("btnVOCColor"))->click();
    EXPECT_EQ(memory.VOCColor, 16777215) << "a cancelled picker changes nothing";
    EXPECT_FALSE(d.ColorDialog->testOption(QColorDialog::ShowAlphaChannel));
    Ok(d);
  });
  EXPECT_EQ(preset, QColor(0, 0, 255));
  const std::string written = config.Contents();
  EXPECT_NE(written.find("[Setting]\nColor=65280\n"), std::string::npos) << written;
  EXPECT_NE(written.find("Color=16777215\n"), std::string::npos) << written;
}

TEST_F(OptionsDialog, AFailedSaveSaysSoOnceAndChangesNothing) {
  settings(std::string(kGreenwichObservatory) + "[Setting]\nHouses=0\n");
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  const std::string file = config.Contents();
  const Settings before = clock.state().settings;
  ErrorReport* report = ErrorReport::instance();
  const int shown = report->shownCount();
  int computed = 0;
  QObject::connect(windows->core.get(), &ClockCore::chartComputed, [&computed] { ++computed; });
  std::optional<FileSizeLimit> refuseWrites;
  Open(*windows, [&](TfrmOptions& d) {
    Find<QRadioButton>(d, QStringLiteral("optHouse_1"))->click();  // Koch
    refuseWrites.emplace(1);
    Ok(d);
  });
  refuseWrites.reset();
  ASSERT_TRUE(report->boxOpen());
  EXPECT_EQ(report->box()->text(),
            QStringLiteral("Unable to write to ") + QString::fromStdString(config.IniPath()));
  EXPECT_EQ(report->shownCount(), shown + 1);
  EXPECT_EQ(config.Contents(), file) << "the previous file, complete";
  EXPECT_EQ(clock.state().settings.HouseCode, HouseSystem::Placidus) << "not reloaded";
  EXPECT_EQ(clock.state().settings.Size, before.Size + 2) << "only what acts at once";
  EXPECT_EQ(computed, 0) << "not recomputed";
  EXPECT_FALSE(windows->core->Timer1()->isActive()) << "not restarted";
  report->box()->close();
  QCoreApplication::processEvents();

  // The same failure a moment later is what the user asked for again: said again.
  Open(*windows, [&](TfrmOptions& d) {
    refuseWrites.emplace(1);
    Ok(d);
  });
  refuseWrites.reset();
  EXPECT_EQ(report->shownCount(), shown + 2);
  EXPECT_EQ(config.Contents(), file);
  if (report->boxOpen()) report->box()->close();
  QCoreApplication::processEvents();
}

TEST_F(OptionsDialog, AfterOkAnErrorShownBeforeIsShownAgainIfItPersists) {
  // Placidus has no cusps at 70 degrees north: reported once, not every minute.
  settings("[Place]\nLatD=70\nNS=1\nEW=1\nManualZone=1\n[Setting]\nHouses=0\n");
  ErrorReport* report = ErrorReport::instance();
  const int before = report->shownCount();
  auto windows = run();
  ASSERT_TRUE(report->boxOpen());
  report->box()->close();
  QCoreApplication::processEvents();
  tick(*windows);
  EXPECT_EQ(report->shownCount(), before + 1);
  // The settings changed, even if not the ones at fault: the user hears of it again.
  Open(*windows, [&](TfrmOptions& d) { Ok(d); });
  EXPECT_EQ(report->shownCount(), before + 2);
  ASSERT_TRUE(report->boxOpen());
  EXPECT_TRUE(report->box()->text().contains(QStringLiteral("Placidus")));
  report->box()->close();
  QCoreApplication::processEvents();
  windows->core->Timer1()->stop();
}

TEST_F(OptionsDialog, OkSavesReloadsAndDrawsWithoutLettingEventsRun) {
  auto windows = run();
  bool returned = false;
  bool probeRan = false;
  bool probeSawReturn = false;
  Open(*windows, [&](TfrmOptions& d) {
    // Queued as the dialog closes: it may only run once the whole of OK's work is over.
    QObject::connect(&d, &QDialog::accepted, [&] {
      QTimer::singleShot(0, [&] {
        probeRan = true;
        probeSawReturn = returned;
      });
    });
    Ok(d);
  });
  returned = true;
  QCoreApplication::processEvents();
  EXPECT_TRUE(probeRan);
  EXPECT_TRUE(probeSawReturn) << "something in the save, reload or drawing processed events";
  windows->core->Timer1()->stop();
}

TEST_F(OptionsDialog, HelpOpensTheSettingsTopicAndTheOrbsTheirOwn) {
  auto windows = run();
  const QTextBrowser* help = windows->clock->helpWindow()->browser;
  Open(*windows, [&](TfrmOptions& d) {
    const std::pair<std::function<void()>, QString> openers[] = {
        {[&] { Find<QPushButton>(d, QStringLiteral("BitBtn1"))->click(); }, "topic10.html"},
        {[&] { Find<QToolButton>(d, QStringLiteral("btnOrbsHelp"))->click(); }, "topic102.html"},
        {[&] { Find<QAction>(d, QStringLiteral("actOrbsHelp"))->trigger(); }, "topic102.html"},
    };
    for (const auto& [open, page] : openers) {
      windows->clock->helpWindow()->hide();
      open();
      EXPECT_TRUE(windows->clock->helpWindow()->isVisible());
      EXPECT_TRUE(help->source().toString().endsWith(page))
          << help->source().toString().toStdString();
    }
  });
}

// The controls a user acts on, without the insides of the colour pickers, tab bars and drop-downs.
QList<QWidget*> Controls(const QWidget& form) {
  QList<QWidget*> controls;
  for (QWidget* w : form.findChildren<QWidget*>()) {
    bool inner = false;
    for (QWidget* p = w->parentWidget(); p != &form && p != nullptr; p = p->parentWidget()) {
      inner = inner || qobject_cast<QColorDialog*>(p) || qobject_cast<QTabBar*>(p) ||
              qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p);
    }
    if (inner) continue;
    if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
        qobject_cast<QComboBox*>(w) || qobject_cast<QListWidget*>(w) || qobject_cast<QSlider*>(w)) {
      controls << w;
    }
  }
  return controls;
}

TEST_F(OptionsDialog, EveryControlHasAnAccessibleName) {
  auto windows = run();
  Open(*windows, [&](TfrmOptions& d) {
    const QList<QWidget*> controls = Controls(d);
    EXPECT_GT(controls.size(), 90);
    for (const QWidget* w : controls) {
      EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    }
    TfrmBirthData form({}, windows->core->state().settings, windows->core->state().theory, &d);
    for (const QWidget* w : Controls(form)) {
      EXPECT_FALSE(w->accessibleName().isEmpty()) << "birth data " << w->objectName().toStdString();
    }
    // A town from the atlas fills the place of birth and its zone, and nothing before it is chosen.
    form.placeSearch->search(QStringLiteral("Sao Paulo"));
    EXPECT_EQ(form.spnLatD->value(), 0);
    form.placeSearch->choose(0);
    EXPECT_EQ(form.spnLatD->value(), 23);
    EXPECT_TRUE(form.optS->isChecked());
    EXPECT_TRUE(form.optW->isChecked());
    EXPECT_EQ(form.cbZone->currentText(), QStringLiteral("America/Sao_Paulo"));
  });
}

TEST_F(OptionsDialog, BirthDataFillsThePageWithTheChartOfThatMoment) {
  const QTimeZone berlin("Europe/Berlin");
  if (!berlin.isValid()) GTEST_SKIP() << "no time-zone data";
  settings("[Setting]\nHouses=1\n[Place]\nLatD=52\nLatM=31\nNS=1\nLongD=13\nLongM=24\n");
  auto windows = run();
  const ClockState& state = windows->core->state();
  // Berlin on 14 July 1987 at 21:45 summer time, two hours east of Greenwich.
  const BirthData birth{QDate(1987, 7, 14), QTime(21, 45), 52, 31, true, 13, 24, false, 2};
  const NatalLongitudes expected = BirthPositions(state.settings, state.theory, birth);
  QString gapNote;
  Open(*windows, [&](TfrmOptions& d) {
    QTimer::singleShot(0, &d, [&] {
      auto* form = d.findChild<TfrmBirthData*>();
      if (form == nullptr) return;
      EXPECT_EQ(form->spnLatD->value(), 52) << "the dialog's place";
      EXPECT_TRUE(form->optN->isChecked());
      EXPECT_TRUE(form->optE->isChecked());
      form->cbZone->setCurrentText(QStringLiteral("Europe/Berlin"));
      form->dtBirthDate->setDate(QDate(2021, 3, 28));
      form->tmBirthTime->setTime(QTime(2, 30));
      gapNote = form->lblZoneNote->text();
      form->dtBirthDate->setDate(birth.date);
      form->tmBirthTime->setTime(birth.time);
      EXPECT_TRUE(form->lblZoneNote->text().contains(QStringLiteral("UTC+02:00")))
          << form->lblZoneNote->text().toStdString();
      // Zones whose offset has a half or a quarter hour keep it (winter dates).
      const std::pair<const char*, double> zones[] = {{"Asia/Kolkata", 5.5},
                                                      {"Asia/Kathmandu", 5.75},
                                                      {"America/St_Johns", -3.5},
                                                      {"Australia/Adelaide", 9.5}};
      form->dtBirthDate->setDate(QDate(1990, 1, 15));
      for (const auto& [zone, hours] : zones) {
        form->cbZone->setCurrentText(QString::fromLatin1(zone));
        const bool south = QByteArray(zone).startsWith("Australia");
        if (south) form->dtBirthDate->setDate(QDate(1990, 7, 15));
        ASSERT_TRUE(form->birthData().has_value()) << zone;
        EXPECT_EQ(form->birthData()->zoneOffset, hours) << zone;
      }
      form->dtBirthDate->setDate(birth.date);
      form->cbZone->setCurrentText(QStringLiteral("Nowhere/Special"));
      EXPECT_FALSE(form->btnOK->isEnabled()) << "an unknown zone";
      form->cbZone->setCurrentText(QStringLiteral("Europe/Berlin"));
      form->btnOK->click();
    });
    Find<QPushButton>(d, QStringLiteral("btnBirthData"))->click();
    for (int k = 1; k <= kPointCount; ++k) {
      EXPECT_EQ(Row(d, k), NatalFieldsOf(expected[k])) << "row " << k;
    }
    EXPECT_EQ(state.settings.NatalPos[1], 0) << "only the page, until OK";
    Ok(d);
  });
  EXPECT_TRUE(gapNote.startsWith(QStringLiteral("There was no 02:30"))) << gapNote.toStdString();
  for (int k = 1; k <= kPointCount; ++k) {
    EXPECT_NEAR(state.settings.NatalPos[k], NatalLongitudeOf(NatalFieldsOf(expected[k])), 1e-12);
  }
  windows->core->Timer1()->stop();
}

}  // namespace

TEST_F(OptionsDialog, AFirstStartAsksWhereTheClockIsUntilOkSavesThePlace) {
  // No settings file: the clock asks once it is on the screen. Cancel leaves no file, and the
  // notice about the unset place is said instead; OK with a town saves it and its zone.
  askForPlace = true;
  for (const bool ok : {false, true}) {
    bool asked = false;
    auto windows = start();
    QTimer::singleShot(0, windows->clock.get(), [&] {
      TfrmOptions* d = windows->clock->optionsDialog();
      ASSERT_NE(d, nullptr);
      asked = true;
      EXPECT_TRUE(Find<QLabel>(*d, QStringLiteral("lblWhere"))->isVisible());
      if (!ok) return d->reject();
      d->placeSearch()->search(QStringLiteral("London"));
      d->placeSearch()->choose(0);
      EXPECT_EQ(Spin(*d, QStringLiteral("spnLatD"))->value(), 51);
      EXPECT_EQ(d->zoneName(), QStringLiteral("Europe/London"));
      d->accept();
    });
    windows->clock->show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(asked) << ok;
    EXPECT_EQ(std::filesystem::exists(config.IniPath()), ok);
    if (!ok) {
      EXPECT_TRUE(report->boxOpen()) << "the unset place is said after Cancel";
      continue;
    }
    EXPECT_NE(config.Contents().find("ZoneName=Europe/London"), std::string::npos);
    EXPECT_EQ(windows->core->state().settings.LatDeg, 51) << "the chart follows at once";
  }
  auto again = start();  // the file is there now: no question
  again->clock->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(again->clock->optionsDialog(), nullptr);
}
