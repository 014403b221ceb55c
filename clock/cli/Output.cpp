#include "cli/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string reason(int error) { return std::strerror(error); }

std::string writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return reason(errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

}  // namespace

std::string WriteFileReplacing(const std::string& path, std::string_view bytes) {
  const std::size_t slash = path.rfind('/');
  // Beside the target, so that the rename stays on one file system.
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string temporary = folder + ".heliodial-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return reason(errno);
  std::string failure = writeAll(fd, bytes);
  if (failure.empty() && ::fsync(fd) != 0) failure = reason(errno);
  // A new picture gets the permissions a newly created file would have.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::close(fd) != 0 && failure.empty()) failure = reason(errno);
  if (failure.empty() && ::rename(temporary.c_str(), path.c_str()) != 0) failure = reason(errno);
  if (!failure.empty()) ::unlink(temporary.c_str());
  return failure;
}

std::string WriteStandardOutput(std::string_view bytes) {
  if (bytes.empty()) return {};
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) return reason(errno);
  return {};
}

std::string CloseStandardOutput() {
  if (std::fflush(stdout) != 0) return reason(errno);
  if (std::ferror(stdout)) return reason(EIO);
  if (std::fclose(stdout) != 0) return reason(errno);
  return {};
}
