// SPDX-License-Identifier: GPL-3.0-or-later
// The Moon's stays written out: readable lines, JSON for scripts, iCalendar for calendars.
// heliodial-chart --moon prints these; the scan report can add the same windows to its day.
#ifndef HELIODIAL_MOONEXPORT_H
#define HELIODIAL_MOONEXPORT_H

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <functional>
#include <vector>

#include "chart/MoonTimetable.h"

// The offset of local time from UTC, in seconds, at a moment: the clock's zone as the settings
// give it. A function, so that a zone with daylight-saving rules gives each moment its own.
using ZoneSecondsAt = std::function<int(const QDateTime& utc)>;
// The settings' fixed ZoneOffset, as the day scan uses it.
ZoneSecondsAt SettingsZone(const Settings& settings);

// The Moon's timetable from a local day on, as heliodial-chart --moon shows it.
struct MoonTable {
  QDate day;  // the first local day
  int days = 7;
  VoidRule rule = VoidRule::Degree;
  ZoneSecondsAt zone;
  std::vector<MoonStay> stays;
};
// The stays from the local midnight that begins `day` for `days` days.
MoonTable ComputeMoonTable(const Settings& settings, const TheoryTable& theory, QDate day, int days,
                           VoidRule rule, const ZoneSecondsAt& zone);

// "2026-12-10T05:40:00+01:00", the local time of a UTC moment.
QString LocalIsoTime(const QDateTime& utc, const ZoneSecondsAt& zone);

// A heading naming the rule and the zone, then one line per stay.
QByteArray MoonText(const MoonTable& table);
// An array of {"sign", "ingress", "voidStart", "voidEnd", "lastAspect": {"aspect", "body",
// "exact"}}, local ISO times with offset, null where there is none.
QJsonArray MoonJson(const MoonTable& table);
// One event per void window (RFC 5545), in UTC; stamp is every event's DTSTAMP.
QByteArray MoonICalendar(const MoonTable& table, const Settings& settings, const QDateTime& stamp);

// The Moon as the notification area, the status line under the wheel and the wheel's description
// show her at a moment: where she stands and her phase ("Moon 26°04' Sagittarius, waxing gibbous
// 71%"), and her void window, present or next, with her next ingress and the rule in force
// ("Void since 09:14 (square Saturn), enters Capricorn 21:52 (classical)"). Local times in the
// zone of zoneSeconds; a time on another local day than utc's carries its weekday.
struct MoonStatus {
  QString position;
  QString voidLine;
  QString line() const { return position + QStringLiteral("; ") + voidLine; }
};
MoonStatus MoonStatusOf(const MoonNow& moon, const QDateTime& utc, VoidRule rule, int zoneSeconds);

#endif
