// SPDX-License-Identifier: GPL-3.0-or-later
// "Load chart from Starbench" against a stand-in for the larger package's automation service on the
// test's private session bus: what is stored at once, what the page shows, and the one message.
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <cmath>
#include <limits>

#include "options_fixture.h"
#include "support/private_bus.h"

namespace {

// The package's item i: longitudes that need folding (item 14) or rounding to the minute, sent as a
// real, as text (item 2) and as an integer (item 3).
double Item(int i) { return i == 14 ? 400.25 : i * 25.1 + 0.004; }
QVariant Answer(int i) {
  if (i == 2) return QStringLiteral(" %1 ").arg(Item(2), 0, 'g', 17);
  if (i == 3) return static_cast<qint32>(std::trunc(Item(3)));
  if (i == NatalImport::kTextItem) return QStringLiteral("Stand-in chart");
  return Item(i);
}
double Imported(int i) { return i == 3 ? std::trunc(Item(3)) : FoldLongitude(Item(i)); }

enum class Fault { None, ErrorAt, NotANumberAt, NaNAt, HugeAt, SilentAt, Slow };
// How long the slow stand-in takes over each answer: the import's bound in the tests runs out
// after some of them.
constexpr unsigned long kSlowAnswerMs = 40;

// Answers GetDefaultItem from a thread of its own, as a separate program would while the clock
// waits for it.
class StandIn : public QDBusVirtualObject {
 public:
  StandIn(Fault fault, int at) : fault_(fault), at_(at) {}
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
    const int item = m.arguments().value(0).toInt();
    if (item == 1) ++firstItemAsked;
    if (fault_ == Fault::Slow) QThread::msleep(kSlowAnswerMs);
    if (m.member() != QLatin1String(NatalImport::kMethod) || item != at_ || fault_ == Fault::None ||
        fault_ == Fault::Slow) {
      bus.send(m.createReply(QVariant::fromValue(QDBusVariant(Answer(item)))));
    } else if (fault_ == Fault::ErrorAt) {
      bus.send(m.createErrorReply(QStringLiteral("Starbench.Error"), QStringLiteral("no chart")));
    } else if (fault_ == Fault::NotANumberAt) {
      bus.send(m.createReply(QVariant::fromValue(QDBusVariant(QStringLiteral("Leo")))));
    } else if (fault_ == Fault::NaNAt || fault_ == Fault::HugeAt) {
      const double value =
          fault_ == Fault::HugeAt ? 1e300 : std::numeric_limits<double>::quiet_NaN();
      bus.send(m.createReply(QVariant::fromValue(QDBusVariant(value))));
    }
    // SilentAt: never answers.
    return true;
  }

  // How many imports began: each asks for item 1 first.
  std::atomic<int> firstItemAsked = 0;

 private:
  Fault fault_;
  int at_;
};

class Service {
 public:
  Service(QDBusConnection bus, Fault fault, int at) : bus_(std::move(bus)), object_(fault, at) {
    thread_.start();
    object_.moveToThread(&thread_);
    registered_ = bus_.registerVirtualObject(QLatin1String(NatalImport::kPath), &object_) &&
                  bus_.registerService(QLatin1String(NatalImport::kService));
  }
  ~Service() {
    bus_.unregisterService(QLatin1String(NatalImport::kService));
    bus_.unregisterObject(QLatin1String(NatalImport::kPath));
    thread_.quit();
    thread_.wait();
  }
  bool registered() const { return registered_; }
  int importsBegun() const { return object_.firstItemAsked; }

 private:
  QDBusConnection bus_;
  QThread thread_;
  StandIn object_;
  bool registered_ = false;
};

class NatalImportTest : public OptionsFixture {
 protected:
  void SetUp() override {
    OptionsFixture::SetUp();
    // The old chart: point k at k degrees of Aries.
    std::string file = "[Natal]\n";
    for (int k = 1; k <= kPointCount; ++k) {
      file += "Planet" + std::to_string(k) + "=" + std::to_string(k) + "\n";
    }
    settings(file);
  }
  // The import of an open dialog, on the private bus, with a bound a test can wait for.
  void UsePrivateBus(TfrmOptions& d) {
    d.natalImport().setConnection(bus.connection(QStringLiteral("client%1").arg(++clients)));
    d.natalImport().setTimeout(300);
  }
  QDBusConnection ServiceConnection() {
    return bus.connection(QStringLiteral("standin%1").arg(++services));
  }
  // Lets the clock run until the import is over: the import button is usable again.
  static void WaitForImport(TfrmOptions& d) {
    QPushButton* button = Find<QPushButton>(d, QStringLiteral("Button1"));
    QElapsedTimer waited;
    waited.start();
    while (!button->isEnabled() && waited.elapsed() < kPatience) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_TRUE(button->isEnabled()) << "the import did not end";
  }
  // The import as the user runs it.
  static void Import(TfrmOptions& d) {
    Find<QPushButton>(d, QStringLiteral("Button1"))->click();
    WaitForImport(d);
  }

  PrivateBus bus;
  int clients = 0;
  int services = 0;

  static void ExpectOldPage(const TfrmOptions& d) {
    for (int k = 1; k <= kPointCount; ++k) EXPECT_EQ(Row(d, k), (NatalFields{0, k, 0})) << k;
  }
  static void ExpectOldChart(const NatalLongitudes& natal) {
    for (int k = 1; k <= kPointCount; ++k) EXPECT_DOUBLE_EQ(natal[k], k) << k;
  }
};

TEST_F(NatalImportTest, FillsThePageAndMemoryAtOnceAndOkStoresItToTheMinute) {
  Service service(ServiceConnection(), Fault::None, 0);
  ASSERT_TRUE(service.registered());
  auto windows = run();
  const auto& natal = windows->core->state().settings.NatalPos;
  Open(*windows, [&](TfrmOptions& d) {
    UsePrivateBus(d);
    Import(d);
    EXPECT_EQ(d.importMessage(), nullptr);
    for (int k = 1; k <= kPointCount; ++k) {
      EXPECT_DOUBLE_EQ(natal[k], Imported(k)) << "stored at once: " << k;
      EXPECT_EQ(Row(d, k), NatalFieldsOf(Imported(k))) << k;
    }
    Ok(d);
  });
  for (int k = 1; k <= kPointCount; ++k) {
    EXPECT_NEAR(natal[k], NatalLongitudeOf(NatalFieldsOf(Imported(k))), 1e-12) << k;
  }
  EXPECT_NE(config.Contents().find("Planet14= 4.02500000000000E+0001\n"), std::string::npos);
  windows->core->Timer1()->stop();
}

TEST_F(NatalImportTest, CancelAfterAFullImportKeepsTheChartOfTheOpenedDialog) {
  Service service(ServiceConnection(), Fault::None, 0);
  ASSERT_TRUE(service.registered());
  const std::string before = config.Contents();
  auto windows = run();
  const auto& natal = windows->core->state().settings.NatalPos;
  Open(*windows, [&](TfrmOptions& d) {
    UsePrivateBus(d);
    Import(d);
    EXPECT_DOUBLE_EQ(natal[14], Imported(14));
    Find<QPushButton>(d, QStringLiteral("btnCancel"))->click();
  });
  ExpectOldChart(natal);
  EXPECT_EQ(config.Contents(), before);
  // The next OK saves the chart the page shows, which is the old one.
  Open(*windows, [&](TfrmOptions& d) {
    ExpectOldPage(d);
    Ok(d);
  });
  ExpectOldChart(natal);
  EXPECT_NE(config.Contents().find("Planet14= 1.40000000000000E+0001\n"), std::string::npos);
  windows->core->Timer1()->stop();
}

TEST_F(NatalImportTest, EveryFailureShowsOnlyItsMessageAndStoresNothing) {
  const QString notInstalled = QStringLiteral(
      "Starbench 5 must be installed for this feature to work. Read the Help item "
      "about More Astrology Calculations.");
  const QString tooSlow = TfrmOptions::kImportTooSlow;
  struct Case {
    const char* what;
    bool serviceThere;
    Fault fault;
    int at;
    const QString& message;
  };
  const Case cases[] = {
      {"no service", false, Fault::None, 0, notInstalled},
      {"an error at item 7", true, Fault::ErrorAt, 7, notInstalled},
      {"a word at item 3", true, Fault::NotANumberAt, 3, notInstalled},
      {"NaN at item 4", true, Fault::NaNAt, 4, notInstalled},
      {"1e300 at item 14", true, Fault::HugeAt, 14, notInstalled},
      {"no answer at item 1", true, Fault::SilentAt, 1, tooSlow},
      {"no answer at item 9", true, Fault::SilentAt, 9, tooSlow},
      {"an error at the text item", true, Fault::ErrorAt, NatalImport::kTextItem, notInstalled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<Service> service;
    if (c.serviceThere) {
      service.emplace(ServiceConnection(), c.fault, c.at);
      ASSERT_TRUE(service->registered());
    }
    const std::string before = config.Contents();
    auto windows = run();
    const auto& natal = windows->core->state().settings.NatalPos;
    Open(*windows, [&](TfrmOptions& d) {
      UsePrivateBus(d);  // with the bound that a service that never answers runs into
      Import(d);
      QMessageBox* box = d.importMessage();
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(box->isVisible());
      EXPECT_EQ(box->text(), c.message);
      EXPECT_EQ(box->windowTitle(), QStringLiteral("Heliodial 3.2"));
      EXPECT_EQ(box->buttons().size(), 1);
      ExpectOldChart(natal);
      ExpectOldPage(d);
      box->close();
      Find<QPushButton>(d, QStringLiteral("btnCancel"))->click();
    });
    ExpectOldChart(natal);
    EXPECT_EQ(config.Contents(), before);
  }
}

TEST_F(NatalImportTest, ASlowServiceNeitherBlocksTheClockNorCountsAsMissing) {
  Service service(ServiceConnection(), Fault::Slow, 0);
  ASSERT_TRUE(service.registered());
  auto windows = run();
  const auto& natal = windows->core->state().settings.NatalPos;
  Open(*windows, [&](TfrmOptions& d) {
    UsePrivateBus(d);
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();
    Find<QPushButton>(d, QStringLiteral("Button1"))->click();
    // While it runs: a busy cursor, the dialog usable, and a second click starts nothing.
    EXPECT_EQ(d.cursor().shape(), Qt::BusyCursor);
    for (const char* name : {"btnOK", "btnCancel", "BitBtn1", "btnBirthData"}) {
      EXPECT_TRUE(Find<QPushButton>(d, QString::fromLatin1(name))->isEnabled()) << name;
    }
    d.Button1Click();
    WaitForImport(d);
    // The ticks that were due come in now, if the clock stood still.
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 30) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ticker.stop();
    EXPECT_LE(longestGap, 100) << "the event loop stood still";
    EXPECT_EQ(service.importsBegun(), 1);
    EXPECT_NE(d.cursor().shape(), Qt::BusyCursor);
    QMessageBox* box = d.importMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), TfrmOptions::kImportTooSlow);
    ExpectOldChart(natal);
    box->close();
  });
  windows->core->Timer1()->stop();
}

TEST_F(NatalImportTest, CancelDuringAnImportStoresNothingLater) {
  Service service(ServiceConnection(), Fault::Slow, 0);
  ASSERT_TRUE(service.registered());
  auto windows = run();
  const auto& natal = windows->core->state().settings.NatalPos;
  Open(*windows, [&](TfrmOptions& d) {
    UsePrivateBus(d);
    d.natalImport().setTimeout(5000);
    Find<QPushButton>(d, QStringLiteral("Button1"))->click();
    Find<QPushButton>(d, QStringLiteral("btnCancel"))->click();
  });
  // Long enough for the whole import, had it gone on.
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 16 * static_cast<qint64>(kSlowAnswerMs)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  ExpectOldChart(natal);
  windows->core->Timer1()->stop();
}

TEST_F(NatalImportTest, OkAfterAPartialImportStoresThePagesOldValues) {
  Service service(ServiceConnection(), Fault::ErrorAt, 7);
  ASSERT_TRUE(service.registered());
  auto windows = run();
  Open(*windows, [&](TfrmOptions& d) {
    UsePrivateBus(d);
    Import(d);
    if (d.importMessage() != nullptr) d.importMessage()->close();
    Ok(d);
  });
  ExpectOldChart(windows->core->state().settings.NatalPos);
  windows->core->Timer1()->stop();
}

TEST(NatalImportAnswers, NumbersAndNumericTextOnly) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<QVariant, std::optional<double>> cases[] = {
      {12.5, 12.5},
      {qint32(-7), -7.0},
      {quint8(200), 200.0},
      {QStringLiteral(" 123.25 "), 123.25},
      {QStringLiteral("1.5e2"), 150.0},
      {QStringLiteral("12,5"), std::nullopt},
      {QStringLiteral("Leo"), std::nullopt},
      {QString(), std::nullopt},
      {true, std::nullopt},
      {nan, std::nullopt},
      {std::numeric_limits<double>::infinity(), std::nullopt},
      {QVariant(QStringList{QStringLiteral("1")}), std::nullopt},
      {QVariant::fromValue(QDBusVariant(45.5)), 45.5},
  };
  for (const auto& [answer, value] : cases) {
    EXPECT_EQ(NatalImport::ToReal(answer), value) << answer.toString().toStdString();
  }
  // A longitude is a number within a turn of the zodiac, folded into it; 1e300 is no longitude.
  const std::pair<QVariant, std::optional<double>> longitudes[] = {
      {400.25, 40.25},
      {qint32(-7), 353.0},
      {QStringLiteral("359.5"), 359.5},
      {-360.0, std::nullopt},
      {720.0, std::nullopt},
      {1e300, std::nullopt},
      {QStringLiteral("1e300"), std::nullopt},
      {nan, std::nullopt},
  };
  for (const auto& [answer, value] : longitudes) {
    EXPECT_EQ(NatalImport::ToLongitude(answer), value) << answer.toString().toStdString();
  }
  EXPECT_EQ(NatalImport::ToText(QStringLiteral("x")), QStringLiteral("x"));
  EXPECT_EQ(NatalImport::ToText(3), QStringLiteral("3"));
  EXPECT_FALSE(NatalImport::ToText(QVariant(QStringList{})).has_value());
}

}  // namespace
