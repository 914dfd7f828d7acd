#include "places.h"

#include <windows.h>

#include <vector>

#include "platform.h"
#include "text/bounded.h"
#include "text/paths.h"

namespace {

bool OnLocalDrive(const std::string& path) {
  return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
         paths::IsAbsolute(path);
}

}  // namespace

std::string FullPath(const std::string& path) {
  DWORD need = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return std::string();
  std::string full(need, '\0');
  DWORD got = GetFullPathNameA(path.c_str(), need, &full[0], nullptr);
  if (got == 0 || got >= need) return std::string();
  full.resize(got);
  return full;
}

namespace {

// The long form of a full path. The part that does not exist (yet) is kept
// as written behind the long form of the part that does.
std::string LongForm(const std::string& full) {
  std::string head = full, tail;
  for (int depth = 0; depth < 512 && !head.empty(); ++depth) {
    // One call where the long form fits the usual buffer (each call looks
    // at every folder on the way), a second only where it does not.
    std::string out(MAX_PATH + 1, '\0');
    DWORD got = GetLongPathNameA(head.c_str(), &out[0], static_cast<DWORD>(out.size()));
    if (got >= out.size()) {
      out.assign(got, '\0');
      DWORD need = got;
      got = GetLongPathNameA(head.c_str(), &out[0], need);
      if (got >= need) got = 0;
    }
    if (got != 0) {
      out.resize(got);
      return tail.empty() ? out : paths::Join(out, tail);
    }
    std::string::size_type cut = head.find_last_of("\\/");
    if (cut == std::string::npos) break;
    if (cut + 1 == head.size()) break;  // a root: nothing more to take off
    tail = tail.empty() ? head.substr(cut + 1) : paths::Join(head.substr(cut + 1), tail);
    head.resize(cut);
    if (head.size() == 2 && head[1] == ':') head += '\\';  // "C:" alone means the current folder
  }
  return full;
}

// Where an existing file or folder finally leads, all links followed.
// Windows before Vista cannot say: a link there leads nowhere we accept.
std::string FinalPath(const std::string& path) {
  using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  const FinalPathFn finalPathOf = reinterpret_cast<FinalPathFn>(
      reinterpret_cast<void*>(plat::Get().Proc("kernel32.dll", "GetFinalPathNameByHandleA")));
  if (!finalPathOf) return std::string();
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  char buffer[4 * MAX_PATH];
  constexpr DWORD kNormalizedDosName = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS
  DWORD n = finalPathOf(h, buffer, sizeof buffer, kNormalizedDosName);
  CloseHandle(h);
  if (n == 0 || n >= sizeof buffer) return std::string();
  std::string final(buffer, n);
  if (final.compare(0, 4, "\\\\?\\") == 0) final.erase(0, 4);  // "\\?\UNC\..." stays: not local
  return final;
}

}  // namespace

std::string FullLongPath(const std::string& path) {
  std::string full = FullPath(path);
  return full.empty() ? full : LongForm(full);
}

std::optional<std::string> ResolvePlace(const std::string& path) {
  if (!OnLocalDrive(path) || path.find('\0') != std::string::npos) return std::nullopt;
  std::string place = FullLongPath(path);
  std::optional<std::vector<std::string>> parts = paths::Components(place);
  if (!OnLocalDrive(place) || !parts) return std::nullopt;

  // The deepest link on the way decides where the rest of the path is: the
  // existing part up to it is replaced by where it leads, and the check
  // starts again there (a link may lead to a place that holds links).
  for (int round = 0; round < 32; ++round) {
    std::string step = (*parts)[0] + "\\";
    std::size_t lastLink = 0;
    for (std::size_t i = 1; i < parts->size(); ++i) {
      step = paths::Join(step, (*parts)[i]);
      DWORD attributes = GetFileAttributesA(step.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) break;
      if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) lastLink = i;
    }
    if (lastLink == 0) break;
    std::string linked = (*parts)[0] + "\\";
    for (std::size_t i = 1; i <= lastLink; ++i) linked = paths::Join(linked, (*parts)[i]);
    std::string target = FinalPath(linked);
    if (!OnLocalDrive(target)) return std::nullopt;  // unreadable, or on a network share
    for (std::size_t i = lastLink + 1; i < parts->size(); ++i) target = paths::Join(target, (*parts)[i]);
    place = FullLongPath(target);
    parts = paths::Components(place);
    if (!OnLocalDrive(place) || !parts) return std::nullopt;
    if (round == 31) return std::nullopt;  // links that keep leading to links
  }
  if (parts->size() < 2) return std::nullopt;  // the root of a drive
  while (place.back() == '\\' || place.back() == '/') place.pop_back();
  return place;
}

std::optional<std::string> NamedPlace(const std::string& path) {
  if (!OnLocalDrive(path) || path.find('\0') != std::string::npos) return std::nullopt;
  std::string place = FullLongPath(path);
  std::optional<std::vector<std::string>> parts = paths::Components(place);
  if (!OnLocalDrive(place) || !parts || parts->size() < 2) return std::nullopt;
  while (place.back() == '\\' || place.back() == '/') place.pop_back();
  return place;
}

bool SamePlace(const std::string& a, const std::string& b) {
  std::optional<std::vector<std::string>> pa = paths::Components(a), pb = paths::Components(b);
  if (!pa || !pb || pa->size() != pb->size()) return false;
  for (std::size_t i = 0; i < pa->size(); ++i)
    if (!text::EqualsNoCase((*pa)[i], (*pb)[i])) return false;
  return true;
}

PlacePin::PlacePin(const std::string& place) {
  std::optional<std::vector<std::string>> parts = paths::Components(place);
  if (!parts || parts->size() < 2) return;
  std::wstring full;
  for (const std::string& part : *parts) {
    int n = MultiByteToWideChar(CP_ACP, 0, part.data(), static_cast<int>(part.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n <= 0 || !MultiByteToWideChar(CP_ACP, 0, part.data(), static_cast<int>(part.size()), &wide[0], n)) return;
    full += (full.empty() ? L"" : L"\\") + wide;
  }
  Hold(full);
}

PlacePin::PlacePin(const std::wstring& place) { Hold(place); }

void PlacePin::Hold(const std::wstring& place) {
  // "X:" and then one name a folder, each reached in the "\\?\" form so
  // that no name is taken for anything but itself.
  if (place.size() < 4 || place[1] != L':' || place[2] != L'\\') return;
  std::wstring step = L"\\\\?\\" + place.substr(0, 2);
  std::wstring::size_type at = 3;
  while (at < place.size()) {
    std::wstring::size_type end = place.find(L'\\', at);
    if (end == std::wstring::npos) end = place.size();
    if (end == at) return;  // an empty name: not a resolved place
    step += L"\\" + place.substr(at, end - at);
    at = end + 1;
    // Listing rights take part in sharing, so a rename or removal (which
    // needs delete access) is refused while the handle is open.
    HANDLE h = CreateFileW(step.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) state_ = State::Missing;
      return;
    }
    handles_.push_back(h);
    // Asked of the handle and, now that the name is held, of the name too
    // (Wine opens a folder link's target even when told not to follow).
    BY_HANDLE_FILE_INFORMATION info{};
    DWORD named = GetFileAttributesW(step.c_str());
    if (!GetFileInformationByHandle(h, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        ((info.dwFileAttributes | named) & FILE_ATTRIBUTE_REPARSE_POINT) || named == INVALID_FILE_ATTRIBUTES)
      return;
  }
  state_ = State::Held;
}

PlacePin::~PlacePin() {
  for (void* h : handles_) CloseHandle(static_cast<HANDLE>(h));
}

namespace {

enum class Naming { None, Own, Shared, SharedFolder, Unknown };

Naming NamingOf(const char* path) {
  HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Naming::None;
  BY_HANDLE_FILE_INFORMATION info{};
  bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return Naming::Unknown;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && info.nNumberOfLinks <= 1) return Naming::Own;
  return info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? Naming::SharedFolder : Naming::Shared;
}

}  // namespace

bool HasOtherNames(const char* path) {
  if (!path || !path[0]) return false;
  Naming n = NamingOf(path);
  return n != Naming::None && n != Naming::Own;
}

bool WouldUnshare(const char* path, bool* removes) {
  *removes = false;
  if (!path || !path[0]) return false;
  switch (NamingOf(path)) {
    case Naming::None:
    case Naming::Own: return true;
    case Naming::Unknown:
    case Naming::SharedFolder: return false;
    case Naming::Shared: break;
  }
  // DeleteFileA refuses a read-only name, and one held open by a program
  // that does not share its removal: an open asking for removal tells.
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  HANDLE file = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  *removes = true;
  return true;
}

bool UnshareName(const char* path) {
  if (!path || !path[0]) return false;
  switch (NamingOf(path)) {
    case Naming::None:  // none: a writer makes a file of its own
    case Naming::Own: return true;
    case Naming::Unknown:
    case Naming::SharedFolder: return false;  // a folder link is no file to write
    case Naming::Shared: break;
  }
  return DeleteFileA(path) != 0;
}
