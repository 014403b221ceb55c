// SPDX-License-Identifier: GPL-3.0-or-later
// The automation object of a running clock, read as other programs read it: through
// QDBusInterface, gdbus, dbus-send and the README's Python example, on a bus of this test's own.
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <cmath>
#include <limits>

#include "ClockScript.h"
#include "ErrorReport.h"
#include "clock_fixture.h"
#include "support/private_bus.h"

namespace {

const QString kName = QStringLiteral("Heliodial.ClockScript");
const QString kPath = QStringLiteral("/ClockScript");
const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");

// What a client hears from the clock, in the order it arrives.
class Listener : public QObject {
  Q_OBJECT
 public:
  explicit Listener(QDBusConnection connection) {
    connection.connect(kName, kPath, kName, QStringLiteral("ChartUpdated"), this,
                       SLOT(chartUpdated()));
    connection.connect(kName, kPath, kName, QStringLiteral("VoidOfCourseChanged"), this,
                       SLOT(voidOfCourseChanged(bool)));
    connection.connect(kName, kPath, kName, QStringLiteral("SignIngress"), this,
                       SLOT(signIngress(int, int)));
    connection.connect(kName, kPath, kName, QStringLiteral("Alert"), this,
                       SLOT(alert(QString, QString, QString)));
    connection.connect(kName, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), this,
                       SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    // A round trip to the bus: the match rules are in place before the clock sends anything.
    connection.interface()->isServiceRegistered(kName);
  }

  // Waits for ChartUpdated, the last signal of a chart, then starts a new record.
  bool nextChart() {
    QSignalSpy arrived(this, &Listener::chartArrived);
    if (!heard.contains(QStringLiteral("ChartUpdated")) && !arrived.wait(kPatience)) return false;
    last = {heard, ingresses, voids, changed};
    heard.clear();
    ingresses.clear();
    voids.clear();
    changed.clear();
    return true;
  }

  struct Record {
    QStringList heard;
    QList<QPair<int, int>> ingresses;
    QList<bool> voids;
    QVariantMap changed;
  } last;

  QList<QStringList> alerts;  // kind, text, time of each Alert signal

 signals:
  void chartArrived();
  void alertArrived();

 public slots:
  void chartUpdated() {
    heard << QStringLiteral("ChartUpdated");
    emit chartArrived();
  }
  void voidOfCourseChanged(bool active) {
    heard << QStringLiteral("VoidOfCourseChanged");
    voids << active;
  }
  void alert(const QString& kind, const QString& text, const QString& time) {
    alerts << QStringList{kind, text, time};
    emit alertArrived();
  }
  void signIngress(int point, int sign) {
    heard << QStringLiteral("SignIngress");
    ingresses << qMakePair(point, sign);
  }
  void propertiesChanged(const QString& interface, const QVariantMap& properties,
                         const QStringList&) {
    if (interface != kName) return;
    heard << QStringLiteral("PropertiesChanged");
    changed.insert(properties);
  }

 private:
  QStringList heard;
  QList<QPair<int, int>> ingresses;
  QList<bool> voids;
  QVariantMap changed;
};

// An ad as QtDBus hands it over: a list, or still marshalled inside a dictionary.
QList<double> Doubles(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
    return qdbus_cast<QList<double>>(value.value<QDBusArgument>());
  }
  return value.value<QList<double>>();
}

// gdbus prints a double variant as (<280.36856744...>,).
std::optional<double> GdbusDouble(const QString& out) {
  QString text = out.trimmed();
  if (!text.startsWith(QStringLiteral("(<")) || !text.endsWith(QStringLiteral(">,)"))) return {};
  bool ok = false;
  const double value = text.mid(2, text.size() - 5).toDouble(&ok);
  return ok ? std::optional<double>(value) : std::nullopt;
}

// A stand-in desktop notification server: records each Notify and gives it an id; the test
// plays the user choosing an action.
class NotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  explicit NotificationServer(QDBusConnection connection) : connection_(std::move(connection)) {
    connection_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                               QDBusConnection::ExportAllSlots);
    connection_.registerService(QStringLiteral("org.freedesktop.Notifications"));
  }
  ~NotificationServer() override {
    connection_.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    connection_.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
  }
  struct Call {
    QString app, icon, summary, body;
    QStringList actions;
    QVariantMap hints;
  };
  QList<Call> calls;
  void invoke(uint id, const QString& action) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    signal << id << action;
    connection_.send(signal);
  }

 signals:
  void notified();

 public slots:
  uint Notify(const QString& app, uint, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
    calls << Call{app, icon, summary, body, actions, hints};
    emit notified();
    return 40 + static_cast<uint>(calls.size());
  }

 private:
  QDBusConnection connection_;
};

class ClockOnTheBus : public ClockOnPrivateBus {
 protected:
  static QDBusConnection client() { return bus->connection(QStringLiteral("client")); }

  // GetPlanet through QDBusInterface, one call per argument.
  static QList<QDBusMessage> getPlanet(const QVariantList& arguments) {
    QList<QDBusMessage> replies;
    const QDBusConnection connection = client();
    OffThread([&] {
      QDBusInterface iface(kName, kPath, kName, connection);
      iface.setTimeout(kPatience);
      for (const QVariant& argument : arguments) {
        replies << iface.call(QStringLiteral("GetPlanet"),
                              QVariant::fromValue(QDBusVariant(argument)));
      }
    });
    return replies;
  }

  static QVariant property(const char* name) {
    QVariant value;
    const QDBusConnection connection = client();
    OffThread([&] {
      QDBusInterface iface(kName, kPath, kName, connection);
      iface.setTimeout(kPatience);
      value = iface.property(name);
    });
    return value;
  }

  static ClientRun gdbus(const QStringList& arguments) {
    return RunServing(
        QStringLiteral("gdbus"),
        QStringList{QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                    kName, QStringLiteral("--object-path"), kPath} +
            arguments,
        bus->clientEnvironment());
  }

  // The companion's chart of a minute, from the same settings file.
  QJsonObject companion(const QDateTime& at) const {
    QProcess chart;
    chart.start(QStringLiteral(HELIODIAL_CHART_EXE),
                {QStringLiteral("--json"), QStringLiteral("--at"),
                 at.toString(QStringLiteral("yyyy-MM-dd HH:mm"))});
    EXPECT_TRUE(chart.waitForFinished(kPatience));
    return QJsonDocument::fromJson(chart.readAllStandardOutput()).object();
  }
};

TEST_F(ClockOnTheBus, GetPlanetGivesTheCompanionsTrueLongitudesOfTheMinute) {
  settings(kGreenwichObservatory);
  auto windows = serve();
  const QJsonObject chart = companion(now);
  const QJsonArray points = chart[QStringLiteral("points")].toArray();
  ASSERT_EQ(points.size(), 14);
  QVariantList indexes;
  for (int i = 0; i <= 14; ++i) indexes << i;
  const QList<QDBusMessage> replies = getPlanet(indexes);
  ASSERT_EQ(replies.size(), 15);
  const auto longitude = [&](int i) {
    return qvariant_cast<QDBusVariant>(replies[i].arguments().value(0)).variant();
  };
  EXPECT_EQ(longitude(0).metaType(), QMetaType::fromType<double>());
  EXPECT_EQ(longitude(0).toDouble(), 0.0);
  for (int i = 1; i <= 14; ++i) {
    ASSERT_EQ(replies[i].type(), QDBusMessage::ReplyMessage) << i;
    EXPECT_EQ(longitude(i).metaType(), QMetaType::fromType<double>()) << i;
    EXPECT_DOUBLE_EQ(longitude(i).toDouble(),
                     points[i - 1].toObject()[QStringLiteral("longitude")].toDouble())
        << points[i - 1].toObject()[QStringLiteral("name")].toString().toStdString();
  }
  // The Ascendant and, in Placidus, the Midheaven are cusps 1 and 10.
  const QJsonArray cusps = chart[QStringLiteral("cusps")].toArray();
  EXPECT_DOUBLE_EQ(longitude(13).toDouble(), cusps[0].toDouble());
  EXPECT_DOUBLE_EQ(longitude(14).toDouble(), cusps[9].toDouble());
  // True, not turned as the wheel draws it: the Ascendant is not at a sign's start.
  EXPECT_NE(std::fmod(longitude(13).toDouble(), 30.0), 0.0);
}

TEST_F(ClockOnTheBus, GetPlanetConvertsTheArgumentAsTheRuntimeDoesAndRefusesTheRest) {
  settings(kGreenwichObservatory);
  auto windows = serve();
  const auto& truePos = windows->core->state().chart.TruePos;
  const struct Row {
    const char* what;
    QVariant argument;
    int index;  // -1: refused
    const char* says = "";
  } rows[] = {
      {"int32", 1, 1},
      {"zero", 0, 0},
      {"text", QStringLiteral("2"), 2},
      {"text with blanks", QStringLiteral(" 2 "), 2},
      {"text with a sign", QStringLiteral("+3"), 3},
      {"decimal text, halves to even", QStringLiteral("13.5"), 14},
      {"text with an exponent", QStringLiteral("1e1"), 10},
      {"integer text past 64 bits", QStringLiteral("18446744073709551617"), 1},
      {"byte", QVariant::fromValue<uchar>(3), 3},
      {"int16", QVariant::fromValue<short>(4), 4},
      {"uint16", QVariant::fromValue<ushort>(5), 5},
      {"uint32", QVariant::fromValue<uint>(6), 6},
      {"int64, low 16 bits", QVariant::fromValue<qlonglong>(65537), 1},
      {"uint64, low 16 bits", QVariant::fromValue<qulonglong>(0xFFFF'FFFF'0000'0007ull), 7},
      {"negative int64 whose low bits are 8", QVariant::fromValue<qlonglong>(-65528), 8},
      {"double 2.5 halves to even", 2.5, 2},
      {"double 3.5 halves to even", 3.5, 4},
      {"double 11.4", 11.4, 11},
      {"double -0.4", -0.4, 0},
      {"double 2^53 + 8, past the last fraction bit", 9007199254740992.0 + 8, 8},
      {"false", false, 0},
      {"true is -1", true, -1, "true gives index -1"},
      {"not a number", QStringLiteral("abc"), -1, "the text \"abc\" is not one"},
      {"empty text", QString(), -1, "the text \"\" is not one"},
      {"hexadecimal text", QStringLiteral("0x10"), -1, "is not one"},
      {"15", 15, -1, "15 gives index 15"},
      {"-1", -1, -1, "gives index -1"},
      {"65535 is -1", 65535, -1, "65535 gives index -1"},
      {"text 15", QStringLiteral("15"), -1, "gives index 15"},
      {"not a number at all", std::numeric_limits<double>::quiet_NaN(), -1, "the value nan"},
      {"infinity", std::numeric_limits<double>::infinity(), -1, "is not one"},
      {"array of int32", QVariant::fromValue(QList<int>{1, 2}), -1, "an array (D-Bus type ai)"},
      {"array of texts", QStringList{QStringLiteral("1")}, -1, "an array of texts"},
      {"array of bytes", QByteArray("\x01"), -1, "an array of bytes"},
      {"dictionary", QVariantMap{{QStringLiteral("a"), 1}}, -1, "a dictionary"},
      {"object path", QVariant::fromValue(QDBusObjectPath(QStringLiteral("/x"))), -1,
       "an object path"},
      {"signature", QVariant::fromValue(QDBusSignature(QStringLiteral("i"))), -1,
       "a type signature"},
      {"a long text is quoted in part", QString(100000, u'7'), -1, "(100000 characters)"},
      {"still answering", 1, 1},
  };
  QVariantList arguments;
  for (const Row& row : rows) arguments << row.argument;
  const QList<QDBusMessage> replies = getPlanet(arguments);
  ASSERT_EQ(replies.size(), static_cast<qsizetype>(std::size(rows)));
  for (std::size_t r = 0; r < std::size(rows); ++r) {
    const Row& row = rows[r];
    const QDBusMessage& reply = replies[static_cast<qsizetype>(r)];
    if (row.index >= 0) {
      ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage)
          << row.what << ": " << reply.errorMessage().toStdString();
      EXPECT_EQ(qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toDouble(),
                truePos[static_cast<std::size_t>(row.index)])
          << row.what;
    } else {
      ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage) << row.what;
      EXPECT_EQ(reply.errorName(), kInvalidArgs) << row.what;
      EXPECT_TRUE(reply.errorMessage().contains(QStringLiteral("from 0 to 14"))) << row.what;
      EXPECT_TRUE(reply.errorMessage().contains(QString::fromUtf8(row.says)))
          << row.what << ": " << reply.errorMessage().toStdString();
      EXPECT_LT(reply.errorMessage().size(), 400) << row.what;
    }
  }
}

TEST_F(ClockOnTheBus, RealClientsGetTheSameAnswersAndErrors) {
  settings(kGreenwichObservatory);
  auto windows = serve();
  const auto& truePos = windows->core->state().chart.TruePos;
  const struct {
    const char* argument;
    int index;  // -1: refused
  } rows[] = {
      {"<1>", 1},           {"<'2'>", 2},     {"<uint64 65537>", 1},
      {"<<int16 14>>", 14},  // a variant inside the variant
      {"<0>", 0},           {"<'abc'>", -1},  {"<15>", -1},
      {"<-1>", -1},         {"<[1, 2]>", -1}, {"<(1, 'a')>", -1},
      {"<2>", 2},
  };
  for (const auto& row : rows) {
    const ClientRun run =
        gdbus({QStringLiteral("--method"), QStringLiteral("Heliodial.ClockScript.GetPlanet"),
               QString::fromLatin1(row.argument)});
    ASSERT_TRUE(run.finished) << row.argument;
    if (row.index >= 0) {
      EXPECT_EQ(run.status, 0) << row.argument << ": " << run.err.toStdString();
      EXPECT_EQ(GdbusDouble(run.out), truePos[static_cast<std::size_t>(row.index)])
          << row.argument << ": " << run.out.toStdString();
    } else {
      EXPECT_NE(run.status, 0) << row.argument;
      EXPECT_TRUE(run.err.contains(kInvalidArgs)) << row.argument << ": " << run.err.toStdString();
    }
  }
  // dbus-send prints six significant digits.
  const ClientRun send = RunServing(
      QStringLiteral("dbus-send"),
      {QStringLiteral("--session"), QStringLiteral("--print-reply"),
       QStringLiteral("--dest=Heliodial.ClockScript"), kPath,
       QStringLiteral("Heliodial.ClockScript.GetPlanet"), QStringLiteral("variant:string:2")},
      bus->clientEnvironment());
  ASSERT_EQ(send.status, 0) << send.err.toStdString();
  const QString shown = send.out.section(QStringLiteral("double"), 1).trimmed();
  EXPECT_NEAR(shown.toDouble(), truePos[2], 1e-3) << send.out.toStdString();
}

TEST_F(ClockOnTheBus, InEqualHousesTheMidheavenIsCuspZero) {
  settings(std::string(kGreenwichObservatory) + "[Setting]\nHouses=2\n");
  auto windows = serve();
  const QJsonObject chart = companion(now);
  const QList<QDBusMessage> replies = getPlanet({14});
  const double mc =
      qvariant_cast<QDBusVariant>(replies.value(0).arguments().value(0)).variant().toDouble();
  EXPECT_DOUBLE_EQ(mc, chart[QStringLiteral("mc")].toDouble());
  const QList<double> cusps = Doubles(property("Cusps"));
  ASSERT_EQ(cusps.size(), 13);
  EXPECT_EQ(cusps[0], mc);
  EXPECT_NE(cusps[10], mc) << "cusp 10 is the Ascendant + 270 in Equal houses";
  EXPECT_EQ(property("HouseSystem").toInt(), 9);
}

TEST_F(ClockOnTheBus, PropertiesAndSignalsFollowEachTick) {
  // The 30 degree test alone: the Moon goes void at 19:32 and enters Sagittarius at 21:33 on
  // 2 January 2000 at Greenwich (the companion's charts of those minutes).
  settings(std::string(kGreenwichObservatory) + "[VOC]\nDo45=0\n");
  now = QDateTime(QDate(2000, 1, 2), QTime(19, 0));
  Listener listener(client());
  auto windows = serve();
  ASSERT_TRUE(listener.nextChart());
  EXPECT_EQ(listener.last.heard, (QStringList{"PropertiesChanged", "ChartUpdated"}))
      << "the first chart: every property, nothing to leave";
  EXPECT_EQ(listener.last.changed.keys(),
            (QStringList{"ChartTime", "Cusps", "HouseSystem", "Longitudes", "MoonIllumination",
                         "MoonNextIngress", "MoonPhase", "VoidLastAspect", "VoidOfCourse",
                         "VoidRule", "VoidSince", "VoidUntil"}));

  const Chart& chart = windows->core->state().chart;
  const QList<double> longitudes = Doubles(property("Longitudes"));
  ASSERT_EQ(longitudes.size(), 15);
  EXPECT_EQ(longitudes[0], 0.0);
  for (int i = 1; i <= 14; ++i)
    EXPECT_EQ(longitudes[i], chart.TruePos[static_cast<std::size_t>(i)]);
  const QList<double> cusps = Doubles(property("Cusps"));
  ASSERT_EQ(cusps.size(), 13);
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(cusps[i], chart.CuspPos[static_cast<std::size_t>(i)]);
  EXPECT_EQ(property("HouseSystem").toInt(), 1);
  EXPECT_EQ(property("VoidOfCourse").toBool(), false);
  EXPECT_EQ(property("ChartTime").toString(), QStringLiteral("2000-01-02T19:00:00"));

  tick(*windows, 40);  // 19:40: void; the Midheaven has entered Taurus
  ASSERT_TRUE(listener.nextChart());
  EXPECT_EQ(listener.last.heard, (QStringList{"PropertiesChanged", "VoidOfCourseChanged",
                                              "SignIngress", "ChartUpdated"}));
  EXPECT_EQ(listener.last.voids, QList<bool>{true});
  EXPECT_EQ(listener.last.ingresses, (QList<QPair<int, int>>{{14, 2}}));
  // The degree test's window began at 19:32: its times are news, the lit fraction always is.
  EXPECT_EQ(listener.last.changed.keys(),
            (QStringList{"ChartTime", "Cusps", "Longitudes", "MoonIllumination", "VoidOfCourse",
                         "VoidSince", "VoidUntil"}));
  EXPECT_EQ(property("VoidSince").toString(), QStringLiteral("2000-01-02T19:32:00+00:00"));
  EXPECT_EQ(property("VoidUntil").toString(), QStringLiteral("2000-01-02T21:33:00+00:00"));
  EXPECT_EQ(property("VoidLastAspect").toString(), QString()) << "the degree test names none";
  EXPECT_EQ(property("VoidRule").toInt(), 0);
  EXPECT_EQ(listener.last.changed[QStringLiteral("ChartTime")].toString(),
            QStringLiteral("2000-01-02T19:40:00"));
  EXPECT_EQ(property("VoidOfCourse").toBool(), true);
  const QList<double> announced = Doubles(listener.last.changed[QStringLiteral("Longitudes")]);
  EXPECT_EQ(announced, Doubles(property("Longitudes"))) << "announced as read";

  tick(*windows, 120);  // 21:40: the Moon in Sagittarius, no longer void; Leo rises
  ASSERT_TRUE(listener.nextChart());
  EXPECT_EQ(listener.last.voids, QList<bool>{false});
  EXPECT_EQ(listener.last.ingresses, (QList<QPair<int, int>>{{2, 9}, {13, 6}, {14, 3}}));

  tick(*windows, 1);  // nothing enters a sign in this minute
  ASSERT_TRUE(listener.nextChart());
  EXPECT_EQ(listener.last.heard, (QStringList{"PropertiesChanged", "ChartUpdated"}));
}

// The Moon's properties under an aspect rule, for a fixed moment, as heliodial-chart --moon
// --rule gives her window, and in the zone of the settings.
TEST_F(ClockOnTheBus, TheMoonsPropertiesFollowTheRuleOfTheSettings) {
  const std::string greenwich(kGreenwichObservatory);
  const struct {
    std::string file;
    QTime time;
    int rule;
    const char* since;
    const char* until;
    const char* aspect;
    const char* ingress;
  } rows[] = {
      {greenwich + "[VOC]\nRule=1\n", QTime(20, 0), 1, "2000-01-02T19:32:00+00:00",
       "2000-01-02T21:33:00+00:00", "square Mars", "2000-01-02T21:33:00+00:00 Sagittarius"},
      {greenwich + "[VOC]\nRule=2\n", QTime(12, 0), 2, "", "", "",
       "2000-01-02T21:33:00+00:00 Sagittarius"},
      // An hour east of Greenwich's time (the zone's hours count west): the same minutes an hour
      // on, with the offset.
      {"[Place]\nLatD=51\nLatM=28\nNS=1\nEW=1\nManualZone=1\nZoneH=-1\nZoneM=0\n"
       "[VOC]\nRule=1\n",
       QTime(21, 0), 1, "2000-01-02T20:32:00+01:00", "2000-01-02T22:33:00+01:00", "square Mars",
       "2000-01-02T22:33:00+01:00 Sagittarius"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file);
    const std::string& file = r.file;
    settings(file);
    now = QDateTime(QDate(2000, 1, 2), r.time);
    Listener listener(client());
    auto windows = serve();
    ASSERT_TRUE(listener.nextChart());
    EXPECT_EQ(property("VoidRule").toInt(), r.rule);
    EXPECT_EQ(property("VoidSince").toString().toStdString(), r.since);
    EXPECT_EQ(property("VoidUntil").toString().toStdString(), r.until);
    EXPECT_EQ(property("VoidLastAspect").toString().toStdString(), r.aspect);
    EXPECT_EQ(property("MoonNextIngress").toString().toStdString(), r.ingress);
    EXPECT_EQ(property("MoonPhase").toString(), QStringLiteral("waning crescent"));
    const double lit = property("MoonIllumination").toDouble();
    EXPECT_GT(lit, 0.1);
    EXPECT_LT(lit, 0.25) << "four days before the new Moon of 6 January";
    EXPECT_EQ(listener.last.changed[QStringLiteral("VoidSince")].toString().toStdString(), r.since)
        << "announced as read";
    windows.reset();
    script.setState(nullptr);
    bus->connection(QStringLiteral("server")).unregisterService(kName);
    bus->connection(QStringLiteral("server")).unregisterObject(kPath);
  }
}

TEST_F(ClockOnTheBus, WithoutAChartGetPlanetSaysSoInsteadOfGivingZeros) {
  // Placidus has no cusps at 70 degrees north: the first chart fails.
  settings("[Place]\nLatD=70\nNS=1\nEW=1\nManualZone=1\n[Setting]\nHouses=0\n");
  auto windows = serve();
  const QList<QDBusMessage> replies = getPlanet({1, 0});
  for (const QDBusMessage& reply : replies) {
    ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.Failed"));
    EXPECT_TRUE(reply.errorMessage().contains(QStringLiteral("no chart yet")));
  }
  EXPECT_EQ(property("ChartTime").toString(), QString());
  if (ErrorReport* report = ErrorReport::instance(); report->boxOpen()) report->box()->close();
  QCoreApplication::processEvents();
}

// The chart is whole in the state before any window gets it: a call while a window draws (and
// lets other work run) reads that whole chart, never a mixture.
TEST_F(ClockOnTheBus, ACallWhileTheWindowsDrawReadsTheWholeNewChart) {
  settings(kGreenwichObservatory);
  ClockEnvironment environment;
  environment.now = [this] { return now; };
  environment.standardBias = [] { return 0; };
  environment.watchSystem = false;
  ClockCore core(std::move(environment));
  core.FormCreate(576);
  ASSERT_EQ(script.serveOn(bus->connection(QStringLiteral("server"))),
            ClockScript::BusStart::Serving);
  script.attachCore(core);
  core.ComputeNow();
  const Chart before = core.state().chart;

  ClientRun during;
  QObject::connect(&core, &ClockCore::chartComputed, &core, [&] {
    during = gdbus({QStringLiteral("--method"),
                    QStringLiteral("org.freedesktop.DBus.Properties.GetAll"), kName});
  });
  now = now.addSecs(3 * 3600);
  core.ComputeNow();
  ASSERT_EQ(during.status, 0) << during.err.toStdString();
  EXPECT_TRUE(during.out.contains(QStringLiteral("'ChartTime': <'2000-01-01T15:00:00'>")))
      << during.out.toStdString();
  const QString moon = QString::number(core.state().chart.TruePos[2], 'g', 17);
  EXPECT_TRUE(during.out.contains(moon))
      << "the new Moon " << moon.toStdString() << " in " << during.out.toStdString();
  EXPECT_NE(core.state().chart.TruePos[2], before.TruePos[2]);
}

TEST_F(ClockOnTheBus, TheReadmesPythonExampleRunsAgainstTheClock) {
  settings(kGreenwichObservatory);
  auto windows = serve();
  QFile readme(QStringLiteral(HELIODIAL_SOURCE_DIR "/README.md"));
  ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(readme.readAll());
  const qsizetype section = text.indexOf(QStringLiteral("## Automation over D-Bus"));
  ASSERT_GE(section, 0);
  const qsizetype start = text.indexOf(QStringLiteral("```python\n"), section);
  ASSERT_GE(start, 0);
  const qsizetype end = text.indexOf(QStringLiteral("\n```"), start);
  const QString example = text.mid(start + 10, end - start - 10);

  const ClientRun run = RunServing(QStringLiteral("/usr/bin/python3"),
                                   {QStringLiteral("-c"), example}, bus->clientEnvironment());
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 15) << run.out.toStdString();
  const double sun = windows->core->state().chart.TruePos[1];
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Sun"))) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].contains(QString::number(sun, 'f', 3))) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].contains(QStringLiteral("Capricorn"))) << lines[0].toStdString();
  EXPECT_EQ(lines[14], QStringLiteral("Moon void of course: False"));
}

TEST_F(ClockOnTheBus, ADueAlertIsNotifiedOnceAndSignalledAndItsActionShowsTheClock) {
  // The 30 degree test alone: the Moon goes void at 19:32 and enters Sagittarius at 21:33 on
  // 2 January 2000 at Greenwich. Only the void's beginning is asked for.
  settings(std::string(kGreenwichObservatory) + "[VOC]\nDo45=0\n[Alerts]\nVoidBegins=1\n");
  now = QDateTime(QDate(2000, 1, 2), QTime(19, 0));
  NotificationServer server(bus->connection(QStringLiteral("notifications")));
  Listener listener(client());
  auto windows = serve();
  windows->notifyOn(bus->connection(QStringLiteral("server")));
  AlertSchedule& alerts = *windows->alerts;
  ASSERT_TRUE(alerts.armedFor().has_value());
  EXPECT_EQ(*alerts.armedFor(), QDateTime(QDate(2000, 1, 2), QTime(19, 32), Qt::UTC));

  // The timer's moment: the window hidden, as in the tray.
  windows->clock->hide();
  now = QDateTime(QDate(2000, 1, 2), QTime(19, 32));
  QSignalSpy notified(&server, &NotificationServer::notified);
  alerts.FireDue();
  ASSERT_TRUE(notified.wait(kPatience));
  const QString text =
      QStringLiteral("The Moon is void of course from 19:32 until she enters Sagittarius at 21:33");
  ASSERT_EQ(server.calls.size(), 1);
  const NotificationServer::Call& call = server.calls[0];
  EXPECT_EQ(call.app, QStringLiteral("Heliodial"));
  EXPECT_EQ(call.icon, QStringLiteral("heliodial"));
  EXPECT_EQ(call.body, text);
  EXPECT_FALSE(call.summary.isEmpty());
  EXPECT_EQ(call.hints.value(QStringLiteral("desktop-entry")).toString(),
            QStringLiteral("heliodial"));
  EXPECT_EQ(call.actions, (QStringList{"default", "Show clock", "show", "Show clock"}));

  if (listener.alerts.isEmpty()) {
    QSignalSpy heard(&listener, &Listener::alertArrived);
    ASSERT_TRUE(heard.wait(kPatience));
  }
  ASSERT_EQ(listener.alerts.size(), 1);
  EXPECT_EQ(listener.alerts[0],
            (QStringList{"void-begins", text, QStringLiteral("2000-01-02T19:32:00Z")}));

  // Armed again (a settings change, a late tick): told once only, and the void's end, a kind
  // that is off, is not what the schedule waits for.
  emit windows->core->settingsChanged();
  alerts.FireDue();
  ASSERT_TRUE(alerts.armedFor().has_value());
  EXPECT_GT(*alerts.armedFor(), QDateTime(QDate(2000, 1, 2), QTime(21, 33), Qt::UTC));

  // The user chooses "Show clock": the clock comes up the way Show() brings it.
  QSignalSpy shown(&script, &ClockScript::showRequested);
  server.invoke(41, QStringLiteral("default"));
  ASSERT_TRUE(shown.wait(kPatience));
  EXPECT_TRUE(windows->clock->isVisible());
  // A round trip to the bus: anything still on its way has arrived.
  client().interface()->isServiceRegistered(kName);
  QCoreApplication::processEvents();
  EXPECT_EQ(server.calls.size(), 1) << "told once";
  EXPECT_EQ(listener.alerts.size(), 1);
}

}  // namespace

#include "test_clockscript.moc"
