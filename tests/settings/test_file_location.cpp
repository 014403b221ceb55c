// SPDX-License-Identifier: GPL-3.0-or-later
// Where helidial.ini lives: in $XDG_CONFIG_HOME when that is an absolute path, else in
// $HOME/.config. The base-directory rules say a relative value is invalid and is to be ignored, so
// a clock started from another folder still finds the same file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "settings/IniFile.h"
#include "settings/temp_config.h"

namespace fs = std::filesystem;

namespace {

// Sets (or, with nullopt, removes) one environment variable and puts it back when it ends.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(saved_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name_, value->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(SettingsFileLocation, OnlyAnAbsoluteConfigHomeIsUsed) {
  TempConfig scratch;  // a private folder to stand in for the home folder
  const fs::path home = scratch.Dir() / "home";
  const struct {
    const char* name;
    std::optional<std::string> configHome;
    fs::path expected;
  } rows[] = {
      {"unset", std::nullopt, home / ".config" / "helidial.ini"},
      {"empty counts as unset", std::string(), home / ".config" / "helidial.ini"},
      {"relative is ignored", std::string("relative/config"), home / ".config" / "helidial.ini"},
      {"dot-relative is ignored", std::string("./config"), home / ".config" / "helidial.ini"},
      {"absolute is used", std::string("/srv/cfg"), fs::path("/srv/cfg") / "helidial.ini"},
  };
  const ScopedEnv homeVariable("HOME", home.string());
  for (const auto& r : rows) {
    const ScopedEnv configHome("XDG_CONFIG_HOME", r.configHome);
    EXPECT_EQ(IniFile::DefaultPath(), r.expected) << r.name;
    EXPECT_EQ(IniFile().Path(), r.expected) << r.name;
  }
}

TEST(SettingsFileLocation, ARelativeConfigHomeWritesUnderTheHomeFolder) {
  TempConfig scratch;
  const fs::path home = scratch.Dir() / "home";
  const fs::path work = scratch.Dir() / "work";
  fs::create_directories(work);
  const fs::path previous = fs::current_path();
  fs::current_path(work);  // a relative folder would land here
  {
    const ScopedEnv homeVariable("HOME", home.string());
    const ScopedEnv configHome("XDG_CONFIG_HOME", std::string("cfg"));
    IniFile file;
    file.WriteInteger("Place", "LatD", 51);
  }
  fs::current_path(previous);
  EXPECT_TRUE(fs::exists(home / ".config" / "helidial.ini"));
  EXPECT_FALSE(fs::exists(work / "cfg"));
}

}  // namespace
