// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "settings/AtomicFile.h"

namespace {

std::string reason(int error) { return std::strerror(error); }

}  // namespace

std::string WriteFileReplacing(const std::string& path, std::string_view bytes) {
  try {
    WriteFileAtomically(path, bytes);
  } catch (const AtomicWriteError& e) {
    return e.Reason();
  }
  return {};
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
