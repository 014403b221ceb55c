// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ChartReport.h"

#include <QDateTime>
#include <QJsonArray>
#include <algorithm>
#include <cstdlib>

#include "chart/DisplayText.h"

namespace {

QString pointName(int point) { return QString::fromLatin1(kPoints[point].key); }

// A position text, or "-" for an angle or cusp of a chart without house cusps.
QString positionText(const Chart& chart, const std::string& text) {
  return chart.HasCusps ? libraryText(text) : QStringLiteral("-");
}

QJsonArray aspectArray(const std::vector<FoundAspect>& found) {
  QJsonArray out;
  for (const FoundAspect& a : found) {
    out.append(QJsonObject{{"from", pointName(a.from)},
                           {"aspect", AspectWord(static_cast<unsigned char>(a.code)).trimmed()},
                           {"to", pointName(a.to)},
                           {"orb", libraryText(a.orbText)}});
  }
  return out;
}

// The aspects in words, their orbs in one column.
void appendList(QString& out, const std::vector<FoundAspect>& found) {
  qsizetype width = 0;
  for (const FoundAspect& a : found) width = std::max(width, AspectKey(a, true).size());
  for (const FoundAspect& a : found) {
    out += QStringLiteral("  ") + AspectKey(a, true).leftJustified(width) + QStringLiteral("   ") +
           libraryText(a.orbText) + QLatin1Char('\n');
  }
  if (found.empty()) out += QStringLiteral("  (none)\n");
}

QString degreesAndMinutes(std::int32_t degrees, std::int32_t minutes) {
  return QStringLiteral("%1\u00B0%2'")
      .arg(std::abs(degrees))
      .arg(std::abs(minutes), 2, 10, QLatin1Char('0'));
}

QString zoneText(double hours) {
  const int minutes = static_cast<int>(std::lround(std::fabs(hours) * 60));
  return QStringLiteral("UT%1%2:%3")
      .arg(hours < 0 ? QLatin1Char('-') : QLatin1Char('+'))
      .arg(minutes / 60)
      .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// The instant of the chart: its local moment less the offset it was computed with.
QDateTime chartInstant(const Chart& c, const Settings& s) {
  return QDateTime(c.Date, c.Time, Qt::UTC).addSecs(-std::lround(s.ZoneOffset * 3600));
}

// The offset, then the zone it comes from where it has a name: "UT+01:00 Europe/London, daylight
// saving time"; a zone without rules says only whether Summer added its hour.
QString zoneInUseText(const Chart& c, const Settings& s) {
  QString text = zoneText(s.ZoneOffset);
  const QString name = ZoneInUseName(s);
  if (name.isEmpty()) return text;
  text += QLatin1Char(' ') + name;
  if (s.ZoneRules) {
    text += DaylightAt(s, chartInstant(c, s)) ? QStringLiteral(", daylight saving time")
                                              : QStringLiteral(", standard time");
  } else if (s.Summer) {
    text += QStringLiteral(", an hour added for summer");
  }
  return text;
}

}  // namespace

QString PlaceText(const Settings& s) {
  const bool south = s.LatDeg < 0 || s.LatMin < 0;
  const bool east = s.LongDeg < 0 || s.LongMin < 0;
  return degreesAndMinutes(s.LatDeg, s.LatMin) +
         (south ? QStringLiteral(" south, ") : QStringLiteral(" north, ")) +
         degreesAndMinutes(s.LongDeg, s.LongMin) +
         (east ? QStringLiteral(" east") : QStringLiteral(" west"));
}

QString textReport(const ChartWithAspects& r) {
  const Chart& c = r.chart;
  QString out;
  out += QStringLiteral("Heliodial chart for %1 %2 (UT %3, zone %4)\n")
             .arg(c.Date.toString(QStringLiteral("yyyy-MM-dd")),
                  c.Time.toString(QStringLiteral("hh:mm")))
             .arg(c.UT, 0, 'f', 4)
             .arg(r.settings.ZoneOffset, 0, 'f', 2);
  out +=
      QStringLiteral("Place %1, zone %2").arg(PlaceText(r.settings), zoneInUseText(c, r.settings));
  if (r.place.fromFile) {
    out += QStringLiteral(" (settings: %1)\n\n").arg(r.place.filePath);
  } else {
    out += QStringLiteral(
               " (no settings file yet: set your place and zone in the clock's Settings..., or "
               "in %1)\n\n")
               .arg(r.place.filePath);
  }
  for (int i = 1; i <= kPointCount; ++i) {
    const bool angle = i == kAscendant || i == kMidheaven;
    const QString position =
        angle ? positionText(c, c.PlanetSign[i]) : libraryText(c.PlanetSign[i]);
    QString row = QStringLiteral("%1 %2  %3")
                      .arg(glyphSymbol(pointGlyphCode(i)), -3)
                      .arg(pointName(i), -10)
                      .arg(position, -10);
    if (i <= 12) row += QStringLiteral("  %1  %2").arg(i, 2).arg(positionText(c, c.CuspSign[i]));
    out += row.trimmed() + QLatin1Char('\n');
  }
  out += c.VOCActive ? QStringLiteral("\nThe Moon is void of course.\n") : QString();
  out += QStringLiteral("\nTransits to transits:\n");
  appendList(out, r.transits.found);
  out += QStringLiteral("\nTransits to natal:\n");
  if (NatalChartSet(r.settings)) {
    appendList(out, r.natal.found);
  } else {
    out += QStringLiteral(
        "  (no natal chart is set: enter one on the Natal page of the clock's "
        "Settings...)\n");
  }
  return out;
}

QJsonObject jsonReport(const ChartWithAspects& r) {
  const Chart& c = r.chart;
  const Settings& s = r.settings;
  QJsonArray points;
  for (int i = 1; i <= kPointCount; ++i) {
    const bool absent =
        ((i == kAscendant || i == kMidheaven) && !c.HasCusps) || (i == 12 && c.ChironMissing);
    points.append(
        QJsonObject{{"index", i},
                    {"name", pointName(i)},
                    {"glyph", glyphSymbol(pointGlyphCode(i))},
                    {"longitude", absent ? QJsonValue() : QJsonValue(c.TruePos[i])},
                    {"speed", c.Speed[i]},
                    {"text", absent ? QStringLiteral("-") : libraryText(c.PlanetSign[i])}});
  }
  QJsonArray cusps;
  if (c.HasCusps) {
    for (int i = 1; i <= 12; ++i) cusps.append(c.CuspPos[i]);
  }
  const bool natalSet = NatalChartSet(s);
  return QJsonObject{
      {"local", c.Date.toString(Qt::ISODate) + QLatin1Char('T') +
                    c.Time.toString(QStringLiteral("HH:mm:ss"))},
      {"ut", c.UT},
      {"ephemeris", s.Ephemeris == 1 ? QStringLiteral("precise") : QStringLiteral("theory")},
      {"jd", c.JD},
      {"lst", c.LST},
      {"zodiacOffset", c.ZodiacOffset},
      {"place",
       QJsonObject{{"latitude", s.LatDeg + s.LatMin / 60.0},
                   {"longitude", s.LongDeg + s.LongMin / 60.0},
                   {"zoneOffset", s.ZoneOffset},
                   {"zoneName", s.Zone.isValid() ? QJsonValue(ZoneInUseName(s)) : QJsonValue()},
                   {"daylightSaving", DaylightAt(s, chartInstant(c, s))},
                   {"fromSettingsFile", r.place.fromFile}}},
      {"houseCode", static_cast<int>(s.HouseCode)},
      {"points", points},
      {"cusps", cusps},
      {"mc", c.HasCusps ? QJsonValue(c.TruePos[kMidheaven]) : QJsonValue()},
      {"voc", c.VOCActive},
      {"pairString",
       QString::fromLatin1(c.PairString.data(), static_cast<qsizetype>(c.PairString.size()))},
      {"transitAspects", aspectArray(r.transits.found)},
      {"natalSet", natalSet},
      {"natalAspects", natalSet ? aspectArray(r.natal.found) : QJsonArray()},
  };
}
