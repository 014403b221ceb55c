#include "chart/ComputeChart.h"

#include <QLocale>
#include <cmath>

#include "chart/Aspects.h"
#include "chart/DisplayText.h"
#include "chart/LibraryImports.h"
#include "ephemlib_houses.h"

namespace {

constexpr int kPairStringLength = 90;
constexpr int kEqualHouses = 9;

double fold360(double x) {
  double r = std::fmod(x, 360.0);
  if (r < 0) r += 360.0;
  return r >= 360.0 ? 0.0 : r;
}

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

const char* houseSystemName(int code) {
  static const char* const names[] = {
      "",        "Placidus", "Koch",          "Campanus", "Topocentric",
      "Morinus", "Porphyry", "Regiomontanus", "Meridian", "Equal"};
  return code >= 1 && code <= 9 ? names[code] : "the chosen";
}

}  // namespace

QDateTime systemLocalTime() { return QDateTime::currentDateTime(); }

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

void CalcHouses(int houseCode, double lst, double latitude, double obliquity, double zodiacOffset,
                std::array<double, 15>& cuspPos) {
  ephem::HouseCusps(libraryImports(), static_cast<ephem::HouseSystem>(houseCode), cuspPos.data(),
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
  return static_cast<int>(std::trunc(fold360(ascendant) / 30)) + 1;
}

void RotateForWheel(ClockState& s) {
  s.WheelOffset = s.CuspPos[1] - std::trunc(s.CuspPos[1] / 30) * 30;
  for (int i = 1; i <= 12; ++i) s.CuspPos[i] = fold360(s.CuspPos[i] - s.WheelOffset);
  for (int i = 1; i <= kPointCount; ++i) s.Pos[i] = fold360(s.Pos[i] - s.WheelOffset);
}

ChartComputer::ChartComputer(ClockState& state, ChartPublisher* publisher, TimeSource now)
    : state_(state), publisher_(publisher ? publisher : &silent_), now_(std::move(now)) {}

bool ChartComputer::ComputeChart(bool Live, QTime TimeValue, QDate DateValue) {
  if (busy_) return false;
  BusyGuard guard(busy_);
  const LibraryImports& lib = libraryImports();
  ClockState& s = state_;

  double zodiacOffset = s.SiderealZodiac == 1 ? 1.0 : 0.0;
  if (Live) {
    const QDateTime now = now_();
    TimeValue = now.time();
    DateValue = now.date();
  }
  const UniversalTime ut = toUniversalTime(TimeValue, DateValue, s.ZoneOffset);
  const int32_t jd = lib.JulDay(ut.date.month(), ut.date.day(), ut.date.year());
  const double latitude = s.LatDeg + s.LatMin / 60.0;
  const double longitude = s.LongDeg + s.LongMin / 60.0;

  double lst = 0, t = 0, obliquity = 0;
  unsigned char siderealText[11];
  lib.SidTime(jd, &zodiacOffset, &lst, ut.hours, &t, &obliquity, longitude, siderealText);

  // Houses go to a copy: a system that fails at this latitude must not leave half a chart.
  std::array<double, 15> cusps = s.CuspPos;
  try {
    CalcHouses(s.HouseCode, lst, latitude, obliquity, zodiacOffset, cusps);
  } catch (const EphemArithmeticError& e) {
    throw ChartError(std::string(e.what()) + "\nThe " + houseSystemName(s.HouseCode) +
                     " houses cannot be drawn at latitude " +
                     QString::number(latitude, 'f', 2).toStdString() +
                     ". Choose Equal houses in the settings to see the chart here.");
  }

  std::array<double, 15> pos = s.Pos;
  std::array<double, 15> speed{};
  std::array<double, 15> declination{};
  std::array<double, 15> work{};
  std::array<uint8_t, 13> termCounts{};
  lib.PlanetCalc(1, 12, s.HelioMode, zodiacOffset, work.data(), 14, t, termCounts.data(), 12, 1,
                 pos.data(), 14, declination.data(), 14, speed.data(), 14, s.TheoryTable.data(),
                 kTheoryTableHigh, 0);

  // The library may hand back a sidereal Node below 0 or a Sun of exactly 360; everything
  // downstream (texts, aspects, the void test, the wheel) expects [0, 360).
  for (int i = 1; i <= 12; ++i) pos[i] = fold360(pos[i]);
  for (int i = 0; i <= 12; ++i) cusps[i] = fold360(cusps[i]);

  s.CuspPos = cusps;
  s.JD = jd;
  s.UT = ut.hours;
  s.LST = lst;
  s.T = t;
  s.Obliquity = obliquity;
  s.ZodiacOffset = zodiacOffset;

  pos[13] = cusps[1];
  pos[14] = s.HouseCode == kEqualHouses ? cusps[0] : cusps[10];
  s.Pos = pos;

  // The icon shows the void state the previous computation found.
  const int icon = TrayIconNumber(cusps[1], s.VOCActive, s.VOCIcon);
  if (Live) {
    s.TrayIcon = icon;
    publisher_->showTrayIcon(icon);
  }

  speed[13] = speed[14] = 1.0;
  s.Speed = speed;
  unsigned char text[11];
  for (int i = 1; i <= kPointCount; ++i) {
    lib.MakeSign(s.Pos[i], speed[i], text);
    s.PlanetSign[i] = shortString(text);
  }
  for (int i = 1; i <= 12; ++i) {
    lib.MakeSign(s.CuspPos[i], 1.0, text);
    s.CuspSign[i] = shortString(text);
  }
  s.TruePos = s.Pos;
  s.VOCActive = VoidOfCourse(s.Pos, s.Do30, s.Do45);

  if (Live) {
    publishPositions();
    ListTransitAspects();
    ListNatalAspects();
    RotateForWheel(s);
  }
  return true;
}

void ChartComputer::publishPositions() {
  PositionRows rows;
  for (int i = 1; i <= 12; ++i) {
    rows[i] = {glyphSymbol(pointGlyphCode(i)), libraryText(state_.PlanetSign[i]),
               QString::number(i), libraryText(state_.CuspSign[i])};
  }
  publisher_->showPositions(rows);
}

void ChartComputer::ListTransitAspects() { listAspects(AspectList::TransitToTransit); }
void ChartComputer::ListNatalAspects() { listAspects(AspectList::TransitToNatal); }

void ChartComputer::listAspects(AspectList list) {
  ClockState& s = state_;
  const bool transit = list == AspectList::TransitToTransit;
  const bool logMode = transit ? s.LogTT : s.LogTN;
  AspectOrbs orbs;
  orbs.fill(static_cast<float>(transit ? s.TransitOrb : s.NatalOrb));
  const AspectTester tester(orbs, s.CustomAngle, s.UseAspects);
  if (!logMode) publisher_->clearAspects(list);
  if (transit) s.PairString.clear();

  QString logLine;
  const auto test = [&](int r, int i, double p2) {
    const bool used = s.AspectFrom[r] && s.AspectTo[i];
    AspectMatch match;
    if (used) {
      match = tester.test(s.Pos[r], p2);
      publisher_->setAspectFont(list, s.TextMode, transit);
    }
    // Every pair keeps its place, used or not, so the wheel's lines stay in step.
    if (transit && s.PairString.size() < kPairStringLength) s.PairString += match.code;
    if (!match.found()) return;

    QString from(QChar(pointGlyphCode(r)));
    QString aspect(QChar(static_cast<char16_t>(match.code)));
    QString to(QChar(pointGlyphCode(i)));
    if (s.TextMode) {
      AspectWords(from, aspect, to);
    } else {
      from = glyphSymbol(pointGlyphCode(r));
      aspect = glyphSymbol(static_cast<unsigned char>(match.code));
      to = glyphSymbol(pointGlyphCode(i));
    }
    const QString orbText = libraryText(match.orbText);
    publisher_->aspectFound(list, r, match.code, i, orbText);
    publisher_->yieldToOthers();
    if (!logMode) {
      publisher_->addAspectLine(list, from + aspect + to + QStringLiteral("   ") + orbText);
      return;
    }
    if (logLine.isEmpty()) {
      const QDateTime now = now_();
      logLine = QLocale().toString(now.date(), QLocale::ShortFormat) + QStringLiteral("::") +
                now.time().toString(QStringLiteral("hh:mm")) + QStringLiteral(": ");
    }
    logLine += from + aspect + to + QStringLiteral(":") + orbText + QStringLiteral("):");
  };

  for (int r = 1; r <= kPointCount; ++r) {
    if (transit) {
      for (int i = r + 1; i <= kPointCount; ++i) test(r, i, s.Pos[i]);
    } else {
      for (int i = 1; i <= kPointCount; ++i) test(r, i, s.NatalPos[i]);
    }
  }
  if (logMode && !logLine.isEmpty()) publisher_->addAspectLine(list, logLine);
}
