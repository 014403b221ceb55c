// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a hand-edited helidial.ini, through parsing, loading, an
// in-place update and the value conversions, then through the writers on a real file: single
// writes, the Exit command's SaveGeometry and the dialog's SaveOptions. Any crash, sanitizer
// report or broken invariant (abort) is a finding.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsWriters.h"

namespace fs = std::filesystem;

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

// A private folder for this process's files: under $HELIODIAL_FUZZ_DIR, which scripts/fuzz.sh
// makes and removes, or else under /dev/shm or /tmp, removed at exit. Writes are flushed to
// disk, so a memory file system keeps the fuzzer fast.
const fs::path& ScratchDir() {
  // Never destroyed, so the removal at exit still has it.
  static const fs::path* const dir = [] {
    const char* given = std::getenv("HELIODIAL_FUZZ_DIR");
    const fs::path base = given != nullptr && given[0] != '\0' ? fs::path(given)
                          : fs::is_directory("/dev/shm")       ? fs::path("/dev/shm")
                                                               : fs::temp_directory_path();
    auto* mine = new fs::path(base / ("settings-fuzz-" + std::to_string(::getpid())));
    fs::create_directories(*mine);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(ScratchDir(), ec);
    });
    return mine;
  }();
  return *dir;
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// A UTF-16 byte-order mark: the settings file refuses such text rather than misread it.
bool Utf16(std::string_view text) {
  return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

void Store(const fs::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), text.size());
}

std::string Folded(std::string_view name) {
  const auto blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
  };
  while (!name.empty() && blank(name.front())) name.remove_prefix(1);
  while (!name.empty() && blank(name.back())) name.remove_suffix(1);
  std::string out(name);
  for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return out;
}

using Names = std::vector<std::pair<std::string, std::string>>;

// (section, key) pairs the text may hold, by a split much simpler than the parser's. It does
// not have to agree with the parser: the invariants below hold for any pair of names.
Names CandidateKeys(std::string_view text) {
  Names names;
  std::string section;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.find('\r'));
    const std::string_view line = text.substr(0, end);
    const std::size_t open = line.find('[');
    const std::size_t close = line.find(']', open == std::string_view::npos ? 0 : open);
    if (open != std::string_view::npos && close != std::string_view::npos) {
      section = line.substr(open + 1, close - open - 1);
    } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
      names.emplace_back(section, line.substr(0, eq));
    }
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return names;
}

bool Contains(const Names& written, const std::pair<std::string, std::string>& name) {
  const std::string section = Folded(name.first);
  const std::string key = Folded(name.second);
  return std::any_of(written.begin(), written.end(), [&](const auto& w) {
    return Folded(w.first) == section && Folded(w.second) == key;
  });
}

// After writes of the keys in `written`: the file still reads and every other key reads as
// before.
IniDocument CheckOthersKept(const IniFile& file, const IniDocument& before, const Names& candidates,
                            const Names& written) {
  IniDocument after = file.Read();
  Require(IniDocument::Parse(after.Serialize()).Serialize() == after.Serialize());
  for (const auto& name : candidates) {
    if (Contains(written, name)) continue;
    Require(after.Find(name.first, name.second) == before.Find(name.first, name.second));
  }
  return after;
}

// What a read returns for a value that was written.
std::string AsRead(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::size_t first = out.find_first_not_of(" \t\r\v\f");
  if (first == std::string::npos) return {};
  out = out.substr(first, out.find_last_not_of(" \t\r\v\f") - first + 1);
  return out.substr(0, kIniValueLimit);
}

// A few single writes with names taken from the text itself (some cannot be stored and must be
// refused without touching the file), each checked against the same change made in memory to
// the file as it is, which may have been changed since this object's last write.
void FuzzSingleWrites(IniFile& file, std::string_view text, const Names& candidates) {
  for (std::size_t round = 0; round < 3; ++round) {
    std::pair<std::string, std::string> name{"Show", "Top"};
    if (!candidates.empty()) name = candidates[(text.size() * 31 + round * 7) % candidates.size()];
    const std::string value(text.substr((round * 13) % (text.size() + 1), 40));
    std::string before = Contents(file.Path());
    if (round > 0 && !before.empty() && text.size() > round && text[round] % 2 != 0) {
      // Another program changes the file between two writes of this object, size kept.
      before[text.size() * round % before.size()] ^= 1;
      Store(file.Path(), before);
    }
    if (Utf16(before)) {
      // A file that turned into UTF-16 text is refused whole, and left as it is.
      bool refused = false;
      try {
        file.WriteString(name.first, name.second, value);
      } catch (const IniWriteError&) {
        refused = true;
      } catch (const std::invalid_argument&) {
        refused = true;  // a name that cannot be stored is refused before the file is read
      }
      Require(refused && Contents(file.Path()) == before);
      return;
    }
    IniDocument expected = IniDocument::Parse(before);
    try {
      expected.Set(name.first, name.second, value);
    } catch (const std::invalid_argument&) {
      bool refused = false;
      try {
        file.WriteString(name.first, name.second, value);
      } catch (const std::invalid_argument&) {
        refused = true;
      }
      Require(refused && Contents(file.Path()) == before);
      continue;
    }
    file.WriteString(name.first, name.second, value);
    Require(Contents(file.Path()) == expected.Serialize());
    const IniDocument after = CheckOthersKept(file, IniDocument::Parse(before), candidates, {name});
    Require(after.Find(name.first, name.second) == AsRead(value));
  }
}

std::int32_t Int32At(std::string_view text, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t k = at + i;
    value = value << 8 | (k < text.size() ? static_cast<unsigned char>(text[k]) : 0u);
  }
  return static_cast<std::int32_t>(value);
}

void FuzzSaveGeometry(IniFile& file, std::string_view text, const Names& candidates) {
  const WindowGeometry windows[3] = {
      {Int32At(text, 0), Int32At(text, 4), Int32At(text, 8), Int32At(text, 12)},
      {Int32At(text, 16), Int32At(text, 20), Int32At(text, 24), Int32At(text, 28)},
      {Int32At(text, 32), Int32At(text, 36), Int32At(text, 40), Int32At(text, 44)}};
  const IniDocument before = file.Read();
  SaveGeometry(file, windows[0], windows[1], windows[2]);
  const char* sections[3] = {"Show", "ATN", "ATT"};
  Names written;
  for (const char* section : sections) {
    for (const char* key : {"Top", "Left", "Height", "Width"}) written.emplace_back(section, key);
  }
  const IniDocument after = CheckOthersKept(file, before, candidates, written);
  for (int w = 0; w < 3; ++w) {
    const WindowGeometry& g = windows[w];
    Require(after.ReadInteger(sections[w], "Top", ~g.Top) == g.Top);
    Require(after.ReadInteger(sections[w], "Left", ~g.Left) == g.Left);
    Require(after.ReadInteger(sections[w], "Height", ~g.Height) == g.Height);
    Require(after.ReadInteger(sections[w], "Width", ~g.Width) == g.Width);
  }
}

// The dialog's OK with what the dialog would show for this file. The same OK on an empty file
// tells which keys it writes and what they must read back as.
void FuzzSaveOptions(IniFile& file, const Names& candidates, int wheelWidth, int bias) {
  const IniDocument before = file.Read();
  Settings memory;
  LoadSettings(before, memory, wheelWidth, bias);
  const OptionsValues dialog = ReadOptionsValues(before, memory);

  const fs::path referencePath = ScratchDir() / "reference.ini";
  fs::remove(referencePath);
  IniFile reference(referencePath);
  Settings referenceMemory = memory;
  SaveOptions(reference, dialog, referenceMemory);
  const IniDocument expected = reference.Read();
  const Names written = CandidateKeys(expected.Serialize());

  SaveOptions(file, dialog, memory);
  Require(memory == referenceMemory);
  const IniDocument after = CheckOthersKept(file, before, candidates, written);
  for (const auto& name : written) {
    Require(after.Find(name.first, name.second) == expected.Find(name.first, name.second));
  }
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

  // The writers on the text as a file. Small inputs only: the writers' cost grows with the file
  // and a large input teaches the fuzzer nothing the small ones do not.
  if (size > 64 * 1024) return 0;
  const fs::path path = ScratchDir() / "helidial.ini";
  Store(path, text);
  IniFile file(path);
  const Names candidates = CandidateKeys(text);
  FuzzSingleWrites(file, text, candidates);
  if (Utf16(Contents(path))) return 0;  // refused by every writer, as FuzzSingleWrites checked
  FuzzSaveGeometry(file, text, candidates);
  // The dialog's OK is about 130 writes, twice with its reference run: one input in sixteen is
  // enough to explore it.
  if (std::hash<std::string_view>{}(text) % 16 == 0) {
    FuzzSaveOptions(file, candidates, wheelWidth, bias);
  }
  return 0;
}
