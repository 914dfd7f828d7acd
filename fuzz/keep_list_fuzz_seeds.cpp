// Writes the seed corpus of keep_list_fuzz into the folder given as
// argument: cookie files as the browser, this program and other programs
// write them, with and without header, final line end, comments further
// down and cookies that scripts may not read.
#include <cstdio>
#include <string>

#include "cookies/keep_list.h"

namespace {

std::string g_dir;
int g_failures = 0;

void Write(const char* name, const std::string& bytes) {
  std::string path = g_dir + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "keep_list_fuzz_seeds: cannot write %s\n", path.c_str());
    ++g_failures;
    return;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "keep_list_fuzz_seeds: short write to %s\n", path.c_str());
    ++g_failures;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: keep_list_fuzz_seeds DIR\n");
    return 2;
  }
  g_dir = argv[1];
  const std::string browserHeader =
      "# Netscape HTTP Cookie File\r\n# http://www.netscape.com/newsref/std/cookie_spec.html\r\n"
      "# This is a generated file!  Do not edit.\r\n\r\n";
  const std::string bank = ".bank.example\tTRUE\t/\tFALSE\t946684799\tsession\tb41\r\n";
  const std::string news = ".news.example\tTRUE\t/\tFALSE\t946684799\tuser\tn22\r\n";
  const std::string shop = ".shop.example\tTRUE\t/\tFALSE\t946684799\tcart\ts73";
  Write("empty", "");
  Write("browser", browserHeader + bank + news + shop);
  Write("browser-header-only", browserHeader);
  Write("header-short", "# Netscape HTTP Cookie File\n");
  Write("keep-file", cookies::BuildKeepFile({bank, news, shop}));
  Write("keep-file-empty-line", std::string(cookies::kKeepHeader) + "\r\r\n" + bank);
  Write("other-program",
        "# Netscape HTTP Cookie File\n# Written by a transfer tool.\n\n"
        "#HttpOnly_.example.com\tFALSE\t/\tTRUE\t0\tname\tvalue\n"
        "# a comment\nwww.example.org\tFALSE\t/\tFALSE\t2147483647\tlang\ten\n\n \t\n"
        "#HttpOnly_.example.com\tFALSE\t/\tTRUE\t0\tid\tAbC");
  Write("no-header", bank + ".BANK.EXAMPLE\tTRUE\t/\tFALSE\t946684799\tSESSION\tB41\n" + shop);
  Write("long-line", browserHeader + ".big\tTRUE\t/\tFALSE\t0\tb\t" + std::string(3000, 'x') + "\n" + news);
  Write("odd-ends", "#\r#HttpOnly_\n\r\r\r\na\rb\n\n\n\n#HttpOnly\nx");
  return g_failures == 0 ? 0 : 1;
}
