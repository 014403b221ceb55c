// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/MinuteTimer.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <ctime>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace {
// Past the minute's start by this much, so that a tick never lands on the minute before.
constexpr int kGraceMs = 20;
}  // namespace

int MillisecondsToNextMinute(const QDateTime& now) {
  const QTime time = now.time();
  const int intoMinute = time.second() * 1000 + time.msec();
  return 60000 - intoMinute + kGraceMs;
}

MinuteTimer::MinuteTimer(QObject* parent) : QObject(parent) {
  fallback_.setSingleShot(true);
  fallback_.setTimerType(Qt::PreciseTimer);
  connect(&fallback_, &QTimer::timeout, this, [this] {
    arm();
    emit timeout();
  });
#ifdef __linux__
  fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ >= 0) {
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    notifier_->setEnabled(false);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &MinuteTimer::onTimerFd);
  }
#endif
}

MinuteTimer::~MinuteTimer() {
  notifier_.reset();
#ifdef __linux__
  if (fd_ >= 0) ::close(fd_);
#endif
}

void MinuteTimer::start() {
  active_ = true;
  arm();
}

void MinuteTimer::stop() {
  active_ = false;
  fallback_.stop();
#ifdef __linux__
  if (fd_ >= 0) {
    const itimerspec off{};
    ::timerfd_settime(fd_, 0, &off, nullptr);
    notifier_->setEnabled(false);
  }
#endif
}

void MinuteTimer::arm() {
  if (!active_) return;
#ifdef __linux__
  if (fd_ >= 0) {
    // An absolute wall-clock expiry: it holds across a suspend, and setting the clock cancels it.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t nowMs = std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
    const std::int64_t due = (nowMs / 60000 + 1) * 60000 + kGraceMs;
    itimerspec at{};
    at.it_value.tv_sec = static_cast<time_t>(due / 1000);
    at.it_value.tv_nsec = static_cast<long>((due % 1000) * 1000000);
    if (::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &at, nullptr) == 0) {
      notifier_->setEnabled(true);
      return;
    }
  }
#endif
  fallback_.start(MillisecondsToNextMinute(QDateTime::currentDateTime()));
}

int MinuteTimer::remainingTime() const {
  if (!active_) return -1;
#ifdef __linux__
  itimerspec left{};
  if (fd_ >= 0 && ::timerfd_gettime(fd_, &left) == 0 &&
      (left.it_value.tv_sec != 0 || left.it_value.tv_nsec != 0)) {
    return static_cast<int>(left.it_value.tv_sec * 1000 + left.it_value.tv_nsec / 1000000);
  }
#endif
  return fallback_.remainingTime();
}

void MinuteTimer::onTimerFd() {
#ifdef __linux__
  std::uint64_t expirations = 0;
  const ssize_t n = ::read(fd_, &expirations, sizeof expirations);
  if (n < 0 && errno == EAGAIN) return;  // nothing due yet
  if (n < 0 && errno == ECANCELED) {
    // The clock was set: the minute may be another now, or the same (a virtual machine's clock
    // is stepped by milliseconds, several times a second).
    arm();
    emit clockSet();
    return;
  }
#endif
  arm();
  emit timeout();
}
