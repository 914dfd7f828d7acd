#include "folder_link.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "unix_program.h"

namespace {

bool IsFolderLink(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The Unix name Wine gives a Windows path; empty outside Wine.
std::string UnixName(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return std::string();
  wchar_t wide[MAX_PATH] = L"";
  if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return std::string();
  char* unix = toUnix(wide);
  if (!unix) return std::string();
  std::string name = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return name;
}

std::string Quoted(const std::string& unixName) { return "\"" + unixName + "\""; }

// Wine gives no handle to wait on for a Unix program: wait for its effect,
// for as long as a loaded machine may take to start one (30 s).
template <typename Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 1500; ++i) {
    if (done()) return true;
    Sleep(20);
  }
  return done();
}

}  // namespace

FolderLink::FolderLink(const std::string& link, const std::string& target) : link_(link) {
  using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  auto createLink = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  if (createLink && createLink(link.c_str(), target.c_str(), 1 /* directory */) && IsFolderLink(link)) return;
  std::string from = UnixName(target), to = UnixName(link), why;
  if (from.empty() || to.empty() || from.find('"') != std::string::npos || to.find('"') != std::string::npos)
    why = "no Unix name to link by";
  else if (!StartUnixProgram("Z:\\bin\\ln -s " + Quoted(from) + " " + Quoted(to), &why))
    why = "ln was not started: " + why;
  else if (!WaitFor([&] { return IsFolderLink(link); }))
    why = "ln made no link within 30 s";
  else
    return;
  ADD_FAILURE() << "the folder link " << link << " to " << target << " was not made: " << why;
}

bool RemoveFolderLink(const std::string& link) {
  if (!IsFolderLink(link)) return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES;
  std::string name = UnixName(link);
  if (name.empty()) return RemoveDirectoryA(link.c_str()) != 0;
  // "rm" without options removes the link itself, never what it leads to.
  if (name.find('"') != std::string::npos || !StartUnixProgram("Z:\\bin\\rm " + Quoted(name))) return false;
  return WaitFor([&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

FolderLink::~FolderLink() { RemoveFolderLink(link_); }

bool FolderLink::ok() const { return IsFolderLink(link_); }
