// The viewer page's count pass over a cache of 10,000 files, beside a bare
// FindFirstFile walk of the same folder in the same run, in alternating
// rounds; and the pass with an empty cache, which shows what the rest of
// the pass (the other stores and the ten texts drawn) costs.
//
//   viewer_count_bench_win [FOLDER]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "ini.h"
#include "mopwell.h"

namespace {

using bench::Clock;
using bench::SecondsSince;

// A window with the controls the pass writes into.
HWND MakePage() {
  HWND page = CreateWindowExA(0, "STATIC", "viewer count bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 520, 360,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!page) return nullptr;
  int y = 8;
  for (int id = 137; id <= 146; ++id, y += 30)
    CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 8, y, 480, 24, page,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  CreateWindowExA(0, "BUTTON", "Show me", WS_CHILD | WS_VISIBLE, 8, y, 80, 24, page,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(120)), GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(page);
  return page;
}

// The bare walk: one listing, lengths added up from what it reports.
double BareWalk(const std::string& folder, unsigned long long& files) {
  auto start = Clock::now();
  files = 0;
  unsigned long long bytes = 0;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      ++files;
      bytes += fd.nFileSizeLow;
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  double seconds = SecondsSince(start);
  std::printf("%s", bytes == 1 ? " " : "");  // the sum is used, so it is made
  return seconds;
}

double Pass(HWND page) {
  auto start = Clock::now();
  DlgProc2(page, WM_PAGEREFRESH, 0, 0);
  return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  std::string root = bench::ScratchFolder(argc, argv, "mopwell-viewer-bench");
  bench::BenchPlatform platform(root);
  plat::Install(&platform);
  SetCurrentDirectoryA(root.c_str());
  // Only the cache is counted: the news map is not looked for.
  ini::Write("MOPWELL.INI", "customs", "news", "none");
  HWND page = MakePage();

  const int kFiles = 10000;
  std::string cache = root + "\\cache";
  CreateDirectoryA(cache.c_str(), nullptr);
  unsigned long long listed = 0;
  BareWalk(cache, listed);
  if (listed != kFiles) {
    bench::Planted planted;
    bench::Plant(cache, kFiles, 700, "c", planted);
  }
  std::string empty = root + "\\empty";
  CreateDirectoryA(empty.c_str(), nullptr);
  std::printf("viewer count pass, cache of %d files in %s%s\n", kFiles, cache.c_str(),
              page ? "" : " (no display: texts not drawn)");

  const int rounds = 5;
  double walk = 1e9, pass = 1e9, rest = 1e9;
  for (int round = 0; round < rounds; ++round) {
    double w = BareWalk(cache, listed);
    lstrcpyA(szCacheIn, cache.c_str());
    double p = Pass(page);
    lstrcpyA(szCacheIn, empty.c_str());
    double r = Pass(page);
    std::printf("round %d: pass %8.2f ms | bare walk %8.2f ms (%llu files) | pass with an empty cache %8.2f ms\n",
                round + 1, p * 1e3, w * 1e3, listed, r * 1e3);
    walk = std::min(walk, w);
    pass = std::min(pass, p);
    rest = std::min(rest, r);
  }
  std::printf("fastest of %d: pass %.2f ms, bare walk %.2f ms, ratio %.2f; the pass without the cache %.2f ms, "
              "so the cache listing is %.0f%% of the pass\n",
              rounds, pass * 1e3, walk * 1e3, pass / walk, rest * 1e3, 100.0 * (pass - rest) / pass);
  if (page) DestroyWindow(page);
  return 0;
}
