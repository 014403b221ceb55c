// SPDX-License-Identifier: LGPL-3.0-or-later
// The library's two file-system utilities: a directory test and a copy that expands SZDD files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "internal.h"

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// SZDD: magic, method 'A', the file name's last character, uncompressed size (LE), LZSS data.
constexpr std::array<unsigned char, 8> kSzddMagic = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr std::size_t kSzddHeaderSize = 14;
constexpr unsigned char kSzddMethodLzss = 'A';
constexpr std::size_t kWindowSize = 4096;
constexpr std::size_t kWindowStart = 4078;  // window size minus the longest match (18)
constexpr unsigned char kWindowFill = ' ';

std::string systemText(int error) {
  return std::error_code(error, std::generic_category()).message();
}

[[noreturn]] void raiseIo(const std::string& action, const std::string& path, int error) {
  throw EphemIoError("CopyFile: cannot " + action + " '" + path + "': " + systemText(error));
}

// A file descriptor that closes itself; closing errors of a reader do not matter.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

class Reader {
 public:
  Reader(int fd, const std::string& path) : fd_(fd), path_(path), buffer_(kChunk) {}

  // Next byte, or -1 at the end of the file.
  int get() {
    if (pos_ == end_ && !fill()) return -1;
    return buffer_[pos_++];
  }

  // Up to `wanted` bytes into `out`; fewer only at the end of the file.
  std::size_t read(unsigned char* out, std::size_t wanted) {
    std::size_t got = 0;
    while (got < wanted) {
      if (pos_ == end_ && !fill()) break;
      const std::size_t n = std::min(wanted - got, end_ - pos_);
      std::memcpy(out + got, buffer_.data() + pos_, n);
      pos_ += n;
      got += n;
    }
    return got;
  }

 private:
  bool fill() {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) raiseIo("read", path_, errno);
      pos_ = 0;
      end_ = static_cast<std::size_t>(n);
      return n > 0;
    }
  }

  int fd_;
  const std::string& path_;
  std::vector<unsigned char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

class Writer {
 public:
  Writer(int fd, const std::string& path) : fd_(fd), path_(path) { buffer_.reserve(kChunk); }

  void put(unsigned char byte) {
    buffer_.push_back(byte);
    if (buffer_.size() == kChunk) flush();
  }

  void write(const unsigned char* data, std::size_t size) {
    flush();
    writeAll(data, size);
  }

  void flush() {
    writeAll(buffer_.data(), buffer_.size());
    buffer_.clear();
  }

 private:
  void writeAll(const unsigned char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) raiseIo("write", path_, errno);
      data += n;
      size -= static_cast<std::size_t>(n);
    }
  }

  int fd_;
  const std::string& path_;
  std::vector<unsigned char> buffer_;
};

// LZSS as SZDD stores it: a flag byte per eight items, set bits literal bytes, clear bits a
// 12-bit window position and a 4-bit length (plus 3) that may run into bytes it has just written.
void expandSzdd(Reader& in, Writer& out, uint32_t expectedSize, const std::string& sourcePath) {
  std::array<unsigned char, kWindowSize> window;
  window.fill(kWindowFill);
  std::size_t writePos = kWindowStart;
  uint64_t produced = 0;
  auto emit = [&](unsigned char byte) {
    window[writePos] = byte;
    writePos = (writePos + 1) & (kWindowSize - 1);
    if (produced < expectedSize) out.put(byte);
    ++produced;
  };
  for (int flags = in.get(); flags >= 0 && produced < expectedSize; flags = in.get()) {
    for (int bit = 0; bit < 8 && produced < expectedSize; ++bit) {
      if (flags & (1 << bit)) {
        const int literal = in.get();
        if (literal < 0) break;
        emit(static_cast<unsigned char>(literal));
      } else {
        const int low = in.get();
        const int high = in.get();
        if (low < 0 || high < 0) break;
        std::size_t matchPos =
            static_cast<std::size_t>(low) | (static_cast<std::size_t>(high & 0xF0) << 4);
        const int length = (high & 0x0F) + 3;
        for (int k = 0; k < length; ++k) {
          emit(window[matchPos]);
          matchPos = (matchPos + 1) & (kWindowSize - 1);
        }
      }
    }
  }
  out.flush();
  if (produced < expectedSize) {
    throw EphemIoError("CopyFile: the compressed file '" + sourcePath + "' ends after " +
                       std::to_string(produced) + " of its " + std::to_string(expectedSize) +
                       " bytes");
  }
}

// Copies or expands everything from `in` to `out`.
void transfer(Reader& in, Writer& out, const std::string& sourcePath) {
  std::array<unsigned char, kSzddHeaderSize> header;
  const std::size_t got = in.read(header.data(), header.size());
  const bool compressed = got == kSzddHeaderSize &&
                          std::memcmp(header.data(), kSzddMagic.data(), kSzddMagic.size()) == 0 &&
                          header[8] == kSzddMethodLzss;
  if (compressed) {
    const uint32_t size =
        static_cast<uint32_t>(header[10]) | static_cast<uint32_t>(header[11]) << 8 |
        static_cast<uint32_t>(header[12]) << 16 | static_cast<uint32_t>(header[13]) << 24;
    expandSzdd(in, out, size, sourcePath);
    return;
  }
  out.write(header.data(), got);
  std::vector<unsigned char> chunk(kChunk);
  for (std::size_t n; (n = in.read(chunk.data(), chunk.size())) > 0;) out.write(chunk.data(), n);
}

// What a non-regular file is, for the error text.
const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISLNK(mode)) return "a symbolic link";  // one put in place after the links were followed
  return "an unknown kind of file";
}

// Only regular files are copied from and replaced: a FIFO would block the copy or feed it
// forever, a device would be read without end or replaced by a plain file.
void requireRegular(const struct stat& info, const std::string& action, const std::string& path) {
  if (!S_ISREG(info.st_mode)) {
    throw EphemIoError("CopyFile: cannot " + action + " '" + path + "': it is " +
                       kindOf(info.st_mode) + ", not a regular file");
  }
}

// Where the copy finally lands: the end of Dest's chain of symbolic links, as a plain
// truncate-and-write would go, so that renaming the new file does not replace a link. The end
// need not exist: a dangling link gets its target created.
std::string finalPath(const std::string& dest) {
  std::string target = dest;
  for (int hops = 0;; ++hops) {
    struct stat info;
    if (::lstat(target.c_str(), &info) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return target;  // a missing folder fails later
      raiseIo("create the destination", dest, errno);
    }
    if (!S_ISLNK(info.st_mode)) return target;
    if (hops == 40) raiseIo("create the destination", dest, ELOOP);  // the kernel's own limit
    std::vector<char> text(PATH_MAX + 1);
    const ssize_t n = ::readlink(target.c_str(), text.data(), text.size());
    if (n < 0) raiseIo("create the destination", dest, errno);
    if (static_cast<std::size_t>(n) == text.size())
      raiseIo("create the destination", dest, ENAMETOOLONG);
    const std::string next(text.data(), static_cast<std::size_t>(n));
    // A relative link is read from the folder that holds it.
    target = !next.empty() && next.front() == '/' ? next
                                                  : target.substr(0, target.rfind('/') + 1) + next;
  }
}

// Creates an unused sibling of `path` to write into; the umask applies as to any new file.
int createTemporary(const std::string& path, std::string& tempPath) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(random());
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

extern "C" {

bool DirExists(const char* Path) {
  if (Path == nullptr) return false;
  const std::size_t length = std::strlen(Path);
  if (length == 0 || Path[length - 1] != '/') return false;
  struct stat info;
  return ::stat(Path, &info) == 0 && S_ISDIR(info.st_mode);
}

void CopyFile(const char* Source, const char* Dest) {
  const std::string source = Source != nullptr ? Source : "";
  const std::string dest = Dest != nullptr ? Dest : "";
  if (source.empty()) raiseIo("open the source", source, ENOENT);
  if (dest.empty()) raiseIo("create the destination", dest, ENOENT);

  // Checked before opening, so that no device is opened at all; opened without blocking and
  // checked again, so that a FIFO put in its place meanwhile cannot hang the open.
  struct stat sourceInfo;
  if (::stat(source.c_str(), &sourceInfo) != 0) raiseIo("open the source", source, errno);
  requireRegular(sourceInfo, "copy the source", source);
  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (in.get() < 0) raiseIo("open the source", source, errno);
  if (::fstat(in.get(), &sourceInfo) != 0) raiseIo("read", source, errno);
  requireRegular(sourceInfo, "copy the source", source);

  // The new contents go to a temporary file that replaces the destination only when complete,
  // so a failed copy never leaves a half-written destination behind.
  const std::string target = finalPath(dest);
  struct stat targetInfo;
  if (::lstat(target.c_str(), &targetInfo) == 0) {
    requireRegular(targetInfo, "replace the destination", dest);
  }
  // Renaming could replace a file the caller may not write; refuse it as opening it would.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
    raiseIo("create the destination", dest, errno);
  }
  std::string tempPath;
  Fd out(createTemporary(target, tempPath));
  if (out.get() < 0) raiseIo("create the destination", dest, errno);
  try {
    struct stat existing;
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
      ::fchmod(out.get(), existing.st_mode & 07777);
    }
    Reader reader(in.get(), source);
    Writer writer(out.get(), dest);
    transfer(reader, writer, source);
    if (::fsync(out.get()) != 0) raiseIo("write", dest, errno);
    if (::close(out.release()) != 0) raiseIo("write", dest, errno);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) raiseIo("replace", dest, errno);
  } catch (...) {
    ::unlink(tempPath.c_str());
    throw;
  }
}

}  // extern "C"
