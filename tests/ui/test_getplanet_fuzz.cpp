// SPDX-License-Identifier: GPL-3.0-or-later
// GetPlanet under random arguments: 10 000 values of every D-Bus type, nested, huge and empty, and
// calls of the wrong shape. Every call is answered, with a longitude of the chart or an error, and
// the service goes on.
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusUnixFileDescriptor>
#include <QMap>
#include <algorithm>
#include <limits>
#include <random>

#include "ClockScript.h"
#include "chart/ComputeChart.h"
#include "support/application.h"
#include "support/private_bus.h"

// Two structures the random values nest in: (is) and (dv), the second holding any value.
struct NumberAndText {
  int number = 0;
  QString text;
};
struct ValueAndAnything {
  double value = 0;
  QDBusVariant anything;
};
Q_DECLARE_METATYPE(NumberAndText)
Q_DECLARE_METATYPE(ValueAndAnything)

QDBusArgument& operator<<(QDBusArgument& out, const NumberAndText& s) {
  out.beginStructure();
  out << s.number << s.text;
  out.endStructure();
  return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, NumberAndText& s) {
  in.beginStructure();
  in >> s.number >> s.text;
  in.endStructure();
  return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const ValueAndAnything& s) {
  out.beginStructure();
  out << s.value << s.anything;
  out.endStructure();
  return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, ValueAndAnything& s) {
  in.beginStructure();
  in >> s.value >> s.anything;
  in.endStructure();
  return in;
}

namespace {

constexpr int kCalls = 10000;
constexpr int kMaxDepth = 6;
constexpr unsigned kSeed = 20000101;

class RandomValues {
 public:
  RandomValues(unsigned seed, bool filesAllowed) : rng_(seed), filesAllowed_(filesAllowed) {}

  QVariant value(int depth = 0) {
    const int kinds = depth >= kMaxDepth ? 12 : 22;
    switch (below(kinds)) {
      case 0:
        return QVariant::fromValue(static_cast<uchar>(below(256)));
      case 1:
        return below(2) == 1;
      case 2:
        return QVariant::fromValue(static_cast<short>(integer()));
      case 3:
        return QVariant::fromValue(static_cast<ushort>(integer()));
      case 4:
        return static_cast<int>(integer());
      case 5:
        return static_cast<uint>(integer());
      case 6:
        return static_cast<qlonglong>(integer());
      case 7:
        return static_cast<qulonglong>(integer());
      case 8:
        return real();
      case 9:
        return text();
      case 10:
        return QVariant::fromValue(QDBusObjectPath(
            below(2) ? QStringLiteral("/") : QStringLiteral("/a/b_%1").arg(below(99))));
      case 11: {
        static const char* const signatures[] = {"y", "i", "a{sv}", "(iv)", "aav", "v"};
        return QVariant::fromValue(QDBusSignature(QString::fromLatin1(signatures[below(6)])));
      }
      case 12:
        return QVariant::fromValue(QDBusVariant(value(depth + 1)));
      case 13: {
        QVariantList list;  // av
        for (int n = size(); n > 0; --n) list << value(depth + 1);
        return list;
      }
      case 14: {
        QVariantMap map;  // a{sv}
        for (int n = size(); n > 0; --n) map.insert(text(), value(depth + 1));
        return map;
      }
      case 15:
        return QVariant::fromValue(NumberAndText{static_cast<int>(integer()), text()});
      case 16:
        return QVariant::fromValue(ValueAndAnything{real(), QDBusVariant(value(depth + 1))});
      case 17: {
        QList<NumberAndText> list;  // a(is)
        for (int n = size(); n > 0; --n) list << NumberAndText{static_cast<int>(integer()), text()};
        return QVariant::fromValue(list);
      }
      case 18: {
        QMap<int, QDBusVariant> map;  // a{iv}
        for (int n = size(); n > 0; --n) {
          map.insert(static_cast<int>(integer()), QDBusVariant(value(depth + 1)));
        }
        return QVariant::fromValue(map);
      }
      case 19: {
        QByteArray bytes(huge(), '\0');  // ay
        for (char& b : bytes) b = static_cast<char>(below(256));
        return bytes;
      }
      case 20: {
        QList<double> numbers;  // ad, up to a hundred thousand
        for (int n = huge(); n > 0; --n) numbers << real();
        return QVariant::fromValue(numbers);
      }
      default:
        if (filesAllowed_) return QVariant::fromValue(QDBusUnixFileDescriptor(STDIN_FILENO));
        return QStringList{text(), text()};
    }
  }

 private:
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  int size() { return below(4) == 0 ? 0 : below(6); }
  int huge() { return below(8) == 0 ? below(100000) : below(20); }
  long long integer() {
    static const long long edges[] = {0,
                                      1,
                                      14,
                                      15,
                                      -1,
                                      65535,
                                      65536,
                                      65537,
                                      32767,
                                      -32768,
                                      std::numeric_limits<long long>::min(),
                                      std::numeric_limits<long long>::max()};
    if (below(3) == 0) return edges[below(static_cast<int>(std::size(edges)))];
    return std::uniform_int_distribution<long long>()(rng_);
  }
  double real() {
    static const double edges[] = {0.5,
                                   1.5,
                                   13.5,
                                   14.5,
                                   -0.5,
                                   1e300,
                                   -1e300,
                                   4.9e-324,
                                   -0.0,
                                   1e19,
                                   65537.4,
                                   std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN()};
    if (below(3) == 0) return edges[below(static_cast<int>(std::size(edges)))];
    return std::uniform_real_distribution<double>(-1e6, 1e6)(rng_);
  }
  QString text() {
    switch (below(6)) {
      case 0:
        return QString();
      case 1:
        return QString::number(below(40) - 10);
      case 2:
        return QStringLiteral(" %1.%2e%3 ").arg(below(20)).arg(below(10)).arg(below(3));
      case 3:
        return QString(huge() * 10, QChar(u'0' + below(10)));
      case 4: {
        static const char* const odd[] = {"+",   "-",   ".",   "e5",       "1e",  "0x1",    "1,5",
                                          "--1", "nan", "inf", "\xc3\xa9", "1 2", "\t\n3\r"};
        return QString::fromUtf8(odd[below(static_cast<int>(std::size(odd)))]);
      }
      default: {
        QString s;
        for (int n = below(30); n > 0; --n) s += QChar(static_cast<char16_t>(0x20 + below(0x2000)));
        return s;
      }
    }
  }

  std::mt19937 rng_;
  bool filesAllowed_;
};

TEST(GetPlanetFuzz, EveryRandomArgumentIsAnsweredAndTheServiceGoesOn) {
  EnsureApplication<QCoreApplication>();
  qDBusRegisterMetaType<NumberAndText>();
  qDBusRegisterMetaType<ValueAndAnything>();
  qDBusRegisterMetaType<QList<NumberAndText>>();
  qDBusRegisterMetaType<QMap<int, QDBusVariant>>();

  ClockState state;
  state.theory = InitialTheoryTable();
  state.chart = ComputeChart(state.settings, state.theory, QDate(2000, 1, 1), QTime(12, 0));
  PrivateBus bus;
  ClockScript script;
  ASSERT_EQ(script.serveOn(bus.connection(QStringLiteral("server"))),
            ClockScript::BusStart::Serving);
  script.setState(&state);

  const QDBusConnection client = bus.connection(QStringLiteral("client"));
  const bool files = client.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing;
  int answered = 0, longitudes = 0, refused = 0;
  QStringList wrong;
  OffThread([&] {
    RandomValues random(kSeed, files);
    for (int call = 0; call < kCalls; ++call) {
      QDBusMessage message = QDBusMessage::createMethodCall(
          QStringLiteral("Heliodial.ClockScript"), QStringLiteral("/ClockScript"),
          QStringLiteral("Heliodial.ClockScript"), QStringLiteral("GetPlanet"));
      // Mostly the variant the method takes; now and then a bare value, none or two.
      switch (call % 50) {
        case 0:
          message << random.value();
          break;
        case 1:
          break;
        case 2:
          message << QVariant::fromValue(QDBusVariant(1)) << QVariant::fromValue(QDBusVariant(2));
          break;
        default:
          message << QVariant::fromValue(QDBusVariant(random.value()));
      }
      const QDBusMessage reply = client.call(message, QDBus::Block, kPatience);
      if (reply.type() == QDBusMessage::ReplyMessage) {
        ++answered;
        const QVariant value = qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
        const double longitude = value.toDouble();
        const bool ours = value.metaType() == QMetaType::fromType<double>() &&
                          std::find(state.chart.TruePos.begin(), state.chart.TruePos.end(),
                                    longitude) != state.chart.TruePos.end();
        if (ours) {
          ++longitudes;
        } else if (wrong.size() < 10) {
          wrong << QStringLiteral("call %1 gave %2").arg(call).arg(value.toString());
        }
      } else if (reply.type() == QDBusMessage::ErrorMessage &&
                 (reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs") ||
                  reply.errorName() ==
                      QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"))) {
        ++answered;
        ++refused;
      } else if (wrong.size() < 10) {
        wrong << QStringLiteral("call %1: %2 %3")
                     .arg(call)
                     .arg(reply.errorName(), reply.errorMessage().left(200));
      }
    }
  });
  EXPECT_EQ(answered, kCalls) << "seed " << kSeed << ": " << wrong.join(u'\n').toStdString();
  EXPECT_GT(longitudes, 100) << "some random values are chart points";
  EXPECT_GT(refused, 1000);

  // And a plain call after all that.
  QDBusMessage plain = QDBusMessage::createMethodCall(
      QStringLiteral("Heliodial.ClockScript"), QStringLiteral("/ClockScript"),
      QStringLiteral("Heliodial.ClockScript"), QStringLiteral("GetPlanet"));
  plain << QVariant::fromValue(QDBusVariant(QStringLiteral("2")));
  QDBusMessage reply;
  OffThread([&] { reply = client.call(plain, QDBus::Block, kPatience); });
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toDouble(),
            state.chart.TruePos[2]);
}

}  // namespace
