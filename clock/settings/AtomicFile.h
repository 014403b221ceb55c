// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a whole file so that whoever reads it, or whatever stops the writer, sees either the
// old file or the complete new one: a temporary file beside the target, flushed to disk, renamed
// over it. Every file the clock and its companion write (the settings, the bus activation file,
// pictures and reports) goes through here.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

// A write that did not happen; the old file, if any, is as it was. The text is
// "Unable to write to <path>: <reason>", the reason the system's word ("No space left on device").
class AtomicWriteError : public std::runtime_error {
 public:
  AtomicWriteError(const std::filesystem::path& path, const std::string& reason);
  const std::string& Reason() const noexcept { return reason_; }

 private:
  std::string reason_;
};

// Device and inode of a file.
using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;

// Where a write to `path` must go: the path itself, or the end of its chain of symbolic links,
// which may not exist yet. Writing there keeps a link a link, and a dangling link gets its target
// created instead of being replaced by a plain file. Errors name `path`.
std::filesystem::path AtomicWriteTarget(const std::filesystem::path& path);

// Replaces `target` (a path from AtomicWriteTarget) by a file holding `contents`. The new file
// gets `mode` (the old file's, to keep it) or, without one, what a newly created file gets:
// 0666 less the umask. The temporary file is ".<name>.tmp-<pid>-<n>" in the target's folder.
// Errors name `reported` and remove the temporary file.
FileIdentity ReplaceFileAtomically(const std::filesystem::path& target, std::string_view contents,
                                   std::optional<mode_t> mode,
                                   const std::filesystem::path& reported);

// The whole write: follows `path`'s links, keeps the permissions of the file it replaces, and
// replaces it. The folder must exist.
FileIdentity WriteFileAtomically(const std::filesystem::path& path, std::string_view contents);

// Makes sure the file as it is, and its name, are on disk. Cheap when they already are.
void SyncFileAndFolder(const std::filesystem::path& target, const std::filesystem::path& reported);

// Removes the temporary files ReplaceFileAtomically left in `dir` for files named `name` when
// its process died before the rename. Only safe while no other writer of that file is running
// (the settings file's writers hold a lock for that).
void RemoveStaleTemporaries(const std::filesystem::path& dir, const std::string& name);
