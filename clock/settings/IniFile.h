// The initialisation-file service: a sectioned text file of key=value lines with profile-string
// semantics. Section and key names match without regard to ASCII letter case, values are read
// trimmed and cut at 1023 characters, and a write changes one key in place (or adds it), keeping
// every other byte of a hand-edited file: comments, blank lines, spacing and unknown keys.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Raised when the settings file cannot be written; the text is "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const std::filesystem::path& path);
};

// Longest value a read returns; longer values are cut.
inline constexpr std::size_t kIniValueLimit = 1023;

// Integer forms a read accepts: optional sign with decimal digits, "$" or "0x"/"0X" followed by
// hexadecimal digits (up to eight, taken as a 32-bit pattern). Anything else gives no value.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// The parsed text of one file. Lines keep their own text and line ending, so writing back an
// unchanged document reproduces the file byte for byte.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view text);
  std::string Serialize() const;

  // The value of the first matching key in the first matching section, or nothing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // A missing key or a value that is not an integer in an accepted form reads as def.
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;
  // An integer read with default 1 or 0; any non-zero integer is true.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Replaces the key's value where it stands, or adds the key at the end of its section, adding
  // the section at the end of the file when it is missing. Line breaks in value become blanks;
  // names that cannot be stored (empty, line breaks, "=" in a key, "]" in a section) throw
  // std::invalid_argument.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Line {
    std::string text;  // without its line ending
    std::string eol;   // "\n", "\r\n" or "" for a last line without one
  };
  void Reindex();

  std::vector<Line> lines_;
  // (section, key) in lower case to the line of the first such key in the first such section.
  std::map<std::pair<std::string, std::string>, std::size_t> index_;
};

class IniFile {
 public:
  // helidial.ini in ${XDG_CONFIG_HOME:-$HOME/.config}.
  IniFile();
  explicit IniFile(std::filesystem::path path);

  static std::filesystem::path DefaultPath();
  const std::filesystem::path& Path() const { return path_; }

  // The file as it is now on disk; a missing or unreadable file reads as an empty document.
  IniDocument Read() const;

  // Each read looks at the file as it is now, so hand edits between reads are seen.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Each write is an immediate, complete replacement of the file (temporary file in the same
  // folder, flushed to disk, renamed over the old one), creating the folder and file as needed.
  // A refused write throws IniWriteError and leaves the old file as it was.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  IniDocument ReadForUpdate() const;
  void Replace(const std::string& contents) const;

  std::filesystem::path path_;
};
