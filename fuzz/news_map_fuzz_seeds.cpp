// Writes the seed corpus of news_map_fuzz into the folder given as argument:
// maps built by the library (as written, with the cleaner's leading blank,
// and as the viewer reads them), maps edited to lead elsewhere, and lines
// of a news folder and server folders or of path pairs, cut at LF the way
// the target cuts its input.
#include <cstdio>
#include <string>
#include <vector>

#include "news/fat_map.h"
#include "seed_folder.h"

namespace {

SeedFolder g_seeds("news_map_fuzz_seeds");

void Write(const char* name, const std::string& bytes) { g_seeds.Write(name, bytes); }

std::string WithoutLineEnds(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (!g_seeds.Open(argc, argv)) return 2;

  const std::string dir = "C:\\Netscape\\Users\\mary\\news";
  const std::vector<std::string> folders = {"host-news.example.com", "localnews",
                                            "host-news-2.other.org"};
  const std::string map = news::BuildFatMap(dir, folders);
  Write("empty", "");
  Write("map-none", news::BuildFatMap(dir, {}));
  Write("map-three", map);
  Write("map-three-blank", " " + map);
  Write("map-three-viewer", WithoutLineEnds(map));
  std::vector<std::string> many;
  for (int i = 0; i < 12; ++i) many.push_back("host-s" + std::to_string(i));
  Write("map-twelve-unc", news::BuildFatMap("\\\\server\\share\\news", many));
  Write("map-lf-only",
        "netscape-newsrc-map-file\nnewsrc-a\tC:\\n\\news.rc\tFALSE\nnewsrc-b\tC:\\n\\news1.rc\tTRUE\n");
  Write("map-planted",
        " netscape-newsrc-map-file\r\n"
        "newsrc-a\tC:\\Netscape\\Users\\mary\\news\\..\\prefs.js\tFALSE\r\n"
        "newsrc-b\tC:\\Netscape\\Users\\mary\\news2\\news.rc\tFALSE\r\n"
        "newsrc-c\tC:\\Netscape\\Users\\mary\\news\\news.rc:hidden\tFALSE\r\n"
        "newsrc-d\t\\\\evil\\share\\news.rc\tFALSE\r\n"
        "newsrc-e\tnews1.rc\tFALSE\r\n"
        "newsrc-f\tc:/netscape/users/MARY/NEWS/host-x/news.rcg\tFALSE\r\n\r\n");
  Write("tabs", "\t\t\t\ta\t\tb\t");

  // News folder, then server folders (or paths), one per line.
  Write("folders", dir + "\n" + folders[0] + "\n" + folders[1] + "\n" + folders[2]);
  Write("folders-odd", "D:\\n\nhost-\n-x\nno dash\nhost-a\tb\nhost-c\r");
  Write("paths-sibling", "C:\\Netscape\\news\nC:\\Netscape\\news2\\news.rc\nnews.rc");
  Write("paths-dots", "C:\\Netscape\\news\\.\nC:\\Netscape\\x\\..\\news\\a\\..\\b\n..");
  Write("paths-above", "C:\\news\nC:\\news\\..\\..\\..\\news\\x\nsub");
  Write("paths-unc", "\\\\server\\share\\news\n\\\\SERVER\\Share\\NEWS\\a\\b\nnews.rc");
  Write("paths-unc-odd", "\\\\server\\\\/share\\\n\\\\/server/share/x\n//server/share");
  Write("paths-stream", "C:\\news\nC:\\news\\news.rc:hidden:$DATA\nD:");
  Write("paths-mixed", "c:/news//\nC:\\\\NEWS\\/host-a\\news.rc\nhost-a");
  Write("paths-relative", "news\nnews\\news.rc\n\\news\\x");
  const char nul[] = "C:\\news\nC:\\other\\\0\\..\\..\\news\\x\na\0b";
  Write("paths-nul", std::string(nul, sizeof nul - 1));
  Write("paths-case", "C:\\news[\nC:\\NEWS{\\x\n\xC4\xE4");
  return g_seeds.Status();
}
