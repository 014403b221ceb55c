#include "cli/ChartReport.h"

#include <QJsonArray>

#include "chart/DisplayText.h"

namespace {

QString pointName(int point) { return QString::fromLatin1(kPoints[point].key); }

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

void appendList(QString& out, const std::vector<FoundAspect>& found) {
  for (const FoundAspect& a : found) {
    out += QStringLiteral("  ") + AspectLine(a, true) + QLatin1Char('\n');
  }
  if (found.empty()) out += QStringLiteral("  (none)\n");
}

}  // namespace

QString textReport(const ChartWithAspects& r, const QDateTime& local) {
  const Chart& c = r.chart;
  QString out;
  out += QStringLiteral("Heliodial chart for %1 (UT %2, zone %3)\n\n")
             .arg(local.toString(QStringLiteral("yyyy-MM-dd hh:mm")))
             .arg(c.UT, 0, 'f', 4)
             .arg(r.settings.ZoneOffset, 0, 'f', 2);
  for (int i = 1; i <= kPointCount; ++i) {
    QString row = QStringLiteral("%1 %2  %3")
                      .arg(glyphSymbol(pointGlyphCode(i)), -3)
                      .arg(pointName(i), -10)
                      .arg(libraryText(c.PlanetSign[i]), -10);
    if (i <= 12) row += QStringLiteral("  %1  %2").arg(i, 2).arg(libraryText(c.CuspSign[i]));
    out += row.trimmed() + QLatin1Char('\n');
  }
  out += c.VOCActive ? QStringLiteral("\nThe Moon is void of course.\n") : QString();
  out += QStringLiteral("\nTransits to transits:\n");
  appendList(out, r.transits.found);
  out += QStringLiteral("\nTransits to natal:\n");
  appendList(out, r.natal.found);
  return out;
}

QJsonObject jsonReport(const ChartWithAspects& r, const QDateTime& local) {
  const Chart& c = r.chart;
  const Settings& s = r.settings;
  QJsonArray points;
  for (int i = 1; i <= kPointCount; ++i) {
    points.append(QJsonObject{{"index", i},
                              {"name", pointName(i)},
                              {"glyph", glyphSymbol(pointGlyphCode(i))},
                              {"longitude", c.TruePos[i]},
                              {"speed", c.Speed[i]},
                              {"text", libraryText(c.PlanetSign[i])}});
  }
  QJsonArray cusps;
  for (int i = 1; i <= 12; ++i) cusps.append(c.CuspPos[i]);
  return QJsonObject{
      {"local", local.toString(Qt::ISODate)},
      {"ut", c.UT},
      {"jd", c.JD},
      {"lst", c.LST},
      {"zodiacOffset", c.ZodiacOffset},
      {"place", QJsonObject{{"latitude", s.LatDeg + s.LatMin / 60.0},
                            {"longitude", s.LongDeg + s.LongMin / 60.0},
                            {"zoneOffset", s.ZoneOffset}}},
      {"houseCode", static_cast<int>(s.HouseCode)},
      {"points", points},
      {"cusps", cusps},
      {"mc", c.TruePos[kMidheaven]},
      {"voc", c.VOCActive},
      {"pairString",
       QString::fromLatin1(c.PairString.data(), static_cast<qsizetype>(c.PairString.size()))},
      {"transitAspects", aspectArray(r.transits.found)},
      {"natalAspects", aspectArray(r.natal.found)},
  };
}
