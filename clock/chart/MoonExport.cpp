// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/MoonExport.h"

#include <QJsonObject>
#include <QLocale>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

#include "chart/ScanExport.h"
#include "model/ChartTables.h"

namespace {

QString signName(int sign) {
  return QString::fromLatin1(kSignNames[static_cast<std::size_t>(sign)]);
}

QString localMinute(const QDateTime& utc, const ZoneSecondsAt& zone) {
  return utc.addSecs(zone(utc)).toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

}  // namespace

ZoneSecondsAt SettingsZone(const Settings& settings) {
  const int seconds = static_cast<int>(std::lround(settings.ZoneOffset * 3600));
  return [seconds](const QDateTime&) { return seconds; };
}

MoonTable ComputeMoonTable(const Settings& settings, const TheoryTable& theory, QDate day, int days,
                           VoidRule rule, const ZoneSecondsAt& zone) {
  MoonTable table{day, days, rule, zone, {}};
  const QDateTime midnight(day, QTime(0, 0), Qt::UTC);
  const QDateTime start = midnight.addSecs(-zone(midnight));
  table.stays = MoonStays(settings, theory, start, days, rule);
  return table;
}

QString LocalIsoTime(const QDateTime& utc, const ZoneSecondsAt& zone) {
  const int seconds = zone(utc);
  return utc.addSecs(seconds).toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) +
         ZoneOffsetText(seconds);
}

QByteArray MoonText(const MoonTable& table) {
  const QDateTime midnight(table.day, QTime(0, 0), Qt::UTC);
  QString out = QStringLiteral(
                    "The Moon from %1 for %2 day%3, void of course by the %4; local "
                    "times, zone %5\n")
                    .arg(table.day.toString(Qt::ISODate))
                    .arg(table.days)
                    .arg(table.days == 1 ? QString() : QStringLiteral("s"))
                    .arg(VoidRuleName(table.rule))
                    .arg(ZoneOffsetText(table.zone(midnight)));
  for (const MoonStay& stay : table.stays) {
    QString line = QStringLiteral("%1  enters %2")
                       .arg(localMinute(stay.ingress, table.zone))
                       .arg(signName(stay.sign), -11);
    if (stay.voidWindow) {
      const VoidWindow& w = *stay.voidWindow;
      line += QStringLiteral("  void %1 - %2")
                  .arg(localMinute(w.start, table.zone), localMinute(w.end, table.zone));
      if (w.lastAspect) {
        line += QStringLiteral(" after %1").arg(MoonAspectText(*w.lastAspect));
      } else if (table.rule != VoidRule::Degree) {
        line += QStringLiteral(" (no aspect in %1)").arg(signName(stay.sign));
      }
    } else {
      line += QStringLiteral("  not void");
    }
    out += line.trimmed() + QLatin1Char('\n');
  }
  return out.toUtf8();
}

QJsonArray MoonJson(const MoonTable& table) {
  QJsonArray stays;
  for (const MoonStay& stay : table.stays) {
    QJsonObject o;
    o.insert(QStringLiteral("sign"), signName(stay.sign));
    o.insert(QStringLiteral("ingress"), LocalIsoTime(stay.ingress, table.zone));
    const std::optional<VoidWindow>& w = stay.voidWindow;
    o.insert(QStringLiteral("voidStart"),
             w ? QJsonValue(LocalIsoTime(w->start, table.zone)) : QJsonValue());
    o.insert(QStringLiteral("voidEnd"),
             w ? QJsonValue(LocalIsoTime(w->end, table.zone)) : QJsonValue());
    if (w && w->lastAspect) {
      const MoonAspect& a = *w->lastAspect;
      o.insert(
          QStringLiteral("lastAspect"),
          QJsonObject{
              {QStringLiteral("aspect"),
               QString::fromLatin1(kAspectKinds[static_cast<std::size_t>(a.kind)].name).toLower()},
              {QStringLiteral("body"),
               QString::fromLatin1(kPoints[static_cast<std::size_t>(a.body)].key)},
              {QStringLiteral("exact"), LocalIsoTime(a.exact, table.zone)}});
    } else {
      o.insert(QStringLiteral("lastAspect"), QJsonValue());
    }
    stays.append(o);
  }
  return stays;
}

QByteArray MoonICalendar(const MoonTable& table, const Settings& settings, const QDateTime& stamp) {
  QByteArray out;
  const auto put = [&out](const QString& line) { out += FoldICalendarLine(line.toUtf8()); };
  put(QStringLiteral("BEGIN:VCALENDAR"));
  put(QStringLiteral("VERSION:2.0"));
  put(QStringLiteral("PRODID:-//Heliodial//Heliodial 3.2 Moon timetable//EN"));
  put(QStringLiteral("CALSCALE:GREGORIAN"));
  put(QStringLiteral("METHOD:PUBLISH"));
  const QString place = PlaceIdText(settings);
  for (const MoonStay& stay : table.stays) {
    if (!stay.voidWindow) continue;
    const VoidWindow& w = *stay.voidWindow;
    const QString next = signName((stay.sign + 1) % kSignCount);
    QString description =
        QStringLiteral("Void of course by the %1 from %2 to %3 (local time, zone %4)")
            .arg(VoidRuleName(w.rule), localMinute(w.start, table.zone),
                 localMinute(w.end, table.zone), ZoneOffsetText(table.zone(w.start)));
    if (w.lastAspect) description += QStringLiteral(", after ") + MoonAspectText(*w.lastAspect);
    description += QStringLiteral("; the Moon enters %1 at %2.")
                       .arg(next, localMinute(stay.nextIngress, table.zone));
    put(QStringLiteral("BEGIN:VEVENT"));
    put(QStringLiteral("UID:") + ICalendarUtc(w.start) + QStringLiteral("-moon-void-") +
        QString::number(static_cast<int>(w.rule)) + QLatin1Char('-') + place +
        QStringLiteral("@heliodial"));
    put(QStringLiteral("DTSTAMP:") + ICalendarUtc(stamp));
    put(QStringLiteral("DTSTART:") + ICalendarUtc(w.start));
    put(QStringLiteral("DTEND:") + ICalendarUtc(w.end));
    put(QStringLiteral("SUMMARY:") +
        ICalendarText(QStringLiteral("Moon void of course in %1").arg(signName(stay.sign))));
    put(QStringLiteral("DESCRIPTION:") + ICalendarText(description));
    put(QStringLiteral("TRANSP:TRANSPARENT"));
    put(QStringLiteral("END:VEVENT"));
  }
  put(QStringLiteral("END:VCALENDAR"));
  return out;
}

MoonStatus MoonStatusOf(const MoonNow& moon, const QDateTime& utc, VoidRule rule, int zoneSeconds) {
  const QDate today = utc.toOffsetFromUtc(zoneSeconds).date();
  const auto at = [&](const QDateTime& when) {
    const QDateTime local = when.toOffsetFromUtc(zoneSeconds);
    // A weekday in English whatever the desktop's language, as every other text of the clock.
    const QString time = local.toString(QStringLiteral("HH:mm"));
    if (local.date() == today) return time;
    return QLocale::c().toString(local.date(), QStringLiteral("ddd ")) + time;
  };
  MoonStatus status;
  const double longitude = std::fmod(std::fmod(moon.longitude, 360.0) + 360.0, 360.0);
  const int sign = std::min(static_cast<int>(longitude / 30.0), 11);
  // Whole minutes of arc, truncated as the positions window shows them.
  const int minutes = static_cast<int>((longitude - 30.0 * sign) * 60.0);
  status.position = QStringLiteral("Moon %1\u00B0%2' %3, %4 %5%")
                        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
                        .arg(signName(sign), MoonPhaseText(moon.phase.name))
                        .arg(std::lround(moon.phase.illuminated * 100.0));

  const MoonIngress& ingress = moon.nextIngress;
  const QString enters =
      QStringLiteral("enters %1 %2").arg(signName(ingress.sign), at(ingress.time));
  QString line;
  if (!moon.voidWindow) {
    line = enters.at(0).toUpper() + enters.mid(1);
  } else if (const VoidWindow& w = *moon.voidWindow; w.contains(utc)) {
    line = QStringLiteral("Void since %1").arg(at(w.start));
    if (rule == VoidRule::Degree) {
      line += QStringLiteral(" until %1, ").arg(at(w.end)) + enters;
    } else {
      line += w.lastAspect ? QStringLiteral(" (%1), ").arg(MoonAspectText(*w.lastAspect))
                           : QStringLiteral(" (no aspect in this sign), ");
      line += enters;
    }
  } else {
    line = QStringLiteral("Next void %1 - %2").arg(at(w.start), at(w.end));
    line += rule == VoidRule::Degree ? QStringLiteral(", ") + enters
                                     : QStringLiteral(" (enters %1)").arg(signName(ingress.sign));
  }
  status.voidLine = line + QStringLiteral(" (%1)").arg(VoidRuleShortName(rule));
  return status;
}
