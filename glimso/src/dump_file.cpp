// The viewer's only contact with the file it shows. It is opened for
// reading alone, with every kind of sharing, so that the program that owns
// the file can go on writing, renaming or deleting it while it is shown;
// no handle with write access is ever taken, and nothing is written.
//
// A file marked read-only is refused, as the open for update the viewer
// was designed around would refuse it on Windows. The mark is read from
// the attributes before any open, because the open for update itself is
// not a safe test: Wine running as root grants it on read-only files, and
// while such a handle is held, a program opening the file without write
// sharing would be refused.
#include "glimso.h"

namespace glimso {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Only a file on a disk: a pipe or a device (NUL, a serial port) named
// on the command line could block a read for ever.
HANDLE OpenToRead(const std::string& name) {
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

}  // namespace

bool OpenForShowing(const std::string& name, std::uint64_t* length) {
  DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
  HANDLE file = OpenToRead(name);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  BOOL ok = GetFileSizeEx(file, &size);
  CloseHandle(file);
  if (!ok || size.QuadPart < 0) return false;
  *length = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

bool ReadAt(const std::string& name, std::uint64_t offset, void* buffer, DWORD size, DWORD* got) {
  *got = 0;
  HANDLE file = OpenToRead(name);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER where{};
  where.QuadPart = static_cast<LONGLONG>(offset);
  bool ok = SetFilePointerEx(file, where, nullptr, FILE_BEGIN) != 0;
  char* at = static_cast<char*>(buffer);
  while (ok && *got < size) {
    DWORD n = 0;
    if (!ReadFile(file, at + *got, size - *got, &n, nullptr)) ok = false;
    else if (n == 0) break;  // end of the file
    else *got += n;
  }
  CloseHandle(file);
  return ok;
}

}  // namespace glimso
