// libFuzzer target: the news reader's map text and the path rules that
// decide which of the files a map names may be wiped.
//
// The input is read three ways:
//   - whole, as the text of a map file: every path read from it is a
//     non-empty, tab-free piece of the text, in order, and a leading blank
//     (as the cleaner adds) changes nothing unless the text starts with a tab;
//   - cut at LF into a news folder and server-folder names: the map built
//     from them has its exact size and shape, and names without tabs give
//     back exactly folder + "\" + subscription file per server folder, also
//     with the blank in front and, for names without CR and LF, with the
//     line ends left out;
//   - cut at LF into paths a, b, c: Components gives a root and plain parts
//     or nothing, and gives the same parts again for its own joined result
//     and when "/" is written as "\"; IsInside(folder, path) holds exactly
//     when both have parts and the path's parts continue the folder's (ASCII
//     case aside); it is never true for the folder itself, a relative path,
//     a text with a NUL byte, or a sibling whose name only begins with the
//     folder's last part; a plain name joined to an absolute folder is inside.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "news/fat_map.h"
#include "text/paths.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

constexpr std::size_t kMaxFolders = 64;
constexpr std::size_t kMaxPathsChecked = 16;

bool IsSep(char c) { return c == '\\' || c == '/'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::string Mapped(std::string s, char (*f)(char)) {
  for (char& c : s) c = f(c);
  return s;
}

std::string Backslashed(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

std::string WithoutLineEnds(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

std::vector<std::string> CutAtLf(std::string_view in) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    std::size_t lf = in.find('\n', start);
    pieces.emplace_back(in.substr(start, lf == std::string_view::npos ? lf : lf - start));
    if (lf == std::string_view::npos) return pieces;
    start = lf + 1;
  }
}

// ---- the map text ----

std::vector<std::string> CheckMapText(const std::string& text) {
  std::vector<std::string> got = news::FatMapPaths(text);
  std::size_t tabs = 0;
  for (char c : text) tabs += c == '\t';
  Check(got.size() <= (tabs + 1) / 2);
  // Each path is a whole piece between tabs, found in order, never empty.
  std::size_t at = 0;
  for (const std::string& path : got) {
    Check(!path.empty());
    Check(path.find('\t') == std::string::npos);
    std::size_t found = text.find(path, at);
    while (found != std::string::npos &&
           !(found > 0 && text[found - 1] == '\t' &&
             (found + path.size() == text.size() || text[found + path.size()] == '\t')))
      found = text.find(path, found + 1);
    Check(found != std::string::npos);
    at = found + path.size();
  }
  if (text.empty() || text[0] != '\t') Check(news::FatMapPaths(" " + text) == got);
  // The whole lines of a part read: they end at a line end, and nothing
  // after them ends a line.
  const std::size_t whole = news::WholeLinesLength(text);
  Check(whole <= text.size());
  Check(whole == 0 || text[whole - 1] == '\r' || text[whole - 1] == '\n');
  Check(text.find_first_of("\r\n", whole) == std::string::npos);
  return got;
}

void CheckBuiltMap(const std::vector<std::string>& pieces) {
  const std::string& dir = pieces[0];
  std::vector<std::string> folders(pieces.begin() + 1,
                                   pieces.begin() + std::min(pieces.size(), kMaxFolders + 1));
  const std::string map = news::BuildFatMap(dir, folders);

  std::size_t size = sizeof news::kMapHeader - 1 + 2 + 2;
  std::vector<std::string> expected;
  bool tabFree = dir.find('\t') == std::string::npos;
  bool lineEndFree = dir.find_first_of("\r\n") == std::string::npos;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const std::string server = news::ServerOf(folders[i]);
    const std::size_t dash = folders[i].find('-');
    Check(server == (dash == std::string::npos ? folders[i] : folders[i].substr(dash + 1)));
    expected.push_back(dir + "\\" + news::SubscriptionFileName(i));
    size += 7 + server.size() + 1 + expected.back().size() + 6 + 2;
    tabFree = tabFree && folders[i].find('\t') == std::string::npos;
    lineEndFree = lineEndFree && folders[i].find_first_of("\r\n") == std::string::npos;
  }
  Check(map.size() == size);
  Check(map.compare(0, sizeof news::kMapHeader + 1, std::string(news::kMapHeader) + "\r\n") == 0);
  Check(map.size() >= 4 && map.compare(map.size() - 4, 4, "\r\n\r\n") == 0);

  if (!tabFree) return;
  Check(news::FatMapPaths(map) == expected);
  Check(news::FatMapPaths(" " + map) == expected);
  if (!lineEndFree) return;
  // The viewer's reading, and lines that are exactly the folders' lines.
  Check(news::FatMapPaths(WithoutLineEnds(map)) == expected);
  Check(news::FatMapPaths(" " + WithoutLineEnds(map)) == expected);
  std::size_t start = sizeof news::kMapHeader + 1;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const std::string line =
        "newsrc-" + news::ServerOf(folders[i]) + "\t" + expected[i] + "\tFALSE\r\n";
    Check(map.compare(start, line.size(), line) == 0);
    start += line.size();
  }
  Check(start + 2 == map.size());
}

// ---- paths ----

void CheckComponents(const std::string& path) {
  std::optional<std::vector<std::string>> parts = paths::Components(path);
  // Past the first two characters "/" and "\" are the same separator. (At
  // the start, "//" or "\/" is taken for no network path at all.)
  if (path.compare(0, 2, "\\\\") == 0 || path.find('/') >= 2)
    Check(parts == paths::Components(Backslashed(path)));
  if (!parts) return;
  Check(paths::IsAbsolute(path));
  Check(path.find('\0') == std::string::npos);
  Check(!parts->empty());
  const std::string& root = parts->front();
  if (root.size() == 2 && root[1] == ':') {
    Check(SameNoCase(root, path.substr(0, 2)));
  } else {
    // "\\server\share": two non-empty names without separators.
    Check(root.size() >= 5 && root[0] == '\\' && root[1] == '\\' && !IsSep(root[2]));
    std::size_t sep = root.find_first_of("\\/", 2);
    Check(sep != std::string::npos && sep + 1 < root.size() && root[sep] == '\\');
    Check(root.find_first_of("\\/", sep + 1) == std::string::npos);
  }
  std::string joined = root;
  for (std::size_t i = 1; i < parts->size(); ++i) {
    const std::string& part = (*parts)[i];
    Check(!part.empty() && part != "." && part != "..");
    Check(part.find_first_of(std::string("\\/:\0", 4)) == std::string::npos);
    joined += "\\" + part;
  }
  if (parts->size() == 1) joined += "\\";
  Check(paths::Components(joined) == parts);
}

// IsInside against what the parts say, and the properties that follow.
void CheckInside(const std::string& folder, const std::string& path) {
  const bool inside = paths::IsInside(folder, path);
  std::optional<std::vector<std::string>> outer = paths::Components(folder);
  std::optional<std::vector<std::string>> inner = paths::Components(path);
  bool continues = outer && inner && inner->size() > outer->size();
  for (std::size_t i = 0; continues && i < outer->size(); ++i)
    continues = SameNoCase((*outer)[i], (*inner)[i]);
  Check(inside == continues);
  if (inside) {
    Check(paths::IsAbsolute(folder) && paths::IsAbsolute(path));
    Check(path.find('\0') == std::string::npos && folder.find('\0') == std::string::npos);
    Check(!paths::IsInside(path, folder));
  }
  Check(!paths::IsInside(folder, folder));
  Check(paths::IsInside(Mapped(folder, AsciiUpper), Mapped(path, AsciiLower)) == inside);
}

void CheckPaths(const std::vector<std::string>& pieces, const std::vector<std::string>& named) {
  const std::string& a = pieces[0];
  const std::string b = pieces.size() > 1 ? pieces[1] : std::string();
  const std::string c = pieces.size() > 2 ? pieces[2] : std::string();
  for (const std::string* p : {&a, &b, &c}) CheckComponents(*p);
  CheckInside(a, b);
  CheckInside(b, a);
  CheckInside(a, a + b);
  CheckInside(a, a + "\\" + b);

  std::optional<std::vector<std::string>> outer = paths::Components(a);
  if (!outer) return;
  // A plain name below the folder is inside; going back up from it is not.
  // (Names Windows would change, such as "x." or "CON", are no plain names.)
  const bool plainName = !c.empty() && c != "." && c != ".." &&
                         c.find_first_of(std::string("\\/:\0", 4)) == std::string::npos &&
                         paths::Components("C:\\" + c).has_value();
  if (plainName) {
    Check(paths::IsInside(a, a + "\\" + c));
    Check(!paths::IsInside(a, a + "\\" + c + "\\.."));
    Check(!paths::IsInside(a, a + "\\" + c + "\\..\\..\\" + c));
  }
  // A sibling whose name only begins with the folder's last part.
  if (outer->size() > 1 && plainName)
    Check(!paths::IsInside(a, a + "\\..\\" + outer->back() + c + "\\x"));
  // Climbing above the root gives nothing, however the path goes on.
  std::string up = a;
  for (std::size_t i = 0; i < outer->size(); ++i) up += "\\..";
  Check(!paths::Components(up));
  Check(!paths::Components(up + "\\" + b));

  // Paths read from the input as a map, judged against folder a.
  for (std::size_t i = 0; i < named.size() && i < kMaxPathsChecked; ++i) CheckInside(a, named[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> named = CheckMapText(text);
  const std::vector<std::string> pieces = CutAtLf(text);
  CheckBuiltMap(pieces);
  CheckPaths(pieces, named);
  return 0;
}
