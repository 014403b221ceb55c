// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorReport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "Application.h"
#include "chart/ComputeChart.h"

namespace {
ErrorReport* current = nullptr;
}

ErrorReport* ErrorReport::instance() { return current; }

ErrorReport::ErrorReport(QObject* parent) : QObject(parent), previous_(current) { current = this; }

ErrorReport::~ErrorReport() {
  if (current == this) current = previous_;
  delete box_;
}

void ErrorReport::show(const QString& text, const QString& key) {
  const QString which = key.isEmpty() ? text : key;
  if (which == last_) return;
  const Message message{QMessageBox::Critical, text, which};
  if (boxOpen()) {
    waiting_ = message;
    return;
  }
  open(message);
}

void ErrorReport::inform(const QString& text) {
  const Message message{QMessageBox::Information, text, QString()};
  if (!boxOpen()) {
    open(message);
  } else if (!waiting_) {
    waiting_ = message;
  }
}

void ErrorReport::next() {
  if (!waiting_ || boxOpen()) return;
  const Message message = *waiting_;
  waiting_.reset();
  if (!message.key.isEmpty() && message.key == last_) return;  // shown meanwhile
  open(message);
}

void ErrorReport::open(const Message& message) {
  if (!message.key.isEmpty()) last_ = message.key;
  const QMessageBox::Icon icon = message.icon;
  const QString& text = message.text;
  ++shown_;
  // Not exec(): a nested event loop would let the minute timer run handlers under the box.
  auto* box = new QMessageBox(icon, ApplicationTitle(), text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setAccessibleName(icon == QMessageBox::Critical ? QStringLiteral("Error")
                                                       : QStringLiteral("Notice"));
  box->setAccessibleDescription(text);
  box_ = box;
  connect(box, &QObject::destroyed, this,
          [this] { QTimer::singleShot(0, this, [this] { next(); }); });
  box->show();
}

void ErrorReport::clear() { last_.clear(); }

void ErrorReport::show(const std::exception& error) {
  const auto* chartError = dynamic_cast<const ChartError*>(&error);
  show(QString::fromUtf8(error.what()),
       chartError != nullptr ? QString::fromStdString(chartError->key()) : QString());
}

void RunReported(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& e) {
    if (ErrorReport* report = ErrorReport::instance()) {
      // What a person asked for failed: say so every time, even when the same text was shown
      // a moment ago (only the minute's chart error is said once).
      report->clear();
      report->show(e);
    }
  }
}
