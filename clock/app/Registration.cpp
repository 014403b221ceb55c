#include "Registration.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

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

std::filesystem::path HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
  if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
    return user->pw_dir;
  }
  return "/";
}

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

std::filesystem::path ActivationDirectory() {
  std::filesystem::path data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    data = xdg;
  } else {
    data = HomeDirectory() / ".local" / "share";
  }
  return data / "dbus-1" / "services";
}

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

void WriteActivationFile(const std::filesystem::path& programPath) {
  const std::string text = ActivationFileText(programPath);
  const std::filesystem::path file = ActivationFile();
  const std::filesystem::path folder = file.parent_path();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    throw RegistrationError("Unable to create " + folder.string() + ": " + ec.message());
  }
  // The bus reads only names ending in ".service", so it never sees the unfinished file.
  std::string temporary = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) throw RegistrationError("Unable to write to " + file.string() + ": " + Reason(errno));
  const auto fail = [&](int error) {
    ::close(fd);
    ::unlink(temporary.c_str());
    throw RegistrationError("Unable to write to " + file.string() + ": " + Reason(error));
  };
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    written += static_cast<std::size_t>(n);
  }
  if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    throw RegistrationError("Unable to write to " + file.string() + ": " + Reason(error));
  }
  if (::rename(temporary.c_str(), file.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    throw RegistrationError("Unable to write to " + file.string() + ": " + Reason(error));
  }
}

void RemoveActivationFile() {
  const std::filesystem::path file = ActivationFile();
  if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
    throw RegistrationError("Unable to remove " + file.string() + ": " + Reason(errno));
  }
}

std::filesystem::path ProgramPath() {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : path;
}
