// SPDX-License-Identifier: GPL-3.0-or-later
// Every key of helidial.ini in one table: where it is, how it is spelt when read and when
// written, its defaults, the ranges the loader and the dialog hold it to, and the field it fills.
// The loader, the dialog's opening values and both writers go through the table, so a new key is
// one row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsWriters.h"

// Which writer stores a key.
enum class SavedBy : std::uint8_t {
  Nobody,    // only ever typed by hand
  Options,   // the settings dialog's OK
  Geometry,  // Exit, with the windows' places
};

enum class KeyKind : std::uint8_t {
  Integer,  // a profile integer; a flag is one read with default 0 or 1
  Colour,   // read with the lenient colour conversion, written as a decimal integer
  Natal,    // a natal longitude: lenient real in, the 23-character form out, from memory
  Text,     // a name, read without its surrounding blanks and written as the dialog holds it
};

// What the loader does with a value before storing it.
enum class LoadRule : std::uint8_t {
  AsRead,
  FitU8,  // a value outside the field's type reads as the default rather than wrapping
  FitI16,
  FitU16,
  Clamp,  // held within loadLow..loadHigh
};

// How the dialog shows a value.
enum class DialogRule : std::uint8_t {
  AsRead,
  Spin,    // held within dialogLow..dialogHigh
  Choice,  // below 0 selects nothing (-1), above dialogHigh the last entry
};

struct SettingKey {
  std::string section;
  std::string key;      // as read; names match without regard to case
  std::string written;  // as a writer spells it; the same key, some in another case
  SavedBy savedBy = SavedBy::Nobody;
  KeyKind kind = KeyKind::Integer;
  std::int32_t loaderDefault = 0;
  std::int32_t dialogDefault = 0;
  LoadRule load = LoadRule::AsRead;
  std::int32_t loadLow = 0, loadHigh = 0;
  DialogRule dialog = DialogRule::AsRead;
  std::int32_t dialogLow = 0, dialogHigh = 0;
  int index = 0;  // the point or aspect kind of a row of a family, else 0
  // The value a writer stores, from the dialog or from memory (nullptr for Natal rows).
  std::int32_t (*save)(const OptionsValues&, const Settings&, int index) = nullptr;
  // Puts the value into the dialog; nullptr when the dialog does not show it from the file.
  void (*show)(OptionsValues&, std::int32_t, int index) = nullptr;
  // Puts the loaded value into the settings; nullptr when the loader combines it with others
  // (the place, the time zone, the orbs) or it is a Natal row.
  void (*apply)(Settings&, std::int32_t, int index) = nullptr;
  // A Text row's field in the dialog (shown and saved) and in memory (loaded); the integer
  // accessors above stay empty for it.
  std::string OptionsValues::*dialogText = nullptr;
  std::string Settings::*memoryText = nullptr;
};

// The rows in the order the dialog's OK writes them (the order new keys appear in a new file),
// then Exit's in its order, then the keys no writer stores.
const std::vector<SettingKey>& SettingsSchema();

// The row of a key, by its name as read; throws std::out_of_range for a key not in the table.
const SettingKey& SchemaRow(std::string_view section, std::string_view key);

// The row's value from the file as the loader takes it (default, fitting, clamp) or as the
// dialog shows it (its own default and range). Not for Natal or Text rows.
std::int32_t LoadedValue(const IniDocument& file, const SettingKey& row);
std::int32_t ShownValue(const IniDocument& file, const SettingKey& row);
// A Text row's value, for the loader and the dialog alike: empty when the key is missing.
std::string LoadedText(const IniDocument& file, const SettingKey& row);

// The text a writer stores for the row.
std::string SavedText(const SettingKey& row, const OptionsValues& dialog, const Settings& memory);
