#include "NatalImport.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QLocale>
#include <cmath>

namespace {

// An answer of D-Bus type "v" arrives wrapped; the value inside is what the service meant.
QVariant Unwrap(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
    return Unwrap(value.value<QDBusVariant>().variant());
  }
  return value;
}

bool IsNumber(const QVariant& v) {
  switch (v.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
      return true;
    default:
      return false;
  }
}

}  // namespace

NatalImport::NatalImport(QDBusConnection bus, int timeoutMs)
    : bus_(std::move(bus)), timeoutMs_(timeoutMs) {}

std::optional<double> NatalImport::ToReal(const QVariant& answer) {
  const QVariant v = Unwrap(answer);
  double value = 0;
  bool ok = false;
  if (IsNumber(v)) {
    value = v.toDouble(&ok);
  } else if (v.metaType() == QMetaType::fromType<QString>()) {
    value = QLocale::c().toDouble(v.toString().trimmed(), &ok);
  }
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<QString> NatalImport::ToText(const QVariant& answer) {
  const QVariant v = Unwrap(answer);
  if (v.metaType() == QMetaType::fromType<QString>()) return v.toString();
  if (IsNumber(v) || v.metaType() == QMetaType::fromType<bool>()) return v.toString();
  return std::nullopt;
}

std::optional<QVariant> NatalImport::call(int item, qint64 deadlineMs) {
  if (deadlineMs <= 0) {
    failure_ = QStringLiteral("no answer in time");
    return std::nullopt;
  }
  QDBusMessage request =
      QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                     QString::fromLatin1(kInterface), QString::fromLatin1(kMethod));
  request << static_cast<qint32>(item);
  // Block, not BlockWithGui: nothing else of the program runs until the answer or the bound.
  const QDBusMessage reply = bus_.call(request, QDBus::Block, static_cast<int>(deadlineMs));
  if (reply.type() != QDBusMessage::ReplyMessage) {
    failure_ = reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    return std::nullopt;
  }
  if (reply.arguments().isEmpty()) {
    failure_ = QStringLiteral("item %1: empty answer").arg(item);
    return std::nullopt;
  }
  return reply.arguments().constFirst();
}

bool NatalImport::Run(NatalLongitudes& natal) {
  failure_.clear();
  if (!bus_.isConnected()) {
    failure_ = QStringLiteral("no session bus");
    return false;
  }
  QElapsedTimer clock;
  clock.start();
  const auto remaining = [&] { return timeoutMs_ - clock.elapsed(); };
  for (int i = 1; i <= kPointCount; ++i) {
    const std::optional<QVariant> answer = call(i, remaining());
    if (!answer) return false;
    const std::optional<double> value = ToReal(*answer);
    if (!value) {
      failure_ = QStringLiteral("item %1 is not a number").arg(i);
      return false;
    }
    natal[i] = FoldLongitude(*value);
  }
  const std::optional<QVariant> text = call(kTextItem, remaining());
  if (!text) return false;
  if (!ToText(*text)) {
    failure_ = QStringLiteral("item %1 is not text").arg(kTextItem);
    return false;
  }
  return true;
}
