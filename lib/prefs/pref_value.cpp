#include "prefs/pref_value.h"

namespace prefs {

std::optional<std::string> CutValue(std::string_view line) {
  std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  std::size_t open = line.find('"', comma + 1);
  if (open == std::string_view::npos) return std::nullopt;
  std::size_t close = line.find('"', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(line.substr(open + 1, close - open - 1));
}

std::string NormalisePath(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  std::size_t pos = 0;
  while (pos < value.size()) {
    std::size_t end = value.find('\\', pos);
    if (end == std::string_view::npos) end = value.size();
    if (end > pos) {
      if (!out.empty()) out += '\\';
      out.append(value.substr(pos, end - pos));
    }
    pos = end + 1;
  }
  return out;
}

std::string EscapeLoneBackslashes(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 8);
  for (std::size_t at = 0; at < value.size();) {
    if (value[at] != '\\') {
      out += value[at++];
      continue;
    }
    std::size_t run = 0;
    while (at < value.size() && value[at] == '\\') ++run, ++at;
    out.append(run + run % 2, '\\');
  }
  return out;
}

bool FitsStringValue(std::string_view value) {
  if (value.find_first_of("\"\r\n") != std::string_view::npos) return false;
  std::size_t trailing = 0;
  while (trailing < value.size() && value[value.size() - 1 - trailing] == '\\') ++trailing;
  return trailing % 2 == 0;  // pairs are escaped backslashes, a lone one escapes the quote
}

}  // namespace prefs
