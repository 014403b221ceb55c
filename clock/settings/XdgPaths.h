// SPDX-License-Identifier: GPL-3.0-or-later
// The user's base folders as the XDG base-directory rules define them. A relative value in the
// variable is invalid and ignored, so a program started from another folder finds the same files.
#pragma once

#include <filesystem>

// $HOME when it is an absolute path, else the password database's home folder, else "/".
std::filesystem::path HomeFolder();
// ${XDG_CONFIG_HOME:-$HOME/.config}
std::filesystem::path ConfigHome();
// ${XDG_DATA_HOME:-$HOME/.local/share}
std::filesystem::path DataHome();
