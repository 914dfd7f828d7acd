#include "registry.h"

#include <vector>

namespace reg {

namespace {
std::string Trimmed(const std::string& keyPath) {
  std::string path = keyPath;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}
}  // namespace

bool ReadText(HKEY key, const char* value, std::string& out) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return false;
  data[size < data.size() ? size : data.size() - 1] = '\0';
  out.assign(data.data());
  return true;
}

Read ReadText(HKEY root, const std::string& keyPath, const char* value, std::string& out) {
  HKEY key;
  if (RegOpenKeyExA(root, Trimmed(keyPath).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return Read::NoKey;
  bool ok = ReadText(key, value, out);
  RegCloseKey(key);
  return ok ? Read::Ok : Read::NoValue;
}

bool KeyExists(HKEY root, const std::string& keyPath) {
  HKEY key;
  if (RegOpenKeyExA(root, Trimmed(keyPath).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

HKEY OpenForWriting(HKEY root, const std::string& keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, Trimmed(keyPath).c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

bool SetText(HKEY key, const char* value, std::string_view data) {
  std::string text(data);  // the value is stored with its terminating zero
  return RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool WriteText(HKEY root, const std::string& keyPath, const char* value, const std::string& data) {
  HKEY key;
  if (RegCreateKeyExA(root, Trimmed(keyPath).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  bool ok = SetText(key, value, data);
  RegCloseKey(key);
  return ok;
}

namespace {

// A key that is a link to another: deleting by its name would reach the
// key it leads to. Opened as itself, a link holds its target in the value
// "SymbolicLinkValue".
bool IsLink(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  bool link = RegQueryValueExA(key, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
              type == REG_LINK;
  RegCloseKey(key);
  return link;
}

bool DeleteTreeBelow(HKEY root, const std::string& path, int depth) {
  // A link is never entered nor deleted, and no tree is deeper than this.
  if (depth > 16 || IsLink(root, path)) return false;
  HKEY key;
  LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  std::vector<std::string> below = SubkeyNames(key);
  RegCloseKey(key);
  bool ok = true;
  for (const std::string& child : below) ok = DeleteTreeBelow(root, path + "\\" + child, depth + 1) && ok;
  if (!ok) return false;
  LONG deleted = RegDeleteKeyA(root, path.c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

}  // namespace

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[256];  // a key name has at most 255 characters
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  return names;
}

bool DeleteTree(HKEY root, const std::string& keyPath) {
  std::string path = Trimmed(keyPath);
  if (path.empty()) return false;  // never the root itself
  return DeleteTreeBelow(root, path, 0);
}

}  // namespace reg
