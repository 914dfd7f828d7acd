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

// "Using ALIAS!" or "Using REAL NAME!".
std::string IdentityTip(bool alias);
// The profile name followed by " is using ALIAS!" or " is using REAL NAME!".
std::string ProfileTip(std::string_view profile, bool alias);

}  // namespace tray
