// SPDX-License-Identifier: GPL-3.0-or-later
// The scan dialog and the scan report on the running clock: presets, Cancel, captions, the clock
// of the moment left alone, closing mid-scan, one scan at a time, printing and saving.
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <functional>

#include "About.h"
#include "ErrorReport.h"
#include "ScanPrint.h"
#include "ScanRep.h"
#include "chart/export_check.h"
#include "clock_fixture.h"
#include "tscan.h"

namespace {

// The companion's and the report's dates in one short format.
const QLocale kLocale(QLocale::English, QLocale::UnitedKingdom);

// Greenwich, words, and only the Moon starting pairs: short lines, several pages of them.
const std::string kMoonOnly = std::string(kGreenwichObservatory) +
                              "[Show]\nText=1\n[AspectFrom]\nSun=0\nMercury=0\nVenus=0\nMars=0\n"
                              "Jupiter=0\nSaturn=0\nUranus=0\nNeptune=0\nPluto=0\nAscendant=0\n";

QStringList MemoLines(const TfrmScanReport& report) {
  const QString text = report.memoScan->toPlainText();
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// The text pdftotext reads from a PDF, lines in reading order, without the empty ones.
QStringList PdfLines(const QString& pdf, int* pages = nullptr) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
  EXPECT_TRUE(process.waitForFinished(60000));
  const QString text = QString::fromUtf8(process.readAllStandardOutput());
  if (pages != nullptr) *pages = static_cast<int>(text.count(QLatin1Char('\f')));
  QStringList lines;
  for (QString line : text.split(QLatin1Char('\n'))) {
    line.remove(QLatin1Char('\f'));
    if (!line.trimmed().isEmpty()) lines << line.trimmed();
  }
  return lines;
}

// The printed lines without the page numbers at the feet, which go to feet, in order.
QStringList WithoutFeet(const QStringList& printed, QStringList* feet = nullptr) {
  static const QRegularExpression foot(QStringLiteral("^Page \\d+ of \\d+$"));
  QStringList body;
  for (const QString& line : printed) {
    if (foot.match(line).hasMatch()) {
      if (feet != nullptr) *feet << line;
    } else {
      body << line;
    }
  }
  return body;
}

// A PDF's Title, as pdfinfo reads it.
QString PdfTitle(const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdfinfo"), {pdf});
  EXPECT_TRUE(process.waitForFinished(60000));
  for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
    if (line.startsWith(QStringLiteral("Title:"))) return line.mid(6).trimmed();
  }
  return {};
}

QString WithoutSpaces(QString text) {
  return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

class ScanWindowsTest : public ClockFixture {
 protected:
  void SetUp() override { QLocale::setDefault(kLocale); }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<TfrmScanReport*>(w) != nullptr || qobject_cast<QMessageBox*>(w) != nullptr) {
        w->close();
      }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QLocale::setDefault(QLocale::system());
  }

  // Chooses "Scan Transiting Aspects" and answers the dialog: act sees it, then it is accepted
  // or cancelled. Returns the new report, if any.
  TfrmScanReport* scan(TfrmClock& clock, bool accept = true,
                       const std::function<void(TfrmScan&)>& act = {}) {
    bool seen = false;
    QTimer::singleShot(0, &clock, [&] {
      TfrmScan* dialog = clock.findChild<TfrmScan*>();
      ASSERT_NE(dialog, nullptr);
      seen = true;
      if (act) act(*dialog);
      if (accept) {
        dialog->btnBox->button(QDialogButtonBox::Ok)->click();
      } else {
        dialog->btnBox->button(QDialogButtonBox::Cancel)->click();
      }
    });
    clock.findChild<QAction*>(QStringLiteral("ScanTransitingAspects1"))->trigger();
    EXPECT_TRUE(seen) << "the dialog was shown";
    return clock.scanReport();
  }

  static void finish(TfrmScanReport* report) {
    const QPointer<TfrmScanReport> alive(report);
    while (alive && alive->running()) QCoreApplication::processEvents();
  }

  static int openReports() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      n += qobject_cast<TfrmScanReport*>(w) != nullptr && w->isVisible() ? 1 : 0;
    }
    return n;
  }
};

TEST_F(ScanWindowsTest, TheDialogIsPresetToTomorrowAndTheTransitOrb) {
  struct Row {
    const char* name;
    std::string settings;
    int degrees, minutes;
  } rows[] = {
      {"default orb 1°01'", "", 1, 1},
      {"2°30'", "[Custom]\nDegree=2\nMinute=30\n", 2, 30},
      {"more than the spin edit holds", "[Custom]\nDegree=45\nMinute=0\n", 30, 0},
  };
  for (const Row& r : rows) {
    settings(r.settings);
    auto windows = run();
    scan(*windows->clock, false, [&](TfrmScan& d) {
      EXPECT_EQ(d.windowTitle(), QStringLiteral("Aspect Scan"));
      EXPECT_TRUE(d.findChild<QLabel*>()->text() ==
                  QStringLiteral("Choose a day to scan for important transiting aspects:"));
      EXPECT_EQ(d.dtDateScan->date(), QDate(2000, 1, 2)) << "the clock's tomorrow";
      EXPECT_TRUE(d.dtDateScan->calendarPopup());
      EXPECT_EQ(d.dtDateScan->displayedSections() & QDateTimeEdit::TimeSections_Mask, 0);
      EXPECT_EQ(d.grpOrb->title(), QStringLiteral("Orb for scan"));
      EXPECT_EQ(d.spOrbDeg->value(), r.degrees) << r.name;
      EXPECT_EQ(d.spOrbMin->value(), r.minutes) << r.name;
      EXPECT_EQ(d.spOrbDeg->maximum(), 30);
      EXPECT_EQ(d.spOrbMin->maximum(), 59);
      EXPECT_EQ(d.minimumSize(), d.maximumSize()) << "a fixed dialog border";
      // Help context 102: the orbs topic.
      d.btnBox->button(QDialogButtonBox::Help)->click();
      EXPECT_TRUE(windows->help->isVisible());
      EXPECT_TRUE(
          windows->help->browser->source().toString().endsWith(QStringLiteral("topic102.html")));
    });
    windows->help->close();
  }
}

TEST_F(ScanWindowsTest, TheAboutWindowsOpenTheirLinksInTheHelpWindow) {
  struct Row {
    const char* name;
    int tabs;  // to the link, from the top of the page, as a keyboard user goes
    const char* own;
    const char* opened;
  } rows[] = {
      {"About: Contents", 1, "about.html", "index.html"},
      {"More Astrology calculations: Contents", 1, "moreastrology.html", "index.html"},
      {"More Astrology calculations: Aspects to Natal", 2, "moreastrology.html", "aspects.html"},
  };
  auto windows = run();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TfrmPage& page = r.own == std::string("about.html") ? static_cast<TfrmPage&>(*windows->about)
                                                        : *windows->info;
    windows->help->hide();
    page.show();
    page.text->setSource(page.text->source());  // back at its top
    page.text->setFocus();
    for (int i = 0; i < r.tabs; ++i) QTest::keyClick(page.text, Qt::Key_Tab);
    QTest::keyClick(page.text, Qt::Key_Return);
    EXPECT_TRUE(windows->help->isVisible());
    EXPECT_TRUE(windows->help->browser->source().toString().endsWith(QLatin1String(r.opened)))
        << windows->help->browser->source().toString().toStdString();
    EXPECT_TRUE(page.text->source().toString().endsWith(QLatin1String(r.own)))
        << "the page stays as it was";
    page.close();
  }
  windows->help->close();
}

TEST_F(ScanWindowsTest, CancelOrCloseChangesNothing) {
  settings(kGreenwichObservatory);
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  const ClockState before = clock.state();
  const QImage wheel = Wheel(clock).picture();
  EXPECT_EQ(scan(clock, false, [](TfrmScan& d) { d.spOrbDeg->setValue(9); }), nullptr);
  QTimer::singleShot(0, &clock, [&] { clock.findChild<TfrmScan*>()->close(); });
  clock.ScanTransitingAspects1Click();
  EXPECT_EQ(openReports(), 0);
  EXPECT_EQ(clock.state().settings, before.settings);
  EXPECT_EQ(clock.state().chart.TruePos, before.chart.TruePos);
  EXPECT_EQ(Wheel(clock).picture(), wheel);
  EXPECT_EQ(clock.findChild<TfrmScan*>(), nullptr) << "the dialog is freed";
}

TEST_F(ScanWindowsTest, TheReportSaysScanningThenNamesTheDay) {
  settings(std::string(kGreenwichObservatory) + "[Show]\nText=1\n");
  auto windows = run();
  TfrmScanReport* report =
      scan(*windows->clock, true, [](TfrmScan& d) { d.dtDateScan->setDate(QDate(2000, 1, 1)); });
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->windowTitle(), QStringLiteral("Scanning...."));
  EXPECT_TRUE(report->isVisible());
  EXPECT_EQ(report->memoScan->font().pixelSize(), 11);
  EXPECT_EQ(report->memoScan->font().family(), QStringLiteral("Arial")) << "text mode";
  EXPECT_FALSE(report->Print1->isEnabled()) << "not before the scan is done";
  // The report shows its first minutes, while the scan runs and when it is done.
  const auto firstShown = [report] {
    return report->memoScan->cursorForPosition(QPoint(1, 1)).block().text();
  };
  report->setSliceMinutes(120);
  while (report->scan().minutesDone() < 600) QCoreApplication::processEvents();
  EXPECT_EQ(firstShown(), report->scan().lines().first());
  QStringList items;
  for (const QAction* a : report->Transits1->actions())
    items << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(report->menuBar()->actions().first()->text(), QStringLiteral("Transits"));
  EXPECT_EQ(items, (QStringList{"Print", "Printer Setup", "Save as...", "-", "Close"}));

  finish(report);
  EXPECT_EQ(report->windowTitle(), QStringLiteral("Transiting Aspects for 01/01/2000"));
  EXPECT_EQ(MemoLines(*report), report->scan().lines());
  EXPECT_EQ(MemoLines(*report).size(), 1440);
  EXPECT_TRUE(report->scan().lines().first().startsWith(QStringLiteral("01/01/2000::00:00:")));
  EXPECT_EQ(firstShown(), report->scan().lines().first());
  EXPECT_EQ(report->memoScan->verticalScrollBar()->value(), 0);
  EXPECT_TRUE(report->Print1->isEnabled());
  EXPECT_TRUE(report->testAttribute(Qt::WA_DeleteOnClose));

  // Each scan makes a new report; the finished one stays open beside it.
  TfrmScanReport* second = scan(*windows->clock);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, report);
  finish(second);
  EXPECT_EQ(openReports(), 2);
}

TEST_F(ScanWindowsTest, TheClockOfTheMomentIsLeftAloneAndTicksGoOn) {
  settings(kGreenwichObservatory);
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  const Chart noon = clock.state().chart;
  const QImage wheel = Wheel(clock).picture();
  const QString caption = clock.windowTitle();

  TfrmScanReport* report = scan(clock);
  ASSERT_NE(report, nullptr);
  report->setSliceMinutes(200);
  while (report->scan().minutesDone() < 400) QCoreApplication::processEvents();
  EXPECT_EQ(clock.state().chart.TruePos, noon.TruePos) << "never a scanned minute";
  EXPECT_EQ(Wheel(clock).picture(), wheel);

  tick(*windows);  // a tick during the scan computes the present, once
  EXPECT_EQ(clock.state().chart.Time, QTime(12, 1));
  const Chart present = clock.state().chart;
  const QImage ticked = Wheel(clock).picture();
  EXPECT_NE(ticked, wheel);
  EXPECT_TRUE(report->running());

  finish(report);
  EXPECT_EQ(clock.state().chart.Date, QDate(2000, 1, 1));
  EXPECT_EQ(clock.state().chart.Time, QTime(12, 1));
  EXPECT_EQ(clock.state().chart.TruePos, present.TruePos);
  EXPECT_EQ(Wheel(clock).picture(), ticked);
  EXPECT_EQ(clock.windowTitle(), QStringLiteral("Heliodial 12:01"));
  EXPECT_NE(caption, clock.windowTitle());
}

TEST_F(ScanWindowsTest, ClosingTheReportMidScanStopsItCleanly) {
  settings(kGreenwichObservatory);
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  QPointer<TfrmScanReport> report = scan(clock);
  ASSERT_FALSE(report.isNull());
  report->setSliceMinutes(100);
  while (report->scan().minutesDone() < 100) QCoreApplication::processEvents();
  ASSERT_LT(report->scan().minutesDone(), 1440);

  report->N1->trigger();  // "Close"
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(report.isNull()) << "freed by its close";
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();  // no slice comes after
  EXPECT_EQ(clock.scanReport(), nullptr);

  // The clock goes on, and the next scan may start.
  tick(*windows);
  EXPECT_EQ(clock.windowTitle(), QStringLiteral("Heliodial 12:01"));
  TfrmScanReport* next = scan(clock);
  ASSERT_NE(next, nullptr);
  finish(next);
  EXPECT_EQ(next->scan().minutesDone(), 1440);
}

TEST_F(ScanWindowsTest, AMinuteWithoutHousesStopsTheScanAndKeepsWhatWasFound) {
  // Koch houses at 67° north: local midnight (06:00 UT) has cusps, noon (18:00 UT) has none.
  settings("[Place]\nLatD=67\nNS=1\nEW=1\nManualZone=1\nZoneH=6\n[Setting]\nHouses=1\n");
  auto windows = run();
  ErrorReport* errors = ErrorReport::instance();
  const QPointer<TfrmScanReport> report =
      scan(*windows->clock, true, [](TfrmScan& d) { d.dtDateScan->setDate(QDate(2000, 7, 2)); });
  ASSERT_FALSE(report.isNull());
  finish(report);
  ASSERT_FALSE(report.isNull());
  const int stopped = report->scan().minutesDone();
  EXPECT_GT(stopped, 0);
  EXPECT_LT(stopped, 720);
  EXPECT_EQ(report->windowTitle(),
            QStringLiteral("Transiting Aspects for 02/07/2000 (stopped at %1)")
                .arg(QTime(0, 0).addSecs(60 * stopped).toString(QStringLiteral("hh:mm"))));
  EXPECT_FALSE(MemoLines(*report).isEmpty());
  EXPECT_EQ(MemoLines(*report), report->scan().lines());
  EXPECT_TRUE(report->SaveAs1->isEnabled()) << "what was found can be kept";
  ASSERT_TRUE(errors->boxOpen()) << "the reason is shown";
  EXPECT_TRUE(errors->box()->text().contains(QStringLiteral("Koch")));
  errors->box()->close();
  QCoreApplication::processEvents();
}

TEST_F(ScanWindowsTest, ASecondScanWhileOneRunsIsRefusedWithAWord) {
  settings(kGreenwichObservatory);
  auto windows = run();
  TfrmClock& clock = *windows->clock;
  TfrmScanReport* running = scan(clock);
  ASSERT_NE(running, nullptr);
  ASSERT_TRUE(running->running());

  clock.findChild<QAction*>(QStringLiteral("ScanTransitstotransits1"))->trigger();
  EXPECT_EQ(clock.findChild<TfrmScan*>(), nullptr) << "no second dialog";
  QMessageBox* box = running->findChild<QMessageBox*>();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->text(), QStringLiteral("A scan is running. Wait for it to finish, or close its "
                                        "report to stop it."));
  EXPECT_EQ(clock.scanReport(), running);
  box->close();
  finish(running);
  EXPECT_EQ(running->scan().lines().size(), 1440) << "the first scan ran undisturbed";
}

TEST_F(ScanWindowsTest, PrintingToPdfGivesOnePrintedLinePerReportLine) {
  settings(kMoonOnly);
  auto windows = run();
  TfrmScanReport* report = scan(*windows->clock);
  ASSERT_NE(report, nullptr);
  finish(report);
  const QStringList lines = report->scan().lines();
  ASSERT_GT(lines.size(), 200) << "several pages";

  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("report.pdf")));
  ASSERT_TRUE(report->printTo(printer));
  int pages = 0;
  QStringList feet;
  const QStringList printed = WithoutFeet(PdfLines(printer.outputFileName(), &pages), &feet);
  EXPECT_EQ(printed, lines);
  EXPECT_GT(pages, 2);
  QStringList numbered;
  for (int page = 1; page <= pages; ++page)
    numbered << QStringLiteral("Page %1 of %2").arg(page).arg(pages);
  EXPECT_EQ(feet, numbered) << "each page's number and the count at its foot";
}

TEST_F(ScanWindowsTest, ALineWiderThanThePageGoesOnBelowInsteadOfBeingCutOff) {
  settings(std::string(kGreenwichObservatory) + "[Show]\nText=1\n");
  auto windows = run();
  TfrmScanReport* report = scan(*windows->clock, true, [](TfrmScan& d) {
    d.dtDateScan->setDate(QDate(2000, 1, 1));
    d.spOrbDeg->setValue(4);  // many aspects a minute: lines far wider than A4
    d.spOrbMin->setValue(0);
  });
  finish(report);
  const QStringList lines = report->scan().lines().mid(0, 40);
  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("wide.pdf")));
  ASSERT_TRUE(PrintReportLines(printer, lines, report->memoScan->font()));
  const QStringList printed = WithoutFeet(PdfLines(printer.outputFileName()));
  EXPECT_GT(printed.size(), lines.size()) << "wrapped";
  EXPECT_EQ(WithoutSpaces(printed.join(QString())), WithoutSpaces(lines.join(QString())))
      << "nothing lost, nothing reordered";
  for (const QString& line : lines) {
    const QString head = line.left(line.indexOf(QStringLiteral("):")) + 2);
    EXPECT_TRUE(std::any_of(printed.begin(), printed.end(),
                            [&head](const QString& p) { return p.startsWith(head); }))
        << "each report line starts a printed line: " << head.toStdString();
  }
}

// The dialog's Moon check box, off at every opening: on, the report ends with her windows and
// ingresses of the day under the settings' rule (2 January 2000 at Greenwich, classical rule).
TEST_F(ScanWindowsTest, TheMoonCheckBoxAddsHerWindowsAndIngresses) {
  settings(kMoonOnly + "[VOC]\nRule=1\n");
  auto windows = run();
  for (bool include : {false, true}) {
    TfrmScanReport* report = scan(*windows->clock, true, [&](TfrmScan& d) {
      EXPECT_FALSE(d.optScanMoon->isChecked());
      EXPECT_FALSE(d.optScanMoon->accessibleName().isEmpty());
      d.optScanMoon->setChecked(include);
    });
    finish(report);
    const QStringList lines = MemoLines(*report);
    EXPECT_EQ(lines.contains(QStringLiteral("Moon enters Sagittarius 21:33")), include);
    if (include) {
      EXPECT_EQ(lines.mid(lines.size() - 2),
                (QStringList{"Moon void of course 19:32 - 21:33 (square Mars; classical)",
                             "Moon enters Sagittarius 21:33"}));
      EXPECT_EQ(report->scan().reportLines(), lines);
    }
    report->close();
    QCoreApplication::processEvents();
  }
}

TEST_F(ScanWindowsTest, SaveAsWritesEachFormat) {
  settings(kMoonOnly);
  auto windows = run();
  TfrmScanReport* report = scan(*windows->clock);
  finish(report);
  QTemporaryDir dir;
  const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
  QString error;
  ASSERT_TRUE(report->saveAs(path("r.txt"), ScanFileFormat::Text, &error)) << error.toStdString();
  ASSERT_TRUE(report->saveAs(path("r.csv"), ScanFileFormat::Csv, &error)) << error.toStdString();
  ASSERT_TRUE(report->saveAs(path("r.ics"), ScanFileFormat::ICalendar, &error));
  ASSERT_TRUE(report->savePdf(path("r.pdf"), &error)) << error.toStdString();
  const auto read = [&](const char* name) {
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
  };
  EXPECT_EQ(QString::fromUtf8(read("r.txt")).split('\n', Qt::SkipEmptyParts), MemoLines(*report));
  std::string problem;
  EXPECT_EQ(ParseCsv(read("r.csv"), &problem).size(), report->scan().entries().size() + 1);
  EXPECT_EQ(problem, "");
  ParseICalendar(read("r.ics"), &problem);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(WithoutFeet(PdfLines(path("r.pdf"))), MemoLines(*report));
  EXPECT_EQ(PdfTitle(path("r.pdf")), report->windowTitle());
  EXPECT_TRUE(report->windowTitle().startsWith(QStringLiteral("Transiting Aspects for ")));

  // A disk that fills part way: the old PDF stays whole and the failure is said.
  const QByteArray pdf = read("r.pdf");
  {
    const FileSizeLimit full(1024);
    EXPECT_FALSE(report->savePdf(path("r.pdf"), &error));
  }
  EXPECT_TRUE(error.startsWith(QStringLiteral("Unable to write to "))) << error.toStdString();
  EXPECT_EQ(read("r.pdf"), pdf);

  const QString nowhere = path("no-such-folder/r.txt");
  EXPECT_FALSE(report->saveAs(nowhere, ScanFileFormat::Text, &error));
  EXPECT_EQ(error, QStringLiteral("Unable to write to ") + nowhere +
                       QStringLiteral(": No such file or directory"));
}

// Chooses "Save as...", types name with the file type filter chosen, and answers every question
// with answer. Returns the questions asked.
QStringList SaveThroughDialog(TfrmScanReport& report, const QString& name, int filter,
                              QMessageBox::StandardButton answer) {
  QStringList questions;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box == nullptr || !box->isVisible()) continue;
      questions << box->text();
      box->button(answer)->click();
    }
  });
  answerer.start(10);
  bool seen = false;
  QTimer::singleShot(0, &report, [&] {
    auto* dialog = report.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    seen = true;
    dialog->selectNameFilter(dialog->nameFilters().at(filter));
    dialog->selectFile(name);
    QMetaObject::invokeMethod(dialog, "accept");  // its Save button
    if (dialog->isVisible()) dialog->reject();    // "No" to its own question keeps it open
  });
  report.SaveAs1->trigger();
  EXPECT_TRUE(seen) << "the file dialog was shown";
  return questions;
}

// What a saved report's bytes are: "pdf", "txt", "csv" or "ics".
std::string SavedFormat(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "missing";
  const QByteArray data = file.readAll();
  if (data.startsWith("%PDF")) return "pdf";
  if (data.startsWith("BEGIN:VCALENDAR")) return "ics";
  std::string problem;
  return data.contains(',') && !ParseCsv(data, &problem).empty() && problem.empty() ? "csv" : "txt";
}

TEST_F(ScanWindowsTest, SaveAsWritesTheNameTypedInTheFormatItsSuffixNamesAndAsksBeforeReplacing) {
  enum { Pdf, Text, Csv, ICalendar };
  struct Row {
    const char* name;
    const char* typed;
    int filter;
    QMessageBox::StandardButton answer;
    const char* written;  // the file and its format afterwards; nullptr: nothing written
    const char* format;
    const char* question;  // the file asked about, if any
  } rows[] = {
      {"the suffix picks the format", "scan1.csv", Pdf, QMessageBox::Yes, "scan1.csv", "csv",
       nullptr},
      {"another type's file is not touched", "scan1.txt", Pdf, QMessageBox::Yes, "scan1.txt", "txt",
       nullptr},
      {"in any case", "scan2.ICS", Text, QMessageBox::Yes, "scan2.ICS", "ics", nullptr},
      {"no suffix: the chosen type's", "scan3", Csv, QMessageBox::Yes, "scan3.csv", "csv", nullptr},
      {"another suffix keeps it", "notes.dat", ICalendar, QMessageBox::Yes, "notes.dat.ics", "ics",
       nullptr},
      {"an added suffix names a file there: no", "scan1", Pdf, QMessageBox::No, nullptr, nullptr,
       "scan1.pdf"},
      {"an added suffix names a file there: yes", "scan1", Pdf, QMessageBox::Yes, "scan1.pdf",
       "pdf", "scan1.pdf"},
      {"the name typed is there: no", "scan1.pdf", Text, QMessageBox::No, nullptr, nullptr,
       "scan1.pdf"},
      {"the name typed is there: yes", "scan1.pdf", Text, QMessageBox::Yes, "scan1.pdf", "pdf",
       "scan1.pdf"},
  };
  settings(kMoonOnly);
  auto windows = run();
  TfrmScanReport* report = scan(*windows->clock);
  finish(report);
  const QString folder = QString::fromStdString(config.Dir().string());
  // Where Qt keeps its dialogs' settings: the configuration folder the program keeps its own in.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  const QByteArray old = "an earlier file";
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const char* existing : {"scan1.pdf", "other.txt"}) {
      QFile file(folder + QLatin1Char('/') + QLatin1String(existing));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(old);
    }
    const QStringList before = QDir(folder).entryList(QDir::Files);
    const QStringList questions = SaveThroughDialog(
        *report, folder + QLatin1Char('/') + QLatin1String(r.typed), r.filter, r.answer);
    if (r.question != nullptr) {
      ASSERT_EQ(questions.size(), 1);
      EXPECT_TRUE(questions[0].startsWith(QLatin1String(r.question) + QStringLiteral(" already")))
          << questions[0].toStdString();
    } else {
      EXPECT_EQ(questions, QStringList());
    }
    QStringList expected = before;
    if (r.written != nullptr) {
      EXPECT_EQ(SavedFormat(folder + QLatin1Char('/') + QLatin1String(r.written)), r.format);
      if (!expected.contains(QLatin1String(r.written))) expected << QLatin1String(r.written);
    }
    expected.sort();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name), expected)
        << "no other file, and no QtProject.conf beside the settings";
    for (const QString& name : before) {
      if (name == QLatin1String(r.written)) continue;
      QFile file(folder + QLatin1Char('/') + name);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      EXPECT_EQ(file.readAll(), old) << name.toStdString() << " left as it was";
    }
  }
}

TEST_F(ScanWindowsTest, TheCompanionPrintsTheReportsLinesForTheSameDayAndSettings) {
  settings(std::string(kGreenwichObservatory) + "[UseAspects]\nOpposition=1\nDuplicates=1\n");
  auto windows = run();
  TfrmScanReport* report = scan(*windows->clock);
  ASSERT_NE(report, nullptr);
  finish(report);

  QProcess companion;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config.Dir().string()));
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
  companion.setProcessEnvironment(env);
  companion.start(QStringLiteral(HELIODIAL_CHART_EXE),
                  {QStringLiteral("--scan"), QStringLiteral("2000-01-02")});
  ASSERT_TRUE(companion.waitForFinished(60000));
  ASSERT_EQ(companion.exitCode(), 0) << companion.readAllStandardError().toStdString();
  const QString out = QString::fromUtf8(companion.readAllStandardOutput());
  ASSERT_FALSE(MemoLines(*report).isEmpty());
  EXPECT_EQ(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), MemoLines(*report));
}

}  // namespace
