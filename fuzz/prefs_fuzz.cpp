// libFuzzer target: the input is a prefs.js file. It is loaded into the
// program-wide line table, searched, edited and written out again. The
// target splits the input into lines itself (a line ends at CR LF, LF or a
// lone CR, whichever comes) and checks against those lines:
//   - the table holds them line for line: slot 0 the first line, every
//     further slot an LF and the next line, the tail an LF and what follows
//     the last line end;
//   - written back unchanged, the input comes out byte for byte, gaining
//     a CR LF only when its last line had no line end; that file loads and
//     writes back unchanged;
//   - a find returns the first slot holding the key, or LineCount + 1;
//   - replacing a line changes that line's text and nothing else: every
//     line end and every other line is written as before;
//   - appending a line adds exactly that line after everything else;
//   - a line's text that may stand as a string value, put between the
//     quotes of an identity line, comes back unchanged and leaves the
//     closing quote unescaped; with its lone backslashes escaped, any text
//     without a quote or line break may stand there.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "prefs/line_table.h"
#include "prefs/pref_value.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// The input cut into lines independently of the table: text[k] is line k
// without its line end, end[k] the bytes of that line end; the last text
// is what follows the last line end.
struct Lines {
  std::vector<std::string> text;
  std::vector<std::string> end;
};

Lines Split(std::string_view in) {
  Lines l;
  l.text.emplace_back();
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\r' && in[i] != '\n') {
      l.text.back() += in[i];
      continue;
    }
    bool crlf = in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n';
    l.end.push_back(crlf ? "\r\n" : std::string(1, in[i]));
    if (crlf) ++i;
    l.text.emplace_back();
  }
  return l;
}

// The bytes the lines must be written as.
std::string Join(const Lines& l) {
  std::string out;
  for (std::size_t k = 0; k < l.text.size(); ++k) {
    out += l.text[k];
    if (k < l.end.size()) out += l.end[k];
  }
  if (out.empty() || (out.back() != '\r' && out.back() != '\n')) out += "\r\n";
  return out;
}

void CheckTableHolds(const Lines& l) {
  Check(LineCount == static_cast<int>(l.end.size()));
  Check(PrefsLines[0] == l.text[0]);
  for (int k = 1; k <= LineCount; ++k) Check(PrefsLines[k] == "\n" + l.text[static_cast<std::size_t>(k)]);
  Check(PrefsLines[LineCount + 1].empty());
}

void CheckValue(const std::string& line) {
  if (auto value = prefs::CutValue(line)) {
    // The value stands between two quotes of one kind, and a quote of that
    // kind inside it is an escaped one.
    std::size_t comma = line.find(',');
    std::size_t open = line.find_first_of("\"'", comma + 1);
    Check(open != std::string::npos && line.compare(open + 1, value->size(), *value) == 0);
    const char quote = line[open];
    Check(line[open + 1 + value->size()] == quote);
    for (std::size_t at = value->find(quote); at != std::string::npos; at = value->find(quote, at + 1)) {
      std::size_t slashes = 0;
      while (slashes < at && (*value)[at - 1 - slashes] == '\\') ++slashes;
      Check(slashes % 2 == 1);
    }
    Check(line.find(*value) != std::string::npos);
    std::string path = prefs::NormalisePath(*value);
    Check(path.find("\\\\") == std::string::npos);
    Check(path.empty() || (path.front() != '\\' && path.back() != '\\'));
  }
  // Any text the identity switch writes comes back from its own line as
  // it was, and the line stays one line whose closing quote is its own.
  std::string_view text(line);
  if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
  std::string held = prefs::EscapeValue(text);
  Check(prefs::Unescape(held) == text);
  std::string written = "user_pref(\"mail.identity.username\", \"" + held + "\");";
  Check(written.find_first_of("\r\n") == std::string::npos);
  auto back = prefs::CutValue(written);
  Check(back && *back == held);
  // Undoing escapes never reads past the value nor grows it.
  Check(prefs::Unescape(text).size() <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view file(reinterpret_cast<const char*>(data), size);
  Lines lines = Split(file);
  Check(PrefsLines.Load(file));
  CheckTableHolds(lines);
  const std::string written = PrefsLines.Serialize();
  Check(written == Join(lines));
  Check(written.compare(0, size, file) == 0);
  Check(PrefsLines.Load(written));
  Check(PrefsLines.Serialize() == written);

  // A key taken from the file itself, so that it is often found.
  PrefsLines.Load(file);
  std::string key;
  if (size >= 2) {
    std::size_t at = data[0] % size, len = data[1] % 24;
    key.assign(file.substr(at, len));
    key = key.substr(0, key.find('\0'));  // keys are C strings
  }
  int slot = FindPrefLine(key.c_str());
  Check(slot >= 1 && slot <= LineCount + 1);
  for (int s = 1; s < slot; ++s) Check(PrefsLines[s].find(key) == std::string::npos);
  Check(slot == LineCount + 1 ? PrefsLines[slot].empty() : PrefsLines[slot].find(key) != std::string::npos);
  CheckValue(PrefsLines[slot]);

  const char kNewText[] = "user_pref(\"browser.url_history.URL_17\", \"\");";
  if (slot <= LineCount) {
    Check(ReplacePrefLine(slot, (std::string("\n") + kNewText).c_str()));
    lines.text[static_cast<std::size_t>(slot)] = kNewText;
    CheckTableHolds(lines);
    Check(PrefsLines.Serialize() == Join(lines));
  }
  Check(!ReplacePrefLine(LineCount + 1, "\nx"));

  std::string before = PrefsLines.Serialize();
  for (const char* pref : {"user_pref(\"browser.url_history.URL_16\", \"\");",
                           "user_pref(\"network.cookie.cookieBehavior\", 2);"}) {
    Check(AppendPrefLine((std::string("\n") + pref).c_str()));
    std::string after = PrefsLines.Serialize();
    Check(after == before + pref + "\r\n");
    Check(FindPrefLine(pref) <= LineCount);
    before = after;
  }
  Check(PrefsLines.Load(before));
  CheckTableHolds(Split(before));
  Check(PrefsLines.Serialize() == before);
  return 0;
}
