// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsSchema.h"

#include <algorithm>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace {

// A value of the field's own type: a flag is any non-zero integer, an enumeration its number.
template <typename T>
T As(std::int32_t value) {
  if constexpr (std::is_same_v<T, bool>) {
    return value != 0;
  } else {
    return static_cast<T>(value);
  }
}

template <typename T>
using Element = std::remove_cvref_t<decltype(std::declval<T&>()[0])>;

// Accessors of a plain field (M) or of one element of an array field (At).
template <auto M>
std::int32_t FromDialog(const OptionsValues& d, const Settings&, int) {
  return static_cast<std::int32_t>(d.*M);
}
template <auto M>
std::int32_t FromDialogAt(const OptionsValues& d, const Settings&, int i) {
  return static_cast<std::int32_t>((d.*M)[i]);
}
template <auto M>
std::int32_t FromMemoryAt(const OptionsValues&, const Settings& s, int i) {
  return static_cast<std::int32_t>((s.*M)[i]);
}
template <auto M>
void ShowIn(OptionsValues& d, std::int32_t v, int) {
  d.*M = As<std::remove_cvref_t<decltype(d.*M)>>(v);
}
template <auto M>
void ShowInAt(OptionsValues& d, std::int32_t v, int i) {
  (d.*M)[i] = As<Element<decltype(d.*M)>>(v);
}
template <auto M>
void Apply(Settings& s, std::int32_t v, int) {
  s.*M = As<std::remove_cvref_t<decltype(s.*M)>>(v);
}
template <auto M>
void ApplyAt(Settings& s, std::int32_t v, int i) {
  (s.*M)[i] = As<Element<decltype(s.*M)>>(v);
}

// Houses as the dialog stores it (0 Placidus, 1 Koch, 2 Equal; 3..8 by hand) to the house code.
HouseSystem HouseCodeFor(std::int32_t houses) {
  // No cusps, and no wrapped byte landing on a system.
  if (houses < 0 || houses > 8) return HouseSystem::None;
  return houses == 2 ? HouseSystem::Equal : static_cast<HouseSystem>(houses + 1);
}

// Beyond this the glyph font would dwarf the wheel; the dialog itself stops at 100.
constexpr std::int32_t kMaxSize = 1000;
// Window sides outside this would ask for absurd wheel images.
constexpr std::int32_t kMaxWindowSide = 16384;

// One key the dialog shows and OK writes, read and written under one spelling.
SettingKey Dialog(std::string section, std::string key, std::int32_t def,
                  std::int32_t (*save)(const OptionsValues&, const Settings&, int),
                  void (*show)(OptionsValues&, std::int32_t, int),
                  void (*apply)(Settings&, std::int32_t, int)) {
  SettingKey row{.section = section, .key = key, .written = key};
  row.savedBy = SavedBy::Options;
  row.loaderDefault = row.dialogDefault = def;
  row.save = save;
  row.show = show;
  row.apply = apply;
  return row;
}

SettingKey Spin(SettingKey row, std::int32_t low, std::int32_t high) {
  row.dialog = DialogRule::Spin;
  row.dialogLow = low;
  row.dialogHigh = high;
  return row;
}

SettingKey Choice(SettingKey row, std::int32_t last) {
  row.dialog = DialogRule::Choice;
  row.dialogHigh = last;
  return row;
}

SettingKey Loaded(SettingKey row, LoadRule rule, std::int32_t low = 0, std::int32_t high = 0) {
  row.load = rule;
  row.loadLow = low;
  row.loadHigh = high;
  return row;
}

// A family of flags by point (Show, AspectTo, DoLine, AspectFrom), points 1..last.
template <auto D, auto M>
void PointRows(std::vector<SettingKey>& rows, const char* section, int last) {
  for (int p = 1; p <= last; ++p) {
    // Sun to Pluto are shown by default; every point but Node and Chiron takes part in aspects.
    const bool on = std::string_view(section) == "Show" ? p <= 10 : p != 11 && p != 12;
    SettingKey row = Dialog(section, std::string(kPoints[p].key), on ? 1 : 0, FromDialogAt<D>,
                            ShowInAt<D>, ApplyAt<M>);
    row.index = p;
    rows.push_back(std::move(row));
  }
}

void Geometry(std::vector<SettingKey>& rows, const char* section, const WindowGeometry& def,
              std::int32_t (*save[4])(const OptionsValues&, const Settings&, int),
              void (*apply[4])(Settings&, std::int32_t, int)) {
  const char* const keys[4] = {"Top", "Left", "Height", "Width"};
  const std::int32_t defaults[4] = {def.Top, def.Left, def.Height, def.Width};
  for (int i = 0; i < 4; ++i) {
    SettingKey row{.section = section, .key = keys[i], .written = keys[i]};
    row.savedBy = SavedBy::Geometry;
    row.loaderDefault = row.dialogDefault = defaults[i];
    if (i >= 2) row = Loaded(row, LoadRule::Clamp, 1, kMaxWindowSide);
    row.save = save[i];
    row.apply = apply[i];
    rows.push_back(std::move(row));
  }
}

template <auto Window, auto Side>
std::int32_t SavedSide(const OptionsValues&, const Settings& s, int) {
  return (s.*Window).*Side;
}
template <auto Window, auto Side>
void AppliedSide(Settings& s, std::int32_t v, int) {
  (s.*Window).*Side = v;
}

template <auto Window>
void WindowRows(std::vector<SettingKey>& rows, const char* section) {
  std::int32_t (*save[4])(const OptionsValues&, const Settings&, int) = {
      SavedSide<Window, &WindowGeometry::Top>, SavedSide<Window, &WindowGeometry::Left>,
      SavedSide<Window, &WindowGeometry::Height>, SavedSide<Window, &WindowGeometry::Width>};
  void (*apply[4])(Settings&, std::int32_t, int) = {
      AppliedSide<Window, &WindowGeometry::Top>, AppliedSide<Window, &WindowGeometry::Left>,
      AppliedSide<Window, &WindowGeometry::Height>, AppliedSide<Window, &WindowGeometry::Width>};
  Geometry(rows, section, Settings{}.*Window, save, apply);
}

std::vector<SettingKey> Build() {
  using O = OptionsValues;
  using S = Settings;
  std::vector<SettingKey> rows;
  const auto add = [&rows](SettingKey row) { rows.push_back(std::move(row)); };

  // The dialog's OK, in its order.
  add(Choice(Loaded(Dialog("Setting", "Glyphs", 0, FromDialog<&O::Glyphs>, ShowIn<&O::Glyphs>,
                           Apply<&S::Glyphs>),
                    LoadRule::FitU8),
             2));
  add(Choice(Dialog("Setting", "Houses", 0, FromDialog<&O::Houses>, ShowIn<&O::Houses>,
                    [](S& s, std::int32_t v, int) { s.HouseCode = HouseCodeFor(v); }),
             2));
  add(Choice(Loaded(Dialog("Setting", "Cusps", 0, FromDialog<&O::Cusps>, ShowIn<&O::Cusps>,
                           Apply<&S::Cusps>),
                    LoadRule::FitU8),
             2));
  add(Spin(
      Loaded(Dialog("Setting", "Size", 63, FromDialog<&O::Size>, ShowIn<&O::Size>, Apply<&S::Size>),
             LoadRule::Clamp, 0, kMaxSize),
      25, 100));
  SettingKey colour =
      Dialog("Setting", "Color", 0, FromDialog<&O::Color>, ShowIn<&O::Color>, Apply<&S::Color>);
  colour.kind = KeyKind::Colour;
  add(colour);

  // The place's parts are combined by the loader (signs from NS and EW, limits).
  add(Spin(Dialog("Place", "LatD", 0, FromDialog<&O::LatD>, ShowIn<&O::LatD>, nullptr), 0, 90));
  add(Spin(Dialog("Place", "LatM", 0, FromDialog<&O::LatM>, ShowIn<&O::LatM>, nullptr), 0, 59));
  add(Spin(Dialog("Place", "LongM", 0, FromDialog<&O::LongM>, ShowIn<&O::LongM>, nullptr), 0, 59));
  add(Spin(Dialog("Place", "LongD", 0, FromDialog<&O::LongD>, ShowIn<&O::LongD>, nullptr), 0, 180));
  // Only exactly 1 shows north or west, while the loader takes any non-zero as north or west.
  add(Dialog(
      "Place", "NS", 0, FromDialog<&O::North>, [](O& d, std::int32_t v, int) { d.North = v == 1; },
      nullptr));
  add(Dialog(
      "Place", "EW", 0, FromDialog<&O::West>, [](O& d, std::int32_t v, int) { d.West = v == 1; },
      nullptr));

  PointRows<&O::Show, &S::Show>(rows, "Show", kShownPlanetCount);
  PointRows<&O::AspectTo, &S::AspectTo>(rows, "AspectTo", kPointCount);
  PointRows<&O::DoLine, &S::DoLine>(rows, "DoLine", kPointCount);
  PointRows<&O::AspectFrom, &S::AspectFrom>(rows, "AspectFrom", kPointCount);
  for (int k = 0; k < kAspectKindCount; ++k) {
    // All kinds but Opposition and Custom are used by default.
    SettingKey row =
        Dialog("UseAspects", std::string(kAspectKinds[k].useKey), k < 10 ? 1 : 0,
               FromDialogAt<&O::UseAspects>, ShowInAt<&O::UseAspects>, ApplyAt<&S::UseAspects>);
    row.written = kAspectKinds[k].useKeyOut;
    row.index = k;
    add(row);
  }

  // The orbs are degrees plus minutes; the minutes default to 1 in the loader but the dialog
  // shows 0 for a missing key.
  SettingKey degree = Spin(
      Dialog("Custom", "Degree", 1, FromDialog<&O::Degree>, ShowIn<&O::Degree>, nullptr), 0, 30);
  SettingKey minute = Spin(
      Dialog("Custom", "Minute", 1, FromDialog<&O::Minute>, ShowIn<&O::Minute>, nullptr), 0, 59);
  minute.dialogDefault = 0;
  add(degree);
  add(minute);
  add(Spin(Dialog("Custom", "Aspect", 0, FromDialog<&O::Aspect>, ShowIn<&O::Aspect>,
                  Apply<&S::CustomAngle>),
           -1, 180));
  degree.key = degree.written = "DegreeN";
  degree.save = FromDialog<&O::DegreeN>;
  degree.show = ShowIn<&O::DegreeN>;
  minute.key = minute.written = "MinuteN";
  minute.save = FromDialog<&O::MinuteN>;
  minute.show = ShowIn<&O::MinuteN>;
  add(minute);
  add(degree);

  // Line colours and styles change in memory as the user picks them; OK saves them from there.
  for (const char* prefix : {"ALC", "ALS"}) {
    const bool style = prefix[2] == 'S';
    for (int k = 0; k < kAspectKindCount; ++k) {
      SettingKey row = Dialog("Wheel", prefix + std::string(kAspectKinds[k].lineKey), 0,
                              style ? FromMemoryAt<&S::LineStyle> : FromMemoryAt<&S::LineColor>,
                              nullptr, style ? ApplyAt<&S::LineStyle> : ApplyAt<&S::LineColor>);
      row.written = prefix + std::string(kAspectKinds[k].lineKeyOut);
      row.index = k;
      add(style ? Loaded(row, LoadRule::FitU16) : row);
    }
  }
  add(Dialog("Wheel", "AspectLines", 0, FromDialog<&O::AspectLines>, ShowIn<&O::AspectLines>,
             Apply<&S::AspectLines>));
  add(Dialog("Wheel", "Annotate", 0, FromDialog<&O::Annotate>, ShowIn<&O::Annotate>,
             Apply<&S::Annotate>));
  add(Dialog("Wheel", "AnnotateMin", 0, FromDialog<&O::AnnotateMin>, ShowIn<&O::AnnotateMin>,
             Apply<&S::AnnotateMin>));

  add(Dialog("VOC", "Icon", 1, FromDialog<&O::Icon>, ShowIn<&O::Icon>, Apply<&S::VOCIcon>));
  add(Dialog("VOC", "DoColor", 0, FromDialog<&O::DoColor>, ShowIn<&O::DoColor>,
             Apply<&S::DoColor>));
  add(Dialog("VOC", "Color", 16777215, FromDialog<&O::VOCColor>, ShowIn<&O::VOCColor>,
             Apply<&S::VOCColor>));

  for (int p = 1; p <= kPointCount; ++p) {
    SettingKey row = Dialog("Natal", "Planet" + std::to_string(p), 0, nullptr, nullptr, nullptr);
    row.kind = KeyKind::Natal;
    row.index = p;
    add(row);
  }

  // "Use Text" and "No duplicates" open with what memory holds, not the file's value.
  add(Dialog("Show", "Text", 0, FromDialog<&O::Text>, nullptr, Apply<&S::TextMode>));
  add(Dialog("UseAspects", "Duplicates", 0, FromDialog<&O::Duplicates>, nullptr,
             Apply<&S::Duplicates>));
  add(Dialog("Setting", "LogTT", 0, FromDialog<&O::LogTT>, ShowIn<&O::LogTT>, Apply<&S::LogTT>));
  add(Dialog("Setting", "LogTN", 0, FromDialog<&O::LogTN>, ShowIn<&O::LogTN>, Apply<&S::LogTN>));
  add(Choice(Loaded(Dialog("Setting", "Zodiac", 0, FromDialog<&O::Zodiac>, ShowIn<&O::Zodiac>,
                           Apply<&S::SiderealZodiac>),
                    LoadRule::FitI16),
             1));
  // Positions: only 1 chooses the Swiss Ephemeris. Anything else, 7 or junk as much as a missing
  // key, keeps the documented theory, in memory and in the dialog alike.
  add(Dialog(
      "Setting", "Ephemeris", 0, FromDialog<&O::Ephemeris>,
      [](O& d, std::int32_t v, int) { d.Ephemeris = v == 1 ? 1 : 0; },
      [](S& s, std::int32_t v, int) { s.Ephemeris = v == 1 ? 1 : 0; }));
  SettingKey helio = Choice(Dialog("Show", "HelioCentric", 0, FromDialog<&O::HelioCentric>,
                                   ShowIn<&O::HelioCentric>, Apply<&S::HelioMode>),
                            1);
  helio.written = "Heliocentric";
  add(helio);
  add(Dialog("Place", "Summer", 0, FromDialog<&O::Summer>, ShowIn<&O::Summer>, nullptr));
  add(Dialog("VOC", "Do30", 1, FromDialog<&O::Do30>, ShowIn<&O::Do30>, Apply<&S::Do30>));
  // The zone of the place's own; the loader resolves it with the rest of the zone rule.
  SettingKey zoneName = Dialog("Place", "ZoneName", 0, nullptr, nullptr, nullptr);
  zoneName.kind = KeyKind::Text;
  zoneName.dialogText = &O::ZoneName;
  zoneName.memoryText = &S::ZoneName;
  add(zoneName);

  // The Moon's timetable, after every key the clock has always written. A rule outside 0..2 is
  // the degree test, in memory and in the dialog alike.
  add(Dialog(
      "VOC", "Rule", 0, FromDialog<&O::VOCRule>,
      [](O& d, std::int32_t v, int) { d.VOCRule = v >= 0 && v <= 2 ? v : 0; },
      [](S& s, std::int32_t v, int) { s.VOCRule = v >= 0 && v <= 2 ? v : 0; }));
  add(Dialog("VOC", "MoonLine", 0, FromDialog<&O::MoonLine>, ShowIn<&O::MoonLine>,
             Apply<&S::MoonLine>));
  add(Dialog("Setting", "ExactTimes", 0, FromDialog<&O::ExactTimes>, ShowIn<&O::ExactTimes>,
             Apply<&S::ExactTimes>));

  // Alerts: all off until asked for; the lead is one of the dialog's three choices.
  add(Dialog("Alerts", "VoidBegins", 0, FromDialog<&O::AlertVoidBegins>,
             ShowIn<&O::AlertVoidBegins>, Apply<&S::AlertVoidBegins>));
  add(Dialog("Alerts", "VoidEnds", 0, FromDialog<&O::AlertVoidEnds>, ShowIn<&O::AlertVoidEnds>,
             Apply<&S::AlertVoidEnds>));
  add(Dialog("Alerts", "Ingress", 0, FromDialog<&O::AlertIngress>, ShowIn<&O::AlertIngress>,
             Apply<&S::AlertIngress>));
  add(Dialog("Alerts", "NatalExact", 0, FromDialog<&O::AlertNatalExact>,
             ShowIn<&O::AlertNatalExact>, Apply<&S::AlertNatalExact>));
  add(Dialog("Alerts", "NewFull", 0, FromDialog<&O::AlertNewFull>, ShowIn<&O::AlertNewFull>,
             Apply<&S::AlertNewFull>));
  add(Dialog("Alerts", "Station", 0, FromDialog<&O::AlertStation>, ShowIn<&O::AlertStation>,
             Apply<&S::AlertStation>));
  add(Choice(Loaded(Dialog("Alerts", "Lead", 0, FromDialog<&O::AlertLead>, ShowIn<&O::AlertLead>,
                           Apply<&S::AlertLead>),
                    LoadRule::Clamp, 0, 2),
             2));

  // Exit.
  WindowRows<&S::ClockGeometry>(rows, "Show");
  WindowRows<&S::ATNGeometry>(rows, "ATN");
  WindowRows<&S::ATTGeometry>(rows, "ATT");

  // Typed by hand only.
  const auto byHand = [](const char* section, const char* key, std::int32_t def,
                         void (*apply)(S&, std::int32_t, int)) {
    SettingKey row{.section = section, .key = key, .written = ""};
    row.loaderDefault = row.dialogDefault = def;
    row.apply = apply;
    return row;
  };
  add(byHand("VOC", "Do45", 1, Apply<&S::Do45>));
  SettingKey manualZone = byHand("Place", "ManualZone", 0, nullptr);
  manualZone.show = ShowIn<&O::ManualZone>;
  add(manualZone);
  add(byHand("Place", "ZoneH", 0, nullptr));
  add(byHand("Place", "ZoneM", 0, nullptr));
  return rows;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

const std::vector<SettingKey>& SettingsSchema() {
  static const std::vector<SettingKey> rows = Build();
  return rows;
}

const SettingKey& SchemaRow(std::string_view section, std::string_view key) {
  for (const SettingKey& row : SettingsSchema()) {
    if (SameName(row.section, section) && SameName(row.key, key)) return row;
  }
  throw std::out_of_range("no settings key " + std::string(section) + "/" + std::string(key));
}

std::int32_t LoadedValue(const IniDocument& file, const SettingKey& row) {
  if (row.kind == KeyKind::Colour)
    return ParseLenientInteger(file.ReadString(row.section, row.key, "0"));
  const std::int32_t value = file.ReadInteger(row.section, row.key, row.loaderDefault);
  switch (row.load) {
    case LoadRule::AsRead:
      return value;
    case LoadRule::FitU8:
      return std::in_range<std::uint8_t>(value) ? value : row.loaderDefault;
    case LoadRule::FitI16:
      return std::in_range<std::int16_t>(value) ? value : row.loaderDefault;
    case LoadRule::FitU16:
      return std::in_range<std::uint16_t>(value) ? value : row.loaderDefault;
    case LoadRule::Clamp:
      return std::clamp(value, row.loadLow, row.loadHigh);
  }
  return value;
}

std::int32_t ShownValue(const IniDocument& file, const SettingKey& row) {
  if (row.kind == KeyKind::Colour)
    return ParseLenientInteger(file.ReadString(row.section, row.key, "0"));
  const std::int32_t value = file.ReadInteger(row.section, row.key, row.dialogDefault);
  switch (row.dialog) {
    case DialogRule::AsRead:
      return value;
    case DialogRule::Spin:
      return std::clamp(value, row.dialogLow, row.dialogHigh);
    case DialogRule::Choice:
      return value < 0 ? -1 : std::min(value, row.dialogHigh);
  }
  return value;
}

std::string LoadedText(const IniDocument& file, const SettingKey& row) {
  return file.ReadString(row.section, row.key, "");
}

std::string SavedText(const SettingKey& row, const OptionsValues& dialog, const Settings& memory) {
  if (row.kind == KeyKind::Natal) return FormatNatalReal(memory.NatalPos[row.index]);
  if (row.kind == KeyKind::Text) return dialog.*row.dialogText;
  return std::to_string(row.save(dialog, memory, row.index));
}
