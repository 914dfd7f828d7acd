#include "prefs/pref_value.h"

namespace prefs {

std::optional<std::string> CutValue(std::string_view line) {
  std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  std::size_t open = line.find('"', comma + 1);
  if (open == std::string_view::npos) return std::nullopt;
  for (std::size_t at = open + 1; at < line.size(); ++at) {
    if (line[at] == '\\') {
      ++at;  // the escaped character, a quote included, is the value's
      continue;
    }
    if (line[at] == '"') return std::string(line.substr(open + 1, at - open - 1));
  }
  return std::nullopt;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of `count` hex digits at `at`, or -1.
long Hex(std::string_view s, std::size_t at, std::size_t count) {
  if (at + count > s.size()) return -1;
  long value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    int d = HexDigit(s[at + i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

}  // namespace

std::string Unescape(std::string_view held) {
  std::string out;
  out.reserve(held.size());
  for (std::size_t at = 0; at < held.size(); ++at) {
    char c = held[at];
    if (c != '\\' || at + 1 == held.size()) {
      out += c;
      continue;
    }
    char e = held[++at];
    switch (e) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': {
        long v = Hex(held, at + 1, 2);
        if (v < 0) {
          out += 'x';
        } else {
          out += static_cast<char>(v);
          at += 2;
        }
        break;
      }
      case 'u': {
        long v = Hex(held, at + 1, 4);
        if (v < 0 || v > 0xFF) {
          // Beyond what one byte of the code page holds: kept as written.
          out += "\\u";
        } else {
          out += static_cast<char>(v);
          at += 4;
        }
        break;
      }
      default: out += e; break;  // \\, \", \' and any other character
    }
  }
  return out;
}

std::string EscapeValue(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20 || u == 0x7F) {
          out += "\\x";
          out += kHex[u >> 4];
          out += kHex[u & 15];
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string PrefKeyOf(std::string_view line) {
  auto skipBlanks = [&line](std::size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\n' || line[at] == '\r')) ++at;
    return at;
  };
  constexpr std::string_view kCall = "user_pref";
  std::size_t at = skipBlanks(0);
  if (line.substr(at, kCall.size()) != kCall) return std::string();
  at = skipBlanks(at + kCall.size());
  if (at >= line.size() || line[at] != '(') return std::string();
  at = skipBlanks(at + 1);
  if (at >= line.size() || line[at] != '"') return std::string();
  std::size_t end = line.find('"', at + 1);
  if (end == std::string_view::npos) return std::string();
  return std::string(line.substr(at + 1, end - at - 1));
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

}  // namespace prefs
