// Small helpers shared by the end-to-end tests.
#pragma once
#include <windows.h>

#include <string>

// A path of the build tree as the Windows programs see it ("Z:\...").
inline std::string WindowsPath(const char* unixPath) {
  std::string path = unixPath;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline std::string WindowsDir() {
  char dir[MAX_PATH] = "";
  GetWindowsDirectoryA(dir, sizeof dir);
  return dir;
}
