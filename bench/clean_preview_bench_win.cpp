// The preview of the cache step against the real clean of the same folder,
// in the same run: a cache of 10,000 files of 4 KiB. The preview looks at
// every file (attributes, an open for writing to learn whether a program
// holds it, its size) and writes nothing; the clean overwrites, renames
// and deletes each one. Prints both times and their ratio.
//   clean_preview_bench_win [SCRATCH_FOLDER]
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_support.h"
#include "clean_engine.h"
#include "clean_preview.h"
#include "mopwell.h"
#include "platform.h"

int main(int argc, char** argv) {
  std::string root = bench::ScratchFolder(argc, argv, "mopwell-preview-bench");
  bench::BenchPlatform platform(root);
  plat::Install(&platform);
  SetCurrentDirectoryA(root.c_str());
  DeleteFileA(plat::InWindowsDirectory("MOPWELL.INI").c_str());

  const int files = 10000;
  std::string cache = root + "\\cache";
  bench::Planted planted;
  bench::Plant(cache, files, 4096, "c", planted);
  lstrcpyA(szCacheLoc, cache.c_str());

  // The preview: the cache step alone, listed.
  auto t0 = bench::Clock::now();
  PreviewList list(false);
  {
    CleanRun run(list, CleanStep::Cache);
    CacheStep(run);
    run.End();
  }
  double preview = bench::SecondsSince(t0);
  std::printf("preview of the cache step, %d x 4 KiB: %8.3f s, %zu files listed (%s bytes)\n", files, preview,
              list.destroyedFiles(), Grouped(list.destroyedBytes()).c_str());

  // The real clean of the same folder, reporting to a front end that
  // shows nothing (as mopclean's).
  CleanReport quiet;
  t0 = bench::Clock::now();
  {
    CleanRun run(quiet, CleanStep::Cache);
    CacheStep(run);
    run.End();
  }
  double clean = bench::SecondsSince(t0);
  std::printf("real clean of the same folder:            %8.3f s\n", clean);
  std::printf("preview / clean: %.3f (the preview writes nothing: it should cost a small part of the clean)\n",
              preview / clean);
  plat::Install(nullptr);
  return list.destroyedFiles() == static_cast<std::size_t>(files) ? 0 : 1;
}
