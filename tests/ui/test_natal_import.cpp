// "Load chart from Starbench" against a stand-in for the larger package's automation service on the
// test's private session bus: what is stored at once, what the page shows, and the one message.
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
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

enum class Fault { None, ErrorAt, NotANumberAt, SilentAt };

// Answers GetDefaultItem from a thread of its own, as a separate program would while the clock
// waits for it.
class StandIn : public QDBusVirtualObject {
 public:
  StandIn(Fault fault, int at) : fault_(fault), at_(at) {}
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
    const int item = m.arguments().value(0).toInt();
    if (m.member() != QLatin1String(NatalImport::kMethod) || item != at_ || fault_ == Fault::None) {
      bus.send(m.createReply(QVariant::fromValue(QDBusVariant(Answer(item)))));
    } else if (fault_ == Fault::ErrorAt) {
      bus.send(m.createErrorReply(QStringLiteral("Starbench.Error"), QStringLiteral("no chart")));
    } else if (fault_ == Fault::NotANumberAt) {
      bus.send(m.createReply(QVariant::fromValue(QDBusVariant(QStringLiteral("Leo")))));
    }
    // SilentAt: never answers.
    return true;
  }

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

 private:
  QDBusConnection bus_;
  QThread thread_;
  StandIn object_;
  bool registered_ = false;
};

class NatalImportTest : public OptionsFixture {
 protected:
  void SetUp() override {
    // The old chart: point k at k degrees of Aries.
    std::string file = "[Natal]\n";
    for (int k = 1; k <= kPointCount; ++k) {
      file += "Planet" + std::to_string(k) + "=" + std::to_string(k) + "\n";
    }
    settings(file);
  }
  // The import of an open dialog, on the private bus, with a bound a test can wait for.
  void UsePrivateBus(TfrmOptions& d) {
    d.natalImport() = NatalImport(bus.connection(QStringLiteral("client%1").arg(++clients)), 300);
  }
  QDBusConnection ServiceConnection() {
    return bus.connection(QStringLiteral("standin%1").arg(++services));
  }

  PrivateBus bus;
  int clients = 0;
  int services = 0;

  static void ExpectOldPage(const TfrmOptions& d) {
    for (int k = 1; k <= kPointCount; ++k) EXPECT_EQ(Row(d, k), (NatalFields{0, k, 0})) << k;
  }
};

TEST_F(NatalImportTest, FillsThePageAndMemoryAtOnceAndOkStoresItToTheMinute) {
  Service service(ServiceConnection(), Fault::None, 0);
  ASSERT_TRUE(service.registered());
  auto windows = run();
  const auto& natal = windows->core->state().settings.NatalPos;
  Open(*windows, [&](TfrmOptions& d) {
    UsePrivateBus(d);
    Find<QPushButton>(d, QStringLiteral("Button1"))->click();
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

TEST_F(NatalImportTest, EveryFailureShowsOnlyTheMessageAndKeepsWhatCameBefore) {
  struct Case {
    const char* what;
    bool serviceThere;
    Fault fault;
    int at;
    int stored;  // points imported before the failure
  };
  const Case cases[] = {
      {"no service", false, Fault::None, 0, 0},
      {"an error at item 7", true, Fault::ErrorAt, 7, 6},
      {"a word at item 3", true, Fault::NotANumberAt, 3, 2},
      {"no answer at item 1", true, Fault::SilentAt, 1, 0},
      {"an error at the text item", true, Fault::ErrorAt, NatalImport::kTextItem, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<Service> service;
    if (c.serviceThere) {
      service.emplace(ServiceConnection(), c.fault, c.at);
      ASSERT_TRUE(service->registered());
    }
    auto windows = run();
    const auto& natal = windows->core->state().settings.NatalPos;
    Open(*windows, [&](TfrmOptions& d) {
      UsePrivateBus(d);  // with the bound that a service that never answers runs into
      Find<QPushButton>(d, QStringLiteral("Button1"))->click();
      QMessageBox* box = d.importMessage();
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(box->isVisible());
      EXPECT_EQ(box->text(),
                QStringLiteral("Starbench 5 must be installed for this feature to work. Read the "
                               "Help item about More Astrology Calculations."));
      EXPECT_EQ(box->buttons().size(), 1);
      for (int k = 1; k <= kPointCount; ++k) {
        EXPECT_DOUBLE_EQ(natal[k], k <= c.stored ? Imported(k) : k) << k;
      }
      ExpectOldPage(d);
      box->close();
      Find<QPushButton>(d, QStringLiteral("btnCancel"))->click();
    });
    // Cancel keeps a partial import in memory until the next load.
    for (int k = 1; k <= c.stored; ++k) EXPECT_DOUBLE_EQ(natal[k], Imported(k)) << k;
  }
}

TEST_F(NatalImportTest, OkAfterAPartialImportStoresThePagesOldValues) {
  Service service(ServiceConnection(), Fault::ErrorAt, 7);
  ASSERT_TRUE(service.registered());
  auto windows = run();
  Open(*windows, [&](TfrmOptions& d) {
    UsePrivateBus(d);
    Find<QPushButton>(d, QStringLiteral("Button1"))->click();
    if (d.importMessage() != nullptr) d.importMessage()->close();
    Ok(d);
  });
  for (int k = 1; k <= kPointCount; ++k) {
    EXPECT_DOUBLE_EQ(windows->core->state().settings.NatalPos[k], k) << k;
  }
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
  EXPECT_EQ(NatalImport::ToText(QStringLiteral("x")), QStringLiteral("x"));
  EXPECT_EQ(NatalImport::ToText(3), QStringLiteral("3"));
  EXPECT_FALSE(NatalImport::ToText(QVariant(QStringList{})).has_value());
}

}  // namespace
