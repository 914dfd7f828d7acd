#include "fake_platform.h"

#include <atomic>
#include <vector>

#include "folder_link.h"
#include "registry.h"
#include "unix_program.h"
#include "text/paths.h"

namespace {
std::atomic<int> g_serial{0};

// Removes a test's registry tree. A link key is deleted as itself and never
// entered: by name, a link leads to its target, and one whose target is
// gone cannot be opened by name at all, so a name-based delete of the tree
// above it fails and leaves the whole tree in place. A later test with the
// same process id would then start with this test's registry.
bool RemoveTestKey(HKEY root, const std::string& path, int depth = 0) {
  using DeleteKey = LONG(NTAPI*)(HANDLE);
  static const auto deleteKey = reinterpret_cast<DeleteKey>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
  HKEY key;
  LONG opened = RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | DELETE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  DWORD type = 0;
  bool link = RegQueryValueExA(key, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
              type == REG_LINK;
  bool ok = deleteKey != nullptr && depth < 32;
  if (ok && !link) {
    for (const std::string& child : reg::SubkeyNames(key))
      ok = RemoveTestKey(root, path + "\\" + child, depth + 1) && ok;
  }
  ok = ok && deleteKey(key) == 0;
  RegCloseKey(key);
  return ok;
}

// Removes a test world. What Win32 cannot remove goes the Unix way: Wine
// neither lists nor removes a link whose target is gone, and such a link
// would keep the world, for the next test given this process id, for good.
// "rm -r" removes links themselves, never what they lead to.
bool RemoveWorld(const std::string& root) {
  RemoveTree(root);
  if (GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  std::string unix = ShellQuoted(UnixName(root));
  if (unix.empty() || unix.find("/mopwell-test-") == std::string::npos) return false;
  RunUnixShell("rm -rf " + unix);
  return GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}
}  // namespace

FakePlatform::FakePlatform() {
  char temp[MAX_PATH + 1] = "";
  GetTempPathA(sizeof temp, temp);
  root = std::string(temp) + "mopwell-test-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++g_serial);
  if (!RemoveWorld(root)) ADD_FAILURE() << "the test world " << root << " left by an earlier test could not be removed";
  CreateDirectoryA(root.c_str(), nullptr);
  windowsDir = root + "\\windows";
  programDir = root + "\\program";
  CreateDirectoryA(windowsDir.c_str(), nullptr);
  CreateDirectoryA(programDir.c_str(), nullptr);

  keyPath_ = "Software\\MopwellTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(g_serial.load());
  // Another test of an earlier process with this id may have left its
  // registry here (it was killed, or its key would not go): starting on it
  // would hand this test that test's settings.
  if (!RemoveTestKey(HKEY_CURRENT_USER, keyPath_) || KeyExists(keyPath_))
    ADD_FAILURE() << "the registry key " << keyPath_ << " left by an earlier test could not be removed";
  RegCreateKeyExA(HKEY_CURRENT_USER, (keyPath_ + "\\HKCU").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                  nullptr, &hkcu, nullptr);
  RegCreateKeyExA(HKEY_CURRENT_USER, (keyPath_ + "\\HKLM").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                  nullptr, &hklm, nullptr);

  char cwd[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  savedCwd_ = cwd;
  plat::Install(this);
}

FakePlatform::~FakePlatform() {
  plat::Install(nullptr);
  SetCurrentDirectoryA(savedCwd_.c_str());
  RegCloseKey(hkcu);
  RegCloseKey(hklm);
  bool keyRemoved = RemoveTestKey(HKEY_CURRENT_USER, keyPath_) && !KeyExists(keyPath_);
  EXPECT_TRUE(keyRemoved) << "the test's registry key " << keyPath_
                          << " could not be removed: a later test with this process id would start on it";
  RemoveTree(root);
  // A world left behind is a sibling of every later one in the temporary
  // folder, and Wine makes the short names of such like-named siblings
  // from a small hash: they soon share one, and a short name then leads
  // into another world. Whatever a test holds open or leaves in it shows
  // here, in that test.
  EXPECT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES)
      << "the test world " << root << " could not be removed: something in it is still open or linked";
  RemoveWorld(root);  // gone for the tests after this one all the same
}

FARPROC FakePlatform::Proc(const char* dll, const char* name) {
  if (onProc) onProc(name);
  if (missingProcs.count(name)) return nullptr;
  auto standIn = procs.find(name);
  return standIn != procs.end() ? standIn->second : plat::Platform::Proc(dll, name);
}

int FakePlatform::Prompt(HWND owner, const char* text, const char* title, UINT type) {
  ShownBox box{owner, text ? text : "", title ? title : "", type};
  boxes.push_back(box);
  if (onBox) onBox(box);
  if (!answers.empty()) {
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
  }
}

BOOL FakePlatform::WriteBytes(HANDLE file, const void* data, DWORD size, DWORD* written) {
  ++writes;
  if (failWrites || writesLeft == 0) {
    if (written) *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  if (writesLeft > 0) --writesLeft;
  return plat::Platform::WriteBytes(file, data, size, written);
}

BOOL FakePlatform::Flush(HANDLE file) {
  ++flushes;
  if (failFlushes) {
    SetLastError(ERROR_IO_DEVICE);
    return FALSE;
  }
  return plat::Platform::Flush(file);
}

HANDLE FakePlatform::FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* found) {
  if (listingFailsAfter == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  listed_ = 1;
  return plat::Platform::FindFirst(pattern, found);
}

BOOL FakePlatform::FindNext(HANDLE find, WIN32_FIND_DATAW* found) {
  if (listingFailsAfter > 0 && listed_ >= listingFailsAfter) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  ++listed_;
  return plat::Platform::FindNext(find, found);
}

UINT FakePlatform::Exec(const char* cmdLine, UINT show) {
  launches.push_back({"WinExec", cmdLine ? cmdLine : "", "", static_cast<int>(show)});
  return winExecResult;
}

HINSTANCE FakePlatform::ShellOpen(HWND, const char* verb, const char* file, const char* params,
                                     const char*, INT show) {
  launches.push_back({std::string("ShellExecute:") + (verb ? verb : ""), file ? file : "",
                      params ? params : "", show});
  return reinterpret_cast<HINSTANCE>(shellExecuteResult);
}

BOOL FakePlatform::Help(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) {
  helpOwners.push_back(owner);
  launches.push_back({"WinHelp", helpFile ? helpFile : "", std::to_string(data),
                      static_cast<int>(command)});
  return winHelpResult;
}

BOOL FakePlatform::ChooseFile(OPENFILENAMEA* r) {
  ShownChooser c{};
  c.owner = r->hwndOwner;
  if (const char* f = r->lpstrFilter) {
    const char* end = f;
    while (end[0] || end[1]) ++end;
    c.filter.assign(f, end + 2);
  }
  c.title = r->lpstrTitle ? r->lpstrTitle : "";
  c.initialDir = r->lpstrInitialDir ? r->lpstrInitialDir : "<none>";
  c.flags = r->Flags;
  c.filterIndex = r->nFilterIndex;
  c.fileSize = r->nMaxFile;
  c.titleSize = r->nMaxFileTitle;
  c.fileEmptied = r->lpstrFile && r->lpstrFile[0] == '\0';
  c.titleEmptied = r->lpstrFileTitle && r->lpstrFileTitle[0] == '\0';
  c.defaultExtension = r->lpstrDefExt != nullptr;
  choosers.push_back(c);
  if (!chooserMovesTo.empty()) SetCurrentDirectoryA(chooserMovesTo.c_str());
  std::string pick;
  if (!picks.empty()) {
    pick = picks.front();
    picks.pop_front();
  }
  if (pick.empty()) return FALSE;  // cancelled: the buffers stay as they were
  lstrcpynA(r->lpstrFile, pick.c_str(), static_cast<int>(r->nMaxFile));
  std::string title = pick.substr(pick.find_last_of('\\') + 1);
  if (r->lpstrFileTitle) lstrcpynA(r->lpstrFileTitle, title.c_str(), static_cast<int>(r->nMaxFileTitle));
  return TRUE;
}

void FakePlatform::Pause(DWORD ms) { sleeps.push_back(ms); }

std::string FakePlatform::ProgramPath() { return paths::Join(programDir, "mopwell.exe"); }

std::string FakePlatform::InProgram(const std::string& name) const {
  return paths::Join(programDir, name);
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
  CloseHandle(h);
  return ok && wrote == bytes.size();
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!ReadFile(h, &bytes[done], want, &got, nullptr) || got == 0) break;
    done += got;
  }
  CloseHandle(h);
  bytes.resize(done);
  return true;
}

std::string FakePlatform::Folder(const std::string& relative) const {
  std::string path = root + "\\" + relative;
  for (size_t i = root.size() + 1; (i = path.find('\\', i + 1)) != std::string::npos;)
    CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::set<std::string> NamesIn(const std::string& dir) {
  std::set<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (lstrcmpA(fd.cFileName, ".") && lstrcmpA(fd.cFileName, "..")) names.insert(fd.cFileName);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return names;
}

void RemoveTree(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return;
  if (attr & FILE_ATTRIBUTE_DIRECTORY) {
    // A link goes itself, and nothing it leads to.
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT) {
      RemoveFolderLink(path);
      return;
    }
    {
      WIN32_FIND_DATAA fd;
      HANDLE find = FindFirstFileA((path + "\\*").c_str(), &fd);
      if (find != INVALID_HANDLE_VALUE) {
        do {
          std::string name = fd.cFileName;
          if (name == "." || name == "..") continue;
          RemoveTree(path + "\\" + name);
        } while (FindNextFileA(find, &fd));
        FindClose(find);
      }
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
  } else {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
}

void SetRegText(HKEY root, const char* keyPath, const char* value, const std::string& data) {
  HKEY key;
  if (RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
}

bool GetRegText(HKEY root, const char* keyPath, const char* value, std::string& data) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  bool ok = RegQueryValueExA(key, value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  if (ok) {
    std::vector<char> buf(size + 1, '\0');
    ok = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) ==
         ERROR_SUCCESS;
    if (ok) data = buf.data();
  }
  RegCloseKey(key);
  return ok;
}

std::string ReadIni(const std::string& file, const char* section, const char* key, const char* def) {
  char buf[4096] = "";
  GetPrivateProfileStringA(section, key, def, buf, sizeof buf, file.c_str());
  return buf;
}

::testing::AssertionResult ShowsProgress(const std::vector<std::string>& captions,
                                         const std::vector<std::string>& shown) {
  if (captions.size() != shown.size() || captions.empty())
    return ::testing::AssertionFailure() << captions.size() << " captions for " << shown.size() << " wipes";
  if (captions[0] != shown[0])
    return ::testing::AssertionFailure() << "first wipe showed \"" << captions[0] << "\", not \"" << shown[0] << "\"";
  for (std::size_t i = 1; i < captions.size(); ++i) {
    bool earlier = false;
    for (std::size_t j = 0; j <= i && !earlier; ++j) earlier = captions[i] == shown[j];
    if (!earlier) return ::testing::AssertionFailure() << "wipe " << i << " showed \"" << captions[i] << "\"";
  }
  return ::testing::AssertionSuccess();
}
