// What a browser store holds, counted by the tests on their own (not by the
// code under test): lines holding a text, and the plain files of a folder
// with their lengths.
#pragma once
#include <windows.h>

#include <string>

namespace store_tally {

inline int LinesHolding(const std::string& bytes, const std::string& needle) {
  int n = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    if (bytes.substr(at, end - at).find(needle) != std::string::npos) ++n;
    at = end + 1;
  }
  return n;
}

struct Tally {
  unsigned long long files = 0, bytes = 0;
};

// Files matching `pattern` in `folder`, folders, hidden and system files
// left out.
inline Tally Walk(const std::string& folder, const char* pattern) {
  Tally t;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return t;
  do {
    if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    ++t.files;
    t.bytes += (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return t;
}

}  // namespace store_tally
