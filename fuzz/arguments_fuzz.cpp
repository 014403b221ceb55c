// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as heliodial-chart's command line (split into arguments at
// NUL bytes). Every input must either be refused with one line for standard error or give options
// within their documented ranges; a crash, a hang or a sanitizer report is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "wheel/WheelImage.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"heliodial-chart"};
  std::string word;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word += static_cast<char>(data[i]);
    }
  }
  words.push_back(word);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  try {
    const Options o = ParseCommandLine(static_cast<int>(words.size()), argv.data());
    Require(o.size >= kMinWheelSize && o.size <= kMaxWheelSize);
    if (!o.wheel.empty()) Require(PictureFormatOf(o.wheelShown).has_value());
    if (o.atDate) Require(o.atDate->isValid() && o.atTime.isValid());
    if (o.orb) {
      Require(o.orb->degrees >= 0 && o.orb->degrees <= kScanOrbMaxDegrees);
      Require(o.orb->minutes >= 0 && o.orb->minutes <= kScanOrbMaxMinutes);
    }
    Require((o.action == Options::Action::Scan) ==
            (o.scan.isValid() && o.action != Options::Action::Help &&
             o.action != Options::Action::Version));
  } catch (const ArgumentError& e) {
    const std::string message = e.what();
    Require(!message.empty() && message.find('\n') == std::string::npos);
  }
  return 0;
}
