#include "ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

#include "Application.h"
#include "chart/ComputeChart.h"

namespace {
ErrorReport* current = nullptr;
}

ErrorReport* ErrorReport::instance() { return current; }

ErrorReport::ErrorReport(QObject* parent) : QObject(parent) { current = this; }

ErrorReport::~ErrorReport() {
  if (current == this) current = nullptr;
  delete box_;
}

void ErrorReport::show(const QString& text, const QString& key) {
  const QString which = key.isEmpty() ? text : key;
  if (boxOpen() || which == last_) return;
  last_ = which;
  ++shown_;
  // Not exec(): a nested event loop would let the minute timer run handlers under the box.
  auto* box = new QMessageBox(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setAccessibleName(QStringLiteral("Error"));
  box->setAccessibleDescription(text);
  box_ = box;
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
    if (ErrorReport* report = ErrorReport::instance()) report->show(e);
  }
}
