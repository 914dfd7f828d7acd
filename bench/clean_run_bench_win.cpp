// The bookmark, cache, archive and recent-documents steps of the clean run
// on large folders: a cache of 4,000 files of 4 KiB and 40 files of 8 MiB,
// archive and recent-documents folders of 1,000 and 10,000 files. Prints the
// time of each step, the cache step against a plain write-through loop over
// the same files measured in the same run (with the wipe's same-length
// rename, as the step does it), what showing each file's name in its box
// would cost per file beside what the step's progress costs, and the cost
// per file at 1,000
// and 10,000 files beside the plain loop in folders of the same size (the
// walks are linear: their cost per file follows the plain loop's).
//   clean_run_bench_win [SCRATCH_FOLDER [cache-only]]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cleaners.h"
#include "config/names.h"
#include "folder_walk.h"
#include "ini.h"
#include "mopwell.h"
#include "bench_support.h"
#include "platform.h"
#include "wipe/wipe_block.h"

namespace {

using bench::Clock;
using bench::Plant;
using bench::Planted;
using bench::WriteBytes;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

Planted Cache(const std::string& dir) {
  Planted p;
  Plant(dir, 4000, 4096, "c", p);
  Plant(dir, 40, 8u * 1024 * 1024, "big", p);
  return p;
}

double Baseline(const Planted& files, bool rename = false) { return bench::PlainBaseline(files, rename); }

// The page the steps write their captions into: the three boxes, on screen.
HWND MakePage() {
  HWND page = CreateWindowExA(0, "STATIC", "clean run bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 420, 160, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!page) return nullptr;
  int y = 8;
  for (int id : {112, 113, 153}) {
    CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 8, y, 400, 24, page,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    y += 30;
  }
  UpdateWindow(page);
  return page;
}

template <class F>
double Time(F step) {
  auto t0 = Clock::now();
  step();
  return Seconds(t0, Clock::now());
}

}  // namespace

int main(int argc, char** argv) {
  std::string root = bench::ScratchFolder(argc, argv, "mopwell-clean-bench");
  bench::BenchPlatform platform(root);
  plat::Install(&platform);
  SetCurrentDirectoryA(root.c_str());
  DeleteFileA(plat::InWindowsDirectory("MOPWELL.INI").c_str());
  HWND page = MakePage();
  std::printf("clean run steps in %s%s\n", root.c_str(), page ? "" : " (no display: captions not drawn)");

  // Bookmarks: a 100 KiB bookmark file rebuilt from a 40 KiB template.
  std::string templ;
  while (templ.size() < 40 * 1024)
    templ += "        <DT><A HREF=\"http://www.example.com/page\" ADD_DATE=\"915148800\">An example page</A>\r\n";
  WriteBytes(root + "\\MOPWELL.BKM", templ);
  WriteBytes(root + "\\bookmark.htm", std::string(100 * 1024, 'b'));
  lstrcpyA(szFixBookmark, (root + "\\MOPWELL.BKM").c_str());
  lstrcpyA(szBookmarkLoc, (root + "\\bookmark.htm").c_str());
  double bookmarks = Time([&] { CleanBookmarks(page); });
  std::printf("bookmarks (100 KiB file, 40 KiB template): %8.3f s\n", bookmarks);

  // Cache: the baseline over one set of files, the step over an identical
  // one, in alternating rounds so that a busy moment of the machine does
  // not fall on one side only; the fastest round of each is compared.
  std::string cache = root + "\\cache";
  lstrcpyA(szCacheLoc, cache.c_str());
  const int rounds = 3;
  double base = 1e9, baseRenamed = 1e9, cacheStep = 1e9;
  std::size_t cacheFiles = 0;
  for (int round = 0; round < rounds; ++round) {
    double plainRound = Baseline(Cache(cache));
    double renamedRound = Baseline(Cache(cache), true);
    cacheFiles = Cache(cache).paths.size();
    double stepRound = Time([&] { CleanCache(page); });
    std::printf("cache round %d: step %8.3f s | baseline %8.3f s | baseline with rename %8.3f s, ratio %.2f\n",
                round + 1, stepRound, plainRound, renamedRound, stepRound / renamedRound);
    base = std::min(base, plainRound);
    baseRenamed = std::min(baseRenamed, renamedRound);
    cacheStep = std::min(cacheStep, stepRound);
  }
  std::printf("cache (4000 x 4 KiB + 40 x 8 MiB), fastest of %d: %8.3f s | write-through baseline %8.3f s, "
              "ratio %.2f | baseline with rename %8.3f s, ratio %.2f (target at most 1.15)\n",
              rounds, cacheStep, base, cacheStep / base, baseRenamed, cacheStep / baseRenamed);
  // A caption for every file, as each walk once set one, against what the
  // step spent per file beyond the bare loop.
  const int captions = 1000;
  double each = Time([&] {
    for (int i = 0; i < captions; ++i)
      SetStatus(page, 113, ("              c" + std::to_string(i) + ".dat").c_str());
  });
  std::printf("a caption for every file: %.3f ms per file; the step beyond the bare loop with rename: "
              "%.3f ms per file (%zu files)\n",
              each / captions * 1e3, (cacheStep - baseRenamed) / static_cast<double>(cacheFiles) * 1e3, cacheFiles);
  const bool cacheOnly = argc > 2 && std::string(argv[2]) == "cache-only";

  // Archive (through the cache step, whose folder is now empty) and recent
  // documents, at 1,000 and 10,000 files. Beside them, in a folder of the
  // same size: the plain loop, the plain loop with the wipe's rename (under
  // Wine a rename costs more in a larger folder), and one listing alone.
  std::string main = root + "\\main";
  CreateDirectoryA(main.c_str(), nullptr);
  lstrcpyA(MainDir, main.c_str());
  ini::Write(szIniFile, kSecPrefs, kKeyNewsMsgs, kOn);
  std::string recent = root + "\\Recent";
  lstrcpyA(szDocDir, recent.c_str());
  std::string plain = root + "\\plain";
  const int counts[2] = {1000, 10000};
  double perFile[2][4] = {};  // baseline, baseline+rename, archive, recent
  for (int k = 0; k < (cacheOnly ? 0 : 2); ++k) {
    const int n = counts[k];
    Planted files;
    Plant(plain, n, 512, "p", files);
    auto t0 = Clock::now();
    std::size_t listed = ListPlainFiles(plain).size();
    double listing = Seconds(t0, Clock::now());
    double base = Baseline(files, false);
    files = Planted();
    Plant(plain, n, 512, "p", files);
    double renamed = Baseline(files, true);
    Planted ignored;
    Plant(main + "\\archive", n, 512, "a", ignored);
    double archive = Time([&] { CleanCache(page); });
    Plant(recent, n, 512, "r", ignored);
    double docs = Time([&] { CleanRecentDocuments(page); });
    double each[4] = {base, renamed, archive, docs};
    for (int i = 0; i < 4; ++i) perFile[k][i] = each[i] / n * 1e6;
    std::printf("%5d files: archive %7.3f s (%6.0f us/file) | recent documents %7.3f s (%6.0f us/file) | "
                "baseline %7.3f s (%6.0f us/file), with rename %7.3f s (%6.0f us/file) | "
                "one listing of %zu files %.4f s\n",
                n, archive, perFile[k][2], docs, perFile[k][3], base, perFile[k][0], renamed,
                perFile[k][1], listed, listing);
    std::printf("             archive / baseline with rename %.2f, recent documents / baseline with rename %.2f\n",
                perFile[k][2] / perFile[k][1], perFile[k][3] / perFile[k][1]);
  }
  if (!cacheOnly)
    std::printf("per-file cost 10000 vs 1000 files: archive %.2f, recent documents %.2f, baseline %.2f, "
              "baseline with rename %.2f (1.00 = linear)\n",
              perFile[1][2] / perFile[0][2], perFile[1][3] / perFile[0][3], perFile[1][0] / perFile[0][0],
              perFile[1][1] / perFile[0][1]);

  if (page) DestroyWindow(page);
  RemoveDirectoryA((main + "\\archive").c_str());
  RemoveDirectoryA(main.c_str());
  RemoveDirectoryA(recent.c_str());
  RemoveDirectoryA(plain.c_str());
  RemoveDirectoryA(cache.c_str());
  DeleteFileA((root + "\\bookmark.htm").c_str());
  DeleteFileA((root + "\\MOPWELL.BKM").c_str());
  DeleteFileA(plat::InWindowsDirectory("MOPWELL.INI").c_str());
  plat::Install(nullptr);
  SetCurrentDirectoryA((root + "\\..").c_str());  // a working directory cannot be removed
  RemoveDirectoryA(root.c_str());
  return 0;
}
