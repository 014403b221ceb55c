// SPDX-License-Identifier: GPL-3.0-or-later
#include "NatalImport.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QLocale>
#include <cmath>

namespace {

// Beyond the import's own bound, so that the bound decides and not the call's timeout.
constexpr int kCallSlackMs = 1000;

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

// The errors that mean the package is not there: the bus knows no owner of its name and could
// not start one.
bool IsMissingService(const QDBusError& error) {
  return error.type() == QDBusError::ServiceUnknown ||
         error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
         error.name().startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."));
}

}  // namespace

NatalImport::NatalImport(QDBusConnection bus, int timeoutMs, QObject* parent)
    : QObject(parent), bus_(bus), callBus_(std::move(bus)), timeoutMs_(timeoutMs) {
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] {
    finish(Outcome::TooSlow, QStringLiteral("no answer within %1 ms").arg(timeoutMs_));
  });
}

NatalImport::~NatalImport() { Cancel(); }

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

std::optional<double> NatalImport::ToLongitude(const QVariant& answer) {
  const std::optional<double> value = ToReal(answer);
  if (!value || *value <= -360.0 || *value >= 720.0) return std::nullopt;
  return FoldLongitude(*value);
}

std::optional<QString> NatalImport::ToText(const QVariant& answer) {
  const QVariant v = Unwrap(answer);
  if (v.metaType() == QMetaType::fromType<QString>()) return v.toString();
  if (IsNumber(v) || v.metaType() == QMetaType::fromType<bool>()) return v.toString();
  return std::nullopt;
}

bool NatalImport::Start() {
  if (running_) return false;
  running_ = true;
  failure_.clear();
  positions_ = {};
  callBus_ = bus_;
  elapsed_.start();
  deadline_.start(std::max(timeoutMs_, 0));
  if (!callBus_.isConnected()) {
    // Told later, as every outcome is, so that the caller has set itself up for it.
    QTimer::singleShot(0, this, [this] {
      if (running_) finish(Outcome::NoService, QStringLiteral("no session bus"));
    });
    return true;
  }
  ask(1);
  return true;
}

void NatalImport::Cancel() {
  running_ = false;
  deadline_.stop();
  // A pending call whose watcher is gone is dropped when its answer or its timeout comes.
  delete pending_;
}

void NatalImport::ask(int item) {
  QDBusMessage request =
      QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                     QString::fromLatin1(kInterface), QString::fromLatin1(kMethod));
  request << static_cast<qint32>(item);
  const auto left = static_cast<int>(std::max<qint64>(timeoutMs_ - elapsed_.elapsed(), 0));
  auto* watcher =
      new QDBusPendingCallWatcher(callBus_.asyncCall(request, left + kCallSlackMs), this);
  pending_ = watcher;
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, item](QDBusPendingCallWatcher* w) { answered(w, item); });
}

void NatalImport::answered(QDBusPendingCallWatcher* watcher, int item) {
  watcher->deleteLater();
  if (!running_ || watcher != pending_) return;
  pending_ = nullptr;
  const QDBusMessage reply = watcher->reply();
  if (reply.type() != QDBusMessage::ReplyMessage) {
    const QDBusError error = watcher->error();
    const QString why = error.name() + QStringLiteral(": ") + error.message();
    if (IsMissingService(error)) {
      finish(Outcome::NoService, why);
    } else if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout) {
      finish(Outcome::TooSlow, why);
    } else {
      finish(Outcome::Failed, why);
    }
    return;
  }
  if (reply.arguments().isEmpty()) {
    finish(Outcome::Failed, QStringLiteral("item %1: empty answer").arg(item));
    return;
  }
  const QVariant answer = reply.arguments().constFirst();
  if (item == kTextItem) {
    if (!ToText(answer)) {
      finish(Outcome::Failed, QStringLiteral("item %1 is not text").arg(item));
      return;
    }
    finish(Outcome::Imported, {});
    return;
  }
  const std::optional<double> longitude = ToLongitude(answer);
  if (!longitude) {
    finish(Outcome::Failed, QStringLiteral("item %1 is no longitude").arg(item));
    return;
  }
  positions_[static_cast<std::size_t>(item)] = *longitude;
  ask(item < kPointCount ? item + 1 : kTextItem);
}

void NatalImport::finish(Outcome outcome, const QString& why) {
  Cancel();
  failure_ = why;
  if (outcome != Outcome::Imported) positions_ = {};
  emit finished(outcome);
}
