// Measures the secure wipe against a plain baseline measured in the same
// run: the baseline writes the same number of bytes into the same kind of
// files with write-through, flushes and deletes them.
//   nuke_bench_win [SCRATCH_FOLDER]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "wipe.h"
#include "wipe/wipe_block.h"

namespace {

using Clock = std::chrono::steady_clock;

void MakeFiles(const std::string& dir, int count, size_t size, std::vector<std::string>& paths) {
  std::vector<char> data(size, 'u');
  paths.clear();
  for (int i = 0; i < count; ++i) {
    std::string path = dir + "\\f" + std::to_string(i) + ".dat";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD wrote = 0;
    if (size) WriteFile(h, data.data(), static_cast<DWORD>(size), &wrote, nullptr);
    CloseHandle(h);
    paths.push_back(path);
  }
}

// The plain loop: one block per write, write-through, flush, close, delete
// (with `rename`, the entry is first renamed as the wipe does).
void Baseline(const std::vector<std::string>& paths, size_t size, bool rename) {
  std::vector<unsigned char> block(wipe::kBlockSize, '.');
  std::uint64_t blocks = wipe::BlocksToCover(size);
  for (const std::string& path : paths) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    for (std::uint64_t b = 0; b < blocks; ++b) {
      DWORD wrote = 0;
      WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &wrote, nullptr);
    }
    FlushFileBuffers(h);
    CloseHandle(h);
    if (rename) {
      std::string to = path.substr(0, path.find_last_of('\\') + 1) + "AAAAAA";
      MoveFileA(path.c_str(), to.c_str());
      DeleteFileA(to.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  }
}

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

void RunCase(const std::string& dir, int count, size_t size) {
  std::vector<std::string> paths;
  double written = double(count) * double(wipe::CoveredLength(size)) / (1024.0 * 1024.0);

  MakeFiles(dir, count, size, paths);
  auto t0 = Clock::now();
  Baseline(paths, size, false);
  double base = Seconds(t0, Clock::now());

  MakeFiles(dir, count, size, paths);
  t0 = Clock::now();
  Baseline(paths, size, true);
  double renamed = Seconds(t0, Clock::now());

  MakeFiles(dir, count, size, paths);
  t0 = Clock::now();
  for (const std::string& path : paths) nukeIt(path.c_str());
  double nuke = Seconds(t0, Clock::now());

  std::printf("%5d files x %8zu bytes | nukeIt %7.3f s %9.1f files/s %8.1f MB/s | "
              "baseline %7.3f s %9.1f files/s %8.1f MB/s | ratio %.2f | "
              "baseline+rename %7.3f s, ratio %.2f\n",
              count, size, nuke, count / nuke, written / nuke, base, count / base, written / base,
              nuke / base, renamed, nuke / renamed);
}

}  // namespace

int main(int argc, char** argv) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  std::string dir = argc > 1 ? argv[1] : std::string(temp) + "mopwell-nuke-bench";
  CreateDirectoryA(dir.c_str(), nullptr);
  std::printf("secure wipe benchmark in %s (MB = MiB written, ratio = nukeIt / baseline)\n", dir.c_str());
  RunCase(dir, 2000, 4096);
  RunCase(dir, 20, 8u * 1024 * 1024);
  RunCase(dir, 1000, 10);
  RemoveDirectoryA(dir.c_str());
  return 0;
}
