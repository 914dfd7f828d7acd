// Measures the secure wipe against a plain baseline measured in the same
// run: the baseline writes the same number of bytes into the same kind of
// files with write-through, flushes and deletes them (and, as a second
// baseline, renames them first the way the wipe does).
//   nuke_bench_win [SCRATCH_FOLDER]
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_support.h"
#include "wipe.h"

namespace {

void RunCase(const std::string& dir, int count, size_t size) {
  double written = double(count) * double(wipe::CoveredLength(size)) / (1024.0 * 1024.0);

  bench::Planted files;
  bench::Plant(dir, count, size, "f", files);
  double base = bench::PlainBaseline(files, false);
  bench::Plant(dir, count, size, "f", files = bench::Planted());
  double renamed = bench::PlainBaseline(files, true);

  bench::Plant(dir, count, size, "f", files = bench::Planted());
  auto start = bench::Clock::now();
  for (const std::string& path : files.paths) nukeIt(path.c_str());
  double nuke = bench::SecondsSince(start);

  std::printf("%5d files x %8zu bytes | nukeIt %7.3f s %9.1f files/s %8.1f MB/s | "
              "baseline %7.3f s %9.1f files/s %8.1f MB/s | ratio %.2f | "
              "baseline+rename %7.3f s, ratio %.2f\n",
              count, size, nuke, count / nuke, written / nuke, base, count / base, written / base,
              nuke / base, renamed, nuke / renamed);
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = bench::ScratchFolder(argc, argv, "mopwell-nuke-bench");
  std::printf("secure wipe benchmark in %s (MB = MiB written, ratio = nukeIt / baseline)\n", dir.c_str());
  RunCase(dir, 2000, 4096);
  RunCase(dir, 20, 8u * 1024 * 1024);
  RunCase(dir, 1000, 10);
  RemoveDirectoryA(dir.c_str());
  return 0;
}
