// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

#include "settings/AtomicFile.h"
#include "settings/XdgPaths.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::uint32_t kEmptySlot = std::numeric_limits<std::uint32_t>::max();
// Offsets are 32-bit to keep the index small; the last value marks an empty slot.
constexpr std::size_t kMaxText = kEmptySlot - 1;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Every line of a file goes through here, so it is a plain loop rather than a search for any of
// a set of characters, which costs a call per character.
std::string_view Trim(std::string_view s) {
  std::size_t first = 0;
  std::size_t last = s.size();
  while (first < last && IsBlank(s[first])) ++first;
  while (last > first && IsBlank(s[last - 1])) --last;
  return s.substr(first, last - first);
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// FNV-1a over the case-folded name, then its length, so "ab"+"c" and "a"+"bc" differ.
std::uint64_t HashName(std::uint64_t h, std::string_view name) {
  constexpr std::uint64_t kPrime = 0x100000001b3ULL;
  for (char c : name) {
    h ^= static_cast<unsigned char>(FoldCase(c));
    h *= kPrime;
  }
  h ^= name.size();
  return h * kPrime;
}

constexpr std::uint64_t kHashBasis = 0xcbf29ce484222325ULL;

// The finaliser spreads FNV's bits, so both the slot (low bits) and the tag (top byte) vary.
std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  return h ^ (h >> 33);
}

std::uint64_t HeaderHash(std::string_view section) {
  return Mix(HashName(kHashBasis, section) ^ 0x9e3779b97f4a7c15ULL);
}

std::uint64_t KeyHash(std::string_view section, std::string_view key) {
  return Mix(HashName(HashName(kHashBasis, section), key));
}

std::uint8_t TagOf(std::uint64_t hash) { return static_cast<std::uint8_t>(hash >> 56); }

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// End of the line that starts at `from`: the offset of its line ending or of the text's end.
std::size_t LineEnd(std::string_view text, std::size_t from) {
  if (from < text.size() && IsLineEnd(text[from])) return from;  // blank lines need no search
  const char* begin = text.data() + from;
  std::size_t length = text.size() - from;
  if (const void* lf = std::memchr(begin, '\n', length)) {
    length = static_cast<std::size_t>(static_cast<const char*>(lf) - begin);
  }
  if (const void* cr = std::memchr(begin, '\r', length)) {
    length = static_cast<std::size_t>(static_cast<const char*>(cr) - begin);
  }
  return from + length;
}

// Offset of the next line after a line that ends at `end`.
std::size_t NextLine(std::string_view text, std::size_t end) {
  if (end >= text.size()) return text.size();
  if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') return end + 2;
  return end + 1;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::size_t valueStart;  // offset in the line of the value's first non-blank character
};

// Comment lines (";" or "#" first) and lines without "=" hold no key.
std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = Trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  std::size_t start = line.find_first_not_of(" \t", eq + 1);
  if (start == std::string_view::npos) start = line.size();
  return KeyLine{key, start};
}

// Throws std::invalid_argument for names a line cannot hold; returns them trimmed.
std::pair<std::string_view, std::string_view> CheckNames(std::string_view section,
                                                         std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || section.find_first_of("]\r\n") != std::string_view::npos) {
    throw std::invalid_argument("settings section name cannot be stored: " + std::string(section));
  }
  if (key.empty() || key.find_first_of("=\r\n") != std::string_view::npos || key.front() == '[' ||
      key.front() == ';' || key.front() == '#') {
    throw std::invalid_argument("settings key name cannot be stored: " + std::string(key));
  }
  return {section, key};
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  return static_cast<unsigned>(FoldCase(c) - 'a' + 10);
}

std::string SystemMessage(int error) { return std::generic_category().message(error); }

const char* KindOfFile(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISSOCK(mode)) return "a socket";
  return "something else";
}

// "4 MB", "4.1 MB", "57 MB": rounded up, so a file just over the limit never shows as the limit.
std::string Megabytes(std::uintmax_t bytes) {
  const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
  const double shown = mb < 10 ? std::ceil(mb * 10) / 10 : std::ceil(mb);
  char text[32];
  std::snprintf(text, sizeof text, shown == std::floor(shown) ? "%.0f MB" : "%.1f MB", shown);
  return text;
}

std::string TooLarge(std::uintmax_t bytes) {
  return "it is " + Megabytes(bytes) + ", more than the " + Megabytes(kIniFileSizeLimit) +
         " a settings file may have";
}

// Why a file of this kind and size cannot be the settings file, or "" when it can.
std::string Unsuitable(const struct stat& st) {
  if (!S_ISREG(st.st_mode)) {
    return std::string("it is ") + KindOfFile(st.st_mode) + ", not a regular file";
  }
  if (static_cast<std::uintmax_t>(st.st_size) > kIniFileSizeLimit) return TooLarge(st.st_size);
  return {};
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Reads the settings file into `bytes`. Returns false, with `bytes` empty, when there is no file
// (a missing folder or a dangling link included). `info` receives the open file's status.
// Throws IniReadError for a file that is there but unusable.
//
// The type and size are checked before opening: opening a named pipe would wait for a writer and
// reading a device could go on forever. The check is repeated on the open descriptor, since the
// name may have been pointed elsewhere in between, and the read itself stops past the limit.
bool LoadFile(const fs::path& path, std::string& bytes, struct stat* info = nullptr) {
  bytes.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    throw IniReadError(path, SystemMessage(errno));
  }
  if (std::string why = Unsuitable(st); !why.empty()) throw IniReadError(path, why);

  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.Get() < 0) {
    if (errno == ENOENT) return false;
    throw IniReadError(path, SystemMessage(errno));
  }
  if (::fstat(fd.Get(), &st) != 0) throw IniReadError(path, SystemMessage(errno));
  if (std::string why = Unsuitable(st); !why.empty()) throw IniReadError(path, why);
  if (info != nullptr) *info = st;

  // One byte more than expected, so a file that grew since fstat is noticed in the same call.
  std::size_t capacity = static_cast<std::size_t>(st.st_size) + 1;
  bytes.resize(capacity);
  std::size_t done = 0;
  for (;;) {
    if (done == capacity) {
      if (capacity > kIniFileSizeLimit) {
        bytes.clear();
        struct stat now {};
        const std::uintmax_t size =
            ::fstat(fd.Get(), &now) == 0 ? static_cast<std::uintmax_t>(now.st_size) : done;
        throw IniReadError(path, TooLarge(std::max<std::uintmax_t>(size, done)));
      }
      capacity = std::min(capacity * 2, kIniFileSizeLimit + 1);
      bytes.resize(capacity);
    }
    const ssize_t n = ::read(fd.Get(), bytes.data() + done, capacity - done);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      bytes.clear();
      throw IniReadError(path, SystemMessage(error));
    }
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  // Read as bytes, UTF-16 text would show no keys, and a write would add UTF-8 lines to it.
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    bytes.clear();
    throw IniReadError(path, "it is UTF-16 text; save it as UTF-8");
  }
  return true;
}

// The advisory lock that serialises writers of one settings file: flock on ".<name>.lock" in
// its folder, released when this ends (or when the process dies, however it dies). The lock file
// itself stays; removing it would let two writers lock two different files.
class WriterLock {
 public:
  WriterLock(const fs::path& dir, const std::string& name, const fs::path& reported)
      : fd_(::open((dir / ("." + name + ".lock")).c_str(),
                   O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600)) {
    if (fd_.Get() < 0) {
      throw IniWriteError(reported, "cannot open the lock file: " + SystemMessage(errno));
    }
    struct stat st {};
    if (::fstat(fd_.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
      throw IniWriteError(reported, "the lock file is not a regular file");
    }
    while (::flock(fd_.Get(), LOCK_EX) != 0) {
      if (errno != EINTR) throw IniWriteError(reported, "cannot lock: " + SystemMessage(errno));
    }
  }

 private:
  FileDescriptor fd_;
};

}  // namespace

IniReadError::IniReadError(const fs::path& path, const std::string& reason)
    : std::runtime_error("Cannot read settings from " + path.string() + ": " + reason),
      reason_(reason) {}

IniWriteError::IniWriteError(const fs::path& path, std::string reason)
    : std::runtime_error("Unable to write to " + path.string()), reason_(std::move(reason)) {}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
  std::size_t digits = 0;
  if (!text.empty() && text.front() == '$') {
    digits = 1;
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    digits = 2;
  }
  if (digits > 0) {
    const std::string_view hex = text.substr(digits);
    if (hex.empty() || hex.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : hex) {
      if (!IsHexDigit(c)) return std::nullopt;
      value = value * 16 + HexValue(c);
    }
    return static_cast<std::int32_t>(value);
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

IniDocument IniDocument::Parse(std::string_view text) { return Adopt(std::string(text)); }

IniDocument IniDocument::Adopt(std::string text) {
  if (text.size() > kMaxText) throw std::length_error("settings text of 4 GiB or more");
  IniDocument doc;
  doc.text_ = std::move(text);
  const std::string_view all = doc.text_;
  if (all.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    doc.bodyStart_ = static_cast<std::uint32_t>(kByteOrderMark.size());
  }
  std::optional<std::string_view> section;  // the current section while it is searchable
  for (std::size_t at = doc.bodyStart_; at < all.size();) {
    const std::size_t end = LineEnd(all, at);
    const std::string_view line = all.substr(at, end - at);
    const auto offset = static_cast<std::uint32_t>(at);
    if (const auto name = SectionName(line)) {
      // Only the first section of a name is searched.
      section.reset();
      doc.ReserveOne();
      const std::uint64_t hash = HeaderHash(*name);
      const std::size_t slot = doc.ProbeHeader(hash, *name);
      if (doc.slots_[slot] == kEmptySlot) {
        doc.Fill(slot, offset, hash);
        doc.headers_.push_back(offset);
        section = name;
      }
    } else if (section) {
      if (const auto parsed = ParseKeyLine(line)) {
        doc.ReserveOne();
        const std::uint64_t hash = KeyHash(*section, parsed->key);
        const std::size_t slot = doc.ProbeKey(hash, *section, parsed->key);
        if (doc.slots_[slot] == kEmptySlot) doc.Fill(slot, offset, hash);
      }
    }
    at = NextLine(all, end);
  }
  return doc;
}

std::string IniDocument::Serialize() const { return text_; }

void IniDocument::ReserveOne() {
  if ((used_ + 1) * 4 > slots_.size() * 3) Grow();  // at most three quarters full
}

void IniDocument::Fill(std::size_t slot, std::uint32_t line, std::uint64_t hash) {
  slots_[slot] = line;
  tags_[slot] = TagOf(hash);
  ++used_;
}

void IniDocument::AddToIndex(std::uint32_t line, std::uint64_t hash) {
  ReserveOne();
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hash & mask;
  while (slots_[slot] != kEmptySlot) slot = (slot + 1) & mask;
  Fill(slot, line, hash);
}

// The table keeps no hashes, so growing reads each entry's names again from the text.
void IniDocument::Grow() {
  std::vector<std::uint32_t> oldSlots(slots_.empty() ? 16 : slots_.size() * 2, kEmptySlot);
  oldSlots.swap(slots_);  // slots_ is now the larger, empty table
  tags_.assign(slots_.size(), 0);
  used_ = 0;
  const std::string_view all = text_;
  for (const std::uint32_t line : oldSlots) {
    if (line == kEmptySlot) continue;
    const std::string_view text = all.substr(line, LineEnd(all, line) - line);
    if (const auto name = SectionName(text)) {
      AddToIndex(line, HeaderHash(*name));
    } else {
      const std::uint32_t header = HeaderOf(line);
      const auto section = SectionName(all.substr(header, LineEnd(all, header) - header));
      AddToIndex(line, KeyHash(*section, ParseKeyLine(text)->key));
    }
  }
}

// The slot of the header of `section`, or the empty slot where it would go. The table must not
// be empty.
std::size_t IniDocument::ProbeHeader(std::uint64_t hash, std::string_view section) const {
  const std::size_t mask = slots_.size() - 1;
  const std::uint8_t tag = TagOf(hash);
  const std::string_view all = text_;
  std::size_t slot = hash & mask;
  for (; slots_[slot] != kEmptySlot; slot = (slot + 1) & mask) {
    if (tags_[slot] != tag) continue;
    const std::uint32_t line = slots_[slot];
    const auto name = SectionName(all.substr(line, LineEnd(all, line) - line));
    if (name && SameName(*name, section)) break;
  }
  return slot;
}

// The slot of the first line of `key` in `section`, or the empty slot where it would go.
std::size_t IniDocument::ProbeKey(std::uint64_t hash, std::string_view section,
                                  std::string_view key) const {
  const std::size_t mask = slots_.size() - 1;
  const std::uint8_t tag = TagOf(hash);
  const std::string_view all = text_;
  std::size_t slot = hash & mask;
  for (; slots_[slot] != kEmptySlot; slot = (slot + 1) & mask) {
    if (tags_[slot] != tag) continue;
    const std::uint32_t line = slots_[slot];
    const auto parsed = ParseKeyLine(all.substr(line, LineEnd(all, line) - line));
    if (!parsed || !SameName(parsed->key, key)) continue;  // a header, or another key
    const std::uint32_t header = HeaderOf(line);
    const auto name = SectionName(all.substr(header, LineEnd(all, header) - header));
    if (SameName(*name, section)) break;
  }
  return slot;
}

std::optional<std::uint32_t> IniDocument::FindHeader(std::string_view section) const {
  if (slots_.empty()) return std::nullopt;
  const std::uint32_t line = slots_[ProbeHeader(HeaderHash(section), section)];
  if (line == kEmptySlot) return std::nullopt;
  return line;
}

std::optional<std::uint32_t> IniDocument::FindKey(std::string_view section,
                                                  std::string_view key) const {
  if (slots_.empty()) return std::nullopt;
  const std::uint32_t line = slots_[ProbeKey(KeyHash(section, key), section, key)];
  if (line == kEmptySlot) return std::nullopt;
  return line;
}

// The header of an indexed key line. Keys are indexed only in searchable sections, whose headers
// are all in headers_, so the nearest one before the line is its own.
std::uint32_t IniDocument::HeaderOf(std::uint32_t keyLine) const {
  return *(std::upper_bound(headers_.begin(), headers_.end(), keyLine) - 1);
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const auto line = FindKey(Trim(section), Trim(key));
  if (!line) return std::nullopt;
  const std::string_view all = text_;
  const std::string_view text = all.substr(*line, LineEnd(all, *line) - *line);
  std::string_view value = Trim(text.substr(ParseKeyLine(text)->valueStart));
  if (value.size() > kIniValueLimit) value = value.substr(0, kIniValueLimit);
  return std::string(value);
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
  if (auto value = Find(section, key)) return std::move(*value);
  return std::string(def);
}

std::int32_t IniDocument::ReadInteger(std::string_view section, std::string_view key,
                                      std::int32_t def) const {
  const auto value = Find(section, key);
  if (!value) return def;
  return ParseIniInteger(*value).value_or(def);
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

// New lines take the ending the file already uses, so a hand-kept file stays in one style.
std::string_view IniDocument::LineEnding() const {
  const std::string_view all = text_;
  const std::size_t end = LineEnd(all, bodyStart_);
  if (end == all.size()) return "\n";
  return all.substr(end, NextLine(all, end) - end);
}

// Replaces `erase` bytes at `at` by `insert`, moving the offsets of the lines after it. `at` is
// inside a line or at the start of one that is to move.
void IniDocument::Splice(std::size_t at, std::size_t erase, std::string_view insert) {
  if (text_.size() - erase + insert.size() > kMaxText) {
    throw std::length_error("settings text of 4 GiB or more");
  }
  text_.replace(at, erase, insert);
  const auto delta = static_cast<std::uint32_t>(insert.size() - erase);  // modulo 2^32
  auto move = [&](std::uint32_t& offset) {
    if (offset != kEmptySlot && offset >= at) offset += delta;
  };
  std::for_each(slots_.begin(), slots_.end(), move);
  std::for_each(headers_.begin(), headers_.end(), move);
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (Change(section, key, value)) ++changes_;
}

bool IniDocument::Change(std::string_view section, std::string_view key, std::string_view value) {
  std::tie(section, key) = CheckNames(section, key);
  std::string clean(value);
  for (char& c : clean) {
    if (c == '\r' || c == '\n') c = ' ';  // one value must stay one line
  }
  const std::string_view all = text_;

  if (const auto line = FindKey(section, key)) {
    const std::size_t end = LineEnd(all, *line);
    const std::string_view text = all.substr(*line, end - *line);
    // Keep the line's own spacing around "=", but not on top of a value that brings its own
    // leading blank (the natal form does): rewriting must not grow the line.
    const std::size_t keep = !clean.empty() && (clean.front() == ' ' || clean.front() == '\t')
                                 ? text.find('=') + 1
                                 : ParseKeyLine(text)->valueStart;
    if (text.substr(keep) == clean) return false;
    Splice(*line + keep, end - (*line + keep), clean);  // same key, so the index stands
    return true;
  }

  const std::string eol(LineEnding());
  const std::string keyLine = std::string(key) + "=" + clean + eol;
  const bool endsOpen = all.size() > bodyStart_ && !IsLineEnd(all.back());
  if (const auto header = FindHeader(section)) {
    // A new key goes after the section's last key, before any blank lines and comments that
    // end the section.
    std::size_t after = NextLine(all, LineEnd(all, *header));
    for (std::size_t at = after; at < all.size();) {
      const std::size_t end = LineEnd(all, at);
      const std::string_view text = all.substr(at, end - at);
      if (SectionName(text)) break;
      at = NextLine(all, end);
      if (ParseKeyLine(text)) after = at;
    }
    const std::string lead = after == all.size() && endsOpen ? eol : std::string();
    const auto offset = static_cast<std::uint32_t>(after + lead.size());
    Splice(after, 0, lead + keyLine);
    AddToIndex(offset, KeyHash(section, key));
    return true;
  }

  // A new section goes at the end, after a blank line.
  std::string lead;
  if (all.size() > bodyStart_) {
    if (endsOpen) lead += eol;
    std::size_t last = all.size() - (endsOpen ? 0 : 1);
    if (!endsOpen && all.back() == '\n' && last > bodyStart_ && all[last - 1] == '\r') --last;
    while (last > bodyStart_ && !IsLineEnd(all[last - 1])) --last;
    const std::size_t lastEnd = LineEnd(all, last);
    if (!Trim(all.substr(last, lastEnd - last)).empty()) lead += eol;
  }
  const std::string headerLine = "[" + std::string(section) + "]" + eol;
  const auto headerOffset = static_cast<std::uint32_t>(all.size() + lead.size());
  Splice(all.size(), 0, lead + headerLine + keyLine);
  AddToIndex(headerOffset, HeaderHash(section));
  headers_.push_back(headerOffset);
  AddToIndex(static_cast<std::uint32_t>(headerOffset + headerLine.size()), KeyHash(section, key));
  return true;
}

IniFile::IniFile() : path_(DefaultPath()) {}

IniFile::IniFile(fs::path path) : path_(std::move(path)) {}

fs::path IniFile::DefaultPath() { return ConfigHome() / "helidial.ini"; }

IniDocument IniFile::Read() const {
  std::string bytes;
  LoadFile(path_, bytes);
  return IniDocument::Adopt(std::move(bytes));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  return Read().ReadString(section, key, def);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t def) const {
  return Read().ReadInteger(section, key, def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return Read().ReadBool(section, key, def);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckNames(section, key);  // before anything on disk is touched
  Update([&](IniDocument& document) { document.Set(section, key, value); });
}

void IniFile::Update(const std::function<void(IniDocument&)>& change) {
  fs::path target;
  try {
    target = AtomicWriteTarget(path_);
  } catch (const AtomicWriteError& e) {
    throw IniWriteError(path_, e.Reason());
  }
  fs::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) throw IniWriteError(path_, ec.message());
  const std::string name = target.filename().string();

  const WriterLock lock(dir, name, path_);
  std::optional<mode_t> mode;
  FileIdentity identity;
  try {
    struct stat st {};
    if (LoadFile(target, buffer_, &st)) {
      mode = st.st_mode & 07777;
      identity = {st.st_dev, st.st_ino};
    }
  } catch (const IniReadError& e) {
    // Rewriting a file we could not read would throw away the user's settings.
    throw IniWriteError(path_, e.Reason());
  }
  // Parsing is the costly part of a write to a large file, and a file that is still exactly what
  // this object wrote last needs none.
  const bool ours = written_ && buffer_ == written_->text_;
  if (!ours) written_ = IniDocument::Adopt(std::move(buffer_));
  try {
    const std::uint64_t before = written_->changes_;
    change(*written_);
    if (written_->changes_ == before && mode) {
      // The file already holds exactly this text, and most of the dialog's OK rewrites values as
      // they were. A copy would cost two flushes to disk for nothing; the file we made and
      // flushed ourselves needs none, any other is flushed as it is.
      if (!ours || identity != writtenFile_) SyncFileAndFolder(target, path_);
      RemoveStaleTemporaries(dir, name);
      return;
    }
    if (written_->text_.size() > kIniFileSizeLimit) {
      throw IniWriteError(path_, "the file would grow past " + Megabytes(kIniFileSizeLimit));
    }
    writtenFile_ = ReplaceFileAtomically(target, written_->text_, mode, path_);
  } catch (const AtomicWriteError& e) {
    written_.reset();  // it holds the change the file did not get
    throw IniWriteError(path_, e.Reason());
  } catch (...) {
    written_.reset();
    throw;
  }
  RemoveStaleTemporaries(dir, name);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}
