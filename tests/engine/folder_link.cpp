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

}  // namespace

FolderLink::FolderLink(const std::string& link, const std::string& target) : link_(link) {
  using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  auto createLink = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  if (createLink && createLink(link.c_str(), target.c_str(), 1 /* directory */) && IsFolderLink(link)) return;
  std::string from = ShellQuoted(UnixName(target)), to = ShellQuoted(UnixName(link)), why;
  if (from.empty() || to.empty())
    why = "no Unix name to link by";
  else if (!(why = RunUnixShell("ln -s " + from + " " + to)).empty())
    why = "ln did not make it: " + why;
  else if (!IsFolderLink(link))
    why = "ln ended but Windows sees no linked folder there";
  else
    return;
  ADD_FAILURE() << "the folder link " << link << " to " << target << " was not made: " << why;
}

// The link goes whether or not what it leads to is still there: Wine
// neither lists nor removes a link whose target is gone, so one left behind
// would keep its folder, and the test world, from ever being removed.
bool RemoveFolderLink(const std::string& link, std::string* why) {
  std::string name = UnixName(link);
  if (name.empty()) {
    if (!IsFolderLink(link)) return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES;
    return RemoveDirectoryA(link.c_str()) != 0;
  }
  std::string quoted = ShellQuoted(name);
  std::string failed = quoted.empty() ? "no Unix name to remove it by"
                                      // "rm" without options removes the link itself, never what it leads to.
                                      : RunUnixShell("[ ! -L " + quoted + " ] || rm " + quoted);
  if (why) *why = failed;
  if (!failed.empty()) return false;
  if (GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  if (why) *why = "something that is no link stands there";
  return false;
}

FolderLink::~FolderLink() {
  std::string why;
  if (!RemoveFolderLink(link_, &why)) ADD_FAILURE() << "the folder link " << link_ << " was not removed: " << why;
}

bool FolderLink::ok() const { return IsFolderLink(link_); }
