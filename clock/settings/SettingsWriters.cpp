#include "settings/SettingsWriters.h"

#include <algorithm>
#include <string>

namespace {

int Spin(std::int32_t value, int low, int high) { return std::clamp<int>(value, low, high); }

// A choice group shows nothing below its first entry and its last entry above its last.
int Choice(std::int32_t value, int last) { return value < 0 ? -1 : std::min<int>(value, last); }

void WriteGeometry(IniFile& file, std::string_view section, const WindowGeometry& g) {
  file.WriteInteger(section, "Top", g.Top);
  file.WriteInteger(section, "Left", g.Left);
  file.WriteInteger(section, "Height", g.Height);
  file.WriteInteger(section, "Width", g.Width);
}

void WritePointFlags(IniFile& file, std::string_view section, const PointFlags& flags, int last) {
  for (int p = 1; p <= last; ++p) file.WriteBool(section, kPoints[p].key, flags[p]);
}

}  // namespace

OptionsValues ReadOptionsValues(const IniDocument& file, const Settings& inMemory) {
  OptionsValues v;
  v.Glyphs = Choice(file.ReadInteger("Setting", "Glyphs", 0), 2);
  v.Houses = Choice(file.ReadInteger("Setting", "Houses", 0), 2);
  v.Cusps = Choice(file.ReadInteger("Setting", "Cusps", 0), 2);
  v.Size = Spin(file.ReadInteger("Setting", "Size", 63), 25, 100);
  v.Color = ParseLenientInteger(file.ReadString("Setting", "Color", "0"));
  v.VOCColor = file.ReadInteger("VOC", "Color", 16777215);
  v.Text = inMemory.TextMode;
  v.Duplicates = inMemory.Duplicates;
  v.LatD = Spin(file.ReadInteger("Place", "LatD", 0), 0, 90);
  v.LongD = Spin(file.ReadInteger("Place", "LongD", 0), 0, 180);
  v.LatM = Spin(file.ReadInteger("Place", "LatM", 0), 0, 59);
  v.LongM = Spin(file.ReadInteger("Place", "LongM", 0), 0, 59);
  v.HelioCentric = Choice(file.ReadInteger("Show", "HelioCentric", 0), 1);
  // Only exactly 1 selects north or west here, while the loader takes any non-zero as north/west.
  v.North = file.ReadInteger("Place", "NS", 0) == 1;
  v.West = file.ReadInteger("Place", "EW", 0) == 1;
  v.Show.fill(false);
  v.AspectTo.fill(false);
  v.AspectFrom.fill(false);
  v.DoLine.fill(false);
  for (int p = 1; p <= kPointCount; ++p) {
    const bool on = p != 11 && p != 12;  // Node and Chiron start off
    if (p <= kShownPlanetCount) v.Show[p] = file.ReadBool("Show", kPoints[p].key, p <= 10);
    v.AspectTo[p] = file.ReadBool("AspectTo", kPoints[p].key, on);
    v.AspectFrom[p] = file.ReadBool("AspectFrom", kPoints[p].key, on);
    v.DoLine[p] = file.ReadBool("DoLine", kPoints[p].key, on);
  }
  for (int k = 0; k < kAspectKindCount; ++k) {
    v.UseAspects[k] = file.ReadBool("UseAspects", kAspectKinds[k].useKey, k < 10);
  }
  v.Degree = Spin(file.ReadInteger("Custom", "Degree", 1), 0, 30);
  v.Minute = Spin(file.ReadInteger("Custom", "Minute", 0), 0, 59);
  v.DegreeN = Spin(file.ReadInteger("Custom", "DegreeN", 1), 0, 30);
  v.MinuteN = Spin(file.ReadInteger("Custom", "MinuteN", 0), 0, 59);
  v.Aspect = Spin(file.ReadInteger("Custom", "Aspect", 0), -1, 180);
  v.Summer = file.ReadBool("Place", "Summer", false);
  v.LogTN = file.ReadBool("Setting", "LogTN", false);
  v.LogTT = file.ReadBool("Setting", "LogTT", false);
  v.AspectLines = file.ReadBool("Wheel", "AspectLines", false);
  v.Annotate = file.ReadBool("Wheel", "Annotate", false);
  v.AnnotateMin = file.ReadBool("Wheel", "AnnotateMin", false);
  v.Icon = file.ReadBool("VOC", "Icon", true);
  v.DoColor = file.ReadBool("VOC", "DoColor", false);
  v.Do30 = file.ReadBool("VOC", "Do30", true);
  v.Zodiac = Choice(file.ReadInteger("Setting", "Zodiac", 0), 1);
  return v;
}

void SaveOptions(IniFile& file, const OptionsValues& d, Settings& inMemory) {
  file.WriteInteger("Setting", "Glyphs", d.Glyphs);
  file.WriteInteger("Setting", "Houses", d.Houses);
  file.WriteInteger("Setting", "Cusps", d.Cusps);
  file.WriteInteger("Setting", "Size", d.Size);
  file.WriteString("Setting", "Color", std::to_string(d.Color));

  file.WriteInteger("Place", "LatD", d.LatD);
  file.WriteInteger("Place", "LatM", d.LatM);
  file.WriteInteger("Place", "LongM", d.LongM);
  file.WriteInteger("Place", "LongD", d.LongD);
  file.WriteInteger("Place", "NS", d.North ? 1 : 0);
  file.WriteInteger("Place", "EW", d.West ? 1 : 0);

  WritePointFlags(file, "Show", d.Show, kShownPlanetCount);
  WritePointFlags(file, "AspectTo", d.AspectTo, kPointCount);
  WritePointFlags(file, "DoLine", d.DoLine, kPointCount);
  WritePointFlags(file, "AspectFrom", d.AspectFrom, kPointCount);
  for (int k = 0; k < kAspectKindCount; ++k) {
    file.WriteBool("UseAspects", kAspectKinds[k].useKeyOut, d.UseAspects[k]);
  }

  file.WriteInteger("Custom", "Degree", d.Degree);
  file.WriteInteger("Custom", "Minute", d.Minute);
  file.WriteInteger("Custom", "Aspect", d.Aspect);
  file.WriteInteger("Custom", "MinuteN", d.MinuteN);
  file.WriteInteger("Custom", "DegreeN", d.DegreeN);

  // Line colours and styles change in memory as the user picks them; they are saved from there.
  for (int k = 0; k < kAspectKindCount; ++k) {
    file.WriteInteger("Wheel", "ALC" + std::string(kAspectKinds[k].lineKeyOut),
                      inMemory.LineColor[k]);
  }
  for (int k = 0; k < kAspectKindCount; ++k) {
    file.WriteInteger("Wheel", "ALS" + std::string(kAspectKinds[k].lineKeyOut),
                      static_cast<std::int32_t>(inMemory.LineStyle[k]));
  }
  file.WriteBool("Wheel", "AspectLines", d.AspectLines);
  file.WriteBool("Wheel", "Annotate", d.Annotate);
  file.WriteBool("Wheel", "AnnotateMin", d.AnnotateMin);

  file.WriteBool("VOC", "Icon", d.Icon);
  file.WriteBool("VOC", "DoColor", d.DoColor);
  file.WriteInteger("VOC", "Color", d.VOCColor);

  for (int p = 1; p <= kPointCount; ++p) {
    file.WriteString("Natal", "Planet" + std::to_string(p), FormatNatalReal(inMemory.NatalPos[p]));
  }

  file.WriteBool("Show", "Text", d.Text);
  file.WriteBool("UseAspects", "Duplicates", d.Duplicates);
  file.WriteBool("Setting", "LogTT", d.LogTT);
  file.WriteBool("Setting", "LogTN", d.LogTN);
  file.WriteInteger("Setting", "Zodiac", d.Zodiac);
  inMemory.TextMode = d.Text;
  inMemory.Duplicates = d.Duplicates;
  inMemory.SiderealZodiac = static_cast<std::int16_t>(d.Zodiac);

  file.WriteInteger("Show", "Heliocentric", d.HelioCentric);
  file.WriteBool("Place", "Summer", d.Summer);
  file.WriteBool("VOC", "Do30", d.Do30);
  inMemory.HelioMode = d.HelioCentric;
}

void SaveGeometry(IniFile& file, const WindowGeometry& clock, const WindowGeometry& transitsToNatal,
                  const WindowGeometry& transitsToTransits) {
  WriteGeometry(file, "Show", clock);
  WriteGeometry(file, "ATN", transitsToNatal);
  WriteGeometry(file, "ATT", transitsToTransits);
}
