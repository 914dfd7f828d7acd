// Small rules about Windows path texts, without touching any file.
#pragma once
#include <string>
#include <string_view>

namespace paths {

// "C:\..." or "\\server\share...": a path that does not depend on the
// working directory or the current drive.
bool IsAbsolute(std::string_view path);

// Joins a folder and a name with exactly one backslash between them.
std::string Join(std::string_view folder, std::string_view name);

}  // namespace paths
