// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/XdgPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

bool IsAbsolute(const char* value) { return value != nullptr && value[0] == '/'; }

fs::path FromVariable(const char* name, const fs::path& underHome) {
  if (const char* value = std::getenv(name); IsAbsolute(value)) return value;
  return HomeFolder() / underHome;
}

}  // namespace

fs::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); IsAbsolute(home)) return home;
  if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && IsAbsolute(user->pw_dir)) {
    return user->pw_dir;
  }
  return "/";
}

fs::path ConfigHome() { return FromVariable("XDG_CONFIG_HOME", ".config"); }

fs::path DataHome() { return FromVariable("XDG_DATA_HOME", fs::path(".local") / "share"); }
