// SPDX-License-Identifier: GPL-3.0-or-later
#include "Registration.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

#include "settings/AtomicFile.h"
#include "settings/XdgPaths.h"

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    const auto lower = [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return lower(x) == lower(y);
  });
}

// The switch an argument names, if it is one of ours.
bool IsSwitch(std::string_view argument, std::string_view name) {
  if (argument.size() < 2 || (argument.front() != '/' && argument.front() != '-')) return false;
  return EqualsIgnoringCase(argument.substr(1), name);
}

std::string Reason(int error) { return std::generic_category().message(error); }

// Characters the bus's Exec parsing takes literally outside quotes.
bool NeedsNoQuotes(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("/._+-,:@%=", c) != nullptr;
}

}  // namespace

StartAction ParseStartSwitches(std::span<const std::string_view> arguments) {
  StartAction action = StartAction::Run;
  for (const std::string_view argument : arguments) {
    if (IsSwitch(argument, "UNREGSERVER")) return StartAction::Unregister;
    if (IsSwitch(argument, "REGSERVER")) {
      action = StartAction::Register;
    } else if ((IsSwitch(argument, "AUTOMATION") || IsSwitch(argument, "EMBEDDING")) &&
               action == StartAction::Run) {
      action = StartAction::RunForClient;
    }
  }
  return action;
}

std::filesystem::path ActivationDirectory() { return DataHome() / "dbus-1" / "services"; }

std::filesystem::path ActivationFile() {
  return ActivationDirectory() / (std::string(kScriptBusName) + ".service");
}

std::string ActivationFileText(const std::filesystem::path& programPath) {
  const std::string path = programPath.string();
  if (path.empty()) {
    throw RegistrationError("The program cannot find its own path to write into " +
                            ActivationFile().string() + ".");
  }
  if (path.find_first_of("\r\n") != std::string::npos) {
    throw RegistrationError("The program's path \"" + path +
                            "\" holds a line break, which an activation file cannot carry; "
                            "move the program to a folder without one.");
  }
  std::string exec;
  if (std::ranges::all_of(path, NeedsNoQuotes)) {
    exec = path;
  } else {
    // Single quotes keep everything literal; a quote itself closes, is escaped, and reopens.
    exec = "'";
    for (const char c : path) exec += c == '\'' ? std::string("'\\''") : std::string(1, c);
    exec += "'";
  }
  // The file's own layer reads a backslash as the start of an escape: write it doubled.
  std::string value;
  for (const char c : exec) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return "[D-BUS Service]\nName=" + std::string(kScriptBusName) + "\nExec=" + value +
         " -Automation\n";
}

namespace {

void WriteWithFolder(const std::filesystem::path& file, const std::string& text) {
  const std::filesystem::path folder = file.parent_path();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    throw RegistrationError("Unable to create " + folder.string() + ": " + ec.message());
  }
  // The bus and the desktop read only names ending in ".service" or ".desktop", so neither
  // sees the unfinished temporary file.
  try {
    WriteFileAtomically(file, text);
  } catch (const AtomicWriteError& e) {
    throw RegistrationError(e.what());
  }
}

void Remove(const std::filesystem::path& file) {
  if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
    throw RegistrationError("Unable to remove " + file.string() + ": " + Reason(errno));
  }
}

}  // namespace

void WriteActivationFile(const std::filesystem::path& programPath) {
  WriteWithFolder(ActivationFile(), ActivationFileText(programPath));
}

void RemoveActivationFile() { Remove(ActivationFile()); }

std::filesystem::path AutostartFile() { return ConfigHome() / "autostart" / "heliodial.desktop"; }

std::string AutostartEntryText(const std::filesystem::path& programPath) {
  const std::string path = programPath.string();
  if (path.empty() || path.find_first_of("\r\n") != std::string::npos) {
    throw RegistrationError("The program's path \"" + path + "\" cannot be written into " +
                            AutostartFile().string() +
                            "; move the program to a folder without a line break.");
  }
  // An Exec argument with a reserved character is double-quoted, with ", `, $ and \ escaped;
  // a field code's % is doubled; then the file's own layer doubles every backslash.
  std::string exec;
  if (std::ranges::all_of(path, NeedsNoQuotes)) {
    exec = path;
  } else {
    exec = "\"";
    for (const char c : path) {
      if (std::strchr("\"`$\\", c) != nullptr) exec += '\\';
      exec += c;
    }
    exec += "\"";
  }
  std::string value;
  for (const char c : exec) {
    value += c == '\\' ? std::string("\\\\") : c == '%' ? std::string("%%") : std::string(1, c);
  }
  return "[Desktop Entry]\nType=Application\nName=Heliodial\n"
         "Comment=The astrological clock, in the notification area\nExec=" +
         value + " --hidden\nIcon=heliodial\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
}

bool AutostartEnabled() {
  std::ifstream in(AutostartFile());
  if (!in) return false;
  // The desktop's own switch: a user who turned the entry off in the session settings.
  for (std::string line; std::getline(in, line);) {
    if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return false;
  }
  return true;
}

void WriteAutostartEntry(const std::filesystem::path& programPath) {
  WriteWithFolder(AutostartFile(), AutostartEntryText(programPath));
}

void RemoveAutostartEntry() { Remove(AutostartFile()); }

std::filesystem::path ProgramPath() {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : path;
}
