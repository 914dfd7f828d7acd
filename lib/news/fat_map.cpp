#include "news/fat_map.h"

namespace news {

namespace {
constexpr char kLineEnd[] = "\r\n";
}

std::string ServerOf(const std::string& folderName) {
  std::string::size_type dash = folderName.find('-');
  if (dash == std::string::npos) return folderName;
  return folderName.substr(dash + 1);
}

std::string SubscriptionFileName(std::size_t index) {
  if (index == 0) return "news.rc";
  return "news" + std::to_string(index) + ".rc";
}

std::string BuildFatMap(const std::string& newsDir, const std::vector<std::string>& serverFolders) {
  std::string map = kMapHeader;
  map += kLineEnd;
  for (std::size_t i = 0; i < serverFolders.size(); ++i) {
    map += "newsrc-";
    map += ServerOf(serverFolders[i]);
    map += '\t';
    map += newsDir;
    map += '\\';
    map += SubscriptionFileName(i);
    map += "\tFALSE";
    map += kLineEnd;
  }
  map += kLineEnd;
  return map;
}

std::vector<std::string> FatMapPaths(const std::string& text) {
  std::vector<std::string> paths;
  std::string::size_type start = 0;
  std::size_t piece = 0;
  for (;;) {
    std::string::size_type tab = text.find('\t', start);
    std::string::size_type end = tab == std::string::npos ? text.size() : tab;
    if (piece % 2 == 1 && end > start) paths.push_back(text.substr(start, end - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
    ++piece;
  }
  return paths;
}

std::size_t WholeLinesLength(const std::string& text) {
  std::string::size_type last = text.find_last_of("\r\n");
  return last == std::string::npos ? 0 : last + 1;
}

}  // namespace news
