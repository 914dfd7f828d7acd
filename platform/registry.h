// Reading and writing text values of the Windows registry.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace reg {

enum class Read { NoKey, NoValue, Ok };

// Reads a text value of any length below `root` (HKEY_CURRENT_USER or the
// seam's replacement). A trailing backslash on the key path is ignored.
Read ReadText(HKEY root, const std::string& keyPath, const char* value, std::string& out);
// The same on an already open key; false when missing or not text.
bool ReadText(HKEY key, const char* value, std::string& out);

bool KeyExists(HKEY root, const std::string& keyPath);

// The names of the keys right below an open key, gathered before the caller
// acts on any: deleting while enumerating would shift the index.
std::vector<std::string> SubkeyNames(HKEY key);

// Opens an existing key for setting values; never creates one. Null when
// the key is not there. The caller closes it.
HKEY OpenForWriting(HKEY root, const std::string& keyPath);
// Sets a text value (REG_SZ, with its terminating zero) on an open key.
bool SetText(HKEY key, const char* value, std::string_view data);

// Deletes a key with every key below it. True when the key is gone
// afterwards (also when it was never there). A key that is a link to
// another is neither entered nor deleted (nor is any key above it).
bool DeleteTree(HKEY root, const std::string& keyPath);

// Creates the key when needed and writes a text value.
bool WriteText(HKEY root, const std::string& keyPath, const char* value, const std::string& data);

}  // namespace reg
