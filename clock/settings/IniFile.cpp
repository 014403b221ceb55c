#include "settings/IniFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldCase(c);
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
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

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  return static_cast<unsigned>(FoldCase(c) - 'a' + 10);
}

// Result of reading a whole file: its bytes, or the errno that stopped the read.
struct FileBytes {
  std::string bytes;
  int error = 0;
};

FileBytes ReadAll(const fs::path& path) {
  FileBytes result;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    result.error = errno;
    return result;
  }
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      result.error = errno;
      break;
    }
    result.bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return result;
}

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A fresh temporary file beside the target, so the final rename stays on one file system.
int CreateTemporary(const fs::path& dir, const std::string& base, fs::path& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = dir / ("." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
                  std::to_string(counter.fetch_add(1)));
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void SyncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // the rename is done; failing to persist the entry is not worth an error
  ::close(fd);
}

}  // namespace

IniWriteError::IniWriteError(const fs::path& path)
    : std::runtime_error("Unable to write to " + path.string()) {}

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

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos) {
      doc.lines_.push_back({std::string(text), ""});
      break;
    }
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      doc.lines_.push_back({std::string(line), "\r\n"});
    } else {
      doc.lines_.push_back({std::string(line), "\n"});
    }
    text.remove_prefix(nl + 1);
  }
  doc.Reindex();
  return doc;
}

void IniDocument::Reindex() {
  index_.clear();
  std::set<std::string> seenSections;
  std::string section;
  bool searchable = false;  // only the first section of a name is searched
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view text = lines_[i].text;
    if (const auto name = SectionName(text)) {
      section = Lower(*name);
      searchable = seenSections.insert(section).second;
      continue;
    }
    if (!searchable) continue;
    if (const auto parsed = ParseKeyLine(text)) {
      index_.try_emplace({section, Lower(parsed->key)}, i);
    }
  }
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.eol;
  }
  return out;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const auto found = index_.find({Lower(Trim(section)), Lower(Trim(key))});
  if (found == index_.end()) return std::nullopt;
  const std::string_view line = lines_[found->second].text;
  std::string_view value = Trim(line.substr(ParseKeyLine(line)->valueStart));
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

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || section.find_first_of("]\r\n") != std::string_view::npos) {
    throw std::invalid_argument("settings section name cannot be stored: " + std::string(section));
  }
  if (key.empty() || key.find_first_of("=\r\n") != std::string_view::npos || key.front() == '[' ||
      key.front() == ';' || key.front() == '#') {
    throw std::invalid_argument("settings key name cannot be stored: " + std::string(key));
  }
  std::string clean(value);
  for (char& c : clean) {
    if (c == '\r' || c == '\n') c = ' ';  // one value must stay one line
  }

  std::string eol = "\n";
  for (const Line& line : lines_) {
    if (!line.eol.empty()) {
      eol = line.eol;
      break;
    }
  }
  auto insertAt = [&](std::size_t pos, std::string text) {
    if (pos > 0 && lines_[pos - 1].eol.empty()) lines_[pos - 1].eol = eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos), Line{std::move(text), eol});
  };

  std::optional<std::size_t> header;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionName(lines_[i].text);
    if (name && SameName(*name, section)) {
      header = i;
      break;
    }
  }
  if (!header) {
    std::size_t end = lines_.size();
    if (end > 0 && !Trim(lines_.back().text).empty()) insertAt(end++, "");
    insertAt(end, "[" + std::string(section) + "]");
    insertAt(end + 1, std::string(key) + "=" + clean);
    Reindex();
    return;
  }
  std::size_t after = *header + 1;  // where a new key goes: after the section's last key
  for (std::size_t i = *header + 1; i < lines_.size(); ++i) {
    Line& line = lines_[i];
    if (SectionName(line.text)) break;
    const auto parsed = ParseKeyLine(line.text);
    if (!parsed) continue;
    if (SameName(parsed->key, key)) {
      // Keep the line's own spacing around "=", but not on top of a value that brings its own
      // leading blank (the natal form does): rewriting must not grow the line.
      const std::size_t equals = line.text.find('=');
      const std::size_t keep = !clean.empty() && (clean.front() == ' ' || clean.front() == '\t')
                                   ? equals + 1
                                   : parsed->valueStart;
      line.text = line.text.substr(0, keep) + clean;
      return;  // the line still holds the same key, so the index stands
    }
    after = i + 1;
  }
  insertAt(after, std::string(key) + "=" + clean);
  Reindex();
}

IniFile::IniFile() : path_(DefaultPath()) {}

IniFile::IniFile(fs::path path) : path_(std::move(path)) {}

fs::path IniFile::DefaultPath() {
  fs::path dir;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {  // a relative value is to be ignored
    dir = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
      const passwd* entry = ::getpwuid(::getuid());
      home = entry != nullptr ? entry->pw_dir : ".";
    }
    dir = fs::path(home) / ".config";
  }
  return dir / "helidial.ini";
}

IniDocument IniFile::Read() const { return IniDocument::Parse(ReadAll(path_).bytes); }

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

IniDocument IniFile::ReadForUpdate() const {
  FileBytes current = ReadAll(path_);
  // Rewriting a file we could not read would throw away the user's settings.
  if (current.error != 0 && current.error != ENOENT) throw IniWriteError(path_);
  return IniDocument::Parse(current.bytes);
}

void IniFile::Replace(const std::string& contents) const {
  std::error_code ec;
  fs::path target = path_;
  if (fs::is_symlink(target, ec)) {
    // Keep a linked settings file linked: write where the link points.
    const fs::path resolved = fs::canonical(target, ec);
    if (!ec) target = resolved;
  }
  fs::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  fs::create_directories(dir, ec);
  if (ec) throw IniWriteError(path_);

  fs::path temporary;
  const int fd = CreateTemporary(dir, target.filename().string(), temporary);
  if (fd < 0) throw IniWriteError(path_);
  struct stat old {};
  const bool hadFile = ::stat(target.c_str(), &old) == 0;
  bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
  if (ok && hadFile) ::fchmod(fd, old.st_mode & 07777);  // keep the permissions the user chose
  ok = (::close(fd) == 0) && ok;
  if (!ok || ::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    throw IniWriteError(path_);
  }
  SyncDirectory(dir);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  IniDocument doc = ReadForUpdate();
  doc.Set(section, key, value);
  Replace(doc.Serialize());
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}
