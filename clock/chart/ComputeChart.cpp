#include "chart/ComputeChart.h"

#include <QString>
#include <cmath>

#include "chart/DisplayText.h"
#include "chart/LibraryImports.h"
#include "ephemlib_houses.h"
#include "model/Angles.h"

namespace {

std::string shortString(const unsigned char* text) {
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

// Clears the busy flag however the computation ends.
class BusyGuard {
 public:
  explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyGuard() { flag_ = false; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  bool& flag_;
};

void publishList(AspectList list, const AspectPass& pass, bool logMode, bool textMode,
                 const QDateTime& now, ChartPublisher& publisher) {
  if (!logMode) publisher.clearAspects(list);
  if (pass.anyPairUsed) publisher.setAspectFont(list, textMode);
  if (logMode) {
    if (!pass.found.empty())
      publisher.addAspectLine(list, AspectLogLine(pass.found, textMode, now));
    return;
  }
  for (const FoundAspect& aspect : pass.found) {
    publisher.addAspectLine(list, AspectLine(aspect, textMode));
  }
}

}  // namespace

QDateTime systemLocalTime() { return QDateTime::currentDateTime(); }

TheoryTable InitialTheoryTable() {
  TheoryTable table{};
  libraryImports().InitialisePlanets(table.data(), EPHEM_THEORY_TABLE_HIGH);
  return table;
}

UniversalTime toUniversalTime(QTime localTime, QDate localDate, double zoneOffsetHours) {
  double ut = localTime.msecsSinceStartOfDay() / 3600000.0 - zoneOffsetHours;
  QDate date = localDate;
  if (ut < 0) {
    ut += 24;
    date = date.addDays(-1);
  }
  if (ut >= 24) {
    ut -= 24;
    date = date.addDays(1);
  }
  return {ut, date};
}

bool CalcHouses(HouseSystem houseCode, double lst, double latitude, double obliquity,
                double zodiacOffset, std::array<double, 15>& cuspPos) {
  return ephem::HouseCusps(libraryImports(), houseCode, cuspPos.data(),
                           static_cast<int32_t>(cuspPos.size()) - 1, lst, latitude, obliquity,
                           zodiacOffset);
}

double Mod30(double x) { return x - 30 * std::trunc(x * (1.0 / 30)); }
double Mod45(double x) { return x - 45 * std::trunc(x * (1.0 / 45)); }

bool VoidOfCourse(const std::array<double, 15>& pos, bool do30, bool do45) {
  bool active = false;
  const auto test = [&pos](double (*mod)(double)) {
    const double moon = mod(pos[2]);
    for (int i = 1; i <= 10; ++i) {
      if (mod(pos[i]) > moon) return false;
    }
    return true;
  };
  if (do30) active = test(&Mod30);
  if (do45) active = test(&Mod45);
  return active;
}

int TrayIconNumber(double ascendant, bool vocActive, bool vocIcon) {
  if (vocActive && vocIcon) return 13;
  return static_cast<int>(std::trunc(FoldLongitude(ascendant) / 30)) + 1;
}

Chart ComputeChart(const Settings& s, const TheoryTable& theory, QDate localDate, QTime localTime) {
  const LibraryImports& lib = libraryImports();
  Chart chart;
  chart.Date = localDate;
  chart.Time = localTime;

  double zodiacOffset = s.SiderealZodiac == 1 ? 1.0 : 0.0;  // non-zero asks for the correction
  const UniversalTime ut = toUniversalTime(localTime, localDate, s.ZoneOffset);
  const int32_t jd = lib.JulDay(ut.date.month(), ut.date.day(), ut.date.year());
  const double latitude = s.LatDeg + s.LatMin / 60.0;
  const double longitude = s.LongDeg + s.LongMin / 60.0;

  double lst = 0, t = 0, obliquity = 0;
  unsigned char siderealText[11];
  lib.SidTime(jd, &zodiacOffset, &lst, ut.hours, &t, &obliquity, longitude, siderealText);

  std::array<double, 15>& cusps = chart.CuspPos;
  try {
    chart.HasCusps = CalcHouses(s.HouseCode, lst, latitude, obliquity, zodiacOffset, cusps);
  } catch (const EphemArithmeticError& e) {
    const std::string system = ephem::HouseSystemName(s.HouseCode);
    const std::string where = QString::number(latitude, 'f', 2).toStdString();
    throw ChartError(std::string(e.what()) + "\nThe " + system +
                         " houses cannot be drawn at latitude " + where +
                         ". Choose Equal houses in the settings to see the chart here.",
                     "houses " + system + " at " + where);
  }

  std::array<double, 15>& pos = chart.TruePos;
  std::array<double, 15> declination{};
  std::array<double, 15> work{};
  std::array<uint8_t, 13> termCounts{};
  lib.PlanetCalc(1, kBodyCount, s.HelioMode, zodiacOffset, work.data(), 14, t, termCounts.data(),
                 12, 1, pos.data(), 14, declination.data(), 14, chart.Speed.data(), 14,
                 theory.data(), EPHEM_THEORY_TABLE_HIGH, 0);

  // The library may hand back a sidereal Node below 0 or a Sun of exactly 360; everything
  // downstream (texts, aspects, the void test, the wheel) expects [0, 360).
  for (int i = 1; i <= kBodyCount; ++i) pos[i] = FoldLongitude(pos[i]);
  for (int i = 0; i <= 12; ++i) cusps[i] = FoldLongitude(cusps[i]);

  chart.JD = jd;
  chart.UT = ut.hours;
  chart.LST = lst;
  chart.T = t;
  chart.Obliquity = obliquity;
  chart.ZodiacOffset = zodiacOffset;

  pos[kAscendant] = cusps[1];
  pos[kMidheaven] = s.HouseCode == HouseSystem::Equal ? cusps[0] : cusps[10];
  chart.Speed[kAscendant] = chart.Speed[kMidheaven] = 1.0;

  unsigned char text[11];
  for (int i = 1; i <= kPointCount; ++i) {
    lib.MakeSign(pos[i], chart.Speed[i], text);
    chart.PlanetSign[i] = shortString(text);
  }
  for (int i = 1; i <= 12; ++i) {
    lib.MakeSign(cusps[i], 1.0, text);
    chart.CuspSign[i] = shortString(text);
  }
  chart.VOCActive = VoidOfCourse(pos, s.Do30, s.Do45);
  return chart;
}

PositionRows PositionTable(const Chart& chart) {
  PositionRows rows;
  for (int i = 1; i <= 12; ++i) {
    rows[i] = {glyphSymbol(pointGlyphCode(i)), libraryText(chart.PlanetSign[i]), QString::number(i),
               libraryText(chart.CuspSign[i])};
  }
  return rows;
}

void PublishChart(const Settings& s, Chart& chart, bool previousVoid, const QDateTime& now,
                  ChartPublisher& publisher) {
  publisher.showTrayIcon(TrayIconNumber(chart.CuspPos[1], previousVoid, s.VOCIcon));
  publisher.showPositions(PositionTable(chart));
  AspectPass transits = FindTransitAspects(s, chart.TruePos, chart.HasCusps);
  chart.PairString = std::move(transits.pairString);
  publishList(AspectList::TransitToTransit, transits, s.LogTT, s.TextMode, now, publisher);
  if (NatalChartSet(s)) {
    publishList(AspectList::TransitToNatal, FindNatalAspects(s, chart.TruePos, chart.HasCusps),
                s.LogTN, s.TextMode, now, publisher);
  } else if (!s.LogTN) {
    // All fourteen natal positions at 0 would list phantom aspects to 0 Aries every minute.
    publisher.clearAspects(AspectList::TransitToNatal);
    publisher.setAspectFont(AspectList::TransitToNatal, true);
    publisher.addAspectLine(AspectList::TransitToNatal, QString::fromLatin1(kNoNatalChart));
  }
}

ChartComputer::ChartComputer(ClockState& state, ChartPublisher* publisher, TimeSource now)
    : state_(state), publisher_(publisher ? publisher : &silent_), now_(std::move(now)) {}

bool ChartComputer::ComputeChart(bool Live, QTime TimeValue, QDate DateValue) {
  if (busy_) return false;
  BusyGuard guard(busy_);
  QDateTime now;
  if (Live) {
    now = now_();
    TimeValue = now.time();
    DateValue = now.date();
  }
  Chart chart = ::ComputeChart(state_.settings, state_.theory, DateValue, TimeValue);
  if (Live) PublishChart(state_.settings, chart, state_.chart.VOCActive, now, *publisher_);
  state_.chart = std::move(chart);
  return true;
}
