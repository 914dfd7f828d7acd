// The tray companion's texts: the main program's folder taken from the
// bookmark template's path, and the tips of its icon.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tray {

// The shell shows at most this many characters of a tip.
constexpr std::size_t kTipLimit = 63;
// A profile name is kept to this many characters.
constexpr std::size_t kProfileNameLimit = 24;

// The main program's folder from "CopyMe" "which", the full path of
// MOPWELL.BKM beside the main program: the value without its last 12
// characters ("\MOPWELL.BKM"). A value of fewer than 12 characters names no
// folder and gives an empty text. A bare drive ("C:", left by a program at
// a drive root) becomes its root "C:\": "C:" alone would mean whatever
// folder is current on that drive.
std::string MainProgramFolder(std::string_view which);

// The current profile's MPW-ID.INI: "profroot" (the settings page writes
// it with its closing backslash), the profile's name as its folder, then "\MPW-ID.INI". The
// name comes from the registry, where anything may stand: only a plain
// folder name names a folder below the root (no separator, drive colon,
// wildcard or control character, not "." or "..", no trailing dot or
// blank, no device name), and only a path of at most `limit` characters is
// taken whole. Anything else names no file and gives an empty text, never
// another place: "..\..\windows" would reach the Windows folder's file,
// and an empty name the root's own.
std::string ProfileIdFile(std::string_view profroot, std::string_view profile, std::size_t limit);

// "Using ALIAS!" or "Using REAL NAME!".
std::string IdentityTip(bool alias);
// The profile name followed by " is using ALIAS!" or " is using REAL NAME!".
std::string ProfileTip(std::string_view profile, bool alias);

}  // namespace tray
