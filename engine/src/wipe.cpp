// The secure wipe. The file is overwritten in place (never truncated first,
// so the clusters that held the data are the ones that receive the marker)
// from offset 0 with whole marker blocks until its old length is covered,
// flushed to disk, renamed to a name that no longer carries the user's file
// name, and deleted.
#include "wipe.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "config/names.h"
#include "engine.h"
#include "platform.h"
#include "text/paths.h"
#include "wipe/wipe_block.h"

namespace {

WipeObserver g_observer = nullptr;
void* g_observerContext = nullptr;
RenameObserver g_renameObserver = nullptr;
void* g_renameContext = nullptr;

// Blocks written with one write for large files; the bytes on disk are the
// same as with one block per write.
constexpr std::uint64_t kBlocksPerWrite = 16;

bool IsLinkOrFolder(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0;
}

// What the wipe needs to know of an open file.
struct OpenFacts {
  DWORD attributes = 0;
  DWORD links = 0;
  std::uint64_t size = 0;
};

// Asks for exactly those facts where Windows can (Vista on); the older
// whole-record query also forms the file's name, which under Wine costs
// about as much as wiping a small file.
bool FactsOf(HANDLE file, OpenFacts& facts) {
  struct StandardInfo {
    LARGE_INTEGER allocationSize, endOfFile;
    DWORD numberOfLinks;
    BOOLEAN deletePending, directory;
  };
  struct BasicInfo {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;
    DWORD fileAttributes;
  };
  constexpr int kBasicInfo = 0, kStandardInfo = 1;  // FILE_INFO_BY_HANDLE_CLASS
  using InfoFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
  const InfoFn infoOf = reinterpret_cast<InfoFn>(
      reinterpret_cast<void*>(plat::Get().Proc("kernel32.dll", "GetFileInformationByHandleEx")));
  if (infoOf) {
    StandardInfo standard{};
    BasicInfo basic{};
    if (!infoOf(file, kStandardInfo, &standard, sizeof standard) || !infoOf(file, kBasicInfo, &basic, sizeof basic))
      return false;
    facts.attributes = basic.fileAttributes | (standard.directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
    facts.links = standard.numberOfLinks;
    facts.size = static_cast<std::uint64_t>(standard.endOfFile.QuadPart);
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  LARGE_INTEGER size{};
  if (!GetFileInformationByHandle(file, &info) || !GetFileSizeEx(file, &size)) return false;
  facts.attributes = info.dwFileAttributes;
  facts.links = info.nNumberOfLinks;
  facts.size = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

// True when every marker block was written and flushed to the disk. The
// writes and the flush go through the platform, which tests watch.
bool Overwrite(HANDLE file, std::uint64_t size) {
  std::uint64_t blocks = wipe::BlocksToCover(size);
  std::uint64_t perWrite = blocks < kBlocksPerWrite ? blocks : kBlocksPerWrite;
  std::vector<unsigned char> buffer(perWrite * wipe::kBlockSize);
  wipe::FillBlock(buffer.data());  // filled afresh on every call
  for (std::uint64_t i = 1; i < perWrite; ++i)
    std::copy_n(buffer.data(), wipe::kBlockSize, buffer.data() + i * wipe::kBlockSize);

  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
  for (std::uint64_t done = 0; done < blocks;) {
    std::uint64_t now = blocks - done < perWrite ? blocks - done : perWrite;
    DWORD want = static_cast<DWORD>(now * wipe::kBlockSize), wrote = 0;
    if (!plat::Get().WriteBytes(file, buffer.data(), want, &wrote) || wrote != want) return false;
    done += now;
  }
  return plat::Get().Flush(file) != 0;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
  return out;
}

// Removes the overwritten file. The directory entry is first renamed to a
// name of the same length made of one repeated letter, so it no longer
// carries the user's file name. The rename never replaces an existing file
// (it fails instead, and the next letter is tried); a file that cannot be
// deleted gets its own name back. False when the file is still there.
bool RenameAndDelete(const std::wstring& path, const std::string& shown) {
  std::wstring::size_type slash = path.find_last_of(L"\\/:");
  std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  std::wstring renamed;
  for (wchar_t letter = L'A'; letter <= L'Z' && !name.empty(); ++letter) {
    std::wstring candidate(name.size(), letter);
    if (lstrcmpiW(candidate.c_str(), name.c_str()) == 0) continue;
    if (MoveFileW(path.c_str(), (folder + candidate).c_str())) {
      renamed = folder + candidate;
      break;
    }
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;  // held open, say
  }
  if (renamed.empty()) return DeleteFileW(path.c_str()) != 0;
  if (g_renameObserver) {
    std::string shownFolder = shown.substr(0, shown.find_last_of("\\/:") + 1);
    g_renameObserver(shown.c_str(), (shownFolder + Narrow(renamed.substr(folder.size()))).c_str(), g_renameContext);
  }
  if (DeleteFileW(renamed.c_str())) return true;
  MoveFileW(renamed.c_str(), path.c_str());
  return false;
}

// Why the last wipe left a file, or removed only its name.
const char* g_why = "";

WipeOutcome LeftAlone(const std::string& shown, const char* why) {
  Trace("NotWiped", shown.c_str());
  g_why = why;
  return WipeOutcome::Left;
}

// Removes a name whose content belongs to something else as well.
WipeOutcome RemoveName(const std::wstring& path, const std::string& shown, const char* why, WipeOutcome removed) {
  g_why = why;
  return DeleteFileW(path.c_str()) ? removed : LeftAlone(shown, "the name could not be removed");
}

constexpr char kLinkOnly[] = "a link: only the link goes, what it leads to stays";
constexpr char kNameOnly[] = "one of several names of a file: only this name goes, the content stays";
// A program holds the file sharing reading and writing but not its
// removal: the content is overwritten, the (now empty of it) name stays.
constexpr char kNameStays[] = "overwritten, but its name stays: held open by another program";

WipeOutcome Nuke(const std::wstring& path, const std::string& shown, std::uint64_t* size) {
  if (path.empty()) return WipeOutcome::Missing;
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return WipeOutcome::Missing;  // nothing created
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return WipeOutcome::Missing;  // folders (and folder links) stay
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return RemoveName(path, shown, kLinkOnly, WipeOutcome::NameOnly);  // the link only
  // Windows refuses to write a read-only file; Wine running as root does
  // not, so the attribute is honoured here.
  if (attributes & FILE_ATTRIBUTE_READONLY) return LeftAlone(shown, "read-only");

  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH | FILE_FLAG_OPEN_REPARSE_POINT,
                            nullptr);
  // Held by a program that shares no writing: deleting it now would only
  // hide the name while the bytes stay on the disk.
  if (file == INVALID_HANDLE_VALUE) return LeftAlone(shown, "held open by another program");
  OpenFacts facts;
  if (!FactsOf(file, facts)) {
    CloseHandle(file);
    return LeftAlone(shown, "cannot be read");
  }
  if (size) *size = facts.size;
  if (facts.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
    CloseHandle(file);  // changed between the look and the open
    return facts.attributes & FILE_ATTRIBUTE_DIRECTORY ? WipeOutcome::Missing : LeftAlone(shown, "read-only");
  }
  if (IsLinkOrFolder(facts.attributes) || facts.links > 1) {
    // Never write through a link, nor into a file another name shares:
    // that content is a document somewhere else.
    CloseHandle(file);
    return RemoveName(path, shown, kNameOnly,
                      facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT ? WipeOutcome::NameOnly : WipeOutcome::Unshared);
  }
  bool overwritten = Overwrite(file, facts.size);
  CloseHandle(file);
  // A write or flush that failed (a disk that filled up, say): the file is
  // never deleted unwiped.
  if (!overwritten) return LeftAlone(shown, "could not be overwritten");

  if (g_observer) g_observer(shown.c_str(), g_observerContext);
  if (!RenameAndDelete(path, shown)) g_why = kNameStays;
  return WipeOutcome::Destroyed;
}

WipeOutcome Foresee(const std::wstring& path, std::uint64_t* size, const char*& reason, bool markCleared) {
  reason = "";
  if (size) *size = 0;
  if (path.empty()) return WipeOutcome::Missing;
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return WipeOutcome::Missing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    reason = kLinkOnly;
    return WipeOutcome::NameOnly;
  }
  bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly && !markCleared) {
    reason = "read-only";
    return WipeOutcome::Left;
  }
  // The run opens the file for writing once its mark is cleared. A
  // read-only file refuses that open here (as Windows judges it) although
  // the run would get it: such a file is opened for reading, sharing no
  // writing, which fails while a program holds it open for writing. (A
  // program that only reads it and shares no writing cannot be told
  // without the write access the mark forbids.)
  DWORD access = readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD share = readOnly ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE file = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reason = "held open by another program";
    return WipeOutcome::Left;
  }
  OpenFacts facts;
  bool known = FactsOf(file, facts);
  CloseHandle(file);
  if (!known) {
    reason = "cannot be read";
    return WipeOutcome::Left;
  }
  if (size) *size = facts.size;
  if (IsLinkOrFolder(facts.attributes) || facts.links > 1) {
    reason = kNameOnly;
    return facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT ? WipeOutcome::NameOnly : WipeOutcome::Unshared;
  }
  // Whether the name could be removed after the overwrite: a holder that
  // shares no removal refuses an open that asks for it.
  HANDLE removable = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (removable == INVALID_HANDLE_VALUE)
    reason = kNameStays;
  else
    CloseHandle(removable);
  return WipeOutcome::Destroyed;
}

std::wstring Widen(const char* path) {
  if (path == nullptr || *path == '\0') return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(n - 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, &out[0], n);
  return out;
}

}  // namespace

void SetWipeObserver(WipeObserver observer, void* context) {
  g_observer = observer;
  g_observerContext = context;
}

void SetRenameObserver(RenameObserver observer, void* context) {
  g_renameObserver = observer;
  g_renameContext = context;
}

WipeOutcome nukeIt(const char* path) { return nukeIt(path, nullptr, nullptr); }

WipeOutcome nukeIt(const char* path, std::uint64_t* size, const char** why) {
  return WipeFile(Widen(path), path ? path : "", size, why);
}

WipeOutcome WipeFile(const std::wstring& path, const std::string& shown, std::uint64_t* size, const char** why) {
  g_why = "";
  if (size) *size = 0;
  WipeOutcome outcome = Nuke(path, shown, size);
  if (why) *why = g_why;
  return outcome;
}

WipeOutcome WouldWipe(const char* path, std::uint64_t* size, const char** why, bool markCleared) {
  return WouldWipeFile(Widen(path), size, why, markCleared);
}

WipeOutcome WouldWipeFile(const std::wstring& path, std::uint64_t* size, const char** why, bool markCleared) {
  // The same looks as the wipe, with nothing written: the file is opened
  // for writing (to learn whether a program holds it) and closed again.
  static const char* unused;
  return Foresee(path, size, why ? *why : unused, markCleared);
}

namespace {
std::string g_dumpFiles[std::size(kDumpFiles)];
}  // namespace

void FormDumpFilePaths(const std::string& folder) {
  for (std::size_t i = 0; i < std::size(kDumpFiles); ++i)
    g_dumpFiles[i] = folder.empty() ? std::string() : paths::Join(folder, kDumpFiles[i]);
}

std::string DumpFilePath(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= std::size(kDumpFiles)) return std::string();
  return g_dumpFiles[index];
}

void WipeDumpFiles() {
  for (const std::string& path : g_dumpFiles)
    if (!path.empty()) nukeIt(path.c_str());
}
