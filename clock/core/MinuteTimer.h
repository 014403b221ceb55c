// SPDX-License-Identifier: GPL-3.0-or-later
// The clock's minute timer: one tick every 60000 ms, each at the start of a wall-clock minute, so
// that the wheel and the caption change within a second of the minute changing. It fires at once
// when the machine wakes and the minute has passed, and says so when the wall clock is set, since
// then the chart on show may no longer be the chart of the moment.
#ifndef HELIODIAL_MINUTETIMER_H
#define HELIODIAL_MINUTETIMER_H

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <memory>

class QSocketNotifier;

// Milliseconds from now to a moment just after the next minute starts.
int MillisecondsToNextMinute(const QDateTime& now);

class MinuteTimer : public QObject {
  Q_OBJECT
 public:
  explicit MinuteTimer(QObject* parent = nullptr);
  ~MinuteTimer() override;

  // The period the clock counts in; the ticks themselves follow the wall clock's minutes.
  static constexpr int kInterval = 60000;
  int interval() const { return kInterval; }

  void start();
  void stop();
  bool isActive() const { return active_; }
  // Milliseconds until the armed tick, -1 when none is armed.
  int remainingTime() const;

 signals:
  void timeout();
  // The wall clock was set; the next tick is armed anew.
  void clockSet();

 private:
  void arm();
  void onTimerFd();

  bool active_ = false;
  int fd_ = -1;  // a wall-clock timer that also reports a change of the clock
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer fallback_;  // where the system offers no such timer
};

#endif
