// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string SystemMessage(int error) { return std::generic_category().message(error); }

fs::path FolderOf(const fs::path& target) {
  fs::path dir = target.parent_path();
  return dir.empty() ? fs::path(".") : dir;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string TemporaryPrefix(const std::string& name) { return "." + name + ".tmp-"; }

// A fresh temporary file beside the target, so the final rename stays on one file system.
// Created 0666 so the umask gives it what a new file would have.
int CreateTemporary(const fs::path& dir, const std::string& name, fs::path& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = dir / (TemporaryPrefix(name) + std::to_string(::getpid()) + "-" +
                       std::to_string(counter.fetch_add(1)));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool IsTemporaryName(std::string_view entry, const std::string& prefix) {
  if (entry.substr(0, prefix.size()) != prefix) return false;
  entry.remove_prefix(prefix.size());
  const std::size_t dash = entry.find('-');
  auto digits = [](std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return dash != std::string_view::npos && digits(entry.substr(0, dash)) &&
         digits(entry.substr(dash + 1));
}

void SyncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // the rename is done; failing to persist the entry is not worth an error
  ::close(fd);
}

}  // namespace

AtomicWriteError::AtomicWriteError(const fs::path& path, const std::string& reason)
    : std::runtime_error("Unable to write to " + path.string() + ": " + reason), reason_(reason) {}

fs::path AtomicWriteTarget(const fs::path& path) {
  fs::path target = path;
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return target;  // the folder part fails later
      throw AtomicWriteError(path, SystemMessage(errno));
    }
    if (!S_ISLNK(st.st_mode)) return target;
    if (hops == 40) throw AtomicWriteError(path, SystemMessage(ELOOP));  // the kernel's own limit
    std::error_code ec;
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) throw AtomicWriteError(path, ec.message());
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
}

FileIdentity ReplaceFileAtomically(const fs::path& target, std::string_view contents,
                                   std::optional<mode_t> mode, const fs::path& reported) {
  fs::path temporary;
  const fs::path dir = FolderOf(target);
  const int fd = CreateTemporary(dir, target.filename().string(), temporary);
  if (fd < 0) throw AtomicWriteError(reported, SystemMessage(errno));
  int error = 0;
  struct stat st {};
  if (mode && ::fchmod(fd, *mode) != 0) error = errno;
  if (error == 0 && !WriteAll(fd, contents)) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (error == 0 && ::fstat(fd, &st) != 0) error = errno;
  // A delayed write error shows up at the close.
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    throw AtomicWriteError(reported, SystemMessage(error));
  }
  SyncDirectory(dir);
  return {st.st_dev, st.st_ino};
}

FileIdentity WriteFileAtomically(const fs::path& path, std::string_view contents) {
  const fs::path target = AtomicWriteTarget(path);
  std::optional<mode_t> mode;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) throw AtomicWriteError(path, SystemMessage(EISDIR));
    mode = st.st_mode & 07777;
  }
  return ReplaceFileAtomically(target, contents, mode, path);
}

void SyncFileAndFolder(const fs::path& target, const fs::path& reported) {
  const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) throw AtomicWriteError(reported, SystemMessage(errno));
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  if (!synced) throw AtomicWriteError(reported, SystemMessage(error));
  SyncDirectory(FolderOf(target));
}

void RemoveStaleTemporaries(const fs::path& dir, const std::string& name) {
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return;
  const std::string prefix = TemporaryPrefix(name);
  while (const dirent* entry = ::readdir(listing)) {
    if (IsTemporaryName(entry->d_name, prefix)) ::unlinkat(::dirfd(listing), entry->d_name, 0);
  }
  ::closedir(listing);
}
