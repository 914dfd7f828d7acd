// prefs.js on disk. Loading reads the file whole into the line table.
// Writing never cuts the user's file short: the new bytes go into a file
// of their own beside prefs.js, reach the disk, and only then take its
// place. Where that is refused (another program holds the file without
// delete sharing) the file is rewritten in place, and if that write fails
// the old bytes are put back.
#include "prefs_file.h"

#include <windows.h>

#include <new>
#include <optional>
#include <string>

#include "globals.h"
#include "places.h"
#include "prefs/write_rules.h"
#include "text/bounded.h"

namespace {

// The file the table holds: set by a successful load or write, dropped by
// every other load. Only that file is ever overwritten.
bool g_owned = false;
std::string g_ownedPath;

// How that file looked when the table last matched it.
struct FileStamp {
  FILETIME written{};
  DWORD sizeHigh = 0, sizeLow = 0;
  bool operator==(const FileStamp& o) const {
    return CompareFileTime(&written, &o.written) == 0 && sizeHigh == o.sizeHigh && sizeLow == o.sizeLow;
  }
};
FileStamp g_stamp;

bool StampOf(HANDLE file, FileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return false;
  stamp.written = info.ftLastWriteTime;
  stamp.sizeHigh = info.nFileSizeHigh;
  stamp.sizeLow = info.nFileSizeLow;
  return true;
}

bool StampOf(const std::string& path, FileStamp& stamp) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = StampOf(file, stamp);
  CloseHandle(file);
  return ok;
}

// Attributes a rewritten file keeps (read-only files are never rewritten).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

constexpr DWORD kChunk = 1u << 20;

// The full path, or the path as named when none can be formed.
std::string FullOrAsNamed(const std::string& path) {
  std::string full = FullPath(path);
  return full.empty() ? path : full;
}

// Reads from the current position to the end; false on a read error or a
// file larger than any prefs.js.
bool ReadAll(HANDLE file, std::string& bytes) {
  bytes.clear();
  std::string chunk(64 * 1024, '\0');
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, &chunk[0], static_cast<DWORD>(chunk.size()), &got, nullptr)) return false;
    if (got == 0) return true;
    if (bytes.size() + got > prefs::kMaxFileBytes) return false;
    bytes.append(chunk, 0, got);
  }
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD want = bytes.size() - done < kChunk ? static_cast<DWORD>(bytes.size() - done) : kChunk;
    DWORD wrote = 0;
    if (!WriteFile(file, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

bool Rewind(HANDLE file) {
  LARGE_INTEGER start{};
  return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != 0;
}

std::string FolderOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Writes `bytes` to a new file of a name no other file has, in `folder`,
// through to the disk. Returns its path, or "" (and no file) on failure.
std::string WriteTempFile(const std::string& folder, const std::string& bytes, DWORD attributes,
                          const FILETIME* created) {
  static unsigned serial = 0;
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    char name[64];
    wsprintfA(name, "\\mpw%lx-%u.tmp", GetCurrentProcessId(), ++serial);
    temp = folder + name;
    file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return std::string();
  }
  if (file == INVALID_HANDLE_VALUE) return std::string();
  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  if (ok && created) SetFileTime(file, created, nullptr, nullptr);
  if (!CloseHandle(file)) ok = false;
  if (!ok) {
    DeleteFileA(temp.c_str());
    return std::string();
  }
  return temp;
}

// The in-place rewrite: over the old bytes, cut to the new length only
// when all of them are written. A failed write puts the old bytes back.
// Opening without FILE_FLAG_OPEN_REPARSE_POINT writes through a link.
bool RewriteInPlace(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Windows refuses to write a read-only file; Wine running as root does
  // not, so the attribute of the file actually opened is checked here.
  BY_HANDLE_FILE_INFORMATION info{};
  std::string old;
  bool ok = GetFileInformationByHandle(file, &info) &&
            !(info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) &&
            ReadAll(file, old);
  if (ok) {
    ok = Rewind(file) && WriteAll(file, bytes) && SetEndOfFile(file) && FlushFileBuffers(file);
    if (!ok && Rewind(file) && WriteAll(file, old)) {
      SetEndOfFile(file);
      FlushFileBuffers(file);
    }
  }
  CloseHandle(file);
  return ok;
}

bool ReplaceRefused(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// Where the table would be written and how; Refuse when it may not be.
prefs::WriteAction PlanTableWrite(std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  // Only into a real profile folder: never one that resolves to a drive's
  // root or to nothing ("C:\.", "??", a relative name).
  std::optional<std::string> place = ResolvePlace(std::string(ProfileDir, text::BoundedLen(ProfileDir, sizeof ProfileDir)));
  if (!place) return prefs::WriteAction::Refuse;
  const std::string& profile = *place;
  path = prefs::PrefsPathIn(profile);

  prefs::WriteTarget target;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    target.exists = true;
    target.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    target.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    target.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  } else {
    target.unknown = GetLastError() != ERROR_FILE_NOT_FOUND;
  }
  std::string full = FullOrAsNamed(path);
  bool owned = g_owned && prefs::SamePath(full, g_ownedPath);

  return prefs::PlanWrite(profile.size(), target, owned);
}

bool g_writesHeld = false, g_writesPending = false;

bool WriteTable() {
  std::string path;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  prefs::WriteAction action = PlanTableWrite(path, data);
  if (path.empty() || !text::CopyWhole(PrefsFile, path)) return false;
  if (action == prefs::WriteAction::Refuse) return false;
  if (g_writesHeld) {
    g_writesPending = true;
    return true;
  }

  std::string bytes = PrefsLines.Serialize();
  bool ok = false;
  if (action == prefs::WriteAction::WriteThrough) {
    ok = RewriteInPlace(path, bytes);
  } else {
    bool replacing = action == prefs::WriteAction::Replace;
    std::string temp = WriteTempFile(FolderOf(path), bytes,
                                     replacing ? data.dwFileAttributes & kKeptAttributes : 0,
                                     replacing ? &data.ftCreationTime : nullptr);
    if (temp.empty()) return false;
    // A new file never replaces one that turned up meanwhile.
    DWORD how = MOVEFILE_WRITE_THROUGH | (replacing ? MOVEFILE_REPLACE_EXISTING : 0);
    ok = MoveFileExA(temp.c_str(), path.c_str(), how) != 0;
    if (!ok) {
      DWORD error = GetLastError();
      DeleteFileA(temp.c_str());
      if (replacing && ReplaceRefused(error)) ok = RewriteInPlace(path, bytes);
    }
  }
  if (ok) {
    g_owned = true;
    std::string full = FullOrAsNamed(path);
    g_ownedPath.swap(full);
    if (!StampOf(path, g_stamp)) g_stamp = FileStamp{};
  }
  return ok;
}

bool LoadTable(const char* path, void (*opened)()) {
  if (path == nullptr || *path == '\0') return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (opened) opened();
  // Taken before the bytes: a change made while they are read shows later.
  FileStamp stamp;
  std::string bytes;
  bool ok = StampOf(file, stamp) && ReadAll(file, bytes);
  CloseHandle(file);
  if (!ok || !PrefsLines.Load(bytes)) return false;
  g_owned = true;
  g_ownedPath = FullOrAsNamed(path);
  g_stamp = stamp;
  return true;
}

}  // namespace

bool LoadPrefsFile(const char* path, void (*opened)()) {
  g_owned = false;
  g_ownedPath.clear();
  PrefsLines.Clear();
  bool ok = false;
  try {
    ok = LoadTable(path, opened);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) {
    PrefsLines.Clear();
    g_owned = false;
  }
  return ok;
}

bool PrefsWriteTarget(std::string& path) {
  try {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return PlanTableWrite(path, data) != prefs::WriteAction::Refuse;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool WritePrefsFile() {
  try {
    return WriteTable();
  } catch (const std::bad_alloc&) {
    return false;
  }
}

namespace {
bool g_reloadHeld = false;
}  // namespace

bool HoldPrefsWrites(bool held) {
  bool was = g_writesHeld;
  g_writesHeld = held;
  g_writesPending = false;
  return was;
}

bool PrefsWritesPending() { return g_writesPending; }

bool PrefsWriteWouldSucceed(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // A new file: its folder must be there.
    std::string folder = FolderOf(FullOrAsNamed(path));
    DWORD held = GetFileAttributesA((folder + "\\").c_str());
    return held != INVALID_FILE_ATTRIBUTES && (held & FILE_ATTRIBUTE_DIRECTORY);
  }
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
  // The new file is moved over the old one, which Windows refuses while
  // any program has the old one open: an open that shares nothing tells.
  HANDLE alone = CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (alone != INVALID_HANDLE_VALUE) {
    CloseHandle(alone);
    return true;
  }
  // Refused, the file is rewritten in place: as the rewrite opens it.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

PrefsFileMark CurrentPrefsFileMark() {
  PrefsFileMark mark;
  mark.owned = g_owned;
  mark.path = g_ownedPath;
  mark.written = (static_cast<unsigned long long>(g_stamp.written.dwHighDateTime) << 32) | g_stamp.written.dwLowDateTime;
  mark.size = (static_cast<unsigned long long>(g_stamp.sizeHigh) << 32) | g_stamp.sizeLow;
  return mark;
}

void RestorePrefsFileMark(const PrefsFileMark& mark) {
  g_owned = mark.owned;
  g_ownedPath = mark.path;
  g_stamp.written.dwHighDateTime = static_cast<DWORD>(mark.written >> 32);
  g_stamp.written.dwLowDateTime = static_cast<DWORD>(mark.written);
  g_stamp.sizeHigh = static_cast<DWORD>(mark.size >> 32);
  g_stamp.sizeLow = static_cast<DWORD>(mark.size);
}

bool HoldPrefsReload(bool held) {
  bool was = g_reloadHeld;
  g_reloadHeld = held;
  return was;
}

bool ReloadPrefsIfChanged() {
  if (g_reloadHeld) return false;
  try {
    if (!g_owned) {
      std::string path(PrefsFile, text::BoundedLen(PrefsFile, sizeof PrefsFile));
      if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
      return LoadPrefsFile(path.c_str());
    }
    FileStamp now;
    if (!StampOf(g_ownedPath, now) || now == g_stamp) return false;
    std::string path = g_ownedPath;
    return LoadPrefsFile(path.c_str());
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool ReplaceFileWhole(const std::string& path, const std::string& bytes) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return false;
  std::string temp = WriteTempFile(FolderOf(FullOrAsNamed(path)), bytes, 0, nullptr);
  if (temp.empty()) return false;
  if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileA(temp.c_str());
  return false;
}

bool ReadSmallFile(const std::string& path, std::string& bytes, std::size_t limit) {
  bytes.clear();
  if (path.empty()) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) <= limit;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    ok = bytes.empty() || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                           got == bytes.size());
  }
  CloseHandle(file);
  if (!ok) bytes.clear();
  return ok;
}

namespace {

// Replaces the first line holding `key`; false when there is none.
bool ReplaceFirst(const char* key, const char* line) {
  int slot = FindPrefLine(key);
  if (PrefsLines[slot].empty()) return false;
  ReplacePrefLine(slot, line);
  return true;
}

}  // namespace

void SwitchPrefOn(const char* placeholderKey, const char* key, const char* line) {
  if (ReplaceFirst(placeholderKey, line)) return;
  if (ReplaceFirst(key, line)) return;
  AppendPrefLine(line);
}

void SwitchPrefOff(const char* key, const char* placeholder) {
  for (int guard = LineCount + 1; guard > 0 && ReplaceFirst(key, placeholder); --guard) {
  }
}
