// What the Windows benchmarks share: a scratch folder, a platform that
// answers every prompt at once, planting files, and the raw write-through
// loop every wipe figure is compared with.
#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform.h"
#include "wipe/wipe_block.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The folder given on the command line, or one named `name` in the
// temporary folder; created when missing.
inline std::string ScratchFolder(int argc, char** argv, const char* name) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  std::string root = argc > 1 ? argv[1] : std::string(temp) + name;
  CreateDirectoryA(root.c_str(), nullptr);
  return root;
}

// Questions answered Yes, messages OK, no waiting; places in the scratch folder.
class BenchPlatform : public plat::Platform {
 public:
  explicit BenchPlatform(const std::string& root) : root_(root) { CreateDirectoryA(WindowsDirectory().c_str(), nullptr); }
  int Prompt(HWND, const char*, const char*, UINT type) override {
    return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
  }
  void Pause(DWORD) override {}
  // Folders of their own: the folders the steps empty must not lie in
  // Windows or in the program's folder.
  std::string WindowsDirectory() override { return root_ + "\\windows"; }
  std::string ProgramPath() override { return root_ + "\\program\\mopwell.exe"; }

 private:
  std::string root_;
};

inline void WriteBytes(const std::string& path, const void* data, std::size_t size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD wrote = 0;
  if (size) WriteFile(h, data, static_cast<DWORD>(size), &wrote, nullptr);
  CloseHandle(h);
}
inline void WriteBytes(const std::string& path, const std::string& text) {
  WriteBytes(path, text.data(), text.size());
}

struct Planted {
  std::vector<std::string> paths;
  std::vector<std::size_t> sizes;
};

// `count` files of `size` bytes named stem0.dat, stem1.dat ... in `dir`.
inline void Plant(const std::string& dir, int count, std::size_t size, const char* stem, Planted& out) {
  CreateDirectoryA(dir.c_str(), nullptr);
  std::vector<char> data(size, 'u');
  for (int i = 0; i < count; ++i) {
    std::string path = dir + "\\" + stem + std::to_string(i) + ".dat";
    WriteBytes(path, data.data(), data.size());
    out.paths.push_back(path);
    out.sizes.push_back(size);
  }
}

// The plain loop: the bytes the wipe writes, one block per write with
// write-through, flushed, closed and deleted; with `rename`, first renamed
// to a name of the same length, as the wipe does. Returns seconds.
inline double PlainBaseline(const Planted& files, bool rename) {
  std::vector<unsigned char> block(wipe::kBlockSize, '.');
  auto start = Clock::now();
  for (std::size_t i = 0; i < files.paths.size(); ++i) {
    const std::string& path = files.paths[i];
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    for (std::uint64_t b = 0, n = wipe::BlocksToCover(files.sizes[i]); b < n; ++b) {
      DWORD wrote = 0;
      WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &wrote, nullptr);
    }
    FlushFileBuffers(h);
    CloseHandle(h);
    if (rename) {
      std::string::size_type slash = path.find_last_of('\\') + 1;
      std::string to = path.substr(0, slash) + std::string(path.size() - slash, 'A');
      MoveFileA(path.c_str(), to.c_str());
      DeleteFileA(to.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  }
  return SecondsSince(start);
}

}  // namespace bench
