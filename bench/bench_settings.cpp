// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file service under the loads users give it: the dialog's OK (about 134 durable
// key writes) on a small settings file and on one of a megabyte, parsing such a file, and the
// memory a pathological document of 50 MB of blank lines costs the parser.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsWriters.h"

namespace fs = std::filesystem;

namespace {

// A private folder under /tmp for one benchmark, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/heliodial-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& Path() const { return dir_; }

 private:
  fs::path dir_;
};

// What one OK writes to an empty file: every section and key the clock keeps.
std::string SmallSettingsText() {
  ScratchDir dir;
  IniFile file(dir.Path() / "helidial.ini");
  Settings memory;
  SaveOptions(file, ReadOptionsValues(IniDocument(), memory), memory);
  SaveGeometry(file, memory.ClockGeometry, memory.ATNGeometry, memory.ATTGeometry);
  return file.Read().Serialize();
}

// A hand-kept settings file of about `bytes`: the clock's own keys with a large section of
// the user's notes between them, so writes land before, inside and after the bulk of the text.
std::string LargeSettingsText(std::size_t bytes) {
  const std::string small = SmallSettingsText();
  const std::size_t half = small.find("\n[", small.size() / 2);
  std::string text = small.substr(0, half + 1);
  text += "\n; notes kept by hand\n[Notes]\n";
  for (int i = 0; text.size() < bytes; ++i) {
    text += "Entry" + std::to_string(i) + " = observed the Moon void of course, see log page " +
            std::to_string(i * 7) + "\n";
    if (i % 50 == 0) text += "; ----\n\n";
  }
  text += small.substr(half + 1);
  return text;
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The same settings with every value the dialog writes changed: flags flipped, numbers moved.
std::string EveryValueChanged(const std::string& text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos && line.front() != ';' && line.front() != '[') {
      const std::string value = line.substr(eq + 1);
      const bool natal = line.rfind("Planet", 0) == 0;
      const bool number =
          !value.empty() && value.find_first_not_of("-0123456789") == std::string::npos;
      const std::string changed = natal          ? FormatNatalReal(std::stod(value) + 10.5)
                                  : value == "0" ? "1"
                                  : value == "1" ? "0"
                                  : number       ? std::to_string(std::stol(value) - 1)
                                                 : value;  // the user's own keys stay
      line = line.substr(0, eq + 1) + changed;
    }
    out += line + (end < text.size() ? "\n" : "");
    at = end + 1;
  }
  return out;
}

// One dialog OK. Typically the user changed one or two settings and the rest is written back
// as it was; at worst every value changes. Both OKs are timed, on a file as one OK writes it
// and on a hand-kept file of a megabyte.
void BM_SaveOptions(benchmark::State& state) {
  ScratchDir dir;
  const fs::path path = dir.Path() / "helidial.ini";
  const std::string text = state.range(0) == 0
                               ? SmallSettingsText()
                               : LargeSettingsText(static_cast<std::size_t>(state.range(0)));
  const bool everyValue = state.range(1) != 0;
  WriteFile(path, text);
  IniFile file(path);
  Settings memory[2];
  OptionsValues dialog[2];
  const IniDocument docs[2] = {IniDocument::Parse(text),
                               IniDocument::Parse(EveryValueChanged(text))};
  for (int i = 0; i < 2; ++i) {
    LoadSettings(docs[i], memory[i], 576, 0);
    dialog[i] = ReadOptionsValues(docs[i], memory[i]);
  }
  int run = 0;
  for (auto _ : state) {
    const int which = everyValue ? (++run & 1) : 0;
    if (!everyValue) dialog[0].LatD = (dialog[0].LatD + 1) % 90;
    SaveOptions(file, dialog[which], memory[which]);
  }
  state.counters["file_KB"] = static_cast<double>(text.size()) / 1024.0;
}
BENCHMARK(BM_SaveOptions)
    ->ArgNames({"bytes", "every_value"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1 << 20, 0})
    ->Args({1 << 20, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

// Parsing a megabyte of settings text, as every read of such a file does.
void BM_ParseLarge(benchmark::State& state) {
  const std::string text = LargeSettingsText(1 << 20);
  for (auto _ : state) {
    IniDocument doc = IniDocument::Parse(text);
    benchmark::DoNotOptimize(doc);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseLarge)->Unit(benchmark::kMillisecond);

// Peak resident memory of parsing 50 MB of blank lines and writing them back, measured in a
// child process so the figure is this work's alone. Reported as the child's peak, in MB, and
// as that peak over the size of the text.
void BM_ParseBlankLinesPeakMemory(benchmark::State& state) {
  constexpr std::size_t kBytes = 50u << 20;
  double peakMB = 0;
  for (auto _ : state) {
    const pid_t child = ::fork();
    if (child == 0) {
      const std::string text(kBytes, '\n');
      const IniDocument doc = IniDocument::Parse(text);
      const bool same = doc.Serialize().size() == text.size();
      ::_exit(same ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
      state.SkipWithError("the parsing child failed");
      return;
    }
    peakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in kilobytes
  }
  state.counters["peak_MB"] = peakMB;
  state.counters["peak_per_text"] = peakMB / 50.0;
}
BENCHMARK(BM_ParseBlankLinesPeakMemory)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
