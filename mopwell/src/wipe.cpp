// The secure wipe. The file is overwritten in place (never truncated first,
// so the clusters that held the data are the ones that receive the marker)
// from offset 0 with whole marker blocks until its old length is covered,
// flushed to disk, renamed to a name that no longer carries the user's file
// name, and deleted.
#include "wipe.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/names.h"
#include "wipe/wipe_block.h"

namespace {

WipeObserver g_observer = nullptr;
void* g_observerContext = nullptr;

// Blocks written with one WriteFile call for large files; the bytes on disk
// are the same as with one block per call.
constexpr std::uint64_t kBlocksPerWrite = 16;

bool IsLinkOrFolder(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0;
}

void Overwrite(HANDLE file, std::uint64_t size) {
  std::uint64_t blocks = wipe::BlocksToCover(size);
  std::uint64_t perWrite = blocks < kBlocksPerWrite ? blocks : kBlocksPerWrite;
  std::vector<unsigned char> buffer(perWrite * wipe::kBlockSize);
  wipe::FillBlock(buffer.data());  // filled afresh on every call
  for (std::uint64_t i = 1; i < perWrite; ++i)
    std::copy_n(buffer.data(), wipe::kBlockSize, buffer.data() + i * wipe::kBlockSize);

  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return;
  for (std::uint64_t done = 0; done < blocks;) {
    std::uint64_t now = blocks - done < perWrite ? blocks - done : perWrite;
    DWORD want = static_cast<DWORD>(now * wipe::kBlockSize), wrote = 0;
    if (!WriteFile(file, buffer.data(), want, &wrote, nullptr) || wrote != want) break;
    done += now;
  }
  FlushFileBuffers(file);
}

// Removes the overwritten file. The directory entry is first renamed to a
// name of the same length made of one repeated letter, so it no longer
// carries the user's file name. The rename never replaces an existing file
// (it fails instead, and the next letter is tried); a file that cannot be
// deleted gets its own name back.
void RenameAndDelete(const char* path) {
  std::string full(path);
  std::string::size_type slash = full.find_last_of("\\/:");
  std::string folder = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? full : full.substr(slash + 1);
  std::string renamed;
  for (char letter = 'A'; letter <= 'Z' && !name.empty(); ++letter) {
    std::string candidate(name.size(), letter);
    if (lstrcmpiA(candidate.c_str(), name.c_str()) == 0) continue;
    if (MoveFileA(path, (folder + candidate).c_str())) {
      renamed = folder + candidate;
      break;
    }
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;  // held open, say
  }
  if (renamed.empty()) {
    DeleteFileA(path);
    return;
  }
  if (!DeleteFileA(renamed.c_str())) MoveFileA(renamed.c_str(), path);
}

}  // namespace

void SetWipeObserver(WipeObserver observer, void* context) {
  g_observer = observer;
  g_observerContext = context;
}

void nukeIt(const char* path) {
  if (path == nullptr || *path == '\0') return;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;        // nothing to destroy, nothing created
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return;        // folders (and folder links) stay
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {          // a link: remove the link only
    DeleteFileA(path);
    return;
  }
  // Windows refuses to write a read-only file; Wine running as root does
  // not, so the attribute is honoured here.
  if (attributes & FILE_ATTRIBUTE_READONLY) return;

  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH | FILE_FLAG_OPEN_REPARSE_POINT,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // Locked without write sharing: it survives, as the delete fails too.
    DeleteFileA(path);
    return;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file, &info) &&
      (IsLinkOrFolder(info.dwFileAttributes) || (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))) {
    // Changed between the look and the open: never write through it.
    CloseHandle(file);
    if (!(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) DeleteFileA(path);
    return;
  }
  LARGE_INTEGER size{};
  std::uint64_t length = GetFileSizeEx(file, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  Overwrite(file, length);
  CloseHandle(file);

  if (g_observer) g_observer(path, g_observerContext);
  RenameAndDelete(path);
}

void WipeDumpFiles() {
  for (const char* name : kDumpFiles) nukeIt(name);
}
