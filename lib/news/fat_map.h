// The news reader's map file "FAT": one line per news server naming the
// server's subscription file. Building a map from the server folders found
// in the news folder, and reading the subscription-file paths back out of
// a map's text. No file is touched here.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace news {

constexpr char kMapFileName[] = "FAT";
constexpr char kMapHeader[] = "netscape-newsrc-map-file";

// The server a server folder stands for: the text after the first "-"
// ("host-news.example.com" -> "news.example.com"). A name without any "-"
// has no prefix to drop and stands for a server of its own name.
std::string ServerOf(const std::string& folderName);

// The subscription file of the server folder listed at `index` (from 0):
// news.rc, news1.rc, news2.rc, ...
std::string SubscriptionFileName(std::size_t index);

// The whole map for `newsDir` and its server folders in listing order:
// the header line, one line per folder, and a final empty line, every line
// ended by CR LF. Grows with the folders; nothing is cut.
std::string BuildFatMap(const std::string& newsDir, const std::vector<std::string>& serverFolders);

// The subscription-file paths a map names. The text is split at tab
// characters; the first piece is dropped and every second piece from the
// second on is a path (the pieces between hold "FALSE", the line end and
// the next server name). Empty pieces name no file and are left out.
std::vector<std::string> FatMapPaths(const std::string& text);

// The length of the whole lines at the start of `text` (up to and with its
// last CR or LF); 0 when no line has ended. A map read only in part ends in
// a piece of a line, and a piece of a path names another file: only the
// whole lines before it may be taken.
std::size_t WholeLinesLength(const std::string& text);

}  // namespace news
