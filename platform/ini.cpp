#include "ini.h"

#include <cstring>
#include <vector>

#include "platform.h"

namespace ini {

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
  DWORD n = ::GetPrivateProfileStringA(section, key, def, buffer, size, PathOf(file).c_str());
  if (n >= size) n = size - 1;
  buffer[n] = '\0';
  return n;
}

int GetInt(const char* file, const char* section, const char* key, int def) {
  return static_cast<int>(::GetPrivateProfileIntA(section, key, def, PathOf(file).c_str()));
}

bool GetOnOff(const char* file, const char* section, const char* key) {
  return GetInt(file, section, key, 0) != 0;
}

bool Write(const char* file, const char* section, const char* key, const char* value) {
  return ::WritePrivateProfileStringA(section, key, value, PathOf(file).c_str()) != 0;
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
  ::WritePrivateProfileStringA(section, nullptr, nullptr, PathOf(file).c_str());
}

}  // namespace ini
