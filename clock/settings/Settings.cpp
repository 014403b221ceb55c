// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Settings.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>
#include <utility>

#include "model/Angles.h"
#include "settings/SettingsSchema.h"

#ifdef __FAST_MATH__
#error "The glyph size truncation and the natal number form need exact IEEE arithmetic"
#endif

namespace {

// Local time minus Universal Time stays within a day, which the one-step day wrap relies on.
constexpr double kMaxZoneHours = 24.0;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Negation that cannot overflow for the most negative integer.
std::int32_t Negate(std::int32_t v) {
  return v == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max()
                                                       : -v;
}

// "5:30 hours" or "-24:00 hours": a zone offset as a person writes it.
std::string HoursText(double hours) {
  const double magnitude = std::min(std::fabs(hours), 1e6);
  const auto minutes = static_cast<long long>(std::llround(magnitude * 60));
  char text[48];
  std::snprintf(text, sizeof text, "%s%lld:%02lld hours", hours < 0 ? "-" : "+", minutes / 60,
                minutes % 60);
  return text;
}

// A latitude or longitude beyond its limit (degrees and minutes with their sign; positive is
// north or west) is taken as the limit itself, and the notices say so.
void KeepWithin(std::int32_t& degrees, std::int32_t& minutes, int limit, const char* what,
                const char* positive, const char* negative, SettingsNotices* notices) {
  const double value = static_cast<double>(degrees) + minutes / 60.0;
  if (std::fabs(value) <= limit) return;
  const char* side = value < 0 ? negative : positive;
  if (notices != nullptr) {
    const double magnitude = std::min(std::fabs(value), 1e9);
    const auto arcMinutes = static_cast<long long>(std::llround(magnitude * 60));
    char text[200];
    std::snprintf(text, sizeof text,
                  "The %s in the settings, %lld\u00B0%02lld' %s, lies beyond %d\u00B0; the chart "
                  "uses %d\u00B000' %s.",
                  what, arcMinutes / 60, arcMinutes % 60, side, limit, limit, side);
    notices->push_back(text);
  }
  degrees = value < 0 ? -limit : limit;
  minutes = 0;
}

// Natal longitudes are used as angles; fold hand-typed values into one turn.
double NatalLongitude(double value) { return FoldLongitude(value); }

}  // namespace

std::uint16_t GlyphSizeFor(std::uint16_t size, int wheelWidth) {
  const long double product = static_cast<long double>(size) * 0.2L *
                              static_cast<long double>(std::max(wheelWidth, 0)) / 576.0L;
  const long double glyph = std::trunc(product) + 1.0L;
  return glyph >= 65535.0L ? std::uint16_t{65535} : static_cast<std::uint16_t>(glyph);
}

int SystemStandardBiasMinutes() {
  const int secondsEast =
      QTimeZone::systemTimeZone().standardTimeOffset(QDateTime::currentDateTime());
  return -secondsEast / 60;
}

std::int32_t ParseLenientInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  unsigned base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit;
    if (IsDigit(c)) {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      break;
    }
    const std::uint64_t next = value * base + digit;
    if (next > 0xFFFFFFFFu) break;  // keep what was read before the number grew too long
    value = next;
  }
  const std::uint32_t bits = static_cast<std::uint32_t>(value);
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

double ParseLenientReal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  std::size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t exponentStart = j;
    while (j < text.size() && IsDigit(text[j])) ++j;
    if (j > exponentStart) end = j;
  }
  double value = 0.0;
  const auto [ptr, ec] =
      std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
  if (ec != std::errc{}) return 0.0;  // beyond the range of a double
  return negative ? -value : value;
}

std::string FormatNatalReal(double value) {
  if (!std::isfinite(value)) value = 0.0;
  char digits[40];
  const auto result = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                    std::chars_format::scientific, 14);
  const std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
  const std::size_t e = text.find('e');
  const std::string_view exponent = text.substr(e + 2);
  std::string out;
  out.reserve(23);
  out += value < 0.0 ? '-' : ' ';
  out += text.substr(0, e);
  out += 'E';
  out += text[e + 1];
  out.append(4 - std::min<std::size_t>(exponent.size(), 4), '0');
  out += exponent;
  return out;
}

bool KeepsDaylightRules(const QTimeZone& zone, const QDateTime& around) {
  if (!zone.isValid() || !zone.hasDaylightTime()) return false;
  // Daylight time lasts months where it is kept: one look a month over a year finds it.
  for (int month = -6; month < 6; ++month) {
    if (zone.isDaylightTime(around.addMonths(month))) return true;
  }
  return false;
}

void LoadZone(const IniDocument& file, Settings& s, const QTimeZone& machineZone,
              int standardBiasMinutes, SettingsNotices* notices, const QDateTime& now) {
  const auto read = [&file](const char* key) { return LoadedValue(file, SchemaRow("Place", key)); };
  s.ZoneName = LoadedText(file, SchemaRow("Place", "ZoneName"));
  s.Zone = machineZone;
  if (!s.ZoneName.empty()) {
    const QTimeZone named(QByteArray::fromStdString(s.ZoneName));
    if (named.isValid()) {
      s.Zone = named;
    } else if (notices != nullptr && read("ManualZone") == 0) {
      notices->push_back("The time zone \"" + s.ZoneName +
                         "\" in the settings is not one this system knows; the chart uses this "
                         "computer's time zone.");
    }
  }
  s.ZoneRules = false;
  s.Summer = false;
  double offset = 0.0;
  if (read("ManualZone") != 0) {
    // Counts east or west with the place's longitude; Summer and the zone play no part.
    s.Zone = QTimeZone();
    offset = -(static_cast<double>(read("ZoneH")) + read("ZoneM") / 60.0);
    if (read("EW") == 0) offset = -offset;
  } else if (KeepsDaylightRules(s.Zone, now)) {
    // The zone's own rules say when summer is; Summer would add a second hour.
    s.ZoneRules = true;
    offset = s.Zone.offsetFromUtc(now) / 3600.0;
  } else {
    // The standard bias, shifted an hour by hand for summer.
    double bias = s.Zone.isValid() ? -s.Zone.standardTimeOffset(now) / 60.0 : standardBiasMinutes;
    s.Summer = read("Summer") != 0;
    if (s.Summer) bias -= 60.0;
    offset = -bias / 60.0;
  }
  const double clamped = std::clamp(offset, -kMaxZoneHours, kMaxZoneHours);
  if (clamped != offset && notices != nullptr) {
    notices->push_back("The time zone in the settings, " + HoursText(offset) +
                       " from Universal Time, is more than a day; the chart uses " +
                       HoursText(clamped) + ".");
  }
  s.ZoneOffset = clamped;
}

double ZoneOffsetAt(const Settings& s, const QDateTime& instant) {
  return s.ZoneRules ? s.Zone.offsetFromUtc(instant) / 3600.0 : s.ZoneOffset;
}

bool DaylightAt(const Settings& s, const QDateTime& instant) {
  return s.ZoneRules ? s.Zone.isDaylightTime(instant) : s.Summer;
}

QDateTime PlaceClockTime(const Settings& s, const QDateTime& instant) {
  if (s.Zone.isValid() && !s.ZoneName.empty() && s.Zone.id().toStdString() == s.ZoneName)
    return instant.toTimeZone(s.Zone);
  return instant;
}

QString ZoneInUseName(const Settings& s) {
  return s.Zone.isValid() ? QString::fromUtf8(s.Zone.id()) : QString();
}

namespace {

void LoadAll(const IniDocument& file, Settings& s, int wheelWidth, const QTimeZone& machineZone,
             int standardBiasMinutes, SettingsNotices* notices) {
  s = Settings{};  // points 13 and 14 are never shown, and slot 0 is no point
  for (const SettingKey& row : SettingsSchema()) {
    if (row.kind == KeyKind::Natal) {
      s.NatalPos[row.index] =
          NatalLongitude(ParseLenientReal(file.ReadString(row.section, row.key, "0")));
    } else if (row.kind == KeyKind::Text) {
      if (row.memoryText != nullptr) s.*row.memoryText = LoadedText(file, row);
    } else if (row.apply != nullptr) {
      row.apply(s, LoadedValue(file, row), row.index);
    }
  }
  s.GlyphSize = GlyphSizeFor(s.Size, wheelWidth);
  LoadZone(file, s, machineZone, standardBiasMinutes, notices);

  // Only a hemisphere of exactly 0 means south or east: both parts take the minus sign.
  const auto read = [&file](const char* key) { return LoadedValue(file, SchemaRow("Place", key)); };
  const bool south = read("NS") == 0;
  s.LatDeg = south ? Negate(read("LatD")) : read("LatD");
  s.LatMin = south ? Negate(read("LatM")) : read("LatM");
  const bool east = read("EW") == 0;
  s.LongDeg = east ? Negate(read("LongD")) : read("LongD");
  s.LongMin = east ? Negate(read("LongM")) : read("LongM");
  KeepWithin(s.LatDeg, s.LatMin, 90, "latitude", "north", "south", notices);
  KeepWithin(s.LongDeg, s.LongMin, 180, "longitude", "west", "east", notices);

  const auto orb = [&file](const char* degrees, const char* minutes) {
    return LoadedValue(file, SchemaRow("Custom", degrees)) +
           LoadedValue(file, SchemaRow("Custom", minutes)) / 60.0;
  };
  s.TransitOrb = orb("Degree", "Minute");
  s.NatalOrb = orb("DegreeN", "MinuteN");
}

}  // namespace

void LoadSettings(const IniDocument& file, Settings& settings, int wheelWidth,
                  int standardBiasMinutes, SettingsNotices* notices) {
  LoadAll(file, settings, wheelWidth, QTimeZone(), standardBiasMinutes, notices);
}

void LoadSettings(const IniDocument& file, Settings& settings, int wheelWidth,
                  const QTimeZone& machineZone, SettingsNotices* notices) {
  LoadAll(file, settings, wheelWidth, machineZone, 0, notices);
}

// One snapshot each, so a hand edit saved during the load cannot mix two versions of the file.
void LoadSettings(const IniFile& file, Settings& settings, int wheelWidth, int standardBiasMinutes,
                  SettingsNotices* notices) {
  LoadSettings(file.Read(), settings, wheelWidth, standardBiasMinutes, notices);
}

void LoadSettings(const IniFile& file, Settings& settings, int wheelWidth,
                  const QTimeZone& machineZone, SettingsNotices* notices) {
  LoadSettings(file.Read(), settings, wheelWidth, machineZone, notices);
}
