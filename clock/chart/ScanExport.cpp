// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ScanExport.h"

#include <QStringList>
#include <cmath>
#include <cstdlib>

#include "chart/DisplayText.h"
#include "chart/MoonExport.h"
#include "chart/MoonTimetable.h"

namespace {

constexpr int kFoldOctets = 75;

QString word(unsigned char code) { return AspectWord(code).trimmed(); }

QString minuteText(int minute) {
  return QTime(0, 0).addSecs(60 * minute).toString(QStringLiteral("HH:mm"));
}

}  // namespace

// A TEXT value: backslashes, semicolons, commas and line breaks escaped.
QString ICalendarText(QString text) {
  text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  text.replace(QLatin1Char(';'), QStringLiteral("\\;"));
  text.replace(QLatin1Char(','), QStringLiteral("\\,"));
  text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
  return text;
}

QString ICalendarUtc(const QDateTime& time) {
  return time.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

// "+01:00" for the settings' zone offset in hours.
QString ZoneOffsetText(int zoneSeconds) {
  const int minutes = std::abs(zoneSeconds) / 60;
  return QStringLiteral("%1%2:%3")
      .arg(zoneSeconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
      .arg(minutes / 60, 2, 10, QLatin1Char('0'))
      .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// The place in whole minutes of arc, for event identifiers that differ from place to place.
QString PlaceIdText(const Settings& s) {
  const auto part = [](int degrees, int minutes, char positive, char negative) {
    const int total = degrees * 60 + minutes;
    return QStringLiteral("%1%2%3")
        .arg(std::abs(total) / 60)
        .arg(std::abs(total) % 60, 2, 10, QLatin1Char('0'))
        .arg(QLatin1Char(total < 0 ? negative : positive));
  };
  return part(s.LatDeg, s.LatMin, 'n', 's') + QLatin1Char('-') +
         part(s.LongDeg, s.LongMin, 'w', 'e');
}

QByteArray ScanFile(const DayScan& scan, ScanFileFormat format, const QDateTime& stamp) {
  switch (format) {
    case ScanFileFormat::Csv:
      return ScanCsv(scan);
    case ScanFileFormat::ICalendar:
      return ScanICalendar(scan, stamp);
    case ScanFileFormat::Text:
      break;
  }
  return ScanText(scan);
}

QByteArray ScanText(const DayScan& scan) {
  QByteArray out;
  for (const QString& line : scan.reportLines()) {
    out += line.toUtf8();
    out += '\n';
  }
  return out;
}

QByteArray CsvField(const QString& text) {
  QByteArray field = text.toUtf8();
  if (field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r')) {
    field.replace("\"", "\"\"");
    field = '"' + field + '"';
  }
  return field;
}

QByteArray ScanCsv(const DayScan& scan) {
  QByteArray out = "date,time,from,aspect,to,orb\r\n";
  const QString date = scan.day().toString(Qt::ISODate);
  for (const ScanEntry& entry : scan.entries()) {
    const FoundAspect& a = entry.aspect;
    const QString fields[] = {date,
                              minuteText(entry.minute),
                              word(kPoints[a.from].glyph),
                              word(static_cast<unsigned char>(a.code)),
                              word(kPoints[a.to].glyph),
                              libraryText(a.orbText)};
    for (const QString& field : fields) {
      if (&field != fields) out += ',';
      out += CsvField(field);
    }
    out += "\r\n";
  }
  // The Moon's rows after the aspects': an ingress, and each end of a void window on the day.
  const int zone = scan.zoneSeconds();
  const auto row = [&](const QDateTime& utc, const QString& what, const QString& to,
                       const QString& detail) {
    const QDateTime local = utc.toOffsetFromUtc(zone);
    if (local.date() != scan.day()) return;
    const QString fields[] = {
        date, local.toString(QStringLiteral("HH:mm")), QStringLiteral("Moon"), what, to, detail};
    for (const QString& field : fields) {
      if (&field != fields) out += ',';
      out += CsvField(field);
    }
    out += "\r\n";
  };
  const QString rule = VoidRuleShortName(VoidRuleFromNumber(scan.settings().VOCRule));
  for (const ScanMoonEvent& e : scan.moonEvents()) {
    if (e.ingress) {
      row(e.start, QStringLiteral("enters"),
          QString::fromLatin1(kSignNames[static_cast<std::size_t>(e.sign)]), QString());
    } else {
      row(e.start, QStringLiteral("void begins"), rule,
          e.lastAspect ? MoonAspectText(*e.lastAspect) : QString());
      row(e.end, QStringLiteral("void ends"), rule, QString());
    }
  }
  return out;
}

QByteArray FoldICalendarLine(const QByteArray& line) {
  QByteArray out;
  qsizetype start = 0;
  int room = kFoldOctets;
  while (line.size() - start > room) {
    qsizetype cut = start + room;
    // Never between the bytes of one UTF-8 character.
    while (cut > start + 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    out += line.mid(start, cut - start);
    out += "\r\n ";
    start = cut;
    room = kFoldOctets - 1;  // the leading blank counts
  }
  out += line.mid(start);
  out += "\r\n";
  return out;
}

QByteArray ScanICalendar(const DayScan& scan, const QDateTime& stamp) {
  const Settings& s = scan.settings();
  const int zoneSeconds = static_cast<int>(std::lround(s.ZoneOffset * 3600));
  const QDateTime midnightUtc = QDateTime(scan.day(), QTime(0, 0), Qt::UTC).addSecs(-zoneSeconds);
  const auto utcOfMinute = [&](int minute) {
    return ICalendarUtc(midnightUtc.addSecs(60 * minute));
  };
  const QString orb = ScanOrbText(scan.orb());
  const QString place = PlaceIdText(s);

  QByteArray out;
  const auto put = [&out](const QString& line) { out += FoldICalendarLine(line.toUtf8()); };
  put(QStringLiteral("BEGIN:VCALENDAR"));
  put(QStringLiteral("VERSION:2.0"));
  put(QStringLiteral("PRODID:-//Heliodial//Heliodial 3.2 day scan//EN"));
  put(QStringLiteral("CALSCALE:GREGORIAN"));
  put(QStringLiteral("METHOD:PUBLISH"));
  for (const ScanEvent& e : scan.events()) {
    const QStringList words{word(kPoints[e.from].glyph), word(static_cast<unsigned char>(e.code)),
                            word(kPoints[e.to].glyph)};
    const QString summary = words.join(QLatin1Char(' '));
    const QString description =
        QStringLiteral("%1 within %2 from %3 to %4 (local time, zone %5), closest at %6 (orb %7).")
            .arg(summary, orb, minuteText(e.first), minuteText(e.last), ZoneOffsetText(zoneSeconds),
                 minuteText(e.closest), libraryText(e.closestOrbText));
    put(QStringLiteral("BEGIN:VEVENT"));
    put(QStringLiteral("UID:") + utcOfMinute(e.first) + QLatin1Char('-') +
        words.join(QLatin1Char('-')).toLower() + QLatin1Char('-') + place +
        QStringLiteral("@heliodial"));
    put(QStringLiteral("DTSTAMP:") + ICalendarUtc(stamp));
    put(QStringLiteral("DTSTART:") + utcOfMinute(e.first));
    put(QStringLiteral("DTEND:") + utcOfMinute(e.last + 1));
    put(QStringLiteral("SUMMARY:") + ICalendarText(summary));
    put(QStringLiteral("DESCRIPTION:") + ICalendarText(description));
    put(QStringLiteral("TRANSP:TRANSPARENT"));  // an aspect does not make the user busy
    put(QStringLiteral("END:VEVENT"));
  }
  const QString rule = VoidRuleName(VoidRuleFromNumber(s.VOCRule));
  for (const ScanMoonEvent& e : scan.moonEvents()) {
    const QString sign = QString::fromLatin1(kSignNames[static_cast<std::size_t>(e.sign)]);
    const QString summary =
        e.ingress ? QStringLiteral("Moon enters ") + sign : QStringLiteral("Moon void of course");
    QString description = e.ingress
                              ? summary + QStringLiteral(".")
                              : QStringLiteral("The Moon is void of course by the %1").arg(rule);
    if (!e.ingress) {
      description += e.lastAspect
                         ? QStringLiteral(", after her %1.").arg(MoonAspectText(*e.lastAspect))
                         : QStringLiteral(".");
    }
    put(QStringLiteral("BEGIN:VEVENT"));
    put(QStringLiteral("UID:") + ICalendarUtc(e.start) +
        (e.ingress ? QStringLiteral("-moon-enters-") + sign.toLower()
                   : QStringLiteral("-moon-void")) +
        QLatin1Char('-') + place + QStringLiteral("@heliodial"));
    put(QStringLiteral("DTSTAMP:") + ICalendarUtc(stamp));
    put(QStringLiteral("DTSTART:") + ICalendarUtc(e.start));
    // An ingress is a moment; calendars show it as its minute.
    put(QStringLiteral("DTEND:") + ICalendarUtc(e.ingress ? e.start.addSecs(60) : e.end));
    put(QStringLiteral("SUMMARY:") + ICalendarText(summary));
    put(QStringLiteral("DESCRIPTION:") + ICalendarText(description));
    put(QStringLiteral("TRANSP:TRANSPARENT"));
    put(QStringLiteral("END:VEVENT"));
  }
  put(QStringLiteral("END:VCALENDAR"));
  return out;
}
