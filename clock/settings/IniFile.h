// SPDX-License-Identifier: GPL-3.0-or-later
// The initialisation-file service: a sectioned text file of key=value lines with profile-string
// semantics. Section and key names match without regard to ASCII letter case, values are read
// trimmed and cut at 1023 characters, and a write changes one key in place (or adds it), keeping
// every other byte of a hand-edited file: comments, blank lines, spacing and unknown keys.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Raised when the settings file is there but cannot be read: it is not a regular file (a named
// pipe, a device, a folder), it is larger than kIniFileSizeLimit, its symbolic links loop, or the
// system refuses it. The text is "Cannot read settings from <path>: <reason>".
class IniReadError : public std::runtime_error {
 public:
  IniReadError(const std::filesystem::path& path, const std::string& reason);
  // The reason alone, e.g. "it is a named pipe, not a regular file" or "Permission denied".
  const std::string& Reason() const noexcept { return reason_; }

 private:
  std::string reason_;
};

// Raised when the settings file cannot be written; the text is "Unable to write to <path>".
// Reason() says why when it is known (the system's word, or why the old file could not be
// read), for a program that wants to show more than the text.
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const std::filesystem::path& path, std::string reason = {});
  const std::string& Reason() const noexcept { return reason_; }

 private:
  std::string reason_;
};

// Longest value a read returns; longer values are cut.
inline constexpr std::size_t kIniValueLimit = 1023;

// Largest settings file read or written. A real one is a few kilobytes; the limit keeps a wrong
// file (a log, an image, a disk image) from being read whole into memory.
inline constexpr std::size_t kIniFileSizeLimit = std::size_t{4} << 20;

// Integer forms a read accepts: optional sign with decimal digits, "$" or "0x"/"0X" followed by
// hexadecimal digits (up to eight, taken as a 32-bit pattern). Anything else gives no value.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// The parsed text of one file. The document keeps the text once, as it came, and an index of
// line offsets, so writing back an unchanged document reproduces the file byte for byte and the
// memory it takes stays a small multiple of the text whatever the text is.
//
// Lines end in "\n", "\r\n" or a lone "\r". A UTF-8 byte-order mark at the start is not part of
// the first line but stays in the text.
class IniDocument {
 public:
  IniDocument() = default;
  // Texts of 4 GiB or more are refused with std::length_error.
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
  // std::invalid_argument and leave the document as it was.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  friend class IniFile;
  static IniDocument Adopt(std::string text);
  // Set, telling whether the text changed: a key rewritten with the value it has does not.
  bool Change(std::string_view section, std::string_view key, std::string_view value);

  std::optional<std::uint32_t> FindHeader(std::string_view section) const;
  std::optional<std::uint32_t> FindKey(std::string_view section, std::string_view key) const;
  std::size_t ProbeHeader(std::uint64_t hash, std::string_view section) const;
  std::size_t ProbeKey(std::uint64_t hash, std::string_view section, std::string_view key) const;
  std::uint32_t HeaderOf(std::uint32_t keyLine) const;
  void ReserveOne();
  void Fill(std::size_t slot, std::uint32_t line, std::uint64_t hash);
  void AddToIndex(std::uint32_t line, std::uint64_t hash);
  void Grow();
  void Splice(std::size_t at, std::size_t erase, std::string_view insert);
  std::string_view LineEnding() const;

  std::string text_;
  std::uint64_t changes_ = 0;    // Sets that changed the text
  std::uint32_t bodyStart_ = 0;  // 3 after a byte-order mark
  // Offsets of the header lines of searchable sections (the first of each name), ascending.
  std::vector<std::uint32_t> headers_;
  // Open-addressing hash table of line offsets: the searchable section headers, by name, and the
  // first line of each key in them, by section and key name. Names are compared in the text, so
  // an entry is four bytes, plus one byte of its hash that spares most of those comparisons.
  std::vector<std::uint32_t> slots_;
  std::vector<std::uint8_t> tags_;
  std::size_t used_ = 0;
};

class IniFile {
 public:
  // helidial.ini in ${XDG_CONFIG_HOME:-$HOME/.config}.
  IniFile();
  explicit IniFile(std::filesystem::path path);

  static std::filesystem::path DefaultPath();
  const std::filesystem::path& Path() const { return path_; }

  // The file as it is now on disk; a missing file reads as an empty document. A file that is
  // there but cannot be read (see IniReadError) throws IniReadError.
  IniDocument Read() const;

  // Each read looks at the file as it is now, so hand edits between reads are seen.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Each write is an immediate, complete replacement of the file (temporary file in the same
  // folder, flushed to disk, renamed over the old one), creating the folder and file as needed.
  // A write that would not change a byte flushes the file as it is instead of copying it.
  // A symbolic link stays a link: its target is rewritten, or created when missing.
  //
  // Writers cooperate through an advisory lock on ".<name>.lock" beside the file, held from the
  // read to the rename, so concurrent writers in other processes never lose each other's keys;
  // temporary files that a killed writer left behind are removed by the next write.
  //
  // A refused write throws IniWriteError and leaves the old file as it was; so does a file that
  // cannot be read, since replacing it would throw away what it holds.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Many keys as one write: `change` is applied to the file as it is now, under the lock, and the
  // result replaces the file once. Either every change reaches the file or, when `change` or the
  // write throws, none does and the old file stays byte for byte as it was.
  void Update(const std::function<void(IniDocument&)>& change);

 private:
  std::filesystem::path path_;
  // The document as this object last wrote it. A write reads the file anyway, under the lock,
  // and reuses this parse only when the bytes on disk are still exactly its text.
  std::optional<IniDocument> written_;
  // Device and inode of the file that write made and flushed.
  std::pair<std::uint64_t, std::uint64_t> writtenFile_;
  std::string buffer_;
};
