#include "ini.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"

namespace ini {

namespace {

// The held writes. Names of files, sections and keys are compared without
// case, as the profile functions compare them.
struct Held {
  bool on = false;
  // file|section|key -> value; no value: the key was deleted.
  std::map<std::string, std::optional<std::string>> keys;
  // The same names as written, for the list of what is held.
  std::map<std::string, std::string> shown;
  // file|section: deleted (keys written after the deletion are in `keys`).
  std::map<std::string, bool> deletedSections;
};
Held& held() {
  static Held h;
  return h;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}
std::string SectionName(const char* file, const char* section) {
  return Upper(PathOf(file)) + '|' + Upper(section ? section : "");
}

// The held value of a key: nullopt when nothing is held for it; a held
// nullopt when it is deleted (by itself or with its section).
std::optional<std::optional<std::string>> HeldValue(const char* file, const char* section, const char* key) {
  if (!held().on || !section || !key) return std::nullopt;
  std::string sec = SectionName(file, section);
  auto k = held().keys.find(sec + '|' + Upper(key));
  if (k != held().keys.end()) return k->second;
  if (held().deletedSections.count(sec)) return std::optional<std::string>();
  return std::nullopt;
}

}  // namespace

void HoldWrites(bool hold) {
  held() = Held();
  held().on = hold;
}

bool WritesHeld() { return held().on; }

std::vector<std::string> HeldWrites() {
  std::vector<std::string> lines;
  for (const auto& d : held().deletedSections) lines.push_back(d.first + ": the section deleted");
  for (const auto& k : held().keys) {
    const std::string& name = held().shown[k.first];
    lines.push_back(k.second ? name + " = \"" + *k.second + "\"" : name + ": deleted");
  }
  return lines;
}

std::string PathOf(const char* file) {
  if (std::strchr(file, '\\') || std::strchr(file, '/') || std::strchr(file, ':'))
    return file;
  return plat::InWindowsDirectory(file);
}

std::string GetString(const char* file, const char* section, const char* key, const char* def,
                      DWORD size) {
  if (size == 0) return std::string();
  std::vector<char> buf(size, '\0');
  DWORD n = GetString(file, section, key, def, buf.data(), size);
  return std::string(buf.data(), n);
}

DWORD GetString(const char* file, const char* section, const char* key, const char* def,
                char* buffer, DWORD size) {
  if (size == 0) return 0;
  buffer[0] = '\0';
  if (auto h = HeldValue(file, section, key)) {
    std::string value = *h ? **h : std::string(def ? def : "");
    DWORD n = static_cast<DWORD>(value.size() < size ? value.size() : size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
  }
  DWORD n = ::GetPrivateProfileStringA(section, key, def, buffer, size, PathOf(file).c_str());
  if (n >= size) n = size - 1;
  buffer[n] = '\0';
  return n;
}

std::string Kept(const std::string& value) {
  if (value.empty()) return value;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  bool quoted = value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
  if (!blank(value.front()) && !blank(value.back()) && !quoted) return value;
  return "\"" + value + "\"";
}

int GetInt(const char* file, const char* section, const char* key, int def) {
  if (auto h = HeldValue(file, section, key)) {
    // As the profile function reads a number: none or an empty value is
    // the default, otherwise the leading decimal digits.
    if (!*h || (*h)->empty()) return def;
    return static_cast<int>(std::strtol((*h)->c_str(), nullptr, 10));
  }
  return static_cast<int>(::GetPrivateProfileIntA(section, key, def, PathOf(file).c_str()));
}

bool GetOnOff(const char* file, const char* section, const char* key) {
  return GetInt(file, section, key, 0) != 0;
}

namespace {

// Whether writing `value` (null: deleting) would change the key, as the
// key reads now (held writes included).
bool Changes(const char* file, const char* section, const char* key, const char* value) {
  if (!section || !key) return true;
  // A value no file holds, to tell an absent key from any text.
  static const char kNone[] = "\x01<none>\x01";
  std::string current = GetString(file, section, key, kNone, 4096);
  if (!value) return current != kNone;
  return current != value;
}

bool ReadOnly(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

bool CanWrite(const char* file, const char* section, const char* key, const char* value) {
  // Also while writes are held (a preview): the question is whether the
  // run, which holds nothing, would get through.
  if (!Changes(file, section, key, value)) return true;
  std::string path = PathOf(file);
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    std::string::size_type slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return false;
    DWORD folder = GetFileAttributesA((path.substr(0, slash) + "\\").c_str());
    return folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY);
  }
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool Write(const char* file, const char* section, const char* key, const char* value) {
  if (held().on) {
    if (!section) return false;
    std::string sec = SectionName(file, section);
    if (!key) {
      DeleteSection(file, section);
      return true;
    }
    held().keys[sec + '|' + Upper(key)] = value ? std::optional<std::string>(value) : std::nullopt;
    held().shown[sec + '|' + Upper(key)] = PathOf(file) + " [" + section + "] " + key;
    return true;
  }
  // A write that changes nothing is not made: it gets through however the
  // file is held, as the preview (CanWrite) says.
  std::string path = PathOf(file);
  if (!Changes(file, section, key, value)) return true;
  if (ReadOnly(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return ::WritePrivateProfileStringA(section, key, value, path.c_str()) != 0;
}

void WriteOnOff(const char* file, const char* section, const char* key, bool on) {
  Write(file, section, key, on ? "1" : "0");
}

void WriteInt(const char* file, const char* section, const char* key, int value) {
  char num[16];
  wsprintfA(num, "%d", value);
  Write(file, section, key, num);
}

void DeleteSection(const char* file, const char* section) {
  if (held().on) {
    if (!section) return;
    std::string sec = SectionName(file, section);
    held().deletedSections[sec] = true;
    for (auto k = held().keys.begin(); k != held().keys.end();)
      k = k->first.compare(0, sec.size() + 1, sec + '|') == 0 ? held().keys.erase(k) : std::next(k);
    return;
  }
  ::WritePrivateProfileStringA(section, nullptr, nullptr, PathOf(file).c_str());
}

}  // namespace ini
