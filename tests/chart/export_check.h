// SPDX-License-Identifier: GPL-3.0-or-later
// Readers that check exported files by their standards, independently of the code that writes
// them: CSV as RFC 4180 has it, iCalendar as RFC 5545 structures it.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

// CSV records (RFC 4180): CRLF between records, quoted fields may hold commas, CRLF and doubled
// quotes. Sets problem on anything the RFC does not allow.
inline std::vector<QStringList> ParseCsv(const QByteArray& data, std::string* problem) {
  std::vector<QStringList> records;
  QStringList record;
  QByteArray field;
  bool quoted = false, wasQuoted = false;
  qsizetype i = 0;
  const auto endField = [&] {
    record << QString::fromUtf8(field);
    field.clear();
    wasQuoted = false;
  };
  while (i < data.size()) {
    const char c = data[i];
    if (quoted) {
      if (c == '"' && i + 1 < data.size() && data[i + 1] == '"') {
        field += '"';
        i += 2;
      } else if (c == '"') {
        quoted = false;
        ++i;
      } else {
        field += c;
        ++i;
      }
    } else if (c == '"') {
      if (!field.isEmpty() || wasQuoted) *problem = "quote inside an unquoted field";
      quoted = wasQuoted = true;
      ++i;
    } else if (c == ',') {
      endField();
      ++i;
    } else if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
      endField();
      records.push_back(record);
      record.clear();
      i += 2;
    } else if (c == '\n' || c == '\r') {
      *problem = "a bare line feed or carriage return ends a record";
      ++i;
    } else {
      if (wasQuoted) *problem = "text after a closing quote";
      field += c;
      ++i;
    }
  }
  if (quoted) *problem = "unterminated quoted field";
  if (!field.isEmpty() || !record.isEmpty()) *problem = "the last record has no CRLF";
  return records;
}

// One component of an iCalendar stream: its properties by name (values unescaped only of
// folding), and how often each name occurred.
struct ICalComponent {
  std::string name;
  std::map<std::string, std::string> values;
  std::map<std::string, int> counts;
};

// The components of a VCALENDAR after checking the stream's structure: CRLF line ends only, no
// physical line over 75 octets, folds only between UTF-8 characters, BEGIN and END matched, the
// calendar's VERSION and PRODID present. Sets problem to the first thing found wrong.
inline std::vector<ICalComponent> ParseICalendar(const QByteArray& data, std::string* problem) {
  std::vector<ICalComponent> components;
  const auto fail = [problem](const std::string& what) {
    if (problem->empty()) *problem = what;
  };
  if (!data.endsWith("\r\n")) fail("the stream does not end with CRLF");
  // Unfold: a CRLF followed by a blank joins the lines.
  std::vector<QByteArray> lines;
  qsizetype start = 0;
  while (start < data.size()) {
    const qsizetype end = data.indexOf("\r\n", start);
    if (end < 0) {
      fail("text after the last CRLF");
      break;
    }
    const QByteArray physical = data.mid(start, end - start);
    if (physical.contains('\n') || physical.contains('\r')) fail("a bare line break");
    if (physical.size() > 75) fail("a line of " + std::to_string(physical.size()) + " octets");
    if (QString::fromUtf8(physical).contains(QChar::ReplacementCharacter)) {
      fail("a fold inside a UTF-8 character: " + physical.toStdString());
    }
    if (physical.startsWith(' ') || physical.startsWith('\t')) {
      if (lines.empty()) {
        fail("a continuation line first");
      } else {
        lines.back() += physical.mid(1);
      }
    } else {
      lines.push_back(physical);
    }
    start = end + 2;
  }
  std::vector<ICalComponent> open;
  for (const QByteArray& line : lines) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) {
      fail("a content line without a name: " + line.toStdString());
      continue;
    }
    const std::string name =
        line.left(line.indexOf(';') > 0 && line.indexOf(';') < colon ? line.indexOf(';') : colon)
            .toStdString();
    const std::string value = line.mid(colon + 1).toStdString();
    if (name == "BEGIN") {
      if (open.empty() && value != "VCALENDAR") fail("the stream must begin with VCALENDAR");
      open.push_back({value, {}, {}});
    } else if (name == "END") {
      if (open.empty() || open.back().name != value) {
        fail("END:" + value + " without its BEGIN");
        continue;
      }
      components.push_back(open.back());
      open.pop_back();
    } else if (open.empty()) {
      fail("a property outside any component");
    } else {
      open.back().values[name] = value;
      ++open.back().counts[name];
    }
  }
  if (!open.empty()) fail("BEGIN:" + open.back().name + " without its END");
  bool calendar = false;
  for (const ICalComponent& c : components) {
    if (c.name != "VCALENDAR") continue;
    calendar = true;
    if (c.counts.count("VERSION") == 0 || c.values.at("VERSION") != "2.0") fail("no VERSION:2.0");
    if (c.counts.count("PRODID") == 0) fail("no PRODID");
  }
  if (!calendar) fail("no VCALENDAR");
  return components;
}

// A UTC DATE-TIME value, YYYYMMDDTHHMMSSZ; invalid when it is not one.
inline QDateTime ICalUtc(const std::string& value) {
  if (value.size() != 16 || value.back() != 'Z') return {};
  QDateTime t =
      QDateTime::fromString(QString::fromStdString(value), QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
  t.setTimeSpec(Qt::UTC);
  return t;
}

// The event checks every caller makes: the required properties once each, a start before the end.
inline std::string CheckEvent(const ICalComponent& event) {
  for (const char* name : {"UID", "DTSTAMP", "DTSTART", "DTEND", "SUMMARY"}) {
    const auto n = event.counts.find(name);
    if (n == event.counts.end() || n->second != 1) return std::string("no single ") + name;
  }
  const QDateTime start = ICalUtc(event.values.at("DTSTART"));
  const QDateTime end = ICalUtc(event.values.at("DTEND"));
  if (!start.isValid() || !end.isValid()) return "DTSTART or DTEND is not a UTC date-time";
  if (!(start < end)) return "DTEND is not after DTSTART";
  if (!ICalUtc(event.values.at("DTSTAMP")).isValid()) return "DTSTAMP is not a UTC date-time";
  return {};
}
