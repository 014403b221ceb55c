// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers: a private, real configuration folder per test, a file-size limit that even
// root cannot write past, and a child process to run what may hang or die.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

class TempConfig {
 public:
  // `base` is where the folder is made: /tmp, or a memory file system for tests that flush many
  // writes and are not about the disk.
  explicit TempConfig(const std::string& base = "/tmp") {
    std::string pattern = base + "/heliodial-settings-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  ~TempConfig() {
    if (saved_) {
      ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TempConfig(const TempConfig&) = delete;
  TempConfig& operator=(const TempConfig&) = delete;

  const std::filesystem::path& Dir() const { return dir_; }
  std::filesystem::path IniPath() const { return dir_ / "helidial.ini"; }

  void Write(const std::string& contents) const {
    std::ofstream(IniPath(), std::ios::binary) << contents;
  }
  std::string Contents() const {
    std::ifstream in(IniPath(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  // Names in the folder other than the settings file and its lock file: what a write left over.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name != "helidial.ini" && name != ".helidial.ini.lock") names.push_back(name);
    }
    return names;
  }

 private:
  std::filesystem::path dir_;
  std::optional<std::string> saved_;
};

// Writes beyond `bytes` fail with EFBIG while this lives (SIGXFSZ ignored so the process lives).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*savedHandler_)(int) = SIG_DFL;
};

// How a child process ended: its message ("" when all went well), or the signal that killed it.
struct ChildOutcome {
  std::string message;
  int signal = 0;
};

// Runs `body` in a forked child and returns what it reported. A child still running after
// `watchdogSeconds` is killed by SIGALRM, so a hang becomes a failure instead of a stuck suite.
inline ChildOutcome RunInChild(const std::function<std::string()>& body,
                               unsigned watchdogSeconds = 60) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::close(channel[0]);
    ::alarm(watchdogSeconds);
    std::string message;
    try {
      message = body();
    } catch (const std::exception& e) {
      message = std::string("threw: ") + e.what();
    }
    if (::write(channel[1], message.data(), message.size()) < 0) ::_exit(2);
    ::_exit(0);
  }
  ::close(channel[1]);
  ChildOutcome outcome;
  char buffer[512];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
    if (n > 0) outcome.message.append(buffer, static_cast<std::size_t>(n));
    if (n < 0 && errno != EINTR) break;
  }
  ::close(channel[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) outcome.message += " (child failed)";
  return outcome;
}
