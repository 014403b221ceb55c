// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsWriters.h"

#include "settings/SettingsSchema.h"

OptionsValues ReadOptionsValues(const IniDocument& file, const Settings& inMemory) {
  OptionsValues v;
  for (const SettingKey& row : SettingsSchema()) {
    if (row.kind == KeyKind::Text) {
      v.*row.dialogText = LoadedText(file, row);
    } else if (row.show != nullptr) {
      row.show(v, ShownValue(file, row), row.index);
    }
  }
  v.Text = inMemory.TextMode;
  v.Duplicates = inMemory.Duplicates;
  return v;
}

namespace {

// One update of the file with every key of one writer, in the table's order.
void Save(IniFile& file, SavedBy writer, const OptionsValues& dialog, const Settings& memory) {
  file.Update([&](IniDocument& doc) {
    for (const SettingKey& row : SettingsSchema()) {
      if (row.savedBy == writer) doc.Set(row.section, row.written, SavedText(row, dialog, memory));
    }
  });
}

}  // namespace

void SaveOptions(IniFile& file, const OptionsValues& d, Settings& inMemory) {
  Save(file, SavedBy::Options, d, inMemory);
  // Memory follows the file only once the file has them all.
  inMemory.TextMode = d.Text;
  inMemory.Duplicates = d.Duplicates;
  inMemory.SiderealZodiac = static_cast<std::int16_t>(d.Zodiac);
  inMemory.HelioMode = d.HelioCentric;
}

void SaveGeometry(IniFile& file, const WindowGeometry& clock, const WindowGeometry& transitsToNatal,
                  const WindowGeometry& transitsToTransits) {
  Settings windows;
  windows.ClockGeometry = clock;
  windows.ATNGeometry = transitsToNatal;
  windows.ATTGeometry = transitsToTransits;
  Save(file, SavedBy::Geometry, OptionsValues{}, windows);
}
