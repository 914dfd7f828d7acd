// libFuzzer target: the input is a prefs.js file. It is loaded into the
// program-wide line table, searched, edited and written out again, and the
// bytes written are checked against what the file held:
//   - written back unchanged, every byte comes out, CR LF files exactly,
//     LFs without CR gaining one, and a file without a final line end
//     gaining one;
//   - the written file loads and writes back unchanged;
//   - a find returns the first slot holding the key, or LineCount + 1;
//   - replacing a line changes no byte outside that line;
//   - appending a line adds exactly that line after everything else.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "prefs/line_table.h"
#include "prefs/pref_value.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// What an unchanged file must be written as, worked out byte by byte.
std::string Expected(std::string_view in) {
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\n' && (i == 0 || in[i - 1] != '\r')) out += '\r';
    out += in[i];
  }
  if (in.empty() || in.back() != '\n') {
    if (in.empty() || in.back() != '\r') out += '\r';
    out += '\n';
  }
  return out;
}

std::size_t CommonPrefix(const std::string& a, const std::string& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

std::size_t CommonSuffix(const std::string& a, const std::string& b, std::size_t limit) {
  std::size_t n = 0;
  while (n < a.size() - limit && n < b.size() - limit && a[a.size() - 1 - n] == b[b.size() - 1 - n]) ++n;
  return n;
}

void CheckValue(const std::string& line) {
  if (auto value = prefs::CutValue(line)) {
    Check(value->find('"') == std::string::npos);
    Check(line.find(*value) != std::string::npos);
    std::string path = prefs::NormalisePath(*value);
    Check(path.find("\\\\") == std::string::npos);
    Check(path.empty() || (path.front() != '\\' && path.back() != '\\'));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view file(reinterpret_cast<const char*>(data), size);
  Check(PrefsLines.Load(file));
  const std::string written = PrefsLines.Serialize();
  Check(written == Expected(file));
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

  std::string before = PrefsLines.Serialize();
  if (slot <= LineCount) {
    const std::string old = PrefsLines[slot];
    std::size_t oldBytes = old.size() + 1;  // a CR in front of it
    for (char c : old) oldBytes += c == '\n';
    Check(ReplacePrefLine(slot, "\nuser_pref(\"browser.url_history.URL_17\", \"\");"));
    std::string after = PrefsLines.Serialize();
    std::size_t same = CommonPrefix(before, after);
    same += CommonSuffix(before, after, same);
    // Everything but that line (and the line end the file closes with) stays.
    Check(same + oldBytes + 2 >= before.size());
    Check(after.find("user_pref(\"browser.url_history.URL_17\", \"\");") != std::string::npos);
    before = after;
  }
  Check(!ReplacePrefLine(LineCount + 1, "\nx"));

  for (const char* pref : {"user_pref(\"browser.url_history.URL_16\", \"\");",
                           "user_pref(\"network.cookie.cookieBehavior\", 2);"}) {
    Check(AppendPrefLine((std::string("\n") + pref).c_str()));
    std::string after = PrefsLines.Serialize();
    Check(after == before + pref + "\r\n");
    Check(FindPrefLine(pref) <= LineCount);
    before = after;
  }
  Check(PrefsLines.Load(before));
  Check(PrefsLines.Serialize() == before);
  return 0;
}
