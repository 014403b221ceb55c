// libFuzzer target: arbitrary bytes as a hand-edited helidial.ini, through parsing, loading, an
// in-place update and the value conversions. Any crash, sanitizer report or broken invariant
// (abort) is a finding.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckLoaded(const Settings& s) {
  Require(s.HouseCode <= HouseSystem::Equal && s.HouseCode != HouseSystem::Campanus);
  Require(s.Size <= 1000 && s.GlyphSize >= 1);
  Require(std::isfinite(s.ZoneOffset) && std::fabs(s.ZoneOffset) <= 24.0);
  Require(!s.Show[0] && !s.Show[13] && !s.Show[14]);
  for (const WindowGeometry& g : {s.ClockGeometry, s.ATNGeometry, s.ATTGeometry}) {
    Require(g.Height >= 1 && g.Height <= 16384 && g.Width >= 1 && g.Width <= 16384);
  }
  for (int p = 1; p <= kPointCount; ++p) Require(s.NatalPos[p] >= 0.0 && s.NatalPos[p] < 360.0);
  Require(std::isfinite(s.TransitOrb) && std::isfinite(s.NatalOrb));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  IniDocument doc = IniDocument::Parse(text);
  Require(doc.Serialize() == text);  // an unchanged document is the file byte for byte

  const int wheelWidth = static_cast<int>(size * 7 % 5000);
  const int bias = static_cast<int>(size % 1500) - 750;
  Settings settings;
  LoadSettings(doc, settings, wheelWidth, bias);
  CheckLoaded(settings);

  // A write must read back and survive a round trip through text.
  doc.Set("Setting", "Houses", "2");
  doc.Set("Natal", "Planet3", FormatNatalReal(123.5));
  const IniDocument again = IniDocument::Parse(doc.Serialize());
  Require(again.ReadInteger("setting", "HOUSES", -1) == 2);
  Settings reloaded;
  LoadSettings(again, reloaded, wheelWidth, bias);
  CheckLoaded(reloaded);
  Require(reloaded.HouseCode == HouseSystem::Equal && reloaded.NatalPos[3] == 123.5);

  // The value conversions on the raw bytes.
  (void)ParseIniInteger(text);
  (void)ParseLenientInteger(text);
  const double real = ParseLenientReal(text);
  Require(std::isfinite(real));
  const std::string formatted = FormatNatalReal(real);
  Require(formatted.size() == 23);
  const double back = ParseLenientReal(formatted);
  Require(std::fabs(back - real) <= std::fabs(real) * 1e-14 + 1e-300);  // subnormals lose digits
  return 0;
}
