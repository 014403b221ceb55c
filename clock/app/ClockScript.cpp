// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockScript.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusSignature>
#include <QDBusUnixFileDescriptor>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "Registration.h"
#include "chart/MoonExport.h"
#include "chart/MoonTimetable.h"
#include "clockscriptadaptor.h"
#include "core/ClockCore.h"
#include "model/Angles.h"
#include "model/ChartTables.h"

namespace {

const QString kBusName = QString::fromLatin1(kScriptBusName.data(), kScriptBusName.size());
const QString kObjectPath = QString::fromLatin1(kScriptObjectPath.data(), kScriptObjectPath.size());
const QString kInterface = QString::fromLatin1(kScriptInterface.data(), kScriptInterface.size());
const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString kFailed = QStringLiteral("org.freedesktop.DBus.Error.Failed");

// Deeper than the bus allows; it only bounds the loop that opens variants.
constexpr int kMaxVariantDepth = 64;
// Texts are quoted in an error message up to this many characters.
constexpr qsizetype kQuoteLimit = 40;

const QString kWanted = QStringLiteral(
    "GetPlanet wants a chart point index: a whole number from 0 to 14 (1 Sun .. 12 Chiron, "
    "13 Ascendant, 14 Midheaven) or a text holding one");

QString Quoted(const QString& text) {
  if (text.size() <= kQuoteLimit) return u'"' + text + u'"';
  return u'"' + text.left(kQuoteLimit) + QStringLiteral("\"... (%1 characters)").arg(text.size());
}

PointIndex NotANumber(const QString& what) {
  return {0, kWanted + QStringLiteral("; ") + what + QStringLiteral(" is not one.")};
}

int Low16(std::uint64_t value) {
  // Unsigned to signed is modular in C++20: 65535 becomes -1.
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

// To the nearest whole number, halves to the even one, as the runtime's conversion rounds;
// independent of the floating-point environment's rounding mode.
double RoundHalfEven(double x) {
  const double below = std::floor(x);
  const double fraction = x - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::optional<int> Low16OfDouble(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // Every double this large is whole already; fmod is exact, so any magnitude works.
  double low = std::fmod(RoundHalfEven(value), 65536.0);
  if (low < 0) low += 65536.0;
  return Low16(static_cast<std::uint64_t>(low));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [+-] digits [. digits] [e [+-] digits], or [+-] . digits [...]: a decimal number and nothing
// else.
bool IsDecimalText(std::string_view s) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t from = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    return i - from;
  };
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < s.size() && s[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == s.size();
}

std::optional<int> Low16OfText(const QString& text) {
  const QByteArray bytes = text.trimmed().toUtf8();
  std::string_view s(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  if (!IsDecimalText(s)) return std::nullopt;
  const bool negative = s.front() == '-';
  if (s.front() == '+' || s.front() == '-') s.remove_prefix(1);
  if (s.find_first_not_of("0123456789") == std::string_view::npos) {
    // A whole number of any length: its low 16 bits exactly, digit by digit.
    std::uint32_t low = 0;
    for (const char c : s) low = (low * 10 + static_cast<std::uint32_t>(c - '0')) & 0xFFFFu;
    return Low16(negative ? 0x10000u - low : low);
  }
  double value = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end != s.data() + s.size()) return std::nullopt;  // beyond a double
  return Low16OfDouble(negative ? -value : value);
}

QString DescribeContainer(const QDBusArgument& argument) {
  const QString type = QStringLiteral(" (D-Bus type %1)").arg(argument.currentSignature());
  switch (argument.currentType()) {
    case QDBusArgument::ArrayType:
      return QStringLiteral("an array") + type;
    case QDBusArgument::StructureType:
      return QStringLiteral("a structure") + type;
    case QDBusArgument::MapType:
      return QStringLiteral("a dictionary") + type;
    default:
      return QStringLiteral("a value") + type;
  }
}

// What an argument that is not a number is, in words.
QString Describe(const QVariant& value) {
  const QMetaType type = value.metaType();
  if (!type.isValid()) return QStringLiteral("an empty value");
  if (type == QMetaType::fromType<QDBusArgument>()) {
    return DescribeContainer(qvariant_cast<QDBusArgument>(value));
  }
  if (type == QMetaType::fromType<QByteArray>()) return QStringLiteral("an array of bytes");
  if (type == QMetaType::fromType<QStringList>()) return QStringLiteral("an array of texts");
  if (type == QMetaType::fromType<QVariantList>()) return QStringLiteral("an array");
  if (type == QMetaType::fromType<QVariantMap>()) return QStringLiteral("a dictionary");
  if (type == QMetaType::fromType<QDBusObjectPath>()) return QStringLiteral("an object path");
  if (type == QMetaType::fromType<QDBusSignature>()) return QStringLiteral("a type signature");
  if (type == QMetaType::fromType<QDBusUnixFileDescriptor>()) {
    return QStringLiteral("a file descriptor");
  }
  return QStringLiteral("a value of type %1").arg(QString::fromLatin1(type.name()));
}

template <std::size_t N>
QList<double> ToList(const std::array<double, N>& values) {
  return QList<double>(values.begin(), values.end());
}

// The Moon's properties, in the contract's order.
constexpr const char16_t* kMoonProperties[] = {u"VoidRule",        u"VoidSince",       u"VoidUntil",
                                               u"VoidLastAspect",  u"MoonNextIngress", u"MoonPhase",
                                               u"MoonIllumination"};

// A property's value as the bus carries it.
QVariant PropertyValue(const ChartSnapshot& snapshot, QStringView name) {
  if (name == u"Longitudes") return QVariant::fromValue(ToList(snapshot.longitudes));
  if (name == u"Cusps") return QVariant::fromValue(ToList(snapshot.cusps));
  if (name == u"HouseSystem") return snapshot.houseSystem;
  if (name == u"VoidOfCourse") return snapshot.voidOfCourse;
  if (name == u"ChartTime") return snapshot.chartTime;
  if (name == u"VoidRule") return snapshot.voidRule;
  if (name == u"VoidSince") return snapshot.voidSince;
  if (name == u"VoidUntil") return snapshot.voidUntil;
  if (name == u"VoidLastAspect") return snapshot.voidLastAspect;
  if (name == u"MoonNextIngress") return snapshot.moonNextIngress;
  if (name == u"MoonPhase") return snapshot.moonPhase;
  if (name == u"MoonIllumination") return snapshot.moonIllumination;
  return {};
}

}  // namespace

PointIndex PointIndexOf(const QVariant& argument) {
  QVariant value = argument;
  for (int depth = 0; value.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth) {
    if (depth == kMaxVariantDepth) return NotANumber(QStringLiteral("a variant nested too deep"));
    value = qvariant_cast<QDBusVariant>(value).variant();
  }
  std::optional<int> low;
  QString shown;  // the argument as an error message names it
  switch (value.metaType().id()) {
    case QMetaType::Bool:
      low = value.toBool() ? -1 : 0;  // the runtime's true is all bits set
      shown = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
      break;
    case QMetaType::UChar:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
      low = Low16(static_cast<std::uint64_t>(value.toLongLong()));
      shown = QString::number(value.toLongLong());
      break;
    case QMetaType::ULong:
    case QMetaType::ULongLong:
      low = Low16(value.toULongLong());
      shown = QString::number(value.toULongLong());
      break;
    case QMetaType::Float:
    case QMetaType::Double:
      low = Low16OfDouble(value.toDouble());
      shown = QString::number(value.toDouble(), 'g', 17);
      if (!low) return NotANumber(QStringLiteral("the value ") + shown);
      break;
    case QMetaType::QString:
      low = Low16OfText(value.toString());
      shown = QStringLiteral("the text ") + Quoted(value.toString());
      if (!low) return NotANumber(shown);
      break;
    default:
      return NotANumber(Describe(value));
  }
  if (*low < 0 || *low > kPointCount) {
    return {*low,
            kWanted + QStringLiteral("; %1 gives index %2 (its low 16 bits, signed), which is "
                                     "outside 0 to 14.")
                          .arg(shown)
                          .arg(*low)};
  }
  return {*low, QString()};
}

int SignOf(double longitude) {
  return std::min(static_cast<int>(FoldLongitude(longitude) / 30.0), 11) + 1;
}

ChartSnapshot SnapshotOf(const ClockState& state) {
  const Chart& chart = state.chart;
  ChartSnapshot snapshot;
  snapshot.longitudes = chart.TruePos;
  snapshot.longitudes[0] = 0;
  std::copy_n(chart.CuspPos.begin(), snapshot.cusps.size(), snapshot.cusps.begin());
  snapshot.houseSystem = static_cast<int>(state.settings.HouseCode);
  snapshot.hasCusps = chart.HasCusps;
  snapshot.voidOfCourse = chart.VOCActive;
  if (chart.Date.isValid()) {
    snapshot.chartTime =
        chart.Date.toString(Qt::ISODate) + u'T' + chart.Time.toString(QStringLiteral("HH:mm:ss"));
  }
  snapshot.voidRule = static_cast<int>(VoidRuleFromNumber(state.settings.VOCRule));
  if (chart.Moon) {
    const MoonNow& moon = *chart.Moon;
    const ZoneSecondsAt zone = SettingsZone(state.settings);
    if (moon.isVoid(chart.MomentUtc)) {
      snapshot.voidSince = LocalIsoTime(moon.voidWindow->start, zone);
      snapshot.voidUntil = LocalIsoTime(moon.voidWindow->end, zone);
      if (moon.voidWindow->lastAspect) {
        snapshot.voidLastAspect = MoonAspectText(*moon.voidWindow->lastAspect);
      }
    }
    snapshot.moonNextIngress =
        LocalIsoTime(moon.nextIngress.time, zone) + u' ' +
        QString::fromLatin1(kSignNames[static_cast<std::size_t>(moon.nextIngress.sign)]);
    snapshot.moonPhase = MoonPhaseText(moon.phase.name);
    snapshot.moonIllumination = moon.phase.illuminated;
  }
  return snapshot;
}

ChartEvents EventsBetween(const std::optional<ChartSnapshot>& before, const ChartSnapshot& after) {
  ChartEvents events;
  if (!before) {
    events.changedProperties = {QStringLiteral("Longitudes"), QStringLiteral("Cusps"),
                                QStringLiteral("HouseSystem"), QStringLiteral("VoidOfCourse"),
                                QStringLiteral("ChartTime")};
    for (const char16_t* name : kMoonProperties)
      events.changedProperties << QStringView(name).toString();
    return events;
  }
  if (before->longitudes != after.longitudes) {
    events.changedProperties << QStringLiteral("Longitudes");
  }
  if (before->cusps != after.cusps) events.changedProperties << QStringLiteral("Cusps");
  if (before->houseSystem != after.houseSystem) {
    events.changedProperties << QStringLiteral("HouseSystem");
  }
  if (before->voidOfCourse != after.voidOfCourse) {
    events.changedProperties << QStringLiteral("VoidOfCourse");
    events.voidOfCourse = after.voidOfCourse;
  }
  if (before->chartTime != after.chartTime) events.changedProperties << QStringLiteral("ChartTime");
  // The Moon's properties change rarely (the illumination every few minutes): only those that did.
  for (const char16_t* name : kMoonProperties) {
    if (PropertyValue(*before, name) != PropertyValue(after, name)) {
      events.changedProperties << QStringView(name).toString();
    }
  }
  // Without cusps the angles are zeros, not places: no ingress to or from them.
  const int last = before->hasCusps && after.hasCusps ? kPointCount : kBodyCount;
  for (int point = 1; point <= last; ++point) {
    const auto i = static_cast<std::size_t>(point);
    const int sign = SignOf(after.longitudes[i]);
    if (sign != SignOf(before->longitudes[i])) events.ingresses.emplace_back(point, sign);
  }
  return events;
}

ClockScript::ClockScript(QObject* parent) : QObject(parent) { new ClockScriptAdaptor(this); }

ClockScript::~ClockScript() {
  if (connection_) {
    // The name first: a call routed here after the object had gone would find no object.
    if (!nameReleased_) connection_->unregisterService(kBusName);
    connection_->unregisterObject(kObjectPath);
  }
}

ClockScript::BusStart ClockScript::serveOn(const QDBusConnection& connection, QString* why) {
  const auto fail = [why](const QString& text) {
    if (why != nullptr) *why = text;
  };
  QDBusConnection bus(connection);
  if (!bus.isConnected() || bus.interface() == nullptr) {
    fail(bus.lastError().message());
    return BusStart::Unavailable;
  }
  // The object first: the name's first caller must find it there.
  if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) {
    fail(QStringLiteral("the object path %1 is taken on this connection").arg(kObjectPath));
    return BusStart::Unavailable;
  }
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      bus.interface()->registerService(kBusName, QDBusConnectionInterface::DontQueueService,
                                       QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
    bus.unregisterObject(kObjectPath);
    if (!reply.isValid()) {
      fail(reply.error().message());
      return BusStart::Unavailable;
    }
    return BusStart::NameTaken;
  }
  connection_ = bus;
  return BusStart::Serving;
}

void ClockScript::attachCore(ClockCore& core) {
  setState(&core.state());
  connect(&core, &ClockCore::chartComputed, this, [this] { publishChart(); });
  connect(&core, &QObject::destroyed, this, [this] { setState(nullptr); });
}

void ClockScript::setState(const ClockState* state) {
  state_ = state;
  // A chart that is there already is the starting point, not news.
  published_.reset();
  if (state_ != nullptr && state_->chart.Date.isValid()) published_ = SnapshotOf(*state_);
}

void ClockScript::endWithLastClient(std::chrono::milliseconds grace) {
  if (watcher_ != nullptr || !connection_) return;
  watcher_ = new QDBusServiceWatcher(this);
  watcher_->setConnection(*connection_);
  watcher_->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &ClockScript::forgetClient);
  if (grace_ == nullptr) {
    grace_ = new QTimer(this);
    grace_->setSingleShot(true);
    connect(grace_, &QTimer::timeout, this, &ClockScript::graceOver);
  }
  grace_->setInterval(grace);
}

void ClockScript::noteActivity() const {
  if (grace_ != nullptr && grace_->isActive()) grace_->start();
}

void ClockScript::graceOver() {
  if (watcher_ == nullptr || !clients_.isEmpty()) return;
  if (!nameReleased_) {
    // From the bus's answer on, calls to the name start another clock; those it routed here
    // before are already on this connection, and are answered while the clock waits once more.
    nameReleased_ = true;
    connection_->unregisterService(kBusName);
    grace_->start();
    return;
  }
  emit lastClientGone();
}

void ClockScript::noteCaller() {
  if (watcher_ == nullptr || !calledFromDBus()) return;
  noteActivity();
  const QString caller = message().service();
  if (caller.isEmpty() || clients_.contains(caller)) return;
  clients_.insert(caller);
  grace_->stop();
  watcher_->addWatchedService(caller);
  // A caller that left before the watch began sends no notice: ask the bus.
  if (!connection_->interface()->isServiceRegistered(caller).value()) {
    QMetaObject::invokeMethod(
        this, [this, caller] { forgetClient(caller); }, Qt::QueuedConnection);
  }
}

void ClockScript::forgetClient(const QString& name) {
  if (watcher_ == nullptr || !clients_.remove(name)) return;
  watcher_->removeWatchedService(name);
  if (clients_.isEmpty()) grace_->start();
}

ChartSnapshot ClockScript::current() const {
  noteActivity();  // property reads come here, and do not say who asked
  return state_ ? SnapshotOf(*state_) : ChartSnapshot();
}

QList<double> ClockScript::longitudes() const {
  return PropertyValue(current(), u"Longitudes").value<QList<double>>();
}
QList<double> ClockScript::cusps() const {
  return PropertyValue(current(), u"Cusps").value<QList<double>>();
}
int ClockScript::houseSystem() const { return current().houseSystem; }
bool ClockScript::voidOfCourse() const { return current().voidOfCourse; }
QString ClockScript::chartTime() const { return current().chartTime; }
int ClockScript::voidRule() const { return current().voidRule; }
QString ClockScript::voidSince() const { return current().voidSince; }
QString ClockScript::voidUntil() const { return current().voidUntil; }
QString ClockScript::voidLastAspect() const { return current().voidLastAspect; }
QString ClockScript::moonNextIngress() const { return current().moonNextIngress; }
QString ClockScript::moonPhase() const { return current().moonPhase; }
double ClockScript::moonIllumination() const { return current().moonIllumination; }

QDBusVariant ClockScript::GetPlanet(const QDBusVariant& index) {
  noteCaller();
  const PointIndex point = PointIndexOf(index.variant());
  if (!point.error.isEmpty()) {
    if (calledFromDBus()) sendErrorReply(kInvalidArgs, point.error);
    return {};
  }
  if (state_ == nullptr || !state_->chart.Date.isValid()) {
    // Zeros would pass for longitudes (0 is the start of Aries): say there is no chart.
    if (calledFromDBus()) {
      sendErrorReply(kFailed, QStringLiteral("The clock has no chart yet: its first computation "
                                             "has not succeeded (its window says why)."));
    }
    return {};
  }
  const double longitude =
      point.index == 0 ? 0.0 : state_->chart.TruePos[static_cast<std::size_t>(point.index)];
  return QDBusVariant(longitude);
}

void ClockScript::publishAlert(const QString& kind, const QString& text, const QDateTime& when) {
  emit Alert(kind, text, when.toString(Qt::ISODate));
}

void ClockScript::Show() {
  if (watcher_ != nullptr) {
    // A person asked for the clock: it no longer ends with its last client.
    delete watcher_;
    watcher_ = nullptr;
    clients_.clear();
    grace_->stop();
  }
  if (nameReleased_ && connection_) {
    // Shown while it was ending: the clock takes its name back, unless another clock has it.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        connection_->interface()->registerService(kBusName,
                                                  QDBusConnectionInterface::DontQueueService,
                                                  QDBusConnectionInterface::DontAllowReplacement);
    nameReleased_ =
        !reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered;
  }
  emit showRequested();
}

void ClockScript::publishChart() {
  if (state_ == nullptr) return;
  const ChartSnapshot now = SnapshotOf(*state_);
  const ChartEvents events = EventsBetween(published_, now);
  published_ = now;
  announce(now, events.changedProperties);
  if (events.voidOfCourse) emit VoidOfCourseChanged(*events.voidOfCourse);
  for (const auto& [point, sign] : events.ingresses) emit SignIngress(point, sign);
  emit ChartUpdated();
}

void ClockScript::announce(const ChartSnapshot& snapshot, const QStringList& properties) {
  if (!connection_ || properties.isEmpty()) return;
  QVariantMap changed;
  for (const QString& name : properties) changed.insert(name, PropertyValue(snapshot, name));
  QDBusMessage signal =
      QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                 QStringLiteral("PropertiesChanged"));
  signal << kInterface << changed << QStringList();
  connection_->send(signal);
}

bool AskRunningClockToShow(const QDBusConnection& connection, QString* why) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromLatin1(kScriptBusName.data(), kScriptBusName.size()),
      QString::fromLatin1(kScriptObjectPath.data(), kScriptObjectPath.size()),
      QString::fromLatin1(kScriptInterface.data(), kScriptInterface.size()),
      QStringLiteral("Show"));
  // The name had an owner a moment ago; if it has gone, starting another clock is not our call.
  call.setAutoStartService(false);
  const QDBusMessage reply = QDBusConnection(connection).call(call);
  if (reply.type() == QDBusMessage::ReplyMessage) return true;
  if (why != nullptr) *why = reply.errorMessage();
  return false;
}
