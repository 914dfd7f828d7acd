#include "prefs/pref_value.h"

namespace prefs {

std::optional<std::string> CutValue(std::string_view line) {
  std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  // The browser writes double quotes; its script language takes single
  // ones as well.
  std::size_t open = line.find_first_of("\"'", comma + 1);
  if (open == std::string_view::npos) return std::nullopt;
  const char quote = line[open];
  for (std::size_t at = open + 1; at < line.size(); ++at) {
    if (line[at] == '\\') {
      ++at;  // the escaped character, a quote included, is the value's
      continue;
    }
    if (line[at] == quote) return std::string(line.substr(open + 1, at - open - 1));
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

namespace {

// A numeric escape at `at` (just past a backslash) that stands for a byte
// of 0x80 or more: what that byte means depends on the code page, so it is
// kept as written, both ways. Its length, or 0.
std::size_t CodePageEscape(std::string_view s, std::size_t at) {
  if (at >= s.size()) return 0;
  if (s[at] == 'u' && Hex(s, at + 1, 4) >= 0x80) return 5;
  if (s[at] == 'x' && Hex(s, at + 1, 2) >= 0x80) return 3;
  std::size_t n = 0;
  long value = 0;
  while (at + n < s.size() && n < (s[at] <= '3' ? 3u : 2u) && s[at + n] >= '0' && s[at + n] <= '7')
    value = value * 8 + (s[at + n++] - '0');
  return n > 0 && value >= 0x80 ? n : 0;
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
    if (std::size_t kept = CodePageEscape(held, at + 1)) {
      out.append(held.substr(at, kept + 1));
      at += kept;
      continue;
    }
    char e = held[++at];
    switch (e) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'v': out += '\v'; break;
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
        if (v < 0) {
          out += 'u';
        } else {
          out += static_cast<char>(v);
          at += 4;
        }
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          // An octal escape: up to three digits, at most 0377.
          long v = e - '0';
          std::size_t more = e <= '3' ? 2 : 1;
          while (more-- > 0 && at + 1 < held.size() && held[at + 1] >= '0' && held[at + 1] <= '7')
            v = v * 8 + (held[++at] - '0');
          out += static_cast<char>(v);
          break;
        }
        out += e;  // \\, \", \' and any other character
        break;
    }
  }
  return out;
}

std::string EscapeValue(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t at = 0; at < text.size(); ++at) {
    char c = text[at];
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\') {
      // A code-page escape the text kept as written goes back as it was.
      if (std::size_t kept = CodePageEscape(text, at + 1)) {
        out.append(text.substr(at, kept + 1));
        at += kept;
      } else {
        out += "\\\\";
      }
      continue;
    }
    switch (c) {
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
