// SPDX-License-Identifier: GPL-3.0-or-later
// Where the companion's results go, with every write checked: a failed write is never reported
// as success.
#ifndef HELIODIAL_OUTPUT_H
#define HELIODIAL_OUTPUT_H

#include <string>
#include <string_view>

// Writes bytes to path (the name's own bytes, whatever the locale's encoding) as one complete
// replacement, so the file is whole or as it was; a symbolic link is written through, and a
// replaced file keeps its permissions. Returns the reason on failure ("No space left on
// device"), an empty text on success.
std::string WriteFileReplacing(const std::string& path, std::string_view bytes);

// Writes bytes to standard output; the reason on failure (a full disk, a closed pipe).
std::string WriteStandardOutput(std::string_view bytes);
// Flushes and closes standard output, so that a write that only fails at the end is seen.
std::string CloseStandardOutput();

#endif
