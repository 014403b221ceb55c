// SPDX-License-Identifier: GPL-3.0-or-later
// A day scan written out for other programs: the report lines as plain text, CSV for spreadsheets
// and iCalendar for calendars. The report window and heliodial-chart share these.
#ifndef HELIODIAL_SCANEXPORT_H
#define HELIODIAL_SCANEXPORT_H

#include <QByteArray>
#include <QDateTime>

#include "chart/DayScan.h"

// The file types a scan is written as without a printer.
enum class ScanFileFormat { Text, Csv, ICalendar };

// The scan in one of them; stamp is the iCalendar DTSTAMP.
QByteArray ScanFile(const DayScan& scan, ScanFileFormat format, const QDateTime& stamp);

// The report lines, each ended by a line feed, in UTF-8.
QByteArray ScanText(const DayScan& scan);

// CSV (RFC 4180: CRLF line ends, fields quoted where needed): a header row, then one row per
// reported aspect-minute: date (YYYY-MM-DD), time (HH:MM), from, aspect, to (words), orb text.
QByteArray ScanCsv(const DayScan& scan);

// iCalendar (RFC 5545: CRLF line ends, lines folded at 75 octets): one event per run of an aspect
// within the orb, from its first to the end of its last minute, in UTC from the settings' zone;
// the description names the minute it came closest. stamp is the DTSTAMP of every event.
QByteArray ScanICalendar(const DayScan& scan, const QDateTime& stamp);

// One content line folded as iCalendar wants it: at most 75 octets a line, never inside a UTF-8
// character, continuation lines starting with a blank; CRLF after each.
QByteArray FoldICalendarLine(const QByteArray& line);

// Helpers for every iCalendar file the clock writes (the day scan, the Moon's timetable):
// a TEXT value with backslashes, semicolons, commas and line breaks escaped; a moment as a UTC
// date-time ("20261209T211500Z"); a zone offset as "+01:00"; the place in whole minutes of arc
// ("51n28-0w00"), so that event identifiers differ from place to place.
QString ICalendarText(QString text);
QString ICalendarUtc(const QDateTime& time);
QString ZoneOffsetText(int zoneSeconds);
QString PlaceIdText(const Settings& settings);

// A CSV field, quoted when it holds a comma, a quote or a line break.
QByteArray CsvField(const QString& text);

#endif
