#include "prefs/line_table.h"

#include "prefs/pref_value.h"

#include <climits>
#include <utility>

namespace prefs {

namespace {

const std::string kEmpty;

// The bytes of a line end.
const char* Bytes(LineEnd end) {
  switch (end) {
    case LineEnd::Lf: return "\n";
    case LineEnd::Cr: return "\r";
    case LineEnd::CrLf: break;
  }
  return "\r\n";
}

// Text the program put into a slot: every LF goes to disk as CR LF.
void PutText(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
}

std::size_t LineFeeds(const std::string& text) {
  std::size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace

LineTable::LineTable() { Clear(); }

void LineTable::Clear() {
  slots_.clear();
  slots_.emplace_back();
  count_ = 0;
}

bool LineTable::Load(std::string_view bytes) {
  Clear();
  if (bytes.size() > kMaxFileBytes) return false;
  std::size_t pos = 0;
  for (;;) {
    std::size_t at = bytes.find_first_of("\r\n", pos);
    if (at == std::string_view::npos) {
      slots_.back().text.append(bytes.substr(pos));
      break;
    }
    slots_.back().text.append(bytes.substr(pos, at - pos));
    Slot next;
    next.text = "\n";
    if (bytes[at] == '\n') {
      next.before = LineEnd::Lf;
    } else if (at + 1 < bytes.size() && bytes[at + 1] == '\n') {
      next.before = LineEnd::CrLf;
      ++at;
    } else {
      next.before = LineEnd::Cr;
    }
    slots_.push_back(std::move(next));
    ++count_;
    pos = at + 1;
  }
  return true;
}

const std::string& LineTable::operator[](int slot) const {
  if (slot < 0 || slot > count_) return kEmpty;
  return slots_[static_cast<std::size_t>(slot)].text;
}

int LineTable::Find(std::string_view key) const {
  for (int slot = 1; slot <= count_; ++slot)
    if (slots_[static_cast<std::size_t>(slot)].text.find(key) != std::string::npos) return slot;
  return count_ + 1;
}

bool LineTable::Replace(int slot, std::string_view line) {
  if (slot < 0 || slot > count_) return false;
  // The line end in front stays: it is the previous line's own.
  slots_[static_cast<std::size_t>(slot)].text.assign(line.data(), line.size());
  return true;
}

bool LineTable::Append(std::string_view view) {
  if (count_ > INT_MAX - 2) return false;
  std::string line(view);  // the text may be a slot's own, changed below
  // The tail normally holds only the line end of the last line, which the
  // new line's leading LF takes over. A tail with text in it (a last line
  // without a line end) is kept as a line of its own and gets a CR LF, less
  // a final LF of its own for the same reason. Slot 0 is kept too, even
  // empty: finds never look there, so a line put into it could not be
  // found again; the bytes written are the same either way.
  Slot& tail = slots_.back();
  if (count_ > 0 && (tail.text.empty() || tail.text == "\n")) {
    tail.text = std::move(line);
    count_ += 1;
  } else {
    if (!tail.text.empty() && tail.text.back() == '\n') tail.text.pop_back();
    Slot added;
    added.text = std::move(line);
    slots_.push_back(std::move(added));
    count_ += 2;
  }
  // The new line's own line end, as the browser writes it.
  Slot end;
  end.text = "\n";
  slots_.push_back(std::move(end));
  return true;
}

std::string LineTable::Serialize() const {
  std::size_t size = 2;
  for (const Slot& s : slots_) size += s.text.size() + LineFeeds(s.text) + 1;
  std::string out;
  out.reserve(size);
  for (int slot = 0; slot <= count_; ++slot) {
    std::string_view text = slots_[static_cast<std::size_t>(slot)].text;
    // A slot's leading LF stands for the line end in front of it, written
    // as the file had it. A text without one continues the line before.
    if (slot > 0 && !text.empty() && text.front() == '\n') {
      out += Bytes(slots_[static_cast<std::size_t>(slot)].before);
      text.remove_prefix(1);
    }
    PutText(out, text);
  }
  // The file always ends in a line end.
  if (out.empty() || (out.back() != '\n' && out.back() != '\r')) out += "\r\n";
  return out;
}

}  // namespace prefs

prefs::LineTable PrefsLines;
const int& LineCount = PrefsLines.CountRef();

std::vector<int> PrefLinesOf(const char* key) {
  std::vector<int> slots;
  if (!key) return slots;
  // The first line too: a file without the browser's header comment may
  // begin with a preference.
  for (int slot = 0; slot <= LineCount; ++slot)
    if (prefs::PrefKeyOf(PrefsLines[slot]) == key) slots.push_back(slot);
  return slots;
}

int FindPrefLine(const char* key) {
  if (key == nullptr) return LineCount + 1;
  return PrefsLines.Find(key);
}

bool ReplacePrefLine(int slot, const char* line) {
  if (line == nullptr) return false;
  // The first line has no line end in front of it to stand for.
  if (slot == 0 && line[0] == '\n') ++line;
  return PrefsLines.Replace(slot, line);
}

bool AppendPrefLine(const char* line) {
  if (line == nullptr) return false;
  return PrefsLines.Append(line);
}
