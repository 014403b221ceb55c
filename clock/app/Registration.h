// SPDX-License-Identifier: GPL-3.0-or-later
// How the program was asked to start, and its registration with the session bus: the activation
// file through which a client's call starts the clock when it is not running.
#ifndef HELIODIAL_REGISTRATION_H
#define HELIODIAL_REGISTRATION_H

#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

// The well-known names the clock serves under.
inline constexpr std::string_view kScriptBusName = "Heliodial.ClockScript";
inline constexpr std::string_view kScriptObjectPath = "/ClockScript";
inline constexpr std::string_view kScriptInterface = "Heliodial.ClockScript";

enum class StartAction {
  Run,           // no switch: the clock the user started
  RunForClient,  // "AUTOMATION" or "EMBEDDING": started by the bus for a client
  Register,      // "REGSERVER": write the activation file and end
  Unregister,    // "UNREGSERVER": remove it and end
};

// The start switches, case-insensitive, each led by "/" or "-". Removing wins over writing, and
// either over a start for a client. Anything else on the command line (Qt's own options, a file a
// launcher passes) is not a switch of ours and is left alone.
StartAction ParseStartSwitches(std::span<const std::string_view> arguments);

// A refused write or removal; the text names the file and the reason.
class RegistrationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ${XDG_DATA_HOME:-$HOME/.local/share}/dbus-1/services, where the session bus looks for the
// activation files of the user's own programs. A relative XDG_DATA_HOME is ignored, as the base
// directory rules say.
std::filesystem::path ActivationDirectory();
std::filesystem::path ActivationFile();

// The activation file's text for the program at programPath. The path is quoted where the bus's
// shell-like Exec parsing would otherwise split or change it, and backslashes are doubled for the
// file's escapes; a path with a line break cannot be written into the file and raises
// RegistrationError.
std::string ActivationFileText(const std::filesystem::path& programPath);

// Writes the activation file as one step (temporary file, then rename), creating its folder.
void WriteActivationFile(const std::filesystem::path& programPath);
// Removes it; no file is no error.
void RemoveActivationFile();

// ${XDG_CONFIG_HOME:-$HOME/.config}/autostart/heliodial.desktop: the desktop starts the
// programs listed there when the user logs in.
std::filesystem::path AutostartFile();
// The entry's text: the program at programPath, started with its window hidden in the
// notification area. The path is quoted as desktop entries quote an Exec argument; a path with a
// line break raises RegistrationError.
std::string AutostartEntryText(const std::filesystem::path& programPath);
// Whether the desktop starts the clock with the session: the entry is there and not switched off.
bool AutostartEnabled();
// Writes the entry as one step, creating its folder, or removes it (no entry is no error).
void WriteAutostartEntry(const std::filesystem::path& programPath);
void RemoveAutostartEntry();

// The running program's full path.
std::filesystem::path ProgramPath();

#endif
