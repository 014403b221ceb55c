#include "cli/ChartReport.h"

#include <QJsonArray>

#include "chart/Aspects.h"
#include "chart/DisplayText.h"

namespace {

const char* const kPointNames[15] = {"",      "Sun",     "Moon",   "Mercury",   "Venus",
                                     "Mars",  "Jupiter", "Saturn", "Uranus",    "Neptune",
                                     "Pluto", "Node",    "Chiron", "Ascendant", "Midheaven"};

QJsonArray aspectArray(const std::vector<FoundAspect>& found) {
  QJsonArray out;
  for (const FoundAspect& a : found) {
    out.append(QJsonObject{{"from", pointName(a.from)},
                           {"aspect", AspectWord(static_cast<unsigned char>(a.aspect)).trimmed()},
                           {"to", pointName(a.to)},
                           {"orb", a.orbText}});
  }
  return out;
}

}  // namespace

void CollectingPublisher::addAspectLine(AspectList list, const QString& line) {
  (list == AspectList::TransitToTransit ? transitLines : natalLines).append(line);
}

void CollectingPublisher::aspectFound(AspectList list, int from, char aspect, int to,
                                      const QString& orb) {
  (list == AspectList::TransitToTransit ? transitAspects : natalAspects)
      .push_back({from, aspect, to, orb});
}

QString pointName(int point) {
  return point >= 1 && point <= 14 ? QString::fromLatin1(kPointNames[point]) : QString();
}

QString textReport(const ClockState& s, const QDateTime& local,
                   const CollectingPublisher& aspects) {
  QString out;
  out += QStringLiteral("Heliodial chart for %1 (UT %2, zone %3)\n\n")
             .arg(local.toString(QStringLiteral("yyyy-MM-dd hh:mm")))
             .arg(s.UT, 0, 'f', 4)
             .arg(s.ZoneOffset, 0, 'f', 2);
  for (int i = 1; i <= 14; ++i) {
    QString row = QStringLiteral("%1 %2  %3")
                      .arg(glyphSymbol(pointGlyphCode(i)), -3)
                      .arg(pointName(i), -10)
                      .arg(libraryText(s.PlanetSign[i]), -10);
    if (i <= 12) row += QStringLiteral("  %1  %2").arg(i, 2).arg(libraryText(s.CuspSign[i]));
    out += row.trimmed() + QLatin1Char('\n');
  }
  out += s.VOCActive ? QStringLiteral("\nThe Moon is void of course.\n") : QString();
  out += QStringLiteral("\nTransits to transits:\n");
  for (const QString& line : aspects.transitLines) out += QStringLiteral("  ") + line + '\n';
  if (aspects.transitLines.isEmpty()) out += QStringLiteral("  (none)\n");
  out += QStringLiteral("\nTransits to natal:\n");
  for (const QString& line : aspects.natalLines) out += QStringLiteral("  ") + line + '\n';
  if (aspects.natalLines.isEmpty()) out += QStringLiteral("  (none)\n");
  return out;
}

QJsonObject jsonReport(const ClockState& s, const QDateTime& local,
                       const CollectingPublisher& aspects) {
  QJsonArray points;
  for (int i = 1; i <= 14; ++i) {
    points.append(QJsonObject{{"index", i},
                              {"name", pointName(i)},
                              {"glyph", glyphSymbol(pointGlyphCode(i))},
                              {"longitude", s.TruePos[i]},
                              {"speed", s.Speed[i]},
                              {"text", libraryText(s.PlanetSign[i])}});
  }
  QJsonArray cusps;
  for (int i = 1; i <= 12; ++i) cusps.append(s.CuspPos[i]);
  return QJsonObject{
      {"local", local.toString(Qt::ISODate)},
      {"ut", s.UT},
      {"jd", s.JD},
      {"lst", s.LST},
      {"zodiacOffset", s.ZodiacOffset},
      {"place", QJsonObject{{"latitude", s.LatDeg + s.LatMin / 60.0},
                            {"longitude", s.LongDeg + s.LongMin / 60.0},
                            {"zoneOffset", s.ZoneOffset}}},
      {"houseCode", s.HouseCode},
      {"points", points},
      {"cusps", cusps},
      {"mc", s.TruePos[14]},
      {"voc", s.VOCActive},
      {"pairString",
       QString::fromLatin1(s.PairString.data(), static_cast<qsizetype>(s.PairString.size()))},
      {"transitAspects", aspectArray(aspects.transitAspects)},
      {"natalAspects", aspectArray(aspects.natalAspects)},
  };
}
